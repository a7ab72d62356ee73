// The sprite run kernels of simd/kernels.h, written once over a vector
// wrapper V of 16-bit lanes (simd/sse2.h, avx2.h, avx512.h) and instantiated
// by each path's unit. Include only there: everything here is a template over
// their unit-local types, so nothing is emitted for the rest of the library
// in their instruction set.
//
// Each rule computes V::kLanes pixels at once from the destination cells,
// the depth cells (v under the pixel, u the one before it) and the run's
// values, with the same formula as its per-pixel rule in pixel_ops.h,
// arranged for 16-bit lanes:
//   - the 32-bit "spread" arithmetic (green in the high half, red and blue in
//     the low) is done on the two halves in separate vectors: the product of
//     a half by m < 2^16 is its low and high 16 bits (mullo, mulhi), the
//     32-bit shift and the borrow of S - t are carried from half to half;
//   - unsigned 16-bit comparisons are signed ones with the top bit flipped;
//   - a run's last vector ends at the run's end and overlaps the one before
//     it (see Run), so no store leaves the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <type_traits>

#include "simd/kernels.h"

namespace ruvo::simd {

template <class V>
struct Common {
    using Vec = typename V::Vec;
    static Vec Bias(Vec a) { return V::Xor(a, V::Set16(0x8000)); }
    static Vec LessU(Vec a, Vec b) { return V::Gt16(Bias(b), Bias(a)); }
    // v < key, or v == key and u < key.
    static Vec Passes(Vec v, Vec u, Vec key) {
        return V::Or(LessU(v, key), V::And(V::Eq16(v, key), LessU(u, key)));
    }

