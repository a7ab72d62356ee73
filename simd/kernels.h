// The library's SIMD layer: kernels that work on many pixels at once, their
// arguments, and one table of them per instruction set.
//
// Each path (SSE2, AVX2, AVX-512) is one translation unit compiled for its
// instruction set (simd/sse2.cpp, avx2.cpp, avx512.cpp) over one wrapper of
// its vector operations (simd/sse2.h, avx2.h, avx512.h); the kernels are
// written once over a wrapper (simd/sprite_runs.h, light_cells.h,
// convert_colours.h). The feature probe (simd/path.cpp) resolves the table of
// the widest path the CPU runs once; a path's table takes the entries it has
// no kernel for from the next narrower path, and the scalar table, last, has
// none: every caller keeps its per-pixel rule as the reference and for what
// no kernel takes. Tests and benchmarks force each path.
//
// This header declares plain data and functions only, nothing inline that a
// kernel unit could emit in its encoding for the rest of the library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ruvo {

enum class SimdPath { Fastest, Scalar, Sse2, Avx2, Avx512 };

// 32-bit hosts may call with the stack aligned to 4 bytes only; the kernels
// keep vectors on the stack there.
#if defined(__i386__)
#define RUVO_ALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define RUVO_ALIGN_STACK
#endif

// ---- Sprite runs -----------------------------------------------------------
//
// A run kernel draws n >= 1 pixels from d: a literal's index bytes from src,
// or a fill of value. room (>= n) cells from d, and for a literal as many
// bytes from src, may be read and rewritten with their own values: a short
// run is one vector window whose lanes past the run keep what they hold.
// Depth cells lie depth_reach cells from their pixels.

struct TableArgs {  // d = colours[i]; blended literals d = Mix50(colours[i], d)
    const uint16_t *colours;
    uint16_t not_low_bits;
};
struct TestedArgs {  // the same where the depth test against key passes
    const uint16_t *colours;
    ptrdiff_t depth_reach;
    uint16_t key, not_low_bits;
};
struct TranslucentArgs {
    const uint32_t *blend;  // a 256-entry BlendTable
    ptrdiff_t depth_reach;
    uint32_t s;  // ChannelSpread()
    uint16_t key;
};
struct AdditiveArgs {
    const uint16_t *colours;
    ptrdiff_t depth_reach;
    uint16_t key, high_bits, red, green, blue;
};
struct LightArgs {
    ptrdiff_t depth_reach;
    uint32_t s;
    uint16_t key;
};
struct FadedArgs {
    const uint16_t *colours;
    uint32_t s, weight;  // weight <= 31
};
struct ShadowArgs {
    ptrdiff_t depth_reach;
    uint16_t flags, not_low_bits, tint;
};

template <class Args>
using RunKernel = void (*)(uint16_t *d, const uint8_t *src, uint16_t value, ptrdiff_t n,
                           ptrdiff_t room, const Args &args);

// The rest of a row of index runs, as RowKernel below draws a plain one, with
// a rule's arguments: every run from p up to end by the rule, from cell index
// pos of cells until the data ends or the right limit is reached.
template <class Args>
using RuleRowKernel = void (*)(uint16_t *cells, ptrdiff_t pos, ptrdiff_t right, const uint8_t *p,
                               const uint8_t *end, const Args &args);

// The rows of a sprite of index runs whose left edge lies inside the clip
// span, so that no row needs a left scan: each row's runs drawn from cell
// index start (its left edge) up to start + span (its right limit).
struct SpriteRows {
    uint16_t *cells;
    const uint8_t *data;  // the first RowRecord drawn
    ptrdiff_t start;      // the first row's left edge, before any wrap
    ptrdiff_t span;       // cells from the left edge to the right limit, <= kRuleRowMaxCells
    ptrdiff_t extent;     // the declared width cut to span
    ptrdiff_t pitch, wrap_cells;
    int32_t rows, rows_before_wrap;  // from the row rows_before_wrap on, start - wrap_cells
};
template <class Args>
using SpriteRowsKernel = void (*)(const SpriteRows &rows, const Args &args);

