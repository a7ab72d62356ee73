// The blitters a host would otherwise draw sprites with, behind a plain
// interface so that their headers stay in their own files: SDL2 and
// Allegro 4, each drawing 16-bit 5-6-5 pictures (kColourKey transparent)
// into a 1024 x 768 surface of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace ruvo::bench::peers {

struct Picture {
    int32_t width, height;
    const uint16_t *pixels;  // row-major, 5-6-5, kColourKey where transparent
};

// How a sprite is drawn.
enum class Mode {
    Plain,     // colour-keyed copy
    Half,      // 50% blend with what is there
    Lit,       // sprite colours darkened by a light level (Allegro: lit blit)
    Additive,  // sprite added to what is there, saturating (Allegro only)
};

class Peer {
  public:
    virtual ~Peer() = default;
    // The run-length form of every picture, made before any timing.
    virtual void Load(const std::vector<Picture> &pictures) = 0;
    virtual bool Supports(Mode mode) const = 0;
    virtual void Draw(Mode mode, int32_t sprite, int32_t x, int32_t y) = 0;
    // The full background picture copied onto the surface.
    virtual void CopyBackground() = 0;
    virtual uint16_t *Pixels() = 0;  // the surface, rows of 1024
};

// Null when the library cannot start.
std::unique_ptr<Peer> MakeSdl2();
std::unique_ptr<Peer> MakeAllegro4();

}  // namespace ruvo::bench::peers
