// The table of each path: forcing a path gives its own table, a wider path
// keeps every entry of the narrower ones it has no kernel for, and the scalar
// path has none.
#include <gtest/gtest.h>

#include <vector>

#include "simd/kernels.h"

namespace ruvo::test {
namespace {

class KernelTableTest : public ::testing::Test {
  protected:
    void TearDown() override { UseSimdPath(SimdPath::Fastest); }
};

// Every sprite run entry that some path fills, in one list.
std::vector<const void *> RunEntries(const SpriteRunKernels &k) {
    std::vector<const void *> entries;
    auto add = [&](const auto &kernels) {
        entries.push_back(reinterpret_cast<const void *>(kernels.literal));
        entries.push_back(reinterpret_cast<const void *>(kernels.fill));
        entries.push_back(reinterpret_cast<const void *>(kernels.rows));
        entries.push_back(reinterpret_cast<const void *>(kernels.sprite));
    };
    add(k.lookup);
    add(k.mix50);
    add(k.tested_lookup);
    add(k.tested_mix50);
    add(k.translucent);
    add(k.additive);
    add(k.light);
    add(k.faded);
    add(k.shadow);
    return entries;
}

TEST_F(KernelTableTest, ScalarPathHasNoKernels) {
    ASSERT_TRUE(UseSimdPath(SimdPath::Scalar));
    const KernelTable &t = Kernels();
    EXPECT_EQ(t.path, SimdPath::Scalar);
    for (const void *entry : RunEntries(t.sprite_runs)) EXPECT_EQ(entry, nullptr);
    EXPECT_EQ(t.cells[0].run, nullptr);
    EXPECT_EQ(t.convert_colours, nullptr);
}

// A path without a kernel of its own (AVX-512 has no light-grid cells) keeps
// the narrower path's, widest first; no entry present on a narrower path is
// lost on a wider one.
TEST_F(KernelTableTest, WiderPathsKeepTheNarrowerEntries) {
    std::vector<const void *> narrower;
    int32_t narrower_lanes = 0;
    for (SimdPath path : {SimdPath::Sse2, SimdPath::Avx2, SimdPath::Avx512}) {
        if (!UseSimdPath(path)) continue;
        const KernelTable &t = Kernels();
        EXPECT_EQ(t.path, path);
        EXPECT_EQ(CurrentSimdPath(), path);
        const std::vector<const void *> entries = RunEntries(t.sprite_runs);
        for (size_t i = 0; i < narrower.size(); ++i) {
            if (narrower[i]) {
                EXPECT_NE(entries[i], nullptr) << "entry " << i;
            }
        }
        ASSERT_NE(t.cells[0].run, nullptr);
        EXPECT_GE(t.cells[0].lanes, narrower_lanes);
        if (t.cells[1].run) {
            EXPECT_LT(t.cells[1].lanes, t.cells[0].lanes);
        }
        EXPECT_NE(t.convert_colours, nullptr);
        narrower = entries;
        narrower_lanes = t.cells[0].lanes;
    }
}

TEST_F(KernelTableTest, FastestIsTheWidestThatRuns) {
    SimdPath widest = SimdPath::Scalar;
    for (SimdPath path : {SimdPath::Sse2, SimdPath::Avx2, SimdPath::Avx512}) {
        if (UseSimdPath(path)) widest = path;
    }
    ASSERT_TRUE(UseSimdPath(SimdPath::Fastest));
    EXPECT_EQ(CurrentSimdPath(), widest);
}

}  // namespace
}  // namespace ruvo::test
