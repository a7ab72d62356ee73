// A host run through the tracer by trace_cli_test.sh: checks that the record
// it gets behaves as the library's own (fields, slots 27 and 49, a replaced
// slot, fields the host writes reaching the library and fields the library
// writes reaching the host), and draws frames whose replay must match.
// usage: tracer_host LIBRARY
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "ruvodraw1024.h"

namespace {

int failures = 0;

void Check(bool ok, const char *what) {
    if (!ok) {
        std::fprintf(stderr, "tracer_host: %s\n", what);
        ++failures;
    }
}

int ownCalls = 0;
void RUVO_CDECL OwnPutPixel(int32_t, int32_t, uint32_t) { ++ownCalls; }

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) return 2;
    void *lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!lib) return 2;
    void *symbol = dlsym(lib, "RuvoDraw_Init");
    RuvoDrawBlock *(RUVO_CDECL * init)(void);
    std::memcpy(&init, &symbol, sizeof init);
    RuvoDrawBlock *db = init();
    RuvoOperations &op = db->OperationSlot.Op;

    Check(db->ClipRight == 1023 && db->WrapRow == 768 && db->LayerPitch == 2048, "view defaults");
    Check(db->ScreenLayer && db->BackLayer && db->DepthLayer, "layer addresses");
    Check(db->OperationSlot.Slot[27] == db->OperationSlot.Slot[49], "slots 27 and 49 differ");
    Check(db->RedMask == 0, "masks before a mode");

    Check(op.OpenDisplay(nullptr, 0) == 1 && op.SetScreenMode(1024, 768) == 1, "display");
    Check(db->RedMask == 0xF800F800u && db->SpreadMask != 0, "masks after the mode");

    // A clip rectangle written by the host confines the library's fill.
    db->ClipLeft = 10, db->ClipTop = 5, db->ClipRight = 99, db->ClipBottom = 40;
    op.FillRect(0, 0, 1024, 768, 0x07E0);
    Check(db->ScreenLayer[5 * 1024 + 10] == 0x07E0 && db->ScreenLayer[5 * 1024 + 100] != 0x07E0,
          "clip rectangle written by the host");

    // Palettes written by the host, in place, through the library.
    for (int i = 0; i < 256; ++i) db->SpritePalette[0][i] = uint16_t(i * 0x0821);
    op.ConvertColours(db->SpritePalette[0], db->SpritePalette[0], 256);
    // 4 wide, 2 rows (IndexRuns): a fill of 4, then a literal of 2.
    const uint8_t sprite[] = {0, 0, 0, 0, 3, 0, 2, 0, 0xA1, 2, 0, 0x84, 7, 3, 0, 0x02, 9, 10};
    op.DrawScreenSprite(20, 8, db->SpritePalette[0], sprite);

    // A slot the host replaces calls its own code; Init puts the slot back.
    op.PutPixel = &OwnPutPixel;
    db->OperationSlot.Op.PutPixel(1, 1, 0);
    Check(ownCalls == 1, "replaced slot");
    op.PresentRect(0, 0, 1024, 768);

    db = init();
    Check(db->ClipRight == 1023 && db->OperationSlot.Op.PutPixel != &OwnPutPixel, "second Init");
    db->OperationSlot.Op.PutPixel(3, 3, 0xFFFF);
    db->ClipBottom = 300;
    db->OperationSlot.Op.Scroll(5, 17);
    db->OperationSlot.Op.BlendRect(0, 0, 500, 500, 0xF800);
    for (int j = 0; j < 97; ++j) {
        for (int i = 0; i < 65; ++i) db->LightGrid[j][i] = uint8_t((i + j) & 31);
    }
    db->OperationSlot.Op.PresentLit(0, 0, 1023, 767);
    Check(db->ScrollOffset != 0, "scroll offset written by the library");
    op.CloseDisplay();
    return failures ? 1 : 0;
}
