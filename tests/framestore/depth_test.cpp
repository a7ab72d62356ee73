// ResetDepth and ClearDepthFlag.
#include <gtest/gtest.h>

#include "tests/support/library_fixture.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {
namespace {

using DepthTest = LibraryTest;

TEST_F(DepthTest, ResetDepth_WritesRowNumbersTimes32) {
    FillLayer(Layer::Depth, 0xFFFF);
    op->ResetDepth();
    for (int32_t y : {0, 1, 400, 767}) {
        for (int32_t x : {0, 513, 1023}) ASSERT_EQ(Stored(Layer::Depth, y, x), y * 32);
    }
    EXPECT_EQ(Stored(Layer::Depth, 767, 5), 24544);
}

TEST_F(DepthTest, ResetDepth_FollowsTheViewAcrossWrapRow) {
    SetView(2048 * 100);
    op->ResetDepth();
    EXPECT_EQ(Stored(Layer::Depth, 767, 0), 667 * 32);
    EXPECT_EQ(Stored(Layer::Depth, 0, 0), 668 * 32);
    EXPECT_EQ(Stored(Layer::Depth, 99, 1023), 767 * 32);
}

TEST_F(DepthTest, ResetDepth_StaysInsideTheClipRectangle) {
    SetClip(10, 20, 19, 29);
    StorageGuard guard;
    guard.AllowLogical(Layer::Depth, {10, 20, 19, 29});
    op->ResetDepth();
    EXPECT_EQ(guard.Violations(), "");
    EXPECT_EQ(At(Layer::Depth, 10, 20), 640);
    EXPECT_EQ(At(Layer::Depth, 19, 29), 29 * 32);
}

// With a horizontal part, row W - 1 reaches into the OverflowRow.
TEST_F(DepthTest, ResetDepth_WritesTheOverflowRowTail) {
    SetView(2048 * 100 + 2 * 24);
    op->ResetDepth();
    EXPECT_EQ(Stored(Layer::Depth, 768, 0), 667 * 32);   // logical (1000, 667)
    EXPECT_EQ(Stored(Layer::Depth, 768, 23), 667 * 32);  // logical (1023, 667)
    EXPECT_EQ(Stored(Layer::Depth, 0, 23), 0);           // not addressed
    EXPECT_EQ(Stored(Layer::Depth, 0, 24), 668 * 32);
}

TEST_F(DepthTest, ClearDepthFlag_ClearsOnlyBitTwo) {
    At(Layer::Depth, 3, 4) = 0x0A47;
    At(Layer::Depth, 4, 4) = 0x0A43;
    At(Layer::Depth, 5, 4) = 0xFFFF;
    op->ClearDepthFlag(3, 4, 2, 1);
    EXPECT_EQ(At(Layer::Depth, 3, 4), 0x0A43);
    EXPECT_EQ(At(Layer::Depth, 4, 4), 0x0A43);
    EXPECT_EQ(At(Layer::Depth, 5, 4), 0xFFFF);
}

TEST_F(DepthTest, ClearDepthFlag_AcrossWrapRow) {
    SetView(2048 * 500);  // W = 268
    FillLayer(Layer::Depth, 0xFFFF);
    op->ClearDepthFlag(0, 266, 1024, 4);
    for (int32_t y = 266; y < 270; ++y) EXPECT_EQ(At(Layer::Depth, 700, y), 0xFFFB) << y;
    EXPECT_EQ(At(Layer::Depth, 700, 265), 0xFFFF);
    EXPECT_EQ(At(Layer::Depth, 700, 270), 0xFFFF);
}

}  // namespace
}  // namespace ruvo::test
