// Colour tables as the library reads them, and the files that hold them.
//
// A palette is 256 16-bit 5-6-5 colours; its file is exactly those 512 bytes,
// little-endian, so a host reads it straight into a SpritePalette or a colour
// table. A ShadeTable is 64 rows of 256 colours (32768 bytes): rows 0..31 are
// light levels 0..31 and rows 32..63 the same levels half a level brighter,
// the second half of the tiles' checkerboard dither. Level 16 is the palette
// itself; lower levels darken towards black, higher ones brighten and clip.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace ruvo::assets {

using Palette = std::array<uint16_t, 256>;

inline constexpr size_t kPaletteFileBytes = 512;
inline constexpr size_t kShadeTableEntries = 64 * 256;
inline constexpr size_t kShadeFileBytes = kShadeTableEntries * 2;
inline constexpr int kShadeFullLevel = 16;

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb &) const = default;
};

// 8-bit channels to 5-6-5, rounding to the nearest level.
uint16_t ToRgb565(Rgb c);
// 5-6-5 to 8-bit channels, replicating the top bits into the low ones.
Rgb FromRgb565(uint16_t c);

// The entry nearest to c (squared distance of the 8-bit channels) among the
// first count entries.
uint8_t NearestIndex(const Palette &palette, int count, Rgb c);

std::vector<uint8_t> PaletteBytes(const Palette &palette);
// Throws AssetError unless bytes is exactly one palette.
Palette PaletteFromBytes(std::span<const uint8_t> bytes);

// The 64 rows of a ShadeTable for the palette.
std::vector<uint16_t> MakeShadeTable(const Palette &palette);
// A colour of the palette at light level (0..31) plus a half level when dithered.
uint16_t ShadeColour(uint16_t colour, int level, bool half_up);

std::vector<uint8_t> ShadeBytes(std::span<const uint16_t> table);
// Throws AssetError unless bytes is exactly one ShadeTable.
std::vector<uint16_t> ShadeFromBytes(std::span<const uint8_t> bytes);

}  // namespace ruvo::assets
