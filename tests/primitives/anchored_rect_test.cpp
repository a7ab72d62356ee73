// DrawAnchoredRect: the outline of the rectangle cut to the clip rectangle as
// a whole, in all four sign combinations, and the working words it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

#include "tests/primitives/primitives_fixture.h"

namespace ruvo::test {
namespace {

using AnchoredRectTest = PrimitivesTest;

enum Word { kEdges, kStepX, kStepY, kDirY, kClipRows, kClipColumnsLess1 };

// The rectangle's outline cut to the picture (the clip rectangle): leaving
// out the edges outside and shortening the rest gives exactly that.
struct Outline {
    int64_t x, y, w, h;
    int64_t FarColumn() const { return w > 0 ? x + w - 1 : x + w + 1; }
    int64_t FarRow() const { return h > 0 ? y + h - 1 : y + h + 1; }
    void Predict(Picture &p, uint16_t c) const {
        if (w == 0 || h == 0) return;
        const int64_t x0 = std::min(x, FarColumn()), x1 = std::max(x, FarColumn());
        const int64_t y0 = std::min(y, FarRow()), y1 = std::max(y, FarRow());
        p.Fill(x0, x1, y0, y0, c);
        p.Fill(x0, x1, y1, y1, c);
        p.Fill(x0, x0, y0 + 1, y1 - 1, c);
        p.Fill(x1, x1, y0 + 1, y1 - 1, c);
    }
    // The edges left out, for a rectangle that meets the clip rectangle.
    uint32_t EdgesLeftOut(const ClipRect &clip) const {
        auto out = [](int64_t v, int64_t lo, int64_t hi) { return v < lo || v > hi; };
        return (out(y, clip.top, clip.bottom) ? 0x1 : 0) |
               (out(FarRow(), clip.top, clip.bottom) ? 0x2 : 0) |
               (out(x, clip.left, clip.right) ? 0x4 : 0) |
               (out(FarColumn(), clip.left, clip.right) ? 0x8 : 0);
    }
    bool MeetsClip(const ClipRect &clip) const {
        const int64_t x0 = std::min(x, FarColumn()), x1 = std::max(x, FarColumn());
        const int64_t y0 = std::min(y, FarRow()), y1 = std::max(y, FarRow());
        return w != 0 && h != 0 && x1 >= clip.left && x0 <= clip.right && y1 >= clip.top &&
               y0 <= clip.bottom;
    }
};

class AnchoredRectRandomTest : public AnchoredRectTest,
                               public ::testing::WithParamInterface<std::pair<int, int>> {};

// Every sign combination against the outline, at random views and clip
// rectangles, arguments from the clip's edges to the ends of 32 bits.
TEST_P(AnchoredRectRandomTest, MatchesTheClippedOutline) {
    const int sign_x = GetParam().first, sign_y = GetParam().second;
    FillLayerWithPattern(Layer::Screen, 11);
    auto signed_size = [this](int sign) {
        const int64_t magnitude = std::max<int64_t>(1, std::abs(int64_t{Size()}));
        return static_cast<int32_t>(std::clamp<int64_t>(sign * magnitude, INT32_MIN, INT32_MAX));
    };
    RandomRounds(
        [&] {
            RUVO_ALLOW_FIELD(*guard, AnchoredRectWork);
            const int32_t x = X(), y = Y(), w = signed_size(sign_x), h = signed_size(sign_y);
            const uint32_t c = rng();
            const Outline outline{x, y, w, h};
            outline.Predict(want, static_cast<uint16_t>(c));
            op->DrawAnchoredRect(x, y, w, h, c);
            const ClipRect clip = LayerClip();
            auto inside = [](int32_t v, int32_t size) { return v >= 0 && v < size; };
            const bool in_range = inside(db->ClipLeft, 1024) && inside(db->ClipRight, 1024) &&
                                  inside(db->ClipTop, 768) && inside(db->ClipBottom, 768);
            if (outline.MeetsClip(clip)) {
                EXPECT_EQ(uint32_t(db->AnchoredRectWork[kEdges]), outline.EdgesLeftOut(clip))
                    << x << " " << y << " " << w << " " << h;
            }
            EXPECT_EQ(db->AnchoredRectWork[kStepX], w >= 0 ? 2 : -2);
            EXPECT_EQ(db->AnchoredRectWork[kStepY], h >= 0 ? 2048 : -2048);
            EXPECT_EQ(db->AnchoredRectWork[kDirY], h >= 0 ? 1 : -1);
            if (in_range) {
                EXPECT_EQ(db->AnchoredRectWork[kClipRows], clip.Height());
                EXPECT_EQ(db->AnchoredRectWork[kClipColumnsLess1], clip.Width() - 1);
            }
            return std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(w) + " " +
                   std::to_string(h);
        },
        120);
}

INSTANTIATE_TEST_SUITE_P(Signs, AnchoredRectRandomTest,
                         ::testing::Values(std::pair{1, 1}, std::pair{-1, 1}, std::pair{1, -1},
                                           std::pair{-1, -1}));

int32_t CountColour(uint16_t colour) {
    int32_t n = 0;
    for (int32_t y = 0; y < 768; ++y) {
        for (int32_t x = 0; x < 1024; ++x) n += ScreenCells()[RingIndex(x, y)] == colour;
    }
    return n;
}

TEST_F(AnchoredRectTest, InsideTheClip_SameTwelvePixelsFromEitherCorner) {
    for (auto [x, y, w, h] :
         {std::array{10, 10, 5, 3}, {14, 12, -5, -3}, {14, 10, -5, 3}, {10, 12, 5, -3}}) {
        FillLayer(Layer::Screen, 0);
        op->DrawAnchoredRect(x, y, w, h, 9);
        EXPECT_EQ(CountColour(9), 12) << x << "," << y;
        for (int32_t col = 10; col <= 14; ++col) {
            EXPECT_EQ(At(Layer::Screen, col, 10), 9);
            EXPECT_EQ(At(Layer::Screen, col, 12), 9);
        }
        EXPECT_EQ(At(Layer::Screen, 10, 11), 9);
        EXPECT_EQ(At(Layer::Screen, 14, 11), 9);
    }
}

TEST_F(AnchoredRectTest, ThinRectangles) {
    struct Case {
        int32_t w, h, pixels;
    };
    constexpr Case kCases[] = {
        {5, 1, 5},  {5, -1, 5},    // the near row only
        {5, 2, 10}, {-5, -2, 10},  // near and far rows, nothing between
        {1, 5, 5},  {-1, -5, 5},   // both columns on one: rows, then the column between
        {1, 1, 1},  {2, 3, 6},
    };
    for (const Case &c : kCases) {
        FillLayer(Layer::Screen, 0);
        op->DrawAnchoredRect(50, 50, c.w, c.h, 3);
        EXPECT_EQ(CountColour(3), c.pixels) << c.w << "x" << c.h;
    }
}

// Clip rectangle 100..200 both ways.
TEST_F(AnchoredRectTest, ClippingLeavesOutTheEdgesOutside) {
    struct Case {
        int32_t x, y, w, h;
        uint32_t edges;
        int32_t pixels;
    };
    constexpr Case kCases[] = {
        {90, 120, 30, 20, 0x4, 58},     // left part beyond ClipLeft: no left edge
        {120, 190, 10, 20, 0x2, 30},    // far row below ClipBottom: columns to 200
        {120, 90, 10, 150, 0x3, 202},   // through top and bottom: the columns only
        {210, 150, -20, -10, 0x4, 28},  // anchor right of ClipRight
        {150, 150, -100, -100, 0xA, 101}, {150, 150, 100, 100, 0xA, 101},
        {150, 210, 5, -11, 0x1, 5},  // just reaching ClipBottom from below
        {50, 150, -10, 5, 0, 0},     // wholly outside, each side
        {250, 150, 10, 5, 0, 0},          {150, 50, 5, -10, 0, 0},
        {150, 250, 5, 10, 0, 0},          {150, 99, 5, -1, 0, 0},
        {201, 150, 5, 5, 0, 0},
    };
    SetClip(100, 100, 200, 200);
    for (const Case &c : kCases) {
        FillLayer(Layer::Screen, 0);
        op->DrawAnchoredRect(c.x, c.y, c.w, c.h, 5);
        const std::string what = std::to_string(c.x) + "," + std::to_string(c.y) + " " +
                                 std::to_string(c.w) + "x" + std::to_string(c.h);
        EXPECT_EQ(CountColour(5), c.pixels) << what;
        if (c.pixels > 0) {
            EXPECT_EQ(uint32_t(db->AnchoredRectWork[kEdges]), c.edges) << what;
        }
        EXPECT_EQ(db->AnchoredRectWork[kClipRows], 101);
        EXPECT_EQ(db->AnchoredRectWork[kClipColumnsLess1], 100);
    }
}

// Drawn upwards from below WrapRow, the columns continue at the layer's end.
TEST_F(AnchoredRectTest, UpwardsAcrossWrapRow_ColumnsAreUnbroken) {
    SetView(2048 * 100);                               // W = 668
    op->DrawAnchoredRect(100, 700, -5, -100, 0x7777);  // rows 601..700, columns 96..100
    for (int32_t y = 601; y <= 700; ++y) {
        EXPECT_EQ(At(Layer::Screen, 96, y), 0x7777) << y;
        EXPECT_EQ(At(Layer::Screen, 100, y), 0x7777) << y;
        const bool edge_row = y == 601 || y == 700;
        EXPECT_EQ(At(Layer::Screen, 98, y), edge_row ? 0x7777 : 0) << y;
    }
    EXPECT_EQ(Stored(Layer::Screen, 767, 100), 0x7777);  // row 667
    EXPECT_EQ(Stored(Layer::Screen, 0, 100), 0x7777);    // row 668
    EXPECT_EQ(At(Layer::Screen, 100, 600), 0);
    EXPECT_EQ(At(Layer::Screen, 100, 701), 0);
}

// A zero size has no rows or no columns: nothing is drawn, the words are still set.
TEST_F(AnchoredRectTest, ZeroSize_DrawsNothing) {
    struct Case {
        int32_t w, h;
    };
    constexpr Case kCases[] = {{0, 5}, {5, 0}, {0, 0}, {0, -3}, {-3, 0}, {0, INT32_MIN}};
    for (const Case &c : kCases) {
        StorageGuard g;
        RUVO_ALLOW_FIELD(g, AnchoredRectWork);
        op->DrawAnchoredRect(300, 300, c.w, c.h, 1);
        EXPECT_EQ(g.Violations(), "") << c.w << "x" << c.h;
        EXPECT_EQ(db->AnchoredRectWork[kEdges], 0);
        EXPECT_EQ(db->AnchoredRectWork[kStepX], c.w >= 0 ? 2 : -2);
        EXPECT_EQ(db->AnchoredRectWork[kDirY], c.h >= 0 ? 1 : -1);
    }
}

}  // namespace
}  // namespace ruvo::test
