// The AVX-512 path: plain sprite rows with one masked store per run, sprite
// runs thirty-two pixels to a vector, colour lookups by word permutes;
// colours thirty-two. The light-grid cells keep AVX2's
// kernel. Built with AVX-512 F, BW, VL and VBMI enabled; run only where the
// CPU has all four.
#include "simd/kernels.h"

#if defined(__AVX512BW__) && defined(__AVX512VBMI__)
#include "simd/avx512.h"
#include "simd/convert_colours.h"
#include "simd/plain_rows.h"
#include "simd/sprite_runs.h"
#include "simd/tested_rows.h"

namespace ruvo {
namespace {

RUVO_ALIGN_STACK int32_t ConvertColours(const uint16_t *src, uint16_t *dst, int32_t count,
                                        const ColourFormat &format) {
    return ConvertColourLanes<Avx512>(src, dst, count, format);
}

constexpr SpriteRunKernels SpriteRuns() {
    SpriteRunKernels k = simd::MakeSpriteRuns<Avx512>();
    // Lighting, translucency (gathers) and shadows measured no faster than
    // AVX2's (lighting 950 to 1460 us per workload): those keep AVX2's.
    k.light = {};
    k.translucent = {};
    k.shadow = {};
    k.translucent.rows = simd::TestedIndexRow<simd::TranslucentRule>;
    k.translucent.sprite = simd::TestedIndexSprite<simd::TranslucentRule>;
    k.additive.rows = simd::TestedIndexRow<simd::AdditiveRule>;
    k.additive.sprite = simd::TestedIndexSprite<simd::AdditiveRule>;
    k.light.rows = simd::TestedIndexRow<simd::LightRule>;
    k.light.sprite = simd::TestedIndexSprite<simd::LightRule>;
    k.index_rows = simd::IndexRows;
    k.colour_rows = simd::ColourRows;
    return k;
}

constexpr KernelTable theTable{SimdPath::Avx512, SpriteRuns(), {}, ConvertColours};

}  // namespace

const KernelTable *Avx512Kernels() { return &theTable; }

}  // namespace ruvo
#else
namespace ruvo {
const KernelTable *Avx512Kernels() { return nullptr; }
}  // namespace ruvo
#endif
