/* A Windows host in C: creates its window at (0, 0), loads ruvodraw1024.dll
 * with LoadLibrary, finds RuvoDraw_Init with GetProcAddress and works through
 * the slots only, as the hosts of the library do. It runs a conformance pass:
 * layout and defaults, the slots before a display exists, a drawn frame,
 * the display windowed and exclusive with its modes, presentation plain, lit
 * and from a host image, a locked read-back of the primary surface, and the
 * two ways of closing.
 *
 * What reaches the screen is checked outside Windows: at each screen check
 * the host writes the pixels it presented into SYNC_DIR and waits (pumping its
 * messages) until the driver (host_on_wine.sh) has compared them with the X
 * screen and answered.
 *
 *   windows_host DLL SYNC_DIR screen|desktop
 *
 * "desktop" is a run on a virtual desktop, where the mode can change to
 * 800 x 600; "screen" runs straight on the X screen, which offers 1024 x 768
 * only, so that mode change is a real DirectDraw failure. Exit status 0 when
 * every check passes. */
#include <windows.h>
/* windows.h first: ddraw.h relies on its types. */
#include <ddraw.h>
#include <stdio.h>
#include <string.h>

#include "ruvodraw1024.h"

/* Checks are counted by section, so that the summary shows which part fails. */
enum Section { kLayout, kBeforeOpen, kFrame, kSprites, kWindowed, kExclusive, kSections };
static const char *const kSectionNames[kSections] = {
    "layout and defaults",
    "slots before a display",
    "drawn frame: tiles and primitives",
    "drawn frame: sprites, text and surface blits",
    "display, windowed",
    "display, exclusive",
};
static int failures[kSections];
static enum Section section;

