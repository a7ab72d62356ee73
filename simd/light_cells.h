// The interpolated-cell kernel, written once over a vector type and included
// by each kernel's translation unit, which supplies the operations for its
// instruction set (Ops below) and compiles everything here in its encoding.
// Everything is in an unnamed namespace, so no two units share a definition.
//
// A vector holds four cells per 128 bits, one per 32-bit lane; wider vectors
// repeat the 128-bit layout with the next four cells. Per pixel, in each lane:
//
//     m  = level >> 8;  level += pixel_step              (16-bit halves, see below)
//     s  = p:p & S;     t = s * m + carry;  carry = t & S
//     p' = fold((t >> 5) & S)                            (p itself where m = 32)
//
// Levels, steps and m sit in both 16-bit halves of their lane: the levels a
// cell reaches lie in 0 .. 32767, so 16-bit adds give them exactly, and m in
// both halves lets SSE2, which has no 32-bit multiply, build s * m from 16-bit
// products (Ops::MulByDoubled). Where m = 32 the lane multiplies by 0
// instead, which leaves t = carry and so the carry as it was, and the pixel
// is taken unchanged.
//
// Per row the kernel loads 8 pixels of each cell, transposes them so that
// vector j holds pixel j of every cell (doubled into both halves of its lane),
// runs the 8 dependent steps, transposes back and stores; then the other 8.
#pragma once

#include <cstdint>

#include "simd/kernels.h"

namespace ruvo {
namespace {

// Ops is a wrapper of simd/sse2.h or avx2.h; a 128-bit part of a vector
// holds four cells, the next part the four cells 64 pixels on (LoadParts).
template <class Ops>
struct CellLanes {
    using Vec = typename Ops::Vec;
    static constexpr int kLanes = static_cast<int>(Ops::kLanes) / 2;
    static constexpr int32_t kPartOffset = 4 * kLightCellWidth;
    static Vec Load(const uint16_t *p) { return Ops::LoadParts(p, p + kPartOffset); }
    static void Store(uint16_t *p, Vec v) { Ops::StoreParts(p, p + kPartOffset, v); }

    // (v, v) in both 16-bit halves of each lane from one int32 per lane.
    static Vec Doubled(const int32_t *lanes) {
        const Vec v = Ops::FromLanes(lanes);
        return Ops::Or(Ops::Srl32(Ops::Sll32(v, 16), 16), Ops::Sll32(v, 16));
    }

    // 8 pixels of each cell's row to pixel-major order: out[j] holds pixel j
    // of every cell in both halves of its lane.
    static void TransposeIn(const uint16_t *row, Vec (&out)[8]) {
        const Vec a0 = Load(row), a1 = Load(row + 16);
        const Vec a2 = Load(row + 32), a3 = Load(row + 48);
        const Vec t0 = Ops::UnpackLo16(a0, a1), t1 = Ops::UnpackHi16(a0, a1);
        const Vec t2 = Ops::UnpackLo16(a2, a3), t3 = Ops::UnpackHi16(a2, a3);
        const Vec u[4] = {Ops::UnpackLo32(t0, t2), Ops::UnpackHi32(t0, t2), Ops::UnpackLo32(t1, t3),
                          Ops::UnpackHi32(t1, t3)};
        for (int k = 0; k < 4; ++k) {
            out[2 * k] = Ops::UnpackLo16(u[k], u[k]);
            out[2 * k + 1] = Ops::UnpackHi16(u[k], u[k]);
        }
    }

    // The inverse: in[j] holds pixel j of every cell, sign-extended in its lane.
    static void TransposeOut(uint16_t *row, const Vec (&in)[8]) {
        const Vec q01 = Ops::Packs32(in[0], in[1]), q23 = Ops::Packs32(in[2], in[3]);
        const Vec q45 = Ops::Packs32(in[4], in[5]), q67 = Ops::Packs32(in[6], in[7]);
        const Vec v0 = Ops::UnpackLo16(q01, q23), v1 = Ops::UnpackHi16(q01, q23);
        const Vec v2 = Ops::UnpackLo16(q45, q67), v3 = Ops::UnpackHi16(q45, q67);
        const Vec w0 = Ops::UnpackLo16(v0, v1), w1 = Ops::UnpackHi16(v0, v1);
        const Vec w2 = Ops::UnpackLo16(v2, v3), w3 = Ops::UnpackHi16(v2, v3);
        Store(row, Ops::UnpackLo64(w0, w2));
        Store(row + 16, Ops::UnpackHi64(w0, w2));
        Store(row + 32, Ops::UnpackLo64(w1, w3));
        Store(row + 48, Ops::UnpackHi64(w1, w3));
    }

    // 8 pixels of one row of every cell; level advances by step per pixel.
    template <bool kMayKeep>
    static void ScaleEight(const uint16_t *src, uint16_t *dst, Vec &level, Vec step, Vec spread,
                           Vec &carry) {
        Vec p[8];
        TransposeIn(src, p);
        const Vec full = Ops::Set16(32);
        for (int j = 0; j < 8; ++j) {
            Vec m = Ops::Srl16(level, 8);
            level = Ops::Add16(level, step);
            const Vec s = Ops::And(p[j], spread);
            Vec keep{};
            if constexpr (kMayKeep) {
                keep = Ops::Eq16(m, full);
                m = Ops::AndNot(keep, m);
            }
            const Vec product = Ops::MulByDoubled(s, m);
            const Vec t = Ops::Add32(product, carry);
            carry = Ops::And(t, spread);
            const Vec u = Ops::And(Ops::Srl32(t, 5), spread);
            Vec folded = Ops::Or(u, Ops::Sll32(u, 16));  // the pixel in the high half
            if constexpr (kMayKeep) folded = Ops::Select(keep, p[j], folded);
            p[j] = Ops::Sra32(folded, 16);
        }
        TransposeOut(dst, p);
    }

    template <bool kMayKeep>
    static uint32_t Cells(const LightBand &band, int32_t x, const LightCellSteps *steps,
                          uint32_t spread_mask) {
        int32_t lanes[4][kLanes];
        for (int k = 0; k < kLanes; ++k) {
            lanes[0][k] = steps[k].level;
            lanes[1][k] = steps[k].pixel_step;
            lanes[2][k] = steps[k].row_step;
            lanes[3][k] = steps[k].e;
        }
        Vec row_level = Doubled(lanes[0]), pixel_step = Doubled(lanes[1]);
        const Vec row_step = Doubled(lanes[2]), e = Doubled(lanes[3]);
        int32_t spread_lanes[kLanes];
        for (int32_t &s : spread_lanes) s = static_cast<int32_t>(spread_mask);
        const Vec spread = Ops::FromLanes(spread_lanes);
        Vec carry = Ops::Zero();
        for (int32_t k = 0; k < band.rows; ++k) {
            if (k == band.split) carry = Ops::Zero();
            const uint16_t *s = band.src[k] + x;
            uint16_t *d = band.dst[k] + x;
            Vec level = row_level;
            ScaleEight<kMayKeep>(s, d, level, pixel_step, spread, carry);
            ScaleEight<kMayKeep>(s + 8, d + 8, level, pixel_step, spread, carry);
            row_level = Ops::Add16(row_level, row_step);
            pixel_step = Ops::Add16(pixel_step, e);
        }
        return Ops::LastLane(carry);
    }

    static uint32_t Run(const LightBand &band, int32_t x, const LightCellSteps *steps,
                        uint32_t spread, bool may_keep) {
        return may_keep ? Cells<true>(band, x, steps, spread)
                        : Cells<false>(band, x, steps, spread);
    }
};

}  // namespace
}  // namespace ruvo
