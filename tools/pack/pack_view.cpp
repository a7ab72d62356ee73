// ruvo-pack view: decodes a file of the tool to RGBA (transparent pixels have
// alpha 0) and writes it as a PNG. The kind of file is guessed from its size
// and shape unless --as says it.
#include "tools/pack/pack_view.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/assets/asset_error.h"
#include "tools/assets/font_record.h"
#include "tools/assets/tile_codec.h"
#include "tools/media/png_io.h"

namespace ruvo::pack {
namespace {

using assets::AssetError;
using assets::Cover;
using assets::Palette;
using assets::RunCoding;
using media::RgbaImage;

constexpr size_t kBlendTableBytes = 1024;

void Put(RgbaImage &image, int x, int y, uint16_t colour, uint8_t alpha = 0xFF) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    const assets::Rgb c = assets::FromRgb565(colour);
    uint8_t *p = image.At(x, y);
    p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = alpha;
}

Palette GreyPalette() {
    Palette p{};
    for (int i = 0; i < 256; ++i) p[i] = assets::ToRgb565({uint8_t(i), uint8_t(i), uint8_t(i)});
    return p;
}

Palette PaletteOrGrey(const Args &args) {
    return args.Get("--palette") ? LoadPalette(*args.Get("--palette")) : GreyPalette();
}

// The coding to read a sprite with: --coding if given, else the one its kind
// byte names (0xA2 blend, 0xA3 mask, any other index) when the bytes parse
// so. Colour runs have no kind byte of their own, so a sprite that does not
// parse as its kind says is tried in the other codings.
RunCoding ChooseCoding(const std::vector<uint8_t> &bytes, const Args &args, std::string &why) {
    if (auto c = args.Get("--coding")) {
        why = "as given";
        return ParseCoding(*c);
    }
    if (bytes.size() < 9) return RunCoding::IndexRuns;  // the reader reports it
    const uint8_t kind = bytes[8];
    const RunCoding labelled = kind == 0xA2   ? RunCoding::BlendRuns
                               : kind == 0xA3 ? RunCoding::MaskRuns
                                              : RunCoding::IndexRuns;
    char kind_text[8];
    std::snprintf(kind_text, sizeof kind_text, "0x%02X", kind);
    if (ParsesAs(bytes, labelled)) {
        why = std::string("kind ") + kind_text;
        if (labelled == RunCoding::IndexRuns && ParsesAs(bytes, RunCoding::ColourRuns))
            why += "; it parses as colour runs too (--coding colour)";
        return labelled;
    }
    for (RunCoding other :
         {RunCoding::ColourRuns, RunCoding::IndexRuns, RunCoding::BlendRuns, RunCoding::MaskRuns}) {
        if (other != labelled && ParsesAs(bytes, other)) {
            why = std::string("kind ") + kind_text + " says " + CodingName(labelled) +
                  ", the bytes parse as " + CodingName(other) + " runs only";
            return other;
        }
    }
    return labelled;  // parses as nothing: the reader says where it breaks
}

RgbaImage ViewSprite(const std::vector<uint8_t> &bytes, const Args &args, std::string &note) {
    std::string why;
    const RunCoding coding = ChooseCoding(bytes, args, why);
    note = std::string(CodingName(coding)) + " runs, " + why;
    const assets::SpriteImage sprite = assets::ReadSpriteBytes(bytes, coding);
    const Palette palette = coding == RunCoding::IndexRuns || coding == RunCoding::BlendRuns
                                ? PaletteOrGrey(args)
                                : Palette{};
    RgbaImage image(sprite.width, sprite.height);
    for (int y = 0; y < sprite.height; ++y) {
        for (int x = 0; x < sprite.width; ++x) {
            const Cover cover = sprite.CoverAt(x, y);
            if (cover == Cover::None) continue;
            const uint16_t v = sprite.Value(x, y);
            const uint16_t colour = coding == RunCoding::ColourRuns ? v
                                    : coding == RunCoding::MaskRuns ? 0
                                                                    : palette[v & 0xFF];
            Put(image, x, y, colour, cover == Cover::Blended ? 128 : 255);
        }
    }
    return image;
}

RgbaImage ViewFont(const std::vector<uint8_t> &bytes, const Args &args) {
    const assets::FontContents font = assets::ReadFontRecord(bytes);
    const auto [first, count] = RampOf(args);
    // Cells as large as the largest glyph's extent around the anchor.
    int left = 0, right = 1, top = 0, bottom = 1;
    for (const auto &g : font.glyphs) {
        if (g.height == 0) continue;
        left = std::min(left, g.x_offset), top = std::min(top, g.y_offset);
        right = std::max(right, g.x_offset + g.width),
        bottom = std::max(bottom, g.y_offset + g.height);
    }
    const int cw = std::min(right - left, 256) + 4, ch = std::min(bottom - top, 256) + 4;
    RgbaImage sheet(16 * cw, 16 * ch);
    for (int y = 0; y < sheet.height; ++y) {
        for (int x = 0; x < sheet.width; ++x)
            Put(sheet, x, y, (x / cw + y / ch) % 2 ? 0x10A2 : 0x18E3);
    }
    for (int c = 0; c < 256; ++c) {
        const auto &g = font.glyphs[c];
        const int ox = (c % 16) * cw + 2 - left, oy = (c / 16) * ch + 2 - top;
        // The advance as a dim line under the cell's baseline area.
        for (int x = 0; x < font.advance[c] && x < cw - 2; ++x)
            Put(sheet, ox + x, (c / 16) * ch + ch - 2, 0x8410);
        for (int y = 0; y < g.height; ++y) {
            for (int x = 0; x < g.width; ++x) {
                if (g.CoverAt(x, y) == Cover::None) continue;
                const int k = std::clamp(int(g.Value(x, y)) - first + 1, 0, count);
                const auto level = static_cast<uint8_t>(255 * k / count);
                const int px = ox + g.x_offset + x, py = oy + g.y_offset + y;
                if (px >= (c % 16) * cw && px < (c % 16 + 1) * cw && py >= (c / 16) * ch &&
                    py < (c / 16 + 1) * ch)
                    Put(sheet, px, py, assets::ToRgb565({level, level, level}));
            }
        }
    }
    return sheet;
}

RgbaImage ViewTile(const std::vector<uint8_t> &bytes, const Args &args) {
    if (bytes.size() != 1024)
        throw AssetError("a tile is 1024 bytes, this is " + std::to_string(bytes.size()));
    const Palette palette = PaletteOrGrey(args);
    const assets::TileImage tile =
        assets::DecodeTile(std::span<const uint8_t, 1024>(bytes.data(), 1024));
    RgbaImage image(assets::kTileImageWidth, assets::kTileImageHeight);
    for (int r = 0; r < image.height; ++r) {
        for (int c = 0; c < image.width; ++c) {
            if (assets::InTileShape(c, r)) Put(image, c, r, palette[tile[r * image.width + c]]);
        }
    }
    return image;
}

// 16 x 16 swatches, one per entry.
RgbaImage Swatches(const uint16_t *colours) {
    RgbaImage image(256, 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) Put(image, x, y, colours[(y / 16) * 16 + x / 16]);
    }
    return image;
}

