// Every sprite slot against the plain reference, on seeded random sprites,
// positions, clip rectangles, scroll offsets, pixel formats and layer
// contents. A failure names its seed; RUVO_REPLAY_SEED=n runs that seed alone.
#include "tests/support/sprite_reference.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "simd/kernels.h"
#include "tests/support/sprite_fixture.h"
#include "tools/assets/synthetic_sprites.h"

namespace ruvo::test {
namespace {

class SpriteReferenceTest : public SpriteTest {
  protected:
    uint32_t Below(uint32_t n) { return rng_() % n; }

    void RandomFormat() {
        static constexpr uint16_t kFormats[][3] = {
            {0xF800, 0x07E0, 0x001F}, {0x7C00, 0x03E0, 0x001F}, {0x001F, 0x07E0, 0xF800}};
        const auto &f = kFormats[Below(3)];
        op->AnalysePixelFormat(f[0], f[1], f[2]);
    }

    // Mostly the whole layer or a rectangle inside it; sometimes fields with
    // high bits set or right and bottom edges beyond the layer.
    void RandomClip() {
        if (Below(3) == 0) return SetClip(0, 0, 1023, 767);
        const int32_t l = Below(1000), t = Below(740);
        SetClip(l, t, l + Below(1024 - l), t + Below(768 - t));
        if (Below(4) == 0) db->ClipLeft += 0x10000 * int32_t(Below(5) + 1);
        if (Below(4) == 0) db->ClipBottom = 0xFFF0 + Below(16);
        if (Below(4) == 0) db->ClipRight = -1;
    }

    // Pixels of the format: the bits outside the channels are 0 (halving and
    // mixing formulas would move them into a channel).
    uint16_t Pixel(uint32_t r) const {
        return uint16_t(r & (db->RedMask | db->GreenMask | db->BlueMask));
    }

    // Layer contents: random pixels; depth values at, just around and far
    // from the key of depth argument a, with random flags now and then.
    void RandomLayers(int32_t a) {
        const uint16_t key = ReferenceDepthKey(a);
        uint32_t s = rng_();
        auto next = [&s] {
            s ^= s << 13;
            s ^= s >> 17;
            s ^= s << 5;
            return s;
        };
        for (Layer layer : {Layer::Screen, Layer::Back}) {
            uint16_t *cells = LayerCells(layer);
            for (int32_t i = 0; i < kLayerCells + kLayerWidth; ++i) cells[i] = Pixel(next());
        }
        static constexpr int kDeltas[] = {0, 0, 0, -1, 1, -32, 32, -0x800, 0x400};
        uint16_t *depth = DepthCells();
        for (int32_t i = 0; i < kLayerCells + kLayerWidth; ++i) {
            const uint32_t r = next();
            uint16_t v = uint16_t(key + kDeltas[r % 9]);
            if ((r >> 8) % 4 == 0) v = uint16_t(v ^ ((r >> 12) & 0x1F));
            if ((r >> 8) % 16 == 1) v = uint16_t(r >> 16);
            depth[i] = v;
        }
    }

    void RandomTables() {
        for (int i = 0; i < 256; ++i) {
            for (auto &palette : db->SpritePalette) palette[i] = Pixel(rng_());
            table[i] = Pixel(rng_());
            // Weights 0..31 (31 often), the colour pre-scaled to leave room.
            const uint32_t w = Below(4) == 0 ? 31 : Below(32);
            blend[i] = w << 19 | (Below(8) << 16) | (rng_() & 0x39E7);
        }
    }

    // Near the clip rectangle's edges half of the time.
    int32_t Near(int32_t lo, int32_t hi, int32_t size) {
        const int32_t pick = Below(4);
        if (pick == 0) return lo - int32_t(Below(size + 4));
        if (pick == 1) return hi - int32_t(Below(size + 4)) + 2;
        return lo + int32_t(Below(std::max(1, hi - lo + 1)));
    }

    std::vector<uint8_t> Snapshot() const {
        return {theLayers.bytes, theLayers.bytes + sizeof theLayers.bytes};
    }

    // The first cell where the layers differ from the expected storage.
    static std::string FirstDifference(const std::vector<uint8_t> &want) {
        for (size_t i = 0; i + 1 < want.size(); i += 2) {
            const uint16_t w = uint16_t(want[i] | want[i + 1] << 8);
            uint16_t got;
            std::memcpy(&got, theLayers.bytes + i, 2);
            if (got != w) {
                char text[128];
                std::snprintf(text, sizeof text, "layer %zu cell %zu: want 0x%04x, got 0x%04x",
                              i / kLayerSpacingBytes, (i % kLayerSpacingBytes) / 2, w, got);
                return text;
            }
        }
        return "";
    }

