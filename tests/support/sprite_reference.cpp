#include "tests/support/sprite_reference.h"

#include <bit>
#include <cstring>
#include <string>

#include "tools/assets/sprite_codec.h"

namespace ruvo::test {
namespace {

using assets::Cover;
constexpr RunCoding kB = RunCoding::BlendRuns, kI = RunCoding::IndexRuns,
                    kC = RunCoding::ColourRuns, kM = RunCoding::MaskRuns;

uint16_t Low(uint32_t v) { return static_cast<uint16_t>(v); }

// The three channels of a pixel, each shifted down to bit 0.
struct Channels {
    uint32_t v[3];
};

struct Format {
    uint16_t mask[3];
    Channels Split(uint16_t p) const {
        Channels c{};
        for (int i = 0; i < 3; ++i)
            c.v[i] = mask[i] ? (p & mask[i]) >> std::countr_zero(mask[i]) : 0;
        return c;
    }
    uint16_t Join(const Channels &c) const {
        uint32_t p = 0;
        for (int i = 0; i < 3; ++i) {
            if (mask[i]) p |= (c.v[i] << std::countr_zero(mask[i])) & mask[i];
        }
        return static_cast<uint16_t>(p);
    }
    // Every channel halved, rounded down, plus the tint's channel.
    uint16_t HalveTint(uint16_t p, uint16_t tint) const {
        Channels c = Split(p), t = Split(tint);
        for (int i = 0; i < 3; ++i) c.v[i] = c.v[i] / 2 + t.v[i];
        return Join(c);
    }
    uint16_t Mix(uint16_t s, uint16_t d) const {
        Channels a = Split(s), b = Split(d);
        for (int i = 0; i < 3; ++i) a.v[i] = (a.v[i] + b.v[i]) / 2;
        return Join(a);
    }
    // Every channel times m / 32, rounded down.
    uint16_t Scale(uint16_t p, uint32_t m) const {
        Channels c = Split(p);
        for (int i = 0; i < 3; ++i) c.v[i] = c.v[i] * m / 32;
        return Join(c);
    }
};

// The additive and light rules are given as formulas on the packed pixel;
// the formulas are the contract (their per-channel summaries are not exact).
uint16_t AdditiveFormula(uint16_t s, uint16_t d, const DrawBlock &b) {
    const uint32_t sum = uint32_t{s} + d;
    const uint32_t carry = ((s ^ d ^ sum) >> 1) & Low(b.HighBitsMask);
    uint32_t r = sum - carry;
    for (uint32_t m : {b.RedMask, b.GreenMask, b.BlueMask}) {
        if (carry & Low(m)) r |= Low(m);
    }
    return static_cast<uint16_t>(r);
}

uint16_t LightFormula(uint16_t d, uint32_t k, uint32_t s) {
    const uint32_t spread = ((uint32_t{d} << 16) | d) & s;
    const uint32_t t = ((spread * k) >> 4) & (s | (s << 1));
    const uint32_t u = (s - t) >> 5;
    const uint32_t v = (t | u) & s;
    return static_cast<uint16_t>((v >> 16) | v);
}

}  // namespace

#define RUVO_SPRITE_SLOT(name, coding, layer, rule, colours, extra)                            \
    {                                                                                          \
#name, RUVO_SLOT_##name, coding, Layer::layer, PixelRule::rule, ColourSource::colours, \
            Extra::extra                                                                       \
    }
const SpriteSlot kSpriteSlots[18] = {
    RUVO_SPRITE_SLOT(DrawBackSpriteP1, kB, Back, Plain, Palette1, None),
    RUVO_SPRITE_SLOT(DrawBackSpriteP2, kB, Back, Plain, Palette2, None),
    RUVO_SPRITE_SLOT(StampBackSpriteP0, kB, Back, StampKeepingFlags, Palette0, Depth),
    RUVO_SPRITE_SLOT(StampBackSprite, kI, Back, StampKeepingFlags, Table, Depth),
    RUVO_SPRITE_SLOT(StampBackSpritePlain, kB, Back, StampReplacing, Table, Depth),
    RUVO_SPRITE_SLOT(DrawBackSprite, kB, Back, Plain, Table, None),
    RUVO_SPRITE_SLOT(CastBackShadow, kM, Back, Shadow, None, Flags),
    RUVO_SPRITE_SLOT(DrawScreenSprite, kI, Screen, Plain, Table, None),
    RUVO_SPRITE_SLOT(DrawScreenColourSprite, kC, Screen, Plain, Own, None),
    RUVO_SPRITE_SLOT(DrawScreenBlendSprite, kB, Screen, Plain, Table, None),
    RUVO_SPRITE_SLOT(DrawScreenSpriteTested, kI, Screen, DepthTested, Table, Depth),
    RUVO_SPRITE_SLOT(DrawScreenBlendSpriteTested, kB, Screen, DepthTested, Table, Depth),
    RUVO_SPRITE_SLOT(DrawScreenBlendSpriteStippled, kB, Screen, Stippled, Table, Depth),
    RUVO_SPRITE_SLOT(DrawScreenSpriteTranslucent, kI, Screen, Translucent, BlendTable, Depth),
    RUVO_SPRITE_SLOT(CastScreenShadow, kM, Screen, Shadow, None, Flags),
    RUVO_SPRITE_SLOT(DrawScreenSpriteAdditive, kI, Screen, Additive, Table, Depth),
    RUVO_SPRITE_SLOT(ApplyScreenLight, kI, Screen, Light, Levels, Depth),
    RUVO_SPRITE_SLOT(DrawScreenSpriteFaded, kI, Screen, Faded, Table, Weight),
};
#undef RUVO_SPRITE_SLOT

const SpriteSlot &SpriteSlotNamed(const char *name) {
    for (const SpriteSlot &s : kSpriteSlots) {
        if (std::string(s.name) == name) return s;
    }
    ADD_FAILURE() << "no sprite slot " << name;
    return kSpriteSlots[0];
}

uint16_t ReferenceDepthKey(int32_t a) { return static_cast<uint16_t>(((a & 0xFFFF) + 0x440) * 32); }

void CallSpriteSlot(const SpriteSlot &s, RuvoOperations *op, const SpriteCall &c) {
    const void *sprite = c.sprite.data();
    const int32_t x = c.x, y = c.y, e = c.extra;
    const uint16_t *t = c.colours;
    switch (s.slot) {
        case RUVO_SLOT_DrawBackSpriteP1:
            return op->DrawBackSpriteP1(x, y, sprite);
        case RUVO_SLOT_DrawBackSpriteP2:
            return op->DrawBackSpriteP2(x, y, sprite);
        case RUVO_SLOT_StampBackSpriteP0:
            return op->StampBackSpriteP0(x, y, e, sprite);
        case RUVO_SLOT_StampBackSprite:
            return op->StampBackSprite(x, y, e, t, sprite);
        case RUVO_SLOT_StampBackSpritePlain:
            return op->StampBackSpritePlain(x, y, e, t, sprite);
        case RUVO_SLOT_DrawBackSprite:
            return op->DrawBackSprite(x, y, t, sprite);
        case RUVO_SLOT_CastBackShadow:
            return op->CastBackShadow(x, y, uint32_t(e), sprite);
        case RUVO_SLOT_DrawScreenSprite:
            return op->DrawScreenSprite(x, y, t, sprite);
        case RUVO_SLOT_DrawScreenColourSprite:
            return op->DrawScreenColourSprite(x, y, sprite);
        case RUVO_SLOT_DrawScreenBlendSprite:
            return op->DrawScreenBlendSprite(x, y, t, sprite);
        case RUVO_SLOT_DrawScreenSpriteTested:
            return op->DrawScreenSpriteTested(x, y, e, t, sprite);
        case RUVO_SLOT_DrawScreenBlendSpriteTested:
            return op->DrawScreenBlendSpriteTested(x, y, e, t, sprite);
        case RUVO_SLOT_DrawScreenBlendSpriteStippled:
            return op->DrawScreenBlendSpriteStippled(x, y, e, t, sprite);
        case RUVO_SLOT_DrawScreenSpriteTranslucent:
            return op->DrawScreenSpriteTranslucent(x, y, e, c.blend_table, sprite);
        case RUVO_SLOT_CastScreenShadow:
            return op->CastScreenShadow(x, y, uint32_t(e), sprite);
        case RUVO_SLOT_DrawScreenSpriteAdditive:
            return op->DrawScreenSpriteAdditive(x, y, e, t, sprite);
        case RUVO_SLOT_ApplyScreenLight:
            return op->ApplyScreenLight(x, y, e, sprite);
        case RUVO_SLOT_DrawScreenSpriteFaded:
            return op->DrawScreenSpriteFaded(x, y, e, t, sprite);
    }
    ADD_FAILURE() << "not a sprite slot: " << s.slot;
}

void ReferenceSprite(const SpriteSlot &s, const SpriteCall &c, std::vector<uint8_t> &storage) {
    const DrawBlock &b = theDrawBlock;
    const assets::SpriteImage image = assets::DecodeSprite(c.sprite, s.coding);
    const Format f{{Low(b.RedMask), Low(b.GreenMask), Low(b.BlueMask)}};
    const uint16_t tint = Low(b.ShadowTint);
    const uint32_t spread = (uint32_t{Low(b.GreenMask)} << 16) | Low(b.RedMask) | Low(b.BlueMask);
    const uint16_t key = ReferenceDepthKey(c.extra);

    // The clip rectangle by the low 16 bits of each field, inside the layer.
    const int64_t left = Low(b.ClipLeft), top = Low(b.ClipTop);
    const int64_t right = std::min<int64_t>(Low(b.ClipRight), 1023);
    const int64_t bottom = std::min<int64_t>(Low(b.ClipBottom), 767);

    auto cell = [&](Layer layer, int64_t index) -> uint8_t * {
        return storage.data() + static_cast<size_t>(layer) * kLayerSpacingBytes + 2 * index;
    };
    auto load = [](const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); };
    auto store = [](uint8_t *p, uint16_t v) {
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
    };

