/* A complete host of libruvodraw1024 in C99, with the public header only.
 *
 * It loads the shared library at run time, opens the in-memory display in a
 * 16-bit mode, loads the assets that ruvo-pack made (a palette, its shade
 * table, two ground tiles, sprites in the coding each slot reads, a font),
 * draws one isometric frame and writes the presented picture to a PNG:
 *
 *   ruvo-example [LIBRARY [ASSETS_DIR [OUT.png]]]
 *
 * Every step is checked; a failure is one line on stderr and exit status 1.
 */
#include <dlfcn.h>
#include <errno.h>
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ruvodraw1024.h"

#ifndef RUVO_EXAMPLE_LIBRARY
#define RUVO_EXAMPLE_LIBRARY "libruvodraw1024.so"
#endif
#ifndef RUVO_EXAMPLE_ASSETS
#define RUVO_EXAMPLE_ASSETS "assets"
#endif

#define SCREEN_W 1024
#define SCREEN_H 768

static void fail(const char *what, const char *detail) {
    fprintf(stderr, "ruvo-example: %s%s%s\n", what, detail ? ": " : "", detail ? detail : "");
    exit(1);
}

/* ---- Loading the library ------------------------------------------------ */

typedef RuvoDrawBlock *(RUVO_CDECL *InitFn)(void);

static RuvoDrawBlock *load_library(const char *path) {
    void *library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    void *symbol;
    InitFn init;
    RuvoDrawBlock *db;
    if (!library) fail("cannot load the library", dlerror());
    symbol = dlsym(library, "RuvoDraw_Init");
    if (!symbol) fail("no RuvoDraw_Init in the library", dlerror());
    /* ISO C has no cast from an object pointer to a function pointer. */
    memcpy(&init, &symbol, sizeof init);
    db = init();
    if (!db) fail("RuvoDraw_Init returned no record", NULL);
    return db;
}

/* ---- Loading assets: every file is the raw record, read in one go -------- */

static const char *assets_dir;

static void *read_asset(const char *name, size_t *size) {
    char path[4096];
    FILE *file;
    long length = 0;
    void *bytes;
    snprintf(path, sizeof path, "%s/%s", assets_dir, name);
    file = fopen(path, "rb");
    if (!file) fail(path, strerror(errno));
    if (fseek(file, 0, SEEK_END) != 0 || (length = ftell(file)) <= 0 ||
        fseek(file, 0, SEEK_SET) != 0)
        fail(path, "empty or unreadable");
    bytes = malloc((size_t)length);
    if (!bytes) fail(path, "out of memory");
    if (fread(bytes, 1, (size_t)length, file) != (size_t)length) fail(path, "short read");
    fclose(file);
    *size = (size_t)length;
    return bytes;
}

/* A file that must be exactly one record of the given size (palette, shade
 * table, tile). */
static void *read_record(const char *name, size_t expected) {
    size_t size;
    void *bytes = read_asset(name, &size);
    if (size != expected) fail(name, "wrong size for its kind");
    return bytes;
}

static const void *read_sprite(const char *name) {
    size_t size;
    const void *bytes = read_asset(name, &size);
    if (size < RUVO_SPRITE_HEADER_BYTES) fail(name, "too short for a sprite");
    return bytes;
}

struct Assets {
    uint16_t palette[256]; /* colour table for index sprites, in the display's format */
    const uint8_t *grass;  /* 1024 TileBytes each */
    const uint8_t *path;
    const void *tree;     /* BlendRuns: StampBackSpriteP0 (SpritePalette 0) */
    const void *rock;     /* IndexRuns: StampBackSprite */
    const void *figure;   /* IndexRuns: DrawScreenSpriteTested */
    const void *shadow;   /* MaskRuns: CastScreenShadow */
    const RuvoFont *font; /* glyphs in IndexRuns, ramp in entries 1..4 */
    uint16_t text_colours[256];
};

