// AnalysePixelFormat's fields, and the packed-pixel helpers that use them,
// against the plain per-channel formulas.
#include <gtest/gtest.h>

#include <array>

#include "framestore/pixel_math.h"
#include "tests/support/library_fixture.h"

namespace ruvo::test {
namespace {

using PixelFormatTest = LibraryTest;

struct FormatCase {
    const char *name;
    uint32_t red, green, blue;
    uint16_t red_shift, green_shift, blue_shift;
    uint32_t low, high, not_low, not_high, spread, spread_high, tint;
};

constexpr FormatCase kFormats[] = {
    {"5-6-5", 0xF800, 0x07E0, 0x001F, 0, 5, 11, 0x08210821, 0x84108410, 0xF7DEF7DE, 0x7BEF7BEF,
     0x07E0F81F, 0x04008010, 0x00850085},
    {"5-5-5", 0x7C00, 0x03E0, 0x001F, 1, 6, 11, 0x04210421, 0x42104210, 0xFBDEFBDE, 0xBDEFBDEF,
     0x03E07C1F, 0x02004010, 0x00450045},
    {"blue on top", 0x001F, 0x07E0, 0xF800, 11, 5, 0, 0x08210821, 0x84108410, 0xF7DEF7DE,
     0x7BEF7BEF, 0x07E0F81F, 0x04008010, 0x28802880},
};

TEST_F(PixelFormatTest, AnalysePixelFormat_GivesTheWorkedFields) {
    for (const FormatCase &f : kFormats) {
        EXPECT_EQ(op->AnalysePixelFormat(f.red, f.green, f.blue), f.spread) << f.name;
        EXPECT_EQ(db->RedMask, f.red << 16 | f.red) << f.name;
        EXPECT_EQ(db->GreenMask, f.green << 16 | f.green) << f.name;
        EXPECT_EQ(db->BlueMask, f.blue << 16 | f.blue) << f.name;
        EXPECT_EQ(db->RedShift, f.red_shift) << f.name;
        EXPECT_EQ(db->GreenShift, f.green_shift) << f.name;
        EXPECT_EQ(db->BlueShift, f.blue_shift) << f.name;
        EXPECT_EQ(db->LowBitsMask, f.low) << f.name;
        EXPECT_EQ(db->HighBitsMask, f.high) << f.name;
        EXPECT_EQ(db->NotLowBitsMask, f.not_low) << f.name;
        EXPECT_EQ(db->NotHighBitsMask, f.not_high) << f.name;
        EXPECT_EQ(db->SpreadMask, f.spread) << f.name;
        EXPECT_EQ(db->SpreadHighBitsMask, f.spread_high) << f.name;
        EXPECT_EQ(db->ShadowTint, f.tint) << f.name;
        EXPECT_EQ(db->Reserved0, 0) << f.name;
        EXPECT_EQ(db->Reserved1, 0u) << f.name;
    }
}

// Only the low 16 bits of each argument count, and an empty mask has shift 16
// and adds no bit to the low and high values.
TEST_F(PixelFormatTest, AnalysePixelFormat_EmptyAndWideMasks) {
    op->AnalysePixelFormat(0xABCDF800, 0x07E0, 0);
    EXPECT_EQ(db->RedMask, 0xF800F800u);
    EXPECT_EQ(db->BlueShift, 16);
    EXPECT_EQ(db->LowBitsMask, 0x08200820u);
    EXPECT_EQ(db->HighBitsMask, 0x84008400u);
    // 5 << (11 - 16 mod 32) leaves nothing in the low half.
    EXPECT_EQ(db->ShadowTint, 0x00800080u);
}

// The six orderings of the three shifts, one line each: which mask goes high.
TEST_F(PixelFormatTest, AnalysePixelFormat_SpreadMaskPutsTheMiddleChannelHigh) {
    struct Case {
        uint32_t r, g, b, want;
    };
    const Case cases[] = {
        {0x001F, 0x07E0, 0xF800, 0x07E0F81F},  // r > g > b
        {0x001F, 0xF800, 0x07E0, 0x07E0F81F},  // r > g, g <= b <= r: blue high
        {0x07E0, 0xF800, 0x001F, 0x07E0F81F},  // r > g, b > r: red high
        {0xF800, 0x07E0, 0x001F, 0x07E0F81F},  // r <= g <= b
        {0x07E0, 0x001F, 0xF800, 0x07E0F81F},  // r <= g, g > b, b <= r: red high
        {0xF800, 0x001F, 0x07E0, 0x07E0F81F},  // r <= g, g > b > r: blue high
    };
    for (const Case &c : cases) EXPECT_EQ(op->AnalysePixelFormat(c.r, c.g, c.b), c.want);
}

// Per-channel references over the 5-6-5 layout.
struct Channels {
    uint32_t r, g, b;
};
Channels Split(uint32_t p) { return {p >> 11 & 31, p >> 5 & 63, p & 31}; }
uint16_t Join(Channels c) { return static_cast<uint16_t>(c.r << 11 | c.g << 5 | c.b); }

TEST(PixelMath, Mix50_IsFloorOfTheChannelMeansForAllPixels) {
    for (uint32_t s = 0; s < 65536; s += 97) {
        for (uint32_t d = 0; d < 65536; d += 89) {
            Channels a = Split(s), b = Split(d);
            const uint16_t want = Join({(a.r + b.r) / 2, (a.g + b.g) / 2, (a.b + b.b) / 2});
            ASSERT_EQ(Mix50(static_cast<uint16_t>(s), static_cast<uint16_t>(d), 0x0821), want)
                << std::hex << s << " " << d;
        }
    }
}

TEST(PixelMath, HalveAndScale_MatchPerChannelFormulasOverAll65536Pixels) {
    for (uint32_t p = 0; p < 65536; ++p) {
        const Channels c = Split(p);
        const auto pixel = static_cast<uint16_t>(p);
        ASSERT_EQ(Halve(pixel, 0xF7DE), Join({c.r / 2, c.g / 2, c.b / 2})) << p;
        ASSERT_EQ(Fold(Spread(pixel, 0x07E0F81F)), pixel) << p;
        for (uint32_t m : {0u, 1u, 15u, 23u, 31u, 32u}) {
            ASSERT_EQ(ScaleBy32nds(pixel, m, 0x07E0F81F),
                      Join({c.r * m / 32, c.g * m / 32, c.b * m / 32}))
                << p << " x " << m;
        }
    }
}

}  // namespace
}  // namespace ruvo::test
