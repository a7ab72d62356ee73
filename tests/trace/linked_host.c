/* A host linked with -lruvodraw1024 instead of loading it: ruvo-trace
 * record puts the tracer in its place by name (run by trace_cli_test.sh). */
#include "ruvodraw1024.h"

int main(void) {
    RuvoDrawBlock *db = RuvoDraw_Init();
    if (!db->OperationSlot.Op.OpenDisplay(0, 0) || !db->OperationSlot.Op.SetScreenMode(1024, 768))
        return 1;
    db->ClipRight = 20;
    db->OperationSlot.Op.FillRect(1, 2, 30, 40, 0xF800);
    return db->OperationSlot.Op.PresentRect(0, 0, 1024, 768);
}
