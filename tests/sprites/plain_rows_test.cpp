// The row kernels of the plain and depth-tested slots against the per-pixel
// path: long rows of every run class and length, malformed last runs ending
// where readable memory ends, drawn from inside the clip rectangle, across
// its left edge and across its right edge.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/mman.h>
#include <unistd.h>
#define RUVO_TEST_GUARD_PAGE 1
#endif

#include "simd/kernels.h"
#include "tests/support/sprite_fixture.h"
#include "tests/support/sprite_reference.h"

namespace ruvo::test {
namespace {

using Bytes = std::vector<uint8_t>;

// A copy of bytes that ends where readable memory ends (POSIX), so that any
// read past the sprite faults.
class GuardedCopy {
  public:
    explicit GuardedCopy(const Bytes &bytes) {
#ifdef RUVO_TEST_GUARD_PAGE
        const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        mapped_ = (bytes.size() + page - 1) / page * page + page;
        base_ = static_cast<uint8_t *>(
            mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(base_ + mapped_ - page, page, PROT_NONE);
        data_ = base_ + mapped_ - page - bytes.size();
#else
        heap_ = bytes;
        data_ = heap_.data();
#endif
        std::memcpy(data_, bytes.data(), bytes.size());
    }
    GuardedCopy(const GuardedCopy &) = delete;
    GuardedCopy &operator=(const GuardedCopy &) = delete;
    ~GuardedCopy() {
#ifdef RUVO_TEST_GUARD_PAGE
        munmap(base_, mapped_);
#endif
    }
    const uint8_t *data() const { return data_; }

  private:
    uint8_t *data_ = nullptr;
#ifdef RUVO_TEST_GUARD_PAGE
    uint8_t *base_ = nullptr;
    size_t mapped_ = 0;
#else
    Bytes heap_;
#endif
};

class PlainRowsTest : public SpriteTest, public ::testing::WithParamInterface<RunCoding> {
  protected:
    void TearDown() override {
        UseSimdPath(SimdPath::Fastest);
        SpriteTest::TearDown();
    }

    // Rows of random runs: literals, fills and skips of 0 to 127 pixels
    // (fills of index 0 or the colour key are skips), literal values that
    // are the key or index 0 (drawn), and in the last row a last run that
    // claims more than the row holds.
    Bytes RandomSprite(uint32_t seed, int32_t rows) {
        std::mt19937 rng(seed);
        const bool colour = GetParam() == RunCoding::ColourRuns;
        const bool blend = GetParam() == RunCoding::BlendRuns;
        assets::SpriteWriter writer(0, 0, 1024, colour ? 0xA5 : blend ? 0xA2 : 0xA1);
        auto value = [&] {
            if (rng() % 6 == 0)
                writer.Bytes(colour ? std::initializer_list<uint8_t>{0x1F, 0xF8}
                                    : std::initializer_list<uint8_t>{0});
            else if (colour)
                writer.Colour(static_cast<uint16_t>(rng()));
            else
                writer.Bytes({static_cast<uint8_t>(rng())});
        };
        for (int32_t r = 0; r < rows; ++r) {
            writer.Row();
            const int32_t runs = 2 + static_cast<int32_t>(rng() % 12);
            for (int32_t i = 0; blend && i < runs; ++i) {
                // Literals, blended literals, fills and skips of 0 to 63.
                const uint32_t kind = rng() % 4;
                const auto count = static_cast<uint8_t>(rng() % 64);
                writer.Code(static_cast<uint8_t>(kind << 6 | count));
                if (kind < 2) {
                    for (int32_t k = 0; k < count; ++k) value();
                } else if (kind == 2) {
                    value();
                }
            }
            for (int32_t i = 0; !blend && i < runs; ++i) {
                const uint32_t pick = rng() % 8;
                const auto count = static_cast<uint8_t>(pick == 0 ? rng() % 128 : rng() % 40);
                if (pick % 2 == 0) {
                    writer.Code(count);  // a literal
                    for (int32_t k = 0; k < count; ++k) value();
                } else {
                    writer.Code(static_cast<uint8_t>(0x80 | count));
                    value();
                }
            }
        }
        // The last run of the last row claims more than is left.
        if (blend) {
            writer.Code(
                static_cast<uint8_t>(rng() % 2 ? 0x7F : 0xBF));  // a blended literal, a fill
        } else if (rng() % 2) {
            writer.Code(0x7F);
            value();
        } else {
            writer.Code(0x90);
            if (colour) writer.Bytes({0x34});  // half a colour
        }
        return writer.Finish();
    }

    // With tested, the depth-tested slot over depth cells just below, at and
    // just above the key.
    std::vector<uint16_t> Draw(SimdPath path, const uint8_t *sprite, int32_t x, int32_t y,
                               bool tested) {
        EXPECT_TRUE(UseSimdPath(path));
        FillLayerWithPattern(Layer::Screen, 5);
        constexpr int32_t kDepth = 300;
        if (tested) {
            const uint16_t key = ReferenceDepthKey(kDepth);
            uint16_t *z = LayerCells(Layer::Depth);
            for (int32_t i = 0; i < kLayerCells; ++i) {
                z[i] = static_cast<uint16_t>(key - 1 + (i * 2654435761u >> 28) % 3);
            }
        }
        if (GetParam() == RunCoding::ColourRuns) {
            op->DrawScreenColourSprite(x, y, sprite);
        } else if (GetParam() == RunCoding::BlendRuns) {
            if (tested) {
                op->DrawScreenBlendSpriteTested(x, y, kDepth, table, sprite);
            } else {
                op->DrawScreenBlendSprite(x, y, table, sprite);
            }
        } else if (tested) {
            op->DrawScreenSpriteTested(x, y, kDepth, table, sprite);
        } else {
            op->DrawScreenSprite(x, y, table, sprite);
        }
        return {ScreenCells(), ScreenCells() + kLayerCells};
    }
};

TEST_P(PlainRowsTest, EveryPathDrawsWhatThePerPixelPathDraws) {
    std::vector<SimdPath> paths;
    for (SimdPath path : {SimdPath::Sse2, SimdPath::Avx2, SimdPath::Avx512}) {
        if (UseSimdPath(path)) paths.push_back(path);
    }
    // The 50% mix reads LowBitsMask; NotLowBitsMask, which it does not
    // read, holds something else here.
    db->NotLowBitsMask = 0x12345678;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        // Every third sprite is taller than a batch of rows for the kernel.
        const GuardedCopy sprite(RandomSprite(seed, seed % 3 == 0 ? 40 : 6));
        SetClip(100, 0, 700, 767);
        for (int32_t x :
             {200, 60, 650, -900}) {  // inside, across the left edge, the right, far left
            for (bool tested : {false, true}) {
                if (tested && GetParam() == RunCoding::ColourRuns) continue;
                const std::vector<uint16_t> want =
                    Draw(SimdPath::Scalar, sprite.data(), x, 40, tested);
                for (SimdPath path : paths) {
                    ASSERT_TRUE(Draw(path, sprite.data(), x, 40, tested) == want)
                        << "seed " << seed << ", x " << x << ", path " << static_cast<int>(path)
                        << (tested ? ", depth-tested" : "");
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Codings, PlainRowsTest,
                         ::testing::Values(RunCoding::IndexRuns, RunCoding::ColourRuns,
                                           RunCoding::BlendRuns),
                         [](const auto &info) {
                             return info.param == RunCoding::IndexRuns    ? std::string("Index")
                                    : info.param == RunCoding::ColourRuns ? std::string("Colour")
                                                                          : std::string("Blend");
                         });

}  // namespace
}  // namespace ruvo::test
