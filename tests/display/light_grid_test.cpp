// Light-grid shading: the worked values, and both operations against a slow
// reference that computes every pixel's level from the closed formula.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framestore/pixel_math.h"
#include "simd/kernels.h"
#include "tests/display/display_fixture.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {
namespace {

class LightGridTest : public DisplayTest {
  protected:
    void TearDown() override {
        UseSimdPath(SimdPath::Fastest);
        DisplayTest::TearDown();
    }
};

constexpr uint16_t kWhite = 0xFFFF;

void FillGrid(uint8_t value) {
    for (auto &row : theDrawBlock.LightGrid) std::fill(std::begin(row), std::end(row), value);
}

void SetCell(int32_t i, int32_t j, uint8_t tl, uint8_t tr, uint8_t bl, uint8_t br) {
    theDrawBlock.LightGrid[j][i] = tl;
    theDrawBlock.LightGrid[j][i + 1] = tr;
    theDrawBlock.LightGrid[j + 1][i] = bl;
    theDrawBlock.LightGrid[j + 1][i + 1] = br;
}

// The logical picture of the ScreenLayer, row by row.
std::vector<uint16_t> Picture() {
    std::vector<uint16_t> p(1024 * 768);
    for (int32_t y = 0; y < 768; ++y) {
        for (int32_t x = 0; x < 1024; ++x) p[y * 1024 + x] = ScreenCells()[RingIndex(x, y)];
    }
    return p;
}

// What shading the rectangle gives, pixel by pixel: the level from the
// closed formula, the carry along each cell's rows. shaded marks every pixel
// written; limit_x/limit_y cut as the operations do.
struct Shaded {
    std::vector<uint16_t> picture;
    std::vector<bool> written;
    // LightGridWork after the call: the bands below the wrap once anything is
    // shaded, the other three from the last interpolated cell.
    int32_t work[4];
};

Shaded ReferenceShade(const std::vector<uint16_t> &in, int32_t left, int32_t top, int32_t right,
                      int32_t bottom, int32_t limit_x = 1024, int32_t limit_y = 768) {
    const RuvoDrawBlock &b = theDrawBlock;
    Shaded out{in, std::vector<bool>(in.size()), {}};
    std::copy(std::begin(b.LightGridWork), std::end(b.LightGridWork), out.work);
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, limit_x - 1);
    bottom = std::min(bottom, limit_y - 1);
    if (left > right || top > bottom) return out;
    const int32_t width = right - left + 1, height = bottom - top + 1, wrap = b.WrapRow;
    int32_t bands = height / 8;
    if (top < wrap && top + height > wrap) {
        const int32_t above = wrap - top, below = top + height - wrap;
        bands = above / 8 + (above % 8 ? 1 : 0) + below / 8;
    }
    if (bands == 0 || width / 16 == 0) return out;
    out.work[2] = top >= wrap ? bands : top + height <= wrap ? 0 : (top + height - wrap) / 8;
    const auto spread = b.SpreadMask;
    const auto not_high = static_cast<uint16_t>(b.NotHighBitsMask);
    for (int32_t n = 0; n < bands; ++n) {
        if (top + 8 * n >= limit_y) break;
        const int32_t rows = std::min(8, limit_y - (top + 8 * n));
        for (int32_t cell = 0; cell < width / 16; ++cell) {
            const int32_t i = left / 16 + cell, j = top / 8 + n;
            const int32_t tl = b.LightGrid[j][i], tr = b.LightGrid[j][i + 1];
            const int32_t bl = b.LightGrid[j + 1][i], br = b.LightGrid[j + 1][i + 1];
            const bool zero = tl == 0 && tr == 0 && bl == 0 && br == 0;
            const bool full = tl == 0x80 && tr == 0x80 && bl == 0x80 && br == 0x80;
            const int32_t e = (tl + br - tr - bl) >> 2;
            uint32_t carry = 0;
            for (int32_t py = 0; py < 8; ++py) {
                const int32_t y = top + 8 * n + py;
                if (y >= limit_y) break;
                if (py > 0 && y == wrap) carry = 0;
                for (int32_t px = 0; px < 16; ++px) {
                    const int32_t x = left + 16 * cell + px;
                    const uint16_t p = in[y * 1024 + x];
                    uint16_t &q = out.picture[y * 1024 + x];
                    out.written[y * 1024 + x] = true;
                    if (zero) {
                        q = static_cast<uint16_t>((p >> 1) & not_high);
                        continue;
                    }
                    const int32_t level =
                        32 * (tl + 127) + 4 * py * (bl - tl) + 2 * px * (tr - tl) + px * py * e;
                    const auto m = static_cast<uint32_t>(level >> 8);
                    if (full || m == 32) continue;
                    const uint32_t t = Spread(p, spread) * m + carry;
                    carry = t & spread;
                    q = Fold((t >> 5) & spread);
                }
            }
            if (!zero && !full) {
                out.work[0] = 2 * (tr - tl) + rows * e;
                out.work[1] = 4 * (bl - tl);
                out.work[3] = static_cast<int32_t>(carry);
            }
        }
    }
    return out;
}

