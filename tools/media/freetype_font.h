// Glyph bitmaps of a font file rasterised with FreeType, anti-aliased.
#pragma once

#include <array>
#include <string>

#include "tools/assets/font_record.h"

namespace ruvo::media {

struct RasterisedFont {
    std::array<assets::GlyphBitmap, 256> glyphs;  // Latin-1 codes; 0 and controls empty
    int32_t ascent = 0;                           // pixels above the baseline
    int32_t line_height = 0;
};

// Codes 1..255 as Latin-1 (Unicode code points of the same number) at a pixel
// size of size (the em height). Control codes (1..31, 127..159) get empty
// glyphs with no advance. Throws assets::AssetError for a missing file, one
// FreeType cannot read, or a size outside 4..200.
RasterisedFont RasteriseLatin1(const std::string &path, int size);

}  // namespace ruvo::media
