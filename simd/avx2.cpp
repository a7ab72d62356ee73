// The AVX2 path: rows of index runs, plain and depth-tested; sprite runs
// sixteen pixels to a vector (lookups by gathers); light-grid cells eight
// (cells 0 .. 3 in the low 128 bits, 4 .. 7 in the high, so that the in-lane
// shuffles transpose both halves at once); colours sixteen. Built with AVX2
// enabled; run only where the CPU has it.
#include "simd/kernels.h"

#if defined(__AVX2__)
#include "simd/avx2.h"
#include "simd/convert_colours.h"
#include "simd/light_cells.h"
#include "simd/plain_rows_avx2.h"
#include "simd/sprite_runs.h"

namespace ruvo {
namespace {

RUVO_ALIGN_STACK uint32_t InterpolateCells(const LightBand &band, int32_t x,
                                           const LightCellSteps *steps, uint32_t spread,
                                           bool may_keep) {
    return CellLanes<Avx2>::Run(band, x, steps, spread, may_keep);
}

RUVO_ALIGN_STACK int32_t ConvertColours(const uint16_t *src, uint16_t *dst, int32_t count,
                                        const ColourFormat &format) {
    return ConvertColourLanes<Avx2>(src, dst, count, format);
}

constexpr SpriteRunKernels SpriteRuns() {
    SpriteRunKernels k = simd::MakeSpriteRuns<Avx2>();
    k.index_runs = {simd::IndexRowsAvx2<false>, simd::IndexSpriteAvx2<false>};
    k.tested_index_runs = {simd::IndexRowsAvx2<true>, simd::IndexSpriteAvx2<true>};
    return k;
}

constexpr KernelTable theTable{SimdPath::Avx2,
                               SpriteRuns(),
                               {{InterpolateCells, CellLanes<Avx2>::kLanes}, {}},
                               ConvertColours};

}  // namespace

const KernelTable *Avx2Kernels() { return &theTable; }

}  // namespace ruvo
#else
namespace ruvo {
const KernelTable *Avx2Kernels() { return nullptr; }
}  // namespace ruvo
#endif