// A grid of zones: uniform 0, uniform 0x80, and random bytes, so that every
// way a cell can go, and the borders between them, appear. Zones are
// zone_width corners wide; with near_full a fourth zone holds values around
// 0x81, where pixels keep their value (m = 32) inside interpolated cells.
void FillGridInZones(std::mt19937 &rng, int zone_width = 5, bool near_full = false) {
    std::uniform_int_distribution<int> byte(0, 255), near(0x78, 0x8A);
    const int zone_seed = byte(rng), zones = near_full ? 4 : 3;
    for (int j = 0; j < 97; ++j) {
        for (int i = 0; i < 80; ++i) {
            const int zone = ((i / zone_width) * 7 + (j / 3) * 13 + zone_seed) % zones;
            theDrawBlock.LightGrid[j][i] = static_cast<uint8_t>(zone == 0   ? 0
                                                                : zone == 1 ? 0x80
                                                                : zone == 2 ? byte(rng)
                                                                            : near(rng));
        }
    }
}

void FillScreenRandomly(std::mt19937 &rng) {
    uint16_t *cells = ScreenCells();
    for (int32_t i = 0; i < kLayerCells + kLayerWidth; ++i) cells[i] = static_cast<uint16_t>(rng());
}

struct Rect {
    int32_t left, top, right, bottom;
};

Rect RandomRect(std::mt19937 &rng) {
    auto pick = [&](int32_t lo, int32_t hi) {
        return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
    };
    if (pick(0, 1)) {  // whole cells
        const int32_t l = 16 * pick(0, 63), t = 8 * pick(0, 95);
        return {l, t, l + 16 * pick(1, 64 - l / 16) - 1, t + 8 * pick(1, 96 - t / 8) - 1};
    }
    const int32_t l = pick(-20, 1000), t = pick(-20, 760);
    return {l, t, l + pick(0, 300), t + pick(0, 200)};
}

struct FormatCase {
    uint32_t r, g, b;
};
constexpr FormatCase kFormats[] = {
    {0xF800, 0x07E0, 0x001F}, {0x7C00, 0x03E0, 0x001F}, {0x001F, 0x07E0, 0xF800}};

// Replay one seed with --gtest_filter and the seed printed in the failure.
TEST_F(LightGridTest, ApplyLightGrid_MatchesTheReferenceOnRandomGridsViewsAndRectangles) {
    for (uint32_t seed = 1; seed <= 24; ++seed) {
        std::mt19937 rng(seed);
        const FormatCase &f = kFormats[seed % 3];
        op->AnalysePixelFormat(f.r, f.g, f.b);
        FillGridInZones(rng);
        FillScreenRandomly(rng);
        SetView(static_cast<int32_t>(rng() % 0xC0000) * 2);
        const Rect r = RandomRect(rng);
        const Shaded want = ReferenceShade(Picture(), r.left, r.top, r.right, r.bottom);
        StorageGuard guard;
        guard.AllowLogical(Layer::Screen, {0, 0, 1023, 767});
        guard.AllowField(offsetof(RuvoDrawBlock, LightGridWork), 16);
        op->ApplyLightGrid(r.left, r.top, r.right, r.bottom);
        ASSERT_EQ(guard.Violations(), "") << "seed " << seed;
        const std::vector<uint16_t> got = Picture();
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i], want.picture[i])
                << "seed " << seed << " at " << i % 1024 << "," << i / 1024;
        }
    }
}

