// The TileShape as the operations lay it into a layer: pixels per row, their
// columns, the order of the TileBytes, and the tile codec's view of the same.
#include <gtest/gtest.h>

#include <random>

#include "tests/tiles/tile_fixture.h"

namespace ruvo::test {
namespace {

using TileGeometryTest = TileTest;

constexpr int32_t kX = 500, kY = 300;

struct RowCase {
    int32_t row, pixels, first_dx, last_dx;
};

// Rows of the footprint table, relative to the anchor.
constexpr RowCase kRowCases[] = {
    {0, 3, -1, 1},     {1, 7, -3, 3},     {7, 31, -15, 15},  {14, 59, -29, 29}, {15, 63, -31, 31},
    {16, 61, -30, 30}, {17, 57, -28, 28}, {24, 29, -14, 14}, {30, 5, -2, 2},    {31, 1, 0, 0},
};

// Marks the footprint with BlackenTile on a white layer.
TEST_F(TileGeometryTest, Footprint_HasTheTabledRows) {
    FillLayer(Layer::Screen, 0xFFFF);
    const assets::TileBytes ones = Uniform(1);
    op->BlackenTile(kX, kY, 0, 0, 0, 0, ones.data());

    int32_t upper = 0, total = 0;
    for (int32_t r = -1; r <= 32; ++r) {
        int32_t count = 0, first = 9999, last = -9999;
        for (int32_t c = 0; c < kLayerWidth; ++c) {
            if (At(Layer::Screen, c, kY + r) != 0) continue;
            ++count;
            first = std::min(first, c - kX);
            last = std::max(last, c - kX);
        }
        if (r < 0 || r > 31) {
            EXPECT_EQ(count, 0) << "row " << r;
            continue;
        }
        // Contiguous, centred on the axis, 3 + 4r wide above, 61 - 4k below.
        const int32_t want = r < 16 ? 3 + 4 * r : 61 - 4 * (r - 16);
        EXPECT_EQ(count, want) << "row " << r;
        EXPECT_EQ(last - first + 1, count) << "row " << r;
        EXPECT_EQ(first, -last) << "row " << r;
        if (r < 16) upper += count;
        total += count;
    }
    EXPECT_EQ(upper, 528);
    EXPECT_EQ(total, 1024);

    for (const RowCase &c : kRowCases) {
        const int32_t row = kY + c.row;
        EXPECT_EQ(At(Layer::Screen, kX + c.first_dx - 1, row), 0xFFFF) << "row " << c.row;
        EXPECT_EQ(At(Layer::Screen, kX + c.first_dx, row), 0) << "row " << c.row;
        EXPECT_EQ(At(Layer::Screen, kX + c.last_dx, row), 0) << "row " << c.row;
        EXPECT_EQ(At(Layer::Screen, kX + c.last_dx + 1, row), 0xFFFF) << "row " << c.row;
    }
}

// Draws the low and the high byte of every byte's index, then reads the index
// back from pixels at the ends of rows (the reference test covers the rest).
TEST_F(TileGeometryTest, TileBytes_AreTakenRowByRowLeftToRight) {
    FillShadeTableWithIndices();
    assets::TileBytes low, high;
    for (int i = 0; i < 1024; ++i) {
        low[i] = static_cast<uint8_t>(i);
        high[i] = static_cast<uint8_t>(i >> 8);
    }
    auto index_at = [&](int32_t dx, int32_t r) {
        op->DrawShadedTile(kX, kY, 0, 0, 0, 0, high.data());
        const int32_t hi = At(Layer::Back, kX + dx, kY + r);
        op->DrawShadedTile(kX, kY, 0, 0, 0, 0, low.data());
        return hi * 256 + At(Layer::Back, kX + dx, kY + r);
    };

    struct Case {
        int32_t dx, row, byte;
    };
    constexpr Case kCases[] = {
        {-1, 0, 0},    {1, 0, 2},      {-3, 1, 3},    {-31, 15, 465},
        {31, 15, 527}, {-30, 16, 528}, {30, 16, 588}, {0, 31, 1023},
    };
    for (const Case &c : kCases) {
        EXPECT_EQ(index_at(c.dx, c.row), c.byte) << "(" << c.dx << ", " << c.row << ")";
    }
}

TEST_F(TileGeometryTest, Codec_RoundTripsAndMasksTheDiamond) {
    std::mt19937 rng(7);
    assets::TileBytes bytes;
    for (auto &b : bytes) b = static_cast<uint8_t>(rng());
    const assets::TileImage image = assets::DecodeTile(bytes, 0xEE);
    EXPECT_EQ(assets::EncodeTile(image), bytes);

    int inside = 0;
    for (int r = 0; r < assets::kTileImageHeight; ++r) {
        for (int c = 0; c < assets::kTileImageWidth; ++c) {
            if (assets::InTileShape(c, r)) {
                ++inside;
            } else {
                EXPECT_EQ(image[r * 63 + c], 0xEE) << c << ", " << r;
            }
        }
    }
    EXPECT_EQ(inside, 1024);

    // Pixels outside the diamond do not reach the bytes.
    assets::TileImage noisy = image;
    for (int i = 0; i < 63 * 32; ++i) {
        if (!assets::InTileShape(i % 63, i / 63)) noisy[i] = static_cast<uint8_t>(rng());
    }
    EXPECT_EQ(assets::EncodeTile(noisy), bytes);
}

// An image encoded and drawn comes back at its place: image column c is layer
// column x - 31 + c.
TEST_F(TileGeometryTest, Codec_ImageLandsAroundTheAnchor) {
    FillShadeTableWithIndices();
    assets::TileImage image;
    for (int i = 0; i < 63 * 32; ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
    const assets::TileBytes bytes = assets::EncodeTile(image);
    op->DrawShadedTile(kX, kY, 9, 9, 9, 9, bytes.data());
    for (int r = 0; r < 32; ++r) {
        for (int c = 0; c < 63; ++c) {
            if (!assets::InTileShape(c, r)) continue;
            ASSERT_EQ(At(Layer::Back, kX - 31 + c, kY + r), image[r * 63 + c]) << c << ", " << r;
        }
    }
}

}  // namespace
}  // namespace ruvo::test
