// The four tile operations against a slow per-pixel reference on seeded
// random tiles, corners, clip rectangles and views; and against any
// arguments at all, which must stay inside the clip rectangle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "tests/support/storage_guard.h"
#include "tests/tiles/tile_fixture.h"

namespace ruvo::test {
namespace {

enum class TileOp { Shade, Darken, Tint, Blacken };

struct TileCall {
    TileOp op;
    int32_t x, y, left, right, top, bottom;
    uint32_t colour;
    const uint8_t *bytes;
};

std::ostream &operator<<(std::ostream &out, const TileCall &c) {
    return out << "op " << static_cast<int>(c.op) << " at " << c.x << ", " << c.y << " corners "
               << c.left << " " << c.right << " " << c.top << " " << c.bottom << " colour "
               << c.colour;
}

// The model, one pixel at a time: which footprint pixels lie in the clip
// rectangle, their byte and light from closed formulas, the dither bit from
// the number of drawn rows above and the column of the row's first drawn
// pixel. Writes into cells (a copy of the layer's ring storage) and returns
// the new phase. Per-channel arithmetic assumes 5-6-5.
uint32_t ReferenceTile(const TileCall &call, const DrawBlock &b, const uint16_t *shade,
                       std::vector<uint16_t> &cells, uint32_t phase) {
    const int64_t cl = std::max(b.ClipLeft, 0), ct = std::max(b.ClipTop, 0);
    const int64_t cr = std::min(b.ClipRight, 1023), cb = std::min(b.ClipBottom, 767);
    const int64_t x = call.x, y = call.y;
    if (x < cl - 31 || x > cr + 34 || y < ct - 32 || y > cb + 1) return phase;
    const bool half_flip = y >= ct - 16;

    int64_t rows_drawn = 0, byte = 0;
    for (int64_t r = 0; r < 32; ++r) {
        const int64_t half = r < 16 ? 1 + 2 * r : 30 - 2 * (r - 16);
        const int64_t row = y + r, lo = x - half, hi = x + half;
        const uint32_t row_phase =
            phase ^ ((call.op == TileOp::Shade ? rows_drawn : 0) & 1) ^ (half_flip && r >= 16);
        const int64_t first_drawn = std::max(lo, cl);
        bool drawn = false;
        for (int64_t c = lo; c <= hi; ++c, ++byte) {
            if (c < cl || c > cr || row < ct || row > cb) continue;
            drawn = true;
            const int64_t j = c - lo;
            const int64_t a = r < 16 ? int64_t{call.top} * 256 +
                                           (r + 1) * (int64_t{call.left} - call.top) * 16 +
                                           (j + 1) * (int64_t{call.right} - call.left) * 4
                                     : int64_t{call.left} * 256 +
                                           (r - 15) * (int64_t{call.bottom} - call.left) * 16 +
                                           j * (int64_t{call.right} - call.left) * 4;
            const uint32_t level = (static_cast<uint32_t>(a) >> 8) & 0xFF;
            const uint32_t d = row_phase ^ ((c - first_drawn) & 1);
            uint16_t &p = cells[RingIndex(static_cast<int32_t>(c), static_cast<int32_t>(row))];
            const uint32_t red = p >> 11, green = (p >> 5) & 63, blue = p & 31;
            switch (call.op) {
                case TileOp::Shade:
                    p = shade[((level ^ (32 * d)) % 64) * 256 + call.bytes[byte]];
                    break;
                case TileOp::Darken:
                    if (level < 32) {
                        p = static_cast<uint16_t>((red * level / 32) << 11 |
                                                  (green * level / 32) << 5 | blue * level / 32);
                    }
                    break;
                case TileOp::Tint:
                    p = static_cast<uint16_t>(((red / 2) << 11 | (green / 2) << 5 | blue / 2) +
                                              call.colour);
                    break;
                case TileOp::Blacken:
                    if (call.bytes[byte] != 0) p = 0;
                    break;
            }
        }
        if (drawn) ++rows_drawn;
    }
    return phase ^ half_flip ^ (call.op == TileOp::Shade ? rows_drawn & 1 : 0);
}

void CallTile(RuvoOperations *op, const TileCall &c) {
    switch (c.op) {
        case TileOp::Shade:
            return op->DrawShadedTile(c.x, c.y, c.left, c.right, c.top, c.bottom, c.bytes);
        case TileOp::Darken:
            return op->DarkenTile(c.x, c.y, c.left, c.right, c.top, c.bottom);
        case TileOp::Tint:
            return op->TintTile(c.x, c.y, c.colour);
        case TileOp::Blacken:
            return op->BlackenTile(c.x, c.y, c.left, c.right, c.top, c.bottom, c.bytes);
    }
}

class TileReferenceTest : public TileTest {
  protected:
    int32_t Uniform(int32_t lo, int32_t hi) {
        return std::uniform_int_distribution<int32_t>(lo, hi)(rng_);
    }
    // Mostly near the layer's edges, sometimes anywhere in 32 bits.
    int32_t Garbage() {
        switch (rng_() % 4) {
            case 0:
                return static_cast<int32_t>(rng_());
            case 1:
                return Uniform(-1500, 2500);
            case 2:
                return Uniform(-40, 40);
            default: {
                constexpr int32_t kEdges[] = {0, 767, 768, 1023, 1024, INT32_MAX, INT32_MIN, -1};
                return kEdges[rng_() % 8];
            }
        }
    }
    void RandomView() { SetView(Uniform(0, 0x180000 / 2 - 1) * 2); }
    // The whole layer, a random rectangle inside it, or a thin strip.
    void RandomClip() {
        switch (rng_() % 3) {
            case 0:
                return SetClip(0, 0, 1023, 767);
            case 1: {
                const int32_t l = Uniform(0, 1023), t = Uniform(0, 767);
                return SetClip(l, t, Uniform(l, 1023), Uniform(t, 767));
            }
            default: {
                const int32_t l = Uniform(0, 1000), t = Uniform(0, 760);
                return SetClip(l, t, l + Uniform(0, 23), t + Uniform(0, 7));
            }
        }
    }
    // Near a clip edge or anywhere a tile could touch the layer.
    void RandomAnchor(int32_t &x, int32_t &y) {
        if (rng_() % 2) {
            x = Uniform(-40, 1070);
            y = Uniform(-40, 780);
        } else {
            // Saturated: the clip fields may be anything.
            auto near = [&](int32_t edge) {
                return static_cast<int32_t>(
                    std::clamp<int64_t>(int64_t{edge} + Uniform(-36, 36), INT32_MIN, INT32_MAX));
            };
            x = near(rng_() % 2 ? db->ClipLeft : db->ClipRight);
            y = near(rng_() % 2 ? db->ClipTop : db->ClipBottom);
        }
    }

