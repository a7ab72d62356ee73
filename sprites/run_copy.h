// Copies and fills of one run of 16-bit cells, inline. Runs are short (a
// sprite row is a handful of runs of 3 to 127 pixels), so these are built
// for short lengths: chunks of 16 bytes with the last one overlapping the one
// before it, and for runs under 8 cells two overlapping stores of 8, 4 or 2
// bytes. Every store lies inside the run, and the source is never the layer.
//
// The compiler turns a variable-length memcpy or std::fill_n of a run into
// `rep movs`/`rep stos` or a library call, whose start-up (some 30 cycles)
// costs more than a whole run: DrawScreenColourSprite went from 880 to 500 us
// per benchmark workload by these two alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ruvo {

// n cells from src (bytes, any alignment) to dst; n = 0 (a malformed run)
// touches nothing.
inline void CopyCells(uint16_t *dst, const void *src, ptrdiff_t n) {
    auto *d = reinterpret_cast<unsigned char *>(dst);
    const auto *s = static_cast<const unsigned char *>(src);
    const auto bytes = static_cast<size_t>(n) * 2;
    if (bytes >= 16) {
        size_t i = 0;
        for (; i + 16 < bytes; i += 16) std::memcpy(d + i, s + i, 16);
        std::memcpy(d + bytes - 16, s + bytes - 16, 16);
    } else if (bytes >= 8) {
        uint64_t head, tail;
        std::memcpy(&head, s, 8);
        std::memcpy(&tail, s + bytes - 8, 8);
        std::memcpy(d, &head, 8);
        std::memcpy(d + bytes - 8, &tail, 8);
    } else if (bytes >= 4) {
        uint32_t head, tail;
        std::memcpy(&head, s, 4);
        std::memcpy(&tail, s + bytes - 4, 4);
        std::memcpy(d, &head, 4);
        std::memcpy(d + bytes - 4, &tail, 4);
    } else if (bytes != 0) {
        std::memcpy(d, s, 2);
    }
}

// n cells of dst set to value; n = 0 touches nothing.
inline void FillCells(uint16_t *dst, uint16_t value, ptrdiff_t n) {
    auto *d = reinterpret_cast<unsigned char *>(dst);
    const auto bytes = static_cast<size_t>(n) * 2;
    const uint64_t v8 = value * uint64_t{0x0001000100010001};
    if (bytes >= 16) {
        const uint64_t v16[2] = {v8, v8};
        size_t i = 0;
        for (; i + 16 < bytes; i += 16) std::memcpy(d + i, v16, 16);
        std::memcpy(d + bytes - 16, v16, 16);
    } else if (bytes >= 8) {
        std::memcpy(d, &v8, 8);
        std::memcpy(d + bytes - 8, &v8, 8);
    } else if (bytes >= 4) {
        const auto v4 = static_cast<uint32_t>(v8);
        std::memcpy(d, &v4, 4);
        std::memcpy(d + bytes - 4, &v4, 4);
    } else if (bytes != 0) {
        *dst = value;
    }
}

}  // namespace ruvo
