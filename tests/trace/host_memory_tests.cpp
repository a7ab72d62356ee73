// What the tracer copies of host memory for a call: exactly what the
// operation reads, so a replay has every byte and the tracer reads nothing
// the host did not hand over.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tools/assets/sprite_codec.h"
#include "tools/trace/host_memory.h"
#include "tools/trace/trace_file.h"

namespace ruvo::trace {
namespace {

uint64_t W(int32_t v) { return uint32_t(v); }
uint64_t P(const void *p) { return reinterpret_cast<uintptr_t>(p); }

std::vector<uint8_t> Sprite(int w, int h, int y_offset = 0) {
    assets::SpriteImage img(w, h);
    img.y_offset = y_offset;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; x += 2) img.Set(x, y, uint16_t(1 + (x + y) % 7));
    }
    return assets::EncodeSprite(img, RunCoding::IndexRuns);
}

TEST(HostMemory, SpriteLengthIsHeaderAndEveryRowRecord) {
    for (auto [w, h] : {std::pair{1, 1}, {7, 3}, {300, 40}}) {
        auto s = Sprite(w, h);
        s.resize(s.size() + 50, 0xEE);  // what follows is not the sprite's
        EXPECT_EQ(SpriteBytes(s.data()), int64_t(s.size() - 50)) << w << "x" << h;
    }
    const uint8_t empty[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0xA1};
    EXPECT_EQ(SpriteBytes(empty), 9);
}

TEST(HostMemory, SpriteCallsCaptureTablesAndSprite) {
    auto s = Sprite(5, 4);
    uint16_t colours[256] = {};
    uint32_t blend[256] = {};
    uint64_t tested[5] = {W(1), W(2), W(3), P(colours), P(s.data())};
    auto r = CallRegions(RUVO_SLOT_DrawScreenSpriteTested, tested);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].arg, 3);
    EXPECT_EQ(r[0].hi, 512);
    EXPECT_EQ(r[1].arg, 4);
    EXPECT_EQ(r[1].hi, int64_t(s.size()));
    uint64_t translucent[5] = {W(1), W(2), W(3), P(blend), P(s.data())};
    EXPECT_EQ(CallRegions(RUVO_SLOT_DrawScreenSpriteTranslucent, translucent)[0].hi, 1024);
    uint64_t null_table[5] = {W(1), W(2), W(3), 0, P(s.data())};
    EXPECT_EQ(CallRegions(RUVO_SLOT_DrawScreenSpriteTested, null_table).size(), 1u);
}

// Only the glyphs the string uses; the font may be longer than they reach.
TEST(HostMemory, TextCapturesTheFontUpToTheGlyphsItUses) {
    std::vector<uint8_t> font(1540, 0);
    const auto a = Sprite(3, 3), b = Sprite(4, 5);
    auto place = [&](unsigned char c, const std::vector<uint8_t> &g) {
        const uint32_t at = uint32_t(font.size());
        std::memcpy(&font[size_t{4} * c], &at, 4);
        font.insert(font.end(), g.begin(), g.end());
    };
    place('a', a);
    place('b', b);
    font.resize(font.size() + 4000);
    const char text[] = "aaa";
    uint64_t args[5] = {W(0), W(0), P(text), P(font.data()), 0};
    auto r = CallRegions(RUVO_SLOT_DrawText, args);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].hi, 4);  // with the terminating zero
    EXPECT_EQ(r[1].hi, int64_t(1540 + a.size()));
    const char both[] = "ba";
    args[2] = P(both);
    EXPECT_EQ(CallRegions(RUVO_SLOT_DrawText, args)[1].hi, int64_t(1540 + a.size() + b.size()));
}

// A host image paired with a layer rectangle is cut as the layer side is.
TEST(HostMemory, ImagesAreCutWithTheLayerRectangle) {
    uint16_t image[4] = {};
    // PresentImage(src 10,20, 100x50, to -30,760, pitch 640): 70 columns, 8 rows remain.
    uint64_t present[8] = {W(10), W(20), W(100), W(50), W(-30), W(760), W(640), P(image)};
    auto r = CallRegions(RUVO_SLOT_PresentImage, present);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].lo, (20 * 640 + 40) * 2);
    EXPECT_EQ(r[0].hi, (27 * 640 + 40 + 70) * 2);
    // ReadScreenRect wholly outside the layer writes nothing.
    uint64_t read[8] = {W(1024), W(0), W(8), W(8), W(0), W(0), W(8), P(image)};
    EXPECT_TRUE(CallRegions(RUVO_SLOT_ReadScreenRect, read).empty());
    // CopyImageRect with a negative pitch spans from the last row to the first.
    uint64_t copy[10] = {W(2), W(3), W(-100), P(image), W(0), W(0), W(100), P(image), W(4), W(2)};
    r = CallRegions(RUVO_SLOT_CopyImageRect, copy);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].lo, (4 * -100 + 2) * 2);
    EXPECT_EQ(r[0].hi, (3 * -100 + 2 + 4) * 2);
    EXPECT_EQ(r[1].lo, 0);
    EXPECT_EQ(r[1].hi, (100 + 4) * 2);
}

// Surface blits: the clip rectangle's columns over the sprite's rows.
TEST(HostMemory, SurfaceBlitsCaptureTheClippedRowsOfTheImage) {
    auto s = Sprite(6, 10, -2);  // rows y - 2 .. y + 7
    uint16_t colours[256] = {};
    uint16_t image[1];
    RuvoSurfaceDesc desc{image, 200, 0x10000 + 5, 4, 50, 100};  // clip left counts by 16 bits: 5
    uint64_t args[5] = {W(0), W(10), P(s.data()), P(colours), P(&desc)};
    auto r = CallRegions(RUVO_SLOT_DrawSpriteToSurface, args);
    ASSERT_EQ(r.size(), 4u);
    const Region &img = r[3];
    EXPECT_EQ(img.arg, kDescBase);
    EXPECT_EQ(img.lo, (8 * 200 + 5) * 2);
    EXPECT_EQ(img.hi, (17 * 200 + 50 + 1) * 2);
    std::vector<uint8_t> mask(1);
    uint64_t stamp[6] = {W(0), W(0), P(s.data()), W(1), P(&desc), P(mask.data())};
    r = CallRegions(RUVO_SLOT_StampSpriteMask, stamp);
    ASSERT_EQ(r.size(), 3u);  // the sprite, the description, the mask rows 4..7 in bytes
    EXPECT_EQ(r[2].lo, 4 * 200 + 5);
    EXPECT_EQ(r[2].hi, 7 * 200 + 50 + 1);
    stamp[1] = W(-8);  // rows -10..-1 lie above the clip rectangle: no mask bytes
    EXPECT_EQ(CallRegions(RUVO_SLOT_StampSpriteMask, stamp).size(), 2u);
}

}  // namespace
}  // namespace ruvo::trace
