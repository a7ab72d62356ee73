// What each operation does to one pixel: shade-table rows and the dither bit,
// the light levels the accumulator gives, darkening, tinting and blackening.
#include <gtest/gtest.h>

#include <random>

#include "framestore/pixel_math.h"
#include "tests/support/storage_guard.h"
#include "tests/tiles/tile_fixture.h"
#include "tiles/tile_pixel_math.h"

namespace ruvo::test {
namespace {

using TilePixelTest = TileTest;

constexpr int32_t kX = 400, kY = 200;

// Calls fn(column, row) for every footprint pixel of the tile at (kX, kY).
template <class Fn>
void ForEachFootprintPixel(Fn &&fn) {
    for (int32_t r = 0; r < 32; ++r) {
        const int32_t half = r < 16 ? 1 + 2 * r : 30 - 2 * (r - 16);
        for (int32_t c = kX - half; c <= kX + half; ++c) fn(c, kY + r);
    }
}

// The dither bit of a whole tile drawn with phase 0.
uint32_t WholeTileDither(int32_t c, int32_t row) { return (c + row + kX + kY + 1) & 1; }

TEST_F(TilePixelTest, DrawShadedTile_UniformCornersPickLevelPlus32Dither) {
    std::mt19937 rng(11);
    for (uint16_t &e : db->ShadeTable) e = static_cast<uint16_t>(rng());
    struct Case {
        int32_t level;
        uint8_t byte;
    };
    constexpr Case kCases[] = {{0, 0}, {0, 255}, {1, 17}, {16, 128}, {31, 1}, {31, 254}};
    for (const Case &c : kCases) {
        theDitherPhase = 0;
        const assets::TileBytes bytes = Uniform(c.byte);
        op->DrawShadedTile(kX, kY, c.level, c.level, c.level, c.level, bytes.data());
        ForEachFootprintPixel([&](int32_t col, int32_t row) {
            const uint32_t entry = (c.level + 32 * WholeTileDither(col, row)) * 256 + c.byte;
            ASSERT_EQ(At(Layer::Back, col, row), db->ShadeTable[entry])
                << "level " << c.level << " byte " << int{c.byte} << " at " << col << ", " << row;
        });
    }
}

// Corner values outside 0..31 take the row modulo 64, (level XOR 32 d) AND 63,
// so no corner reads outside the ShadeTable.
TEST_F(TilePixelTest, DrawShadedTile_OutOfRangeCornersStayInsideTheTable) {
    FillShadeTableWithRowNumbers();
    struct Case {
        int32_t corner;
        uint16_t row_d0, row_d1;
    };
    constexpr Case kCases[] = {
        {32, 32, 0},  {40, 40, 8},  {63, 63, 31},       {64, 0, 32},
        {200, 8, 40}, {-1, 63, 31}, {INT32_MIN, 0, 32}, {INT32_MAX, 63, 31},
    };
    const assets::TileBytes bytes = Uniform(0);
    for (const Case &c : kCases) {
        theDitherPhase = 0;
        op->DrawShadedTile(kX, kY, c.corner, c.corner, c.corner, c.corner, bytes.data());
        ForEachFootprintPixel([&](int32_t col, int32_t row) {
            const uint16_t want = WholeTileDither(col, row) ? c.row_d1 : c.row_d0;
            ASSERT_EQ(At(Layer::Back, col, row), want) << "corner " << c.corner;
        });
    }
}

// Worked levels of the accumulator at the corners of the diamond.
TEST_F(TilePixelTest, DrawShadedTile_LightFollowsTheAccumulator) {
    FillShadeTableWithRowNumbers();
    struct Case {
        int32_t left, right, top, bottom;
        int32_t dx, row;
        uint32_t level;
    };
    constexpr Case kCases[] = {
        {0, 31, 0, 0, -31, 15, 0},    // A = P = 124
        {0, 31, 0, 0, 31, 15, 30},    // A = 63 P = 7812
        {0, 0, 31, 0, 0, 0, 29},      // A = 7936 + U = 7936 - 496
        {0, 0, 0, 31, 0, 31, 31},     // A = 16 D = 7936
        {31, 0, 0, 0, -31, 15, 30},   // A = 16 U + P = 7936 - 124
        {20, 20, 20, 20, 5, 20, 20},  // flat light
        {10, 20, 30, 0, 0, 16, 14},   // A = 2560 + D + 30 P = 2560 - 160 + 1200
    };
    const assets::TileBytes bytes = Uniform(0);
    for (const Case &c : kCases) {
        theDitherPhase = 0;
        op->DrawShadedTile(kX, kY, c.left, c.right, c.top, c.bottom, bytes.data());
        const int32_t col = kX + c.dx, row = kY + c.row;
        EXPECT_EQ(At(Layer::Back, col, row), c.level + 32 * WholeTileDither(col, row))
            << c.left << " " << c.right << " " << c.top << " " << c.bottom << " at " << c.dx << ", "
            << c.row;
    }
}

// DarkenTile's 16-bit form of the spread multiply equals the 32-bit one for
// every pixel and level, whatever the masks.
TEST(TilePixelMath, ScaleBy32ndsInHalves_EqualsScaleBy32nds) {
    constexpr uint32_t kSpreads[] = {0x07E0F81F, 0x03E07C1F, 0x07E01FF8, 0x0F0FF0F0};
    for (uint32_t s : kSpreads) {
        const auto g = static_cast<uint16_t>(s >> 16), rb = static_cast<uint16_t>(s);
        for (uint32_t v = 0; v < 32; ++v) {
            for (uint32_t p = 0; p < 0x10000; ++p) {
                const auto pixel = static_cast<uint16_t>(p);
                ASSERT_EQ(ScaleBy32ndsInHalves(pixel, static_cast<uint16_t>(v), g, rb),
                          ScaleBy32nds(pixel, v, s))
                    << std::hex << "S " << s << " p " << p << std::dec << " v " << v;
            }
        }
    }
}

// Each channel becomes floor(channel * level / 32), checked per channel.
TEST_F(TilePixelTest, DarkenTile_ScalesEveryChannelByLevelIn32nds) {
    struct Format {
        uint32_t red, green, blue;
    };
    constexpr Format kFormats[] = {{0xF800, 0x07E0, 0x001F}, {0x7C00, 0x03E0, 0x001F}};
    for (const Format &f : kFormats) {
        op->AnalysePixelFormat(f.red, f.green, f.blue);
        for (int32_t level : {0, 1, 5, 16, 31}) {
            FillLayerWithPattern(Layer::Screen, static_cast<uint32_t>(level));
            std::vector<uint16_t> before(ScreenCells(), ScreenCells() + kLayerCells);
            op->DarkenTile(kX, kY, level, level, level, level);
            ForEachFootprintPixel([&](int32_t col, int32_t row) {
                const uint16_t p = before[RingIndex(col, row)];
                uint32_t want = 0;
                for (uint32_t mask : {f.red, f.green, f.blue}) {
                    const uint32_t shift = static_cast<uint32_t>(__builtin_ctz(mask));
                    want |= ((((p & mask) >> shift) * level / 32) << shift) & mask;
                }
                ASSERT_EQ(At(Layer::Screen, col, row), want)
                    << std::hex << "p " << p << std::dec << " level " << level;
            });
        }
    }
}

// Levels are bits 8..15 of the accumulator: 32..255 keep the pixel, and a
// corner of 256 is level 0.
TEST_F(TilePixelTest, DarkenTile_LevelsFrom32UpLeaveThePixel) {
    struct Case {
        int32_t corner;
        bool keeps;
    };
    constexpr Case kCases[] = {{32, true}, {100, true},  {255, true},  {288, true},
                               {-1, true}, {-224, true}, {256, false}, {INT32_MIN, false}};
    for (const Case &c : kCases) {
        FillLayerWithPattern(Layer::Screen, 3);
        StorageGuard guard;
        if (!c.keeps) guard.AllowLogical(Layer::Screen, {kX - 31, kY, kX + 31, kY + 31});
        op->DarkenTile(kX, kY, c.corner, c.corner, c.corner, c.corner);
        EXPECT_EQ(guard.Violations(), "") << "corner " << c.corner;
        if (!c.keeps) {
            EXPECT_EQ(At(Layer::Screen, kX, kY + 16), 0) << "corner " << c.corner;
        }
    }
}

TEST_F(TilePixelTest, TintTile_HalvesThenAddsTheColourUnhalved) {
    struct Case {
        uint16_t pixel;
        uint32_t colour;
        uint16_t want;
    };
    constexpr Case kCases[] = {
        {0xFFFF, 0x0000, 0x7BEF},  // every channel halved, low bits dropped
        {0x0821, 0x0000, 0x0000},  // channels of 1 vanish
        {0xF800, 0x0000, 0x7800},     {0x07E0, 0x0000, 0x03E0},
        {0x001F, 0x0000, 0x000F},     {0xFFFF, 0x8410, 0xFFFF},  // the colour is not halved
        {0x0000, 0x1234, 0x1234},     {0xFFFF, 0xFFFF, 0x7BEE},  // kept to 16 bits
        {0xFFFF, 0xABCD8410, 0xFFFF},  // the high half of the argument is ignored
    };
    for (const Case &c : kCases) {
        FillLayer(Layer::Screen, c.pixel);
        StorageGuard guard;
        guard.AllowLogical(Layer::Screen, {kX - 31, kY, kX + 31, kY + 31});
        op->TintTile(kX, kY, c.colour);
        EXPECT_EQ(guard.Violations(), "");
        ForEachFootprintPixel([&](int32_t col, int32_t row) {
            ASSERT_EQ(At(Layer::Screen, col, row), c.want)
                << std::hex << c.pixel << " + " << c.colour;
        });
    }
}

TEST_F(TilePixelTest, BlackenTile_ZeroesExactlyTheCoveredPixels) {
    std::mt19937 rng(5);
    assets::TileBytes bytes;
    for (auto &b : bytes) b = rng() % 3 == 0 ? 0 : static_cast<uint8_t>(rng() | 1);
    FillLayer(Layer::Screen, 0x1234);
    op->BlackenTile(kX, kY, 0, 0, 0, 0, bytes.data());
    int32_t i = 0;
    ForEachFootprintPixel([&](int32_t col, int32_t row) {
        ASSERT_EQ(At(Layer::Screen, col, row), bytes[i] ? 0 : 0x1234) << "byte " << i;
        ++i;
    });
    EXPECT_EQ(CountCells(Layer::Screen, 0),
              static_cast<int32_t>(
                  std::count_if(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0; })));
}

TEST_F(TilePixelTest, BlackenTile_EmptyBytesAndCornersChangeNothing) {
    const assets::TileBytes empty = Uniform(0);
    const assets::TileBytes full = Uniform(9);
    FillLayerWithPattern(Layer::Screen, 1);
    {
        StorageGuard guard;
        op->BlackenTile(kX, kY, 1, 2, 3, 4, empty.data());
        EXPECT_EQ(guard.Violations(), "");
    }
    op->BlackenTile(kX, kY, 0, 0, 0, 0, full.data());
    const std::vector<uint16_t> plain(ScreenCells(), ScreenCells() + kLayerCells);
    FillLayerWithPattern(Layer::Screen, 1);
    op->BlackenTile(kX, kY, INT32_MIN, 77, -5, INT32_MAX, full.data());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), ScreenCells()));
}

}  // namespace
}  // namespace ruvo::test