TEST_F(LightGridTest, PresentLit_MatchesTheReferenceAndLeavesTheLayerAlone) {
    for (uint32_t seed = 100; seed < 116; ++seed) {
        std::mt19937 rng(seed);
        const FormatCase &f = kFormats[seed % 3];
        Platform().red_mask = f.r;
        Platform().green_mask = f.g;
        Platform().blue_mask = f.b;
        const bool small = seed % 2;  // a mode smaller than the layer cuts the rectangle
        OpenReady(small ? 800 : 1024, small ? 600 : 768);
        FillGridInZones(rng);
        FillScreenRandomly(rng);
        SetView(static_cast<int32_t>(rng() % 0xC0000) * 2);
        const Rect r = RandomRect(rng);
        const memory::SurfaceView s = memory::Surface();
        const Shaded want =
            ReferenceShade(Picture(), r.left, r.top, r.right, r.bottom, s.width, s.height);
        StorageGuard guard;
        guard.AllowField(offsetof(RuvoDrawBlock, LightGridWork), 16);
        RUVO_ALLOW_FIELD(guard, SurfacePitch);
        EXPECT_EQ(op->PresentLit(r.left, r.top, r.right, r.bottom), 0);
        ASSERT_EQ(guard.Violations(), "") << "seed " << seed;
        for (int32_t y = 0; y < s.height; ++y) {
            for (int32_t x = 0; x < s.width; ++x) {
                const size_t i = y * 1024 + x;
                ASSERT_EQ(s.At(x, y), want.written[i] ? want.picture[i] : 0)
                    << "seed " << seed << " at " << x << "," << y;
            }
        }
    }
}

// The kernel paths this build and CPU can run; each is forced in turn.
struct PathCase {
    SimdPath path;
    const char *name;
};
std::vector<PathCase> RunnablePaths() {
    std::vector<PathCase> paths;
    for (PathCase c : {PathCase{SimdPath::Scalar, "scalar"}, PathCase{SimdPath::Sse2, "sse2"},
                       PathCase{SimdPath::Avx2, "avx2"}, PathCase{SimdPath::Avx512, "avx512"}}) {
        if (UseSimdPath(c.path)) paths.push_back(c);
    }
    UseSimdPath(SimdPath::Fastest);
    return paths;
}

// The rectangles the lanes must get right, besides RandomRect's: full-width
// bands (long runs of side-by-side cells), runs that end in a remainder of
// cells, and rectangles cut at the right or bottom edge.
Rect LaneRect(std::mt19937 &rng) {
    auto pick = [&](int32_t lo, int32_t hi) {
        return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
    };
    switch (pick(0, 3)) {
        case 0:
            return {0, 0, 1023, 767};
        case 1: {
            const int32_t t = pick(0, 700);
            return {pick(0, 15), t, 1023 + pick(0, 40), t + pick(7, 120)};
        }
        case 2: {
            const int32_t l = 16 * pick(0, 40);
            return {l, 8 * pick(0, 80), l + 16 * pick(1, 23) + pick(0, 15) - 1, 767 + pick(0, 20)};
        }
        default:
            return RandomRect(rng);
    }
}

