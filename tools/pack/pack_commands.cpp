// ruvo-pack's subcommands. Every file written is a raw library format, so a
// host loads it with one read: a sprite file is exactly the RleSprite bytes,
// a palette 256 colours (512 bytes), a shade table 64 x 256 colours, a tile
// its 1024 TileBytes, a font the whole Font record with its glyphs, a blend
// table 256 32-bit entries.
//
// Each command checks its whole command line and reads every input before it
// writes anything, so a refused option leaves no file behind.
#include "tools/pack/pack_commands.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tools/assets/asset_error.h"
#include "tools/assets/colour_tables.h"
#include "tools/assets/font_record.h"
#include "tools/assets/sprite_codec.h"
#include "tools/assets/tile_codec.h"
#include "tools/media/freetype_font.h"
#include "tools/media/png_io.h"
#include "tools/media/quantise.h"
#include "tools/pack/pack_args.h"
#include "tools/pack/pack_view.h"

namespace ruvo::pack {
namespace {

using assets::AssetError;
using assets::Cover;
using assets::Palette;
using assets::Rgb;
using assets::RunCoding;
using media::RgbaImage;

constexpr const char *kUsage =
    "usage: ruvo-pack COMMAND [options]   (ruvo-pack COMMAND --help for each)\n"
    "  sprite IN.png -o OUT --coding index|blend|colour|mask   an RleSprite\n"
    "  palette IN.png... -o OUT                                a 256-colour table (quantised)\n"
    "  font FONT.ttf --size N -o OUT                           a Font record, codes 1..255\n"
    "  tile IN.png -o OUT                                      1024 TileBytes of a 63 x 32 image\n"
    "  shade PALETTE -o OUT                                    a ShadeTable (64 rows)\n"
    "  blendtable PALETTE --weight W -o OUT                    a BlendTable (translucency)\n"
    "  view FILE -o OUT.png                                    any of these files as a PNG\n";

struct CommandHelp {
    const char *name;
    const char *text;
};

constexpr CommandHelp kHelp[] = {
    {"sprite",
     "usage: ruvo-pack sprite IN.png -o OUT --coding index|blend|colour|mask [options]\n"
     "Encodes an image as an RleSprite. Pixels with alpha below 128, or of the colour key\n"
     "0xF81F (255, 0, 255), are transparent; with --coding blend, alpha 64..191 draws the\n"
     "50% mix with what is below.\n"
     "Every sprite operation reads one coding; pack for the operations that draw it:\n"
     "{codings}"
     "  --palette PAL      map colours to the nearest entry of this palette (index, blend)\n"
     "  --palette-out F    where the palette made from the image goes (default OUT.pal)\n"
     "  --offset X,Y       the header's x and y offsets, -32768..32767 (default 0,0)\n"
     "  --anchor bottom|centre  offsets that put the drawing position at the image's\n"
     "                     bottom centre or centre (instead of --offset)\n"
     "  --kind translucent kind byte 0xA9 (index runs through a BlendTable, for\n"
     "                     DrawSpriteToSurface); only with --coding index\n"
     "  --fills fast|small fast (default): a repeated colour becomes a fill run only where\n"
     "                     that draws faster than literal pixels: 32 or more (index), 16\n"
     "                     (blend), 128 (colour) inside a span of drawn pixels, half that\n"
     "                     at either end of one, any repeat that is a whole span;\n"
     "                     small: every repeat of 3 or more, the smallest file\n"
     "Without --palette the image's own colours make the palette; more than 256 is an error.\n"
     "Kind byte: 0xA1 index and colour, 0xA2 blend, 0xA3 mask. Images up to 16777216 pixels.\n"},
    {"palette",
     "usage: ruvo-pack palette IN.png... -o OUT [--colours N]\n"
     "Makes a palette of at most N (2..256, default 256) 5-6-5 colours for the opaque pixels\n"
     "of all images with libimagequant. OUT is 256 little-endian 16-bit colours (512 bytes).\n"},
    {"font",
     "usage: ruvo-pack font FONT.ttf --size N -o OUT [--ramp FIRST,COUNT] [--fills fast|small]\n"
     "Rasterises Latin-1 codes 1..255 at N pixels per em (4..200), anti-aliased, into a\n"
     "Font record. Coverage maps to COUNT colour-table indices from FIRST (default 1,4),\n"
     "faint to full; FIRST + COUNT is at most 256. Advance widths are the font's, less the\n"
     "2 pixels the library adds per character. --fills as for sprite (default fast).\n"},
    {"tile",
     "usage: ruvo-pack tile IN.png -o OUT [--palette PAL] [--palette-out F]\n"
     "Takes the diamond of a 63 x 32 image as 1024 TileBytes (palette indices, row by row).\n"
     "Without --palette the image's own colours make the palette (at most 256).\n"},
    {"shade",
     "usage: ruvo-pack shade PALETTE -o OUT\n"
     "Makes a ShadeTable (64 rows of 256 colours, 32768 bytes): rows 0..31 are light levels\n"
     "(16 = the palette, below darker, above brighter), rows 32..63 the same half a level up.\n"},
    {"blendtable",
     "usage: ruvo-pack blendtable PALETTE --weight W -o OUT\n"
     "Makes a BlendTable (256 32-bit entries, 1024 bytes) for DrawScreenSpriteTranslucent\n"
     "and sprites of kind 0xA9: index i draws palette colour i over the pixel already there,\n"
     "which keeps W/32 of itself per channel (W 0..31: 0 the colour alone, 16 an even mix,\n"
     "31 leaves the pixel unchanged). Entry i: bits 0..15 the colour scaled by (32 - W)/32\n"
     "(5-6-5, as every file of this tool), bits 19..23 W.\n"},
    {"view",
     "usage: ruvo-pack view FILE -o OUT.png [--as KIND] [--palette PAL] [--coding C]\n"
     "Decodes a file of this tool to a PNG: a sprite through a palette (transparent pixels\n"
     "transparent), a font as a glyph sheet, a tile, a palette, shade or blend table as\n"
     "swatches.\n"
     "  --as sprite|font|tile|palette|shade|blendtable   the file's kind (default: guessed)\n"
     "  --coding index|blend|colour|mask   a sprite's coding (default: the one its kind byte\n"
     "                     names, else the one its bytes parse as; colour runs have no kind)\n"
     "  --palette PAL      colours for sprites and tiles (default: indices as greys)\n"
     "  --ramp FIRST,COUNT the font's ramp (default 1,4)\n"},
};

// The codings and the operations that read each, wrapped under the name.
std::string CodingTable() {
    std::string table;
    for (RunCoding coding :
         {RunCoding::IndexRuns, RunCoding::BlendRuns, RunCoding::ColourRuns, RunCoding::MaskRuns}) {
        std::string line = std::string("  ") + CodingName(coding);
        line.resize(10, ' ');
        size_t width = line.size();
        std::string word;
        const std::string operations = std::string(OperationsFor(coding)) + " ";
        for (char c : operations) {
            if (c != ' ') {
                word += c;
                continue;
            }
            if (width + word.size() > 88) {
                table += line.substr(0, line.size() - 1) + "\n";
                line = std::string(10, ' '), width = 10;
            }
            line += word + " ";
            width += word.size() + 1;
            word.clear();
        }
        table += line.substr(0, line.size() - 1) + "\n";
    }
    return table;
}

Rgb PixelRgb(const uint8_t *p) { return {p[0], p[1], p[2]}; }
bool IsKey(const uint8_t *p) { return assets::ToRgb565(PixelRgb(p)) == 0xF81F; }

// The palette of an image's own 5-6-5 colours (those where drawn says so),
// or an error naming how many there are past 256.
Palette ExactPalette(const RgbaImage &image, const std::string &name,
                     const std::vector<bool> &drawn) {
    std::vector<uint16_t> colours;
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (drawn[i]) colours.push_back(assets::ToRgb565(PixelRgb(&image.rgba[i * 4])));
    }
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    if (colours.size() > 256) {
        throw AssetError(name + " has " + std::to_string(colours.size()) +
                         " colours, more than a palette holds (256); give --palette "
                         "(ruvo-pack palette makes one)");
    }
    Palette palette{};
    std::copy(colours.begin(), colours.end(), palette.begin());
    return palette;
}

// Indices of the drawn pixels: exact in a palette made from the image
// (returned in made, for the caller to write), else nearest in the given one.
std::vector<uint16_t> ToIndices(const RgbaImage &image, const std::optional<Palette> &given,
                                const std::string &name, const std::vector<bool> &drawn,
                                std::optional<Palette> &made) {
    const Palette palette = given ? *given : ExactPalette(image, name, drawn);
    if (!given) made = palette;
    std::map<uint16_t, uint16_t> memo;
    std::vector<uint16_t> indices(drawn.size(), 0);
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (!drawn[i]) continue;
        const uint16_t key = assets::ToRgb565(PixelRgb(&image.rgba[i * 4]));
        auto it = memo.find(key);
        if (it == memo.end()) {
            it = memo.emplace(key, assets::NearestIndex(palette, 256, assets::FromRgb565(key)))
                     .first;
        }
        indices[i] = it->second;
    }
    return indices;
}

