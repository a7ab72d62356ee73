// The SSE2 path: sprite runs eight pixels to a vector, light-grid cells four,
// colours eight. Built with SSE2 enabled; run only where the CPU has it
// (always on x86-64).
#include "simd/kernels.h"

#if defined(__SSE2__)
#include "simd/convert_colours.h"
#include "simd/light_cells.h"
#include "simd/sprite_runs.h"
#include "simd/sse2.h"

namespace ruvo {
namespace {

RUVO_ALIGN_STACK uint32_t InterpolateCells(const LightBand &band, int32_t x,
                                           const LightCellSteps *steps, uint32_t spread,
                                           bool may_keep) {
    return CellLanes<Sse2>::Run(band, x, steps, spread, may_keep);
}

RUVO_ALIGN_STACK int32_t ConvertColours(const uint16_t *src, uint16_t *dst, int32_t count,
                                        const ColourFormat &format) {
    return ConvertColourLanes<Sse2>(src, dst, count, format);
}

constexpr KernelTable theTable{SimdPath::Sse2,
                               simd::MakeSpriteRuns<Sse2>(),
                               {{InterpolateCells, CellLanes<Sse2>::kLanes}, {}},
                               ConvertColours};

}  // namespace

const KernelTable *Sse2Kernels() { return &theTable; }

}  // namespace ruvo
#else
namespace ruvo {
const KernelTable *Sse2Kernels() { return nullptr; }
}  // namespace ruvo
#endif