// Sets up seed's format, grid and picture; returns the ScrollOffset to set:
// mostly views whose wrap splits a band, and some without a wrap.
int32_t SetUpLaneSeed(RuvoOperations *op, uint32_t seed, std::mt19937 &rng) {
    const FormatCase &f = kFormats[seed % 3];
    op->AnalysePixelFormat(f.r, f.g, f.b);
    constexpr int kZoneWidths[] = {1, 5, 16, 80};
    FillGridInZones(rng, kZoneWidths[seed % 4], seed % 5 < 2);
    FillScreenRandomly(rng);
    return seed % 7 == 0 ? 0 : static_cast<int32_t>(rng() % 0xC0000) * 2;
}

// Every cell of the layer, its OverflowRow included.
std::vector<uint16_t> RawScreen() {
    return std::vector<uint16_t>(ScreenCells(), ScreenCells() + kLayerCells + kLayerWidth);
}
void RestoreScreen(const std::vector<uint16_t> &cells) {
    std::copy(cells.begin(), cells.end(), ScreenCells());
}

constexpr int32_t kUntouchedWork[4] = {0x5A5A5A5A, -7, 0x1234567, -0x7FFFFFF};

std::string WorkMismatch(const int32_t (&got)[4], const int32_t (&want)[4]) {
    std::string out;
    for (int k = 0; k < 4; ++k) {
        if (got[k] != want[k]) {
            out += "word " + std::to_string(k) + ": " + std::to_string(got[k]) + " want " +
                   std::to_string(want[k]) + "; ";
        }
    }
    return out;
}

// Each path, forced, gives the reference's pixels and working words and
// exactly what the scalar path gives, on grids whose runs of interpolated
// cells fill whole vectors, leave remainders, split at the wrap and are cut.
TEST_F(LightGridTest, ApplyLightGrid_EveryPathMatchesTheReferenceAndTheScalarPath) {
    const std::vector<PathCase> paths = RunnablePaths();
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(seed * 7919);
        SetView(SetUpLaneSeed(op, seed, rng));
        const Rect r = LaneRect(rng);
        std::copy(std::begin(kUntouchedWork), std::end(kUntouchedWork), db->LightGridWork);
        const std::vector<uint16_t> before = RawScreen();
        const Shaded want = ReferenceShade(Picture(), r.left, r.top, r.right, r.bottom);
        std::vector<uint16_t> scalar;
        for (const PathCase &path : paths) {
            RestoreScreen(before);
            std::copy(std::begin(kUntouchedWork), std::end(kUntouchedWork), db->LightGridWork);
            ASSERT_TRUE(UseSimdPath(path.path));
            op->ApplyLightGrid(r.left, r.top, r.right, r.bottom);
            const std::vector<uint16_t> got = Picture();
            for (size_t i = 0; i < got.size(); ++i) {
                ASSERT_EQ(got[i], want.picture[i])
                    << path.name << " seed " << seed << " at " << i % 1024 << "," << i / 1024;
            }
            ASSERT_EQ(WorkMismatch(db->LightGridWork, want.work), "")
                << path.name << " seed " << seed;
            if (path.path == SimdPath::Scalar) scalar = RawScreen();
            ASSERT_EQ(RawScreen(), scalar) << path.name << " seed " << seed;
        }
    }
}

