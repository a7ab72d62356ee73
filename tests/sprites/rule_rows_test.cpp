// The whole-sprite and whole-row kernels of the colour slots (translucent,
// additive and light, depth-tested, and faded) against the per-pixel path:
// long rows of every run class and length (count 0 included), depth values
// at, just around and far from the key, sprites inside the clip rectangle
// (one kernel call for the sprite), across its left edge (a call per row
// after the left scan), across its right edge and across the wrap row, and a
// malformed last run that claims more than its row holds.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "simd/kernels.h"
#include "tests/support/sprite_fixture.h"

namespace ruvo::test {
namespace {

using Bytes = std::vector<uint8_t>;

enum class Slot { Translucent, Additive, Light, Faded };

class RuleRowsTest : public SpriteTest, public ::testing::WithParamInterface<Slot> {
  protected:
    void SetUp() override {
        SpriteTest::SetUp();
        op->AnalysePixelFormat(0xF800, 0x07E0, 0x001F);
        std::mt19937 rng(77);
        for (int i = 0; i < 256; ++i) {
            table[i] = static_cast<uint16_t>(rng());
            // Weights 0..31 (31 often), a few entries with bits 24..31 set.
            const uint32_t w = rng() % 4 == 0 ? 31 : rng() % 32;
            blend_[i] = w << 19 | (rng() & 0x7FFFF);
            if (rng() % 16 == 0) blend_[i] |= rng() & 0xFF000000u;
        }
    }
    void TearDown() override {
        UseSimdPath(SimdPath::Fastest);
        SpriteTest::TearDown();
    }

    // Rows of 2 to 13 random runs: literals, fills (index 0: skips) of 0 to
    // 127 pixels; the last run of the last row claims more than is left.
    static Bytes RandomSprite(uint32_t seed, int32_t rows) {
        std::mt19937 rng(seed);
        assets::SpriteWriter writer(0, 0, 1024, 0xA1);
        auto index = [&] { return static_cast<uint8_t>(rng() % 6 == 0 ? 0 : rng()); };
        for (int32_t r = 0; r < rows; ++r) {
            writer.Row();
            const int32_t runs = 2 + static_cast<int32_t>(rng() % 12);
            for (int32_t i = 0; i < runs; ++i) {
                const uint32_t pick = rng() % 8;
                const auto count = static_cast<uint8_t>(pick == 0 ? rng() % 128 : rng() % 40);
                if (pick % 2 == 0) {
                    writer.Code(count);
                    for (int32_t k = 0; k < count; ++k) writer.Bytes({index()});
                } else {
                    writer.Code(static_cast<uint8_t>(0x80 | count));
                    writer.Bytes({index()});
                }
            }
        }
        writer.Code(0x7F);
        writer.Bytes({index()});
        return writer.Finish();
    }

    // Depth values around the key of depth 100: equal, one below or above,
    // far below or above, in stretches so that runs see both outcomes.
    static void RandomDepth(uint32_t seed) {
        std::mt19937 rng(seed);
        static constexpr int kDeltas[] = {0, 0, -1, 1, -0x400, 0x400};
        const uint16_t key = static_cast<uint16_t>((100 + 0x440) * 32);
        uint16_t *depth = DepthCells();
        constexpr int32_t kCells = kLayerCells + kLayerWidth;
        for (int32_t i = 0; i < kCells;) {
            const auto v = static_cast<uint16_t>(key + kDeltas[rng() % 6]);
            for (auto n = 1 + rng() % 40; n > 0 && i < kCells; --n) depth[i++] = v;
        }
    }

    std::vector<uint16_t> Draw(SimdPath path, const Bytes &sprite, int32_t x, int32_t y) {
        EXPECT_TRUE(UseSimdPath(path));
        FillLayerWithPattern(Layer::Screen, 5);
        switch (GetParam()) {
            case Slot::Translucent:
                op->DrawScreenSpriteTranslucent(x, y, 100, blend_, sprite.data());
                break;
            case Slot::Additive:
                op->DrawScreenSpriteAdditive(x, y, 100, table, sprite.data());
                break;
            case Slot::Light:
                op->ApplyScreenLight(x, y, 100, sprite.data());
                break;
            case Slot::Faded:
                op->DrawScreenSpriteFaded(x, y, 11, table, sprite.data());
                break;
        }
        return {ScreenCells(), ScreenCells() + kLayerCells};
    }

    uint32_t blend_[256] = {};
};

TEST_P(RuleRowsTest, EveryPathDrawsWhatThePerPixelPathDraws) {
    std::vector<SimdPath> paths;
    for (SimdPath path : {SimdPath::Sse2, SimdPath::Avx2, SimdPath::Avx512}) {
        if (UseSimdPath(path)) paths.push_back(path);
    }
    SetView(8 * kLayerPitchBytes);  // the wrap row 8 rows above the bottom
    const int32_t wrap = db->WrapRow;
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        const Bytes sprite = RandomSprite(seed, 6);
        RandomDepth(seed);
        SetClip(100, 20, 700, 767);
        // Inside, across the left edge, the right, far left; across the top
        // edge; across the wrap, and from the wrap row on.
        const int32_t places[][2] = {{200, 40}, {60, 40},        {650, 40},  {-900, 40},
                                     {300, 17}, {150, wrap - 3}, {150, wrap}};
        for (const auto &at : places) {
            const std::vector<uint16_t> want = Draw(SimdPath::Scalar, sprite, at[0], at[1]);
            for (SimdPath path : paths) {
                ASSERT_TRUE(Draw(path, sprite, at[0], at[1]) == want)
                    << "seed " << seed << ", at " << at[0] << ", " << at[1] << ", path "
                    << static_cast<int>(path);
            }
        }
    }
}

// A sprite as wide as the clip span with its left edge on the left limit:
// the widest span one call draws.
TEST_P(RuleRowsTest, FullWidthRowsMatchThePerPixelPath) {
    SetClip(0, 0, 1023, 767);
    std::mt19937 rng(9);
    assets::SpriteWriter writer(0, 0, 1024, 0xA1);
    for (int32_t r = 0; r < 3; ++r) {
        writer.Row();
        for (int32_t left = 1024; left > 0;) {
            const int32_t n = std::min<int32_t>(left, 1 + static_cast<int32_t>(rng() % 127));
            writer.Code(static_cast<uint8_t>(n));
            for (int32_t k = 0; k < n; ++k) writer.Bytes({static_cast<uint8_t>(rng())});
            left -= n;
        }
    }
    const Bytes sprite = writer.Finish();
    RandomDepth(3);
    const std::vector<uint16_t> want = Draw(SimdPath::Scalar, sprite, 0, 10);
    if (!UseSimdPath(SimdPath::Avx512)) GTEST_SKIP() << "this CPU or build lacks the path";
    EXPECT_TRUE(Draw(SimdPath::Avx512, sprite, 0, 10) == want);
}

INSTANTIATE_TEST_SUITE_P(Slots, RuleRowsTest,
                         ::testing::Values(Slot::Translucent, Slot::Additive, Slot::Light,
                                           Slot::Faded),
                         [](const auto &info) {
                             switch (info.param) {
                                 case Slot::Translucent:
                                     return std::string("Translucent");
                                 case Slot::Additive:
                                     return std::string("Additive");
                                 case Slot::Faded:
                                     return std::string("Faded");
                                 default:
                                     return std::string("Light");
                             }
                         });

}  // namespace
}  // namespace ruvo::test
