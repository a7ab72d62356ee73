// ruvo-pack's subcommands. Every file written is a raw library format, so a
// host loads it with one read: a sprite file is exactly the RleSprite bytes,
// a palette 256 colours (512 bytes), a shade table 64 x 256 colours, a tile
// its 1024 TileBytes, a font the whole Font record with its glyphs.
#include "tools/pack/pack_commands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
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

namespace ruvo::pack {
namespace {

using assets::AssetError;
using assets::Cover;
using assets::Palette;
using assets::Rgb;
using assets::RunCoding;
using media::RgbaImage;

// A mistake in the command line rather than in a file: exit status 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

constexpr const char *kUsage =
    "usage: ruvo-pack COMMAND [options]   (ruvo-pack COMMAND --help for each)\n"
    "  sprite IN.png -o OUT --coding index|blend|colour|mask   an RleSprite\n"
    "  palette IN.png... -o OUT                                a 256-colour table (quantised)\n"
    "  font FONT.ttf --size N -o OUT                           a Font record, codes 1..255\n"
    "  tile IN.png -o OUT                                      1024 TileBytes of a 63 x 32 image\n"
    "  shade PALETTE -o OUT                                    a ShadeTable (64 rows)\n"
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
     "  --palette PAL      map colours to the nearest entry of this palette (index, blend)\n"
     "  --palette-out F    where the palette made from the image goes (default OUT.pal)\n"
     "  --offset X,Y       the header's x and y offsets (default 0,0)\n"
     "  --anchor bottom    offsets that put the anchor at the bottom centre of the image\n"
     "Without --palette the image's own colours make the palette; more than 256 is an error.\n"
     "Kind byte: 0xA1 index and colour, 0xA2 blend, 0xA3 mask.\n"},
    {"palette",
     "usage: ruvo-pack palette IN.png... -o OUT [--colours N]\n"
     "Makes a palette of at most N (default 256) 5-6-5 colours for the opaque pixels of all\n"
     "images with libimagequant. OUT is 256 little-endian 16-bit colours (512 bytes).\n"},
    {"font",
     "usage: ruvo-pack font FONT.ttf --size N -o OUT [--ramp FIRST,COUNT]\n"
     "Rasterises Latin-1 codes 1..255 at N pixels per em, anti-aliased, into a Font record.\n"
     "Coverage maps to COUNT colour-table indices from FIRST (default 1,4), faint to full;\n"
     "advance widths are the font's, less the 2 pixels the library adds per character.\n"},
    {"tile",
     "usage: ruvo-pack tile IN.png -o OUT [--palette PAL] [--palette-out F]\n"
     "Takes the diamond of a 63 x 32 image as 1024 TileBytes (palette indices, row by row).\n"
     "Without --palette the image's own colours make the palette (at most 256).\n"},
    {"shade",
     "usage: ruvo-pack shade PALETTE -o OUT\n"
     "Makes a ShadeTable (64 rows of 256 colours, 32768 bytes): rows 0..31 are light levels\n"
     "(16 = the palette, below darker, above brighter), rows 32..63 the same half a level up.\n"},
    {"view",
     "usage: ruvo-pack view FILE -o OUT.png [--as KIND] [--palette PAL] [--coding C]\n"
     "Decodes a file of this tool to a PNG: a sprite through a palette (transparent pixels\n"
     "transparent), a font as a glyph sheet, a tile, a palette or shade table as swatches.\n"
     "  --as sprite|font|tile|palette|shade   the file's kind (default: guessed from it)\n"
     "  --coding index|blend|colour|mask      a sprite's coding (default: its kind byte)\n"
     "  --palette PAL      colours for sprites and tiles (default: indices as greys)\n"
     "  --ramp FIRST,COUNT the font's ramp (default 1,4)\n"},
};

// Arguments: positionals, options with values, and flags.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    bool help = false;

    std::optional<std::string> Get(const std::string &name) const {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    std::string Need(const std::string &name) const {
        if (auto v = Get(name)) return *v;
        throw UsageError("missing " + name);
    }
};

