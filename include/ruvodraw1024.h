/*
 * ruvodraw1024: a 1024 x 768, 16-bit software renderer.
 *
 * The library exports one function, RuvoDraw_Init, which returns the one
 * RuvoDrawBlock of the process. Everything else goes through that record: the
 * host reads and writes its fields and calls every operation through its 59
 * operation slots, by name or by number:
 *
 *     RuvoDrawBlock *db = RuvoDraw_Init();
 *     db->OperationSlot.Op.FillRect(0, 0, 64, 32, 0xF800);
 *     RuvoOperation raw = db->OperationSlot.Slot[RUVO_SLOT_FillRect];
 *
 * Valid C99 and C++. All operations use the C calling convention and take
 * 32-bit integers and pointers. Colours are 16-bit pixels in the display's
 * format, in the low half of a 32-bit argument.
 *
 * ABI: on 32-bit x86 every field lies at the byte offset listed beside it
 * (the reference layout). On 64-bit targets the pointer-sized fields (layer
 * pointers, SurfacePointer, DisplayWindow, DirectDrawObject, PrimarySurface,
 * the slots) are 8 bytes wide with natural alignment; every other field keeps
 * its size and all fields keep their order. Use offsetof, never raw numbers.
 */
#ifndef RUVODRAW1024_H
#define RUVODRAW1024_H

#include <stddef.h>
#include <stdint.h>

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

