// Out-of-contract rectangles and steps: harmless, whatever the numbers.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/support/library_fixture.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {
namespace {

class BadInputTest : public LibraryTest {
  protected:
    // Mostly near the layer's edges, sometimes anywhere in 32 bits.
    int32_t Garbage() {
        switch (rng_() % 4) {
            case 0:
                return static_cast<int32_t>(rng_());
            case 1:
                return static_cast<int32_t>(rng_() % 4000) - 1500;
            case 2:
                return static_cast<int32_t>(rng_() % 64) - 32;
            default: {
                const int32_t edges[] = {0, 767, 768, 1023, 1024, INT32_MAX, INT32_MIN, -1};
                return edges[rng_() % 8];
            }
        }
    }
    void RandomView() { SetView(static_cast<int32_t>(rng_() % (0x180000 / 2)) * 2); }

    std::mt19937 rng_{20261208};
};

TEST_F(BadInputTest, Transfers_WriteOnlyTheCutRectangle) {
    std::vector<uint16_t> image(1024 * 768);
    for (int i = 0; i < 300; ++i) {
        RandomView();
        const int32_t x = Garbage(), y = Garbage(), w = Garbage(), h = Garbage();
        StorageGuard guard;
        guard.AllowLogical(Layer::Screen, CutToLayer(x, y, w / 4 * 4, h));
        op->CopyBackToScreen(x, y, w, h);
        // The destination is an image of the layer's own size at the same
        // position, so every pixel that is copied has a place in it.
        op->ReadScreenRect(x, y, w, h, x, y, 1024, image.data());
        ASSERT_EQ(guard.Violations(), "") << x << " " << y << " " << w << " " << h;
    }
}

TEST_F(BadInputTest, ClearDepthFlag_TouchesOnlyTheCutRectangle) {
    FillLayer(Layer::Depth, 0xFFFF);
    for (int i = 0; i < 300; ++i) {
        RandomView();
        const int32_t x = Garbage(), y = Garbage(), w = Garbage(), h = Garbage();
        StorageGuard guard;
        guard.AllowLogical(Layer::Depth, CutToLayer(x, y, w, h));
        op->ClearDepthFlag(x, y, w, h);
        ASSERT_EQ(guard.Violations(), "") << x << " " << y << " " << w << " " << h;
    }
}

TEST_F(BadInputTest, ResetDepth_StaysInsideClipCutToTheLayer) {
    for (int i = 0; i < 300; ++i) {
        RandomView();
        SetClip(Garbage(), Garbage(), Garbage(), Garbage());
        StorageGuard guard;
        guard.AllowLogical(Layer::Depth, LayerClip());
        op->ResetDepth();
        ASSERT_EQ(guard.Violations(), "")
            << db->ClipLeft << " " << db->ClipTop << " " << db->ClipRight << " " << db->ClipBottom;
    }
}

TEST_F(BadInputTest, Scroll_AnyStepKeepsTheViewConsistent) {
    for (int i = 0; i < 300; ++i) {
        RandomView();
        const int32_t dx = Garbage(), dy = Garbage();
        StorageGuard guard;
        for (Layer layer : {Layer::Screen, Layer::Back, Layer::Depth}) guard.AllowWholeLayer(layer);
        RUVO_ALLOW_FIELD(guard, ScrollOffset);
        RUVO_ALLOW_FIELD(guard, WrapRow);
        op->Scroll(dx, dy);
        ASSERT_EQ(guard.Violations(), "") << dx << " " << dy;
        ASSERT_GE(db->ScrollOffset, 0);
        ASSERT_LT(db->ScrollOffset, 0x180000);
        ASSERT_EQ(db->ScrollOffset % 2, 0);
        ASSERT_EQ(db->WrapRow, 768 - db->ScrollOffset / 2048);
    }
}

}  // namespace
}  // namespace ruvo::test
