#include "demo/demo_scene.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace demo {
namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Noise(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u ^
                 static_cast<uint32_t>(seed) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return (h & 0xFFFF) / 65535.0;
}

// The map: a crossroads with houses, a pond, walls, lamps and trees, inside
// tiles 0..63; beyond it grass goes on for ever.
constexpr int kRoadJ = 32, kRoadI = 30;
constexpr int kHouses[][2] = {{24, 30}, {27, 30}, {34, 30}, {37, 30}, {25, 34}, {35, 34},
                              {28, 24}, {28, 40}, {32, 26}, {32, 38}, {21, 30}, {40, 34}};
constexpr int kLamps[][2] = {{28, 30}, {32, 34}, {25, 31}, {35, 33}, {29, 27}, {31, 37}, {39, 31}};
constexpr int kWalls[][2] = {{33, 27}, {34, 27}, {35, 27}, {36, 27}, {37, 27}, {38, 27}};

bool Near(const int (&list)[2], int i, int j, int d) {
    return std::abs(list[0] - i) <= d && std::abs(list[1] - j) <= d;
}

// World position of tile (i, j): its axis column and top row.
int32_t TileX(int i, int j) { return (i - j) * 32; }
int32_t TileY(int i, int j) { return (i + j) * 16; }

constexpr int32_t kScreenW = 1024, kScreenH = 768;

}  // namespace

Ground GroundAt(int i, int j) {
    const bool inside = i >= 0 && j >= 0 && i < 64 && j < 64;
    if (inside) {
        if (std::abs(i - kRoadI) <= 2 && std::abs(j - kRoadJ) <= 2) return kGroundStone;
        if (j == kRoadJ || i == kRoadI) return kGroundPath;
        if ((i - 22) * (i - 22) + (j - 39) * (j - 39) <= 10) return kGroundWater;
        if ((i - 37) * (i - 37) + (j - 22) * (j - 22) <= 5) return kGroundWater;
        for (auto &h : kHouses) {
            if (Near(h, i, j, 0)) return kGroundStone;
        }
    }
    return Noise(i / 3, j / 3, 17) > 0.72 ? kGroundMeadow : kGroundGrass;
}

int CornerLight(int i, int j) {
    double light = 11 + Noise(i, j, 3) * 3;
    for (auto &l : kLamps) {
        const double d = std::hypot(i - l[0] - 0.5, j - l[1] - 0.5);
        light += std::max(0.0, 13 - d * 3.2);
    }
    if (GroundAt(i, j) == kGroundWater) light -= 2;
    return std::clamp(int(light), 0, 31);
}

Scene::Scene(RuvoDrawBlock *db, const Art &art) : db_(db), op_(db->OperationSlot.Op), art_(art) {
    for (auto &h : kHouses) {
        objects_.push_back({kHouse, TileX(h[0], h[1]), TileY(h[0], h[1]) + 16});
        chimneys_.emplace_back(objects_.back().x + 13, objects_.back().y - 90);
    }
    for (auto &l : kLamps) {
        objects_.push_back({kLamp, TileX(l[0], l[1]), TileY(l[0], l[1]) + 16});
        lamps_.emplace_back(objects_.back().x, objects_.back().y - 57);
    }
    for (auto &w : kWalls) objects_.push_back({kWall, TileX(w[0], w[1]), TileY(w[0], w[1]) + 16});
    for (int i = 0; i < 64; ++i) {
        for (int j = 0; j < 64; ++j) {
            const Ground g = GroundAt(i, j);
            if (g != kGroundGrass && g != kGroundMeadow) continue;
            bool crowded = false;
            for (auto &h : kHouses) crowded |= Near(h, i, j, 1);
            for (auto &l : kLamps) crowded |= Near(l, i, j, 0);
            for (auto &w : kWalls) crowded |= Near(w, i, j, 0);
            if (crowded || Noise(i, j, 1) > 0.16) continue;
            const int jx = int(Noise(i, j, 2) * 16) - 8, jy = int(Noise(i, j, 4) * 8) - 4;
            objects_.push_back(
                {Noise(i, j, 5) > 0.55 ? kPine : kTree, TileX(i, j) + jx, TileY(i, j) + 16 + jy});
        }
    }
    std::stable_sort(objects_.begin(), objects_.end(),
                     [](const Object &a, const Object &b) { return a.y < b.y; });
    auto centre = [](int i, int j) { return std::pair{TileX(i, j), TileY(i, j) + 16}; };
    auto walker = [&](int figure, int i0, int j0, int i1, int j1, int period, int phase) {
        const auto [x0, y0] = centre(i0, j0);
        const auto [x1, y1] = centre(i1, j1);
        walkers_.push_back({figure, x0, y0, x1, y1, period, phase});
    };
    walker(0, 22, 32, 38, 32, 640, 0);
    walker(1, 30, 22, 30, 42, 760, 200);
    walker(2, 25, 27, 35, 37, 520, 90);
    walker(3, 24, 37, 37, 26, 580, 300);
    walker(0, 33, 29, 23, 29, 420, 50);
    walker(2, 27, 35, 36, 35, 460, 170);
}