#ifdef __cplusplus
extern "C" {
#endif

/* Layer geometry. Every layer is a vertical ring of 768 rows of 1024 cells. */
#define RUVO_LAYER_WIDTH 1024
#define RUVO_LAYER_HEIGHT 768
#define RUVO_LAYER_PITCH 2048           /* bytes per layer row */
#define RUVO_LAYER_BYTES 0x180000       /* one layer */
#define RUVO_LAYER_SPACING 0x180824     /* bytes from a cell to the same cell of the next layer */

/* The colour key of 16-bit (5-6-5) colour data: full red, no green, full blue. */
#define RUVO_COLOUR_KEY 0xF81Fu

/* Depth values: depth number in bits 5..15, flags in bits 0..4. */
#define RUVO_DEPTH_SHADED_FLAG 0x0002u  /* stamped pixels over it are shaded */
#define RUVO_DEPTH_CLEARABLE_FLAG 0x0004u /* the bit ClearDepthFlag clears */
#define RUVO_DEPTH_NO_SHADOW_MASK 0x8007u /* shadows fall only where none is set */

/* Kind byte of a sprite header, read by DrawSpriteToSurface only. */
#define RUVO_KIND_INDEX 0xA1u       /* IndexRuns through a colour table (also any unlisted value) */
#define RUVO_KIND_BLEND 0xA2u       /* BlendRuns through a colour table */
#define RUVO_KIND_SHADOW 0xA3u      /* MaskRuns drawn as a shadow */
#define RUVO_KIND_TRANSLUCENT 0xA9u /* IndexRuns through a BlendTable */

/* Display results that keep their DirectDraw values. */
#define RUVO_RESULT_SURFACE_BUSY ((int32_t)0x887601AEu)
#define RUVO_RESULT_SURFACE_LOST ((int32_t)0x887601C2u)

/* Header of an RleSprite (9 bytes, little-endian, unaligned); RowRecords follow. */
#define RUVO_SPRITE_HEADER_BYTES 9

/* A Font record: glyph offsets, then advance widths (first byte of each pair). */
typedef struct RuvoFont {
    uint32_t GlyphOffset[256]; /* byte offset of the RleSprite of character c */
    uint32_t Unused;
    uint8_t Advance[256][2];   /* [c][0] is the advance width of character c */
} RuvoFont;

/* A host image or mask buffer that the surface blits draw into. */
typedef struct RuvoSurfaceDesc {
    uint16_t *Base;     /* pixel (0, 0) of a 16-bit image; unused by StampSpriteMask */
    int32_t Pitch;      /* pixels per row (bytes per row for a mask buffer) */
    int32_t ClipLeft;   /* the clip fields count by their low 16 bits, unsigned */
    int32_t ClipTop;
    int32_t ClipRight;  /* inclusive */
    int32_t ClipBottom; /* inclusive */
} RuvoSurfaceDesc;

/*
 * The slot table: slot number, member name, implementing operation, result,
 * parameters. Slots 27 and 49 hold the same operation.
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

#define RUVO_SLOT_COUNT 59

/* RuvoResetViewFn, RuvoOpenDisplayFn, ...: the type of each slot. */
#define RUVO_DECLARE_SLOT_TYPE(slot, Member, Operation, Result, Params) \
    typedef Result(RUVO_CDECL *Ruvo##Member##Fn) Params;
RUVO_OPERATION_SLOTS(RUVO_DECLARE_SLOT_TYPE)
#undef RUVO_DECLARE_SLOT_TYPE

/* RUVO_SLOT_ResetView = 0, ..., RUVO_SLOT_ReleaseDisplay = 58. */
#define RUVO_DECLARE_SLOT_INDEX(slot, Member, Operation, Result, Params) RUVO_SLOT_##Member = slot,
enum RuvoSlot { RUVO_OPERATION_SLOTS(RUVO_DECLARE_SLOT_INDEX) RUVO_SLOT_END = RUVO_SLOT_COUNT };
#undef RUVO_DECLARE_SLOT_INDEX

/* The slots by name, typed. */
#define RUVO_DECLARE_SLOT_MEMBER(slot, Member, Operation, Result, Params) Ruvo##Member##Fn Member;
typedef struct RuvoOperations {
    RUVO_OPERATION_SLOTS(RUVO_DECLARE_SLOT_MEMBER)
} RuvoOperations;
#undef RUVO_DECLARE_SLOT_MEMBER

/* Any slot, untyped; cast to the slot's own type before calling. */
typedef void(RUVO_CDECL *RuvoOperation)(void);

typedef union RuvoSlotTable {
    RuvoOperations Op;                   /* by name: db->OperationSlot.Op.PutPixel(x, y, c) */
    RuvoOperation Slot[RUVO_SLOT_COUNT]; /* by number: db->OperationSlot.Slot[39] */
} RuvoSlotTable;

/*
 * The interface record (43,664 bytes on 32-bit x86). "u16 x2" fields hold the
 * same 16-bit value in both halves. Offsets are those of the 32-bit layout.
 */
typedef struct RuvoDrawBlock {
    int32_t ClipLeft;           /* +0x00  clip rectangle, all edges inclusive */
    int32_t ClipTop;            /* +0x04 */
    int32_t ClipRight;          /* +0x08 */
    int32_t ClipBottom;         /* +0x0C */
    int32_t ScrollOffset;       /* +0x10  byte offset of logical (0,0) in each layer */
    int32_t WrapRow;            /* +0x14  first logical row stored 0x180000 bytes lower */
    int32_t ScreenWidth;        /* +0x18  1024 */
    int32_t ScreenHeight;       /* +0x1C  768 */
    int32_t LayerPitch;         /* +0x20  2048 */
    uint16_t *ScreenLayer;      /* +0x24 */
    uint16_t *BackLayer;        /* +0x28 */
    uint16_t *DepthLayer;       /* +0x2C */
    void *SurfacePointer;       /* +0x30  locked primary surface, 0 while unlocked */
    uint32_t RedMask;           /* +0x34  u16 x2 */
    uint32_t GreenMask;         /* +0x38  u16 x2 */
    uint32_t BlueMask;          /* +0x3C  u16 x2 */
    uint16_t RedShift;          /* +0x40  zero bits above the channel's top bit */
    uint16_t GreenShift;        /* +0x42 */
    uint16_t BlueShift;         /* +0x44 */
    uint16_t Reserved0;         /* +0x46 */
    uint32_t LowBitsMask;       /* +0x48  u16 x2 */
    uint32_t HighBitsMask;      /* +0x4C  u16 x2 */
    uint32_t NotLowBitsMask;    /* +0x50  u16 x2 */
    uint32_t NotHighBitsMask;   /* +0x54  u16 x2 */
    uint32_t SpreadMask;        /* +0x58  middle channel high, outer channels low */
    uint32_t Reserved1;         /* +0x5C */
    uint32_t SpreadHighBitsMask; /* +0x60 */
    int32_t SurfacePitch;       /* +0x64  bytes per row of the locked surface */
    uint32_t ShadowTint;        /* +0x68  u16 x2 */
    uint8_t ReservedArea[648];  /* +0x6C */
    uint8_t LightGrid[97][80];  /* +0x2F4  corner (i, j) at [j][i]; host only */
    uint8_t Reserved2[552];     /* +0x2144 */
    uint16_t ShadeTable[16384]; /* +0x236C  64 rows of 256 colours; host only */
    uint16_t SpritePalette[3][256]; /* +0xA36C; host only */
    void *DisplayWindow;        /* +0xA96C */
    int32_t ExclusiveMode;      /* +0xA970 */
    void *DirectDrawObject;     /* +0xA974 */
    void *PrimarySurface;       /* +0xA978 */
    RuvoSlotTable OperationSlot; /* +0xA97C  59 slots */
    int32_t AnchoredRectWork[6]; /* +0xAA68  private to DrawAnchoredRect */
    int32_t LightGridWork[4];   /* +0xAA80  private to PresentLit and ApplyLightGrid */
} RuvoDrawBlock;                /* 0xAA90 bytes */

/* Returns the one DrawBlock of the process; resets the view and every slot. */
RUVO_API RuvoDrawBlock *RUVO_CDECL RuvoDraw_Init(void);

#ifdef __cplusplus
}
#endif

#endif /* RUVODRAW1024_H */