// A rule's kernels for literal runs, for fills, for the rest of a row of
// index runs and for a whole sprite of them, null where the path has none
// (or where a fill is no faster in SIMD).
template <class Args>
struct RunKernels {
    RunKernel<Args> literal = nullptr, fill = nullptr;
    RuleRowKernel<Args> rows = nullptr;
    SpriteRowsKernel<Args> sprite = nullptr;
};

// The rest of a row of a plain sprite: the runs from p up to end drawn from
// cell index pos until the data ends or the right limit (a cell index) is
// reached, as the row walker would draw them after its left scan.
struct PlainRow {
    ptrdiff_t pos, right;
    const uint8_t *p, *end;
};

// What a row kernel draws with: the colour table of index runs, the
// LowBitsMask of the 50% mix of blended literals, and for the depth-tested
// kernels the key and the distance from a cell to its depth cell.
struct RowArgs {
    const uint16_t *colours = nullptr;
    uint16_t low_bits = 0;
    uint16_t key = 0;
    ptrdiff_t depth_reach = 0;
};

// Draws count rows into cells. Rows come in batches so that a kernel sets up
// once per batch rather than once per row.
using RowKernel = void (*)(uint16_t *cells, const PlainRow *rows, ptrdiff_t count,
                           const RowArgs &args);
inline constexpr ptrdiff_t kPlainRowBatch = 16;

// Rows with fewer bytes left are drawn run by run: there the scalar loop,
// whose branches the predictor learns for sprites drawn again and again,
// beats the kernel (measured: 16 indices, 32 colours).
inline constexpr ptrdiff_t kIndexRowKernelMinBytes = 16;  // index and blend rows
inline constexpr ptrdiff_t kColourRowKernelMinBytes = 64;
// Rows of a rule with a row kernel go to it whole, up to this many cells from
// the first drawn pixel to the right limit (a layer's width).
inline constexpr ptrdiff_t kRuleRowMaxCells = 1024;
// Sprites narrower than this (their declared width cut to the clip span), and
// rows after a left scan with fewer bytes left than half of it, go run by
// run: on 32x32 sprites the row kernels' set-up cost more than they saved
// (ApplyScreenLight 137 to 220 us per 256 sprites; 144 with this limit), and
// the benchmark workload also gained (light 531 to 504 us).
inline constexpr ptrdiff_t kRuleSpriteMinWidth = 64;

// Draws every row of a plain sprite that needs no left scan, reading its row
// records itself.
using PlainSpriteKernel = void (*)(const SpriteRows &rows, const RowArgs &args);
// Sprites narrower than these (declared width) go row by row, where the row
// walker draws their short rows (see kIndexRowKernelMinBytes): 32x32 colour
// sprites took 1.1 to 1.2 times as long whole, 32x32 index sprites 0.85 to
// 0.9.
inline constexpr int32_t kIndexSpriteMinWidth = 32;
inline constexpr int32_t kColourSpriteMinWidth = 64;

// A plain coding's kernels for the rows the walker leaves after its left
// scan and for whole sprites that need none; null where the path has none.
struct PlainKernels {
    RowKernel rows = nullptr;
    PlainSpriteKernel sprite = nullptr;
};

struct SpriteRunKernels {
    PlainKernels index_runs, colour_runs;  // d = colours[i]; d = c, key skipped
    PlainKernels blend_runs;               // d = colours[i]; blended d = Mix50(colours[i], d)
    PlainKernels tested_index_runs, tested_blend_runs;  // the same where the depth test passes
    RunKernels<TableArgs> lookup, mix50;
    RunKernels<TestedArgs> tested_lookup, tested_mix50;
    RunKernels<TranslucentArgs> translucent;
    RunKernels<AdditiveArgs> additive;
    RunKernels<LightArgs> light;
    RunKernels<FadedArgs> faded;
    RunKernels<ShadowArgs> shadow;
};

