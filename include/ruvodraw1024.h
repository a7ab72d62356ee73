/**
 * \file ruvodraw1024.h
 * \brief The whole interface of ruvodraw1024: one function, one record, 59
 * operation slots.
 *
 * Valid C99 and C++. The reference for every slot and field is in this file:
 * the overview right below, the slots after the RuvoOperations struct, the
 * fields inside RuvoDrawBlock.
 */

/**
 * \mainpage ruvodraw1024 reference
 *
 * ruvodraw1024 draws a 1024 x 768 picture in 16-bit colour in memory and
 * shows it through a display. The library exports one function,
 * RuvoDraw_Init(), which returns the one RuvoDrawBlock of the process.
 * Everything else goes through that record: the host reads and writes its
 * fields and calls every operation through its 59 operation slots, by name
 * or by number:
 *
 *     RuvoDrawBlock *db = RuvoDraw_Init();
 *     db->OperationSlot.Op.AnalysePixelFormat(0xF800, 0x07E0, 0x001F);
 *     db->OperationSlot.Op.FillRect(0, 0, 64, 32, 0xF800);
 *     RuvoOperation raw = db->OperationSlot.Slot[RUVO_SLOT_FillRect];
 *
 * Each slot is documented as a member of RuvoOperations (slot number,
 * arguments with their units and ranges, what is drawn and where, the
 * result, which other slots it calls); each field as a member of
 * RuvoDrawBlock (offset, who writes it, unit, what reads it).
 *
 * | Slots | What they do |
 * |---|---|
 * | 0, 8 | view: ResetView, Scroll |
 * | 1 to 7, 58 | display: open, mode, pixel format, lock, close |
 * | 9, 10 | colour conversion into the display's format |
 * | 11 to 13 | text: measure, draw into the back or the screen layer |
 * | 14, 15, 25, 26 | tiles: shaded, tinted, darkened, blackened |
 * | 16 to 22 | sprites into the back layer, stamped with depth, shadows |
 * | 28 to 38 | sprites into the screen layer: plain, depth-tested, effects |
 * | 23, 50, 54 | copies: back to screen, screen to host image, image to image |
 * | 51, 52 | depth layer: clear a flag, reset to row numbers |
 * | 24, 39 to 46 | primitives: pixels, lines, rectangles, dotted ellipse |
 * | 27, 47, 48, 49, 53 | presentation and light-grid shading |
 * | 55 to 57 | sprites into host images and mask buffers |
 *
 * A frame, as the demo draws it: Scroll; for each uncovered strip (clip
 * rectangle set to it) ResetDepth, DrawShadedTile, the objects back to front
 * with StampBackSprite and their base row, CastBackShadow; then
 * CopyBackToScreen, figures with DrawScreenSpriteTested, effects, text; then
 * PresentRect or PresentLit.
 *
 * \section ruvo_conventions Conventions
 *
 * - **Calls.** Every operation uses the C calling convention (RUVO_CDECL)
 *   and takes 32-bit integers and pointers. Drawing operations take x and y
 *   first; sprite operations take the sprite last, with their extra
 *   arguments between. One thread: no operation is thread-safe, and no two
 *   may run at the same time.
 * - **Calls between operations.** DrawText and DrawBackText draw their
 *   glyphs through slots 28 and 19, and SetScreenMode calls slot 0, as the
 *   host has them. DrawRect, DrawDottedEllipse and the display and
 *   presentation operations call the library's own operations named in their
 *   entries. Every other slot calls nothing.
 * - **Results.** Display operations return 1 for success and 0 for failure;
 *   UnlockPrimary returns the platform's result (0 = success); the
 *   presentations return 0 or the result of their own unlock; MeasureText a
 *   width; AnalysePixelFormat the new SpreadMask. Every other slot returns
 *   nothing. There are no messages, logs or allocations.
 * - **Coordinates.** Logical view pixels, signed 32-bit: x 0..1023 from the
 *   left, y 0..767 from the top. The layers map them to storage by the ring
 *   rule (see \ref ruvo_layers).
 * - **Colours.** A colour argument is a 16-bit pixel already in the display's
 *   format, in the low half of a 32-bit argument (the high half is ignored).
 *   Host colours are 5-6-5; ConvertColours turns them into the display's
 *   format. 0xF81F (RUVO_COLOUR_KEY) is the colour key of 16-bit colour data.
 * - **Pixel format first.** Blends, shadows, fades, translucency, additive
 *   light, lighting, TintTile, DarkenTile, BlendRect, the light grid and
 *   ConvertColours compute with the pixel-format fields (RedMask ...
 *   ShadowTint). They are zero until AnalysePixelFormat runs, directly or
 *   inside SetScreenMode; until then those operations give wrong colours
 *   (a shadow, for one, turns pixels black). Call
 *   `AnalysePixelFormat(0xF800, 0x07E0, 0x001F)` for 5-6-5 when drawing
 *   without a display.
 * - **Values outside the ranges.** Where a host passes values outside the
 *   documented ranges, the library stays inside its own memory: rectangles
 *   and clip rectangles are cut to the layer, and nothing is written
 *   outside it. Host pointers (sprites, tables, images, fonts) are trusted.
 *
 * \section ruvo_layers Layers, the ring and the clip rectangle
 *
 * Three layers of 1024 x 768 16-bit cells belong to the library: the screen
 * layer (the picture presented), the back layer (a background copied into
 * the screen layer to erase what was drawn over it) and the depth layer (one
 * depth value per pixel). They are vertical rings sharing one scroll
 * position: Scroll changes ScrollOffset and WrapRow instead of moving pixels,
 * and the host redraws only the strips that come into view. Logical pixel
 * (x, y) lies at byte `ScrollOffset + 2048 y + 2 x` of its layer, less
 * 0x180000 when y >= WrapRow. A host reads a layer cell the same way
 * (ScreenLayer, BackLayer, DepthLayer point to each layer's first cell).
 *
 * The clip rectangle (ClipLeft, ClipTop, ClipRight, ClipBottom, all four
 * inclusive) confines the drawing operations. It is read in one of two ways:
 *
 * - **Signed, cut to the layer**: pixels, lines, rectangles, ellipses,
 *   DrawAnchoredRect, the tile operations and ResetDepth compare the fields
 *   as signed numbers, cut to 0..1023 x 0..767. A ClipLeft of -5 acts as 0.
 * - **Low 16 bits, unsigned, then cut to the layer**: every sprite operation
 *   (slots 16 to 22 and 28 to 38) and so the text. A negative ClipLeft
 *   (65535 and more) hides every sprite while FillRect still draws; a
 *   ClipLeft of 0x10032 acts as 50 for sprites but hides everything for
 *   FillRect.
 *
 * Transfers, presentations, ClearDepthFlag and the light grid do not read
 * the clip rectangle; they cut their own rectangle to the layer (and to the
 * surface). The surface blits (slots 55 to 57) take the clip rectangle of
 * their RuvoSurfaceDesc instead.
 *
 * \section ruvo_depth Depth values and DepthKey
 *
 * A depth-layer cell holds a depth number in bits 5..15 and flags in bits
 * 0..4. ResetDepth writes the plain row number of the view, `row * 32`, with
 * no flags: that is the ground. A sprite operation with a `depth` argument
 * `a` forms its key
 *
 *     DepthKey = ((a + 0x440) * 32) mod 0x10000     (from the low 16 bits of a)
 *
 * so `a` is a row-like number, not a depth value: pass the object's base
 * row in the current view (the row where it stands on the ground, e.g. the
 * bottom row of a tree or a figure). Do not shift it (`y << 5` is wrong).
 * For a from -1088 to 959 the key grows with a: a = 0 gives 0x8800, 767
 * gives 0xE7E0, -64 gives 0x8000, 959 gives 0xFFE0. Every key for a in
 * -64..959 has bit 15 set, so it lies above every ResetDepth value (a sprite
 * is never hidden by the ground) and shadows do not fall on it.
 *
 * - **Stamping** (slots 18 to 20) draws into the back layer and writes the
 *   key into the depth cell of every drawn pixel (18 and 19 keep flag bits
 *   0 and 1 and shade the pixel where flag 0x0002 was set; 20 writes the key
 *   exactly).
 * - **Testing** (slots 31 to 34, 36, 37) draws into the screen layer only
 *   where the stored value v is below the key, or equal to it while the
 *   value just left of it is below the key: a figure with a larger argument
 *   passes in front of objects stamped with a smaller one and behind those
 *   with a larger one. Tested operations never write the depth layer.
 * - **Shadows** (slots 22, 35) fall only where `v AND 0x8007` is 0
 *   (RUVO_DEPTH_NO_SHADOW_MASK): on the ground, not on stamped objects, and
 *   not twice where the flags they set include one of bits 0..2.
 * - **Scroll** re-bases every kept depth value by `-32 dy`, so stored keys
 *   stay in the same view rows as their pixels: always pass rows of the
 *   current view.
 *
 * \section ruvo_sprites The sprite format
 *
 * An RleSprite is a 9-byte header and one row record per row, little-endian,
 * unaligned, with no padding (the library has no encoder; ruvo-pack writes
 * sprites):
 *
 * | Offset | Size | Field |
 * |---|---|---|
 * | 0 | int16 | x offset: the left edge is drawn at column x + x offset |
 * | 2 | int16 | y offset: the first row is drawn at row y + y offset |
 * | 4 | uint16 | declared width - 1 (1..65536 pixels) |
 * | 6 | uint16 | row count (0 draws nothing) |
 * | 8 | uint8 | kind byte, read only by DrawSpriteToSurface |
 *
 * The anchor (x, y) of every sprite operation is thus a point of the host's
 * choosing; the offsets place the image around it (ruvo-pack's `--anchor`
 * chooses them, e.g. the bottom centre for objects stamped by their base
 * row). Each row record is a uint16 byte count L followed by L bytes of runs;
 * the next record follows exactly L bytes later. Runs start at the left edge
 * and follow one another; the pixels after a row's last run are left alone.
 * Each run is a run code byte and its data, read in one of four codings.
 * The count of pixels is the code's low 6 bits under BlendRuns (1..63) and
 * its low 7 bits under the others (1..127):
 *
 * | Coding | Run codes | Class | Data after the code |
 * |---|---|---|---|
 * | BlendRuns | 0x01..0x3F | literal | count index bytes |
 * | BlendRuns | 0x41..0x7F | blended literal: 50% mix with the pixel there | count index bytes |
 * | BlendRuns | 0x81..0xBF | fill | one index byte |
 * | BlendRuns | 0xC0..0xFF | skip | none |
 * | IndexRuns | 0x01..0x7F | literal (index 0 is drawn too) | count index bytes |
 * | IndexRuns | 0x80..0xFF | fill; a fill of index 0 is a skip | one index byte |
 * | ColourRuns | 0x01..0x7F | literal (0xF81F is drawn too) | count 16-bit colours |
 * | ColourRuns | 0x80..0xFF | fill; a fill of 0xF81F is a skip | one 16-bit colour |
 * | MaskRuns | 0x01..0x7F | covered | none |
 * | MaskRuns | 0x80..0xFF | not covered (skip) | none |
 *
 * The slots do not read the coding from the sprite: each reads one fixed
 * coding, and a sprite drawn with a slot of another coding gives garbage.
 *
 * | Coding | Slots | Kind byte (slot 55) | ruvo-pack `--coding` |
 * |---|---|---|---|
 * | BlendRuns | 16, 17, 18, 20, 21, 30, 32, 33 | 0xA2 | `blend` |
 * | IndexRuns | 12, 13 (glyphs), 19, 28, 31, 34, 36, 37, 38, 56, 57 | 0xA1; 0xA9 | `index` |
 * | ColourRuns | 29 | none | `colour` |
 * | MaskRuns | 22, 35 | 0xA3 | `mask` |
 *
 * The kind byte (RUVO_KIND_INDEX, RUVO_KIND_BLEND, RUVO_KIND_SHADOW,
 * RUVO_KIND_TRANSLUCENT) is read only by DrawSpriteToSurface; 0xA9 means
 * IndexRuns through a BlendTable there.
 *
 * An index selects an entry of a 256-colour table (one of the
 * SpritePalette tables or a table the host passes), of a BlendTable
 * (slot 34), or is a light level (slot 37). A malformed sprite is drawn up
 * to where its row data ends; nothing is read outside its rows, nothing
 * written outside the clip rectangle.
 *
 * \section ruvo_tables Colour tables, BlendTable, light levels
 *
 * A colour table is 256 16-bit colours in the display's format. A
 * BlendTable (slot 34, and DrawSpriteToSurface with kind 0xA9) is 256
 * uint32 entries:
 *
 * | Bits | Meaning |
 * |---|---|
 * | 0..15 | colour, added unchanged: the host stores it pre-scaled |
 * | 16..18 | ignored |
 * | 19..23 | w, 0..31: the weight of the pixel already there, in 32nds |
 * | 24..31 | 0 (larger weights make channels run into one another) |
 *
 * A pixel d becomes `(each channel of d times w / 32, rounded down) + colour`;
 * w = 31 leaves the pixel unchanged. For colour c at opacity (32 - w) / 32,
 * store each channel of c times (32 - w) / 32 in bits 0..15, and w << 19.
 *
 * The scales of light and weight, each applied to every channel:
 *
 * - **ApplyScreenLight** (slot 37), level k = sprite byte AND 31: times
 *   k / 16, rounded down, saturating. 16 keeps a 5-bit channel, 8 halves it,
 *   31 nearly doubles it (the 6-bit green of 5-6-5: see the slot).
 * - **LightGrid** corners (slots 27, 47, 49), 0..255: 0 gives half (15/32),
 *   0x40 23/32, 0x80 leaves a cell whose four corners are 0x80 unchanged
 *   (31/32 where a cell is interpolated), 0x81 unchanged, more brightens up
 *   to 47/32 at 0xFF, with no clamping.
 * - **DarkenTile** corners (slot 25), 0..255: times v / 32; 0 black, 16
 *   half, 32 and above unchanged.
 * - **DrawShadedTile** corners (slot 14), 0..31: the ShadeTable row (row
 *   v + 32 on the dithered half of the pixels).
 * - **Fade weight** (slots 38, 56), a = 0..31: sprite colour times
 *   (31 - a) / 32 plus old pixel times a / 32; 0 draws the sprite, 31 keeps
 *   the old pixel (both at 31/32).
 *
 * \section ruvo_tiles Tiles
 *
 * A tile is an isometric diamond of 63 x 32 pixels. The anchor (x, y) is
 * its top vertex: x is the column of the diamond's vertical axis, y the row
 * of its top row. Row r = 0..15 covers columns `x-1-2r .. x+1+2r` (3 to 63
 * pixels), row 16 + k covers `x-30+2k .. x+30-2k` (61 down to 1 pixel); the
 * tile spans columns x-31..x+31 and rows y..y+31. Neighbouring tiles of an
 * isometric map are 64 columns and 32 rows apart, or 32 and 16 along a
 * diagonal. TileBytes are 1024 bytes, one per pixel, rows top to bottom,
 * each left to right (byte 528 starts row 16). The four corner values
 * (left, right, top, bottom) are the light at the diamond's corners,
 * interpolated across it.
 *
 * \section ruvo_text Text
 *
 * A RuvoFont holds one IndexRuns glyph sprite per character code 1..255
 * and its advance. The pen starts at x and moves by advance + 2 after every
 * character; the glyph's offsets are relative to (pen, y), so y is whatever
 * line anchor the font was made for (ruvo-pack hangs glyphs from the top of
 * the line).
 *
 * \section ruvo_display Display and presentation
 *
 * OpenDisplay(window, exclusive) then SetScreenMode(width, height) create
 * the primary surface and analyse its pixel format. A null window gives an
 * in-memory 5-6-5 display (servers, tools, tests); on Linux a window is the
 * host's `SDL_Window *` (SDL2 is loaded at run time); on Windows the host's
 * `HWND` (DirectDraw). Each frame the host draws into the layers and calls
 * PresentRect or PresentLit, which lock the surface, copy, and unlock unless
 * the host holds the lock itself (LockPrimary ... UnlockPrimary around
 * several presentations). CloseDisplay or ReleaseDisplay ends it.
 */