    std::mt19937 rng_{20261209};
};

TEST_F(TileReferenceTest, AllOperations_MatchTheReference) {
    for (uint16_t &e : db->ShadeTable) e = static_cast<uint16_t>(rng_());
    std::vector<assets::TileBytes> tiles(4);
    for (auto &t : tiles) {
        for (auto &b : t) b = rng_() % 4 == 0 ? 0 : static_cast<uint8_t>(rng_());
    }
    constexpr int32_t kStorageCells = kLayerCells + kLayerWidth;  // with the OverflowRow
    FillLayerWithPattern(Layer::Back, 1);
    FillLayerWithPattern(Layer::Screen, 2);
    std::vector<uint16_t> back(BackCells(), BackCells() + kStorageCells);
    std::vector<uint16_t> screen(ScreenCells(), ScreenCells() + kStorageCells);

    for (int i = 0; i < 600; ++i) {
        // The view changes the cells a logical pixel names, so the model's
        // copies stay in step only while it is kept; change it now and then.
        if (i % 50 == 0) RandomView();
        RandomClip();
        TileCall c{};
        c.op = static_cast<TileOp>(rng_() % 4);
        RandomAnchor(c.x, c.y);
        const bool in_range = c.op == TileOp::Shade ? rng_() % 8 != 0 : rng_() % 2 == 0;
        int32_t *corners[] = {&c.left, &c.right, &c.top, &c.bottom};
        for (int32_t *v : corners)
            *v = in_range ? Uniform(0, c.op == TileOp::Shade ? 31 : 40) : Garbage();
        c.colour = rng_();
        c.bytes = tiles[rng_() % tiles.size()].data();
        const uint32_t phase = rng_() % 2;

        theDitherPhase = phase;
        std::vector<uint16_t> &model = c.op == TileOp::Shade ? back : screen;
        const uint32_t want_phase = ReferenceTile(c, theDrawBlock, db->ShadeTable, model, phase);
        CallTile(op, c);
        const uint16_t *cells = c.op == TileOp::Shade ? BackCells() : ScreenCells();
        ASSERT_EQ(theDitherPhase, want_phase) << "case " << i << ": " << c;
        const auto diff = std::mismatch(model.begin(), model.end(), cells);
        ASSERT_EQ(diff.first, model.end())
            << "case " << i << ": " << c << "; first difference at cell "
            << (diff.first - model.begin()) << ", clip " << db->ClipLeft << " " << db->ClipTop
            << " " << db->ClipRight << " " << db->ClipBottom << " view " << db->ScrollOffset;
        ASSERT_TRUE(std::equal(back.begin(), back.end(), BackCells())) << "case " << i;
        ASSERT_TRUE(std::equal(screen.begin(), screen.end(), ScreenCells())) << "case " << i;
    }
}

// Any anchor, corners and clip fields: nothing outside the clip rectangle cut
// to the layer changes, and nothing of the record.
TEST_F(TileReferenceTest, AnyArguments_StayInsideTheClipCutToTheLayer) {
    const assets::TileBytes bytes = TileTest::Uniform(0xA5);
    for (int i = 0; i < 240; ++i) {
        RandomView();
        if (rng_() % 2) {
            SetClip(Garbage(), Garbage(), Garbage(), Garbage());
        } else {
            RandomClip();
        }
        TileCall c{};
        c.op = static_cast<TileOp>(i % 4);
        if (rng_() % 2) {
            RandomAnchor(c.x, c.y);
        } else {
            c.x = Garbage();
            c.y = Garbage();
        }
        c.left = Garbage(), c.right = Garbage(), c.top = Garbage(), c.bottom = Garbage();
        c.colour = rng_();
        c.bytes = bytes.data();
        StorageGuard guard;
        guard.AllowLogical(c.op == TileOp::Shade ? Layer::Back : Layer::Screen, LayerClip());
        CallTile(op, c);
        ASSERT_EQ(guard.Violations(), "")
            << "case " << i << ": " << c << " clip " << db->ClipLeft << " " << db->ClipTop << " "
            << db->ClipRight << " " << db->ClipBottom;
        ASSERT_LE(theDitherPhase, 1u);
    }
}

}  // namespace
}  // namespace ruvo::test
