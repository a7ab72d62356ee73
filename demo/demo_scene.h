// The demo's world and its frame: an isometric map far larger than the
// screen, drawn through the slots of the DrawBlock as a host does it. The
// background (ground tiles, stamped objects, their shadows) lives in the
// BackLayer and is redrawn only in the strips that scrolling uncovers; the
// figures, effects, light and text go into the ScreenLayer every frame.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "demo/demo_art.h"
#include "ruvodraw1024.h"

namespace demo {

struct PhaseTimes {
    double tiles = 0, sprites = 0, text = 0, present = 0;  // seconds
};

class Scene {
  public:
    Scene(RuvoDrawBlock *db, const Art &art);

    // Puts the camera's top-left corner at world (x, y) and redraws the whole background.
    void Start(int32_t camera_x, int32_t camera_y);
    // One frame with the camera moved by (dx, dy); adds the time of each phase.
    // status is the second line of text (frame and speed figures).
    void Frame(int32_t dx, int32_t dy, int32_t tick, const std::string &status, PhaseTimes &t);

    int32_t camera_x() const { return camera_x_; }
    int32_t camera_y() const { return camera_y_; }

  private:
    struct Object {
        ObjectKind kind;
        int32_t x, y;  // foot, world pixels
    };
    struct Walker {
        int figure;
        int32_t x0, y0, x1, y1;  // walks from one end to the other and back
        int32_t period;          // ticks for a round trip
        int32_t phase;
    };
    void DrawBackground(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void FillLightGrid(int32_t hero_x, int32_t hero_y, int32_t tick);

    RuvoDrawBlock *db_;
    RuvoOperations &op_;
    const Art &art_;
    std::vector<Object> objects_;  // by foot row, back to front
    std::vector<Walker> walkers_;
    std::vector<std::pair<int32_t, int32_t>> chimneys_, lamps_;
    int32_t camera_x_ = 0, camera_y_ = 0;
};

// Ground kind and corner light of the endless map, at tile (i, j) and corner (i, j).
Ground GroundAt(int i, int j);
int CornerLight(int i, int j);

// What every host of the demo does alike, so that each shows the same frames.

// The camera's start: its top-left corner in the world (the crossroads under the torch).
constexpr int32_t kStartX = -64 - 512, kStartY = 1008 - 440;

// The camera's offset from its start at step k of a path of n steps: a figure of eight.
std::pair<int32_t, int32_t> PathAt(int k, int n);

// Puts the art's 5-6-5 tables into the DrawBlock (the palettes, the
// ShadeTable) and the art's own tables in the display's format, once the
// display's pixel format is known.
void LoadTables(RuvoDrawBlock *db, Art &art);

// The second line of the panel: the frame and, unless fixed, speed figures
// from the times of the frames so far (total: seconds for them all).
std::string StatusLine(int frame, int path_frames, bool fixed_text, int frames_so_far, double total,
                       const PhaseTimes &times);

// FNV-1a over the pixels' bytes, low byte first: the demo's frame hash.
uint64_t Fnv1a(const uint16_t *pixels, size_t n);

}  // namespace demo
