// Fuzzes every sprite slot with arbitrary sprite bytes and arguments and
// checks that nothing outside the clip rectangle (cut to the layer) changed,
// in any layer or in the DrawBlock; then the surface blits into a host image
// and mask buffer, checking that nothing outside their clip changed. Sprites are trusted to be
// framed (their rows lie inside their data) and may be anything inside the rows. The library
// gets each sprite in an allocation of exactly its size, so a read past its last row is an
// AddressSanitizer report.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "framestore/layers.h"
#include "interface/draw_block.h"
#include "ruvodraw1024.h"
#include "sprites/rle_sprite.h"
#include "tests/fuzz/sprite_input.h"

namespace ruvo::fuzz {
namespace {

struct State {
    RuvoDrawBlock *db;
    std::vector<uint8_t> layers;  // the layer area every input starts from
    uint16_t colours[256];
    uint32_t blend[256];
};

State &Setup() {
    static State state = [] {
        State s{};
        s.db = RuvoDraw_Init();
        uint32_t r = 12345;
        auto next = [&r] { return r = r * 1664525 + 1013904223; };
        for (size_t i = 0; i < sizeof theLayers.bytes; i += 2) {
            const uint32_t v = next() >> 16;
            std::memcpy(theLayers.bytes + i, &v, 2);
        }
        // The word before the DepthLayer is read as the value before position 0.
        std::memset(theLayers.bytes + 2 * kLayerSpacingBytes - 2, 0, 2);
        for (int i = 0; i < 256; ++i) {
            s.colours[i] = static_cast<uint16_t>(next() >> 16);
            s.blend[i] = next();
            for (auto &palette : s.db->SpritePalette) palette[i] = static_cast<uint16_t>(next());
        }
        s.layers.assign(theLayers.bytes, theLayers.bytes + sizeof theLayers.bytes);
        return s;
    }();
    return state;
}

// Byte ranges of the clip rectangle's cells in one layer, in storage order.
struct Range {
    size_t begin, end;
};

std::vector<Range> ClipRanges(const ClipRect &clip) {
    std::vector<Range> ranges;
    if (clip.Empty()) return ranges;
    for (int layer = 0; layer < 3; ++layer) {
        for (int32_t y = clip.top; y <= clip.bottom; ++y) {
            const size_t begin =
                layer * size_t{kLayerSpacingBytes} + 2 * size_t(RingIndex(clip.left, y));
            ranges.push_back({begin, begin + 2 * size_t(clip.Width())});
        }
    }
    std::sort(ranges.begin(), ranges.end(), [](Range a, Range b) { return a.begin < b.begin; });
    return ranges;
}

[[noreturn]] void Fail(const char *what, size_t offset) {
    std::fprintf(stderr, "sprite fuzzer: %s changed at byte 0x%zx\n", what, offset);
    std::abort();
}

void CheckAndRestore(const State &s, const std::vector<Range> &allowed) {
    size_t pos = 0;
    auto compare_up_to = [&](size_t end) {
        if (std::memcmp(theLayers.bytes + pos, s.layers.data() + pos, end - pos) == 0) return;
        for (size_t i = pos; i < end; ++i) {
            if (theLayers.bytes[i] != s.layers[i]) Fail("layer storage outside the clip", i);
        }
    };
    for (const Range &r : allowed) {
        compare_up_to(r.begin);
        std::memcpy(theLayers.bytes + r.begin, s.layers.data() + r.begin, r.end - r.begin);
        pos = r.end;
    }
    compare_up_to(s.layers.size());
}

uint16_t Load16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// A host image and mask buffer of 200 x 100 cells in rows of 208, with a
// clip rectangle inside them taken from the layer clip fields.
constexpr int32_t kHostWidth = 200, kHostHeight = 100, kHostPitch = 208;
constexpr uint16_t kUntouched = 0x5A5A;
constexpr uint8_t kUntouchedByte = 0x5A;

void BlitIntoHostSurfaces(const State &s, int32_t x, int32_t y, int32_t e, const void *sp) {
    static std::vector<uint16_t> image(size_t{kHostPitch} * kHostHeight);
    static std::vector<uint8_t> mask(size_t{kHostPitch} * kHostHeight);
    std::fill(image.begin(), image.end(), kUntouched);
    std::fill(mask.begin(), mask.end(), kUntouchedByte);
    const int32_t left = uint16_t(s.db->ClipLeft) % kHostWidth,
                  right = uint16_t(s.db->ClipRight) % kHostWidth;
    const int32_t top = uint16_t(s.db->ClipTop) % kHostHeight,
                  bottom = uint16_t(s.db->ClipBottom) % kHostHeight;
    // High bits in the fields, which count by their low 16 bits only.
    const RuvoSurfaceDesc desc{image.data(),
                               kHostPitch,
                               int32_t(uint32_t(left) | uint32_t(e) << 16),
                               top,
                               int32_t(uint32_t(right) | 0xFFFF0000u),
                               bottom};
    RuvoOperations &op = s.db->OperationSlot.Op;
    op.DrawSpriteToSurface(x, y, sp, s.colours, &desc);
    op.DrawSpriteToSurface(x, y, sp, s.blend, &desc);
    op.BlendSpriteToSurface(x, y, e & 31, s.colours, sp, &desc);
    op.StampSpriteMask(x, y, sp, uint32_t(e), &desc, mask.data());
    for (int32_t r = 0; r < kHostHeight; ++r) {
        for (int32_t c = 0; c < kHostPitch; ++c) {
            if (c >= left && c <= right && r >= top && r <= bottom) continue;
            const size_t i = size_t(r) * kHostPitch + c;
            if (image[i] != kUntouched) Fail("a host image outside its clip", 2 * i);
            if (mask[i] != kUntouchedByte) Fail("a mask buffer outside its clip", i);
        }
    }
}

}  // namespace
}  // namespace ruvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace ruvo;
    using namespace ruvo::fuzz;
    if (size < kArgumentBytes) return 0;
    State &s = Setup();
    RuvoDrawBlock *db = s.db;
    RuvoOperations &op = db->OperationSlot.Op;

    static constexpr uint16_t kFormats[][3] = {
        {0xF800, 0x07E0, 0x001F}, {0x7C00, 0x03E0, 0x001F}, {0x001F, 0x07E0, 0xF800}, {0, 0, 0}};
    const auto &format = kFormats[data[20] % 4];
    op.AnalysePixelFormat(format[0], format[1], format[2]);
    const int32_t scroll = 2048 * (Load16(data + 16) % 768) + 2 * (Load16(data + 18) % 1024);
    db->ScrollOffset = scroll;
    db->WrapRow = 768 - scroll / 2048;
    // High bits in two clip fields, which count by their low 16 bits only.
    db->ClipLeft = int32_t(uint32_t(Load16(data + 8)) | uint32_t(data[21]) << 16);
    db->ClipTop = Load16(data + 10);
    db->ClipRight = int32_t(uint32_t(Load16(data + 12)) | uint32_t(data[22]) << 24);
    db->ClipBottom = Load16(data + 14);
    const auto x = static_cast<int16_t>(Load16(data)), y = static_cast<int16_t>(Load16(data + 2));
    uint32_t extra;
    std::memcpy(&extra, data + 4, 4);

    // The sprite, framed: the row count cut to the rows whose bytes are all there. Its own
    // allocation, of exactly its size (a short header is completed with zeros).
    const size_t sprite_size = std::max(size - kArgumentBytes, size_t{kSpriteHeaderBytes});
    const std::unique_ptr<uint8_t[]> owned(new uint8_t[sprite_size]());
    uint8_t *sprite = owned.get();
    std::memcpy(sprite, data + kArgumentBytes, size - kArgumentBytes);
    size_t pos = kSpriteHeaderBytes;
    uint16_t rows = 0;
    while (rows < Load16(sprite + 6) && pos + 2 <= sprite_size &&
           pos + 2 + Load16(sprite + pos) <= sprite_size) {
        pos += 2 + Load16(sprite + pos);
        ++rows;
    }
    sprite[6] = static_cast<uint8_t>(rows);
    sprite[7] = static_cast<uint8_t>(rows >> 8);
    const void *sp = sprite;

    const std::vector<uint8_t> block(reinterpret_cast<const uint8_t *>(db),
                                     reinterpret_cast<const uint8_t *>(db) + sizeof *db);
    const std::vector<Range> allowed = ClipRanges(LayerClip16());

    const int32_t e = static_cast<int32_t>(extra);
    const uint16_t *t = s.colours;
    op.DrawBackSpriteP1(x, y, sp);
    op.DrawBackSpriteP2(x, y, sp);
    op.StampBackSpriteP0(x, y, e, sp);
    op.StampBackSprite(x, y, e, t, sp);
    op.StampBackSpritePlain(x, y, e, t, sp);
    op.DrawBackSprite(x, y, t, sp);
    op.CastBackShadow(x, y, extra, sp);
    op.DrawScreenSprite(x, y, t, sp);
    op.DrawScreenColourSprite(x, y, sp);
    op.DrawScreenBlendSprite(x, y, t, sp);
    op.DrawScreenSpriteTested(x, y, e, t, sp);
    op.DrawScreenBlendSpriteTested(x, y, e, t, sp);
    op.DrawScreenBlendSpriteStippled(x, y, e, t, sp);
    op.DrawScreenSpriteTranslucent(x, y, e, s.blend, sp);
    op.CastScreenShadow(x, y, extra, sp);
    op.DrawScreenSpriteAdditive(x, y, e, t, sp);
    op.ApplyScreenLight(x, y, e, sp);
    op.DrawScreenSpriteFaded(x, y, e, t, sp);

    if (std::memcmp(block.data(), db, sizeof *db) != 0) Fail("the DrawBlock", 0);
    CheckAndRestore(s, allowed);

    // The kind byte picks the surface coding: try the sprite as each kind too.
    for (uint8_t kind : {sprite[8], uint8_t{0xA1}, uint8_t{0xA2}, uint8_t{0xA3}, uint8_t{0xA9}}) {
        sprite[8] = kind;
        BlitIntoHostSurfaces(s, x % 300 - 50, y % 160 - 30, e, sp);
    }
    if (std::memcmp(block.data(), db, sizeof *db) != 0) Fail("the DrawBlock", 0);
    CheckAndRestore(s, {});
    return 0;
}