TEST_F(LightGridTest, PresentLit_EveryPathMatchesTheReferenceAndTheScalarPath) {
    const std::vector<PathCase> paths = RunnablePaths();
    struct Mode {
        int32_t width, height;
    };
    // Heights that are no multiple of 8 cut the last band.
    constexpr Mode kModes[] = {{1024, 768}, {800, 600}, {1024, 765}, {640, 477}};
    for (uint32_t seed = 200; seed < 232; ++seed) {
        std::mt19937 rng(seed);
        const Mode mode = kModes[seed % 4];
        const FormatCase &f = kFormats[seed % 3];
        Platform().red_mask = f.r;
        Platform().green_mask = f.g;
        Platform().blue_mask = f.b;
        OpenReady(mode.width, mode.height);
        SetView(SetUpLaneSeed(op, seed, rng));
        const Rect r = LaneRect(rng);
        const memory::SurfaceView surface = memory::Surface();
        std::copy(std::begin(kUntouchedWork), std::end(kUntouchedWork), db->LightGridWork);
        const Shaded want = ReferenceShade(Picture(), r.left, r.top, r.right, r.bottom,
                                           surface.width, surface.height);
        std::vector<uint16_t> scalar;
        for (const PathCase &path : paths) {
            // The surface memory is the test's to clear between paths.
            std::memset(const_cast<uint8_t *>(surface.bytes), 0,
                        static_cast<size_t>(surface.pitch) * surface.height);
            std::copy(std::begin(kUntouchedWork), std::end(kUntouchedWork), db->LightGridWork);
            ASSERT_TRUE(UseSimdPath(path.path));
            StorageGuard guard;
            guard.AllowField(offsetof(RuvoDrawBlock, LightGridWork), 16);
            RUVO_ALLOW_FIELD(guard, SurfacePitch);
            EXPECT_EQ(op->PresentLit(r.left, r.top, r.right, r.bottom), 0);
            ASSERT_EQ(guard.Violations(), "") << path.name << " seed " << seed;
            std::vector<uint16_t> shown;
            for (int32_t y = 0; y < surface.height; ++y) {
                for (int32_t x = 0; x < surface.width; ++x) {
                    const size_t i = y * 1024 + x;
                    shown.push_back(surface.At(x, y));
                    ASSERT_EQ(surface.At(x, y), want.written[i] ? want.picture[i] : 0)
                        << path.name << " seed " << seed << " at " << x << "," << y;
                }
            }
            ASSERT_EQ(WorkMismatch(db->LightGridWork, want.work), "")
                << path.name << " seed " << seed;
            if (path.path == SimdPath::Scalar) scalar = shown;
            ASSERT_EQ(shown, scalar) << path.name << " seed " << seed;
        }
    }
}

// One cell at (16 i, 8 j) of the given corners over the given pixels; returns the shaded cell.
struct CellResult {
    uint16_t pixel[8][16];
};

CellResult ShadeOneCell(RuvoOperations *op, uint8_t tl, uint8_t tr, uint8_t bl, uint8_t br,
                        const uint16_t (&pixels)[8][16]) {
    FillGrid(0x80);
    SetCell(2, 3, tl, tr, bl, br);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) ScreenCells()[RingIndex(32 + x, 24 + y)] = pixels[y][x];
    }
    op->ApplyLightGrid(32, 24, 47, 31);
    CellResult r;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) r.pixel[y][x] = ScreenCells()[RingIndex(32 + x, 24 + y)];
    }
    return r;
}

TEST_F(LightGridTest, UniformCells_WorkedValuesIn565) {
    uint16_t white[8][16];
    for (auto &row : white) std::fill(std::begin(row), std::end(row), kWhite);
    struct Case {
        uint8_t corner;
        uint16_t first, second;
    };
    const Case cases[] = {
        {0x00, 0x7BEF, 0x7BEF},  // halved
        {0x80, 0xFFFF, 0xFFFF},  // untouched
        {0x40, 0xB5B6, 0xB5D6},  // m = 23; the second brighter by the first one's carry
        {0x81, 0xFFFF, 0xFFFF},  // m = 32 everywhere
    };
    for (const Case &c : cases) {
        const CellResult r = ShadeOneCell(op, c.corner, c.corner, c.corner, c.corner, white);
        EXPECT_EQ(r.pixel[0][0], c.first) << int{c.corner};
        EXPECT_EQ(r.pixel[0][1], c.second) << int{c.corner};
    }
}

TEST_F(LightGridTest, OneScaledPixel_LeavesItsCarryInTheWorkingWord) {
    // Corners 0, 0, 0, 1 give m = 15 everywhere; black pixels carry nothing.
    uint16_t pixels[8][16] = {};
    pixels[7][15] = kWhite;
    const CellResult r = ShadeOneCell(op, 0, 0, 0, 1, pixels);
    EXPECT_EQ(r.pixel[7][15], 0x73AE);
    EXPECT_EQ(r.pixel[7][14], 0);
    EXPECT_EQ(static_cast<uint32_t>(db->LightGridWork[3]), 0x06208811u);
}

