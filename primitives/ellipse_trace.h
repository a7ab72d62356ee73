// The trace of DrawDottedEllipse: the outline of an ellipse twice as wide as
// high, pixel by pixel, solid or dotted.
//
// The trace keeps the pixel's offset (X, Y) from the centre and a decision
// value d. It starts at the rightmost point (r, 0) and runs clockwise through
// eight segments, two per quadrant: the steep ones (|X| >= 4|Y|) move one row
// per step, the flat ones one column, and d >= 0 adds a side step along the
// other axis. The factor 8 on the row terms of d against 2 on the column terms
// makes the curve twice as wide as high. Each step visits its pixel first.
//
// Spacing: the accumulator A counts path length in 1/65536 of a step, 65536
// for a straight step and 80265 for a diagonal one (about 1.2247 times as
// much). A visit plots its pixel when A exceeds the spacing, and takes the
// spacing off A, so the dots keep an even distance along the curve. A starts
// equal to the spacing: the first visit never plots.
//
// Everything is 64-bit, so no radius, centre or spacing overflows; where the
// 32-bit values do not overflow the arithmetic is the same.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "framestore/layers.h"

namespace ruvo {
namespace ellipse {

inline constexpr int64_t kStraightStep = 0x10000;
inline constexpr int64_t kDiagonalExtra = 0x3989;  // 65536 + 14729 = 80265 for a diagonal step

enum class Axis { X, Y };

// One segment. Side step (when d >= 0): the side coordinate s moves by
// side_step, then d += side_term * s. Main step: the other coordinate t moves
// by main_step, then d += main_term * t + main_constant. The segment repeats
// while while_x * X + while_y * Y >= 0.
struct Segment {
    Axis side;
    int side_step, side_term;
    int main_step, main_term, main_constant;
    int while_x, while_y;
    bool negate_after;  // d = -d before the next segment
};

// clang-format off
inline constexpr Segment kSegments[8] = {
    // side     step  term   main  term  const   while x  y   negate
    {Axis::X,   -1,   -2,    +1,    8,    1,           1, -4,  true},   // right, lower half, down
    {Axis::Y,   +1,   -8,    -1,    2,   -1,           1,  0,  false},  // bottom, right half, left
    {Axis::Y,   -1,   -8,    -1,   -2,    1,           1,  4,  true},   // bottom, left half, left
    {Axis::X,   -1,    2,    -1,    8,    1,           0,  1,  false},  // left, lower half, up
    {Axis::X,   +1,    2,    -1,   -8,   -1,          -1,  4,  true},   // left, upper half, up
    {Axis::Y,   -1,    8,    +1,   -2,    1,          -1,  0,  false},  // top, left half, right
    {Axis::Y,   +1,    8,    +1,    2,   -1,          -1, -4,  true},   // top, right half, right
    {Axis::X,   +1,   -2,    +1,   -8,   -1,           0, -1,  false},  // right, upper half, down
};
// clang-format on

// Long traces (radius 4096 and more) are cut short once the rest of the
// outline can no longer reach the window, and skipped when it never can.
// What bounds the rest of the trace:
//
// - Each quadrant's two segments move X and Y one way only (segments 1-2:
//   X falls, Y rises; 3-4: both fall; 5-6: X rises, Y falls; 7-8: both rise).
// - The loop conditions keep the later quadrants on their side: segments 3-4
//   visit X <= -1, Y >= -1; segments 5-6 X <= 0, Y <= -1; 7-8 X >= 1, Y <= 0.
// - Every visited pixel lies within a few pixels of the ellipse
//   X^2 + 4 Y^2 = r^2 (traced for every radius to 300,000 and for radii up to
//   2^31: from 3.1 inside to 7.9 outside); kBand allows eight times that.
inline constexpr int64_t kLongRadius = 4096;
inline constexpr double kBand = 64;
inline constexpr int64_t kCheckEvery = 1 << 16;  // steps between checks within a segment
inline constexpr int64_t kFar = std::numeric_limits<int64_t>::max() / 4;

// An inclusive box of offsets from the centre.
struct Box {
    int64_t x0, x1, y0, y1;
};

template <class Plot>
struct Trace {
    int64_t cx, cy;
    int64_t x, y, d, a;
    int64_t spacing;
    Plot &plot;
    // Cut-short state.
    bool long_trace;
    Box window;  // in offsets from the centre
    double inner, outer;
    int64_t countdown;
    int64_t steps;

    void Visit() {
        if (a > spacing) {
            a -= spacing;
            plot(cx + x, cy + y);
        }
    }

