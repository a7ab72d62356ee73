// A library that differs from the real one in one operation: BlendRect
// blends a colour with its red top bit flipped. For testing that compare finds the call.
// It loads a copy of the real library's file, so that its state is not
// shared with an instance the comparing process loaded itself.
#include <dlfcn.h>

#include <cstring>

#include "ruvodraw1024.h"

namespace {

RuvoBlendRectFn theRealBlendRect = nullptr;

void RUVO_CDECL AlteredBlendRect(int32_t x, int32_t y, int32_t width, int32_t height,
                                 uint32_t colour) {
    theRealBlendRect(x, y, width, height, colour ^ 0x8000u);
}

}  // namespace

extern "C" RUVO_API RuvoDrawBlock *RUVO_CDECL RuvoDraw_Init(void) {
    static void *real = dlopen(RUVO_REAL_LIBRARY_COPY, RTLD_NOW | RTLD_LOCAL);
    if (!real) return nullptr;
    void *symbol = dlsym(real, "RuvoDraw_Init");
    RuvoDrawBlock *(RUVO_CDECL * init)(void);
    std::memcpy(&init, &symbol, sizeof init);
    RuvoDrawBlock *db = init();
    theRealBlendRect = db->OperationSlot.Op.BlendRect;
    db->OperationSlot.Op.BlendRect = &AlteredBlendRect;
    return db;
}
