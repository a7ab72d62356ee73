#include "tools/media/freetype_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <string>

#include "tools/assets/asset_error.h"

namespace ruvo::media {

RasterisedFont RasteriseLatin1(const std::string &path, int size) {
    using assets::AssetError;
    if (size < 4 || size > 200)
        throw AssetError("font size must be 4..200, not " + std::to_string(size));
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
    } else {
        throw AssetError(path + ": cannot open the file");
    }
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) throw AssetError("cannot start FreeType");
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        FT_Done_FreeType(library);
        throw AssetError(path + ": not a font file (TrueType or OpenType)");
    }
    RasterisedFont font;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0) {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        throw AssetError(path + ": the font has no size " + std::to_string(size));
    }
    font.ascent = static_cast<int32_t>((face->size->metrics.ascender + 63) >> 6);
    font.line_height = static_cast<int32_t>((face->size->metrics.height + 63) >> 6);
    for (int code = 1; code < 256; ++code) {
        if (code < 32 || (code >= 127 && code < 160)) continue;
        if (FT_Load_Char(face, static_cast<FT_ULong>(code),
                         FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) {
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        assets::GlyphBitmap &glyph = font.glyphs[code];
        glyph.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
        const FT_Bitmap &bitmap = slot->bitmap;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0) {
            continue;
        }
        glyph.width = static_cast<int32_t>(bitmap.width);
        glyph.height = static_cast<int32_t>(bitmap.rows);
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.coverage.resize(size_t(glyph.width) * glyph.height);
        for (int32_t y = 0; y < glyph.height; ++y) {
            const unsigned char *row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
            for (int32_t x = 0; x < glyph.width; ++x) {
                glyph.coverage[size_t(y) * glyph.width + x] = row[x];
            }
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return font;
}

}  // namespace ruvo::media
