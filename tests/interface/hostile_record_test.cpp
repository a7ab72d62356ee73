// A host that writes fields of the record it should only read: the view, the
// layer geometry and addresses, the pixel-format fields and the working words.
// It may get a wrong picture, but no operation touches storage outside the
// layers, and the geometry fields and layer addresses change nothing at all.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <iterator>
#include <vector>

#include "tests/support/font_fixture.h"
#include "tests/support/sprite_fixture.h"
#include "tests/support/storage_guard.h"
#include "tiles/dither_phase.h"

namespace ruvo::test {
namespace {

constexpr int32_t kBadOffsets[] = {
    -2,       -1,         1,         0x180000,  0x17FFFF,
    0x180002, 0x7FFFFFFE, INT32_MIN, INT32_MAX, 0x300000 + 2048 * 5 + 6};
constexpr int32_t kBadWrapRows[] = {-5, 0, 769, 1 << 30, INT32_MIN, INT32_MAX};

class HostileRecordTest : public SpriteTest {
  protected:
    void SetUp() override {
        SpriteTest::SetUp();
        for (size_t i = 0; i < sizeof tile; ++i) tile[i] = static_cast<uint8_t>(i * 7 + 1);
    }

    // Every layer operation once, over the whole view and across its edges.
    void DrawEverything() {
        theDitherPhase = 0;
        op->ResetDepth();
        op->PutPixel(1023, 767, 0x1111);
        op->PutBackPixel(0, 0, 0x2222);
        op->FillRect(-5, -5, 2000, 2000, 0x3333);
        op->BlendRect(1000, 760, 100, 100, 0x4444);
        op->DrawRect(-1, 700, 1030, 68, 0x5555);
        op->DrawHLine(-10, 767, 2000, 0x6666);
        op->DrawVLine(1023, -10, 2000, 0x7777);
        op->DrawAnchoredRect(1023, 767, -1024, -768, 0x8888);
        op->DrawDottedEllipse(512, 384, 600, 0x9999, 1);
        op->CopyBackToScreen(0, 0, 1024, 768);
        op->ReadScreenRect(0, 0, 1024, 768, 0, 0, 1024, image.data());
        op->CopyImageRect(0, 0, 1024, image.data(), 0, 0, 1024, image.data(), 8, 8);
        op->ClearDepthFlag(0, 0, 1024, 768);
        op->ApplyLightGrid(0, 0, 1023, 767);
        op->DrawShadedTile(1000, 750, 5, 9, 40, 2, tile);
        op->TintTile(-20, 760, 0xABCD);
        op->DarkenTile(500, 766, 1, 2, 3, 4);
        op->BlackenTile(1010, 0, 0, 0, 0, 0, tile);
        for (int32_t x : {-3, 500, 1020}) {
            for (int32_t y : {-2, 383, 766}) {
                op->DrawScreenSprite(x, y, table, sprite.data());
                op->StampBackSprite(x, y, y, table, sprite.data());
                op->DrawScreenSpriteTested(x, y, y, table, sprite.data());
                op->DrawScreenBlendSpriteStippled(x, y, y, table, sprite.data());
                op->CastScreenShadow(x, y, 0xFFFF, sprite.data());
            }
        }
        op->DrawText(1000, 766, "AA", font.get(), table);
        op->DrawBackText(-4, 0, "AA", font.get(), table);
    }

    static void AllowLayersAndWork(StorageGuard &guard) {
        for (Layer layer : {Layer::Screen, Layer::Back, Layer::Depth}) guard.AllowWholeLayer(layer);
        RUVO_ALLOW_FIELD(guard, AnchoredRectWork);
        RUVO_ALLOW_FIELD(guard, LightGridWork);
    }

    static std::vector<uint8_t> Layers() {
        return {theLayers.bytes, theLayers.bytes + sizeof theLayers.bytes};
    }

