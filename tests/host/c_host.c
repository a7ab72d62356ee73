/* A host in plain C99: loads the shared library by path, finds RuvoDraw_Init,
 * and works through the slots only, as a real host does. */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include "ruvodraw1024.h"

static int failures = 0;

#define CHECK(cond)                                                  \
    do {                                                             \
        if (!(cond)) {                                               \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                              \
        }                                                            \
    } while (0)

typedef RuvoDrawBlock *(RUVO_CDECL *InitFn)(void);

int main(int argc, char **argv) {
    void *library;
    InitFn init;
    RuvoDrawBlock *db;
    uint16_t image[4 * 8];
    int i;

    if (argc < 2) {
        fprintf(stderr, "usage: c_host LIBRARY\n");
        return 2;
    }
    library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 1;
    }
    /* Converting the object pointer from dlsym to a function pointer goes through memcpy. */
    {
        void *symbol = dlsym(library, "RuvoDraw_Init");
        CHECK(symbol != NULL);
        if (!symbol) return 1;
        memcpy(&init, &symbol, sizeof init);
    }

    db = init();
    CHECK(db != NULL);
    CHECK(init() == db);
    CHECK(db->LayerPitch == 2048 && db->ScreenWidth == 1024 && db->ScreenHeight == 768);
    CHECK(db->ClipRight == 1023 && db->ClipBottom == 767 && db->WrapRow == 768);
    CHECK((char *)db->BackLayer - (char *)db->ScreenLayer == RUVO_LAYER_SPACING);
    CHECK(db->OperationSlot.Slot[RUVO_SLOT_ApplyLightGrid] ==
          db->OperationSlot.Slot[RUVO_SLOT_ApplyLightGridAlias]);
    for (i = 0; i < RUVO_SLOT_COUNT; ++i) CHECK(db->OperationSlot.Slot[i] != NULL);
    if (sizeof(void *) == 4) {
        CHECK(sizeof(RuvoDrawBlock) == 0xAA90);
        CHECK(offsetof(RuvoDrawBlock, OperationSlot) == 0xA97C);
    }

    CHECK(db->OperationSlot.Op.AnalysePixelFormat(0xF800, 0x07E0, 0x001F) == 0x07E0F81Fu);

    /* Background written by the host through the layer pointer, copied to the
     * screen and read back into a host image. */
    for (i = 0; i < 8; ++i) db->BackLayer[5 * 1024 + 16 + i] = (uint16_t)(0x1000 + i);
    db->OperationSlot.Op.CopyBackToScreen(16, 5, 8, 1);
    memset(image, 0, sizeof image);
    db->OperationSlot.Op.ReadScreenRect(16, 5, 8, 1, 0, 2, 8, image);
    for (i = 0; i < 8; ++i) CHECK(image[16 + i] == 0x1000 + i);

    dlclose(library);
    if (failures) fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}
