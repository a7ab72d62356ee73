// The interface record as the library sees it: the one static RuvoDrawBlock,
// its layout checked field by field, and the names the subsystems use for it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ruvodraw1024.h"

namespace ruvo {

using DrawBlock = RuvoDrawBlock;

// The record of the process. Zero at load; RuvoDraw_Init fills it.
extern DrawBlock theDrawBlock;

inline DrawBlock &Block() { return theDrawBlock; }

// Low 16 bits of a "u16 x2" field.
inline uint16_t Low16(uint32_t both_halves) { return static_cast<uint16_t>(both_halves); }

}  // namespace ruvo

// The reference layout (32-bit x86) holds to the byte.
#if UINTPTR_MAX == 0xFFFFFFFFu
#define RUVO_ASSERT_OFFSET(field, offset) \
    static_assert(offsetof(RuvoDrawBlock, field) == (offset), #field " must lie at " #offset)
RUVO_ASSERT_OFFSET(ClipLeft, 0x00);
RUVO_ASSERT_OFFSET(ClipTop, 0x04);
RUVO_ASSERT_OFFSET(ClipRight, 0x08);
RUVO_ASSERT_OFFSET(ClipBottom, 0x0C);
RUVO_ASSERT_OFFSET(ScrollOffset, 0x10);
RUVO_ASSERT_OFFSET(WrapRow, 0x14);
RUVO_ASSERT_OFFSET(ScreenWidth, 0x18);
RUVO_ASSERT_OFFSET(ScreenHeight, 0x1C);
RUVO_ASSERT_OFFSET(LayerPitch, 0x20);
RUVO_ASSERT_OFFSET(ScreenLayer, 0x24);
RUVO_ASSERT_OFFSET(BackLayer, 0x28);
RUVO_ASSERT_OFFSET(DepthLayer, 0x2C);
RUVO_ASSERT_OFFSET(SurfacePointer, 0x30);
RUVO_ASSERT_OFFSET(RedMask, 0x34);
RUVO_ASSERT_OFFSET(GreenMask, 0x38);
RUVO_ASSERT_OFFSET(BlueMask, 0x3C);
RUVO_ASSERT_OFFSET(RedShift, 0x40);
RUVO_ASSERT_OFFSET(GreenShift, 0x42);
RUVO_ASSERT_OFFSET(BlueShift, 0x44);
RUVO_ASSERT_OFFSET(Reserved0, 0x46);
RUVO_ASSERT_OFFSET(LowBitsMask, 0x48);
RUVO_ASSERT_OFFSET(HighBitsMask, 0x4C);
RUVO_ASSERT_OFFSET(NotLowBitsMask, 0x50);
RUVO_ASSERT_OFFSET(NotHighBitsMask, 0x54);
RUVO_ASSERT_OFFSET(SpreadMask, 0x58);
RUVO_ASSERT_OFFSET(Reserved1, 0x5C);
RUVO_ASSERT_OFFSET(SpreadHighBitsMask, 0x60);
RUVO_ASSERT_OFFSET(SurfacePitch, 0x64);
RUVO_ASSERT_OFFSET(ShadowTint, 0x68);
RUVO_ASSERT_OFFSET(ReservedArea, 0x6C);
RUVO_ASSERT_OFFSET(LightGrid, 0x2F4);
RUVO_ASSERT_OFFSET(Reserved2, 0x2144);
RUVO_ASSERT_OFFSET(ShadeTable, 0x236C);
RUVO_ASSERT_OFFSET(SpritePalette, 0xA36C);
RUVO_ASSERT_OFFSET(DisplayWindow, 0xA96C);
RUVO_ASSERT_OFFSET(ExclusiveMode, 0xA970);
RUVO_ASSERT_OFFSET(DirectDrawObject, 0xA974);
RUVO_ASSERT_OFFSET(PrimarySurface, 0xA978);
RUVO_ASSERT_OFFSET(OperationSlot, 0xA97C);
RUVO_ASSERT_OFFSET(AnchoredRectWork, 0xAA68);
RUVO_ASSERT_OFFSET(LightGridWork, 0xAA80);
static_assert(sizeof(RuvoDrawBlock) == 0xAA90, "the record is 43,664 bytes");
static_assert(sizeof(RuvoSurfaceDesc) == 24, "a SurfaceDesc is six 32-bit fields");
#undef RUVO_ASSERT_OFFSET
#else
// Wider pointers: pointer fields widen, everything else keeps size and order.
static_assert(offsetof(RuvoDrawBlock, ScreenLayer) == 0x28);
static_assert(offsetof(RuvoDrawBlock, RedMask) == 0x48);
static_assert(offsetof(RuvoDrawBlock, LightGrid) == 0x308);
static_assert(offsetof(RuvoDrawBlock, ShadeTable) == 0x2380);
static_assert(offsetof(RuvoDrawBlock, SpritePalette) == 0xA380);
static_assert(offsetof(RuvoDrawBlock, OperationSlot) == 0xA9A0);
static_assert(offsetof(RuvoDrawBlock, LightGridWork) == 0xAB90);
static_assert(sizeof(RuvoDrawBlock) == 0xABA0);
#endif
static_assert(sizeof(RuvoOperations) == RUVO_SLOT_COUNT * sizeof(RuvoOperation),
              "one slot per operation, no padding");
static_assert(sizeof(RuvoFont) == 1540, "glyph table, unused word, width table");