RgbaImage ViewPalette(const std::vector<uint8_t> &bytes) {
    const Palette palette = assets::PaletteFromBytes(bytes);
    return Swatches(palette.data());
}

// A BlendTable as swatches of the colour each entry adds; an entry whose
// weight is 31 (it leaves the pixel as it is) is transparent.
RgbaImage ViewBlendTable(const std::vector<uint8_t> &bytes) {
    if (bytes.size() != kBlendTableBytes)
        throw AssetError("a BlendTable is 1024 bytes, this is " + std::to_string(bytes.size()));
    RgbaImage image(256, 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const size_t at = 4 * size_t((y / 16) * 16 + x / 16);
            const uint32_t e = bytes[at] | bytes[at + 1] << 8 | uint32_t(bytes[at + 2]) << 16;
            Put(image, x, y, uint16_t(e), ((e >> 19) & 0xFF) == 31 ? 0 : 255);
        }
    }
    return image;
}

RgbaImage ViewShade(const std::vector<uint8_t> &bytes) {
    const std::vector<uint16_t> table = assets::ShadeFromBytes(bytes);
    RgbaImage image(1024, 512);  // 256 entries across, 64 rows down, 4 x 8 pixels each
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 1024; ++x) Put(image, x, y, table[(y / 8) * 256 + x / 4]);
    }
    return image;
}

