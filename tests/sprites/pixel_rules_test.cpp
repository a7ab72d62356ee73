// What each sprite operation does to a pixel it reaches: worked values of
// every rule, through the slots.
#include <gtest/gtest.h>

#include "sprites/pixel_ops.h"
#include "tests/support/sprite_fixture.h"
#include "tests/support/sprite_reference.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {
namespace {

using Bytes = std::vector<uint8_t>;

class PixelRuleTest : public SpriteTest {
  protected:
    // One pixel of index 1 (a literal), or a fill of n pixels of index 1.
    Bytes Dot(RunCoding coding) { return PictureSprite({"a"}, coding); }
    Bytes FillOf(int n, RunCoding coding) {
        return PictureSprite({std::string(n, 'a').c_str()}, coding);
    }
};

struct KeyCase {
    int32_t a;
    uint16_t key;
};

// clang-format off
const KeyCase kKeyCases[] = {
    {0,       0x8800}, {767,      0xE7E0}, {-64,     0x8000}, {959,           0xFFE0},
    {-1088,   0x0000}, {960,      0x0000}, {0x10000, 0x8800}, {-0x10000 + 1,  0x8820},
};
// clang-format on

TEST(DepthKeyTest, MatchesWorkedKeys) {
    for (const KeyCase &c : kKeyCases) EXPECT_EQ(DepthKey(c.a), c.key) << c.a;
}

struct StampCase {
    uint16_t depth_before, depth_after;
    bool shaded;
};

// Flag bits 0 and 1 survive, 2 to 4 are cleared; bit 1 shades the colour.
// clang-format off
const StampCase kStampCases[] = {
    {0x8802, 0x8802, true},
    {0x8804, 0x8800, false},
    {0x0003, 0x8803, true},
    {0x001F, 0x8803, true},
    {0xFFE1, 0x8801, false},
};
// clang-format on

TEST_F(PixelRuleTest, StampKeepingFlags_KeepsLowFlagsAndShadesOnBitOne) {
    db->SpritePalette[0][1] = 0xFFFF;
    table[1] = 0xFFFF;
    const uint16_t shaded = 0x7BEF + 0x0085;
    for (const StampCase &c : kStampCases) {
        At(Layer::Depth, 3, 3) = c.depth_before;
        op->StampBackSpriteP0(3, 3, 0, Dot(RunCoding::BlendRuns).data());
        EXPECT_EQ(At(Layer::Depth, 3, 3), c.depth_after) << std::hex << c.depth_before;
        EXPECT_EQ(At(Layer::Back, 3, 3), c.shaded ? shaded : 0xFFFF) << std::hex << c.depth_before;

        At(Layer::Depth, 4, 3) = c.depth_before;
        op->StampBackSprite(4, 3, 0, table, Dot(RunCoding::IndexRuns).data());
        EXPECT_EQ(At(Layer::Depth, 4, 3), c.depth_after);
        EXPECT_EQ(At(Layer::Back, 4, 3), c.shaded ? shaded : 0xFFFF);
    }
}

// A blended pixel is mixed first and then shaded; a fill shades every flagged
// pixel from the run's colour.
TEST_F(PixelRuleTest, StampKeepingFlags_ShadesMixesAndFills) {
    db->SpritePalette[0][1] = 0xFFFF;
    At(Layer::Depth, 0, 0) = 0x0002;
    op->StampBackSpriteP0(0, 0, 5, PictureSprite({"A"}, RunCoding::BlendRuns).data());
    EXPECT_EQ(At(Layer::Back, 0, 0), ((0x7BEF & 0xF7DE) >> 1) + 0x0085);
    EXPECT_EQ(At(Layer::Depth, 0, 0), DepthKey(5) | 2);

    table[1] = 0xF800;
    for (int x = 0; x < 6; ++x) At(Layer::Depth, x, 1) = x % 2 ? 0x0002 : 0x0000;
    op->StampBackSprite(0, 1, 0, table, FillOf(6, RunCoding::IndexRuns).data());
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(At(Layer::Back, x, 1), x % 2 ? 0x7800 + 0x0085 : 0xF800) << x;
    }
}

