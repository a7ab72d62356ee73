// The feature probe and the table of the current path. SSE2, AVX2 and
// AVX-512 (with BMI2) are asked of the CPU (the compiler's cpu-feature test,
// which also checks that the system saves the vector registers). A path's
// table is resolved once, when first used or forced: the scalar table, then
// each narrower path's entries, then its own.
#include <initializer_list>

#include "simd/kernels.h"

namespace ruvo {
namespace {

#if !defined(RUVO_X86_KERNELS)
const KernelTable *NoTable() { return nullptr; }
#endif

bool CanRun(SimdPath path) {
    switch (path) {
        case SimdPath::Fastest:
        case SimdPath::Scalar:
            return true;
#if defined(RUVO_X86_KERNELS)
        case SimdPath::Sse2:  // always there on x86-64
            __builtin_cpu_init();
            return __builtin_cpu_supports("sse2");
        case SimdPath::Avx2:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2");
        case SimdPath::Avx512:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                   __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi") &&
                   __builtin_cpu_supports("bmi2");
#endif
        default:
            return false;
    }
}

template <class Args>
void Overlay(RunKernels<Args> &to, const RunKernels<Args> &from) {
    if (from.literal) to.literal = from.literal;
    if (from.fill) to.fill = from.fill;
    if (from.rows) to.rows = from.rows;
    if (from.sprite) to.sprite = from.sprite;
}

void Overlay(PlainKernels &to, const PlainKernels &from) {
    if (from.rows) to.rows = from.rows;
    if (from.sprite) to.sprite = from.sprite;
}

// Every entry of from that it has, over to.
void Overlay(KernelTable &to, const KernelTable &from) {
    to.path = from.path;
    SpriteRunKernels &t = to.sprite_runs;
    const SpriteRunKernels &f = from.sprite_runs;
    Overlay(t.index_runs, f.index_runs);
    Overlay(t.colour_runs, f.colour_runs);
    Overlay(t.blend_runs, f.blend_runs);
    Overlay(t.tested_index_runs, f.tested_index_runs);
    Overlay(t.tested_blend_runs, f.tested_blend_runs);
    Overlay(t.lookup, f.lookup);
    Overlay(t.mix50, f.mix50);
    Overlay(t.tested_lookup, f.tested_lookup);
    Overlay(t.tested_mix50, f.tested_mix50);
    Overlay(t.translucent, f.translucent);
    Overlay(t.additive, f.additive);
    Overlay(t.light, f.light);
    Overlay(t.faded, f.faded);
    Overlay(t.shadow, f.shadow);
    if (from.cells[0].run) {
        to.cells[1] = from.cells[1].run ? from.cells[1] : to.cells[0];
        to.cells[0] = from.cells[0];
    }
    if (from.convert_colours) to.convert_colours = from.convert_colours;
}

KernelTable Resolve(SimdPath path) {
    KernelTable table{};
    table.path = SimdPath::Scalar;
    if (path == SimdPath::Scalar) return table;
    struct Level {
        SimdPath path;
        const KernelTable *(*table)();
    };
#if defined(RUVO_X86_KERNELS)
    const Level levels[] = {{SimdPath::Sse2, Sse2Kernels},
                            {SimdPath::Avx2, Avx2Kernels},
                            {SimdPath::Avx512, Avx512Kernels}};
#else
    const Level levels[] = {{SimdPath::Scalar, NoTable}};
#endif
    for (const Level &level : levels) {
        if (const KernelTable *own = level.table()) Overlay(table, *own);
        if (level.path == path) break;
    }
    return table;
}

SimdPath Widest() {
    for (SimdPath path : {SimdPath::Avx512, SimdPath::Avx2, SimdPath::Sse2}) {
        if (CanRun(path)) return path;
    }
    return SimdPath::Scalar;
}

KernelTable theTable{};

}  // namespace

namespace simd_detail {

const KernelTable *theResolvedTable = nullptr;

const KernelTable &ResolveKernels() {
    theTable = Resolve(Widest());
    theResolvedTable = &theTable;
    return theTable;
}

}  // namespace simd_detail

bool UseSimdPath(SimdPath path) {
    if (!CanRun(path)) return false;
    theTable = Resolve(path == SimdPath::Fastest ? Widest() : path);
    simd_detail::theResolvedTable = &theTable;
    return true;
}

}  // namespace ruvo