// A 1024-byte file is a BlendTable when every entry has the shape the
// command writes (bits 16..18 and 24..31 clear) and not every byte is 0;
// otherwise a tile.
bool LooksLikeBlendTable(const std::vector<uint8_t> &bytes) {
    if (bytes.size() != kBlendTableBytes) return false;
    bool any = false;
    for (size_t at = 0; at < bytes.size(); at += 4) {
        if ((bytes[at + 2] & 0x07) != 0 || bytes[at + 3] != 0) return false;
        any = any || bytes[at] || bytes[at + 1] || bytes[at + 2];
    }
    return any;
}

std::string GuessKind(const std::vector<uint8_t> &bytes) {
    if (bytes.size() == assets::kPaletteFileBytes) return "palette";
    if (bytes.size() == assets::kShadeFileBytes) return "shade";
    if (LooksLikeBlendTable(bytes)) return "blendtable";
    if (bytes.size() == 1024) return "tile";
    if (assets::LooksLikeFontRecord(bytes)) return "font";
    return "sprite";
}

}  // namespace

bool ParsesAs(std::span<const uint8_t> b, RunCoding coding) {
    if (b.size() < 9) return false;
    const uint32_t width = uint32_t(b[4] | b[5] << 8) + 1, rows = b[6] | b[7] << 8;
    const size_t value_bytes = coding == RunCoding::ColourRuns ? 2
                               : coding == RunCoding::MaskRuns ? 0
                                                               : 1;
    size_t at = 9;
    for (uint32_t r = 0; r < rows; ++r) {
        if (b.size() - at < 2) return false;
        const size_t length = b[at] | b[at + 1] << 8;
        at += 2;
        if (b.size() - at < length) return false;
        const size_t end = at + length;
        uint32_t pixels = 0;
        while (at < end) {
            const uint8_t code = b[at++];
            uint32_t count = 0;
            size_t data = 0;
            if (coding == RunCoding::BlendRuns) {
                count = code & 0x3F;
                const int run_class = code >> 6;  // literal, blended, fill, skip
                data = run_class == 3 ? 0 : run_class == 2 ? 1 : count;
                if (count == 0 && run_class != 3) return false;
            } else {
                count = code & 0x7F;
                const bool literal = (code & 0x80) == 0;
                data = literal ? count * value_bytes : value_bytes;
                if (literal && count == 0) return false;
            }
            at += data;
            pixels += count;
            if (at > end || pixels > width) return false;
        }
    }
    return at == b.size();
}

int View(const Args &args) {
    if (args.positional.size() != 1) throw UsageError("view takes one file");
    const std::string in = args.positional[0], out = args.Need("-o");
    std::string kind = args.Get("--as").value_or("");
    const std::set<std::string> kinds = {"sprite",  "font",  "tile",
                                         "palette", "shade", "blendtable"};
    if (!kind.empty() && !kinds.count(kind))
        throw UsageError("--as must be sprite, font, tile, palette, shade or blendtable");
    if (auto c = args.Get("--coding")) ParseCoding(*c);
    RampOf(args);
    if (auto p = args.Get("--palette")) LoadPalette(*p);

    const std::vector<uint8_t> bytes = ReadFile(in);
    if (kind.empty()) kind = GuessKind(bytes);
    RgbaImage image;
    std::string note;
    try {
        if (kind == "sprite")
            image = ViewSprite(bytes, args, note);
        else if (kind == "font")
            image = ViewFont(bytes, args);
        else if (kind == "tile")
            image = ViewTile(bytes, args);
        else if (kind == "palette")
            image = ViewPalette(bytes);
        else if (kind == "blendtable")
            image = ViewBlendTable(bytes);
        else
            image = ViewShade(bytes);
    } catch (const AssetError &e) {
        throw AssetError(in + " (" + kind + "): " + e.what());
    }
    if (image.width == 0 || image.height == 0) throw AssetError(in + ": the " + kind + " is empty");
    media::WritePng(out, image);
    std::printf("wrote %s (%s%s%s, %d x %d)\n", out.c_str(), kind.c_str(), note.empty() ? "" : ": ",
                note.c_str(), image.width, image.height);
    return 0;
}

}  // namespace ruvo::pack
