// The entry point and the record as a host finds them.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/library_fixture.h"

namespace ruvo::test {
namespace {

using DrawBlockTest = LibraryTest;

RuvoOperation SlotAt(const RuvoDrawBlock *db, int slot) {
    RuvoOperation op;
    std::memcpy(&op, reinterpret_cast<const char *>(&db->OperationSlot) + slot * sizeof op,
                sizeof op);
    return op;
}

TEST_F(DrawBlockTest, Init_SetsLayerAddressesAtTheirFixedSpacing) {
    EXPECT_EQ(db->ScreenLayer, ScreenCells());
    EXPECT_EQ(reinterpret_cast<char *>(db->BackLayer) - reinterpret_cast<char *>(db->ScreenLayer),
              0x180824);
    EXPECT_EQ(reinterpret_cast<char *>(db->DepthLayer) - reinterpret_cast<char *>(db->ScreenLayer),
              0x301048);
}

TEST_F(DrawBlockTest, Init_SetsViewDefaultsAndEverySlot) {
    EXPECT_EQ(db->ClipLeft, 0);
    EXPECT_EQ(db->ClipTop, 0);
    EXPECT_EQ(db->ClipRight, 1023);
    EXPECT_EQ(db->ClipBottom, 767);
    EXPECT_EQ(db->ScrollOffset, 0);
    EXPECT_EQ(db->WrapRow, 768);
    EXPECT_EQ(db->ScreenWidth, 1024);
    EXPECT_EQ(db->ScreenHeight, 768);
    EXPECT_EQ(db->LayerPitch, 2048);
    for (int slot = 0; slot < RUVO_SLOT_COUNT; ++slot) EXPECT_NE(SlotAt(db, slot), nullptr) << slot;
    EXPECT_EQ(SlotAt(db, 27), SlotAt(db, 49));
    EXPECT_EQ(SlotAt(db, RUVO_SLOT_ResetView), reinterpret_cast<RuvoOperation>(op->ResetView));
}

TEST_F(DrawBlockTest, PixelFormatFieldsAreZeroUntilAnalysed) {
    analyse_565 = false;
    SetUp();
    EXPECT_EQ(db->RedMask, 0u);
    EXPECT_EQ(db->SpreadMask, 0u);
    EXPECT_EQ(db->ShadowTint, 0u);
    EXPECT_EQ(db->NotLowBitsMask, 0u);
}

// A second call resets the view and every slot, and keeps display and format state.
TEST_F(DrawBlockTest, SecondInit_ReturnsSameRecordAndRestoresSlotsOnly) {
    db->ClipLeft = 5;
    db->ClipBottom = 100;
    db->ScrollOffset = 2048 * 3;
    db->WrapRow = 765;
    db->OperationSlot.Op.PutPixel = nullptr;
    int window_stand_in = 0;
    db->DisplayWindow = &window_stand_in;
    db->ExclusiveMode = 2;
    db->DirectDrawObject = &window_stand_in;
    db->PrimarySurface = &window_stand_in;
    const uint32_t spread = db->SpreadMask;

    EXPECT_EQ(RuvoDraw_Init(), db);
    EXPECT_EQ(db->ClipLeft, 0);
    EXPECT_EQ(db->ClipBottom, 767);
    EXPECT_EQ(db->ScrollOffset, 0);
    EXPECT_EQ(db->WrapRow, 768);
    EXPECT_NE(db->OperationSlot.Op.PutPixel, nullptr);
    EXPECT_EQ(db->DisplayWindow, &window_stand_in);
    EXPECT_EQ(db->ExclusiveMode, 2);
    EXPECT_EQ(db->DirectDrawObject, &window_stand_in);
    EXPECT_EQ(db->PrimarySurface, &window_stand_in);
    EXPECT_EQ(db->SpreadMask, spread);
}

TEST_F(DrawBlockTest, ResetViewThroughSlotZero_RestoresGeometryAndLeavesCells) {
    db->ClipTop = 9;
    SetView(2048 * 7 + 10);
    FillLayer(Layer::Screen, 0x1234);
    SlotAt(db, 0)();
    EXPECT_EQ(db->ClipTop, 0);
    EXPECT_EQ(db->ScrollOffset, 0);
    EXPECT_EQ(db->WrapRow, 768);
    EXPECT_EQ(Stored(Layer::Screen, 0, 0), 0x1234);
}

// The layout a host relies on, checked at run time on this ABI (the 32-bit
// offsets are also checked at compile time).
TEST(DrawBlockLayout, FieldsKeepOrderAndSizes) {
    EXPECT_EQ(offsetof(RuvoDrawBlock, ClipLeft), 0u);
    EXPECT_EQ(offsetof(RuvoDrawBlock, LayerPitch), 0x20u);
    EXPECT_LT(offsetof(RuvoDrawBlock, ScreenLayer), offsetof(RuvoDrawBlock, RedMask));
    EXPECT_EQ(offsetof(RuvoDrawBlock, GreenShift) - offsetof(RuvoDrawBlock, RedShift), 2u);
    EXPECT_EQ(sizeof(RuvoDrawBlock::LightGrid), 97u * 80u);
    EXPECT_EQ(sizeof(RuvoDrawBlock::ShadeTable), 32768u);
    EXPECT_EQ(offsetof(RuvoDrawBlock, SpritePalette) - offsetof(RuvoDrawBlock, ShadeTable), 32768u);
    EXPECT_EQ(sizeof(RuvoDrawBlock::OperationSlot), 59 * sizeof(void *));
    EXPECT_EQ(sizeof(RuvoDrawBlock) - offsetof(RuvoDrawBlock, AnchoredRectWork), 40u);
    if (sizeof(void *) == 4) {
        EXPECT_EQ(sizeof(RuvoDrawBlock), 0xAA90u);
    }
}

}  // namespace
}  // namespace ruvo::test
