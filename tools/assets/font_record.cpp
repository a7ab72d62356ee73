#include "tools/assets/font_record.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "tools/assets/asset_error.h"

namespace ruvo::assets {
namespace {

uint32_t Read32(std::span<const uint8_t> b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}

void Write32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

SpriteImage GlyphImage(const GlyphBitmap &glyph, int32_t ascent, FontRamp ramp) {
    if (glyph.width <= 0 || glyph.height <= 0) return SpriteImage(1, 0);
    SpriteImage image(glyph.width, glyph.height);
    image.x_offset = glyph.left;
    image.y_offset = ascent - glyph.top;
    for (int32_t y = 0; y < glyph.height; ++y) {
        for (int32_t x = 0; x < glyph.width; ++x) {
            const int c = glyph.coverage[size_t(y) * glyph.width + x];
            const int k = (c * ramp.count + 127) / 255;
            if (k > 0) image.Set(x, y, static_cast<uint16_t>(ramp.first + k - 1));
        }
    }
    return image;
}

}  // namespace

std::vector<uint8_t> BuildFontRecord(std::span<const GlyphBitmap, 256> glyphs, int32_t ascent,
                                     FontRamp ramp, Fills fills) {
    if (ramp.count < 1 || ramp.first < 0 || ramp.first + ramp.count > 256) {
        throw AssetError("the colour ramp must lie inside indices 0..255");
    }
    std::vector<uint8_t> record(kFontHeaderBytes, 0);
    for (int c = 0; c < 256; ++c) {
        Write32(record, 4 * c, static_cast<uint32_t>(record.size()));
        record[1028 + 2 * c] =
            static_cast<uint8_t>(std::clamp(glyphs[c].advance - kTextGap, 0, 255));
        const std::vector<uint8_t> sprite =
            EncodeSprite(GlyphImage(glyphs[c], ascent, ramp), RunCoding::IndexRuns, fills);
        record.insert(record.end(), sprite.begin(), sprite.end());
    }
    return record;
}

bool LooksLikeFontRecord(std::span<const uint8_t> bytes) {
    if (bytes.size() < kFontHeaderBytes + kSpriteHeaderBytes) return false;
    for (int c = 0; c < 256; ++c) {
        const uint32_t at = Read32(bytes, 4 * c);
        if (at < kFontHeaderBytes || at > bytes.size() - kSpriteHeaderBytes) return false;
    }
    return true;
}

SpriteImage ReadSpriteBytes(std::span<const uint8_t> bytes, RunCoding coding, int64_t max_pixels) {
    if (bytes.size() < kSpriteHeaderBytes) {
        throw AssetError("a sprite needs a 9-byte header, this is " + std::to_string(bytes.size()) +
                         " bytes");
    }
    const int64_t width = int64_t{bytes[4] | bytes[5] << 8} + 1;
    const int64_t rows = bytes[6] | bytes[7] << 8;
    // Every row needs its 2-byte count, so the row count is bounded by the data.
    if (rows * 2 > static_cast<int64_t>(bytes.size() - kSpriteHeaderBytes)) {
        throw AssetError("sprite data ends before its " + std::to_string(rows) + " rows");
    }
    if (width * rows > max_pixels) {
        throw AssetError("sprite of " + std::to_string(width) + " x " + std::to_string(rows) +
                         " pixels is larger than this reader takes");
    }
    try {
        return DecodeSprite(bytes, coding);
    } catch (const std::out_of_range &) {
        throw AssetError("sprite rows run past the end of the data");
    }
}

FontContents ReadFontRecord(std::span<const uint8_t> bytes) {
    if (!LooksLikeFontRecord(bytes)) {
        throw AssetError("not a font record (header or glyph offsets out of range)");
    }
    FontContents font;
    for (int c = 0; c < 256; ++c) {
        font.advance[c] = bytes[1028 + 2 * c];
        const uint32_t at = Read32(bytes, 4 * c);
        try {
            font.glyphs[c] = ReadSpriteBytes(bytes.subspan(at), RunCoding::IndexRuns, 1 << 20);
        } catch (const AssetError &e) {
            throw AssetError("glyph " + std::to_string(c) + ": " + e.what());
        }
    }
    return font;
}

}  // namespace ruvo::assets