TEST_F(PixelRuleTest, StampReplacing_WritesTheKeyExactly) {
    for (uint16_t before : {0x0000, 0x0002, 0x8803, 0xFFFF}) {
        At(Layer::Depth, 2, 2) = before;
        op->StampBackSpritePlain(2, 2, 767, table, Dot(RunCoding::BlendRuns).data());
        EXPECT_EQ(At(Layer::Depth, 2, 2), 0xE7E0);
        EXPECT_EQ(At(Layer::Back, 2, 2), PictureColour(1));
    }
}

struct DepthCase {
    uint16_t v, u;  // the depth value at the pixel and at the position before it
    bool drawn;
};

// Key of depth 0 is 0x8800.
// clang-format off
const DepthCase kDepthCases[] = {
    {0x87FF, 0xFFFF, true},
    {0x8801, 0x0000, false},
    {0x8800, 0x87FF, true},
    {0x8800, 0x8800, false},
    {0x8800, 0x8801, false},
    {0x0000, 0x0000, true},
};
// clang-format on

TEST_F(PixelRuleTest, DepthTest_ComparesTheValueAndTheOneBeforeIt) {
    uint32_t blend[256] = {};
    blend[1] = 0x1234;  // weight 0
    for (const char *name : {"DrawScreenSpriteTested", "DrawScreenBlendSpriteTested",
                             "DrawScreenSpriteTranslucent", "DrawScreenSpriteAdditive"}) {
        const SpriteSlot &slot = SpriteSlotNamed(name);
        const Bytes sprite = Dot(slot.coding);
        for (const DepthCase &c : kDepthCases) {
            At(Layer::Screen, 10, 10) = 0;
            At(Layer::Depth, 9, 10) = c.u;
            At(Layer::Depth, 10, 10) = c.v;
            StorageGuard guard;
            guard.AllowLogical(Layer::Screen, {10, 10, 10, 10});
            CallSpriteSlot(slot, op, {10, 10, 0, table, blend, sprite});
            EXPECT_EQ(guard.Violations(), "");  // never the depth layer
            EXPECT_EQ(At(Layer::Screen, 10, 10) != 0, c.drawn)
                << name << std::hex << " v " << c.v << " u " << c.u;
        }
    }
}

// Before the first storage position lies a word that is always 0.
TEST_F(PixelRuleTest, DepthTest_AtTheFirstStoragePositionSeesZeroBefore) {
    At(Layer::Depth, 0, 0) = DepthKey(0);
    op->DrawScreenSpriteTested(0, 0, 0, table, Dot(RunCoding::IndexRuns).data());
    EXPECT_EQ(At(Layer::Screen, 0, 0), PictureColour(1));
}

TEST_F(PixelRuleTest, Stippled_DrawsTheCheckerboardWhereTheTestFails) {
    FillLayer(Layer::Depth, 0xFFFF);
    const Bytes sprite = PictureSprite({"aaaaaa", "aaaaaa"}, RunCoding::BlendRuns);
    op->DrawScreenBlendSpriteStippled(2, 3, 0, table, sprite.data());
    EXPECT_EQ(Row(Layer::Screen, 2, 3, 6), ".a.a.a");  // 2 + 3 is odd, 3 + 3 even
    EXPECT_EQ(Row(Layer::Screen, 2, 4, 6), "a.a.a.");
    FillLayer(Layer::Screen, 0);
    SetView(2);  // ScrollOffset / 2 = 1 turns the phase
    op->DrawScreenBlendSpriteStippled(2, 3, 0, table, sprite.data());
    EXPECT_EQ(Row(Layer::Screen, 2, 3, 6), "a.a.a.");
    FillLayer(Layer::Depth, 0);  // passing everywhere: drawn whole
    op->DrawScreenBlendSpriteStippled(2, 5, 0, table, sprite.data());
    EXPECT_EQ(Row(Layer::Screen, 2, 5, 6), "aaaaaa");
}

struct ColourCase {
    uint32_t entry;  // a table colour or a BlendTable entry
    uint16_t d, want;
};

