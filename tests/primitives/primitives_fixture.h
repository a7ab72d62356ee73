// What the primitives tests share: a picture of the clip rectangle to predict
// into, random views, clips and arguments, and the check that an operation
// changed what was predicted and nothing outside the clip rectangle.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/library_fixture.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {

// The logical pixels of a rectangle of a layer. Writes outside it are dropped,
// so a prediction made into the clip rectangle is clipped by construction.
struct Picture {
    ClipRect rect;
    std::vector<uint16_t> cells;

    static Picture Read(Layer layer, const ClipRect &rect) {
        Picture p{rect, {}};
        if (rect.Empty()) return p;
        p.cells.reserve(static_cast<size_t>(rect.Width()) * rect.Height());
        for (int32_t y = rect.top; y <= rect.bottom; ++y) {
            for (int32_t x = rect.left; x <= rect.right; ++x) {
                p.cells.push_back(LayerCells(layer)[RingIndex(x, y)]);
            }
        }
        return p;
    }
    bool Contains(int64_t x, int64_t y) const {
        return x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
    }
    uint16_t &Cell(int64_t x, int64_t y) {
        return cells[static_cast<size_t>((y - rect.top) * rect.Width() + (x - rect.left))];
    }
    void Plot(int64_t x, int64_t y, uint16_t colour) {
        if (Contains(x, y)) Cell(x, y) = colour;
    }
    // Every pixel of the inclusive rectangle x0..x1 x y0..y1 (64-bit, any size).
    template <class Fn>
    void ForEachIn(int64_t x0, int64_t x1, int64_t y0, int64_t y1, Fn &&fn) {
        for (int64_t y = std::max<int64_t>(y0, rect.top); y <= std::min<int64_t>(y1, rect.bottom);
             ++y) {
            for (int64_t x = std::max<int64_t>(x0, rect.left);
                 x <= std::min<int64_t>(x1, rect.right); ++x) {
                fn(Cell(x, y));
            }
        }
    }
    void Fill(int64_t x0, int64_t x1, int64_t y0, int64_t y1, uint16_t colour) {
        ForEachIn(x0, x1, y0, y1, [colour](uint16_t &cell) { cell = colour; });
    }
    // The first differences from another picture of the same rectangle, or "".
    std::string Differences(const Picture &got) const {
        std::ostringstream out;
        int shown = 0;
        for (size_t i = 0; i < cells.size() && shown < 8; ++i) {
            if (cells[i] == got.cells[i]) continue;
            const int64_t x = rect.left + static_cast<int64_t>(i) % rect.Width();
            const int64_t y = rect.top + static_cast<int64_t>(i) / rect.Width();
            out << "(" << x << ", " << y << ") want 0x" << std::hex << cells[i] << " got 0x"
                << got.cells[i] << std::dec << "\n";
            ++shown;
        }
        return out.str();
    }
};

class PrimitivesTest : public LibraryTest {
  protected:
    // Views that exercise every part of the ring rule: none, whole rows, a
    // horizontal part (row W - 1 reaching into the OverflowRow), the last offset.
    static constexpr int32_t kViews[] = {
        0, 2048 * 100, 2048 * 100 + 2 * 24, 0x17FFFE, 2048 * 767 + 2 * 1000, 2};

    // Takes the picture of the clip rectangle as the prediction's start and
    // guards everything outside it (and outside the allowed fields).
    void Begin(Layer layer = Layer::Screen) {
        layer_ = layer;
        want = Picture::Read(layer, LayerClip());
        guard.emplace();
        guard->AllowLogical(layer, LayerClip());
    }
    // Empty when the clip rectangle holds the prediction and nothing else changed.
    std::string Mismatch() const {
        const Picture got = Picture::Read(layer_, want.rect);
        return guard->Violations() + want.Differences(got);
    }

    // Rounds of a random view and clip rectangle, each running run() (which
    // predicts, calls, and describes its arguments) and checking the prediction.
    template <class Run>
    void RandomRounds(Run &&run, int rounds = 200) {
        for (int i = 0; i < rounds; ++i) {
            RandomView();
            RandomClip();
            Begin();
            const std::string what = run();
            ASSERT_EQ(Mismatch(), "")
                << what << " clip " << db->ClipLeft << " " << db->ClipTop << " " << db->ClipRight
                << " " << db->ClipBottom << " view " << db->ScrollOffset;
        }
    }

    void RandomView() {
        if (rng() % 2) {
            SetView(kViews[rng() % std::size(kViews)]);
        } else {
            SetView(static_cast<int32_t>(rng() % (0x180000 / 2)) * 2);
        }
    }
    // Mostly a clip rectangle inside the layer, now and then one a host should not write.
    void RandomClip() {
        switch (rng() % 8) {
            case 0:
                SetClip(0, 0, 1023, 767);
                break;
            case 1:
                SetClip(Garbage(), Garbage(), Garbage(), Garbage());
                break;
            default: {
                const int32_t l = Coordinate(1024), t = Coordinate(768);
                SetClip(l, t, l + static_cast<int32_t>(rng() % (1024 - l)),
                        t + static_cast<int32_t>(rng() % (768 - t)));
            }
        }
    }
    int32_t Coordinate(int32_t size) { return static_cast<int32_t>(rng() % size); }
    // Near the clip rectangle's edges as often as not, sometimes anything in 32 bits.
    int32_t Near(int32_t edge) {
        const int64_t v = int64_t{edge} + static_cast<int64_t>(rng() % 9) - 4;
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    }
    int32_t Garbage() {
        switch (rng() % 4) {
            case 0:
                return static_cast<int32_t>(rng());
            case 1:
                return static_cast<int32_t>(rng() % 4000) - 1500;
            case 2:
                return static_cast<int32_t>(rng() % 64) - 32;
            default: {
                const int32_t edges[] = {0,         767,       768, 1023,          1024,
                                         INT32_MAX, INT32_MIN, -1,  INT32_MAX - 1, INT32_MIN + 1};
                return edges[rng() % std::size(edges)];
            }
        }
    }
    // A coordinate: near a clip edge, inside the layer, or garbage.
    int32_t X() { return Pick(db->ClipLeft, db->ClipRight, 1024); }
    int32_t Y() { return Pick(db->ClipTop, db->ClipBottom, 768); }
    // A length or size: small, up to the layer, or garbage (negative included).
    int32_t Size() {
        switch (rng() % 4) {
            case 0:
                return static_cast<int32_t>(rng() % 9) - 2;
            case 1:
                return static_cast<int32_t>(rng() % 1100) - 50;
            case 2:
                return Garbage();
            default:
                return static_cast<int32_t>(rng() % 40);
        }
    }

    Picture want;
    std::optional<StorageGuard> guard;
    std::mt19937 rng{20240611};

  private:
    int32_t Pick(int32_t lo_edge, int32_t hi_edge, int32_t size) {
        switch (rng() % 5) {
            case 0:
                return Near(lo_edge);
            case 1:
                return Near(hi_edge);
            case 2:
                return Garbage();
            default:
                return Coordinate(size);
        }
    }
    Layer layer_ = Layer::Screen;
};

}  // namespace ruvo::test
