// Scrolling: the offset, WrapRow, the OverflowRow copies and the depth rebase.
#include <gtest/gtest.h>

#include "tests/support/library_fixture.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {
namespace {

using ScrollTest = LibraryTest;

struct ScrollCase {
    int32_t from, dx, dy;
    int32_t want_offset, want_wrap_row;
};

constexpr ScrollCase kScrollCases[] = {
    {0, 0, 1, 2048, 767},
    {0, 0, -1, 0x17F800, 1},
    {0, -1, 0, 0x17FFFE, 1},
    {2 * 1020, 8, 0, 2048 + 8, 767},
    {2 * 10, 5, 0, 30, 768},
    {0x17FFFE, 1, 0, 0, 768},
    {2048 * 700, 0, 100, 2048 * 32, 736},
    {2048 * 5, -3, -10, 0x180000 - 2048 * 5 - 6, 6},
};

TEST_F(ScrollTest, Scroll_MovesOffsetAndWrapRowTogether) {
    for (const ScrollCase &c : kScrollCases) {
        SetView(c.from);
        op->Scroll(c.dx, c.dy);
        EXPECT_EQ(db->ScrollOffset, c.want_offset) << c.from << " by " << c.dx << "," << c.dy;
        EXPECT_EQ(db->WrapRow, c.want_wrap_row) << c.from << " by " << c.dx << "," << c.dy;
    }
}

// Backwards past column 0: storage row 0 of each layer goes into its OverflowRow.
TEST_F(ScrollTest, Scroll_WrapsColumnBackwards_CopiesRowZeroToOverflow) {
    for (Layer layer : {Layer::Screen, Layer::Back, Layer::Depth}) FillLayerWithPattern(layer, 7);
    std::vector<uint16_t> row_zero[3];
    for (int l = 0; l < 3; ++l)
        row_zero[l].assign(LayerCells(Layer(l)), LayerCells(Layer(l)) + 1024);
    op->Scroll(-1, 0);
    for (int l = 0; l < 3; ++l) {
        const uint16_t *overflow = LayerCells(Layer(l)) + kLayerCells;
        EXPECT_TRUE(std::equal(row_zero[l].begin(), row_zero[l].end(), overflow)) << l;
    }
}

// Forwards past column 1023: each OverflowRow goes back into storage row 0.
TEST_F(ScrollTest, Scroll_WrapsColumnForwards_CopiesOverflowToRowZero) {
    for (Layer layer : {Layer::Screen, Layer::Back, Layer::Depth}) FillLayerWithPattern(layer, 9);
    SetView(2 * 1020);
    std::vector<uint16_t> overflow[3];
    for (int l = 0; l < 3; ++l) {
        const uint16_t *o = LayerCells(Layer(l)) + kLayerCells;
        overflow[l].assign(o, o + 1024);
    }
    op->Scroll(8, 0);
    for (int l = 0; l < 3; ++l) {
        EXPECT_TRUE(std::equal(overflow[l].begin(), overflow[l].end(), LayerCells(Layer(l)))) << l;
    }
}

// Within the row nothing moves: no byte of the storage changes.
TEST_F(ScrollTest, Scroll_WithinTheRow_CopiesNothing) {
    for (Layer layer : {Layer::Screen, Layer::Back, Layer::Depth}) FillLayerWithPattern(layer, 3);
    SetView(2 * 10);
    StorageGuard guard;
    RUVO_ALLOW_FIELD(guard, ScrollOffset);
    RUVO_ALLOW_FIELD(guard, WrapRow);
    op->Scroll(5, 0);
    EXPECT_EQ(guard.Violations(), "");
    EXPECT_EQ(db->ScrollOffset / 2 % 1024, 15);
}

TEST_F(ScrollTest, Scroll_Down_RebasesKeptDepthRowsAndLeavesUncoveredStale) {
    op->ResetDepth();
    op->Scroll(0, 10);
    for (int32_t y = 0; y <= 757; ++y) ASSERT_EQ(At(Layer::Depth, 0, y), y * 32) << y;
    // Rows 758..767 are storage rows 0..9, untouched by the rebase.
    for (int32_t y = 758; y < 768; ++y) ASSERT_EQ(At(Layer::Depth, 500, y), (y - 758) * 32) << y;
}

TEST_F(ScrollTest, Scroll_Up_RaisesKeptDepthValuesAndLeavesTopRows) {
    FillLayer(Layer::Depth, 0x0103);  // depth 8, flags 3
    op->Scroll(0, -5);
    for (int32_t y = 0; y < 5; ++y) EXPECT_EQ(At(Layer::Depth, 10, y), 0x0103) << y;
    for (int32_t y : {5, 400, 767}) EXPECT_EQ(At(Layer::Depth, 10, y), 0x0103 + 160) << y;
}

TEST_F(ScrollTest, Scroll_Horizontal_ChangesNoDepthValue) {
    op->ResetDepth();
    op->Scroll(16, 0);
    for (int32_t y : {0, 300, 767}) EXPECT_EQ(At(Layer::Depth, 0, y), y * 32);
}

// Diagonal steps rebase only the columns that stay in view.
TEST_F(ScrollTest, Scroll_Diagonal_RebasesOnlyTheKeptColumns) {
    FillLayer(Layer::Depth, 0x4000);
    op->Scroll(-3, 2);  // kept: columns 3..1023, rows 0..765
    EXPECT_EQ(At(Layer::Depth, 2, 100), 0x4000);
    EXPECT_EQ(At(Layer::Depth, 3, 100), 0x4000 - 64);
    EXPECT_EQ(At(Layer::Depth, 1023, 765), 0x4000 - 64);
    EXPECT_EQ(At(Layer::Depth, 1023, 766), 0x4000);
}

TEST_F(ScrollTest, RebaseDepth_WrapsModulo65536) {
    FillLayer(Layer::Depth, 0x0011);
    op->Scroll(0, 1);  // kept values drop by 32 and wrap below zero
    EXPECT_EQ(At(Layer::Depth, 0, 0), static_cast<uint16_t>(0x0011 - 32));
}

// The view returns to where it started after any round trip of steps.
TEST_F(ScrollTest, Scroll_RoundTripRestoresViewAndPicture) {
    FillLayerWithPattern(Layer::Screen, 11);
    std::vector<uint16_t> before;
    for (int32_t y = 0; y < 768; y += 7) before.push_back(At(Layer::Screen, 511, y));
    const int steps[][2] = {{-700, 0}, {300, 200}, {399, -350}, {1, 150}};
    for (auto &s : steps) op->Scroll(s[0], s[1]);
    EXPECT_EQ(db->ScrollOffset, 0);
    std::vector<uint16_t> after;
    for (int32_t y = 0; y < 768; y += 7) after.push_back(At(Layer::Screen, 511, y));
    EXPECT_EQ(before, after);
}

}  // namespace
}  // namespace ruvo::test