#ifndef RUVODRAW1024_H
#define RUVODRAW1024_H

#include <stddef.h>
#include <stdint.h>

/** \cond RUVO_PLATFORM_MACROS */
#if defined(_WIN32)
#define RUVO_CDECL __cdecl
#elif defined(__i386__)
#define RUVO_CDECL __attribute__((cdecl))
#else
#define RUVO_CDECL
#endif

#if defined(_WIN32)
#if defined(RUVO_BUILDING_LIBRARY)
#define RUVO_API __declspec(dllexport)
#elif defined(RUVO_STATIC) /* linked into the program from a static library */
#define RUVO_API
#else
#define RUVO_API __declspec(dllimport)
#endif
#else
#define RUVO_API __attribute__((visibility("default")))
#endif
/** \endcond */

#ifdef __cplusplus
extern "C" {
#endif

/** \name Layer geometry
 * Every layer is a vertical ring of 768 rows of 1024 cells.
 * \{ */
#define RUVO_LAYER_WIDTH 1024       /**< cells per row */
#define RUVO_LAYER_HEIGHT 768       /**< rows per layer */
#define RUVO_LAYER_PITCH 2048       /**< bytes per layer row */
#define RUVO_LAYER_BYTES 0x180000   /**< bytes of one layer; the ring's size */
#define RUVO_LAYER_SPACING 0x180824 /**< bytes from a cell to the same cell of the next layer */
/** \} */

/** The colour key of 16-bit (5-6-5) colour data: full red, no green, full
 * blue. ColourRuns fills of this colour are skips; ConvertColours keeps it. */
#define RUVO_COLOUR_KEY 0xF81Fu

/** \name Depth values
 * A depth-layer cell: depth number in bits 5..15, flags in bits 0..4 (see
 * \ref ruvo_depth).
 * \{ */
#define RUVO_DEPTH_SHADED_FLAG 0x0002u    /**< stamped pixels over it are halved and tinted */
#define RUVO_DEPTH_CLEARABLE_FLAG 0x0004u /**< the bit ClearDepthFlag clears */
#define RUVO_DEPTH_NO_SHADOW_MASK 0x8007u /**< shadows fall only where none of these is set */
/** \} */

/** \name Kind byte of a sprite header
 * Read by DrawSpriteToSurface only; the other sprite slots ignore it.
 * \{ */
#define RUVO_KIND_INDEX 0xA1u       /**< IndexRuns through a colour table (any other value too) */
#define RUVO_KIND_BLEND 0xA2u       /**< BlendRuns through a colour table */
#define RUVO_KIND_SHADOW 0xA3u      /**< MaskRuns drawn as a shadow */
#define RUVO_KIND_TRANSLUCENT 0xA9u /**< IndexRuns through a BlendTable */
/** \} */

/** \name Display results that keep their DirectDraw values
 * Met inside LockPrimary, which retries a busy surface and restores a lost
 * one; UnlockPrimary may return them.
 * \{ */
#define RUVO_RESULT_SURFACE_BUSY ((int32_t)0x887601AEu) /**< the surface is busy */
#define RUVO_RESULT_SURFACE_LOST ((int32_t)0x887601C2u) /**< the surface was lost */
/** \} */

/** Bytes of an RleSprite header (little-endian, unaligned); the row records
 * follow. See \ref ruvo_sprites. */
#define RUVO_SPRITE_HEADER_BYTES 9

/**
 * A font record (1540 bytes and the glyphs), read by MeasureText, DrawText
 * and DrawBackText. The glyphs may lie anywhere after the tables, in the
 * same block of memory. Every character a string uses needs a valid glyph
 * (an empty one for a space): no code is treated specially.
 */
typedef struct RuvoFont {
    /** Byte offset from the record's start to the IndexRuns RleSprite of
     * character c (0..255; 0 ends a string and is never drawn). */
    uint32_t GlyphOffset[256];
    uint32_t Unused; /**< not read */
    /** Advance[c][0]: advance width of character c in pixels, unsigned; the
     * pen moves by it plus 2. Advance[c][1] is not read. */
    uint8_t Advance[256][2];
} RuvoFont;

/**
 * A host image or mask buffer that the surface blits (slots 55 to 57) draw
 * into, read at the start of each call. There is no ring and no scroll: the
 * image is addressed as `Base + Pitch * row + column`.
 */
typedef struct RuvoSurfaceDesc {
    /** Pixel (0, 0) of a 16-bit image, 2-byte aligned; not read by
     * StampSpriteMask, which takes its buffer as an argument. */
    uint16_t *Base;
    /** Pixels per row of the image (bytes per row of a mask buffer). */
    int32_t Pitch;
    /** Leftmost column that may be written. Each clip field counts by its
     * low 16 bits, unsigned; the rectangle must lie inside the image. */
    int32_t ClipLeft;
    int32_t ClipTop;    /**< topmost row that may be written */
    int32_t ClipRight;  /**< rightmost column that may be written, inclusive */
    int32_t ClipBottom; /**< lowest row that may be written, inclusive (may exceed 767) */
} RuvoSurfaceDesc;

/**
 * The slot table: slot number, member name, implementing operation, result,
 * parameters. Slots 27 and 49 hold the same operation. Every slot is
 * documented as a member of RuvoOperations.
 */
#define RUVO_OPERATION_SLOTS(X)                                                                   \
    X(0, ResetView, ResetView, void, (void))                                                      \
    X(1, OpenDisplay, OpenDisplay, int32_t, (void *window, int32_t exclusive))                    \
    X(2, CloseDisplay, CloseDisplay, void, (void))                                                \
    X(3, SetScreenMode, SetScreenMode, int32_t, (int32_t width, int32_t height))                  \
    X(4, AnalysePixelFormat, AnalysePixelFormat, uint32_t,                                        \
      (uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask))                               \
    X(5, ReleasePrimary, ReleasePrimary, void, (void))                                            \
    X(6, LockPrimary, LockPrimary, int32_t, (void))                                               \
    X(7, UnlockPrimary, UnlockPrimary, int32_t, (void))                                           \
    X(8, Scroll, Scroll, void, (int32_t dx, int32_t dy))                                          \
    X(9, ConvertColours, ConvertColours, void, (const uint16_t *src, uint16_t *dst, int32_t count)) \
    X(10, ConvertAlternateColours, ConvertAlternateColours, void,                                 \
      (const void *src, void *dst, int32_t count))                                                \
    X(11, MeasureText, MeasureText, int32_t, (const char *text, const RuvoFont *font))            \
    X(12, DrawBackText, DrawBackText, void,                                                       \
      (int32_t x, int32_t y, const char *text, const RuvoFont *font, const uint16_t *colours))    \
    X(13, DrawText, DrawText, void,                                                               \
      (int32_t x, int32_t y, const char *text, const RuvoFont *font, const uint16_t *colours))    \
    X(14, DrawShadedTile, DrawShadedTile, void,                                                   \
      (int32_t x, int32_t y, int32_t left, int32_t right, int32_t top, int32_t bottom,            \
       const uint8_t *tile))                                                                      \
    X(15, TintTile, TintTile, void, (int32_t x, int32_t y, uint32_t colour))                      \
    X(16, DrawBackSpriteP1, DrawBackSpriteP1, void, (int32_t x, int32_t y, const void *sprite))   \
    X(17, DrawBackSpriteP2, DrawBackSpriteP2, void, (int32_t x, int32_t y, const void *sprite))   \
    X(18, StampBackSpriteP0, StampBackSpriteP0, void,                                             \
      (int32_t x, int32_t y, int32_t depth, const void *sprite))                                  \
    X(19, StampBackSprite, StampBackSprite, void,                                                 \
      (int32_t x, int32_t y, int32_t depth, const uint16_t *colours, const void *sprite))         \
    X(20, StampBackSpritePlain, StampBackSpritePlain, void,                                       \
      (int32_t x, int32_t y, int32_t depth, const uint16_t *colours, const void *sprite))         \
    X(21, DrawBackSprite, DrawBackSprite, void,                                                   \
      (int32_t x, int32_t y, const uint16_t *colours, const void *sprite))                        \
    X(22, CastBackShadow, CastBackShadow, void,                                                   \
      (int32_t x, int32_t y, uint32_t flags, const void *sprite))                                 \
    X(23, CopyBackToScreen, CopyBackToScreen, void,                                               \
      (int32_t x, int32_t y, int32_t width, int32_t height))                                      \
    X(24, PutBackPixel, PutBackPixel, void, (int32_t x, int32_t y, uint32_t colour))              \
    X(25, DarkenTile, DarkenTile, void,                                                           \
      (int32_t x, int32_t y, int32_t left, int32_t right, int32_t top, int32_t bottom))           \
    X(26, BlackenTile, BlackenTile, void,                                                         \
      (int32_t x, int32_t y, int32_t left, int32_t right, int32_t top, int32_t bottom,            \
       const uint8_t *tile))                                                                      \
    X(27, ApplyLightGrid, ApplyLightGrid, void,                                                   \
      (int32_t left, int32_t top, int32_t right, int32_t bottom))                                 \
    X(28, DrawScreenSprite, DrawScreenSprite, void,                                               \
      (int32_t x, int32_t y, const uint16_t *colours, const void *sprite))                        \
    X(29, DrawScreenColourSprite, DrawScreenColourSprite, void,                                   \
      (int32_t x, int32_t y, const void *sprite))                                                 \
    X(30, DrawScreenBlendSprite, DrawScreenBlendSprite, void,                                     \
      (int32_t x, int32_t y, const uint16_t *colours, const void *sprite))                        \
    X(31, DrawScreenSpriteTested, DrawScreenSpriteTested, void,                                   \
      (int32_t x, int32_t y, int32_t depth, const uint16_t *colours, const void *sprite))         \
    X(32, DrawScreenBlendSpriteTested, DrawScreenBlendSpriteTested, void,                         \
      (int32_t x, int32_t y, int32_t depth, const uint16_t *colours, const void *sprite))         \
    X(33, DrawScreenBlendSpriteStippled, DrawScreenBlendSpriteStippled, void,                     \
      (int32_t x, int32_t y, int32_t depth, const uint16_t *colours, const void *sprite))         \
    X(34, DrawScreenSpriteTranslucent, DrawScreenSpriteTranslucent, void,                         \
      (int32_t x, int32_t y, int32_t depth, const uint32_t *blend_table, const void *sprite))     \
    X(35, CastScreenShadow, CastScreenShadow, void,                                               \
      (int32_t x, int32_t y, uint32_t flags, const void *sprite))                                 \
    X(36, DrawScreenSpriteAdditive, DrawScreenSpriteAdditive, void,                               \
      (int32_t x, int32_t y, int32_t depth, const uint16_t *colours, const void *sprite))         \
    X(37, ApplyScreenLight, ApplyScreenLight, void,                                               \
      (int32_t x, int32_t y, int32_t depth, const void *sprite))                                  \
    X(38, DrawScreenSpriteFaded, DrawScreenSpriteFaded, void,                                     \
      (int32_t x, int32_t y, int32_t weight, const uint16_t *colours, const void *sprite))        \
    X(39, PutPixel, PutPixel, void, (int32_t x, int32_t y, uint32_t colour))                      \
    X(40, FillRect, FillRect, void,                                                               \
      (int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour))                     \
    X(41, DrawRect, DrawRect, void,                                                               \
      (int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour))                     \
    X(42, DrawHLine, DrawHLine, void, (int32_t x, int32_t y, int32_t length, uint32_t colour))    \
    X(43, DrawVLine, DrawVLine, void, (int32_t x, int32_t y, int32_t length, uint32_t colour))    \
    X(44, BlendRect, BlendRect, void,                                                             \
      (int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour))                     \
    X(45, DrawAnchoredRect, DrawAnchoredRect, void,                                               \
      (int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour))                     \
    X(46, DrawDottedEllipse, DrawDottedEllipse, void,                                             \
      (int32_t cx, int32_t cy, int32_t radius, uint32_t colour, int32_t spacing))                 \
    X(47, PresentLit, PresentLit, int32_t, (int32_t left, int32_t top, int32_t right, int32_t bottom)) \
    X(48, PresentRect, PresentRect, int32_t, (int32_t x, int32_t y, int32_t width, int32_t height)) \
    X(49, ApplyLightGridAlias, ApplyLightGrid, void,                                              \
      (int32_t left, int32_t top, int32_t right, int32_t bottom))                                 \
    X(50, ReadScreenRect, ReadScreenRect, void,                                                   \
      (int32_t x, int32_t y, int32_t width, int32_t height, int32_t dest_x, int32_t dest_y,       \
       int32_t dest_pitch, uint16_t *dest_base))                                                  \
    X(51, ClearDepthFlag, ClearDepthFlag, void,                                                   \
      (int32_t x, int32_t y, int32_t width, int32_t height))                                      \
    X(52, ResetDepth, ResetDepth, void, (void))                                                   \
    X(53, PresentImage, PresentImage, int32_t,                                                    \
      (int32_t src_x, int32_t src_y, int32_t width, int32_t height, int32_t dest_x,               \
       int32_t dest_y, int32_t src_pitch, const uint16_t *src_base))                              \
    X(54, CopyImageRect, CopyImageRect, void,                                                     \
      (int32_t src_x, int32_t src_y, int32_t src_pitch, const uint16_t *src_base, int32_t dest_x, \
       int32_t dest_y, int32_t dest_pitch, uint16_t *dest_base, int32_t width, int32_t height))   \
    X(55, DrawSpriteToSurface, DrawSpriteToSurface, void,                                         \
      (int32_t x, int32_t y, const void *sprite, const void *table,                               \
       const RuvoSurfaceDesc *surface))                                                           \
    X(56, BlendSpriteToSurface, BlendSpriteToSurface, void,                                       \
      (int32_t x, int32_t y, int32_t weight, const uint16_t *colours, const void *sprite,         \
       const RuvoSurfaceDesc *surface))                                                           \
    X(57, StampSpriteMask, StampSpriteMask, void,                                                 \
      (int32_t x, int32_t y, const void *sprite, uint32_t value, const RuvoSurfaceDesc *surface,  \
       uint8_t *mask))                                                                            \
    X(58, ReleaseDisplay, ReleaseDisplay, void, (void))

#define RUVO_SLOT_COUNT 59 /**< number of operation slots */

/* RuvoResetViewFn, RuvoOpenDisplayFn, ...: the type of each slot. */
#define RUVO_DECLARE_SLOT_TYPE(slot, Member, Operation, Result, Params) \
    typedef Result(RUVO_CDECL *Ruvo##Member##Fn) Params;
RUVO_OPERATION_SLOTS(RUVO_DECLARE_SLOT_TYPE)
#undef RUVO_DECLARE_SLOT_TYPE

/* RUVO_SLOT_ResetView = 0, ..., RUVO_SLOT_ReleaseDisplay = 58. */
#define RUVO_DECLARE_SLOT_INDEX(slot, Member, Operation, Result, Params) RUVO_SLOT_##Member = slot,
enum RuvoSlot { RUVO_OPERATION_SLOTS(RUVO_DECLARE_SLOT_INDEX) RUVO_SLOT_END = RUVO_SLOT_COUNT };
#undef RUVO_DECLARE_SLOT_INDEX

#define RUVO_DECLARE_SLOT_MEMBER(slot, Member, Operation, Result, Params) Ruvo##Member##Fn Member;
/** The slots by name, typed (each member has the type `Ruvo` + name + `Fn`),
 * in slot order; every slot is documented here. */
typedef struct RuvoOperations {
    RUVO_OPERATION_SLOTS(RUVO_DECLARE_SLOT_MEMBER)
} RuvoOperations;
#undef RUVO_DECLARE_SLOT_MEMBER

/** Any slot, untyped; cast it to the slot's own type (`Ruvo` + name + `Fn`)
 * before calling. */
typedef void(RUVO_CDECL *RuvoOperation)(void);

/** The 59 slots, by name or by number (`RUVO_SLOT_` + name). */
typedef union RuvoSlotTable {
    RuvoOperations Op;                   /**< by name: `db->OperationSlot.Op.PutPixel(x, y, c)` */
    RuvoOperation Slot[RUVO_SLOT_COUNT]; /**< by number: `db->OperationSlot.Slot[39]` */
} RuvoSlotTable;

/**
 * \var RuvoOperations::ResetView
 * Slot 0: `void ResetView(void)`.
 *
 * Puts the view back: ScreenWidth 1024, ScreenHeight 768, LayerPitch 2048,
 * ScrollOffset 0, WrapRow 768 and the clip rectangle 0, 0, 1023, 767. Layer
 * contents and every other field are left alone. RuvoDraw_Init runs it
 * directly; SetScreenMode calls whatever slot 0 holds.
 */

/**
 * \var RuvoOperations::OpenDisplay
 * Slot 1: `int32_t OpenDisplay(void *window, int32_t exclusive)`.
 *
 * Opens the display for the host's window: runs CloseDisplay, creates the
 * display object (DirectDrawObject) and sets its cooperative level.
 * `window` null opens the in-memory display (5-6-5, nothing shown); on Linux
 * a window is the host's `SDL_Window *` (SDL2 is loaded at run time; without
 * it the call returns 0); on Windows the host's `HWND`. `exclusive` non-zero
 * asks for full-screen exclusive mode; it is stored unchanged in
 * ExclusiveMode, and `window` in DisplayWindow.
 *
 * Returns 1 on success, 0 on failure (when the cooperative level fails, the
 * object stays until the next CloseDisplay). Calls CloseDisplay.
 */

/**
 * \var RuvoOperations::CloseDisplay
 * Slot 2: `void CloseDisplay(void)`.
 *
 * Ends the display: runs ReleasePrimary, restores the display mode when
 * ExclusiveMode is set, releases the display object and clears
 * DirectDrawObject. Without an open display it does nothing. Calls
 * ReleasePrimary.
 */

/**
 * \var RuvoOperations::SetScreenMode
 * Slot 3: `int32_t SetScreenMode(int32_t width, int32_t height)`.
 *
 * Sets a 16-bit mode of width 1..1024 by height 1..768 pixels: releases the
 * old primary surface, sets the display mode (exclusive mode only), gives the
 * window the mode's size, creates the primary surface (PrimarySurface),
 * analyses its pixel format, calls slot 0 (ResetView) and sets the clip
 * rectangle to 0, 0, width - 1, height - 1.
 *
 * Returns 1 on success, 0 on failure: before OpenDisplay (or after it
 * failed), for a size outside the ranges (nothing changed), or when the
 * platform refuses the mode or the surface. Calls ReleasePrimary,
 * AnalysePixelFormat and slot 0.
 */

/**
 * \var RuvoOperations::AnalysePixelFormat
 * Slot 4: `uint32_t AnalysePixelFormat(uint32_t red_mask, uint32_t green_mask,
 *   uint32_t blue_mask)`.
 *
 * Derives the pixel-format fields (RedMask to SpreadHighBitsMask and
 * ShadowTint) from the three channel masks of the display's 16-bit format;
 * only the low 16 bits of each mask count. Needs no display: a host that
 * draws without one calls it itself, before any blend, shadow, fade, light
 * or conversion. SetScreenMode calls it with the surface's masks.
 *
 * | Format | Masks R / G / B | LowBitsMask | NotLowBitsMask | SpreadMask | ShadowTint |
 * |---|---|---|---|---|---|
 * | 5-6-5 | 0xF800 / 0x07E0 / 0x001F | 0x08210821 | 0xF7DEF7DE | 0x07E0F81F | 0x00850085 |
 * | 5-5-5 | 0x7C00 / 0x03E0 / 0x001F | 0x04210421 | 0xFBDEFBDE | 0x03E07C1F | 0x00450045 |
 *
 * Returns the new SpreadMask. Calls nothing.
 */

/**
 * \var RuvoOperations::ReleasePrimary
 * Slot 5: `void ReleasePrimary(void)`.
 *
 * Releases the primary surface and clears PrimarySurface. A surface the
 * host still holds locked is unlocked first and SurfacePointer cleared.
 * Without a surface it does nothing.
 */

/**
 * \var RuvoOperations::LockPrimary
 * Slot 6: `int32_t LockPrimary(void)`.
 *
 * Locks the whole primary surface for direct access: sets SurfacePointer
 * (its first byte) and SurfacePitch (bytes per row). A busy surface is
 * retried and a lost one restored and retried, up to 2^20 times. Lock once
 * to present several rectangles, then UnlockPrimary; do not lock twice.
 *
 * Returns 1 on success; 0 on failure, before SetScreenMode, or when
 * the surface does not come back (SurfacePointer stays 0).
 */

/**
 * \var RuvoOperations::UnlockPrimary
 * Slot 7: `int32_t UnlockPrimary(void)`.
 *
 * Unlocks the primary surface and sets SurfacePointer to 0 whatever the
 * result. On the in-memory display an unlock just ends the access; with
 * SDL2 it shows the surface in the window.
 *
 * Returns the platform's result: 0 on success, negative on failure (also
 * without a surface).
 */

/**
 * \var RuvoOperations::Scroll
 * Slot 8: `void Scroll(int32_t dx, int32_t dy)`.
 *
 * Moves the view of all three layers by dx pixels right and dy rows down
 * without moving pixels: what was at (x + dx, y + dy) is afterwards at
 * (x, y). Updates ScrollOffset and WrapRow, keeps each layer's hidden
 * overflow row in step when the horizontal part wraps, and lowers every
 * depth value that stays in view by `32 * dy` (the rows it belongs to
 * moved). Any step is accepted; one of a whole view or more keeps nothing.
 *
 * What comes into view is stale in all three layers: the host redraws each
 * uncovered strip (clip rectangle set to the strip; ResetDepth, tiles,
 * stamped objects). Calls nothing.
 */

/**
 * \var RuvoOperations::ConvertColours
 * Slot 9: `void ConvertColours(const uint16_t *src, uint16_t *dst, int32_t count)`.
 *
 * Converts `count` 5-6-5 colours into the display's format (channel by
 * channel, keeping each channel's high bits); the colour key 0xF81F stays
 * 0xF81F. `count` <= 0 converts nothing; `src` and `dst` may be the same
 * array. For a 5-6-5 display it copies. Needs AnalysePixelFormat.
 */

/**
 * \var RuvoOperations::ConvertAlternateColours
 * Slot 10: `void ConvertAlternateColours(const void *src, void *dst, int32_t count)`.
 *
 * As ConvertColours for the low 16-bit half of each of `count` 32-bit
 * elements, with no colour-key exception; the high half of each element of
 * `dst` is not written. In place allowed.
 */

/**
 * \var RuvoOperations::MeasureText
 * Slot 11: `int32_t MeasureText(const char *text, const RuvoFont *font)`.
 *
 * Returns the width of a zero-terminated string in pixels: the sum of
 * `Advance[c][0] + 2` over its characters (codes unsigned), wrapping in 32
 * bits. The glyphs are not read; an empty string gives 0.
 */

/**
 * \var RuvoOperations::DrawBackText
 * Slot 12: `void DrawBackText(int32_t x, int32_t y, const char *text, const RuvoFont *font,
 *   const uint16_t *colours)`.
 *
 * Draws a string into the back layer, stamping depth: each glyph goes
 * through slot 19 (StampBackSprite), as the host has it, with the arguments
 * (x + pen, y, y, colours, glyph), so every glyph gets the DepthKey of row
 * y. The pen starts at 0 and moves by `Advance[c][0] + 2` after every
 * character. `colours`: 256 colours for the glyphs' indexes. Calls slot 19.
 */

/**
 * \var RuvoOperations::DrawText
 * Slot 13: `void DrawText(int32_t x, int32_t y, const char *text, const RuvoFont *font,
 *   const uint16_t *colours)`.
 *
 * Draws a string into the screen layer: each glyph goes through slot 28
 * (DrawScreenSprite), as the host has it, with the arguments (x + pen, y,
 * colours, glyph); the pen moves by `Advance[c][0] + 2` after every
 * character. Glyphs are clipped like sprites (the clip fields' low 16
 * bits). Calls slot 28.
 */

/**
 * \var RuvoOperations::DrawShadedTile
 * Slot 14: `void DrawShadedTile(int32_t x, int32_t y, int32_t left, int32_t right, int32_t top,
 *   int32_t bottom, const uint8_t *tile)`.
 *
 * Paints a ground tile into the back layer. `(x, y)` is the diamond's top
 * vertex (\ref ruvo_tiles); `tile` points to 1024 TileBytes, each a palette
 * index (0 is drawn too: there is no key). `left`, `right`, `top`,
 * `bottom` are the light at the diamond's corners, 0..31, interpolated
 * across it; each pixel takes `ShadeTable[row * 256 + byte]`, with row the
 * pixel's level on one half of a checkerboard and level + 32 on the other
 * (the host fills all 64 rows). The checkerboard's phase flips with every
 * drawn row, so the same tile drawn twice gives the two complementary
 * patterns. Corner values outside 0..31 select row `(level XOR 32 d) AND 63`.
 * Clipped (signed, cut to the layer); any anchor is safe.
 */

/**
 * \var RuvoOperations::TintTile
 * Slot 15: `void TintTile(int32_t x, int32_t y, uint32_t colour)`.
 *
 * Tints a tile's footprint (anchor at its top vertex, \ref ruvo_tiles) in
 * the screen layer: each pixel p becomes
 * `((p AND NotLowBitsMask) >> 1) + colour` on 16 bits. The colour is added
 * to half the background unchanged, so it must be pre-halved: pass
 * `(c AND NotLowBitsMask) >> 1` for an even mix with c; 0 halves the
 * footprint. Needs the pixel format. Clipped (signed, cut to the layer).
 */

/**
 * \var RuvoOperations::DrawBackSpriteP1
 * Slot 16: `void DrawBackSpriteP1(int32_t x, int32_t y, const void *sprite)`.
 *
 * Draws a **BlendRuns** sprite into the back layer with the colours of
 * SpritePalette[1]: literals and fills take their index's colour, blended
 * literals the 50% mix with the pixel there. No depth. Anchor `(x, y)` plus
 * the sprite's offsets; clipped by the clip fields' low 16 bits.
 */

/**
 * \var RuvoOperations::DrawBackSpriteP2
 * Slot 17: `void DrawBackSpriteP2(int32_t x, int32_t y, const void *sprite)`.
 *
 * As DrawBackSpriteP1 with SpritePalette[2]: a **BlendRuns** sprite into
 * the back layer, no depth.
 */

/**
 * \var RuvoOperations::StampBackSpriteP0
 * Slot 18: `void StampBackSpriteP0(int32_t x, int32_t y, int32_t depth, const void *sprite)`.
 *
 * Stamps a **BlendRuns** sprite into the back layer with the colours of
 * SpritePalette[0]. Every drawn pixel's depth cell becomes
 * `DepthKey(depth) OR (old AND 3)`; where the old value had flag 0x0002 the
 * pixel is halved and ShadowTint added. `depth`: the object's base row in
 * the view (\ref ruvo_depth). Clipped by the clip fields' low 16 bits.
 */

/**
 * \var RuvoOperations::StampBackSprite
 * Slot 19: `void StampBackSprite(int32_t x, int32_t y, int32_t depth, const uint16_t *colours,
 *   const void *sprite)`.
 *
 * Stamps an **IndexRuns** sprite into the back layer through `colours`
 * (256 colours): depth cells and shading as StampBackSpriteP0. `depth`: the
 * object's base row in the view. DrawBackText draws its glyphs with this
 * slot.
 */

/**
 * \var RuvoOperations::StampBackSpritePlain
 * Slot 20: `void StampBackSpritePlain(int32_t x, int32_t y, int32_t depth, const uint16_t *colours,
 *   const void *sprite)`.
 *
 * Stamps a **BlendRuns** sprite into the back layer through `colours`;
 * every drawn pixel's depth cell becomes exactly `DepthKey(depth)` (flags
 * cleared) and nothing is shaded. `depth`: the object's base row in the
 * view.
 */

/**
 * \var RuvoOperations::DrawBackSprite
 * Slot 21: `void DrawBackSprite(int32_t x, int32_t y, const uint16_t *colours,
 *   const void *sprite)`.
 *
 * Draws a **BlendRuns** sprite into the back layer through `colours`. No
 * depth.
 */

/**
 * \var RuvoOperations::CastBackShadow
 * Slot 22: `void CastBackShadow(int32_t x, int32_t y, uint32_t flags, const void *sprite)`.
 *
 * Casts a **MaskRuns** shadow into the back layer: each covered pixel whose
 * depth value v has none of the bits 0x8007 set (the ground, not a stamped
 * object, not already shadowed) becomes `((p AND NotLowBitsMask) >> 1) +
 * ShadowTint`, and its depth value `v OR (flags AND 0xFFFF)`. Pass a flag
 * of 0x0001..0x0007 (e.g. RUVO_DEPTH_CLEARABLE_FLAG) so that overlapping
 * shadows darken once; with RUVO_DEPTH_SHADED_FLAG (0x0002), objects stamped
 * over the shadow later by slots 18 and 19 are shaded too. Needs the pixel
 * format.
 */

/**
 * \var RuvoOperations::CopyBackToScreen
 * Slot 23: `void CopyBackToScreen(int32_t x, int32_t y, int32_t width, int32_t height)`.
 *
 * Copies the rectangle of the back layer into the same place of the screen
 * layer: the usual erase. Copies whole steps of four pixels (a width that is
 * no multiple of 4 is rounded down). Not clipped by the clip rectangle: the
 * rectangle is cut to the layer; zero or negative sizes copy nothing.
 */

/**
 * \var RuvoOperations::PutBackPixel
 * Slot 24: `void PutBackPixel(int32_t x, int32_t y, uint32_t colour)`.
 *
 * Writes one pixel of the back layer, as PutPixel does in the screen layer.
 */

/**
 * \var RuvoOperations::DarkenTile
 * Slot 25: `void DarkenTile(int32_t x, int32_t y, int32_t left, int32_t right, int32_t top,
 *   int32_t bottom)`.
 *
 * Darkens a tile's footprint (anchor at its top vertex) in the screen
 * layer by light interpolated from the four corner values as in
 * DrawShadedTile: each channel times v / 32 for a pixel's level v in
 * 0..31 (0 black, 16 half); 32..255 leave the pixel unchanged. Needs the
 * pixel format. Clipped (signed, cut to the layer).
 */

/**
 * \var RuvoOperations::BlackenTile
 * Slot 26: `void BlackenTile(int32_t x, int32_t y, int32_t left, int32_t right, int32_t top,
 *   int32_t bottom, const uint8_t *tile)`.
 *
 * Sets to 0 every pixel of a tile's footprint (anchor at its top vertex) in
 * the screen layer whose TileBytes byte is non-zero. The four corner values
 * are ignored. Clipped (signed, cut to the layer).
 */

/**
 * \var RuvoOperations::ApplyLightGrid
 * Slot 27: `void ApplyLightGrid(int32_t left, int32_t top, int32_t right, int32_t bottom)`.
 *
 * Shades a rectangle of the screen layer in place by the LightGrid:
 * edges inclusive, in whole cells of 16 x 8 (left and right + 1 multiples
 * of 16, top and bottom + 1 multiples of 8). Each pixel is scaled by the
 * light interpolated from its cell's four corners, with a dither carried
 * along the cell; a cell whose corners are all 0x80 is left alone, all 0
 * halves it (LightGrid for the scale). Shading twice shades twice. The
 * rectangle is cut to the layer; an unaligned one takes the corners of the
 * cell holding its top-left pixel; one narrower than 16 or lower than 8
 * shades nothing. Bands are whole: a rectangle that crosses WrapRow with a
 * height that is no multiple of 8 may shade up to 7 rows below its bottom
 * edge (never past the layer). Needs the pixel format. Slot 49 holds the
 * same operation.
 */

/**
 * \var RuvoOperations::DrawScreenSprite
 * Slot 28: `void DrawScreenSprite(int32_t x, int32_t y, const uint16_t *colours,
 *   const void *sprite)`.
 *
 * Draws an **IndexRuns** sprite into the screen layer through `colours`
 * (256 colours): literals take their index's colour (index 0 included),
 * fills their index's colour, fills of index 0 are skips. No depth.
 * DrawText draws its glyphs with this slot.
 */

/**
 * \var RuvoOperations::DrawScreenColourSprite
 * Slot 29: `void DrawScreenColourSprite(int32_t x, int32_t y, const void *sprite)`.
 *
 * Draws a **ColourRuns** sprite into the screen layer: pixels take the
 * 16-bit colours stored in the sprite (in the display's format); a fill of
 * 0xF81F is a skip. No table, no depth.
 */

/**
 * \var RuvoOperations::DrawScreenBlendSprite
 * Slot 30: `void DrawScreenBlendSprite(int32_t x, int32_t y, const uint16_t *colours,
 *   const void *sprite)`.
 *
 * Draws a **BlendRuns** sprite into the screen layer through `colours`;
 * blended literals mix 50% with the pixel there (needs the pixel format).
 * No depth.
 */

/**
 * \var RuvoOperations::DrawScreenSpriteTested
 * Slot 31: `void DrawScreenSpriteTested(int32_t x, int32_t y, int32_t depth,
 *   const uint16_t *colours, const void *sprite)`.
 *
 * Draws an **IndexRuns** sprite into the screen layer through `colours`,
 * each pixel only where it passes the depth test against `DepthKey(depth)`
 * (\ref ruvo_depth): a figure passes behind stamped objects that stand
 * lower on the screen (a larger base row) and in front of those that stand
 * higher. `depth`: the figure's base row in the view. The depth layer is
 * not written.
 */

/**
 * \var RuvoOperations::DrawScreenBlendSpriteTested
 * Slot 32: `void DrawScreenBlendSpriteTested(int32_t x, int32_t y, int32_t depth,
 *   const uint16_t *colours, const void *sprite)`.
 *
 * As DrawScreenSpriteTested for a **BlendRuns** sprite (blended literals
 * mix 50%).
 */

/**
 * \var RuvoOperations::DrawScreenBlendSpriteStippled
 * Slot 33: `void DrawScreenBlendSpriteStippled(int32_t x, int32_t y, int32_t depth,
 *   const uint16_t *colours, const void *sprite)`.
 *
 * As DrawScreenBlendSpriteTested (**BlendRuns**), but pixels where
 * `x + y + ScrollOffset / 2` is even are drawn without the test: behind an
 * object the figure shows on a checkerboard that stays fixed to the scene
 * while scrolling.
 */

/**
 * \var RuvoOperations::DrawScreenSpriteTranslucent
 * Slot 34: `void DrawScreenSpriteTranslucent(int32_t x, int32_t y, int32_t depth,
 *   const uint32_t *blend_table, const void *sprite)`.
 *
 * Draws an **IndexRuns** sprite translucently into the screen layer, with
 * the depth test: for the BlendTable entry e of a pixel's index, w =
 * `e >> 19`; w of 31 leaves the pixel, otherwise pixel d becomes
 * `(each channel of d times w / 32) + (e AND 0xFFFF)` (\ref ruvo_tables).
 * Needs the pixel format.
 */

/**
 * \var RuvoOperations::CastScreenShadow
 * Slot 35: `void CastScreenShadow(int32_t x, int32_t y, uint32_t flags, const void *sprite)`.
 *
 * As CastBackShadow in the screen layer: a **MaskRuns** shadow that falls
 * only where the depth value has none of the bits 0x8007, halving and
 * tinting the pixel and setting `flags AND 0xFFFF` in the depth value.
 * ClearDepthFlag clears 0x0004 again for the next frame.
 */

/**
 * \var RuvoOperations::DrawScreenSpriteAdditive
 * Slot 36: `void DrawScreenSpriteAdditive(int32_t x, int32_t y, int32_t depth,
 *   const uint16_t *colours, const void *sprite)`.
 *
 * Adds an **IndexRuns** sprite's table colours to the screen layer, with
 * the depth test: each channel is the sum of the two, saturating at the
 * channel's maximum (flames, glows). A colour of 0 changes nothing. Needs
 * the pixel format.
 */

/**
 * \var RuvoOperations::ApplyScreenLight
 * Slot 37: `void ApplyScreenLight(int32_t x, int32_t y, int32_t depth, const void *sprite)`.
 *
 * Lights the screen layer by an **IndexRuns** sprite whose bytes are light
 * levels, with the depth test: k = byte AND 31, and each 5-bit channel
 * becomes `min(31, channel * k / 16)`, rounded down: 16 keeps it, 8 halves
 * it, 0 (a literal byte) blackens it, above 16 brightens and saturates. The
 * 6-bit green of 5-6-5 scales the same way, except that its lowest bit is
 * set wherever the scaled green is 31 or less (level 16 over 0x0000, or
 * level 0 over white, gives 0x0020). A fill of byte 0 is a skip. No table.
 * Needs the pixel format.
 */

/**
 * \var RuvoOperations::DrawScreenSpriteFaded
 * Slot 38: `void DrawScreenSpriteFaded(int32_t x, int32_t y, int32_t weight,
 *   const uint16_t *colours, const void *sprite)`.
 *
 * Draws an **IndexRuns** sprite faded into the screen layer: with table
 * colour c and pixel d, each channel becomes
 * `c * (31 - weight) / 32 + d * weight / 32` (each term rounded down).
 * `weight` 0..31 is the old pixel's share: 0 draws the sprite, 31 keeps the
 * old pixel (both at 31/32). No depth. Needs the pixel format.
 */

/**
 * \var RuvoOperations::PutPixel
 * Slot 39: `void PutPixel(int32_t x, int32_t y, uint32_t colour)`.
 *
 * Writes one pixel of the screen layer if (x, y) lies inside the clip
 * rectangle (signed, cut to the layer). Any coordinates are safe.
 */

/**
 * \var RuvoOperations::FillRect
 * Slot 40: `void FillRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour)`.
 *
 * Fills the rectangle of `width` x `height` pixels with top-left (x, y) in
 * the screen layer, clipped (signed, cut to the layer). A zero or negative
 * width or height draws nothing.
 */

/**
 * \var RuvoOperations::DrawRect
 * Slot 41: `void DrawRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour)`.
 *
 * Draws a rectangle outline as exactly four line calls, each clipped by
 * itself: DrawHLine(x, y, width), DrawHLine(x, y + height - 1, width),
 * DrawVLine(x, y, height), DrawVLine(x + width - 1, y, height). Zero and
 * negative sizes follow from that and do draw:
 *
 * - width 0 or negative, height h > 0: no horizontal edge, two vertical
 *   edges of h pixels at columns x and x + width - 1 (x - 1 for width 0);
 * - height 0 or negative, width w > 0: the two horizontal edges of w
 *   pixels at rows y and y + height - 1, no vertical edge;
 * - both zero or negative: nothing.
 *
 * Width or height 1 draws the two edges on the same column or row. Calls
 * DrawHLine and DrawVLine (the library's own, not the slots).
 */

/**
 * \var RuvoOperations::DrawHLine
 * Slot 42: `void DrawHLine(int32_t x, int32_t y, int32_t length, uint32_t colour)`.
 *
 * Draws pixels (x, y) to (x + length - 1, y) of the screen layer, clipped
 * (signed, cut to the layer). A zero or negative length draws nothing.
 */

/**
 * \var RuvoOperations::DrawVLine
 * Slot 43: `void DrawVLine(int32_t x, int32_t y, int32_t length, uint32_t colour)`.
 *
 * Draws pixels (x, y) to (x, y + length - 1) of the screen layer, clipped
 * (signed, cut to the layer). A zero or negative length draws nothing.
 */

/**
 * \var RuvoOperations::BlendRect
 * Slot 44: `void BlendRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour)`.
 *
 * Mixes every pixel of the rectangle 50/50 with `colour`: each channel
 * becomes half the old one plus half the colour's, each half rounded down
 * (white over white gives 0xF7DE in 5-6-5). The colour is halved here. A
 * zero or negative size draws nothing. Clipped as FillRect. Needs the pixel
 * format.
 */

/**
 * \var RuvoOperations::DrawAnchoredRect
 * Slot 45: `void DrawAnchoredRect(int32_t x, int32_t y, int32_t width, int32_t height,
 *   uint32_t colour)`.
 *
 * Draws a rectangle outline from the anchor corner (x, y) with signed
 * extents: a negative width reaches left of the anchor, a negative height
 * upwards, covering |width| columns and |height| rows. Clipped as a whole
 * (signed, cut to the layer): an edge outside the clip rectangle is left
 * out, the others are shortened. A width or height of 0 draws nothing.
 * Writes its working words (AnchoredRectWork).
 */

/**
 * \var RuvoOperations::DrawDottedEllipse
 * Slot 46: `void DrawDottedEllipse(int32_t cx, int32_t cy, int32_t radius, uint32_t colour,
 *   int32_t spacing)`.
 *
 * Draws the outline of an ellipse twice as wide as high around (cx, cy):
 * horizontal semi-axis `radius`, vertical about radius / 2, traced
 * clockwise from the rightmost point. `spacing` is the path length between
 * plotted pixels in 1/65536 of a pixel step (a diagonal step counts
 * 80265): 65536 or less (negative included) gives a solid outline, 131072
 * a dot about every second step, 196608 every third. Each pixel goes through
 * PutPixel and its clipping; any centre and radius are safe. A huge radius
 * whose outline crosses the clip rectangle is traced step by step: seconds
 * for hundreds of millions, about 40 s near 2^31. Calls PutPixel (the
 * library's own).
 */

/**
 * \var RuvoOperations::PresentLit
 * Slot 47: `int32_t PresentLit(int32_t left, int32_t top, int32_t right, int32_t bottom)`.
 *
 * Presents a rectangle of the screen layer to the primary surface at the
 * same place, shaded on the way by the LightGrid exactly as
 * ApplyLightGrid would shade it; the screen layer is left unchanged. Edges
 * inclusive, whole cells of 16 x 8. Locks and unlocks the surface unless
 * the host holds it locked. Cut to the layer and the surface.
 *
 * Returns 0 when it used the host's lock or its own lock failed (nothing
 * drawn), before a display, and otherwise the result of its own unlock (0
 * on success). Calls LockPrimary and UnlockPrimary.
 */

/**
 * \var RuvoOperations::PresentRect
 * Slot 48: `int32_t PresentRect(int32_t x, int32_t y, int32_t width, int32_t height)`.
 *
 * Copies the rectangle of the screen layer to the primary surface at the
 * same place, bit for bit (a full frame is PresentRect(0, 0, 1024, 768)).
 * Any width; cut to the layer and the surface. Locks and unlocks unless the
 * host holds the lock. Returns as PresentLit. Calls LockPrimary and
 * UnlockPrimary.
 */

/**
 * \var RuvoOperations::ApplyLightGridAlias
 * Slot 49: `void ApplyLightGridAlias(int32_t left, int32_t top, int32_t right, int32_t bottom)`.
 *
 * The same operation as slot 27, ApplyLightGrid.
 */

/**
 * \var RuvoOperations::ReadScreenRect
 * Slot 50: `void ReadScreenRect(int32_t x, int32_t y, int32_t width, int32_t height,
 *   int32_t dest_x, int32_t dest_y, int32_t dest_pitch, uint16_t *dest_base)`.
 *
 * Copies the rectangle of the screen layer into a host image at
 * (dest_x, dest_y); the image's pixel (c, r) is at
 * `dest_base + dest_pitch * r + c` (pitch in pixels). The layer side is cut
 * to the layer, keeping every remaining pixel at its place; zero or negative
 * sizes copy nothing. The image is trusted.
 */

/**
 * \var RuvoOperations::ClearDepthFlag
 * Slot 51: `void ClearDepthFlag(int32_t x, int32_t y, int32_t width, int32_t height)`.
 *
 * Clears flag 0x0004 (RUVO_DEPTH_CLEARABLE_FLAG) in every depth value of
 * the rectangle, e.g. where figures cast shadows in the last frame. Not
 * clipped by the clip rectangle: cut to the layer; zero or negative sizes
 * do nothing.
 */

/**
 * \var RuvoOperations::ResetDepth
 * Slot 52: `void ResetDepth(void)`.
 *
 * Fills the clip rectangle (signed, cut to the layer) of the depth layer
 * with the plain row numbers of the view: every cell of row r gets
 * `r * 32`, no flags. The ground for every depth test and shadow.
 */

/**
 * \var RuvoOperations::PresentImage
 * Slot 53: `int32_t PresentImage(int32_t src_x, int32_t src_y, int32_t width, int32_t height,
 *   int32_t dest_x, int32_t dest_y, int32_t src_pitch, const uint16_t *src_base)`.
 *
 * Copies a rectangle of a host image (pixel (c, r) at
 * `src_base + src_pitch * r + c`, pitch in pixels, in the display's
 * format) to the primary surface at (dest_x, dest_y). Any width; cut to the
 * surface. Locks and unlocks unless the host holds the lock. Returns as
 * PresentLit. Calls LockPrimary and UnlockPrimary.
 */

/**
 * \var RuvoOperations::CopyImageRect
 * Slot 54: `void CopyImageRect(int32_t src_x, int32_t src_y, int32_t src_pitch,
 *   const uint16_t *src_base, int32_t dest_x, int32_t dest_y, int32_t dest_pitch,
 *   uint16_t *dest_base, int32_t width, int32_t height)`.
 *
 * Copies a rectangle between two host images (pitches in pixels); note the
 * order: each image's position, pitch and base together, the size last.
 * Rows top to bottom, each front to back, as a one-pixel loop would, so
 * overlapping images behave accordingly. No clipping, no ring; zero or
 * negative sizes copy nothing.
 */

/**
 * \var RuvoOperations::DrawSpriteToSurface
 * Slot 55: `void DrawSpriteToSurface(int32_t x, int32_t y, const void *sprite, const void *table,
 *   const RuvoSurfaceDesc *surface)`.
 *
 * Draws a sprite into a host image described by `surface` (its own clip
 * rectangle, no ring), choosing the coding by the sprite's kind byte:
 *
 * | Kind | Coding | `table` | Like |
 * |---|---|---|---|
 * | 0xA2 | BlendRuns | 256 colours | DrawScreenBlendSprite |
 * | 0xA3 | MaskRuns | not used | CastScreenShadow, testing the image pixel itself against 0x8007 |
 * | 0xA9 | IndexRuns | BlendTable | DrawScreenSpriteTranslucent, no depth test |
 * | 0xA1 and any other | IndexRuns | 256 colours | DrawScreenSprite |
 *
 * There is no kind for ColourRuns. Needs the pixel format for 0xA2, 0xA3
 * and 0xA9.
 */

/**
 * \var RuvoOperations::BlendSpriteToSurface
 * Slot 56: `void BlendSpriteToSurface(int32_t x, int32_t y, int32_t weight,
 *   const uint16_t *colours, const void *sprite, const RuvoSurfaceDesc *surface)`.
 *
 * Draws an **IndexRuns** sprite faded into a host image, as
 * DrawScreenSpriteFaded (`weight` 0..31, the old pixel's share), clipped by
 * the RuvoSurfaceDesc. Needs the pixel format.
 */

/**
 * \var RuvoOperations::StampSpriteMask
 * Slot 57: `void StampSpriteMask(int32_t x, int32_t y, const void *sprite, uint32_t value,
 *   const RuvoSurfaceDesc *surface, uint8_t *mask)`.
 *
 * Writes the low 8 bits of `value` into every byte of the 8-bit buffer
 * `mask` (pixel (c, r) at `mask + Pitch * r + c`) that an **IndexRuns**
 * sprite covers: literal pixels and fills of non-zero index. Pitch and
 * clip rectangle come from `surface`; its Base is not used.
 */

/**
 * \var RuvoOperations::ReleaseDisplay
 * Slot 58: `void ReleaseDisplay(void)`.
 *
 * As CloseDisplay, but leaves the display mode as it is: ReleasePrimary,
 * then releases the display object. Calls ReleasePrimary.
 */

/**
 * The interface record: 43,664 bytes (0xAA90) on 32-bit x86, zero when the
 * library is loaded, one per process. Offsets are those of the 32-bit
 * layout; on 64-bit targets the pointer-sized fields are 8 bytes wide, so use
 * `offsetof`. "u16 x2" fields hold the same 16-bit value in both halves. The
 * host writes only the clip rectangle, the tables (LightGrid, ShadeTable,
 * SpritePalette) and, to replace an operation, a slot; it reads the rest.
 */
typedef struct RuvoDrawBlock {
    /** +0x00: left edge of the clip rectangle, inclusive. Host; ResetView
     * and SetScreenMode set 0. The four clip fields confine every drawing
     * operation, read signed or by their low 16 bits (\ref ruvo_layers). */
    int32_t ClipLeft;
    /** +0x04: top edge of the clip rectangle, inclusive; 0 after ResetView. */
    int32_t ClipTop;
    /** +0x08: right edge, inclusive; 1023 after ResetView, width - 1 after
     * SetScreenMode. */
    int32_t ClipRight;
    /** +0x0C: bottom edge, inclusive; 767 after ResetView, height - 1 after
     * SetScreenMode. */
    int32_t ClipBottom;
    /** +0x10: byte offset of logical pixel (0, 0) in each layer, even,
     * 0..0x17FFFF. Written by Scroll and ResetView, read by every layer
     * operation; the host only reads it. */
    int32_t ScrollOffset;
    /** +0x14: the first logical row stored 0x180000 bytes lower,
     * `768 - ScrollOffset / 2048` (1..768). Written with ScrollOffset. */
    int32_t WrapRow;
    /** +0x18: 1024, layer width in pixels (ResetView). Read-only for the
     * host; the layers are fixed at 1024 x 768 whatever it holds. */
    int32_t ScreenWidth;
    /** +0x1C: 768, layer height in rows (ResetView); not read by the library. */
    int32_t ScreenHeight;
    /** +0x20: 2048, bytes per layer row (ResetView); read-only for the host. */
    int32_t LayerPitch;
    /** +0x24: first byte of the screen layer storage (RuvoDraw_Init); the
     * picture that is presented. */
    uint16_t *ScreenLayer;
    /** +0x28: first byte of the back layer storage (RuvoDraw_Init). */
    uint16_t *BackLayer;
    /** +0x2C: first byte of the depth layer storage (RuvoDraw_Init). */
    uint16_t *DepthLayer;
    /** +0x30: first byte of the locked primary surface, 0 while unlocked.
     * Set by LockPrimary, cleared by UnlockPrimary and ReleasePrimary; the
     * presentations lock only when it is 0. */
    void *SurfacePointer;
    /** +0x34: u16 x2, red channel mask of the display format. This and the
     * fields down to SpreadHighBitsMask, and ShadowTint, are written by
     * AnalysePixelFormat only and are zero before it. */
    uint32_t RedMask;
    /** +0x38: u16 x2, green channel mask. */
    uint32_t GreenMask;
    /** +0x3C: u16 x2, blue channel mask. */
    uint32_t BlueMask;
    /** +0x40: zero bits above the red channel's top bit (0..16; 16 for an
     * empty mask); read by the colour conversions. */
    uint16_t RedShift;
    uint16_t GreenShift; /**< +0x42: the same for green */
    uint16_t BlueShift;  /**< +0x44: the same for blue */
    uint16_t Reserved0;  /**< +0x46: stays 0 */
    /** +0x48: u16 x2, the lowest bit of each channel; the 50% mix of blended
     * literals. */
    uint32_t LowBitsMask;
    /** +0x4C: u16 x2, the highest bit of each channel; additive sprites. */
    uint32_t HighBitsMask;
    /** +0x50: u16 x2, complement of LowBitsMask: `(p AND NotLowBitsMask) >> 1`
     * halves every channel (BlendRect, TintTile, shadows, shaded stamps). */
    uint32_t NotLowBitsMask;
    /** +0x54: u16 x2, complement of HighBitsMask; light-grid cells of 0. */
    uint32_t NotHighBitsMask;
    /** +0x58: the middle channel's mask in the high half, the outer two in
     * the low half (0x07E0F81F for 5-6-5); read by the light grid. */
    uint32_t SpreadMask;
    uint32_t Reserved1; /**< +0x5C: stays 0 */
    /** +0x60: SpreadMask AND HighBitsMask; not read by the library. */
    uint32_t SpreadHighBitsMask;
    /** +0x64: bytes per row of the locked surface (LockPrimary); keeps its
     * value after unlocking. */
    int32_t SurfacePitch;
    /** +0x68: u16 x2, the colour added to a halved pixel by shadows and
     * shaded stamps: five units of blue and two of green on a 5-bit scale
     * (0x0085 in 5-6-5). */
    uint32_t ShadowTint;
    uint8_t ReservedArea[648]; /**< +0x6C: not read or written by the library */
    /** +0x2F4: light at the corners of 16 x 8 cells, written by the host only
     * and read by PresentLit and ApplyLightGrid. Corner (i, j), at logical
     * pixel (16 i, 8 j), is `LightGrid[j][i]`; i 0..64 and j 0..96 are used.
     * 0 shows half brightness, 0x80 full (unchanged in a cell whose corners
     * are all 0x80; 31/32 in an interpolated cell), 0x81 unchanged, higher
     * values brighten up to 47/32 at 0xFF without clamping. */
    uint8_t LightGrid[97][80];
    uint8_t Reserved2[552]; /**< +0x2144: not read or written by the library */
    /** +0x236C: 64 rows of 256 colours, written by the host only and read
     * by DrawShadedTile: entry `row * 256 + index`. Rows 0..31 are the light
     * levels for one half of the dither checkerboard, rows 32..63 for the
     * other; the host fills all 64. */
    uint16_t ShadeTable[16384];
    /** +0xA36C: three colour tables of 256 colours in the display's format,
     * written by the host only. [0] is read by StampBackSpriteP0, [1] by
     * DrawBackSpriteP1, [2] by DrawBackSpriteP2; any may be passed as a
     * colour table to the other slots. */
    uint16_t SpritePalette[3][256];
    /** +0xA96C: the window given to OpenDisplay (written by it only). */
    void *DisplayWindow;
    /** +0xA970: the exclusive argument of OpenDisplay, unchanged. */
    int32_t ExclusiveMode;
    /** +0xA974: the display object, set by OpenDisplay, 0 after CloseDisplay
     * and ReleaseDisplay. On Windows the `IDirectDraw` interface; elsewhere a
     * handle of the library's. Values the library did not put there are
     * refused. */
    void *DirectDrawObject;
    /** +0xA978: the primary surface, set by SetScreenMode, 0 after
     * ReleasePrimary. On Windows the `IDirectDrawSurface` interface. */
    void *PrimarySurface;
    /** +0xA97C: the 59 operation slots (slot N at +0xA97C + 4 N), filled by
     * RuvoDraw_Init; the host may replace one, and a later RuvoDraw_Init puts
     * every slot back. */
    RuvoSlotTable OperationSlot;
    /** +0xAA68: working words of DrawAnchoredRect; the host leaves them alone. */
    int32_t AnchoredRectWork[6];
    /** +0xAA80: working words of PresentLit and ApplyLightGrid; the host
     * leaves them alone. */
    int32_t LightGridWork[4];
} RuvoDrawBlock; /* 0xAA90 bytes */

/**
 * Returns the one RuvoDrawBlock of the process, the same address at every
 * call. Stores the layer addresses, runs ResetView (view, clip rectangle)
 * and fills every slot; the display fields, the pixel-format fields and the
 * tables keep their values.
 */
RUVO_API RuvoDrawBlock *RUVO_CDECL RuvoDraw_Init(void);

#ifdef __cplusplus
}
#endif

#endif /* RUVODRAW1024_H */