std::optional<Palette> GivenPalette(const Args &args) {
    if (auto path = args.Get("--palette")) return LoadPalette(*path);
    return std::nullopt;
}

void WriteMadePalette(const std::optional<Palette> &made, const std::string &path) {
    if (!made) return;
    WriteFile(path, assets::PaletteBytes(*made));
    std::printf("wrote %s (the image's own colours)\n", path.c_str());
}

int Sprite(const Args &args) {
    if (args.positional.size() != 1) throw UsageError("sprite takes one image");
    const std::string in = args.positional[0], out = args.Need("-o");
    const RunCoding coding = ParseCoding(args.Need("--coding"));
    const assets::Fills fills = FillsOf(args);
    int x_offset = 0, y_offset = 0;
    if (auto offset = args.Get("--offset")) {
        std::tie(x_offset, y_offset) = ParsePair(*offset, "--offset");
        if (x_offset < -32768 || x_offset > 32767 || y_offset < -32768 || y_offset > 32767)
            throw UsageError("--offset values must be -32768..32767");
    }
    const std::optional<std::string> anchor = args.Get("--anchor");
    if (anchor && *anchor != "bottom" && *anchor != "centre" && *anchor != "center")
        throw UsageError("--anchor must be bottom or centre, not '" + *anchor + "'");
    if (anchor && args.Get("--offset")) throw UsageError("give --offset or --anchor, not both");
    uint8_t kind = coding == RunCoding::BlendRuns  ? 0xA2
                   : coding == RunCoding::MaskRuns ? 0xA3
                                                   : 0xA1;
    if (auto k = args.Get("--kind")) {
        if (*k != "translucent") throw UsageError("--kind takes only 'translucent'");
        if (coding != RunCoding::IndexRuns)
            throw UsageError("--kind translucent needs --coding index");
        kind = 0xA9;
    }
    const bool needs_palette = coding == RunCoding::IndexRuns || coding == RunCoding::BlendRuns;
    if (!needs_palette && (args.Get("--palette") || args.Get("--palette-out")))
        throw UsageError(std::string("--coding ") + CodingName(coding) + " takes no palette");
    const std::optional<Palette> given = needs_palette ? GivenPalette(args) : std::nullopt;
    const std::string palette_out = args.Get("--palette-out").value_or(out + ".pal");

    const RgbaImage image = media::ReadPng(in);
    const size_t n = size_t(image.width) * image.height;
    if (image.height > 65535) throw AssetError(in + ": more than 65535 rows");
    std::vector<Cover> cover(n, Cover::None);
    std::vector<bool> drawn(n, false);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t *p = &image.rgba[i * 4];
        if (IsKey(p)) continue;
        if (coding == RunCoding::BlendRuns) {
            cover[i] = p[3] >= 192 ? Cover::Opaque : p[3] >= 64 ? Cover::Blended : Cover::None;
        } else {
            cover[i] = p[3] >= 128 ? Cover::Opaque : Cover::None;
        }
        drawn[i] = cover[i] != Cover::None;
    }
    assets::SpriteImage sprite;
    sprite.width = image.width, sprite.height = image.height;
    sprite.cover = cover;
    sprite.kind = kind;
    sprite.x_offset = x_offset, sprite.y_offset = y_offset;
    if (anchor) {
        sprite.x_offset = -image.width / 2;
        sprite.y_offset = *anchor == "bottom" ? -image.height : -image.height / 2;
    }
    std::optional<Palette> made;
    if (coding == RunCoding::ColourRuns) {
        sprite.values.resize(n);
        for (size_t i = 0; i < n; ++i)
            sprite.values[i] = assets::ToRgb565(PixelRgb(&image.rgba[i * 4]));
    } else if (coding == RunCoding::MaskRuns) {
        sprite.values.assign(n, 0);
    } else {
        sprite.values = ToIndices(image, given, in, drawn, made);
    }
    std::vector<uint8_t> bytes;
    try {
        bytes = assets::EncodeSprite(sprite, coding, fills);
    } catch (const std::invalid_argument &) {
        throw AssetError(in + ": a row of " + std::to_string(image.width) +
                         " pixels needs more bytes than a sprite row holds (65535)");
    }
    WriteMadePalette(made, palette_out);
    WriteFile(out, bytes);
    std::printf("wrote %s (%zu bytes, %d x %d, %s runs, kind 0x%02X)\n", out.c_str(), bytes.size(),
                image.width, image.height, CodingName(coding), kind);
    std::printf("  drawn by %s\n", OperationsFor(coding));
    return 0;
}

