// The run-length sprite (RleSprite) and its four run codings.
//
// A sprite is a 9-byte header and one RowRecord per row, little-endian, with
// no alignment or padding anywhere:
//
//     header     int16 x offset, int16 y offset, uint16 width - 1,
//                uint16 row count, uint8 kind
//     RowRecord  uint16 L, then L bytes of back-to-back runs
//
// Row i is drawn at y + y offset + i; its first run starts at column
// x + x offset and every run starts where the one before it ended. A row may
// cover fewer pixels than the declared width; the next RowRecord always starts
// L bytes after the byte count, whatever the runs of this row consumed. The
// kind byte names the coding for the surface blits only; the layer operations
// each read one fixed coding and skip it.
//
// Every run is a RunCode byte and its data, read by the coding:
//
//     BlendRuns   cc nnnnnn   00 literal          n index bytes
//                             01 blended literal  n index bytes, 50% mix with the pixel
//                             10 fill             1 index byte
//                             11 skip             no data
//     IndexRuns   c nnnnnnn   0 literal           n index bytes (index 0 is drawn)
//                             1 fill or skip      1 index byte, 0 = skip
//     ColourRuns  c nnnnnnn   0 literal           n colours of 2 bytes
//                             1 fill or skip      1 colour, 0xF81F = skip
//     MaskRuns    c nnnnnnn   0 covered           no data
//                             1 skip              no data
//
// An index selects what the operation draws with: a 16-bit colour of a table,
// a BlendTable entry, or a light level. The format carries no size or check:
// the header and the byte counts are trusted, the runs are not. A run reads
// only the bytes of its own row: a literal that claims more data than the row
// has left is cut to the whole pixels left, and a fill or skip whose value
// lies past the row's end ends the row (a skip of 0 pixels, the data used up).
#pragma once

#include <cstdint>

namespace ruvo {

enum class RunCoding { BlendRuns, IndexRuns, ColourRuns, MaskRuns };

// What a run does to its pixels, whatever the coding.
enum class RunClass : uint8_t { Literal, BlendedLiteral, Fill, Skip };

// One decoded RunCode: its class, its pixel count and, for a fill, its value.
struct Run {
    RunClass cls;
    uint32_t count;
    uint16_t value;
};

inline constexpr int32_t kSpriteHeaderBytes = 9;
inline constexpr uint16_t kColourKey = 0xF81F;

// The most pixels one row can advance: every byte of the longest row a run
// code of the largest count. A row that starts further left than this from a
// column can never reach it.
inline constexpr int64_t kMaxRowAdvance = int64_t{65535} * 127;

inline uint16_t LoadLE16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

struct SpriteHeader {
    int16_t x_offset, y_offset;
    int32_t width;  // 1 to 65536
    int32_t rows;
    uint8_t kind;
};

inline SpriteHeader ReadSpriteHeader(const uint8_t *sprite) {
    return {static_cast<int16_t>(LoadLE16(sprite)), static_cast<int16_t>(LoadLE16(sprite + 2)),
            int32_t{LoadLE16(sprite + 4)} + 1, int32_t{LoadLE16(sprite + 6)}, sprite[8]};
}

// A literal's pixel count, cut to the whole values between p and end.
inline uint32_t LiteralCount(uint32_t count, const uint8_t *p, const uint8_t *end,
                             int32_t value_bytes) {
    const auto left = static_cast<uint32_t>(end - p) / static_cast<uint32_t>(value_bytes);
    return count < left ? count : left;
}

// What a run whose value lies past the row's end reads as: no pixels, with p
// at the end, so the row ends.
inline constexpr Run kRowEnded{RunClass::Skip, 0, 0};

// How one coding reads its runs: Read() decodes the RunCode at p (before end)
// and, for a fill, its value, leaving p at the run's literal data, which it
// bounds by end; Value() reads one literal. One comparison per run.
template <RunCoding C>
struct Coding;

template <>
struct Coding<RunCoding::BlendRuns> {
    static constexpr int32_t kValueBytes = 1;
    static uint16_t Value(const uint8_t *p) { return *p; }
    static Run Read(const uint8_t *&p, const uint8_t *end) {
        const uint8_t code = *p++;
        const uint32_t count = code & 0x3F;
        switch (code >> 6) {
            case 0:
                return {RunClass::Literal, LiteralCount(count, p, end, kValueBytes), 0};
            case 1:
                return {RunClass::BlendedLiteral, LiteralCount(count, p, end, kValueBytes), 0};
            case 2:
                if (p == end) return kRowEnded;
                return {RunClass::Fill, count, *p++};
            default:
                return {RunClass::Skip, count, 0};
        }
    }
};

template <>
struct Coding<RunCoding::IndexRuns> {
    static constexpr int32_t kValueBytes = 1;
    static uint16_t Value(const uint8_t *p) { return *p; }
    static Run Read(const uint8_t *&p, const uint8_t *end) {
        const uint8_t code = *p++;
        const uint32_t count = code & 0x7F;
        if (code < 0x80) return {RunClass::Literal, LiteralCount(count, p, end, kValueBytes), 0};
        if (p == end) return kRowEnded;
        const uint8_t index = *p++;
        return {index == 0 ? RunClass::Skip : RunClass::Fill, count, index};
    }
};

template <>
struct Coding<RunCoding::ColourRuns> {
    static constexpr int32_t kValueBytes = 2;
    static uint16_t Value(const uint8_t *p) { return LoadLE16(p); }
    static Run Read(const uint8_t *&p, const uint8_t *end) {
        const uint8_t code = *p++;
        const uint32_t count = code & 0x7F;
        if (code < 0x80) return {RunClass::Literal, LiteralCount(count, p, end, kValueBytes), 0};
        if (end - p < 2) {
            p = end;
            return kRowEnded;
        }
        const uint16_t colour = LoadLE16(p);
        p += 2;
        return {colour == kColourKey ? RunClass::Skip : RunClass::Fill, count, colour};
    }
};

// A covered run is a fill without a value.
template <>
struct Coding<RunCoding::MaskRuns> {
    static constexpr int32_t kValueBytes = 0;
    static uint16_t Value(const uint8_t *) { return 0; }
    static Run Read(const uint8_t *&p, const uint8_t *) {
        const uint8_t code = *p++;
        return {code < 0x80 ? RunClass::Fill : RunClass::Skip, code & 0x7Fu, 0};
    }
};

}  // namespace ruvo