void Scene::SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    db_->ClipLeft = left, db_->ClipTop = top, db_->ClipRight = right, db_->ClipBottom = bottom;
}

void Scene::DrawBackground(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    SetClip(left, top, right, bottom);
    op_.ResetDepth();
    // Ground: every tile whose footprint meets the strip, in world terms.
    const int32_t wx0 = camera_x_ + left, wx1 = camera_x_ + right;
    const int32_t wy0 = camera_y_ + top, wy1 = camera_y_ + bottom;
    auto floor_div = [](int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    for (int32_t s = floor_div(wy0 - 31, 16); s <= floor_div(wy1, 16); ++s) {
        for (int32_t d = floor_div(wx0 - 31, 32); d <= floor_div(wx1 + 31, 32) + 1; ++d) {
            if ((s + d) & 1) continue;
            const int i = (s + d) / 2, j = (s - d) / 2;
            const uint8_t *tile = art_.tiles[GroundAt(i, j)][Noise(i, j, 9) > 0.5 ? 1 : 0].data();
            op_.DrawShadedTile(TileX(i, j) - camera_x_, TileY(i, j) - camera_y_,
                               CornerLight(i, j + 1), CornerLight(i + 1, j), CornerLight(i, j),
                               CornerLight(i + 1, j + 1), tile);
        }
    }
    // Objects back to front, each with the DepthKey of its foot row; then
    // their shadows, which fall only where no object was stamped.
    const uint16_t *colours = db_->SpritePalette[0];
    auto meets = [&](const Object &o) {
        const ObjectArt &a = art_.objects[o.kind];
        const int32_t x = o.x - camera_x_ + a.left, y = o.y - camera_y_ + a.top;
        return x <= right && x + a.width > left && y <= bottom && y + a.height > top;
    };
    for (const Object &o : objects_) {
        if (!meets(o)) continue;
        const int32_t x = o.x - camera_x_, y = o.y - camera_y_;
        const void *sprite = art_.objects[o.kind].sprite.data();
        switch (o.kind) {
            case kTree:
            case kPine:
                op_.StampBackSpritePlain(x, y, y, colours, sprite);
                break;
            case kHouse:
                op_.StampBackSprite(x, y, y, colours, sprite);
                break;
            default:
                op_.StampBackSpriteP0(x, y, y, sprite);
                break;
        }
    }
    for (const Object &o : objects_) {
        if (!meets(o)) continue;
        op_.CastBackShadow(o.x - camera_x_, o.y - camera_y_, 0x0001,
                           art_.objects[o.kind].shadow.data());
    }
    SetClip(0, 0, kScreenW - 1, kScreenH - 1);
}

void Scene::Start(int32_t camera_x, int32_t camera_y) {
    camera_x_ = camera_x, camera_y_ = camera_y;
    op_.ResetView();
    DrawBackground(0, 0, kScreenW - 1, kScreenH - 1);
}

void Scene::FillLightGrid(int32_t hx, int32_t hy, int32_t tick) {
    // Dusk everywhere; full light around the torch and the lamps, and over
    // the text panel so that the text keeps its colours.
    const double flicker = 1.0 + 0.04 * std::sin(tick * 0.9) + 0.03 * std::sin(tick * 2.3);
    for (int j = 0; j <= 96; ++j) {
        for (int i = 0; i <= 64; ++i) {
            const double px = 16.0 * i, py = 8.0 * j;
            double v = 0x3C;
            const double d =
                std::hypot((px - hx) / (300 * flicker), (py - hy + 24) / (190 * flicker));
            v += std::max(0.0, 1 - d) * 0x60;
            for (auto [lx, ly] : lamps_) {
                const double e =
                    std::hypot((px - (lx - camera_x_)) / 170, (py - (ly + 40 - camera_y_)) / 110);
                v += std::max(0.0, 1 - e) * 0x40;
            }
            if (i <= 36 && j <= 10) v = 0x80;
            db_->LightGrid[j][i] = static_cast<uint8_t>(std::clamp(int(v), 0, 0x80));
        }
    }
}

void Scene::Frame(int32_t dx, int32_t dy, int32_t tick, const std::string &status, PhaseTimes &t) {
    // Background: scroll, then redraw only the strips that came into view.
    auto start = Clock::now();
    if (dx != 0 || dy != 0) {
        op_.Scroll(dx, dy);
        camera_x_ += dx, camera_y_ += dy;
        if (dx > 0) DrawBackground(kScreenW - dx, 0, kScreenW - 1, kScreenH - 1);
        if (dx < 0) DrawBackground(0, 0, -dx - 1, kScreenH - 1);
        if (dy > 0) DrawBackground(0, kScreenH - dy, kScreenW - 1, kScreenH - 1);
        if (dy < 0) DrawBackground(0, 0, kScreenW - 1, -dy - 1);
    }
    t.tiles += Since(start);

    // Moving things, tested against the depth of the stamped objects.
    start = Clock::now();
    op_.CopyBackToScreen(0, 0, kScreenW, kScreenH);
    struct Figure {
        int32_t x, y;  // foot, view
        int figure, frame;
    };
    std::vector<Figure> figures;
    for (const Walker &w : walkers_) {
        const int32_t p = (tick + w.phase) % w.period, half = w.period / 2;
        const double s = (p < half ? p : w.period - p) / double(half);
        const int32_t x = int32_t(std::lround(w.x0 + (w.x1 - w.x0) * s)) - camera_x_;
        const int32_t y = int32_t(std::lround(w.y0 + (w.y1 - w.y0) * s)) - camera_y_;
        figures.push_back({x, y, w.figure, (tick / 6) % 4});
    }
    const int32_t hx = 512, hy = 440;  // the torch bearer walks with the camera
    figures.push_back({hx, hy, -1, (tick / 5) % 4});
    std::stable_sort(figures.begin(), figures.end(),
                     [](const Figure &a, const Figure &b) { return a.y < b.y; });
    const uint16_t *colours = db_->SpritePalette[0];
    for (const Figure &f : figures) {
        if (f.x < -40 || f.x > kScreenW + 40 || f.y < -8 || f.y > kScreenH + 48) continue;
        op_.CastScreenShadow(f.x, f.y, 0x0004, art_.figure_shadow.data());
    }
    for (const Figure &f : figures) {
        if (f.x < -40 || f.x > kScreenW + 40 || f.y < -8 || f.y > kScreenH + 48) continue;
        if (f.figure < 0) {
            // Behind an object the torch bearer shows through on every second pixel.
            op_.DrawScreenBlendSpriteStippled(f.x, f.y, f.y, colours, art_.hero[f.frame].data());
        } else {
            op_.DrawScreenSpriteTested(f.x, f.y, f.y, colours,
                                       art_.walkers[f.figure][f.frame].data());
        }
    }
    // Smoke from the chimneys (translucent), flames (additive), the torch's light.
    for (size_t c = 0; c < chimneys_.size(); ++c) {
        const int32_t cx = chimneys_[c].first - camera_x_, cy = chimneys_[c].second - camera_y_;
        if (cx < -80 || cx > kScreenW + 80 || cy < -20 || cy > kScreenH + 120) continue;
        for (int k = 0; k < 4; ++k) {
            const int age = (tick + k * 30 + int(c) * 17) % 120;
            op_.DrawScreenSpriteTranslucent(cx + age / 5 + int(3 * std::sin(age * 0.1)),
                                            cy - age / 2, cy + 90, art_.smoke_table.data(),
                                            art_.smoke.data());
        }
    }
    const uint16_t *fire = art_.fire_colours.data();
    for (size_t l = 0; l < lamps_.size(); ++l) {
        const int32_t lx = lamps_[l].first - camera_x_, ly = lamps_[l].second - camera_y_;
        op_.DrawScreenSpriteAdditive(lx, ly, ly + 57, fire, art_.flames[(tick / 3 + l) % 3].data());
    }
    op_.DrawScreenSpriteAdditive(hx + 7, hy - 33, hy, fire, art_.flames[(tick / 2) % 3].data());
    op_.ApplyScreenLight(hx, hy, hy + 24, art_.torch_light.data());

    // Markers on top: the tile under the torch bearer tinted, a dotted ring.
    const int32_t wx = hx + camera_x_, wy = hy + camera_y_;
    const int i = int(std::floor(((wy - 16) / 16.0 + wx / 32.0) / 2 + 0.5));
    const int j = int(std::floor(((wy - 16) / 16.0 - wx / 32.0) / 2 + 0.5));
    op_.TintTile(TileX(i, j) - camera_x_, TileY(i, j) - camera_y_,
                 (0xFFE0u & db_->NotLowBitsMask) >> 1 & 0xFFFF);
    op_.DrawDottedEllipse(hx, hy, 20, 0xFFE0, 3);
    t.sprites += Since(start);

    // Text on a half-dark panel.
    start = Clock::now();
    op_.BlendRect(8, 6, 568, 66, 0x0000);
    op_.DrawRect(8, 6, 568, 66, 0x8C71);
    const auto *title = reinterpret_cast<const RuvoFont *>(art_.title_font.data());
    const auto *text = reinterpret_cast<const RuvoFont *>(art_.text_font.data());
    op_.DrawText(20, 10, "ruvodraw1024 \xB7 an isometric evening", title, art_.text_colours.data());
    op_.DrawText(20, 44, status.c_str(), text, art_.text_colours.data());
    t.text += Since(start);

    // Presentation through the light grid, then the figures' shadow flags cleared.
    start = Clock::now();
    FillLightGrid(hx, hy, tick);
    op_.PresentLit(0, 0, kScreenW - 1, kScreenH - 1);
    for (const Figure &f : figures) {
        const int32_t x0 = std::max(0, f.x - 8), x1 = std::min(kScreenW, f.x + 18);
        const int32_t y0 = std::max(0, f.y - 5), y1 = std::min(kScreenH, f.y + 6);
        if (x0 < x1 && y0 < y1) op_.ClearDepthFlag(x0, y0, x1 - x0, y1 - y0);
    }
    t.present += Since(start);
}

std::pair<int32_t, int32_t> PathAt(int k, int n) {
    const double a = 2 * M_PI * k / n;
    return {int32_t(std::lround(420 * std::sin(a))), int32_t(std::lround(150 * std::sin(2 * a)))};
}

void LoadTables(RuvoDrawBlock *db, Art &art) {
    RuvoOperations &op = db->OperationSlot.Op;
    op.ConvertColours(art.palette.data(), db->SpritePalette[0], 256);
    std::memcpy(db->SpritePalette[1], db->SpritePalette[0], 512);
    std::memcpy(db->SpritePalette[2], db->SpritePalette[0], 512);
    op.ConvertColours(art.shade.data(), db->ShadeTable, 16384);
    op.ConvertColours(art.fire_colours.data(), art.fire_colours.data(), 256);
    op.ConvertColours(art.text_colours.data(), art.text_colours.data(), 256);
    op.ConvertAlternateColours(art.smoke_table.data(), art.smoke_table.data(), 256);
}

std::string StatusLine(int frame, int path_frames, bool fixed_text, int frames_so_far, double total,
                       const PhaseTimes &times) {
    char line[200];
    if (fixed_text) {
        std::snprintf(line, sizeof line, "frame %d of %d", frame, path_frames);
    } else {
        const double n = frames_so_far ? frames_so_far : 1;
        std::snprintf(line, sizeof line,
                      "frame %d  %.0f fps  tiles %.2f  sprites %.2f  text %.2f  present %.2f ms",
                      frame, frames_so_far ? frames_so_far / total : 0.0, times.tiles * 1e3 / n,
                      times.sprites * 1e3 / n, times.text * 1e3 / n, times.present * 1e3 / n);
    }
    return line;
}

uint64_t Fnv1a(const uint16_t *pixels, size_t n) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < n; ++i) {
        for (int b = 0; b < 2; ++b) h = (h ^ ((pixels[i] >> (8 * b)) & 0xFF)) * 0x100000001B3ull;
    }
    return h;
}

}  // namespace demo
