#include "sprites/sprite_kernels.h"

#include "display/simd_path.h"

namespace ruvo {

#if !defined(RUVO_X86_KERNELS)
const SpriteKernels *Sse2SpriteKernels() { return nullptr; }
const SpriteKernels *Avx2SpriteKernels() { return nullptr; }
#endif

const SpriteKernels *CurrentSpriteKernels() {
    switch (CurrentSimdPath()) {
        case SimdPath::Avx2:
            return Avx2SpriteKernels();
        case SimdPath::Sse2:
            return Sse2SpriteKernels();
        default:
            return nullptr;
    }
}

}  // namespace ruvo
