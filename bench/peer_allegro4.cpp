// Allegro 4 as a host would use it for software sprites: no system driver,
// 16-bit memory bitmaps, RLE sprites from get_rle_sprite; draw_rle_sprite,
// draw_trans_rle_sprite under a 50% trans blender, draw_lit_rle_sprite, and
// draw_trans_rle_sprite under the additive blender.
#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <cerrno>
#include <cstring>

#include "bench/peers.h"

namespace ruvo::bench::peers {
namespace {

class Allegro4 final : public Peer {
  public:
    Allegro4() {
        screen_ = create_bitmap(1024, 768);
        background_ = create_bitmap(1024, 768);
        for (int y = 0; y < 768; ++y) {
            auto *row = reinterpret_cast<uint16_t *>(background_->line[y]);
            for (int x = 0; x < 1024; ++x) {
                row[x] = static_cast<uint16_t>((y * 1024 + x) * 2654435761u >> 9);
            }
        }
    }
    ~Allegro4() override {
        for (RLE_SPRITE *s : sprites_) destroy_rle_sprite(s);
        destroy_bitmap(screen_);
        destroy_bitmap(background_);
    }
    void Load(const std::vector<Picture> &pictures) override {
        for (const Picture &p : pictures) {
            BITMAP *b = create_bitmap(p.width, p.height);
            for (int y = 0; y < p.height; ++y) {
                std::memcpy(b->line[y], p.pixels + y * p.width, 2 * p.width);
            }
            sprites_.push_back(get_rle_sprite(b));
            destroy_bitmap(b);
        }
    }
    bool Supports(Mode) const override { return true; }
    void Draw(Mode mode, int32_t sprite, int32_t x, int32_t y) override {
        RLE_SPRITE *s = sprites_[sprite];
        switch (mode) {
            case Mode::Plain:
                draw_rle_sprite(screen_, s, x, y);
                break;
            case Mode::Half:
                Blender(mode);
                draw_trans_rle_sprite(screen_, s, x, y);
                break;
            case Mode::Lit:
                Blender(mode);
                draw_lit_rle_sprite(screen_, s, x, y, 128);
                break;
            case Mode::Additive:
                Blender(mode);
                draw_trans_rle_sprite(screen_, s, x, y);
                break;
        }
    }
    void CopyBackground() override { blit(background_, screen_, 0, 0, 0, 0, 1024, 768); }
    uint16_t *Pixels() override { return reinterpret_cast<uint16_t *>(screen_->line[0]); }

  private:
    // A host sets the blender when the kind of sprite changes.
    void Blender(Mode mode) {
        if (mode == blender_) return;
        if (mode == Mode::Additive) {
            set_add_blender(0, 0, 0, 255);
        } else {
            set_trans_blender(0, 0, 0, 128);
        }
        blender_ = mode;
    }
    BITMAP *screen_ = nullptr, *background_ = nullptr;
    std::vector<RLE_SPRITE *> sprites_;
    Mode blender_ = Mode::Plain;
};

}  // namespace

std::unique_ptr<Peer> MakeAllegro4() {
    static const bool started = [] {
        if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return false;
        set_color_depth(16);
        return true;
    }();
    if (!started) return nullptr;
    return std::make_unique<Allegro4>();
}

}  // namespace ruvo::bench::peers
