// DrawDottedEllipse: the traced sequences, the layer against the trace cut
// to the clip rectangle, and long traces cut short without losing a pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "primitives/ellipse_trace.h"
#include "tests/primitives/primitives_fixture.h"

namespace ruvo::test {
namespace {

using EllipseTest = PrimitivesTest;
using Pixels = std::vector<std::pair<int64_t, int64_t>>;

constexpr ClipRect kEverywhere = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};

// The plotted offsets from the centre, in order; the steps traced in *steps.
Pixels Trace(int32_t r, int32_t spacing, const ClipRect &window = kEverywhere, int32_t cx = 0,
             int32_t cy = 0, int64_t *steps = nullptr) {
    Pixels out;
    const int64_t n = TraceDottedEllipse(cx, cy, r, spacing, window, [&](int64_t x, int64_t y) {
        out.emplace_back(x - cx, y - cy);
    });
    if (steps) *steps = n;
    return out;
}

Pixels InWindow(const Pixels &offsets, int64_t cx, int64_t cy, const ClipRect &w) {
    Pixels out;
    for (auto [x, y] : offsets) {
        if (cx + x >= w.left && cx + x <= w.right && cy + y >= w.top && cy + y <= w.bottom) {
            out.emplace_back(x, y);
        }
    }
    return out;
}

struct Sequence {
    int32_t r, spacing;
    size_t count;
    std::pair<int64_t, int64_t> last;
    int64_t min_x, max_x, min_y, max_y;
    Pixels beginning;
};

TEST(EllipseTraceTest, WorkedSequences) {
    const Sequence kCases[] = {
        {20, 0, 92, {20, 0}, -20, 20, -10, 10, {{20, 1}}},
        {100, 0, 448, {100, 0}, -100, 100, -50, 50, {{100, 1}}},
        {10, 0, 52, {12, 0}, -11, 12, -6, 5, {{10, 1}}},
        {0, 0, 24, {9, 0}, -5, 9, -4, 1, {{-1, 1}}},
        {10,
         131072,
         28,
         {},
         0,
         0,
         0,
         0,
         {{10, 1}, {9, 2}, {8, 3}, {6, 4}, {4, 4}, {2, 5}, {0, 5}, {-2, 5}}},
        {10, 196608, 19, {}, 0, 0, 0, 0, {{10, 1}, {9, 3}, {6, 4}, {3, 4}, {0, 5}, {-3, 5}}},
    };
    for (const Sequence &c : kCases) {
        SCOPED_TRACE(testing::Message() << "r=" << c.r << " spacing=" << c.spacing);
        const Pixels p = Trace(c.r, c.spacing);
        ASSERT_EQ(p.size(), c.count);
        EXPECT_EQ(Pixels(p.begin(), p.begin() + c.beginning.size()), c.beginning);
        if (c.spacing != 0) continue;  // only counts and beginnings are worked for dotted ones
        EXPECT_EQ(p.back(), c.last);
        int64_t min_x = 0, max_x = 0, min_y = 0, max_y = 0;
        for (auto [x, y] : p) {
            min_x = std::min(min_x, x), max_x = std::max(max_x, x);
            min_y = std::min(min_y, y), max_y = std::max(max_y, y);
        }
        EXPECT_EQ(min_x, c.min_x);
        EXPECT_EQ(max_x, c.max_x);
        EXPECT_EQ(min_y, c.min_y);
        EXPECT_EQ(max_y, c.max_y);
    }
}

// Up to 65536 (negative ones included) every visit after the first plots.
TEST(EllipseTraceTest, SpacingUpToOneStepIsSolid) {
    const Pixels solid = Trace(20, 0);
    for (int32_t spacing : {INT32_MIN, -1, 1, 65535, 65536}) EXPECT_EQ(Trace(20, spacing), solid);
    EXPECT_LT(Trace(20, 100000).size(), solid.size());
    EXPECT_EQ(Trace(20, INT32_MAX).size(), 1u);  // the first step's excess, then never again
}

// The layer gets the trace's pixels inside the clip rectangle, spacing kept
// as if unclipped, at every kind of view and a clip cutting through the outline.
TEST_F(EllipseTest, Layer_HoldsTheTraceCutToTheClip) {
    FillLayerWithPattern(Layer::Screen, 21);
    struct Case {
        int32_t cx, cy, r, spacing;
    };
    constexpr Case kCases[] = {
        {512, 384, 300, 0},      {512, 384, 300, 131072},  {100, 700, 250, 196608},
        {0, 0, 40, 0},           {1023, 767, 500, 100000}, {600, 660, 80, 0},
        {512, 384, 10, 0},       {512, 384, 0, 0},         {512, 384, -30, 0},
        {-100, 300, 400, 70000},
    };
    constexpr ClipRect kClips[] = {{0, 0, 1023, 767}, {300, 200, 700, 500}, {0, 660, 1023, 680}};
    for (const Case &c : kCases) {
        for (int32_t view : kViews) {
            for (const ClipRect &clip : kClips) {
                SetView(view);
                SetClip(clip.left, clip.top, clip.right, clip.bottom);
                Begin();
                for (auto [x, y] : Trace(c.r, c.spacing)) want.Plot(c.cx + x, c.cy + y, 0xE11E);
                op->DrawDottedEllipse(c.cx, c.cy, c.r, 0xAB00E11Eu, c.spacing);
                ASSERT_EQ(Mismatch(), "") << c.cx << "," << c.cy << " r=" << c.r << " view " << view
                                          << " clip " << clip.left << "," << clip.top;
            }
        }
    }
}

// A long trace that meets the window in one quadrant stops after it, and
// still plots every pixel the full trace plots there, in the same order.
TEST(EllipseTraceTest, LongTrace_CutShortKeepsEveryPixelInTheWindow) {
    constexpr ClipRect kWindow = {0, 0, 1023, 767};
    for (auto [r, spacing] : {std::pair{4096, 0},
                              {5000, 196608},
                              {123457, 0},
                              {123457, 70000},
                              {123457, 1000000},
                              {1000000, 0}}) {
        {
            int64_t full_steps = 0;
            const Pixels full = Trace(r, spacing, kEverywhere, 0, 0, &full_steps);
            // Centres that put a pixel of each eighth of the outline (and its
            // start and end) in the middle of the window.
            for (size_t part = 0; part <= 8; ++part) {
                const auto [px, py] = full[std::min(full.size() - 1, full.size() * part / 8)];
                const auto cx = static_cast<int32_t>(512 - px), cy = static_cast<int32_t>(384 - py);
                int64_t steps = 0;
                const Pixels cut = Trace(r, spacing, kWindow, cx, cy, &steps);
                SCOPED_TRACE(testing::Message()
                             << "r=" << r << " spacing=" << spacing << " part " << part);
                ASSERT_EQ(InWindow(cut, cx, cy, kWindow), InWindow(full, cx, cy, kWindow));
                ASSERT_FALSE(InWindow(full, cx, cy, kWindow).empty());
                // Meeting only one quadrant (away from the start), the trace stops early.
                if (r >= 100000 && part >= 1 && part <= 6) {
                    EXPECT_LT(steps, full_steps);
                }
            }
        }
    }
}

// A window of one pixel: the pixels farthest inside and outside the ellipse,
// and a spread of others, are each still plotted by a trace that may stop early.
TEST(EllipseTraceTest, LongTrace_OnePixelWindowsStillGetTheirPixel) {
    for (int32_t r : {6000, -7000, 60001}) {
        const Pixels full = Trace(r, 0);
        std::vector<size_t> picks;
        auto norm = [](std::pair<int64_t, int64_t> p) {
            return std::sqrt(double(p.first) * double(p.first) +
                             4.0 * double(p.second) * double(p.second));
        };
        const auto [inner, outer] = std::minmax_element(
            full.begin(), full.end(), [&](auto a, auto b) { return norm(a) < norm(b); });
        picks.push_back(inner - full.begin());
        picks.push_back(outer - full.begin());
        for (size_t i = 0; i < 120; ++i) picks.push_back((full.size() - 1) * i / 119);
        for (size_t i : picks) {
            const auto [px, py] = full[i];
            const ClipRect window = {int32_t(px), int32_t(py), int32_t(px), int32_t(py)};
            const Pixels cut = Trace(r, 0, window);
            ASSERT_EQ(InWindow(cut, 0, 0, window), InWindow(full, 0, 0, window))
                << "r=" << r << " pixel " << i << " (" << px << ", " << py << ")";
        }
    }
}

// Centred in view, a huge outline never comes near: nothing is traced at all.
TEST(EllipseTraceTest, HugeRadiusAroundTheWindow_IsNotTraced) {
    for (int32_t r : {1000000, 100000000, INT32_MAX, INT32_MIN, -5000000}) {
        int64_t steps = -1;
        EXPECT_TRUE(Trace(r, 0, {0, 0, 1023, 767}, 512, 384, &steps).empty()) << r;
        EXPECT_EQ(steps, 0) << r;
    }
}

// Negative radii trace too (an upper half outline); the cut-short keeps it exact.
TEST(EllipseTraceTest, NegativeLongRadius_CutShortKeepsEveryPixel) {
    const int32_t r = -200000;
    const Pixels full = Trace(r, 0);
    for (size_t part = 0; part <= 4; ++part) {
        const auto [px, py] = full[std::min(full.size() - 1, full.size() * part / 4)];
        const auto cx = static_cast<int32_t>(512 - px), cy = static_cast<int32_t>(384 - py);
        const ClipRect window = {0, 0, 1023, 767};
        EXPECT_EQ(InWindow(Trace(r, 0, window, cx, cy), cx, cy, window),
                  InWindow(full, cx, cy, window))
            << part;
    }
}

// A radius of a million through the view, drawn into the layer.
TEST_F(EllipseTest, RadiusOfAMillion_ThroughTheView) {
    const int32_t r = 1000000;
    SetView(2048 * 300 + 2 * 7);
    SetClip(100, 100, 900, 700);
    for (auto [cx, cy] : {std::pair{500 - r, 400}, {500, 400 - r / 2}, {-700000, -300000}}) {
        FillLayer(Layer::Screen, 0);
        Begin();
        for (auto [x, y] : Trace(r, 131072)) want.Plot(cx + x, cy + y, 0x1F);
        op->DrawDottedEllipse(cx, cy, r, 0x1F, 131072);
        ASSERT_EQ(Mismatch(), "") << cx << "," << cy;
    }
}

// Centres and radii whose sums leave 32 bits: nothing wraps into the layer.
TEST_F(EllipseTest, ExtremeArguments_WriteOnlyInsideTheClip) {
    struct Case {
        int32_t cx, cy, r, spacing;
    };
    constexpr Case kCases[] = {
        {INT32_MAX, 384, 20, 0},
        {INT32_MIN, 384, 20, 0},
        {512, INT32_MAX, 20, 0},
        {512, INT32_MIN, 20, INT32_MIN},
        {INT32_MAX - 5, INT32_MIN + 5, 100, INT32_MAX},
        {512, 384, INT32_MAX, 0},
        {512, 384, INT32_MIN, 0},
        {512, 384, 1000000, INT32_MAX},
        {512, 384, 300, INT32_MIN},
        {-1000, -1000, 1500, 65537},
    };
    FillLayerWithPattern(Layer::Screen, 22);
    SetClip(200, 100, 800, 600);
    for (const Case &c : kCases) {
        Begin();
        for (auto [x, y] : Trace(c.r, c.spacing, LayerClip(), c.cx, c.cy)) {
            want.Plot(int64_t{c.cx} + x, int64_t{c.cy} + y, 0x0101);
        }
        op->DrawDottedEllipse(c.cx, c.cy, c.r, 0x0101, c.spacing);
        ASSERT_EQ(Mismatch(), "") << c.cx << "," << c.cy << " r=" << c.r;
    }
}

}  // namespace
}  // namespace ruvo::test