    // Whether a pixel of the box inside the window can lie on the outline.
    bool MayPlotIn(Box box) const {
        box.x0 = std::max(box.x0, window.x0);
        box.x1 = std::min(box.x1, window.x1);
        box.y0 = std::max(box.y0, window.y0);
        box.y1 = std::min(box.y1, window.y1);
        if (box.x0 > box.x1 || box.y0 > box.y1) return false;
        // The box's nearest and farthest X and Y, for the norm sqrt(X^2 + 4 Y^2).
        auto nearest = [](int64_t lo, int64_t hi) {
            return lo > 0 ? double(lo) : hi < 0 ? -double(hi) : 0.0;
        };
        auto farthest = [](int64_t lo, int64_t hi) {
            return std::max(std::fabs(double(lo)), std::fabs(double(hi)));
        };
        const double nx = nearest(box.x0, box.x1), ny = 2 * nearest(box.y0, box.y1);
        const double fx = farthest(box.x0, box.x1), fy = 2 * farthest(box.y0, box.y1);
        return std::sqrt(nx * nx + ny * ny) <= outer && std::sqrt(fx * fx + fy * fy) >= inner;
    }

    // Whether the rest of the trace, from the current pixel on, can still plot.
    bool MayStillPlot(int quadrant) const {
        // What is left of the current quadrant, by the directions of its steps.
        const Box rest[4] = {
            {-kFar, x, y, kFar}, {-kFar, x, -kFar, y}, {x, kFar, -kFar, y}, {x, kFar, y, kFar}};
        // Each whole quadrant after the first.
        const Box whole[4] = {{-kFar, kFar, -kFar, kFar},
                              {-kFar, -1, -1, kFar},
                              {-kFar, 0, -kFar, -1},
                              {1, kFar, -kFar, 0}};
        if (MayPlotIn(rest[quadrant])) return true;
        for (int q = quadrant + 1; q < 4; ++q) {
            if (MayPlotIn(whole[q])) return true;
        }
        return false;
    }

    // Traces segment S of the given quadrant. Returns false when the trace is cut short.
    template <Segment S>
    bool TraceSegment(int quadrant) {
        if (long_trace && !MayStillPlot(quadrant)) return false;
        int64_t &side = S.side == Axis::X ? x : y;
        int64_t &main = S.side == Axis::X ? y : x;
        do {
            if (--countdown == 0) {
                if (!MayStillPlot(quadrant)) return false;
                countdown = kCheckEvery;
            }
            ++steps;
            Visit();
            if (d >= 0) {
                side += S.side_step;
                a += kDiagonalExtra;
                d += S.side_term * side;
            }
            main += S.main_step;
            a += kStraightStep;
            d += S.main_term * main + S.main_constant;
        } while (S.while_x * x + S.while_y * y >= 0);
        if (S.negate_after) d = -d;
        return true;
    }
};

}  // namespace ellipse

// Calls plot(x, y) (64-bit logical coordinates) for every pixel that the
// outline of centre (cx, cy), radius r and the given spacing plots, in order.
// A long trace may stop early, or not start, where nothing more can be plotted
// inside the window; every pixel it would plot there is plotted. Returns the
// number of steps traced.
template <class Plot>
int64_t TraceDottedEllipse(int32_t cx, int32_t cy, int32_t radius, int32_t spacing,
                           const ClipRect &window, Plot &&plot) {
    using namespace ellipse;
    const int64_t r = radius < 0 ? -int64_t{radius} : radius;
    // A spacing up to 65536 plots every visit after the first, whatever its
    // value; taken as at least 0 it keeps A from growing faster than the path.
    const int64_t s = std::max(spacing, 0);
    Trace<std::remove_reference_t<Plot>> t{
        .cx = cx,
        .cy = cy,
        .x = radius,
        .y = 0,
        .d = 1 - int64_t{radius},
        .a = s,
        .spacing = s,
        .plot = plot,
        .long_trace = r >= kLongRadius,
        .window = {window.left - int64_t{cx}, window.right - int64_t{cx}, window.top - int64_t{cy},
                   window.bottom - int64_t{cy}},
        .inner = double(r) - kBand,
        .outer = double(r) + kBand,
        .countdown = r >= kLongRadius ? kCheckEvery : kFar,
        .steps = 0,
    };
    t.template TraceSegment<kSegments[0]>(0) && t.template TraceSegment<kSegments[1]>(0) &&
        t.template TraceSegment<kSegments[2]>(1) && t.template TraceSegment<kSegments[3]>(1) &&
        t.template TraceSegment<kSegments[4]>(2) && t.template TraceSegment<kSegments[5]>(2) &&
        t.template TraceSegment<kSegments[6]>(3) && t.template TraceSegment<kSegments[7]>(3);
    return t.steps;
}

}  // namespace ruvo
