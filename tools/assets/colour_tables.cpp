#include "tools/assets/colour_tables.h"

#include <algorithm>
#include <string>

#include "tools/assets/asset_error.h"

namespace ruvo::assets {

uint16_t ToRgb565(Rgb c) {
    const int r = (c.r * 31 + 127) / 255, g = (c.g * 63 + 127) / 255, b = (c.b * 31 + 127) / 255;
    return static_cast<uint16_t>(r << 11 | g << 5 | b);
}

Rgb FromRgb565(uint16_t c) {
    const int r = c >> 11, g = (c >> 5) & 63, b = c & 31;
    return {static_cast<uint8_t>(r << 3 | r >> 2), static_cast<uint8_t>(g << 2 | g >> 4),
            static_cast<uint8_t>(b << 3 | b >> 2)};
}

uint8_t NearestIndex(const Palette &palette, int count, Rgb c) {
    int best = 0;
    long best_distance = -1;
    for (int i = 0; i < std::clamp(count, 1, 256); ++i) {
        const Rgb p = FromRgb565(palette[i]);
        const long dr = p.r - c.r, dg = p.g - c.g, db = p.b - c.b;
        const long d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
        if (best_distance < 0 || d < best_distance) best_distance = d, best = i;
    }
    return static_cast<uint8_t>(best);
}

static std::vector<uint8_t> WordsToBytes(std::span<const uint16_t> words) {
    std::vector<uint8_t> bytes;
    bytes.reserve(words.size() * 2);
    for (uint16_t w : words) {
        bytes.push_back(static_cast<uint8_t>(w));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
    }
    return bytes;
}

static void BytesToWords(std::span<const uint8_t> bytes, std::span<uint16_t> words) {
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
}

std::vector<uint8_t> PaletteBytes(const Palette &palette) { return WordsToBytes(palette); }

Palette PaletteFromBytes(std::span<const uint8_t> bytes) {
    if (bytes.size() != kPaletteFileBytes) {
        throw AssetError("a palette is 512 bytes, this is " + std::to_string(bytes.size()));
    }
    Palette palette;
    BytesToWords(bytes, palette);
    return palette;
}

uint16_t ShadeColour(uint16_t colour, int level, bool half_up) {
    // Channel x (2 level + half) / 32, rounded, clipped at the channel's top.
    const int scale = 2 * level + (half_up ? 1 : 0);
    auto channel = [scale](int value, int top) {
        return std::min(top, (value * scale + kShadeFullLevel) / (2 * kShadeFullLevel));
    };
    const int r = channel(colour >> 11, 31), g = channel((colour >> 5) & 63, 63);
    const int b = channel(colour & 31, 31);
    return static_cast<uint16_t>(r << 11 | g << 5 | b);
}

std::vector<uint16_t> MakeShadeTable(const Palette &palette) {
    std::vector<uint16_t> table(kShadeTableEntries);
    for (int half = 0; half < 2; ++half) {
        for (int level = 0; level < 32; ++level) {
            for (int i = 0; i < 256; ++i) {
                table[(half * 32 + level) * 256 + i] = ShadeColour(palette[i], level, half == 1);
            }
        }
    }
    return table;
}

std::vector<uint8_t> ShadeBytes(std::span<const uint16_t> table) { return WordsToBytes(table); }

std::vector<uint16_t> ShadeFromBytes(std::span<const uint8_t> bytes) {
    if (bytes.size() != kShadeFileBytes) {
        throw AssetError("a shade table is 32768 bytes, this is " + std::to_string(bytes.size()));
    }
    std::vector<uint16_t> table(kShadeTableEntries);
    BytesToWords(bytes, table);
    return table;
}

}  // namespace ruvo::assets