Args ParseArgs(int argc, char **argv, int first, const std::set<std::string> &with_value) {
    Args args;
    for (int i = first; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            args.help = true;
        } else if (a.size() > 1 && a[0] == '-') {
            if (!with_value.count(a)) throw UsageError("unknown option " + a);
            if (i + 1 >= argc) throw UsageError(a + " needs a value");
            args.values[a] = argv[++i];
        } else {
            args.positional.push_back(a);
        }
    }
    return args;
}

std::vector<uint8_t> ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw AssetError(path + ": " + std::strerror(errno));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw AssetError(path + ": cannot write the file");
}

int ParseInt(const std::string &text, const std::string &what) {
    try {
        size_t used = 0;
        const int v = std::stoi(text, &used);
        if (used == text.size()) return v;
    } catch (const std::exception &) {
    }
    throw UsageError(what + " must be a number, not '" + text + "'");
}

std::pair<int, int> ParsePair(const std::string &text, const std::string &what) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) throw UsageError(what + " takes two numbers: A,B");
    return {ParseInt(text.substr(0, comma), what), ParseInt(text.substr(comma + 1), what)};
}

RunCoding ParseCoding(const std::string &name) {
    if (name == "index") return RunCoding::IndexRuns;
    if (name == "blend") return RunCoding::BlendRuns;
    if (name == "colour" || name == "color") return RunCoding::ColourRuns;
    if (name == "mask") return RunCoding::MaskRuns;
    throw UsageError("--coding must be index, blend, colour or mask, not '" + name + "'");
}

Palette LoadPalette(const std::string &path) { return assets::PaletteFromBytes(ReadFile(path)); }

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

// Indices for the drawn pixels: exact in a palette made from the image, else nearest.
std::vector<uint16_t> ToIndices(const RgbaImage &image, const Args &args, const std::string &name,
                                const std::string &out, const std::vector<bool> &drawn) {
    Palette palette;
    int count = 256;
    if (auto given = args.Get("--palette")) {
        palette = LoadPalette(*given);
    } else {
        palette = ExactPalette(image, name, drawn);
        const std::string palette_out = args.Get("--palette-out").value_or(out + ".pal");
        WriteFile(palette_out, assets::PaletteBytes(palette));
        std::printf("wrote %s (the image's own colours)\n", palette_out.c_str());
    }
    std::map<uint16_t, uint16_t> memo;
    std::vector<uint16_t> indices(drawn.size(), 0);
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (!drawn[i]) continue;
        const Rgb c = PixelRgb(&image.rgba[i * 4]);
        const uint16_t key = assets::ToRgb565(c);
        auto it = memo.find(key);
        if (it == memo.end()) {
            it = memo.emplace(key, assets::NearestIndex(palette, count, assets::FromRgb565(key)))
                     .first;
        }
        indices[i] = it->second;
    }
    return indices;
}

