// The AVX-512 path: plain sprite rows with one masked store per run; whole
// sprites and rows of translucent, additive, light and faded index runs;
// sprite runs thirty-two pixels to a vector, colour lookups by word permutes;
// colours thirty-two. The light-grid cells keep AVX2's
// kernel. Built with AVX-512 F, BW, VL and VBMI enabled; run only where the
// CPU has all four.
#include "simd/kernels.h"

#if defined(__AVX512BW__) && defined(__AVX512VBMI__)
#include "simd/avx512.h"
#include "simd/convert_colours.h"
#include "simd/plain_rows.h"
#include "simd/rule_rows.h"
#include "simd/sprite_runs.h"

namespace ruvo {
namespace {

RUVO_ALIGN_STACK int32_t ConvertColours(const uint16_t *src, uint16_t *dst, int32_t count,
                                        const ColourFormat &format) {
    return ConvertColourLanes<Avx512>(src, dst, count, format);
}

constexpr SpriteRunKernels SpriteRuns() {
    SpriteRunKernels k = simd::MakeSpriteRuns<Avx512>();
    // Run kernels for lighting, translucency (gathers) and shadows measured
    // no faster than AVX2's (lighting 950 to 1460 us per workload): those
    // keep AVX2's for the runs of rows that go run by run.
    k.light = {};
    k.translucent = {};
    k.shadow = {};
    // Index rows of the colour rules: a whole sprite in one call where no row
    // needs a left scan, else the rest of each row after it.
    k.translucent.rows = simd::RuleIndexRow<simd::TranslucentRule>;
    k.translucent.sprite = simd::RuleIndexSprite<simd::TranslucentRule>;
    k.additive.rows = simd::RuleIndexRow<simd::AdditiveRule>;
    k.additive.sprite = simd::RuleIndexSprite<simd::AdditiveRule>;
    k.light.rows = simd::RuleIndexRow<simd::LightRule>;
    k.light.sprite = simd::RuleIndexSprite<simd::LightRule>;
    k.faded.rows = simd::RuleIndexRow<simd::FadedRule>;
    k.faded.sprite = simd::RuleIndexSprite<simd::FadedRule>;
    k.index_runs = {simd::IndexRows, simd::IndexSprite};
    k.colour_runs = {simd::ColourRows, simd::ColourSprite};
    k.blend_runs = {simd::BlendRows, simd::BlendSprite};
    k.tested_index_runs = {simd::TestedIndexRows, simd::TestedIndexSprite};
    k.tested_blend_runs = {simd::TestedBlendRows, simd::TestedBlendSprite};
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
