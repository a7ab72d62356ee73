// Pixels, lines and rectangles against slow per-pixel predictions, at every
// kind of scroll position and clip rectangle, with sane and insane arguments.
// Colours are random 32-bit words, so every prediction also shows that the
// upper half is ignored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "tests/primitives/primitives_fixture.h"

namespace ruvo::test {
namespace {

using LinesRectsTest = PrimitivesTest;

// Predictions, in 64 bits so that no argument overflows.
void PredictHLine(Picture &p, int64_t x, int64_t y, int64_t length, uint16_t c) {
    p.Fill(x, x + length - 1, y, y, c);
}
void PredictVLine(Picture &p, int64_t x, int64_t y, int64_t length, uint16_t c) {
    p.Fill(x, x, y, y + length - 1, c);
}

// Half of each 5-6-5 channel of p plus half of the colour's, each rounded down.
uint16_t Blend565(uint16_t p, uint16_t c) {
    const auto r = ((p >> 11) >> 1) + ((c >> 11) >> 1);
    const auto g = (((p >> 5) & 63) >> 1) + (((c >> 5) & 63) >> 1);
    const auto b = ((p & 31) >> 1) + ((c & 31) >> 1);
    return static_cast<uint16_t>(r << 11 | g << 5 | b);
}

std::string Args(std::initializer_list<int64_t> args) {
    std::string s;
    for (int64_t a : args) s += std::to_string(a) + " ";
    return s;
}

TEST_F(LinesRectsTest, PutPixel_MatchesPrediction) {
    FillLayerWithPattern(Layer::Screen, 1);
    RandomRounds([&] {
        const int32_t x = X(), y = Y();
        const uint32_t c = rng();
        want.Plot(x, y, static_cast<uint16_t>(c));
        op->PutPixel(x, y, c);
        return Args({x, y});
    });
}

TEST_F(LinesRectsTest, DrawHLine_MatchesPrediction) {
    FillLayerWithPattern(Layer::Screen, 2);
    RandomRounds([&] {
        const int32_t x = X(), y = Y(), n = Size();
        const uint32_t c = rng();
        PredictHLine(want, x, y, n, static_cast<uint16_t>(c));
        op->DrawHLine(x, y, n, c);
        return Args({x, y, n});
    });
}

TEST_F(LinesRectsTest, DrawVLine_MatchesPrediction) {
    FillLayerWithPattern(Layer::Screen, 3);
    RandomRounds([&] {
        const int32_t x = X(), y = Y(), n = Size();
        const uint32_t c = rng();
        PredictVLine(want, x, y, n, static_cast<uint16_t>(c));
        op->DrawVLine(x, y, n, c);
        return Args({x, y, n});
    });
}

// The four edges as four lines: top, bottom, left, right.
TEST_F(LinesRectsTest, DrawRect_MatchesPrediction) {
    FillLayerWithPattern(Layer::Screen, 4);
    RandomRounds([&] {
        const int32_t x = X(), y = Y(), w = Size(), h = Size();
        const uint32_t c = rng();
        const auto c16 = static_cast<uint16_t>(c);
        PredictHLine(want, x, y, w, c16);
        PredictHLine(want, x, int64_t{y} + h - 1, w, c16);
        PredictVLine(want, x, y, h, c16);
        PredictVLine(want, int64_t{x} + w - 1, y, h, c16);
        op->DrawRect(x, y, w, h, c);
        return Args({x, y, w, h});
    });
}

TEST_F(LinesRectsTest, FillRect_MatchesPrediction) {
    FillLayerWithPattern(Layer::Screen, 5);
    RandomRounds([&] {
        const int32_t x = X(), y = Y(), w = Size(), h = Size();
        const uint32_t c = rng();
        want.Fill(x, int64_t{x} + w - 1, y, int64_t{y} + h - 1, static_cast<uint16_t>(c));
        op->FillRect(x, y, w, h, c);
        return Args({x, y, w, h});
    });
}

TEST_F(LinesRectsTest, BlendRect_MatchesPerChannelHalves) {
    FillLayerWithPattern(Layer::Screen, 6);
    RandomRounds([&] {
        const int32_t x = X(), y = Y(), w = Size(), h = Size();
        const uint32_t c = rng();
        want.ForEachIn(x, int64_t{x} + w - 1, y, int64_t{y} + h - 1,
                       [&](uint16_t &p) { p = Blend565(p, static_cast<uint16_t>(c)); });
        op->BlendRect(x, y, w, h, c);
        return Args({x, y, w, h});
    });
}

TEST_F(LinesRectsTest, BlendRect_WorkedValues) {
    struct Case {
        uint16_t pixel, colour, want;
    };
    constexpr Case kCases[] = {
        {0xFFFF, 0xFFFF, 0xF7DE},
        {0x0000, 0xFFFF, 0x7BEF},
        {0xF800, 0x001F, 0x780F},
        {0x0821, 0x0821, 0x0000},  // the lowest bit of each channel halves to nothing
    };
    for (const Case &c : kCases) {
        At(Layer::Screen, 3, 3) = c.pixel;
        op->BlendRect(3, 3, 1, 1, 0xABCD0000u | c.colour);
        EXPECT_EQ(At(Layer::Screen, 3, 3), c.want) << std::hex << c.pixel << " " << c.colour;
    }
}

// The pixel format decides which bits are dropped: here 5-5-5.
TEST_F(LinesRectsTest, BlendRect_UsesTheAnalysedLowBits) {
    op->AnalysePixelFormat(0x7C00, 0x03E0, 0x001F);
    At(Layer::Screen, 0, 0) = 0x7FFF;
    op->BlendRect(0, 0, 1, 1, 0x7FFF);
    EXPECT_EQ(At(Layer::Screen, 0, 0), 0x7BDE);
}

TEST_F(LinesRectsTest, PutPixel_DrawsOnTheClipEdgeNotBeyond) {
    struct Case {
        int32_t x, y;
        bool drawn;
    };
    constexpr Case kCases[] = {
        {300, 200, true}, {100, 50, true},   {301, 100, false}, {150, 49, false},
        {99, 50, false},  {100, 201, false}, {300, 50, true},   {100, 200, true},
    };
    SetClip(100, 50, 300, 200);
    for (const Case &c : kCases) {
        At(Layer::Screen, c.x, c.y) = 0;
        op->PutPixel(c.x, c.y, 0x5555);
        EXPECT_EQ(At(Layer::Screen, c.x, c.y), c.drawn ? 0x5555 : 0) << c.x << ", " << c.y;
    }
}

// Same cell index, other layer, at every kind of view.
TEST_F(LinesRectsTest, PutBackPixel_ChangesTheCellPutPixelWouldInTheBackLayer) {
    for (int32_t view : kViews) {
        SetView(view);
        for (auto [x, y] :
             {std::pair{0, 0}, {1023, 767}, {1000, 667}, {999, 667}, {0, 668}, {5, 0}}) {
            StorageGuard g;
            const int32_t index = RingIndex(x, y);
            g.AllowLogical(Layer::Back, {x, y, x, y});
            op->PutBackPixel(x, y, 0x10000u | 0x4321);
            ASSERT_EQ(g.Violations(), "") << view << " " << x << "," << y;
            EXPECT_EQ(BackCells()[index], 0x4321);
            op->PutPixel(x, y, 0x4321);
            EXPECT_EQ(ScreenCells()[index], 0x4321);
        }
    }
}

// Zero and negative sizes of DrawRect: its lines still fall where x + width - 1 and
// y + height - 1 put them; only when both sizes are empty is nothing drawn.
TEST_F(LinesRectsTest, DrawRect_ZeroSizeDrawsTheOtherPairOfEdges) {
    struct Case {
        int32_t w, h;
        ClipRect drawn_a, drawn_b;  // the two edges that remain, each a line
    };
    constexpr Case kCases[] = {
        {0, 5, {9, 10, 9, 14}, {10, 10, 10, 14}},    // columns x - 1 and x
        {5, 0, {10, 9, 14, 9}, {10, 10, 14, 10}},    // rows y - 1 and y
        {1, 4, {10, 10, 10, 13}, {10, 10, 10, 13}},  // both columns on one
        {4, 1, {10, 10, 13, 10}, {10, 10, 13, 10}},  // both rows on one
        {-3, 5, {6, 10, 6, 14}, {10, 10, 10, 14}},   // columns x + width - 1 and x
        {5, -3, {10, 6, 14, 6}, {10, 10, 14, 10}},   // rows y + height - 1 and y
        {0, 0, {1, 1, 0, 0}, {1, 1, 0, 0}},          // no line has a pixel
        {-2, -4, {1, 1, 0, 0}, {1, 1, 0, 0}},
    };
    for (const Case &c : kCases) {
        FillLayer(Layer::Screen, 0);
        op->DrawRect(10, 10, c.w, c.h, 7);
        int32_t count = 0, want = 0;
        for (int32_t y = 0; y < 20; ++y) {
            for (int32_t x = 0; x < 20; ++x) {
                const bool in_a = x >= c.drawn_a.left && x <= c.drawn_a.right &&
                                  y >= c.drawn_a.top && y <= c.drawn_a.bottom;
                const bool in_b = x >= c.drawn_b.left && x <= c.drawn_b.right &&
                                  y >= c.drawn_b.top && y <= c.drawn_b.bottom;
                want += in_a || in_b;
                count += At(Layer::Screen, x, y) == 7;
                EXPECT_EQ(At(Layer::Screen, x, y), (in_a || in_b) ? 7 : 0)
                    << c.w << "x" << c.h << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(count, want);
    }
}

// Storage placement by hand, not by RingIndex: with W = 668 and C = 24,
// logical rows 666 and 667 are storage rows 766 and 767 from column 24 (the
// tail of 667 in the OverflowRow), rows 668 and 669 storage rows 0 and 1.
TEST_F(LinesRectsTest, FillRect_AcrossWrapRowIsSplitBetweenEndAndStart) {
    SetView(2048 * 100 + 2 * 24);
    op->FillRect(990, 666, 20, 4, 0x0F0F);
    for (int32_t x = 990; x < 1010; ++x) {
        for (int32_t storage_row : {766, 767, 0, 1}) {
            EXPECT_EQ(Stored(Layer::Screen, storage_row, 24 + x), 0x0F0F)
                << storage_row << " " << x;
        }
        EXPECT_EQ(Stored(Layer::Screen, 765, 24 + x), 0) << x;  // row 665
        EXPECT_EQ(Stored(Layer::Screen, 2, 24 + x), 0) << x;    // row 670
    }
}

// Full-width rectangles are filled as one run per side of the wrap: every
// cell of their rows and no other, whatever the alignment of the run's start
// (an odd horizontal offset C starts it between two words) and length.
TEST_F(LinesRectsTest, FillRect_FullRowsAsLongRunsAtAnyOffset) {
    struct Case {
        int32_t offset, y, height;
    };
    const Case cases[] = {
        {0, 0, 768},                     // the whole layer, no wrap
        {2048 * 100 + 2 * 24, 0, 768},   // split at 668, C = 24
        {2048 * 100 + 2 * 3, 600, 150},  // odd C: 68 rows above the wrap, 82 below
        {2048 * 5 + 2 * 1021, 3, 700},   // the run before the wrap ends in the OverflowRow
        {2048 * 300 + 2, 460, 9},        // 8 rows above, 1 below: a long run and a short one
        {2048 * 700 + 2 * 5, 100, 7},    // all below the wrap, too short for the long way
    };
    for (const Case &c : cases) {
        SetView(c.offset);
        FillLayerWithPattern(Layer::Screen, 9);
        StorageGuard guard;
        guard.AllowLogical(Layer::Screen, {0, c.y, 1023, c.y + c.height - 1});
        op->FillRect(-5, c.y, 2000, c.height, 0xABCD1357);
        EXPECT_EQ(guard.Violations(), "") << c.offset << " " << c.y;
        for (int32_t y = c.y; y < c.y + c.height; ++y) {
            for (int32_t x = 0; x < 1024; ++x) {
                ASSERT_EQ(At(Layer::Screen, x, y), 0x1357) << c.offset << " " << x << "," << y;
            }
        }
    }
}

TEST_F(LinesRectsTest, DrawVLine_AcrossWrapRowIsOneLineOnScreen) {
    SetView(2048 * 100);  // W = 668
    op->DrawVLine(7, 660, 20, 0x2222);
    for (int32_t y = 655; y < 685; ++y) {
        const bool on = y >= 660 && y < 680;
        EXPECT_EQ(At(Layer::Screen, 7, y), on ? 0x2222 : 0) << y;
        const int32_t storage_row = y < 668 ? y + 100 : y - 668;
        EXPECT_EQ(Stored(Layer::Screen, storage_row, 7), on ? 0x2222 : 0) << y;
    }
}

// The last row above WrapRow is contiguous: its last C pixels are the OverflowRow's first cells.
TEST_F(LinesRectsTest, DrawHLine_OnLastRowBeforeWrapReachesTheOverflowRow) {
    SetView(2048 * 100 + 2 * 24);
    op->DrawHLine(995, 667, 100, 0x3333);  // clipped at 1023
    for (int32_t x = 995; x < 1024; ++x) EXPECT_EQ(Stored(Layer::Screen, 767, 24 + x), 0x3333) << x;
    EXPECT_EQ(Stored(Layer::Screen, 768, 24), 0);  // past the row's end
    EXPECT_EQ(Stored(Layer::Screen, 0, 23), 0);    // the OverflowRow's twin in row 0 stays
}

TEST_F(LinesRectsTest, ZeroOrNegativeSizes_DrawNothingEvenInsideTheClip) {
    struct Case {
        int32_t w, h;
    };
    constexpr Case kCases[] = {{0, 5}, {5, 0}, {-1, 5}, {5, -1}, {INT32_MIN, 5}, {0, 0}};
    for (const Case &c : kCases) {
        StorageGuard g;
        op->FillRect(100, 100, c.w, c.h, 1);
        op->BlendRect(100, 100, c.w, c.h, 1);
        op->DrawHLine(100, 100, std::min(c.w, c.h), 1);
        op->DrawVLine(100, 100, std::min(c.w, c.h), 1);
        EXPECT_EQ(g.Violations(), "") << c.w << "x" << c.h;
    }
}

}  // namespace
}  // namespace ruvo::test
