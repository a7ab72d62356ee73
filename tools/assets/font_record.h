// Font records: the glyph-offset table (256 x 4 bytes), an unused word, the
// advance table (256 x 2 bytes, first byte read), then one IndexRuns sprite
// per character, all in one block a host loads with one read.
//
// Glyphs come from coverage bitmaps (0 = empty, 255 = full). Coverage is
// mapped to a ramp of colour-table indices: with a ramp of n entries starting
// at index f, coverage c draws index f + k - 1 for k = round(c x n / 255),
// and k = 0 is left transparent. The host fills entries f .. f + n - 1 with
// the text colour from faint to full over the background it draws on.
//
// A glyph's sprite offsets place its bitmap against the anchor of DrawText:
// x by the bitmap's left bearing, y by the ascent less the bitmap's top, so
// the anchor is the top of the line. The library adds 2 pixels after each
// character, so the advance stored is the font's advance less 2 (never
// below 0): text then sets at the font's own spacing.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "tools/assets/sprite_codec.h"

namespace ruvo::assets {

inline constexpr size_t kFontHeaderBytes = 1540;  // offsets, unused word, advances
inline constexpr int kTextGap = 2;                // pixels the library adds per character

struct GlyphBitmap {
    int32_t width = 0, height = 0;
    int32_t left = 0, top = 0;      // bearing: bitmap's left column and top row above the baseline
    int32_t advance = 0;            // the font's advance in pixels
    std::vector<uint8_t> coverage;  // width x height
};

struct FontRamp {
    int first = 1;  // first colour-table index
    int count = 4;  // entries, faint to full
};

// The Font record of 256 glyphs (code 0 included; it is never drawn), the
// glyphs' repeats written as fills chooses.
std::vector<uint8_t> BuildFontRecord(std::span<const GlyphBitmap, 256> glyphs, int32_t ascent,
                                     FontRamp ramp = {}, Fills fills = Fills::Fast);

// A font record read back: advance widths and decoded glyphs.
struct FontContents {
    std::array<uint8_t, 256> advance{};
    std::array<SpriteImage, 256> glyphs;
};

// Throws AssetError when the bytes are not a whole font record (too short,
// a glyph offset outside the record, a glyph whose rows run past the end).
FontContents ReadFontRecord(std::span<const uint8_t> bytes);

// Whether the bytes have the shape of a font record (header and offsets).
bool LooksLikeFontRecord(std::span<const uint8_t> bytes);

// Reads a sprite of the coding, throwing AssetError for a truncated one or
// one whose declared size exceeds max_pixels (a reader's guard, not a limit
// of the format).
SpriteImage ReadSpriteBytes(std::span<const uint8_t> bytes, RunCoding coding,
                            int64_t max_pixels = int64_t{1} << 24);

}  // namespace ruvo::assets
