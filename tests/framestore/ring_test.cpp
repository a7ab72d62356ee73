// The ring rule, checked through the cells that the transfers and depth
// operations reach (they all address by it).
#include <gtest/gtest.h>

#include "tests/support/library_fixture.h"

namespace ruvo::test {
namespace {

using RingTest = LibraryTest;

struct RingCase {
    int32_t scroll_offset, x, y;
    int32_t want_index;  // pixel index from the layer's first cell
};

// One aligned line per case: plain, a whole-row offset, and a horizontal part
// that puts the tail of row W - 1 into the OverflowRow.
constexpr RingCase kRingCases[] = {
    {0, 0, 0, 0},
    {0, 1023, 767, 767 * 1024 + 1023},
    {2048 * 100, 0, 667, 767 * 1024},
    {2048 * 100, 0, 668, 0},
    {2048 * 100 + 2 * 24, 1000, 667, 768 * 1024},        // first cell of the OverflowRow
    {2048 * 100 + 2 * 24, 999, 667, 767 * 1024 + 1023},  // last cell of storage row 767
    {2048 * 100 + 2 * 24, 0, 668, 24},                   // storage row 0, column 24
    {0x17FFFE, 0, 0, 767 * 1024 + 1023},
    {0x17FFFE, 1, 0, 768 * 1024},
    {0x17FFFE, 0, 1, 1023},
};

TEST_F(RingTest, RingIndex_MatchesWorkedCells) {
    for (const RingCase &c : kRingCases) {
        SetView(c.scroll_offset);
        EXPECT_EQ(RingIndex(c.x, c.y), c.want_index)
            << "S=" << c.scroll_offset << " (" << c.x << ", " << c.y << ")";
    }
}

// Every logical row is 1024 contiguous cells and the 768 rows cover every
// cell of the ring exactly once, whatever the offset.
TEST_F(RingTest, LogicalRowsTileTheRingExactlyOnce) {
    for (int32_t s : {0, 2, 2048, 2048 * 100 + 48, 0x17FFFE, 0x17F800, 2048 * 767 + 2046}) {
        SetView(s);
        std::vector<int> hits(kLayerCells + kLayerWidth, 0);
        for (int32_t y = 0; y < kLayerHeight; ++y) {
            const int32_t first = RingIndex(0, y);
            ASSERT_GE(first, 0);
            ASSERT_LE(first + 1023, kLayerCells + kLayerWidth - 1);
            for (int32_t x = 0; x < kLayerWidth; ++x) {
                ASSERT_EQ(RingIndex(x, y), first + x);
                ++hits[first + x];
            }
        }
        const int32_t c = (s / 2) % 1024;
        for (int32_t i = 0; i < kLayerCells + kLayerWidth; ++i) {
            // Cells 0..C-1 of storage row 0 are the OverflowRow's twin.
            const bool addressed = i < kLayerCells ? i >= c : i - kLayerCells < c;
            ASSERT_EQ(hits[i], addressed ? 1 : 0) << "S=" << s << " cell " << i;
        }
    }
}

TEST_F(RingTest, RectangleAcrossWrapRow_IsSplitBetweenEndAndStart) {
    SetView(2048 * 100);  // W = 668
    std::vector<int32_t> rows;
    ForEachRingRow(16, 666, 4, [&](int32_t index) { rows.push_back(index); });
    const std::vector<int32_t> want = {766 * 1024 + 16, 767 * 1024 + 16, 16, 1024 + 16};
    EXPECT_EQ(rows, want);
}

TEST_F(RingTest, LayerClip_IntersectsHostClipWithTheLayer) {
    SetClip(-5, -100, 5000, 900);
    const ClipRect c = LayerClip();
    EXPECT_EQ(c.left, 0);
    EXPECT_EQ(c.top, 0);
    EXPECT_EQ(c.right, 1023);
    EXPECT_EQ(c.bottom, 767);
    SetClip(10, 20, 9, 30);
    EXPECT_TRUE(LayerClip().Empty());
    // The 16-bit reading: -1 is 65535, cut to the layer.
    SetClip(3, 4, -1, 0x10005);
    const ClipRect c16 = LayerClip16();
    EXPECT_EQ(c16.right, 1023);
    EXPECT_EQ(c16.bottom, 5);
}

}  // namespace
}  // namespace ruvo::test
