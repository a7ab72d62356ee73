// SIMD kernels for whole runs of the sprite operations whose pixels need
// arithmetic: table lookups, depth tests, 50% mixes, translucency, additive
// light, lighting, fades and shadows. The row walker (sprites/blit_rle.h)
// hands a run to its operation's kernel when one is chosen and the run is
// long enough (below), and draws other runs, and every run on the scalar
// path, with the per-pixel rule of sprites/pixel_ops.h, which stays the
// reference the kernels are tested against.
//
// The kernels live in sprites/sprite_simd_sse2.cpp and sprite_simd_avx2.cpp,
// each compiled for its instruction set and chosen at run time as the
// display's are (display/simd_path.h). This header declares plain data only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ruvo {

// What a kernel may need, set by the operation once per call.
struct KernelArgs {
    const uint16_t *colours;  // a 256-entry colour table
    const uint32_t *blend;    // a 256-entry BlendTable
    ptrdiff_t depth_reach;    // cells from a pixel to its depth cell
    uint32_t s;               // ChannelSpread()
    uint32_t weight;          // of a fade
    uint16_t key;             // the depth key
    uint16_t low_bits, not_low_bits, tint, high_bits, red, green, blue, flags;
};

enum KernelId {
    kLookupKernel,        // d = colours[i]
    kTestedLookupKernel,  // d = colours[i] where the depth test passes
    kMix50Kernel,         // d = Mix50(colours[i], d)
    kTestedMix50Kernel,   // the same where the depth test passes
    kTranslucentKernel,
    kAdditiveKernel,
    kLightKernel,
    kFadedKernel,
    kShadowKernel,
    kKernelCount
};

// n >= 1 pixels from d: a literal's index bytes from src, or a fill of value.
// room (>= n) cells from d, and for a literal as many bytes from src, may be
// read and rewritten with their own values: a short run is one vector window
// whose lanes past the run keep what they hold.
using RunKernel = void (*)(uint16_t *d, const uint8_t *src, uint16_t value, ptrdiff_t n,
                           ptrdiff_t room, const KernelArgs &args);

struct SpriteKernels {
    RunKernel literal[kKernelCount];  // null where the kernel draws no literals
    RunKernel fill[kKernelCount];     // null where a fill is no faster in SIMD
};

// Runs go to a kernel from kKernelMinRun pixels, or from kKernelMinWindowRun
// where room holds a window of kKernelWindow cells (the widest vector);
// shorter ones are drawn pixel by pixel, the call costing more than it saves.
// Windows for runs of 3 to 7 pixels took ApplyScreenLight from 970 to 920 us
// and DrawScreenSpriteAdditive from 1030 to 910 us per benchmark workload.
inline constexpr ptrdiff_t kKernelMinRun = 8;
inline constexpr ptrdiff_t kKernelMinWindowRun = 3;
inline constexpr ptrdiff_t kKernelWindow = 16;

// The kernels of the current SIMD path (display/simd_path.h); null on the
// scalar path.
const SpriteKernels *CurrentSpriteKernels();

// Each path's table, or null where this build has none.
const SpriteKernels *Sse2SpriteKernels();
const SpriteKernels *Avx2SpriteKernels();

}  // namespace ruvo
