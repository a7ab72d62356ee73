#include "demo/demo_art.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/font_record.h"
#include "tools/assets/sprite_codec.h"
#include "tools/media/freetype_font.h"

namespace demo {
namespace {

using ruvo::assets::Cover;
using ruvo::assets::Rgb;
using ruvo::assets::RunCoding;
using ruvo::assets::SpriteImage;

// A repeatable noise value in 0..1 for integer coordinates and a seed.
double Noise(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
                 static_cast<uint32_t>(seed) * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x85EBCA6Bu;
    h ^= h >> 16;
    return (h & 0xFFFF) / 65535.0;
}

// Ramp ends: shade 0 and shade 15.
constexpr Rgb kRampEnds[16][2] = {
    {{0, 0, 0}, {255, 255, 255}},    {{14, 34, 10}, {150, 214, 86}},
    {{6, 26, 12}, {104, 182, 76}},   {{30, 16, 6}, {178, 118, 66}},
    {{46, 32, 18}, {226, 196, 136}}, {{28, 30, 38}, {196, 200, 210}},
    {{44, 8, 6}, {236, 104, 70}},    {{70, 12, 0}, {255, 226, 120}},
    {{4, 14, 48}, {100, 176, 236}},  {{62, 30, 20}, {252, 206, 168}},
    {{10, 12, 54}, {110, 132, 246}}, {{30, 6, 40}, {206, 120, 226}},
    {{42, 40, 0}, {240, 228, 90}},   {{64, 52, 42}, {246, 234, 210}},
    {{36, 38, 46}, {230, 232, 238}}, {{20, 30, 12}, {150, 170, 90}},
};

ruvo::assets::Palette MakePalette() {
    ruvo::assets::Palette palette{};
    for (int r = 0; r < 16; ++r) {
        for (int s = 0; s < 16; ++s) {
            const Rgb &a = kRampEnds[r][0], &b = kRampEnds[r][1];
            auto mix = [s](int lo, int hi) {
                return static_cast<uint8_t>(lo + (hi - lo) * s / 15);
            };
            palette[r * 16 + s] =
                ruvo::assets::ToRgb565({mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)});
        }
    }
    return palette;
}

// A sprite canvas addressed around its anchor (the foot of an object).
struct Canvas {
    SpriteImage image;
    Canvas(int32_t left, int32_t top, int32_t width, int32_t height) : image(width, height) {
        image.x_offset = left;
        image.y_offset = top;
    }
    bool Inside(int x, int y) const {
        x -= image.x_offset, y -= image.y_offset;
        return x >= 0 && y >= 0 && x < image.width && y < image.height;
    }
    void Set(int x, int y, int value, Cover cover = Cover::Opaque) {
        if (Inside(x, y)) image.Set(x - image.x_offset, y - image.y_offset, uint16_t(value), cover);
    }
    bool Covered(int x, int y) const {
        return Inside(x, y) && image.CoverAt(x - image.x_offset, y - image.y_offset) != Cover::None;
    }
    Bytes Encode(RunCoding coding) const { return ruvo::assets::EncodeSprite(image, coding); }
};

// Ground tiles: a 63 x 32 image of indices, then its footprint bytes.
ruvo::assets::TileBytes MakeTile(Ground ground, int variant) {
    ruvo::assets::TileImage image{};
    for (int r = 0; r < 32; ++r) {
        for (int c = 0; c < 63; ++c) {
            const double n = Noise(c, r, ground * 7 + variant),
                         m = Noise(c / 3, r / 2, 99 + variant);
            uint8_t ink = 0;
            switch (ground) {
                case kGroundGrass:
                    ink = Ink(kGrass, 6 + int(n * 3) + int(m * 2) - (n > 0.93 ? 3 : 0));
                    break;
                case kGroundMeadow:
                    ink = n > 0.97   ? Ink(kYellow, 13)
                          : n < 0.02 ? Ink(kPurple, 12)
                                     : Ink(kMoss, 6 + int(n * 3 + m * 2));
                    break;
                case kGroundPath:
                    ink = Ink(kDirt, 6 + int(n * 2 + m * 2) + (n > 0.95 ? 3 : 0));
                    break;
                case kGroundStone: {
                    // Flagstones: a grid in tile space with mortar lines.
                    const int u = c + 2 * r, v = 2 * r - c + 64;
                    const bool mortar = u % 16 == 0 || v % 16 == 0;
                    ink = mortar ? Ink(kStone, 3) : Ink(kStone, 7 + int(m * 3) + int(n * 1.5));
                    break;
                }
                case kGroundWater: {
                    const double wave = std::sin((c + 2 * r) * 0.35 + variant * 1.7) * 0.5 + 0.5;
                    ink = Ink(kWater, 5 + int(wave * 3 + n * 1.2) + (n > 0.985 ? 5 : 0));
                    break;
                }
                default:
                    break;
            }
            image[r * 63 + c] = ink;
        }
    }
    return ruvo::assets::EncodeTile(image);
}

// Shadow mask of a silhouette: each covered pixel at height z above its base
// point falls z x (0.75, 0.38) further on along the ground, down and right.
template <class BaseFn>
Bytes ShadowOf(const Canvas &object, BaseFn base_row, ObjectArt &art) {
    const SpriteImage &im = object.image;
    std::vector<std::pair<int, int>> points;
    for (int y = 0; y < im.height; ++y) {
        for (int x = 0; x < im.width; ++x) {
            if (im.CoverAt(x, y) == Cover::None) continue;
            const int ox = x + im.x_offset, oy = y + im.y_offset, by = base_row(ox);
            const double z = std::max(0, by - oy);
            points.emplace_back(int(std::lround(ox + z * 0.75)), int(std::lround(by + z * 0.38)));
        }
    }
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    for (auto [px, py] : points) {
        x0 = std::min(x0, px), x1 = std::max(x1, px + 1), y0 = std::min(y0, py),
        y1 = std::max(y1, py + 1);
    }
    Canvas shadow(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
    for (auto [px, py] : points) {
        shadow.Set(px, py, 0), shadow.Set(px + 1, py, 0), shadow.Set(px, py + 1, 0);
    }
    art.left = std::min(x0, im.x_offset);
    art.top = std::min(y0, im.y_offset);
    art.width = std::max(x1 + 1, im.x_offset + im.width) - art.left;
    art.height = std::max(y1 + 1, im.y_offset + im.height) - art.top;
    return shadow.Encode(RunCoding::MaskRuns);
}

// A round-crowned tree; foliage lit from the upper left, blended at its rim.
ObjectArt MakeTree(int seed) {
    Canvas c(-30, -96, 61, 100);
    for (int y = -30; y <= 0; ++y) {
        for (int x = -3; x <= 3; ++x)
            c.Set(x, y, Ink(kBark, 5 + (x < 0 ? 0 : 3) + int(Noise(x, y, seed) * 2)));
    }
    for (int y = -96; y <= -20; ++y) {
        for (int x = -30; x <= 30; ++x) {
            double best = 1e9;
            for (int k = 0; k < 5; ++k) {
                const double cx = (k - 2) * 9.0 + (Noise(k, 0, seed) - 0.5) * 6;
                const double cy = -56 - (k % 2) * 16.0 + (Noise(k, 1, seed) - 0.5) * 8;
                const double r = 17 + Noise(k, 2, seed) * 5;
                best = std::min(best, std::hypot((x - cx) / r, (y - cy) / r));
            }
            if (best > 1.0) continue;
            const double light =
                0.5 + 0.5 * ((-x - (y + 56)) / 60.0) + (Noise(x, y, seed) - 0.5) * 0.5;
            const int shade = std::clamp(int(4 + light * 9 - best * 3), 1, 14);
            c.Set(x, y, Ink(kLeaf, shade), best > 0.93 ? Cover::Blended : Cover::Opaque);
        }
    }
    ObjectArt art;
    art.sprite = c.Encode(RunCoding::BlendRuns);
    art.shadow = ShadowOf(
        c, [](int) { return 0; }, art);
    return art;
}

// A conifer: stacked cones.
ObjectArt MakePine() {
    Canvas c(-22, -110, 45, 114);
    for (int y = -16; y <= 0; ++y) {
        for (int x = -2; x <= 2; ++x) c.Set(x, y, Ink(kBark, x < 0 ? 4 : 7));
    }
    for (int tier = 0; tier < 4; ++tier) {
        const int base = -12 - tier * 22, height = 36;
        for (int y = base - height; y <= base; ++y) {
            const int half = (y - (base - height)) * (22 - tier * 3) / height;
            for (int x = -half; x <= half; ++x) {
                const int shade =
                    3 + (x < 0 ? 0 : 4) + int(Noise(x, y, 5) * 3) + (y == base ? -2 : 0);
                c.Set(x, y, Ink(kLeaf, shade));
            }
        }
    }
    ObjectArt art;
    art.sprite = c.Encode(RunCoding::BlendRuns);
    art.shadow = ShadowOf(
        c, [](int) { return 0; }, art);
    return art;
}

// Bottom edge of an isometric box on one tile, anchored at the tile's centre.
int BoxBase(int x) { return x <= 0 ? (x + 31) * 16 / 31 : 16 - x * 16 / 31; }

// A house filling one tile: plaster walls, a door and windows, a hipped roof.
ObjectArt MakeHouse() {
    constexpr int kWallHeight = 40, kRoofHeight = 34;
    Canvas c(-35, -16 - kWallHeight - kRoofHeight - 2, 71, 16 + 16 + kWallHeight + kRoofHeight + 3);
    for (int x = -31; x <= 31; ++x) {
        const int bottom = BoxBase(x);
        for (int y = bottom - kWallHeight; y <= bottom; ++y) {
            const bool left = x <= 0;
            int shade = left ? 8 : 12;
            const int h = bottom - y;  // height above the ground
            const int along = left ? x + 31 : x;
            if (left && along >= 12 && along <= 19 && h <= 22) shade = 3;             // door
            if (!left && (along % 14 >= 4 && along % 14 <= 9) && h >= 16 && h <= 28)  // windows
                c.Set(x, y, Ink(kYellow, 9 + int(Noise(x, y, 3) * 3)));
            else
                c.Set(x, y, Ink(left ? kPlaster : kPlaster, shade - (h < 3 ? 3 : 0)));
        }
    }
    // Roof: apex above the centre; each column spans from the ridge line down
    // to the eaves, two pixels past the walls.
    const int apex = -16 - kWallHeight - kRoofHeight;
    for (int x = -35; x <= 35; ++x) {
        const int ridge = apex + std::abs(x) * 13 / 35;
        const int eaves =
            (std::abs(x) <= 31 ? BoxBase(x) : BoxBase(x < 0 ? -31 : 31) - (std::abs(x) - 31) / 2) -
            kWallHeight + 3;
        for (int y = ridge; y <= eaves; ++y) {
            const bool tile_line = (y - ridge) % 5 == 0;
            const int shade = (x <= 0 ? 6 : 10) - (tile_line ? 2 : 0) + int(Noise(x, y, 8) * 2);
            c.Set(x, y, Ink(kRoof, shade));
        }
    }
    // Chimney.
    for (int y = apex + 2; y <= apex + 20; ++y) {
        for (int x = 10; x <= 16; ++x) c.Set(x, y, Ink(kStone, x < 13 ? 5 : 8));
    }
    ObjectArt art;
    art.sprite = c.Encode(RunCoding::IndexRuns);
    art.shadow = ShadowOf(
        c, [](int x) { return BoxBase(std::clamp(x, -31, 31)); }, art);
    return art;
}

// A stone wall segment along one tile edge (down-right).
ObjectArt MakeWall() {
    Canvas c(-32, -40, 65, 58);
    for (int x = -31; x <= 31; ++x) {
        const int bottom = x * 8 / 31 + 8;
        for (int y = bottom - 22; y <= bottom; ++y) {
            const int h = bottom - y;
            const bool joint = h % 7 == 0 || (x + (h / 7) * 5) % 10 == 0;
            c.Set(x, y, Ink(kStone, joint ? 3 : 7 + int(Noise(x, y, 4) * 3)));
        }
        c.Set(x, bottom - 23, Ink(kStone, 12));
    }
    ObjectArt art;
    art.sprite = c.Encode(RunCoding::BlendRuns);
    art.shadow = ShadowOf(
        c, [](int x) { return x * 8 / 31 + 8; }, art);
    return art;
}

// A lamp post; its flame is drawn additively each frame.
ObjectArt MakeLamp() {
    Canvas c(-6, -64, 13, 66);
    for (int y = -52; y <= 0; ++y) {
        for (int x = -1; x <= 1; ++x) c.Set(x, y, Ink(kGrey, x < 0 ? 3 : 6));
    }
    for (int y = -62; y <= -52; ++y) {
        for (int x = -5; x <= 5; ++x) {
            if (std::abs(x) == 5 || y == -62 || y == -52)
                c.Set(x, y, Ink(kGrey, 4));
            else
                c.Set(x, y, Ink(kYellow, 12), Cover::Blended);
        }
    }
    ObjectArt art;
    art.sprite = c.Encode(RunCoding::BlendRuns);
    art.shadow = ShadowOf(
        c, [](int) { return 0; }, art);
    return art;
}

// A walking figure, 4 frames; the legs swing.
Canvas Figure(int cloth, int frame, bool torch) {
    Canvas c(-9, -40, 19, 42);
    const int swing = (frame == 1 ? 3 : frame == 3 ? -3 : 0);
    for (int y = -12; y <= 0; ++y) {
        const int t = 12 + y;  // 0 at the hip
        for (int x = -3; x <= -1; ++x) c.Set(x + swing * t / 12, y, Ink(kBark, 4));
        for (int x = 1; x <= 3; ++x) c.Set(x - swing * t / 12, y, Ink(kBark, 6));
    }
    for (int y = -27; y <= -12; ++y) {
        const int half = y < -24 ? 4 : 5;
        for (int x = -half; x <= half; ++x)
            c.Set(x, y, Ink(cloth, 6 + (x < 0 ? 0 : 4) + (y == -12 ? -3 : 0)));
    }
    for (int y = -37; y <= -28; ++y) {
        for (int x = -4; x <= 4; ++x) {
            if (std::hypot(x, y + 32.5) > 4.6) continue;
            c.Set(x, y, y < -34 ? Ink(kBark, 3) : Ink(kSkin, x < 0 ? 9 : 12));
        }
    }
    if (torch) {
        for (int y = -34; y <= -14; ++y) c.Set(7, y, Ink(kBark, 8));
        for (int y = -22; y <= -16; ++y) c.Set(6, y, Ink(kSkin, 10));
    }
    return c;
}

Bytes MakeFigureShadow() {
    Canvas c(-6, -3, 22, 8);
    for (int y = -3; y <= 4; ++y) {
        for (int x = -6; x <= 15; ++x) {
            if (std::hypot((x - 5) / 10.5, y / 3.5) <= 1.0) c.Set(x, y, 0);
        }
    }
    return c.Encode(RunCoding::MaskRuns);
}

// The torch's light: levels above 16 brighten, a flattened disc that fades
// to the neutral level 16 at its rim.
Bytes MakeTorchLight() {
    constexpr int kRx = 150, kRy = 90;
    Canvas c(-kRx, -kRy - 30, 2 * kRx + 1, 2 * kRy + 1);
    for (int y = -kRy; y <= kRy; ++y) {
        for (int x = -kRx; x <= kRx; ++x) {
            const double d = std::hypot(double(x) / kRx, double(y) / kRy);
            if (d >= 1.0) continue;
            const int level = 16 + int(std::lround((1 - d) * (1 - d) * 12));
            if (level > 16) c.Set(x, y - 30, level);
        }
    }
    return c.Encode(RunCoding::IndexRuns);
}

Bytes MakeFlame(int frame) {
    Canvas c(-6, -16, 13, 17);
    for (int y = -16; y <= 0; ++y) {
        for (int x = -6; x <= 6; ++x) {
            const double w = 5.5 * std::sin((y + 16) / 16.0 * 3.1) + 0.5;
            const double dx = x - std::sin(y * 0.5 + frame * 2.1) * 1.2;
            if (std::abs(dx) > w) continue;
            const int heat = int(15 - std::abs(dx) / w * 7 - (-y) * 0.3 + Noise(x, y, frame) * 2);
            if (heat > 2) c.Set(x, y, Ink(kFire, heat));
        }
    }
    return c.Encode(RunCoding::IndexRuns);
}

// A smoke puff: indices 1..8 from its rim to its middle, ever less see-through.
Bytes MakeSmoke() {
    Canvas c(-12, -12, 25, 25);
    for (int y = -12; y <= 12; ++y) {
        for (int x = -12; x <= 12; ++x) {
            const double d = std::hypot(x, y) / 12.0 + (Noise(x, y, 11) - 0.5) * 0.25;
            if (d < 1.0) c.Set(x, y, 1 + std::clamp(int((1 - d) * 8), 0, 7));
        }
    }
    return c.Encode(RunCoding::IndexRuns);
}

std::array<uint32_t, 256> MakeSmokeTable() {
    std::array<uint32_t, 256> table{};
    for (auto &e : table) e = 31u << 19;  // weight 31: unchanged
    const Rgb smoke{200, 204, 214};
    for (int k = 1; k <= 8; ++k) {
        const int w = 31 - 2 * k;  // share of the pixel already there, in 32nds
        const auto part = [w](int v) { return static_cast<uint8_t>(v * (32 - w) / 32); };
        const uint16_t colour =
            ruvo::assets::ToRgb565({part(smoke.r), part(smoke.g), part(smoke.b)});
        table[k] = uint32_t(w) << 19 | colour;
    }
    return table;
}

Bytes MakeFont(const std::string &path, int size) {
    const ruvo::media::RasterisedFont font = ruvo::media::RasteriseLatin1(path, size);
    return ruvo::assets::BuildFontRecord(font.glyphs, font.ascent, {1, 4});
}

}  // namespace

Art BuildArt(const std::string &title_font_path, const std::string &text_font_path) {
    Art art;
    art.palette = MakePalette();
    art.shade = ruvo::assets::MakeShadeTable(art.palette);
    for (int g = 0; g < kGrounds; ++g) {
        for (int v = 0; v < 2; ++v) art.tiles[g][v] = MakeTile(Ground(g), v);
    }
    art.objects[kTree] = MakeTree(1);
    art.objects[kPine] = MakePine();
    art.objects[kHouse] = MakeHouse();
    art.objects[kWall] = MakeWall();
    art.objects[kLamp] = MakeLamp();
    constexpr int kCloths[4] = {kBlue, kPurple, kYellow, kRoof};
    for (int f = 0; f < 4; ++f) {
        for (int frame = 0; frame < 4; ++frame) {
            art.walkers[f][frame] = Figure(kCloths[f], frame, false).Encode(RunCoding::IndexRuns);
        }
    }
    for (int frame = 0; frame < 4; ++frame) {
        art.hero[frame] = Figure(kMoss, frame, true).Encode(RunCoding::BlendRuns);
    }
    art.figure_shadow = MakeFigureShadow();
    art.torch_light = MakeTorchLight();
    for (int f = 0; f < 3; ++f) art.flames[f] = MakeFlame(f);
    art.smoke = MakeSmoke();
    art.smoke_table = MakeSmokeTable();
    art.fire_colours = art.palette;
    art.title_font = MakeFont(title_font_path, 24);
    art.text_font = MakeFont(text_font_path, 15);
    // Text over the dark panel: from the panel's colour to white.
    const Rgb panel{22, 24, 34}, ink{255, 250, 235};
    for (int k = 1; k <= 4; ++k) {
        auto mix = [k](int a, int b) { return static_cast<uint8_t>(a + (b - a) * k / 4); };
        art.text_colours[k] =
            ruvo::assets::ToRgb565({mix(panel.r, ink.r), mix(panel.g, ink.g), mix(panel.b, ink.b)});
    }
    return art;
}

}  // namespace demo
