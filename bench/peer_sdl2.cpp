// SDL2 as a host would use it for software sprites: 5-6-5 surfaces with the
// colour key and RLE acceleration, SDL_BlitSurface onto a 5-6-5 surface; the
// 50% variant has alpha modulation 128 (SDL's RLE blitter has a special case
// for it), the lit one colour modulation.
#include <SDL.h>

#include <array>
#include <cstring>

#include "bench/peers.h"

namespace ruvo::bench::peers {
namespace {

SDL_Surface *Surface565(int w, int h) {
    return SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB565);
}

void CopyIn(SDL_Surface *s, const uint16_t *pixels, int w, int h) {
    for (int y = 0; y < h; ++y) {
        std::memcpy(static_cast<uint8_t *>(s->pixels) + y * s->pitch, pixels + y * w, 2 * w);
    }
}

class Sdl2 final : public Peer {
  public:
    Sdl2() {
        screen_ = Surface565(1024, 768);
        background_ = Surface565(1024, 768);
        auto *bg = static_cast<uint16_t *>(background_->pixels);
        for (int i = 0; i < 1024 * 768; ++i) bg[i] = static_cast<uint16_t>(i * 2654435761u >> 9);
    }
    ~Sdl2() override {
        for (auto &modes : sprites_) {
            for (SDL_Surface *s : modes) SDL_FreeSurface(s);
        }
        SDL_FreeSurface(screen_);
        SDL_FreeSurface(background_);
    }
    void Load(const std::vector<Picture> &pictures) override {
        for (const Picture &p : pictures) {
            std::array<SDL_Surface *, 3> modes{};
            for (int m = 0; m < 3; ++m) {
                SDL_Surface *s = Surface565(p.width, p.height);
                CopyIn(s, p.pixels, p.width, p.height);
                SDL_SetColorKey(s, SDL_TRUE, 0xF81F);
                SDL_SetSurfaceRLE(s, 1);
                if (m == 1) {
                    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
                    SDL_SetSurfaceAlphaMod(s, 128);
                } else if (m == 2) {
                    SDL_SetSurfaceColorMod(s, 128, 128, 128);
                }
                SDL_Rect at{0, 0, 0, 0};
                SDL_BlitSurface(s, nullptr, screen_, &at);  // encodes the runs
                modes[m] = s;
            }
            sprites_.push_back(modes);
        }
    }
    bool Supports(Mode mode) const override { return mode != Mode::Additive; }
    void Draw(Mode mode, int32_t sprite, int32_t x, int32_t y) override {
        SDL_Rect at{x, y, 0, 0};
        SDL_BlitSurface(sprites_[sprite][static_cast<int>(mode)], nullptr, screen_, &at);
    }
    void CopyBackground() override { SDL_BlitSurface(background_, nullptr, screen_, nullptr); }
    uint16_t *Pixels() override { return static_cast<uint16_t *>(screen_->pixels); }

  private:
    SDL_Surface *screen_ = nullptr, *background_ = nullptr;
    std::vector<std::array<SDL_Surface *, 3>> sprites_;
};

}  // namespace

std::unique_ptr<Peer> MakeSdl2() {
    // Surfaces need no subsystem; SDL_Init(0) only sets up the library.
    if (SDL_Init(0) != 0) return nullptr;
    return std::make_unique<Sdl2>();
}

}  // namespace ruvo::bench::peers