    for (int32_t j = 0; j < image.height; ++j) {
        for (int32_t i = 0; i < image.width; ++i) {
            const Cover cover = image.CoverAt(i, j);
            if (cover == Cover::None) continue;
            const int64_t x = int64_t{c.x} + image.x_offset + i;
            const int64_t y = int64_t{c.y} + image.y_offset + j;
            if (x < left || x > right || y < top || y > bottom) continue;
            const int32_t index = RingIndex(int32_t(x), int32_t(y));
            uint8_t *dst = cell(s.layer, index);
            uint8_t *depth = cell(Layer::Depth, index);
            const uint16_t d = load(dst), v = load(depth), u = load(depth - 2);
            const uint16_t value = image.Value(i, j);

            uint16_t colour = 0;
            switch (s.colours) {
                case ColourSource::Palette0:
                    colour = b.SpritePalette[0][value];
                    break;
                case ColourSource::Palette1:
                    colour = b.SpritePalette[1][value];
                    break;
                case ColourSource::Palette2:
                    colour = b.SpritePalette[2][value];
                    break;
                case ColourSource::Table:
                    colour = c.colours[value];
                    break;
                case ColourSource::Own:
                    colour = value;
                    break;
                default:
                    break;
            }
            if (cover == Cover::Blended) colour = f.Mix(colour, d);
            const bool passes = v < key || (v == key && u < key);

            switch (s.rule) {
                case PixelRule::Plain:
                    store(dst, colour);
                    break;
                case PixelRule::StampKeepingFlags:
                    store(depth, uint16_t(key | (v & 3)));
                    store(dst, (v & 2) ? f.HalveTint(colour, tint) : colour);
                    break;
                case PixelRule::StampReplacing:
                    store(depth, key);
                    store(dst, colour);
                    break;
                case PixelRule::DepthTested:
                    if (passes) store(dst, colour);
                    break;
                case PixelRule::Stippled:
                    if ((x + y + b.ScrollOffset / 2) % 2 == 0 || passes) store(dst, colour);
                    break;
                case PixelRule::Translucent: {
                    const uint32_t e = c.blend_table[value];
                    const uint32_t w = e >> 19;
                    if ((w & 0xFF) != 31 && passes) store(dst, uint16_t(f.Scale(d, w) + e));
                    break;
                }
                case PixelRule::Shadow:
                    if ((v & 0x8007) == 0) {
                        store(depth, uint16_t(v | c.extra));
                        store(dst, f.HalveTint(d, tint));
                    }
                    break;
                case PixelRule::Additive:
                    if (passes) store(dst, AdditiveFormula(c.colours[value], d, b));
                    break;
                case PixelRule::Light:
                    if (passes) store(dst, LightFormula(d, value & 0x1F, spread));
                    break;
                case PixelRule::Faded: {
                    const auto a = static_cast<uint32_t>(c.extra);
                    store(dst, uint16_t(f.Scale(colour, 31 - a) + f.Scale(d, a)));
                    break;
                }
            }
        }
    }
}

}  // namespace ruvo::test
