#include "tools/pack/pack_args.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tools/assets/asset_error.h"

namespace ruvo::pack {

using assets::AssetError;
using assets::RunCoding;

std::optional<std::string> Args::Get(const std::string &name) const {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
}

std::string Args::Need(const std::string &name) const {
    if (auto v = Get(name)) return *v;
    throw UsageError("missing " + name);
}

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

int ParseInt(const std::string &text, const std::string &what, int lo, int hi) {
    int v = 0;
    try {
        size_t used = 0;
        v = std::stoi(text, &used);
        if (used != text.size()) throw std::invalid_argument(text);
    } catch (const std::exception &) {
        throw UsageError(what + " must be a number, not '" + text + "'");
    }
    if (v < lo || v > hi) {
        throw UsageError(what + " must be " + std::to_string(lo) + ".." + std::to_string(hi) +
                         ", not " + text);
    }
    return v;
}

std::pair<int, int> ParsePair(const std::string &text, const std::string &what) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) throw UsageError(what + " takes two numbers: A,B");
    return {ParseInt(text.substr(0, comma), what, INT32_MIN, INT32_MAX),
            ParseInt(text.substr(comma + 1), what, INT32_MIN, INT32_MAX)};
}

RunCoding ParseCoding(const std::string &name) {
    if (name == "index") return RunCoding::IndexRuns;
    if (name == "blend") return RunCoding::BlendRuns;
    if (name == "colour" || name == "color") return RunCoding::ColourRuns;
    if (name == "mask") return RunCoding::MaskRuns;
    throw UsageError("--coding must be index, blend, colour or mask, not '" + name + "'");
}

assets::Fills FillsOf(const Args &args) {
    const std::string name = args.Get("--fills").value_or("fast");
    if (name == "fast") return assets::Fills::Fast;
    if (name == "small") return assets::Fills::Small;
    throw UsageError("--fills must be fast or small, not '" + name + "'");
}

const char *CodingName(RunCoding coding) {
    switch (coding) {
        case RunCoding::BlendRuns:
            return "blend";
        case RunCoding::IndexRuns:
            return "index";
        case RunCoding::ColourRuns:
            return "colour";
        case RunCoding::MaskRuns:
            return "mask";
    }
    return "?";
}

std::pair<int, int> RampOf(const Args &args) {
    if (auto ramp = args.Get("--ramp")) {
        const auto [first, count] = ParsePair(*ramp, "--ramp");
        if (first < 0 || count < 1 || first + count > 256) {
            throw UsageError("--ramp FIRST,COUNT must lie inside indices 0..255 (COUNT 1 or more)");
        }
        return {first, count};
    }
    return {1, 4};
}

const char *OperationsFor(RunCoding coding) {
    switch (coding) {
        case RunCoding::BlendRuns:
            return "DrawBackSpriteP1, DrawBackSpriteP2, StampBackSpriteP0, StampBackSpritePlain, "
                   "DrawBackSprite, DrawScreenBlendSprite, DrawScreenBlendSpriteTested, "
                   "DrawScreenBlendSpriteStippled; DrawSpriteToSurface (kind 0xA2)";
        case RunCoding::IndexRuns:
            return "StampBackSprite, DrawScreenSprite, DrawScreenSpriteTested, "
                   "DrawScreenSpriteTranslucent, DrawScreenSpriteAdditive, ApplyScreenLight, "
                   "DrawScreenSpriteFaded, BlendSpriteToSurface, StampSpriteMask; "
                   "DrawSpriteToSurface (kind 0xA1, or 0xA9 with a BlendTable); glyphs of "
                   "DrawText and DrawBackText";
        case RunCoding::ColourRuns:
            return "DrawScreenColourSprite";
        case RunCoding::MaskRuns:
            return "CastBackShadow, CastScreenShadow; DrawSpriteToSurface (kind 0xA3)";
    }
    return "";
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

assets::Palette LoadPalette(const std::string &path) {
    return assets::PaletteFromBytes(ReadFile(path));
}

}  // namespace ruvo::pack