// Runs go to a kernel from kKernelMinRun pixels, or from kKernelMinWindowRun
// where room holds a window of kKernelWindow cells; shorter ones are drawn
// pixel by pixel, the call costing more than it saves. Windows for runs of 3
// to 7 pixels took ApplyScreenLight from 970 to 920 us and
// DrawScreenSpriteAdditive from 1030 to 910 us per benchmark workload.
inline constexpr ptrdiff_t kKernelMinRun = 8;
inline constexpr ptrdiff_t kKernelMinWindowRun = 3;
inline constexpr ptrdiff_t kKernelWindow = 16;

// ---- Light-grid cells ------------------------------------------------------

inline constexpr int32_t kLightCellWidth = 16;
inline constexpr int32_t kLightCellHeight = 8;

// The rows of one band: where each row's first pixel is read and written.
struct LightBand {
    const uint16_t *src[kLightCellHeight];
    uint16_t *dst[kLightCellHeight];
    int32_t rows;   // rows to do, 8 unless cut at the bottom of the layer or surface
    int32_t split;  // first row below the wrap when the wrap splits the band, else 8
};

// An interpolated cell's level at its first pixel and its three steps.
struct LightCellSteps {
    int32_t level;       // 32 (TL + 127)
    int32_t pixel_step;  // 2 (TR - TL), the step along the first row
    int32_t row_step;    // 4 (BL - TL), the step of a row's first pixel
    int32_t e;           // (TL + BR - TR - BL) >> 2, the change of pixel_step per row
};

// Shades `lanes` interpolated cells at columns x, x + 16, ... of the band,
// one per 32-bit lane, steps[k] for the cell at x + 16 k. may_keep: some
// pixel of these cells may have m = 32. Returns the carry the last cell ends
// with.
using CellKernel = uint32_t (*)(const LightBand &band, int32_t x, const LightCellSteps *steps,
                                uint32_t spread, bool may_keep);

struct CellKernels {
    CellKernel run;  // null where the path has none
    int32_t lanes;
};

// ---- Colour conversion -----------------------------------------------------

// Where the surface puts each 5-6-5 channel: the shift from the channel's
// top bit at bit 15 down to the surface channel's (0 .. 31) and its mask.
struct ColourFormat {
    uint32_t red_shift, green_shift, blue_shift;
    uint16_t red, green, blue;
};

// Converts colours 0 .. n - 1 of src into dst as ConvertColours does, for the
// largest n <= count that is a multiple of the vector width, and returns n.
// Each vector is read before it is written: dst must not start inside
// src + 1 .. src + count - 1.
using ConvertKernel = int32_t (*)(const uint16_t *src, uint16_t *dst, int32_t count,
                                  const ColourFormat &format);

// ---- The tables ------------------------------------------------------------

struct KernelTable {
    SimdPath path;
    SpriteRunKernels sprite_runs;
    CellKernels cells[2];  // the widest first; lanes 0 ends the list
    ConvertKernel convert_colours;
};

namespace simd_detail {
extern const KernelTable *theResolvedTable;  // null until first used
const KernelTable &ResolveKernels();
}  // namespace simd_detail

// The table of the current path: the one forced, else the widest the CPU
// runs. Inline, as every sprite call asks for it.
inline const KernelTable &Kernels() {
    const KernelTable *table = simd_detail::theResolvedTable;
    return table ? *table : simd_detail::ResolveKernels();
}

// The path of Kernels().
inline SimdPath CurrentSimdPath() { return Kernels().path; }

// Forces path for the following calls (Fastest undoes it). Returns false,
// changing nothing, when this build or CPU cannot run it.
bool UseSimdPath(SimdPath path);

// Each instruction set's table, or null where this build has none; filled in
// from the next narrower table.
const KernelTable *Sse2Kernels();
const KernelTable *Avx2Kernels();
const KernelTable *Avx512Kernels();

}  // namespace ruvo