// clang-format off
const ColourCase kTranslucentCases[] = {
    {31u << 19 | 0xFFFF,          0x1234, 0x1234},  // weight 31: unchanged
    {(256u + 31) << 19 | 0x0001,  0x1234, 0x1234},  // the low 8 bits of the weight are 31
    {0u << 19 | 0xABCD,           0xFFFF, 0xABCD},  // weight 0: the colour bits as they are
    {16u << 19 | 0x0021,          0xFFFF, 0x7C10},  // 0x7BEF + 0x0021
    {16u << 19 | 7u << 16,        0xF800, 0x7800},  // bits 16 to 18 are ignored
};
// clang-format on

TEST_F(PixelRuleTest, Translucent_ScalesByTheEntryWeightAndAddsItsColour) {
    uint32_t blend[256] = {};
    for (const ColourCase &c : kTranslucentCases) {
        blend[1] = c.entry;
        At(Layer::Screen, 5, 5) = c.d;
        op->DrawScreenSpriteTranslucent(5, 5, 0, blend, Dot(RunCoding::IndexRuns).data());
        EXPECT_EQ(At(Layer::Screen, 5, 5), c.want) << std::hex << c.entry;
    }
}

// clang-format off
const ColourCase kAdditiveCases[] = {
    {0x0000, 0x1234, 0x1234},  // colour 0: unchanged
    {0xFFFF, 0x1234, 0xFFFF},  // white plus anything: every channel at its maximum
    {0x1234, 0xFFFF, 0xFFFF},
    {0x0841, 0x0841, 0x1082},  // no channel overflows
    {0xF800, 0x0800, 0xF800},  // red overflows: red at its maximum, the others kept
    {0x001F, 0x0010, 0x001F},
    {0x001F, 0x001F, 0x003F},  // blue sums to 62: the carry formula leaves a unit in green
};
// clang-format on

TEST_F(PixelRuleTest, Additive_SaturatesChannelsByTheCarryFormula) {
    for (const ColourCase &c : kAdditiveCases) {
        table[1] = static_cast<uint16_t>(c.entry);
        At(Layer::Screen, 5, 5) = c.d;
        op->DrawScreenSpriteAdditive(5, 5, 0, table, Dot(RunCoding::IndexRuns).data());
        EXPECT_EQ(At(Layer::Screen, 5, 5), c.want) << std::hex << c.entry << " + " << c.d;
    }
}

// clang-format off
const ColourCase kLightCases[] = {
    {8,    0xFFFF, 0x7BEF},
    {16,   0xF83F, 0xF83F},
    {16,   0xFFFF, 0xFFFF},
    {31,   0x8410, 0xFFDF},  // red and blue saturate; green (6 bits) 32 x 31 / 16 = 62
    {0x28, 0xFFFF, 0x7BEF},  // only the low 5 bits of the byte count
    // Green's lowest bit falls under the guard arithmetic in 5-6-5: the
    // formula sets it where the scaled green is at most 31.
    {16,   0x0000, 0x0020},
    {0,    0xFFFF, 0x0020},
};
// clang-format on

TEST_F(PixelRuleTest, Light_ScalesByLevelOver16) {
    for (const ColourCase &c : kLightCases) {
        const Bytes sprite = assets::SpriteWriter(0, 0, 1)
                                 .Row()
                                 .Code(0x01)
                                 .Bytes({static_cast<uint8_t>(c.entry)})
                                 .Finish();
        At(Layer::Screen, 5, 5) = c.d;
        op->ApplyScreenLight(5, 5, 0, sprite.data());
        EXPECT_EQ(At(Layer::Screen, 5, 5), c.want) << c.entry << " over " << std::hex << c.d;
    }
    // A fill of level byte 0 is a skip.
    const Bytes skip = assets::SpriteWriter(0, 0, 4).Row().Code(0x84).Bytes({0}).Finish();
    StorageGuard guard;
    op->ApplyScreenLight(5, 5, 0, skip.data());
    EXPECT_EQ(guard.Violations(), "");
}