// TL = BR = 0x80, TR = BL = 0: E = 64. One white pixel in black shows its m.
TEST_F(LightGridTest, InterpolatedCell_MultipliersAtTheCorners) {
    struct Case {
        int px, py;
        uint32_t m;
    };
    const Case cases[] = {{0, 0, 31}, {15, 0, 16}, {0, 7, 17}, {15, 7, 29}};
    for (const Case &c : cases) {
        uint16_t pixels[8][16] = {};
        pixels[c.py][c.px] = kWhite;
        const CellResult r = ShadeOneCell(op, 0x80, 0, 0, 0x80, pixels);
        EXPECT_EQ(r.pixel[c.py][c.px], ScaleBy32nds(kWhite, c.m, 0x07E0F81F))
            << c.px << "," << c.py;
    }
}

// Corner values above 0x81 scale past full: no clamping, the bits kept are those in the mask.
TEST_F(LightGridTest, BrightCorners_ScaleWithoutClamping) {
    uint16_t pixels[8][16] = {};
    pixels[0][0] = 0x0841;  // 1, 2, 1 in 5-6-5
    pixels[0][1] = kWhite;
    const CellResult r = ShadeOneCell(op, 0xFF, 0xFF, 0xFF, 0xFF, pixels);  // m = 47
    // 1 * 47 / 32 = 1 in red and blue, 2 * 47 / 32 = 2 in green.
    EXPECT_EQ(r.pixel[0][0], 0x0841);
    // White overflows every channel; what is left inside the mask is dark.
    EXPECT_EQ(r.pixel[0][1], 0x73AE);
}

// Whole cells across WrapRow with WrapRow - top not a multiple of 8: each pixel once.
TEST_F(LightGridTest, RectangleAcrossTheWrap_IsShadedOnceAndSplitsTheBand) {
    FillGrid(0);
    FillLayer(Layer::Screen, kWhite);
    SetView(2048 * 100 + 2 * 8);          // WrapRow 668
    op->ApplyLightGrid(0, 664, 63, 679);  // bands 664..671 (4 rows above) and 672..679
    for (int32_t y = 660; y < 684; ++y) {
        for (int32_t x = 0; x < 70; ++x) {
            const uint16_t want = y >= 664 && y <= 679 && x < 64 ? 0x7BEF : kWhite;
            ASSERT_EQ(At(Layer::Screen, x, y), want) << x << "," << y;
        }
    }
    EXPECT_EQ(db->LightGridWork[2], 1);  // bands below the wrap
}

// The carry starts again at the first row below the wrap: rows 668.. of the
// split band, holding the same pixels as rows 664.., shade the same.
TEST_F(LightGridTest, SplitBand_RestartsTheCarryBelowTheWrap) {
    SetView(2048 * 100);  // WrapRow 668
    FillGrid(0x80);
    SetCell(0, 83, 0x40, 0x40, 0x40, 0x40);  // cell rows 664..671, m = 23
    std::mt19937 rng(5);
    for (int32_t k = 0; k < 4; ++k) {
        for (int32_t x = 0; x < 16; ++x) {
            At(Layer::Screen, x, 664 + k) = At(Layer::Screen, x, 668 + k) =
                static_cast<uint16_t>(rng());
        }
    }
    op->ApplyLightGrid(0, 664, 15, 671);
    for (int32_t k = 0; k < 4; ++k) {
        for (int32_t x = 0; x < 16; ++x) {
            ASSERT_EQ(At(Layer::Screen, x, 668 + k), At(Layer::Screen, x, 664 + k))
                << x << "," << k;
        }
    }
}

