// The sprite run kernels for SSE2: eight pixels to a vector
// (sprites/sprite_simd_sse2_ops.h). Built with SSE2 enabled; on 32-bit x86
// run only where the CPU has it.
#include "sprites/sprite_kernels.h"

#if defined(__SSE2__)
#include "sprites/sprite_kernels_simd.h"
#include "sprites/sprite_simd_sse2_ops.h"

namespace ruvo {
namespace {

constexpr SpriteKernels theKernels = simd::MakeKernels<Sse2>();

}  // namespace

const SpriteKernels *Sse2SpriteKernels() { return &theKernels; }

}  // namespace ruvo
#endif