    std::vector<uint16_t> image = std::vector<uint16_t>(size_t{1024} * 768);
    uint8_t tile[1024] = {};
    std::vector<uint8_t> sprite =
        PictureSprite({"abcdefgh", "a......h", "abcdefgh"}, RunCoding::IndexRuns, -2, -1);
    TestFont font{{{'A', {PictureSprite({"aba", "c.c"}, RunCoding::IndexRuns), 4}}}};
};

// The old failure: ResetDepth with a garbage offset or wrap row wrote far
// outside the depth layer.
TEST_F(HostileRecordTest, ResetDepth_GarbageViewStaysInTheDepthLayer) {
    for (int32_t offset : kBadOffsets) {
        for (int32_t wrap : kBadWrapRows) {
            db->ScrollOffset = offset;
            db->WrapRow = wrap;
            StorageGuard guard;
            guard.AllowWholeLayer(Layer::Depth);
            op->ResetDepth();
            ASSERT_EQ(guard.Violations(), "") << offset << " " << wrap;
        }
    }
}

TEST_F(HostileRecordTest, GarbageView_EveryOperationStaysInTheLayers) {
    for (int32_t offset : kBadOffsets) {
        db->ScrollOffset = offset;
        db->WrapRow = kBadWrapRows[static_cast<uint32_t>(offset) % std::size(kBadWrapRows)];
        StorageGuard guard;
        AllowLayersAndWork(guard);
        DrawEverything();
        ASSERT_EQ(guard.Violations(), "") << offset;
    }
}

// The wrap row follows from the offset: a garbled WrapRow alone changes no pixel.
TEST_F(HostileRecordTest, GarbageWrapRow_ChangesNothing) {
    SetView(2048 * 100 + 2 * 24);
    DrawEverything();
    const std::vector<uint8_t> want = Layers();
    for (int32_t wrap : kBadWrapRows) {
        std::memset(theLayers.bytes, 0, sizeof theLayers.bytes);
        SetView(2048 * 100 + 2 * 24);
        db->WrapRow = wrap;
        DrawEverything();
        ASSERT_TRUE(Layers() == want) << wrap;
    }
}

// Scroll from a garbage view leaves a view inside the documented ranges.
TEST_F(HostileRecordTest, Scroll_FromGarbageViewGivesAValidView) {
    for (int32_t offset : kBadOffsets) {
        db->ScrollOffset = offset;
        db->WrapRow = -5;
        StorageGuard guard;
        AllowLayersAndWork(guard);
        RUVO_ALLOW_FIELD(guard, ScrollOffset);
        RUVO_ALLOW_FIELD(guard, WrapRow);
        op->Scroll(-3, 7);
        ASSERT_EQ(guard.Violations(), "") << offset;
        EXPECT_GE(db->ScrollOffset, 0);
        EXPECT_LT(db->ScrollOffset, 0x180000);
        EXPECT_EQ(db->ScrollOffset % 2, 0);
        EXPECT_EQ(db->WrapRow, 768 - db->ScrollOffset / 2048);
    }
}

// Geometry fields, layer addresses and working words are published for the
// host to read; the library draws by its own constants and overwrites the
// working words, so garbage there changes no pixel.
TEST_F(HostileRecordTest, GarbageGeometryAddressesAndWork_ChangeNothing) {
    SetView(2048 * 300);
    DrawEverything();
    const std::vector<uint8_t> want = Layers();
    for (int32_t garbage : {0, -2048, -1, INT32_MAX, INT32_MIN, 1 << 30}) {
        std::memset(theLayers.bytes, 0, sizeof theLayers.bytes);
        SetView(2048 * 300);
        db->LayerPitch = garbage;
        db->ScreenWidth = garbage;
        db->ScreenHeight = garbage;
        db->ScreenLayer = nullptr;
        db->BackLayer = image.data() + 3;
        db->DepthLayer = db->ScreenLayer;
        for (int32_t &w : db->AnchoredRectWork) w = garbage;
        for (int32_t &w : db->LightGridWork) w = garbage;
        DrawEverything();
        ASSERT_TRUE(Layers() == want) << garbage;
    }
}

// Shift counts and masks of any value are only arithmetic.
TEST_F(HostileRecordTest, GarbagePixelFormatFields_StayInTheLayers) {
    const uint16_t colours[4] = {0xF81F, 0x1234, 0xFFFF, 0};
    uint16_t converted[4] = {};
    uint32_t alternate[4] = {0xFFFF, 1, 0x8000, 0x7BEF};
    for (uint32_t garbage : {0xFFFFFFFFu, 0x80000000u, 0u, 0x12345678u}) {
        for (auto *field : {&db->RedMask, &db->GreenMask, &db->BlueMask, &db->LowBitsMask,
                            &db->HighBitsMask, &db->NotLowBitsMask, &db->NotHighBitsMask,
                            &db->SpreadMask, &db->SpreadHighBitsMask, &db->ShadowTint}) {
            *field = garbage;
        }
        db->RedShift = db->GreenShift = db->BlueShift = static_cast<uint16_t>(garbage);
        StorageGuard guard;
        AllowLayersAndWork(guard);
        DrawEverything();
        op->ConvertColours(colours, converted, 4);
        op->ConvertAlternateColours(alternate, alternate, 4);
        ASSERT_EQ(guard.Violations(), "") << garbage;
    }
}

}  // namespace
}  // namespace ruvo::test
