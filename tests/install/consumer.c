/* A program built against an installed ruvodraw1024 that links the library
 * directly: it fills a rectangle of the screen layer and reads it back. */
#include <stdio.h>

#include "ruvodraw1024.h"

int main(void) {
    RuvoDrawBlock *db = RuvoDraw_Init();
    uint16_t row[8] = {0};
    int i;
    db->OperationSlot.Op.FillRect(8, 20, 8, 1, 0x07E0);
    db->OperationSlot.Op.ReadScreenRect(8, 20, 8, 1, 0, 0, 8, row);
    for (i = 0; i < 8; ++i) {
        if (row[i] != 0x07E0) {
            fprintf(stderr, "consumer: pixel %d is %04x, not 07e0\n", i, row[i]);
            return 1;
        }
    }
    printf("consumer: the installed library draws\n");
    return 0;
}