// For 5-bit channels the formula is min(31, floor(channel x k / 16)): all of
// 5-5-5, and red and blue of 5-6-5.
TEST(LightLevelTest, FiveBitChannelsScaleAndSaturate) {
    struct Format {
        uint32_t s;
        uint16_t masks[3];
        int shifts[3];
    };
    const Format formats[] = {{0x03E07C1F, {0x7C00, 0x03E0, 0x001F}, {10, 5, 0}},
                              {0x07E0F81F, {0xF800, 0x001F, 0}, {11, 0, 0}}};
    for (const Format &f : formats) {
        for (uint32_t k = 0; k < 32; ++k) {
            for (uint32_t p = 0; p < 0x10000; p += 7) {
                const uint16_t got = ApplyLightLevel(static_cast<uint16_t>(p), k, f.s);
                for (int i = 0; i < 3 && f.masks[i]; ++i) {
                    const uint32_t ch = (p & f.masks[i]) >> f.shifts[i];
                    const uint32_t want = std::min<uint32_t>(31, ch * k / 16);
                    ASSERT_EQ((got & f.masks[i]) >> f.shifts[i], want) << p << " k " << k;
                }
            }
        }
    }
}

// clang-format off
const ColourCase kFadedCases[] = {
    {0,  0x0000, 0xF7BE},  // weight 0: the colour at 31/32 (colour 0xFFFF)
    {31, 0xFFFF, 0xF7BE},  // weight 31: the old pixel at 31/32
    {16, 0x0000, 0x73AE},  // floor(c x 15 / 32): 14, 29, 14
    {16, 0xFFFF, 0xEF9D},  // plus floor(d x 16 / 32): 29, 60, 29
};
// clang-format on

TEST_F(PixelRuleTest, Faded_WeighsColourAndPixelIn32nds) {
    table[1] = 0xFFFF;
    for (const ColourCase &c : kFadedCases) {
        At(Layer::Screen, 5, 5) = c.d;
        op->DrawScreenSpriteFaded(5, 5, int32_t(c.entry), table, Dot(RunCoding::IndexRuns).data());
        EXPECT_EQ(At(Layer::Screen, 5, 5), c.want) << c.entry << " over " << std::hex << c.d;
    }
}

struct ShadowCase {
    uint16_t depth_before;
    uint32_t flags;
    uint16_t depth_after;
    bool darkened;
};

// clang-format off
const ShadowCase kShadowCases[] = {
    {0x0000, 0x0000,     0x0000, true},
    {0x2A08, 0x0010,     0x2A18, true},
    {0x0001, 0x0000,     0x0001, false},
    {0x0004, 0x0008,     0x0004, false},
    {0x8000, 0x0000,     0x8000, false},
    {0x8800, 0x0008,     0x8800, false},  // stamped: no shadow
    {0x0020, 0x12340008, 0x0028, true},   // only the low 16 bits of the flags
};
// clang-format on

TEST_F(PixelRuleTest, Shadow_DarkensWhereNoBlockingFlagIsSet) {
    for (const ShadowCase &c : kShadowCases) {
        for (bool screen : {true, false}) {
            const Layer layer = screen ? Layer::Screen : Layer::Back;
            At(layer, 5, 5) = 0xFFFF;
            At(Layer::Depth, 5, 5) = c.depth_before;
            StorageGuard guard;
            guard.AllowLogical(layer, {5, 5, 5, 5});
            guard.AllowLogical(Layer::Depth, {5, 5, 5, 5});
            const Bytes sprite = PictureSprite({"a"}, RunCoding::MaskRuns);
            if (screen) {
                op->CastScreenShadow(5, 5, c.flags, sprite.data());
            } else {
                op->CastBackShadow(5, 5, c.flags, sprite.data());
            }
            EXPECT_EQ(guard.Violations(), "");
            EXPECT_EQ(At(Layer::Depth, 5, 5), c.depth_after) << std::hex << c.depth_before;
            EXPECT_EQ(At(layer, 5, 5), c.darkened ? 0x7BEF + 0x0085 : 0xFFFF);
        }
    }
}

// A flag in 0x0007 marks the pixel, so overlapping shadows darken it once.
TEST_F(PixelRuleTest, Shadow_WithABlockingFlagDarkensOnce) {
    FillLayer(Layer::Screen, 0xFFFF);
    const Bytes sprite = PictureSprite({"aaaa"}, RunCoding::MaskRuns);
    op->CastScreenShadow(0, 0, 0x0004, sprite.data());
    op->CastScreenShadow(2, 0, 0x0004, sprite.data());
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At(Layer::Screen, x, 0), 0x7BEF + 0x0085) << x;
}

}  // namespace
}  // namespace ruvo::test