int PaletteCommand(const Args &args) {
    if (args.positional.empty()) throw UsageError("palette takes one or more images");
    const std::string out = args.Need("-o");
    const int colours =
        args.Get("--colours") ? ParseInt(*args.Get("--colours"), "--colours", 2, 256) : 256;
    std::vector<RgbaImage> images;
    for (const std::string &path : args.positional) images.push_back(media::ReadPng(path));
    const media::QuantisedPalette palette = media::QuantisePalette(images, colours);
    WriteFile(out, assets::PaletteBytes(palette.colours));
    std::printf("wrote %s (%d colours)\n", out.c_str(), palette.count);
    return 0;
}

int Font(const Args &args) {
    if (args.positional.size() != 1) throw UsageError("font takes one font file");
    const std::string out = args.Need("-o");
    const int size = ParseInt(args.Need("--size"), "--size", 4, 200);
    const auto [first, count] = RampOf(args);
    const media::RasterisedFont font = media::RasteriseLatin1(args.positional[0], size);
    const std::vector<uint8_t> record =
        assets::BuildFontRecord(font.glyphs, font.ascent, {first, count}, FillsOf(args));
    WriteFile(out, record);
    std::printf("wrote %s (%zu bytes, line height %d)\n", out.c_str(), record.size(),
                font.line_height);
    return 0;
}