// An unaligned rectangle takes the corners of the cell holding its top-left pixel.
TEST_F(LightGridTest, UnalignedRectangle_UsesTheCellOfItsTopLeftPixel) {
    FillGrid(0x80);
    SetCell(1, 1, 0, 0, 0, 0);  // the cell of (20, 12)
    FillLayer(Layer::Screen, kWhite);
    op->ApplyLightGrid(20, 12, 35, 19);
    for (int32_t y = 8; y < 24; ++y) {
        for (int32_t x = 0; x < 48; ++x) {
            const bool shaded = x >= 20 && x <= 35 && y >= 12 && y <= 19;
            ASSERT_EQ(At(Layer::Screen, x, y), shaded ? 0x7BEF : kWhite) << x << "," << y;
        }
    }
}

TEST_F(LightGridTest, TooNarrowOrTooLowShadesNothing) {
    FillGrid(0);
    FillLayer(Layer::Screen, kWhite);
    const Rect cases[] = {{0, 0, 14, 7}, {0, 0, 1023, 6}, {100, 100, 50, 200}, {0, 0, -1, -1}};
    for (const Rect &r : cases) {
        StorageGuard guard;
        op->ApplyLightGrid(r.left, r.top, r.right, r.bottom);
        EXPECT_EQ(guard.Violations(), "") << r.left << "," << r.top << "," << r.right;
    }
}

// Mended: rectangles past the layer are cut to it, so no grid corner past
// 64 x 96 and no cell outside the layer is touched.
TEST_F(LightGridTest, RectangleOutsideTheLayer_IsCutToIt) {
    FillGrid(0);
    FillLayer(Layer::Screen, kWhite);
    StorageGuard guard;
    guard.AllowLogical(Layer::Screen, {0, 0, 1023, 767});
    guard.AllowField(offsetof(RuvoDrawBlock, LightGridWork), 16);
    op->ApplyLightGrid(-100, -50, 5000, 5000);
    EXPECT_EQ(guard.Violations(), "");
    EXPECT_EQ(At(Layer::Screen, 0, 0), 0x7BEF);
    EXPECT_EQ(At(Layer::Screen, 1023, 767), 0x7BEF);
}

// An unaligned rectangle crossing the wrap near the bottom would have bands past row 767.
TEST_F(LightGridTest, SplitBandNearTheBottom_StopsAtTheLastRow) {
    FillGrid(0);
    FillLayer(Layer::Screen, kWhite);
    SetView(2048 * 9);  // WrapRow 759
    StorageGuard guard;
    guard.AllowLogical(Layer::Screen, {0, 0, 1023, 767});
    guard.AllowField(offsetof(RuvoDrawBlock, LightGridWork), 16);
    op->ApplyLightGrid(0, 756, 31, 767);  // 3 rows above the wrap, 9 below: two bands
    EXPECT_EQ(guard.Violations(), "");
    for (int32_t y = 756; y < 768; ++y) EXPECT_EQ(At(Layer::Screen, 5, y), 0x7BEF) << y;
}

TEST_F(LightGridTest, PresentLit_InsideTheHostsLockAndWithAFailingLock) {
    OpenReady();
    FillGrid(0x80);
    FillLayer(Layer::Screen, 0x4321);
    ASSERT_EQ(op->LockPrimary(), 1);
    void *locked = db->SurfacePointer;
    EXPECT_EQ(op->PresentLit(0, 0, 15, 7), 0);
    EXPECT_EQ(db->SurfacePointer, locked);
    EXPECT_EQ(memory::Surface().At(15, 7), 0x4321);
    op->UnlockPrimary();

    Platform().lock_failure = platform::kGenericFailure;
    EXPECT_EQ(op->PresentLit(16, 0, 31, 7), 0);
    EXPECT_EQ(memory::Surface().At(16, 0), 0);
    EXPECT_EQ(Calls().unlock, 1);  // only the host's

    Platform().lock_failure = platform::kOk;
    Platform().unlock_result = platform::kSurfaceLost;
    EXPECT_EQ(op->PresentLit(16, 0, 31, 7), platform::kSurfaceLost);
    EXPECT_EQ(memory::Surface().At(16, 0), 0x4321);
}

}  // namespace
}  // namespace ruvo::test
