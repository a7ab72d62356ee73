// The demo's assets, drawn procedurally at start-up and encoded with the
// tools library into the library's own formats: one palette of 16 ramps of
// 16 shades, its ShadeTable, ground tiles, stamped objects with their shadow
// masks, walking figures, light, smoke and flame sprites, a BlendTable and
// two font records.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/assets/colour_tables.h"
#include "tools/assets/tile_codec.h"

namespace demo {

using Bytes = std::vector<uint8_t>;

// Palette index of a ramp (0..15) at a shade (0 dark .. 15 bright).
enum Ramp : int {
    kGrey,
    kGrass,
    kLeaf,
    kBark,
    kDirt,
    kStone,
    kRoof,
    kFire,
    kWater,
    kSkin,
    kBlue,
    kPurple,
    kYellow,
    kPlaster,
    kSmoke,
    kMoss,
};
constexpr uint8_t Ink(int ramp, int shade) {
    return static_cast<uint8_t>(ramp * 16 + (shade < 0 ? 0 : shade > 15 ? 15 : shade));
}

enum Ground : int {
    kGroundGrass,
    kGroundMeadow,
    kGroundPath,
    kGroundStone,
    kGroundWater,
    kGrounds
};
enum ObjectKind : int { kTree, kPine, kHouse, kWall, kLamp, kObjectKinds };

struct ObjectArt {
    Bytes sprite;  // BlendRuns for trees, walls and lamps; IndexRuns for houses
    Bytes shadow;  // MaskRuns
    int32_t top = 0, height = 0, left = 0, width = 0;  // bounds around the foot, shadow included
};

struct Art {
    ruvo::assets::Palette palette{};                                     // 5-6-5
    std::vector<uint16_t> shade;                                         // 64 x 256
    std::array<std::array<ruvo::assets::TileBytes, 2>, kGrounds> tiles;  // two variants each
    std::array<ObjectArt, kObjectKinds> objects;
    std::array<std::array<Bytes, 4>, 4> walkers;  // [figure][frame], IndexRuns
    std::array<Bytes, 4> hero;                    // BlendRuns, the torch bearer
    Bytes figure_shadow;                          // MaskRuns
    Bytes torch_light;                            // IndexRuns of light levels
    std::array<Bytes, 3> flames;                  // IndexRuns through the fire table
    Bytes smoke;                                  // IndexRuns through the BlendTable
    std::array<uint32_t, 256> smoke_table{};      // BlendTable
    std::array<uint16_t, 256> fire_colours{};     // for the additive flames
    Bytes title_font, text_font;                  // Font records
    std::array<uint16_t, 256> text_colours{};     // ramp 1..4 over the text panel
};

// Builds everything. Throws ruvo::assets::AssetError when a font is missing.
Art BuildArt(const std::string &title_font_path, const std::string &text_font_path);

}  // namespace demo