    void RunSeed(uint32_t seed) {
        rng_.seed(seed);
        RandomFormat();
        SetView(int32_t(Below(0x180000 / 2)) * 2);
        RandomTables();
        const int32_t depth_arg = int32_t(Below(1200)) - 100;
        RandomLayers(depth_arg);
        std::vector<uint8_t> want = Snapshot();
        for (const SpriteSlot &slot : kSpriteSlots) {
            RandomClip();
            const ClipRect clip = LayerClip16();
            assets::SyntheticShape shape;
            shape.width = 1 + Below(Below(8) == 0 ? 300 : 80);
            shape.height = Below(60);
            shape.coding = slot.coding;
            shape.transparent_share = Below(60) / 100.0;
            assets::SpriteImage image = assets::SyntheticImage(shape, rng_());
            image.x_offset = int32_t(Below(41)) - 20;
            image.y_offset = int32_t(Below(41)) - 20;
            // Both of the toolkit's fill rules: every repeat a fill, or only long ones.
            const std::vector<uint8_t> sprite = assets::EncodeSprite(
                image, slot.coding, Below(2) ? assets::Fills::Small : assets::Fills::Fast);

            SpriteCall call;
            call.x = Near(clip.left, clip.right, shape.width) - image.x_offset;
            call.y = Near(clip.top, clip.bottom, shape.height) - image.y_offset;
            if (Below(8) == 0) call.y = db->WrapRow - int32_t(Below(shape.height + 1));
            switch (slot.extra) {
                case Extra::Depth:
                    call.extra = depth_arg + int32_t(Below(3)) - 1;
                    break;
                case Extra::Flags:
                    call.extra = int32_t(rng_() & (Below(2) ? 0x7 : 0xFFFFFFF8));
                    break;
                case Extra::Weight:
                    call.extra = int32_t(Below(32));
                    break;
                case Extra::None:
                    break;
            }
            call.colours = table;
            call.blend_table = blend;
            call.sprite = sprite;

            ReferenceSprite(slot, call, want);
            CallSpriteSlot(slot, op, call);
            const std::string diff = FirstDifference(want);
            ASSERT_EQ(diff, "") << "seed " << seed << ", " << slot.name << " at " << call.x << ", "
                                << call.y << ", extra " << call.extra << ", clip " << clip.left
                                << ".." << clip.right << " x " << clip.top << ".." << clip.bottom
                                << ", scroll " << db->ScrollOffset << "\n"
                                << assets::DescribeRuns(sprite, slot.coding);
        }
    }

    std::mt19937 rng_;
    uint32_t blend[256] = {};
};

// The same on every run-kernel path: the per-pixel rules alone, SSE2, AVX2
// and AVX-512.
class SpriteKernelPathTest : public SpriteReferenceTest,
                             public ::testing::WithParamInterface<SimdPath> {
  protected:
    void TearDown() override {
        UseSimdPath(SimdPath::Fastest);
        SpriteReferenceTest::TearDown();
    }
};

TEST_P(SpriteKernelPathTest, EverySlotMatchesThePlainReference) {
    if (!UseSimdPath(GetParam())) GTEST_SKIP() << "this CPU or build lacks the path";
    for (uint32_t seed = 101; seed <= 124; ++seed) {
        RunSeed(seed);
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, SpriteKernelPathTest,
                         ::testing::Values(SimdPath::Scalar, SimdPath::Sse2, SimdPath::Avx2,
                                           SimdPath::Avx512),
                         [](const auto &info) {
                             switch (info.param) {
                                 case SimdPath::Sse2:
                                     return std::string("Sse2");
                                 case SimdPath::Avx2:
                                     return std::string("Avx2");
                                 case SimdPath::Avx512:
                                     return std::string("Avx512");
                                 default:
                                     return std::string("Scalar");
                             }
                         });

TEST_F(SpriteReferenceTest, EverySlotMatchesThePlainReference) {
    if (const char *replay = std::getenv("RUVO_REPLAY_SEED")) {
        RunSeed(uint32_t(std::strtoul(replay, nullptr, 10)));
        return;
    }
    for (uint32_t seed = 1; seed <= 24; ++seed) {
        RunSeed(seed);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace ruvo::test