#define CHECK(cond)                                                           \
    do {                                                                      \
        if (!(cond)) {                                                        \
            fprintf(stderr, "windows_host.c:%d: [%s] failed: %s\n", __LINE__, \
                    kSectionNames[section], #cond);                           \
            ++failures[section];                                              \
        }                                                                     \
    } while (0)

typedef RuvoDrawBlock *(RUVO_CDECL *InitFn)(void);

static RuvoDrawBlock *db;
static RuvoOperations *op;
static HWND window;
static char sync_dir[MAX_PATH];
static int on_virtual_desktop;
static int screen_checks;

/* The logical view as the host reads it back, and scratch for expectations. */
static uint16_t view[768][1024];

static void PumpMessages(void) {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

static void ReadView(int width, int height) {
    op->ReadScreenRect(0, 0, width, height, 0, 0, 1024, &view[0][0]);
}

/* The ScreenLayer cell of logical (x, y) while ScrollOffset is 0. */
static uint16_t ScreenAt(int x, int y) { return db->ScreenLayer[y * 1024 + x]; }
static uint16_t BackAt(int x, int y) { return db->BackLayer[y * 1024 + x]; }

/* ---- screen checks, answered by the driver ---- */

static int WriteFileBytes(const char *path, const void *bytes, size_t size) {
    FILE *file = fopen(path, "wb");
    size_t written;
    if (!file) return 0;
    written = fwrite(bytes, 1, size, file);
    return fclose(file) == 0 && written == size;
}

/* Asks whether the X screen shows, at (left, top), the width x height pixels
 * at pixels (pitch in pixels), or, as a control, whether it does not. Waits
 * up to a minute for the answer. */
static int AskScreen(const char *expect, const char *what, int left, int top, int width, int height,
                     const uint16_t *pixels, int pitch) {
    static uint16_t rows[768 * 1024];
    char path[MAX_PATH + 64], ready[MAX_PATH + 64], done[MAX_PATH + 64];
    char header[128], answer[16] = "";
    int number = screen_checks++, y;
    DWORD start;
    FILE *file;

    for (y = 0; y < height; ++y) memcpy(&rows[y * width], &pixels[y * pitch], 2u * width);
    snprintf(path, sizeof path, "%s\\check-%d.pixels", sync_dir, number);
    if (!WriteFileBytes(path, rows, 2u * width * height)) return 0;
    snprintf(header, sizeof header, "%d %d %d %d %s %s\n", left, top, width, height, expect, what);
    snprintf(path, sizeof path, "%s\\check-%d.tmp", sync_dir, number);
    snprintf(ready, sizeof ready, "%s\\check-%d.ready", sync_dir, number);
    if (!WriteFileBytes(path, header, strlen(header)) || !MoveFileA(path, ready)) return 0;

    snprintf(done, sizeof done, "%s\\check-%d.done", sync_dir, number);
    start = GetTickCount();
    while (GetFileAttributesA(done) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > 60000) {
            fprintf(stderr, "screen check %d (%s): no answer\n", number, what);
            return 0;
        }
        PumpMessages();
        Sleep(10);
    }
    file = fopen(done, "rb");
    if (file) {
        if (!fgets(answer, sizeof answer, file)) answer[0] = 0;
        fclose(file);
    }
    printf("screen check %d, %s (%d x %d at %d, %d): %s", number, what, width, height, left, top,
           answer);
    return strncmp(answer, "ok", 2) == 0;
}

static int ScreenShows(const char *what, int left, int top, int width, int height,
                       const uint16_t *pixels, int pitch) {
    return AskScreen("same", what, left, top, width, height, pixels, pitch);
}

/* ---- layout and defaults ---- */

static void CheckLayout(void) {
    int i;
    section = kLayout;
    if (sizeof(void *) == 4) {
        CHECK(sizeof(RuvoDrawBlock) == 0xAA90);
        CHECK(offsetof(RuvoDrawBlock, SurfacePointer) == 0x30);
        CHECK(offsetof(RuvoDrawBlock, LightGrid) == 0x2F4);
        CHECK(offsetof(RuvoDrawBlock, ShadeTable) == 0x236C);
        CHECK(offsetof(RuvoDrawBlock, SpritePalette) == 0xA36C);
        CHECK(offsetof(RuvoDrawBlock, DisplayWindow) == 0xA96C);
        CHECK(offsetof(RuvoDrawBlock, DirectDrawObject) == 0xA974);
        CHECK(offsetof(RuvoDrawBlock, PrimarySurface) == 0xA978);
        CHECK(offsetof(RuvoDrawBlock, OperationSlot) == 0xA97C);
        CHECK(offsetof(RuvoDrawBlock, LightGridWork) == 0xAA80);
        CHECK(sizeof(DDSURFACEDESC) == 108);
    } else {
        /* Pointer fields widened, everything else in order and size. */
        CHECK(sizeof(RuvoDrawBlock) == 0xABA0);
        CHECK(offsetof(RuvoDrawBlock, LightGrid) == 0x308);
        CHECK(offsetof(RuvoDrawBlock, OperationSlot) == 0xA9A0);
    }

    CHECK(db->ClipLeft == 0 && db->ClipTop == 0 && db->ClipRight == 1023 && db->ClipBottom == 767);
    CHECK(db->ScrollOffset == 0 && db->WrapRow == 768);
    CHECK(db->ScreenWidth == 1024 && db->ScreenHeight == 768 && db->LayerPitch == 2048);
    CHECK((char *)db->BackLayer - (char *)db->ScreenLayer == RUVO_LAYER_SPACING);
    CHECK((char *)db->DepthLayer - (char *)db->BackLayer == RUVO_LAYER_SPACING);
    CHECK(db->SurfacePointer == NULL && db->SpreadMask == 0 && db->RedMask == 0);
    CHECK(db->DisplayWindow == NULL && db->DirectDrawObject == NULL && db->PrimarySurface == NULL);
    for (i = 0; i < RUVO_SLOT_COUNT; ++i) CHECK(db->OperationSlot.Slot[i] != NULL);
    CHECK(db->OperationSlot.Slot[RUVO_SLOT_ApplyLightGrid] ==
          db->OperationSlot.Slot[RUVO_SLOT_ApplyLightGridAlias]);
}

/* A host that presents before opening the display gets 0 and no crash. */
static void CheckBeforeOpen(void) {
    static uint16_t image[8 * 8];
    section = kBeforeOpen;
    CHECK(op->SetScreenMode(1024, 768) == 0);
    CHECK(op->LockPrimary() == 0);
    CHECK(op->UnlockPrimary() != 0);
    CHECK(op->PresentRect(0, 0, 1024, 768) == 0);
    CHECK(op->PresentImage(0, 0, 8, 8, 0, 0, 8, image) == 0);
    CHECK(op->PresentLit(0, 0, 1023, 767) == 0);
    op->ReleasePrimary();
    op->CloseDisplay();
    op->ReleaseDisplay();
    CHECK(db->SurfacePointer == NULL && db->DirectDrawObject == NULL);
}

/* ---- the drawn frame ---- */

/* 5-6-5 colours of the frame. */
enum {
    kRed = 0xF800,
    kGreen = 0x07E0,
    kBlue = 0x001F,
    kWhite = 0xFFFF,
    kTileLight = 12, /* all four corners */
    kTileIndex = 9,  /* every tile byte */
    kTileX = 100,
    kTileY = 60,
};

static uint16_t Background(int x, int y) { return (uint16_t)((x * 37) ^ (y * 1129) ^ 0x5A5A); }

/* The tile colour for dither bit d: ShadeTable row kTileLight + 32 d. */
static uint16_t TileColour(int d) { return d ? 0x1F3F : 0xC3E7; }

static int InTile(int c, int r) {
    if (r < 0 || r > 31) return 0;
    if (r < 16) return c >= kTileX - 1 - 2 * r && c <= kTileX + 1 + 2 * r;
    return c >= kTileX - 30 + 2 * (r - 16) && c <= kTileX + 30 - 2 * (r - 16);
}

/* Background in both layers; a shaded tile into the BackLayer, copied to the
 * screen; primitives on the screen. Checked cell by cell against what the
 * operations are documented to do. */
static void DrawFrame(void) {
    static uint8_t tile[1024];
    int x, y, wrong;
    section = kFrame;
    CHECK(op->AnalysePixelFormat(0xF800, 0x07E0, 0x001F) == 0x07E0F81Fu);
    CHECK(db->NotLowBitsMask == 0xF7DEF7DEu);

    for (y = 0; y < 768; ++y)
        for (x = 0; x < 1024; ++x) db->BackLayer[y * 1024 + x] = Background(x, y);

    /* A whole tile with equal corners: every pixel ShadeTable[(L + 32 d) * 256 + b],
     * d = phase XOR ((c + R + x + y + 1) mod 2), the phase 0 at load. */
    memset(tile, kTileIndex, sizeof tile);
    db->ShadeTable[kTileLight * 256 + kTileIndex] = TileColour(0);
    db->ShadeTable[(kTileLight + 32) * 256 + kTileIndex] = TileColour(1);
    op->DrawShadedTile(kTileX, kTileY, kTileLight, kTileLight, kTileLight, kTileLight, tile);
    wrong = 0;
    for (y = kTileY - 1; y <= kTileY + 32; ++y) {
        for (x = kTileX - 33; x <= kTileX + 33; ++x) {
            const uint16_t want = InTile(x, y - kTileY)
                                      ? TileColour((x + y + kTileX + kTileY + 1) & 1)
                                      : Background(x, y);
            wrong += BackAt(x, y) != want;
        }
    }
    CHECK(wrong == 0);

    op->CopyBackToScreen(0, 0, 1024, 768);
    CHECK(ScreenAt(0, 0) == Background(0, 0) && ScreenAt(1023, 767) == Background(1023, 767));
    CHECK(ScreenAt(kTileX, kTileY) == BackAt(kTileX, kTileY));

    /* Primitives. */
    op->FillRect(300, 40, 64, 32, kRed);
    CHECK(ScreenAt(300, 40) == kRed && ScreenAt(363, 71) == kRed);
    CHECK(ScreenAt(299, 40) == Background(299, 40) && ScreenAt(364, 71) == Background(364, 71));
    CHECK(ScreenAt(300, 72) == Background(300, 72));

    op->DrawRect(300, 100, 64, 32, kWhite);
    CHECK(ScreenAt(300, 100) == kWhite && ScreenAt(363, 100) == kWhite);
    CHECK(ScreenAt(300, 131) == kWhite && ScreenAt(363, 131) == kWhite);
    CHECK(ScreenAt(330, 100) == kWhite && ScreenAt(300, 115) == kWhite);
    CHECK(ScreenAt(301, 101) == Background(301, 101));

    op->DrawHLine(400, 40, 5, kGreen);
    CHECK(ScreenAt(400, 40) == kGreen && ScreenAt(404, 40) == kGreen);
    CHECK(ScreenAt(405, 40) == Background(405, 40));
    op->DrawVLine(410, 40, 20, kBlue);
    CHECK(ScreenAt(410, 40) == kBlue && ScreenAt(410, 59) == kBlue);
    CHECK(ScreenAt(410, 60) == Background(410, 60));
    op->PutPixel(420, 40, 0x1234);
    CHECK(ScreenAt(420, 40) == 0x1234);

    /* Half and half with white: ((p AND 0xF7DE) >> 1) + 0x7BEF. */
    op->BlendRect(300, 150, 32, 16, kWhite);
    CHECK(ScreenAt(300, 150) == (uint16_t)(((Background(300, 150) & 0xF7DE) >> 1) + 0x7BEF));
    CHECK(ScreenAt(331, 165) == (uint16_t)(((Background(331, 165) & 0xF7DE) >> 1) + 0x7BEF));
    CHECK(ScreenAt(332, 165) == Background(332, 165));
}

/* The 50% mix of the blended literal class, in 5-6-5. */
static uint16_t Mix50(uint16_t s, uint16_t d) {
    return (uint16_t)(((uint32_t)s + d - ((s ^ d) & 0x0821u)) >> 1);
}

static uint16_t colours[256];

/* A colour table entry for index i: distinct, never the colour key. */
static uint16_t TableColour(int i) { return (uint16_t)(0x0841 * (i + 1) ^ (i << 11)); }

/* Sprites, text and a surface blit, built by hand from the run-length format:
 * every pixel they should write follows from the run codes. */
static void DrawSpritesAndText(void) {
    /* clang-format off */
    /* IndexRuns, 8 wide, 3 rows, placed 2 right and 1 down of the anchor:
     * row 0: fill 4 of index 5, skip 2 (fill of index 0), literal 7, 0;
     * row 1: empty; row 2: literal 1, 2, 3. */
    static const uint8_t index_sprite[] = {
        2, 0,  1, 0,  7, 0,  3, 0,  RUVO_KIND_INDEX,  /* x, y offsets, width - 1, rows, kind */
        7, 0,  0x84, 5,  0x82, 0,  0x02, 7, 0,        /* row 0: L = 7 */
        0, 0,                                         /* row 1: L = 0 */
        4, 0,  0x03, 1, 2, 3,                         /* row 2: L = 4 */
    };
    /* BlendRuns, 7 wide, 1 row: fill 3 of index 4, skip 1, literal 6, 7,
     * blended literal 8. */
    static const uint8_t blend_sprite[] = {
        0, 0,  0, 0,  6, 0,  1, 0,  RUVO_KIND_BLEND,
        8, 0,  0x83, 4,  0xC1,  0x02, 6, 7,  0x41, 8,
    };
    /* A font whose every character is one glyph, advance 3: 3 pixels of
     * index 1 over one of index 2. */
    static const uint8_t glyph[] = {
        0, 0,  0, 0,  2, 0,  2, 0,  RUVO_KIND_INDEX,
        2, 0,  0x83, 1,
        2, 0,  0x01, 2,
    };
    /* clang-format on */
    static struct GlyphFont {
        RuvoFont font;
        uint8_t glyph[sizeof glyph];
    } font;
    static uint16_t image[8][32];
    RuvoSurfaceDesc surface;
    int i, x;
    const int sx = 500, sy = 40; /* sprite anchors */

    section = kSprites;
    for (i = 0; i < 256; ++i) colours[i] = TableColour(i);

    op->DrawScreenSprite(sx, sy, colours, index_sprite);
    for (x = 0; x < 4; ++x) CHECK(ScreenAt(sx + 2 + x, sy + 1) == colours[5]);
    CHECK(ScreenAt(sx + 6, sy + 1) == Background(sx + 6, sy + 1));
    CHECK(ScreenAt(sx + 7, sy + 1) == Background(sx + 7, sy + 1));
    CHECK(ScreenAt(sx + 8, sy + 1) == colours[7]);
    CHECK(ScreenAt(sx + 9, sy + 1) == colours[0]); /* a literal index 0 is drawn */
    CHECK(ScreenAt(sx + 2, sy + 2) == Background(sx + 2, sy + 2));
    CHECK(ScreenAt(sx + 2, sy + 3) == colours[1] && ScreenAt(sx + 3, sy + 3) == colours[2] &&
          ScreenAt(sx + 4, sy + 3) == colours[3]);
    CHECK(ScreenAt(sx + 5, sy + 3) == Background(sx + 5, sy + 3));
    CHECK(ScreenAt(sx + 1, sy + 1) == Background(sx + 1, sy + 1));

    op->DrawBackSprite(sx, sy + 10, colours, blend_sprite);
    for (x = 0; x < 3; ++x) CHECK(BackAt(sx + x, sy + 10) == colours[4]);
    CHECK(BackAt(sx + 3, sy + 10) == Background(sx + 3, sy + 10));
    CHECK(BackAt(sx + 4, sy + 10) == colours[6] && BackAt(sx + 5, sy + 10) == colours[7]);
    CHECK(BackAt(sx + 6, sy + 10) == Mix50(colours[8], Background(sx + 6, sy + 10)));
    CHECK(BackAt(sx + 7, sy + 10) == Background(sx + 7, sy + 10));
    op->CopyBackToScreen(sx, sy + 10, 8, 1);

    /* Text: glyphs anchored advance + 2 apart. */
    memcpy(font.glyph, glyph, sizeof glyph);
    for (i = 0; i < 256; ++i) {
        font.font.GlyphOffset[i] = (uint32_t)offsetof(struct GlyphFont, glyph);
        font.font.Advance[i][0] = 3;
    }
    CHECK(op->MeasureText("AA", &font.font) == 10);
    CHECK(op->MeasureText("", &font.font) == 0);
    op->DrawText(600, 40, "AA", &font.font, colours);
    for (x = 0; x < 3; ++x) {
        CHECK(ScreenAt(600 + x, 40) == colours[1]);
        CHECK(ScreenAt(605 + x, 40) == colours[1]);
    }
    CHECK(ScreenAt(600, 41) == colours[2] && ScreenAt(605, 41) == colours[2]);
    CHECK(ScreenAt(603, 40) == Background(603, 40) && ScreenAt(601, 41) == Background(601, 41));

    /* Into a host image, clipped by the image's own rectangle (columns 0..8). */
    memset(image, 0, sizeof image);
    surface.Base = &image[0][0];
    surface.Pitch = 32;
    surface.ClipLeft = 0;
    surface.ClipTop = 0;
    surface.ClipRight = 8;
    surface.ClipBottom = 7;
    op->DrawSpriteToSurface(0, 0, index_sprite, colours, &surface);
    for (x = 0; x < 4; ++x) CHECK(image[1][2 + x] == colours[5]);
    CHECK(image[1][6] == 0 && image[1][7] == 0 && image[1][8] == colours[7]);
    CHECK(image[1][9] == 0); /* past the image's clip */
    CHECK(image[3][2] == colours[1] && image[3][4] == colours[3] && image[0][2] == 0);
}

/* ---- the display ---- */

static void CheckWindowSize(int width, int height) {
    RECT r;
    PumpMessages();
    CHECK(GetWindowRect(window, &r));
    CHECK(r.left == 0 && r.top == 0);
    CHECK(r.right - r.left == width && r.bottom - r.top == height);
}

/* Presents the whole view and checks the X screen against it. A band of a
 * colour of this check's own first, so that a screen still showing an earlier
 * frame fails. */
static void PresentAndCheck(const char *what, int width, int height) {
    op->FillRect(16, 16, 256, 8, (uint32_t)(0x8421u * (screen_checks + 1)) & 0xFFFFu);
    CHECK(op->PresentRect(0, 0, width, height) == 0);
    PumpMessages();
    ReadView(width, height);
    CHECK(ScreenShows(what, 0, 0, width, height, &view[0][0], 1024));
}

/* The record's DirectDrawObject and PrimarySurface are the real interfaces. */
static void CheckRealInterfaces(int width, int height) {
    IDirectDraw *ddraw = (IDirectDraw *)db->DirectDrawObject;
    IDirectDrawSurface *primary = (IDirectDrawSurface *)db->PrimarySurface;
    DDSURFACEDESC desc;
    CHECK(ddraw != NULL && primary != NULL);
    if (!ddraw || !primary) return;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    CHECK(IDirectDraw_GetDisplayMode(ddraw, &desc) == DD_OK);
    CHECK(desc.ddpfPixelFormat.dwRGBBitCount == 16);
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    CHECK(IDirectDrawSurface_GetSurfaceDesc(primary, &desc) == DD_OK);
    CHECK((desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0);
    CHECK((int)desc.dwWidth >= width && (int)desc.dwHeight >= height);
    CHECK(desc.ddpfPixelFormat.dwRBitMask == 0xF800 && desc.ddpfPixelFormat.dwGBitMask == 0x07E0 &&
          desc.ddpfPixelFormat.dwBBitMask == 0x001F);
}

/* A locked read-back: the surface holds the view, row by row at SurfacePitch. */
static void CheckLockedReadBack(int width, int height) {
    int y, wrong = 0;
    void *pointer;
    CHECK(op->LockPrimary() == 1);
    pointer = db->SurfacePointer;
    CHECK(pointer != NULL && db->SurfacePitch >= 2 * width);
    if (!pointer) return;
    ReadView(width, height);
    for (y = 0; y < height; ++y) {
        const uint8_t *row = (const uint8_t *)pointer + (ptrdiff_t)y * db->SurfacePitch;
        wrong += memcmp(row, view[y], 2u * width) != 0;
    }
    CHECK(wrong == 0);
    /* Presenting inside the host's lock leaves it in place and returns 0. */
    CHECK(op->PresentRect(0, 0, 64, 8) == 0);
    CHECK(db->SurfacePointer == pointer);
    CHECK(op->UnlockPrimary() == 0);
    CHECK(db->SurfacePointer == NULL);
}

static void CheckWindowed(void) {
    static uint16_t image[32][64];
    int x, y;
    section = kWindowed;
    CHECK(op->OpenDisplay(window, 0) == 1);
    CHECK(db->DisplayWindow == window && db->ExclusiveMode == 0 && db->DirectDrawObject != NULL);
    CHECK(db->PrimarySurface == NULL);
    CHECK(op->SetScreenMode(1024, 768) == 1);
    PumpMessages();
    CHECK(db->SpreadMask == 0x07E0F81Fu && db->RedMask == 0xF800F800u);
    CHECK(db->ClipRight == 1023 && db->ClipBottom == 767 && db->ScrollOffset == 0);
    CheckWindowSize(1024, 768);
    CheckRealInterfaces(1024, 768);

    PresentAndCheck("windowed frame", 1024, 768);
    /* The check can fail: the same corner with every pixel inverted is refused. */
    for (y = 0; y < 8; ++y)
        for (x = 0; x < 64; ++x) image[y][x] = (uint16_t)~view[y][x];
    CHECK(AskScreen("differs", "control, inverted corner", 0, 0, 64, 8, &image[0][0], 64));
    CheckLockedReadBack(1024, 768);

    /* A host image, at a place of its own. */
    for (y = 0; y < 32; ++y)
        for (x = 0; x < 64; ++x) image[y][x] = (uint16_t)(x * 1000 + y * 7);
    CHECK(op->PresentImage(4, 2, 40, 20, 700, 500, 64, &image[0][0]) == 0);
    CHECK(ScreenShows("host image", 700, 500, 40, 20, &image[2][4], 64));

    /* Scrolled: the view wraps in the layer; the screen shows it in order. */
    op->Scroll(24, 100);
    CHECK(db->ScrollOffset == 2048 * 100 + 48 && db->WrapRow == 668);
    PresentAndCheck("scrolled frame", 1024, 768);
    op->Scroll(-24, -100);

    /* Lit: a dark block in full light. The screen shows what ApplyLightGrid
     * makes of the layer, which PresentLit itself leaves alone. */
    memset(db->LightGrid, 0x80, sizeof db->LightGrid);
    for (y = 10; y <= 20; ++y) memset(&db->LightGrid[y][8], 0, 9);
    for (y = 30; y <= 40; ++y) memset(&db->LightGrid[y][30], 0x40, 9);
    ReadView(1024, 768);
    CHECK(op->PresentLit(0, 0, 1023, 767) == 0);
    CHECK(ScreenAt(200, 100) == view[100][200]);
    op->ApplyLightGrid(0, 0, 1023, 767);
    CHECK(ScreenAt(200, 100) == ((view[100][200] >> 1) & 0x7BEF));
    ReadView(1024, 768);
    CHECK(ScreenShows("lit frame", 0, 0, 1024, 768, &view[0][0], 1024));

    op->CloseDisplay();
    CHECK(db->DirectDrawObject == NULL && db->PrimarySurface == NULL);
    CHECK(db->DisplayWindow == window);
    CHECK(op->PresentRect(0, 0, 1024, 768) == 0); /* closed again */
}

static void CheckExclusive(void) {
    IDirectDraw *ddraw;
    section = kExclusive;
    CHECK(op->OpenDisplay(window, 1) == 1);
    CHECK(db->ExclusiveMode == 1 && db->DirectDrawObject != NULL);
    CHECK(op->SetScreenMode(1024, 768) == 1);
    CheckWindowSize(1024, 768);
    CheckRealInterfaces(1024, 768);
    PresentAndCheck("exclusive frame", 1024, 768);

    ddraw = (IDirectDraw *)db->DirectDrawObject;
    if (!on_virtual_desktop) {
        /* The X screen offers 1024 x 768 only: the mode change fails with a
         * real DirectDraw result, and SetScreenMode leaves no primary surface
         * and the clip as it was. */
        if (ddraw) CHECK(IDirectDraw_SetDisplayMode(ddraw, 800, 600, 16) == DDERR_UNSUPPORTED);
        CHECK(op->SetScreenMode(800, 600) == 0);
        CHECK(db->PrimarySurface == NULL);
        CHECK(db->ClipRight == 1023 && db->ClipBottom == 767);
        CHECK(op->PresentRect(0, 0, 1024, 768) == 0);
        CHECK(op->LockPrimary() == 0);
        CHECK(op->SetScreenMode(1024, 768) == 1);
        PresentAndCheck("exclusive frame after a refused mode", 1024, 768);
    } else {
        /* A virtual desktop takes the mode: 800 x 600 from the top-left. */
        CHECK(op->SetScreenMode(800, 600) == 1);
        CHECK(db->ClipRight == 799 && db->ClipBottom == 599 && db->ScrollOffset == 0);
        CHECK(GetSystemMetrics(SM_CXSCREEN) == 800 && GetSystemMetrics(SM_CYSCREEN) == 600);
        CheckWindowSize(800, 600);
        CheckRealInterfaces(800, 600);
        PresentAndCheck("exclusive 800 x 600", 800, 600);
        CheckLockedReadBack(800, 600);
    }

    op->ReleaseDisplay();
    CHECK(db->DirectDrawObject == NULL && db->PrimarySurface == NULL && db->SurfacePointer == NULL);
    CHECK(db->ExclusiveMode == 1 && db->DisplayWindow == window);
    CHECK(op->LockPrimary() == 0);
    /* Open again and close with the mode restored. */
    CHECK(op->OpenDisplay(window, 1) == 1);
    CHECK(op->SetScreenMode(1024, 768) == 1);
    CHECK(op->LockPrimary() == 1);
    op->CloseDisplay(); /* while locked: unlocked and released */
    CHECK(db->SurfacePointer == NULL && db->DirectDrawObject == NULL);
}

static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcA(hwnd, message, w, l);
}

static HWND CreateHostWindow(void) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "RuvoDrawHost";
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    if (!RegisterClassA(&wc)) return NULL;
    /* A borderless window at (0, 0): its client area is the screen's corner. */
    return CreateWindowExA(0, wc.lpszClassName, "ruvodraw1024 host", WS_POPUP | WS_VISIBLE, 0, 0,
                           320, 200, NULL, NULL, wc.hInstance, NULL);
}