static uint16_t rgb565(int r, int g, int b) {
    return (uint16_t)(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

static void load_assets(RuvoDrawBlock *db, struct Assets *a) {
    RuvoOperations *op = &db->OperationSlot.Op;
    uint16_t *game = read_record("game.pal", 512);
    uint16_t *shade = read_record("game.shd", 32768);
    size_t size;
    int k;

    /* The files hold 5-6-5 colours; the display may want another format. */
    op->ConvertColours(game, a->palette, 256);
    op->ConvertColours(game, db->SpritePalette[0], 256);
    op->ConvertColours(shade, db->ShadeTable, 64 * 256);
    free(game);
    free(shade);

    a->grass = read_record("grass.til", 1024);
    a->path = read_record("path.til", 1024);
    a->tree = read_sprite("tree.spr");
    a->rock = read_sprite("rock.spr");
    a->figure = read_sprite("figure.spr");
    a->shadow = read_sprite("shadow.spr");
    a->font = read_asset("text.fnt", &size);
    if (size < sizeof(RuvoFont)) fail("text.fnt", "too short for a font");

    /* The font's anti-aliasing ramp, faint to full: white over a dark panel. */
    memset(a->text_colours, 0, sizeof a->text_colours);
    for (k = 1; k <= 4; ++k) {
        uint16_t c = rgb565(30 + 225 * k / 4, 40 + 215 * k / 4, 30 + 225 * k / 4);
        op->ConvertColours(&c, &a->text_colours[k], 1);
    }
}

static void free_assets(struct Assets *a) {
    free((void *)a->grass);
    free((void *)a->path);
    free((void *)a->tree);
    free((void *)a->rock);
    free((void *)a->figure);
    free((void *)a->shadow);
    free((void *)a->font);
}

/* ---- The scene ----------------------------------------------------------- */

/* Tile (u, v) of the isometric map: its axis column and top row on screen. */
static int tile_x(int u, int v) { return 512 + 32 * (u - v); }
static int tile_y(int u, int v) { return -208 + 16 * (u + v); }

/* Light 0..31 (16 = the palette's own colours) at a screen point: a pool of
 * light around (560, 400), darker towards the edges. */
static int light_at(int x, int y) {
    long dx = x - 560, dy = 2L * (y - 400);
    long d2 = dx * dx + dy * dy;
    int level = 22;
    while (level > 6 && d2 > 0) {
        d2 -= 120L * 120L;
        --level;
    }
    return level;
}

enum Kind { TREE, ROCK };
struct Object {
    enum Kind kind;
    int x, y; /* the base (bottom centre) on screen; its row is the depth */
};

/* Back to front, so that nearer objects are stamped over farther ones. */
static const struct Object objects[] = {
    {TREE, 380, 250}, {ROCK, 700, 300}, {TREE, 820, 330}, {TREE, 240, 380}, {TREE, 600, 430},
    {ROCK, 470, 470}, {TREE, 700, 560}, {ROCK, 300, 600}, {TREE, 900, 640}, {TREE, 130, 700},
};

struct Figure {
    int x, y; /* feet */
};
/* The first stands 10 rows behind the tree at (600, 430): its crown hides the
 * figure's head and shoulders. The second stands in front of the tree at
 * (700, 560) and is drawn over it. */
static const struct Figure figures[] = {{612, 420}, {690, 575}};

static void draw_frame(RuvoDrawBlock *db, const struct Assets *a) {
    RuvoOperations *op = &db->OperationSlot.Op;
    const char *title = "ruvodraw1024: tiles, stamped objects, a figure behind a tree";
    size_t i;
    int u, v, width;

    /* Background layer: depth reset to the plain row numbers, ground tiles lit
     * at their four corners, objects stamped with their depth keys. */
    op->ResetDepth();
    for (u = -4; u < 52; ++u) {
        for (v = -4; v < 52; ++v) {
            int x = tile_x(u, v), y = tile_y(u, v);
            const uint8_t *tile = (v == 22 || (u == 24 && v < 22)) ? a->path : a->grass;
            op->DrawShadedTile(x, y, light_at(x - 32, y + 16), light_at(x + 32, y + 16),
                               light_at(x, y), light_at(x, y + 32), tile);
        }
    }
    for (i = 0; i < sizeof objects / sizeof objects[0]; ++i) {
        const struct Object *o = &objects[i];
        if (o->kind == TREE)
            op->StampBackSpriteP0(o->x, o->y, o->y, a->tree);
        else
            op->StampBackSprite(o->x, o->y, o->y, a->palette, a->rock);
    }

    /* Screen layer: the background, then shadows on the ground and figures
     * tested against the depth of what was stamped. */
    op->CopyBackToScreen(0, 0, SCREEN_W, SCREEN_H);
    for (i = 0; i < sizeof figures / sizeof figures[0]; ++i) {
        op->CastScreenShadow(figures[i].x, figures[i].y, RUVO_DEPTH_CLEARABLE_FLAG, a->shadow);
        op->DrawScreenSpriteTested(figures[i].x, figures[i].y, figures[i].y, a->palette, a->figure);
    }

    /* A title on a darkened panel. */
    width = op->MeasureText(title, a->font);
    op->BlendRect(16, 16, width + 24, 36, 0x0000);
    op->DrawRect(16, 16, width + 24, 36, a->text_colours[2]);
    op->DrawText(28, 22, title, a->font, a->text_colours);
}

/* ---- Output -------------------------------------------------------------- */

/* Writes the locked primary surface (5-6-5, as the in-memory display has it)
 * as an RGB PNG. */
static void write_png(const char *path, const uint8_t *pixels, int32_t pitch) {
    FILE *file = fopen(path, "wb");
    png_structp png;
    png_infop info;
    png_bytep row = malloc((size_t)SCREEN_W * 3);
    size_t x;
    int y;
    if (!file) fail(path, strerror(errno));
    if (!row) fail(path, "out of memory");
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    info = png ? png_create_info_struct(png) : NULL;
    if (!info) fail(path, "out of memory");
    if (setjmp(png_jmpbuf(png))) fail(path, "cannot write the PNG");
    png_init_io(png, file);
    png_set_IHDR(png, info, SCREEN_W, SCREEN_H, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (y = 0; y < SCREEN_H; ++y) {
        for (x = 0; x < SCREEN_W; ++x) {
            uint16_t p;
            memcpy(&p, pixels + (size_t)y * (size_t)pitch + 2 * x, 2);
            row[3 * x] = (png_byte)((p >> 11) * 255 / 31);
            row[3 * x + 1] = (png_byte)(((p >> 5) & 63) * 255 / 63);
            row[3 * x + 2] = (png_byte)((p & 31) * 255 / 31);
        }
        png_write_row(png, row);
    }
    png_write_end(png, NULL);
    png_destroy_write_struct(&png, &info);
    free(row);
    if (fclose(file) != 0) fail(path, strerror(errno));
}

/* FNV-1a over the picture's pixels, so a test can tell whether it changed. */
static unsigned long frame_hash(const uint8_t *pixels, int32_t pitch) {
    unsigned long h = 2166136261UL;
    int x, y;
    for (y = 0; y < SCREEN_H; ++y) {
        for (x = 0; x < 2 * SCREEN_W; ++x) {
            h ^= pixels[(size_t)y * (size_t)pitch + (size_t)x];
            h = (h * 16777619UL) & 0xFFFFFFFFUL;
        }
    }
    return h;
}

int main(int argc, char **argv) {
    const char *library = argc > 1 ? argv[1] : RUVO_EXAMPLE_LIBRARY;
    const char *out = argc > 3 ? argv[3] : "example.png";
    RuvoDrawBlock *db;
    RuvoOperations *op;
    struct Assets assets;

    if (argc > 4 || (argc > 1 && (!strcmp(argv[1], "--help") || !strcmp(argv[1], "-h")))) {
        printf(
            "usage: ruvo-example [LIBRARY [ASSETS_DIR [OUT.png]]]\n"
            "Draws one frame with libruvodraw1024 and writes it as a PNG.\n"
            "  LIBRARY     the shared library (default %s)\n"
            "  ASSETS_DIR  the files ruvo-pack made (default %s)\n"
            "  OUT.png     the picture (default example.png)\n",
            RUVO_EXAMPLE_LIBRARY, RUVO_EXAMPLE_ASSETS);
        return argc > 4 ? 2 : 0;
    }
    assets_dir = argc > 2 ? argv[2] : RUVO_EXAMPLE_ASSETS;

    db = load_library(library);
    op = &db->OperationSlot.Op;

    /* A null window: the display lives in memory. SetScreenMode makes the
     * 16-bit primary surface, analyses its pixel format (which blends,
     * shadows and fades need) and sets the clip rectangle to the mode. */
    if (!op->OpenDisplay(NULL, 0)) fail("OpenDisplay failed", NULL);
    if (!op->SetScreenMode(SCREEN_W, SCREEN_H)) fail("SetScreenMode(1024, 768) failed", NULL);

    load_assets(db, &assets);
    draw_frame(db, &assets);

    /* Present (locks, copies, unlocks), then lock again to read the picture. */
    if (op->PresentRect(0, 0, SCREEN_W, SCREEN_H) != 0) fail("PresentRect failed", NULL);
    if (!op->LockPrimary()) fail("LockPrimary failed", NULL);
    write_png(out, db->SurfacePointer, db->SurfacePitch);
    printf("wrote %s, frame hash %08lx\n", out, frame_hash(db->SurfacePointer, db->SurfacePitch));
    if (op->UnlockPrimary() != 0) fail("UnlockPrimary failed", NULL);
    op->CloseDisplay();
    free_assets(&assets);
    return 0;
}
