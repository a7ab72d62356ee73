// Clipping on every side, the coarse test, the dither phase across whole,
// clipped and skipped tiles, and the split at WrapRow.
#include <gtest/gtest.h>

#include "tests/support/storage_guard.h"
#include "tests/tiles/tile_fixture.h"

namespace ruvo::test {
namespace {

using TileClipTest = TileTest;

constexpr ClipRect kClip = {100, 200, 500, 400};

struct EdgeCase {
    const char *what;
    int32_t x, y;
    int32_t pixels;         // footprint pixels inside the clip rectangle
    uint32_t shaded_phase;  // DitherPhase after DrawShadedTile from 0
    uint32_t other_phase;   // after DarkenTile, TintTile or BlackenTile from 0
};

// Rows drawn flip the phase for DrawShadedTile only; the half flip counts for all.
constexpr EdgeCase kEdges[] = {
    {"whole", 300, 300, 1024, 1, 1},
    {"left: one column out", 68, 300, 0, 0, 0},
    {"left: last pixel", 69, 300, 1, 0, 1},
    {"right: first pixel", 531, 300, 1, 0, 1},
    {"right: none, kept", 532, 300, 0, 1, 1},
    {"right: coarse edge", 534, 300, 0, 1, 1},
    {"right: one column out", 535, 300, 0, 0, 0},
    {"bottom: top row", 300, 400, 3, 0, 1},
    {"bottom: coarse edge", 300, 401, 0, 1, 1},
    {"bottom: one row out", 300, 402, 0, 0, 0},
    {"top: bottom row", 300, 169, 1, 1, 0},
    {"top: coarse edge", 300, 168, 0, 0, 0},
    {"top: one row out", 300, 167, 0, 0, 0},
    {"top: lower half", 300, 184, 496, 1, 1},
    {"top: no half flip", 300, 183, 435, 1, 0},
    {"top: twelve rows", 300, 180, 276, 0, 0},
    {"corner: top left", 69, 185, 1, 0, 1},
    {"corner: bottom right", 531, 385, 1, 0, 1},
};

TEST_F(TileClipTest, EdgeCases_DrawTheCountedPixelsAndFlipThePhase) {
    SetClip(kClip.left, kClip.top, kClip.right, kClip.bottom);
    const assets::TileBytes ones = Uniform(1);
    for (const EdgeCase &c : kEdges) {
        for (int which = 0; which < 4; ++which) {
            FillLayer(Layer::Back, 0xFFFF);
            FillLayer(Layer::Screen, 0xFFFF);
            theDitherPhase = 0;
            StorageGuard guard;
            const Layer layer = which == 0 ? Layer::Back : Layer::Screen;
            guard.AllowLogical(layer, kClip);
            switch (which) {
                case 0:  // ShadeTable is all 0
                    op->DrawShadedTile(c.x, c.y, 3, 3, 3, 3, ones.data());
                    break;
                case 1:
                    op->DarkenTile(c.x, c.y, 0, 0, 0, 0);
                    break;
                case 2:
                    op->TintTile(c.x, c.y, 0x8000);  // 0xFFFF -> 0x7BEF + 0x8000
                    break;
                default:
                    op->BlackenTile(c.x, c.y, 0, 0, 0, 0, ones.data());
                    break;
            }
            const uint16_t drawn = which == 2 ? 0xFBEF : 0;
            EXPECT_EQ(CountCells(layer, drawn), c.pixels) << c.what << ", op " << which;
            EXPECT_EQ(guard.Violations(), "") << c.what << ", op " << which;
            EXPECT_EQ(theDitherPhase, which == 0 ? c.shaded_phase : c.other_phase)
                << c.what << ", op " << which;
        }
    }
}

// The two one-pixel cases take the end bytes of row 15 and the last of the tile.
TEST_F(TileClipTest, SinglePixelCases_TakeTheRightByte) {
    SetClip(kClip.left, kClip.top, kClip.right, kClip.bottom);
    FillShadeTableWithIndices();
    assets::TileBytes bytes = Uniform(0);
    bytes[465] = 0x41;   // leftmost of row 15
    bytes[527] = 0x42;   // rightmost of row 15
    bytes[1023] = 0x43;  // the bottom pixel
    FillLayer(Layer::Back, 0xFFFF);

    op->DrawShadedTile(kClip.left - 31, 300, 0, 0, 0, 0, bytes.data());
    EXPECT_EQ(At(Layer::Back, kClip.left, 315), 0x42);
    op->DrawShadedTile(kClip.right + 31, 300, 0, 0, 0, 0, bytes.data());
    EXPECT_EQ(At(Layer::Back, kClip.right, 315), 0x41);
    op->DrawShadedTile(300, kClip.top - 31, 0, 0, 0, 0, bytes.data());
    EXPECT_EQ(At(Layer::Back, 300, kClip.top), 0x43);
}

// y = ClipTop - 20: no half flip, and the lower half starts at the row at
// ClipTop with the phase as it was.
TEST_F(TileClipTest, UpperHalfAboveTheClip_IsPassedOverWithoutTheHalfFlip) {
    SetClip(kClip.left, kClip.top, kClip.right, kClip.bottom);
    FillShadeTableWithRowNumbers();
    const assets::TileBytes ones = Uniform(1);
    for (uint32_t phase : {0u, 1u}) {
        FillLayer(Layer::Back, 0xFFFF);
        theDitherPhase = phase;
        op->DrawShadedTile(300, kClip.top - 20, 7, 7, 7, 7, ones.data());
        EXPECT_EQ(At(Layer::Back, 300, kClip.top - 1), 0xFFFF);
        // Row 20 spans x-22 .. x+22; its first pixel takes the phase unchanged.
        EXPECT_EQ(At(Layer::Back, 300 - 23, kClip.top), 0xFFFF);
        EXPECT_EQ(At(Layer::Back, 300 - 22, kClip.top), 7 + 32 * phase);
        EXPECT_EQ(At(Layer::Back, 300 - 21, kClip.top), 7 + 32 * (phase ^ 1));
        EXPECT_EQ(At(Layer::Back, 300 - 20, kClip.top + 1), 7 + 32 * (phase ^ 1));
        EXPECT_EQ(theDitherPhase, phase);  // twelve rows
    }
}

// Whole tiles follow the checkerboard d = phase XOR ((c + R + x + y + 1) mod 2)
// in both halves, and a second draw gives the complement.
TEST_F(TileClipTest, WholeTile_DithersAsACheckerboardAndInvertsThePhase) {
    FillShadeTableWithRowNumbers();
    const assets::TileBytes ones = Uniform(1);
    struct Case {
        int32_t x, y;
        uint32_t phase;
    };
    constexpr Case kCases[] = {{31, 0, 0}, {32, 0, 1}, {500, 301, 0}, {992, 736, 1}, {777, 77, 0}};
    for (const Case &c : kCases) {
        theDitherPhase = c.phase;
        for (uint32_t pass = 0; pass < 2; ++pass) {
            op->DrawShadedTile(c.x, c.y, 5, 5, 5, 5, ones.data());
            EXPECT_EQ(theDitherPhase, c.phase ^ pass ^ 1) << c.x << ", " << c.y;
            for (int32_t r = 0; r < 32; ++r) {
                const int32_t half = r < 16 ? 1 + 2 * r : 30 - 2 * (r - 16);
                for (int32_t col = c.x - half; col <= c.x + half; ++col) {
                    const uint32_t d = c.phase ^ pass ^ ((col + c.y + r + c.x + c.y + 1) & 1);
                    ASSERT_EQ(At(Layer::Back, col, c.y + r), 5 + 32 * d)
                        << "tile " << c.x << ", " << c.y << " pass " << pass << " at " << col
                        << ", " << r;
                }
            }
        }
    }
}

// A row cut on the left starts with the phase itself, whatever its column:
// the clipped tile's pattern can differ from the whole one.
TEST_F(TileClipTest, LeftClippedRows_StartWithThePhase) {
    FillShadeTableWithRowNumbers();
    const assets::TileBytes ones = Uniform(1);
    SetClip(kClip.left, kClip.top, kClip.right, kClip.bottom);
    for (int32_t x : {kClip.left + 10, kClip.left + 11}) {
        theDitherPhase = 1;
        op->DrawShadedTile(x, 250, 5, 5, 5, 5, ones.data());
        for (int32_t r = 0; r < 31; ++r) {
            const int32_t first = std::max(x - (r < 16 ? 1 + 2 * r : 30 - 2 * (r - 16)), 100);
            const uint32_t phase = 1 ^ (r & 1) ^ (r >= 16);  // rows above, and the half flip
            EXPECT_EQ(At(Layer::Back, first, 250 + r), 5 + 32 * phase) << x << ", row " << r;
            EXPECT_EQ(At(Layer::Back, first + 1, 250 + r), 5 + 32 * (phase ^ 1))
                << x << ", row " << r;
        }
        EXPECT_EQ(theDitherPhase, 0u);
    }
}

// With a horizontal part C = 24 in the offset the tile crosses WrapRow = 668:
// rows from 668 on lie 0x180000 bytes lower, and row 667 reaches into the
// OverflowRow.
TEST_F(TileClipTest, TileAcrossWrapRow_SplitsByTheRingRule) {
    SetView(2048 * 100 + 2 * 24);
    ASSERT_EQ(db->WrapRow, 668);
    FillLayer(Layer::Screen, 0xFFFF);
    std::fill_n(ScreenCells() + kLayerCells, 1024, uint16_t{0xFFFF});
    const assets::TileBytes ones = Uniform(1);
    constexpr int32_t kX = 1010, kY = 660;
    op->BlackenTile(kX, kY, 0, 0, 0, 0, ones.data());

    int32_t seen = 0;
    for (int32_t r = 0; r < 32; ++r) {
        const int32_t row = kY + r;
        const int32_t half = r < 16 ? 1 + 2 * r : 30 - 2 * (r - 16);
        for (int32_t col = kX - half; col <= std::min(kX + half, 1023); ++col, ++seen) {
            const int32_t storage = col + 24 + 1024 * (row + 100) - (row >= 668 ? 0xC0000 : 0);
            ASSERT_EQ(ScreenCells()[storage], 0) << col << ", " << row;
        }
    }
    // Row 667's right end is in the OverflowRow; nothing else was touched.
    EXPECT_EQ(Stored(Layer::Screen, 767, 1023 + 24), 0);
    int32_t black = 0;
    for (int32_t i = 0; i < kLayerCells + 1024; ++i) black += ScreenCells()[i] == 0;
    EXPECT_EQ(black, seen);
}

}  // namespace
}  // namespace ruvo::test