int main(int argc, char **argv) {
    HMODULE library;
    FARPROC symbol;
    InitFn init;
    int i, total = 0;

    if (argc != 4) {
        fprintf(stderr, "usage: windows_host DLL SYNC_DIR screen|desktop\n");
        return 2;
    }
    snprintf(sync_dir, sizeof sync_dir, "%s", argv[2]);
    on_virtual_desktop = strcmp(argv[3], "desktop") == 0;

    window = CreateHostWindow();
    if (!window) {
        fprintf(stderr, "cannot create the window\n");
        return 1;
    }
    PumpMessages();
    library = LoadLibraryA(argv[1]);
    if (!library) {
        fprintf(stderr, "cannot load %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    symbol = GetProcAddress(library, "RuvoDraw_Init");
    if (!symbol) {
        fprintf(stderr, "RuvoDraw_Init is not exported\n");
        return 1;
    }
    memcpy(&init, &symbol, sizeof init);
    db = init();
    op = &db->OperationSlot.Op;
    section = kLayout;
    CHECK(db != NULL && init() == db);

    CheckLayout();
    CheckBeforeOpen();
    DrawFrame();
    DrawSpritesAndText();
    CheckWindowed();
    CheckExclusive();

    DestroyWindow(window);
    PumpMessages();
    FreeLibrary(library);

    for (i = 0; i < kSections; ++i) {
        printf("%-46s %s", kSectionNames[i], failures[i] ? "FAILED" : "ok");
        if (failures[i]) printf(" (%d check(s))", failures[i]);
        printf("\n");
        total += failures[i];
    }
    printf("%s pass: %d screen check(s), %s\n", argv[3], screen_checks,
           total ? "FAILED" : "all checks passed");
    return total ? 1 : 0;
}