int Tile(const Args &args) {
    if (args.positional.size() != 1) throw UsageError("tile takes one image");
    const std::string in = args.positional[0], out = args.Need("-o");
    const std::optional<Palette> given = GivenPalette(args);
    const std::string palette_out = args.Get("--palette-out").value_or(out + ".pal");
    const RgbaImage image = media::ReadPng(in);
    if (image.width != assets::kTileImageWidth || image.height != assets::kTileImageHeight) {
        throw AssetError(in + " is " + std::to_string(image.width) + " x " +
                         std::to_string(image.height) + "; a tile image is 63 x 32");
    }
    std::vector<bool> drawn(size_t(image.width) * image.height);
    for (int r = 0; r < image.height; ++r) {
        for (int c = 0; c < image.width; ++c)
            drawn[r * image.width + c] = assets::InTileShape(c, r);
    }
    std::optional<Palette> made;
    const std::vector<uint16_t> indices = ToIndices(image, given, in, drawn, made);
    assets::TileImage tile{};
    for (size_t i = 0; i < tile.size(); ++i) tile[i] = static_cast<uint8_t>(indices[i]);
    const assets::TileBytes bytes = assets::EncodeTile(tile);
    WriteMadePalette(made, palette_out);
    WriteFile(out, {bytes.begin(), bytes.end()});
    std::printf("wrote %s (1024 bytes)\n", out.c_str());
    return 0;
}