    // ((spread(p) x m) >> shift) as its low and high halves, m < 2^16 per lane.
    template <int kShift>
    static void ScaledHalves(Vec p, Vec m, Vec s_lo, Vec s_hi, Vec &lo, Vec &hi) {
        const Vec a = V::And(p, s_lo), b = V::And(p, s_hi);
        const Vec pl = V::MulLo16(a, m);
        const Vec ph = V::Add16(V::MulHiU16(a, m), V::MulLo16(b, m));
        lo = V::Or(V::Srl16(pl, kShift), V::Sll16(ph, 16 - kShift));
        hi = V::Srl16(ph, kShift);
    }
    // ScaleBy32nds: fold(((spread(p) x m) >> 5) & S).
    static Vec Scale32(Vec p, Vec m, Vec s_lo, Vec s_hi) {
        Vec lo, hi;
        ScaledHalves<5>(p, m, s_lo, s_hi, lo, hi);
        return V::Or(V::And(lo, s_lo), V::And(hi, s_hi));
    }
    // Mix50 without the 17th bit: (s & d) + (((s ^ d) & ~low) >> 1).
    static Vec Mix50(Vec s, Vec d, Vec not_low) {
        return V::Add16(V::And(s, d), V::Srl16(V::And(V::Xor(s, d), not_low), 1));
    }
};

// What a rule makes of one vector: the pixels and, where it writes them, the
// depth cells.
template <class V>
struct Out {
    typename V::Vec d, z;
};

// The run's values: a literal's index bytes or a fill's one value.
template <class V, bool kLiteral>
struct Values {
    const uint8_t *src;
    uint16_t value;
    typename V::Vec Indices(ptrdiff_t i) const {
        if constexpr (kLiteral) {
            return V::LoadIndices(src + i);
        } else {
            return V::Set16(value);
        }
    }
    typename V::Vec Colours(const uint16_t *table, ptrdiff_t i) const {
        if constexpr (kLiteral) {
            return V::Lookup16(table, src + i);
        } else {
            return V::Set16(table[value]);
        }
    }
    void Entries(const uint32_t *table, ptrdiff_t i, typename V::Vec &lo,
                 typename V::Vec &hi) const {
        if constexpr (kLiteral) {
            V::Lookup32(table, src + i, lo, hi);
        } else {
            lo = V::Set16(static_cast<uint16_t>(table[value]));
            hi = V::Set16(static_cast<uint16_t>(table[value] >> 16));
        }
    }
};

// One vector of pixels: d (kLanes cells), z (depth cells, z[-1] readable),
// values from index i of the run.
template <class V>
struct Lookup {
    using Vec = typename V::Vec;
    using Args = TableArgs;
    using C = Common<V>;
    static constexpr bool kWritesDepth = false;
    template <class Src>
    static Out<V> Step(const Args &a, uint16_t *, uint16_t *, const Src &src, ptrdiff_t i) {
        return {src.Colours(a.colours, i), V::Set16(0)};
    }
};
template <class V>
struct TestedLookup {
    using Vec = typename V::Vec;
    using Args = TestedArgs;
    using C = Common<V>;
    static constexpr bool kWritesDepth = false;
    template <class Src>
    static Out<V> Step(const Args &a, uint16_t *d, uint16_t *z, const Src &src, ptrdiff_t i) {
        const Vec pass = C::Passes(V::Load(z), V::Load(z - 1), V::Set16(a.key));
        return {V::Select(pass, src.Colours(a.colours, i), V::Load(d)), V::Set16(0)};
    }
};
template <class V>
struct Mix50 {
    using Vec = typename V::Vec;
    using Args = TableArgs;
    using C = Common<V>;
    static constexpr bool kWritesDepth = false;
    template <class Src>
    static Out<V> Step(const Args &a, uint16_t *d, uint16_t *, const Src &src, ptrdiff_t i) {
        return {C::Mix50(src.Colours(a.colours, i), V::Load(d), V::Set16(a.not_low_bits)),
                V::Set16(0)};
    }
};
template <class V>
struct TestedMix50 {
    using Vec = typename V::Vec;
    using Args = TestedArgs;
    using C = Common<V>;
    static constexpr bool kWritesDepth = false;
    template <class Src>
    static Out<V> Step(const Args &a, uint16_t *d, uint16_t *z, const Src &src, ptrdiff_t i) {
        const Vec pass = C::Passes(V::Load(z), V::Load(z - 1), V::Set16(a.key));
        const Vec old = V::Load(d);
        const Vec mixed = C::Mix50(src.Colours(a.colours, i), old, V::Set16(a.not_low_bits));
        return {V::Select(pass, mixed, old), V::Set16(0)};
    }
};
// w = e >> 19; unless w & 0xFF == 31: d = ScaleBy32nds(d, w) + (e & 0xFFFF).
template <class V>
struct Translucent {
    using Vec = typename V::Vec;
    using Args = TranslucentArgs;
    using C = Common<V>;
    static constexpr bool kWritesDepth = false;
    template <class Src>
    static Out<V> Step(const Args &a, uint16_t *d, uint16_t *z, const Src &src, ptrdiff_t i) {
        Vec e_lo, e_hi;
        src.Entries(a.blend, i, e_lo, e_hi);
        const Vec w = V::Srl16(e_hi, 3);
        const Vec opaque_skip = V::Eq16(V::And(w, V::Set16(0xFF)), V::Set16(31));
        const Vec pass =
            V::AndNot(opaque_skip, C::Passes(V::Load(z), V::Load(z - 1), V::Set16(a.key)));
        const Vec old = V::Load(d);
        const Vec s_lo = V::Set16(static_cast<uint16_t>(a.s));
        const Vec s_hi = V::Set16(static_cast<uint16_t>(a.s >> 16));
        const Vec drawn = V::Add16(C::Scale32(old, w, s_lo, s_hi), e_lo);
        return {V::Select(pass, drawn, old), V::Set16(0)};
    }
};
// sum = c + d on 17 bits; carry = ((c ^ d ^ sum) >> 1) & high; r = sum - carry,
// then every channel with its carry bit set at its maximum.
template <class V>
struct Additive {
    using Vec = typename V::Vec;
    using Args = AdditiveArgs;
    using C = Common<V>;
    static constexpr bool kWritesDepth = false;
    template <class Src>
    static Out<V> Step(const Args &a, uint16_t *d, uint16_t *z, const Src &src, ptrdiff_t i) {
        const Vec pass = C::Passes(V::Load(z), V::Load(z - 1), V::Set16(a.key));
        const Vec c = src.Colours(a.colours, i), old = V::Load(d);
        const Vec sum = V::Add16(c, old);
        const Vec carry_out = C::LessU(sum, c);  // bit 16 of the 17-bit sum
        const Vec x = V::Xor(V::Xor(c, old), sum);
        const Vec carry = V::And(V::Or(V::Srl16(x, 1), V::And(carry_out, V::Set16(0x8000))),
                                 V::Set16(a.high_bits));
        Vec r = V::Sub16(sum, carry);
        for (uint16_t mask : {a.red, a.green, a.blue}) {
            const Vec m = V::Set16(mask);
            const Vec none = V::Eq16(V::And(carry, m), V::Set16(0));
            r = V::Or(r, V::AndNot(none, m));
        }
        return {V::Select(pass, r, old), V::Set16(0)};
    }
};
// t = ((spread(d) x k) >> 4) & (S | S << 1); u = (S - t) >> 5;
// d = fold((t | u) & S), k the level's low 5 bits.
template <class V>
struct Light {
    using Vec = typename V::Vec;
    using Args = LightArgs;
    using C = Common<V>;
    static constexpr bool kWritesDepth = false;
    template <class Src>
    static Out<V> Step(const Args &a, uint16_t *d, uint16_t *z, const Src &src, ptrdiff_t i) {
        const Vec pass = C::Passes(V::Load(z), V::Load(z - 1), V::Set16(a.key));
        const Vec k = V::And(src.Indices(i), V::Set16(0x1F));
        const uint32_t m32 = a.s | (a.s << 1);
        const uint16_t s_lo16 = static_cast<uint16_t>(a.s);
        const Vec s_lo = V::Set16(s_lo16), s_hi = V::Set16(static_cast<uint16_t>(a.s >> 16));
        const Vec old = V::Load(d);
        Vec t_lo, t_hi;
        C::template ScaledHalves<4>(old, k, s_lo, s_hi, t_lo, t_hi);
        t_lo = V::And(t_lo, V::Set16(static_cast<uint16_t>(m32)));
        t_hi = V::And(t_hi, V::Set16(static_cast<uint16_t>(m32 >> 16)));
        const Vec diff_lo = V::Sub16(s_lo, t_lo);
        const Vec borrow = C::LessU(s_lo, t_lo);  // all ones: subtracts 1
        const Vec diff_hi = V::Add16(V::Sub16(s_hi, t_hi), borrow);
        const Vec u_lo = V::Or(V::Srl16(diff_lo, 5), V::Sll16(diff_hi, 11));
        const Vec u_hi = V::Srl16(diff_hi, 5);
        const Vec lit = V::Or(V::And(V::Or(t_lo, u_lo), s_lo), V::And(V::Or(t_hi, u_hi), s_hi));
        return {V::Select(pass, lit, old), V::Set16(0)};
    }
};
// d = ScaleBy32nds(c, 31 - a) + ScaleBy32nds(d, a).
template <class V>
struct Faded {
    using Vec = typename V::Vec;
    using Args = FadedArgs;
    using C = Common<V>;
    static constexpr bool kWritesDepth = false;
    template <class Src>
    static Out<V> Step(const Args &a, uint16_t *d, uint16_t *, const Src &src, ptrdiff_t i) {
        const Vec s_lo = V::Set16(static_cast<uint16_t>(a.s));
        const Vec s_hi = V::Set16(static_cast<uint16_t>(a.s >> 16));
        const Vec c = src.Colours(a.colours, i);
        const Vec mc = V::Set16(static_cast<uint16_t>(31u - a.weight));
        const Vec md = V::Set16(static_cast<uint16_t>(a.weight));
        return {V::Add16(C::Scale32(c, mc, s_lo, s_hi), C::Scale32(V::Load(d), md, s_lo, s_hi)),
                V::Set16(0)};
    }
};
// Where z & 0x8007 == 0: z |= flags; d = ((d & ~low) >> 1) + tint.
template <class V>
struct Shadow {
    using Vec = typename V::Vec;
    using Args = ShadowArgs;
    using C = Common<V>;
    static constexpr bool kWritesDepth = true;
    template <class Src>
    static Out<V> Step(const Args &a, uint16_t *d, uint16_t *z, const Src &, ptrdiff_t) {
        const Vec v = V::Load(z);
        const Vec free = V::Eq16(V::And(v, V::Set16(0x8007)), V::Set16(0));
        const Vec z_new = V::Select(free, V::Or(v, V::Set16(a.flags)), v);
        const Vec old = V::Load(d);
        const Vec dark =
            V::Add16(V::Srl16(V::And(old, V::Set16(a.not_low_bits)), 1), V::Set16(a.tint));
        return {V::Select(free, dark, old), z_new};
    }
};

// A rule over a whole run. With n >= V::kLanes: full vectors from the start,
// and a last one ending at the run's end, overlapping the one before; the
// last is computed before any store, so that the pixels of the overlap are
// worked out from their first values both times and stored the same. A
// shorter run with room for a vector is one window whose lanes past the run
// are stored as they were loaded; otherwise it takes V's narrower vectors
// (n >= 8 or room >= 8 for those, as the walker ensures).
template <class V, template <class> class Rule, bool kLiteral>
RUVO_ALIGN_STACK void Run(uint16_t *d, const uint8_t *src, uint16_t value, ptrdiff_t n,
                          ptrdiff_t room, const typename Rule<V>::Args &a) {
    constexpr ptrdiff_t L = V::kLanes;
    using R = Rule<V>;
    const Values<V, kLiteral> values{src, value};
    uint16_t *z = d;  // the depth cells, for the rules that read them
    if constexpr (requires { a.depth_reach; }) z += a.depth_reach;
    if (n < L) {
        if constexpr (!std::is_void_v<typename V::Narrow>) {
            if (room < L) return Run<typename V::Narrow, Rule, kLiteral>(d, src, value, n, room, a);
        }
        const typename V::Vec inside = V::Gt16(V::Set16(static_cast<uint16_t>(n)), V::Iota());
        const Out<V> out = R::Step(a, d, z, values, 0);
        V::Store(d, V::Select(inside, out.d, V::Load(d)));
        if constexpr (R::kWritesDepth) V::Store(z, V::Select(inside, out.z, V::Load(z)));
        return;
    }
    auto put = [&](ptrdiff_t i, const Out<V> &out) {
        V::Store(d + i, out.d);
        if constexpr (R::kWritesDepth) V::Store(z + i, out.z);
    };
    const Out<V> last = R::Step(a, d + n - L, z + n - L, values, n - L);
    for (ptrdiff_t i = 0; i + L < n; i += L) put(i, R::Step(a, d + i, z + i, values, i));
    put(n - L, last);
}

template <class V>
constexpr SpriteRunKernels MakeSpriteRuns() {
    SpriteRunKernels k{};
    k.lookup.literal = Run<V, Lookup, true>;
    k.mix50.literal = Run<V, Mix50, true>;
    k.tested_lookup = {Run<V, TestedLookup, true>, Run<V, TestedLookup, false>};
    k.tested_mix50.literal = Run<V, TestedMix50, true>;
    k.translucent = {Run<V, Translucent, true>, Run<V, Translucent, false>};
    k.additive = {Run<V, Additive, true>, Run<V, Additive, false>};
    k.light = {Run<V, Light, true>, Run<V, Light, false>};
    k.faded = {Run<V, Faded, true>, Run<V, Faded, false>};
    k.shadow.fill = Run<V, Shadow, false>;
    return k;
}

}  // namespace ruvo::simd
