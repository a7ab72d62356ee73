// Run-time choice of the SIMD kernels. SSE2 is part of x86-64; 32-bit x86
// and AVX2 are asked of the CPU (the compiler's cpu-feature test, which also
// checks that the system saves the vector registers).
#include "display/simd_path.h"

namespace ruvo {
namespace {

SimdPath theForcedPath = SimdPath::Fastest;

bool CanRun(SimdPath path) {
    switch (path) {
        case SimdPath::Fastest:
        case SimdPath::Scalar:
            return true;
#if defined(RUVO_X86_KERNELS)
        case SimdPath::Sse2:
#if defined(__x86_64__)
            return true;
#else
            __builtin_cpu_init();
            return __builtin_cpu_supports("sse2");
#endif
        case SimdPath::Avx2:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2");
#endif
        default:
            return false;
    }
}

}  // namespace

SimdPath CurrentSimdPath() {
    if (theForcedPath != SimdPath::Fastest) return theForcedPath;
    if (CanRun(SimdPath::Avx2)) return SimdPath::Avx2;
    if (CanRun(SimdPath::Sse2)) return SimdPath::Sse2;
    return SimdPath::Scalar;
}

bool UseSimdPath(SimdPath path) {
    if (!CanRun(path)) return false;
    theForcedPath = path;
    return true;
}

}  // namespace ruvo