int Sprite(const Args &args) {
    if (args.positional.size() != 1) throw UsageError("sprite takes one image");
    const std::string in = args.positional[0], out = args.Need("-o");
    const RunCoding coding = ParseCoding(args.Need("--coding"));
    const RgbaImage image = media::ReadPng(in);
    const size_t n = size_t(image.width) * image.height;
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
    if (coding == RunCoding::ColourRuns) {
        sprite.values.resize(n);
        for (size_t i = 0; i < n; ++i)
            sprite.values[i] = assets::ToRgb565(PixelRgb(&image.rgba[i * 4]));
    } else if (coding == RunCoding::MaskRuns) {
        sprite.values.assign(n, 0);
    } else {
        sprite.values = ToIndices(image, args, in, out, drawn);
    }
    sprite.kind = coding == RunCoding::BlendRuns  ? 0xA2
                  : coding == RunCoding::MaskRuns ? 0xA3
                                                  : 0xA1;
    if (auto offset = args.Get("--offset")) {
        std::tie(sprite.x_offset, sprite.y_offset) = ParsePair(*offset, "--offset");
    }
    if (auto anchor = args.Get("--anchor")) {
        if (*anchor != "bottom") throw UsageError("--anchor takes only 'bottom'");
        sprite.x_offset = -image.width / 2, sprite.y_offset = -image.height;
    }
    if (sprite.x_offset < -32768 || sprite.x_offset > 32767 || sprite.y_offset < -32768 ||
        sprite.y_offset > 32767) {
        throw UsageError("--offset values must fit 16 bits");
    }
    if (image.height > 65535) throw AssetError(in + ": more than 65535 rows");
    std::vector<uint8_t> bytes;
    try {
        bytes = assets::EncodeSprite(sprite, coding);
    } catch (const std::invalid_argument &) {
        throw AssetError(in + ": a row of " + std::to_string(image.width) +
                         " pixels needs more bytes than a sprite row holds (65535)");
    }
    WriteFile(out, bytes);
    std::printf("wrote %s (%zu bytes, %d x %d)\n", out.c_str(), bytes.size(), image.width,
                image.height);
    return 0;
}

int PaletteCommand(const Args &args) {
    if (args.positional.empty()) throw UsageError("palette takes one or more images");
    const std::string out = args.Need("-o");
    const int colours = args.Get("--colours") ? ParseInt(*args.Get("--colours"), "--colours") : 256;
    if (colours < 2 || colours > 256) throw UsageError("--colours must be 2..256");
    std::vector<RgbaImage> images;
    for (const std::string &path : args.positional) images.push_back(media::ReadPng(path));
    const media::QuantisedPalette palette = media::QuantisePalette(images, colours);
    WriteFile(out, assets::PaletteBytes(palette.colours));
    std::printf("wrote %s (%d colours)\n", out.c_str(), palette.count);
    return 0;
}

std::pair<int, int> RampOf(const Args &args) {
    if (auto ramp = args.Get("--ramp")) {
        const auto [first, count] = ParsePair(*ramp, "--ramp");
        if (count < 1 || first < 0 || first + count > 256) {
            throw UsageError("--ramp must lie inside indices 0..255");
        }
        return {first, count};
    }
    return {1, 4};
}

int Font(const Args &args) {
    if (args.positional.size() != 1) throw UsageError("font takes one font file");
    const std::string out = args.Need("-o");
    const int size = ParseInt(args.Need("--size"), "--size");
    const auto [first, count] = RampOf(args);
    const media::RasterisedFont font = media::RasteriseLatin1(args.positional[0], size);
    const std::vector<uint8_t> record =
        assets::BuildFontRecord(font.glyphs, font.ascent, {first, count});
    WriteFile(out, record);
    std::printf("wrote %s (%zu bytes, line height %d)\n", out.c_str(), record.size(),
                font.line_height);
    return 0;
}

int Tile(const Args &args) {
    if (args.positional.size() != 1) throw UsageError("tile takes one image");
    const std::string in = args.positional[0], out = args.Need("-o");
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
    const std::vector<uint16_t> indices = ToIndices(image, args, in, out, drawn);
    assets::TileImage tile{};
    for (size_t i = 0; i < tile.size(); ++i) tile[i] = static_cast<uint8_t>(indices[i]);
    const assets::TileBytes bytes = assets::EncodeTile(tile);
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

// Views: everything becomes RGBA; transparent pixels have alpha 0.
void Put(RgbaImage &image, int x, int y, uint16_t colour, uint8_t alpha = 0xFF) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    const Rgb c = assets::FromRgb565(colour);
    uint8_t *p = image.At(x, y);
    p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = alpha;
}

Palette GreyPalette() {
    Palette p{};
    for (int i = 0; i < 256; ++i) p[i] = assets::ToRgb565({uint8_t(i), uint8_t(i), uint8_t(i)});
    return p;
}

