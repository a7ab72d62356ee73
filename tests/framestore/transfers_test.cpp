// Rectangle copies between layers and host images.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/library_fixture.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {
namespace {

using TransfersTest = LibraryTest;

TEST_F(TransfersTest, CopyBackToScreen_FullFrameMatchesBackAtAnyOffset) {
    for (int32_t s : {0, 2048 * 100, 2048 * 100 + 48, 0x17FFFE}) {
        SetView(s);
        FillLayerWithPattern(Layer::Back, s);
        FillLayer(Layer::Screen, 0);
        op->CopyBackToScreen(0, 0, 1024, 768);
        for (int32_t y = 0; y < 768; y += 13) {
            for (int32_t x = 0; x < 1024; x += 7) {
                ASSERT_EQ(At(Layer::Screen, x, y), At(Layer::Back, x, y))
                    << s << " " << x << "," << y;
            }
        }
    }
}

TEST_F(TransfersTest, CopyBackToScreen_AcrossWrapRow_WritesEndAndStartOfStorage) {
    SetView(2048 * 100);  // W = 668
    FillLayerWithPattern(Layer::Back, 1);
    StorageGuard guard;
    guard.AllowLogical(Layer::Screen, {16, 667, 47, 668});
    op->CopyBackToScreen(16, 667, 32, 2);
    EXPECT_EQ(guard.Violations(), "");
    EXPECT_EQ(Stored(Layer::Screen, 767, 16), Stored(Layer::Back, 767, 16));
    EXPECT_EQ(Stored(Layer::Screen, 0, 47), Stored(Layer::Back, 0, 47));
    EXPECT_EQ(Stored(Layer::Screen, 0, 48), 0);
}

// Only whole steps of four pixels are copied.
TEST_F(TransfersTest, CopyBackToScreen_CopiesWholeStepsOfFour) {
    FillLayer(Layer::Back, 0x5555);
    op->CopyBackToScreen(8, 3, 7, 1);
    EXPECT_EQ(At(Layer::Screen, 11, 3), 0x5555);
    EXPECT_EQ(At(Layer::Screen, 12, 3), 0);
}

TEST_F(TransfersTest, ReadScreenRect_LaysRowsOutAtTheDestinationPitch) {
    SetView(2048 * 300 + 2 * 5);
    FillLayerWithPattern(Layer::Screen, 4);
    std::vector<uint16_t> image(1024 * 4, 0);
    op->ReadScreenRect(100, 466, 10, 4, 0, 0, 1024, image.data());
    for (int32_t r = 0; r < 4; ++r) {
        for (int32_t c = 0; c < 10; ++c) {
            ASSERT_EQ(image[r * 1024 + c], At(Layer::Screen, 100 + c, 466 + r)) << r << "," << c;
        }
        EXPECT_EQ(image[r * 1024 + 10], 0);
    }
}

TEST_F(TransfersTest, ReadScreenRect_WidthZeroCopiesNothing) {
    FillLayer(Layer::Screen, 0x7777);
    std::vector<uint16_t> image(64, 0);
    op->ReadScreenRect(0, 0, 0, 3, 0, 0, 8, image.data());
    EXPECT_EQ(std::count(image.begin(), image.end(), 0), 64);
}

TEST_F(TransfersTest, CopyImageRect_UsesBothPitchesAndPositions) {
    std::vector<uint16_t> src(20 * 10), dst(16 * 12, 0);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint16_t>(i);
    op->CopyImageRect(3, 2, 20, src.data(), 5, 7, 16, dst.data(), 4, 3);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) EXPECT_EQ(dst[(7 + r) * 16 + 5 + c], src[(2 + r) * 20 + 3 + c]);
    }
    EXPECT_EQ(dst[7 * 16 + 9], 0);
    EXPECT_EQ(dst[10 * 16 + 5], 0);
}

// Rows go from the top, so a destination one row below its source repeats the first row.
TEST_F(TransfersTest, CopyImageRect_OverlappingRowsRepeatTheFirstRow) {
    std::vector<uint16_t> image(8 * 6);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint16_t>(100 + i);
    op->CopyImageRect(0, 0, 8, image.data(), 0, 1, 8, image.data(), 8, 5);
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 8; ++c) ASSERT_EQ(image[r * 8 + c], 100 + c) << r << "," << c;
    }
}

// Within a row, pixels go left to right one at a time: a destination one pixel
// to the right of its source smears the first pixel.
TEST_F(TransfersTest, CopyImageRect_OverlapWithinRowCopiesFrontToBack) {
    std::vector<uint16_t> image = {1, 2, 3, 4, 5, 6};
    op->CopyImageRect(0, 0, 6, image.data(), 1, 0, 6, image.data(), 5, 1);
    EXPECT_EQ(image, (std::vector<uint16_t>{1, 1, 1, 1, 1, 1}));
    image = {1, 2, 3, 4, 5, 6};
    op->CopyImageRect(1, 0, 6, image.data(), 0, 0, 6, image.data(), 5, 1);
    EXPECT_EQ(image, (std::vector<uint16_t>{2, 3, 4, 5, 6, 6}));
}

// A layer rectangle reaching outside the layer is cut, each remaining pixel
// landing where it would have.
TEST_F(TransfersTest, ReadScreenRect_CutAtLayerEdgeKeepsPlacement) {
    FillLayerWithPattern(Layer::Screen, 8);
    std::vector<uint16_t> image(8 * 8, 0xEEEE);
    op->ReadScreenRect(1020, -2, 8, 5, 0, 0, 8, image.data());
    EXPECT_EQ(image[2 * 8 + 0], At(Layer::Screen, 1020, 0));
    EXPECT_EQ(image[4 * 8 + 3], At(Layer::Screen, 1023, 2));
    EXPECT_EQ(image[2 * 8 + 4], 0xEEEE);  // column 1024 does not exist
    EXPECT_EQ(image[1 * 8 + 0], 0xEEEE);  // row -1 does not exist
}

}  // namespace
}  // namespace ruvo::test