int Shade(const Args &args) {
    if (args.positional.size() != 1) throw UsageError("shade takes one palette");
    const std::string out = args.Need("-o");
    const Palette palette = LoadPalette(args.positional[0]);
    WriteFile(out, assets::ShadeBytes(assets::MakeShadeTable(palette)));
    std::printf("wrote %s (32768 bytes)\n", out.c_str());
    return 0;
}

// Entry i: palette colour i scaled per channel by (32 - w) / 32 (as the
// library scales the pixel already there by w / 32), weight w in bits 19..23.
int BlendTableCommand(const Args &args) {
    if (args.positional.size() != 1) throw UsageError("blendtable takes one palette");
    const std::string out = args.Need("-o");
    const int weight = ParseInt(args.Need("--weight"), "--weight", 0, 31);
    const Palette palette = LoadPalette(args.positional[0]);
    constexpr uint32_t kSpread = 0x07E0F81F;  // green high, red and blue low (5-6-5)
    std::vector<uint8_t> bytes;
    for (uint16_t c : palette) {
        const uint32_t spread = ((uint32_t{c} << 16) | c) & kSpread;
        const uint32_t scaled = ((spread * uint32_t(32 - weight)) >> 5) & kSpread;
        const uint32_t entry = (((scaled >> 16) | scaled) & 0xFFFF) | uint32_t(weight) << 19;
        for (int b = 0; b < 4; ++b) bytes.push_back(uint8_t(entry >> (8 * b)));
    }
    WriteFile(out, bytes);
    std::printf("wrote %s (1024 bytes, weight %d/32 kept of the pixel below)\n", out.c_str(),
                weight);
    std::printf(
        "  read by DrawScreenSpriteTranslucent and DrawSpriteToSurface (kind 0xA9) "
        "with index runs\n");
    return 0;
}

}  // namespace

int Run(int argc, char **argv) {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    static const std::map<std::string, std::pair<int (*)(const Args &), std::set<std::string>>>
        kCommands = {
            {"sprite",
             {Sprite,
              {"-o", "--coding", "--palette", "--palette-out", "--offset", "--anchor", "--kind",
               "--fills"}}},
            {"palette", {PaletteCommand, {"-o", "--colours"}}},
            {"font", {Font, {"-o", "--size", "--ramp", "--fills"}}},
            {"tile", {Tile, {"-o", "--palette", "--palette-out"}}},
            {"shade", {Shade, {"-o"}}},
            {"blendtable", {BlendTableCommand, {"-o", "--weight"}}},
            {"view", {View, {"-o", "--as", "--palette", "--coding", "--ramp"}}},
        };
    const auto it = kCommands.find(command);
    try {
        if (it == kCommands.end())
            throw UsageError("unknown command '" + command + "' (see --help)");
        const Args args = ParseArgs(argc, argv, 2, it->second.second);
        if (args.help) {
            for (const CommandHelp &h : kHelp) {
                if (command != h.name) continue;
                std::string text = h.text;
                if (const size_t at = text.find("{codings}"); at != std::string::npos)
                    text.replace(at, 9, CodingTable());
                std::fputs(text.c_str(), stdout);
            }
            return 0;
        }
        return it->second.first(args);
    } catch (const UsageError &e) {
        std::fprintf(stderr, "ruvo-pack %s: %s\n", command.c_str(), e.what());
        return 2;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "ruvo-pack %s: %s\n", command.c_str(), e.what());
        return 1;
    }
}

}  // namespace ruvo::pack