RgbaImage ViewSprite(const std::vector<uint8_t> &bytes, const Args &args) {
    RunCoding coding = RunCoding::IndexRuns;
    if (auto c = args.Get("--coding")) {
        coding = ParseCoding(*c);
    } else if (bytes.size() > 8) {
        coding = bytes[8] == 0xA2   ? RunCoding::BlendRuns
                 : bytes[8] == 0xA3 ? RunCoding::MaskRuns
                                    : RunCoding::IndexRuns;
    }
    const assets::SpriteImage sprite = assets::ReadSpriteBytes(bytes, coding);
    const Palette palette =
        args.Get("--palette") ? LoadPalette(*args.Get("--palette")) : GreyPalette();
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
    const Palette palette =
        args.Get("--palette") ? LoadPalette(*args.Get("--palette")) : GreyPalette();
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

RgbaImage ViewPalette(const std::vector<uint8_t> &bytes) {
    const Palette palette = assets::PaletteFromBytes(bytes);
    RgbaImage image(256, 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) Put(image, x, y, palette[(y / 16) * 16 + x / 16]);
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

int View(const Args &args) {
    if (args.positional.size() != 1) throw UsageError("view takes one file");
    const std::string in = args.positional[0], out = args.Need("-o");
    const std::vector<uint8_t> bytes = ReadFile(in);
    std::string kind;
    if (auto as = args.Get("--as")) {
        kind = *as;
    } else if (bytes.size() == assets::kPaletteFileBytes) {
        kind = "palette";
    } else if (bytes.size() == assets::kShadeFileBytes) {
        kind = "shade";
    } else if (bytes.size() == 1024) {
        kind = "tile";
    } else if (assets::LooksLikeFontRecord(bytes)) {
        kind = "font";
    } else {
        kind = "sprite";
    }
    RgbaImage image;
    try {
        if (kind == "sprite")
            image = ViewSprite(bytes, args);
        else if (kind == "font")
            image = ViewFont(bytes, args);
        else if (kind == "tile")
            image = ViewTile(bytes, args);
        else if (kind == "palette")
            image = ViewPalette(bytes);
        else if (kind == "shade")
            image = ViewShade(bytes);
        else
            throw UsageError("--as must be sprite, font, tile, palette or shade");
    } catch (const AssetError &e) {
        throw AssetError(in + " (" + kind + "): " + e.what());
    }
    if (image.width == 0 || image.height == 0) throw AssetError(in + ": the " + kind + " is empty");
    media::WritePng(out, image);
    std::printf("wrote %s (%s, %d x %d)\n", out.c_str(), kind.c_str(), image.width, image.height);
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
             {Sprite, {"-o", "--coding", "--palette", "--palette-out", "--offset", "--anchor"}}},
            {"palette", {PaletteCommand, {"-o", "--colours"}}},
            {"font", {Font, {"-o", "--size", "--ramp"}}},
            {"tile", {Tile, {"-o", "--palette", "--palette-out"}}},
            {"shade", {Shade, {"-o"}}},
            {"view", {View, {"-o", "--as", "--palette", "--coding", "--ramp"}}},
        };
    const auto it = kCommands.find(command);
    try {
        if (it == kCommands.end())
            throw UsageError("unknown command '" + command + "' (see --help)");
        const Args args = ParseArgs(argc, argv, 2, it->second.second);
        if (args.help) {
            for (const CommandHelp &h : kHelp) {
                if (command == h.name) std::fputs(h.text, stdout);
            }
            return 0;
        }
        return it->second.first(args);
    } catch (const UsageError &e) {
        std::fprintf(stderr, "ruvo-pack %s: %s\n", command.c_str(), e.what());
        return 2;
    } catch (const AssetError &e) {
        std::fprintf(stderr, "ruvo-pack %s: %s\n", command.c_str(), e.what());
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "ruvo-pack %s: %s\n", command.c_str(), e.what());
        return 1;
    }
}

}  // namespace ruvo::pack
