// The exported entry point and the slot table.
#include "interface/draw_block.h"

#include "framestore/layers.h"
#include "interface/operations.h"

namespace ruvo {

DrawBlock theDrawBlock;

namespace {

// Fills every slot by name from the slot list; the compiler checks each
// operation's signature against the slot's public type.
void FillSlots(RuvoOperations &ops) {
#define RUVO_FILL_SLOT(slot, Member, Operation, Result, Params)                       \
    static_assert(offsetof(RuvoOperations, Member) == (slot) * sizeof(RuvoOperation), \
                  #Member " must be slot " #slot);                                    \
    ops.Member = &Operation;
    RUVO_OPERATION_SLOTS(RUVO_FILL_SLOT)
#undef RUVO_FILL_SLOT
}

}  // namespace
}  // namespace ruvo

extern "C" RUVO_API RuvoDrawBlock *RUVO_CDECL RuvoDraw_Init(void) {
    using namespace ruvo;
    DrawBlock &b = Block();
    b.ScreenLayer = ScreenCells();
    b.BackLayer = BackCells();
    b.DepthLayer = DepthCells();
    ResetView();
    FillSlots(b.OperationSlot.Op);
    return &b;
}
