// Which SIMD kernels the display's operations use: the widest the CPU runs,
// unless a test forces one path to compare it with the scalar reference.
//
// The kernels live in translation units of their own, each compiled for its
// instruction set (simd_sse2.cpp, simd_avx2.cpp). Headers they include
// declare only plain data and functions, no inline code that those units
// could emit in their encoding for the rest of the library to pick up.
#pragma once

namespace ruvo {

enum class SimdPath { Fastest, Scalar, Sse2, Avx2 };

// The path of the operation being run: the one forced, else the widest.
SimdPath CurrentSimdPath();

// Forces path for the following calls (Fastest undoes it). Returns false,
// changing nothing, when this build or CPU cannot run it.
bool UseSimdPath(SimdPath path);

}  // namespace ruvo
