// The one sprite row walker. BlitRle places the header, clips rows at the top
// and bottom, scans runs hidden left of the clip, clamps runs at its right
// edge, splits the rows at the wrap and steps from row to row; what a drawn
// pixel becomes is the per-pixel operation's (sprites/pixel_ops.h), and where
// the pixels are is the target's. Both are compile-time parameters, so every
// sprite operation is this walker specialised, with no per-pixel flag or call.
//
// Positions, limits and row starts are cell indices from the target's first
// cell; they may be negative before the left scan (a sprite left of column 0
// in a row near storage row 0) and are compared as signed integers. A cell is
// formed only for a position inside the row's clip span.
//
// A target provides
//     Cell           the cell type (uint16_t pixels, uint8_t mask bytes, ...)
//     cells          its first cell
//     clip           the inclusive clip rectangle, inside the target
//     origin, pitch  the index of logical (0, 0) and the cells per row
//     wrap_row       the first logical row stored wrap_cells cells lower
//     DepthOf(cell)  the depth cell under a pixel, when kHasDepth
//
// An operation provides
//     colours(v)     what a run value (index, colour, level) draws with
//     Draw(d, c, at) the pixel rule, given the destination, the value's
//                    paint and a PixelSite
// and optionally the traits kUsesDepth, kUsesPosition (the site's depth cell
// or coordinates are filled in), kBlockFill (fills are block stores of the
// paint) and kCopiesLiterals (literal data is copied as the pixels).
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "framestore/layers.h"
#include "framestore/pixel_math.h"
#include "simd/kernels.h"
#include "sprites/rle_sprite.h"
#include "sprites/run_copy.h"

namespace ruvo {

// What a per-pixel operation may see besides its destination cell.
struct PixelSite {
    uint16_t *depth;  // the depth cell under the pixel (kUsesDepth)
    int32_t x, y;     // its logical coordinates (kUsesPosition)
};

template <class Op>
struct OpTraits {
    // Runs of at least kKernelMinRun pixels, or kKernelMinWindowRun with room
    // for a kKernelWindow-cell window, go to op.kernels (when not null):
    // literals to the kLiteralKernel entry's literal kernel, blended literals
    // to kBlendKernel's, fills to kLiteralKernel's fill kernel, where not
    // null, with op.args.
    static constexpr bool kHasKernel = requires { Op::kLiteralKernel; };
    static constexpr bool kHasBlendKernel = requires { Op::kBlendKernel; };
    static constexpr bool kUsesDepth = requires { requires Op::kUsesDepth; };
    static constexpr bool kUsesPosition = requires { requires Op::kUsesPosition; };
    static constexpr bool kBlockFill = requires { requires Op::kBlockFill; };
    static constexpr bool kCopiesLiterals = requires { requires Op::kCopiesLiterals; };
    // Plain sprites, and their rows after the left scan, may go whole to
    // op.kernels' plain kernels (with op.args.colours, where the op has them).
    static constexpr bool kPlainRows = requires { requires Op::kPlainRows; };
    // The same for depth-tested rows, with op.args' key and depth reach.
    static constexpr bool kTestedRows = requires { requires Op::kTestedRows; };
    static constexpr bool kRowKernels = kPlainRows || kTestedRows;
    // Index sprites, and rows after the left scan, may go whole to the
    // kLiteralKernel entry's sprite and row kernels (with op.args).
    static constexpr bool kRuleRows = requires { requires Op::kRuleRows; };
};

enum class LayerId { Screen, Back };

// A layer of the frame store: ring addressing, the clip rectangle by its low
// 16 bits cut to the layer, and the depth cell at the fixed layer spacing.
template <LayerId L>
struct LayerTarget {
    using Cell = uint16_t;
    static constexpr bool kHasDepth = true;
    static constexpr ptrdiff_t kDepthReach =
        ptrdiff_t{L == LayerId::Screen ? 2 : 1} * kLayerSpacingCells;
    static constexpr ptrdiff_t pitch = kLayerWidth;
    static constexpr ptrdiff_t wrap_cells = kLayerCells;

    Cell *cells = L == LayerId::Screen ? ScreenCells() : BackCells();
    ClipRect clip = LayerClip16();
    ptrdiff_t origin = View().origin;
    int32_t wrap_row = View().wrap_row;

    static uint16_t *DepthOf(Cell *cell) { return cell + kDepthReach; }
};

namespace blit_detail {

// The plain kernels of the op's path for coding C, or null.
template <RunCoding C, class Op, class Target>
const PlainKernels *PlainKernelsOf(const Op &op) {
    if constexpr (OpTraits<Op>::kRowKernels && std::is_same_v<typename Target::Cell, uint16_t>) {
        if (op.kernels) {
            if constexpr (OpTraits<Op>::kTestedRows) {
                if constexpr (C == RunCoding::IndexRuns) return &op.kernels->tested_index_runs;
                if constexpr (C == RunCoding::BlendRuns) return &op.kernels->tested_blend_runs;
            } else {
                if constexpr (C == RunCoding::IndexRuns) return &op.kernels->index_runs;
                if constexpr (C == RunCoding::ColourRuns) return &op.kernels->colour_runs;
                if constexpr (C == RunCoding::BlendRuns) return &op.kernels->blend_runs;
            }
        }
    }
    return nullptr;
}

// A call of its own, so that the sprites that do not go whole keep the
// slot's registers (a one-pixel sprite took 1.15 times as long otherwise).
[[gnu::noinline]] inline void DrawWhole(PlainSpriteKernel whole, const RowArgs &args,
                                        const SpriteRows &rows) {
    whole(rows, args);
}

template <class Op>
RowArgs RowArgsOf(const Op &op, uint16_t low_bits) {
    RowArgs args;
    args.low_bits = low_bits;
    if constexpr (requires { op.args.colours; }) args.colours = op.args.colours;
    if constexpr (OpTraits<Op>::kTestedRows) {
        args.key = op.args.key;
        args.depth_reach = op.args.depth_reach;
    }
    return args;
}

// Rows left to a row kernel after their left scan, drawn when the batch is
// full and at the end of the sprite.
struct RowBatch {
    RowKernel kernel = nullptr;
    uint16_t *cells = nullptr;
    RowArgs args;
    ptrdiff_t count = 0;
    PlainRow rows[kPlainRowBatch];  // left uninitialised (declare without {}): only count are read

    void Add(const PlainRow &row) {
        rows[count++] = row;
        if (count == kPlainRowBatch) Flush();
    }
    void Flush() {
        if (count) kernel(cells, rows, count, args);
        count = 0;
    }
};

template <class Op, class Target>
PixelSite SiteOf(typename Target::Cell *cell, int32_t x, int32_t y) {
    PixelSite site{};
    if constexpr (OpTraits<Op>::kUsesDepth) {
        static_assert(Target::kHasDepth, "a depth operation needs a target with a depth layer");
        site.depth = Target::DepthOf(cell);
    }
    if constexpr (OpTraits<Op>::kUsesPosition) {
        site.x = x;
        site.y = y;
    }
    return site;
}

// Draws n pixels of a run from cell index pos, column x, row y (n is 0 only
// for a malformed run of count 0, which draws nothing).
// Literal data is consumed from p, n values.
// room counts the cells from pos to the right limit, data_room the bytes of
// row data from p: what a run kernel may read and rewrite beyond the run.
template <RunCoding C, class Op, class Target>
inline void DrawRun(const Op &op, const Target &target, const Run &run, ptrdiff_t n,
                    const uint8_t *&p, ptrdiff_t pos, int32_t x, int32_t y, uint16_t low_bits,
                    ptrdiff_t room, ptrdiff_t data_room) {
    using K = Coding<C>;
    using Traits = OpTraits<Op>;
    typename Target::Cell *cell = target.cells + pos;
    auto site = [&](ptrdiff_t i) {
        return SiteOf<Op, Target>(cell + i, x + static_cast<int32_t>(i), y);
    };
    // The kernel of a run, where it pays: long runs, or short ones with a
    // whole vector window of room in the clip span and the data.
    auto worth = [&](auto kernel, ptrdiff_t window_room) {
        return kernel &&
               (n >= kKernelMinRun || (n >= kKernelMinWindowRun && window_room >= kKernelWindow));
    };
    const ptrdiff_t literal_room = std::min(room, data_room);
    switch (run.cls) {
        case RunClass::Literal:
            if constexpr (Traits::kCopiesLiterals && std::endian::native == std::endian::little) {
                static_assert(K::kValueBytes == sizeof *cell);
                CopyCells(cell, p, n);
            } else {
                if constexpr (Traits::kHasKernel) {
                    const auto kernel =
                        op.kernels ? (op.kernels->*Op::kLiteralKernel).literal : nullptr;
                    if (worth(kernel, literal_room)) {
                        kernel(cell, p, 0, n, literal_room, op.args);
                        p += n * K::kValueBytes;
                        break;
                    }
                }
                for (ptrdiff_t i = 0; i < n; ++i) {
                    op.Draw(cell[i], op.colours(K::Value(p + i * K::kValueBytes)), site(i));
                }
            }
            p += n * K::kValueBytes;
            break;
        case RunClass::BlendedLiteral:
            if constexpr (C == RunCoding::BlendRuns) {
                if constexpr (Traits::kHasBlendKernel) {
                    const auto kernel =
                        op.kernels ? (op.kernels->*Op::kBlendKernel).literal : nullptr;
                    if (worth(kernel, literal_room)) {
                        kernel(cell, p, 0, n, literal_room, op.args);
                        p += n;
                        break;
                    }
                }
                for (ptrdiff_t i = 0; i < n; ++i) {
                    const uint16_t c = op.colours(K::Value(p + i));
                    op.Draw(cell[i], Mix50(c, cell[i], low_bits), site(i));
                }
                p += n;
            }
            break;
        case RunClass::Fill: {
            const auto paint = op.colours(run.value);
            if constexpr (Traits::kBlockFill && std::is_same_v<typename Target::Cell, uint16_t>) {
                FillCells(cell, paint, n);
            } else if constexpr (Traits::kBlockFill) {
                std::fill_n(cell, n, paint);
            } else {
                if constexpr (Traits::kHasKernel) {
                    const auto kernel =
                        op.kernels ? (op.kernels->*Op::kLiteralKernel).fill : nullptr;
                    if (worth(kernel, room)) {
                        kernel(cell, nullptr, run.value, n, room, op.args);
                        break;
                    }
                }
                for (ptrdiff_t i = 0; i < n; ++i) op.Draw(cell[i], paint, site(i));
            }
            break;
        }
        case RunClass::Skip:
            break;
    }
}

// One row: the left scan, then runs until the data ends or the right limit is
// reached. Every run of every sprite is clamped at the right limit and the row
// ends there: the declared width is not trusted to bound the runs, so there is
// no unguarded continuation, and one comparison per run keeps whatever the
// run bytes say inside the clip span. The reads are bounded the same way:
// Read() keeps every run inside [p, end), so a literal's data, a kernel's
// window (data_room) and the left scan's step back all stay inside the row.
template <RunCoding C, class Op, class Target>
inline void WalkRow(const Op &op, const Target &target, const uint8_t *p, const uint8_t *end,
                    ptrdiff_t column0, int32_t left, int32_t y, uint16_t low_bits,
                    RowBatch *batch) {
    using K = Coding<C>;
    const ptrdiff_t left_limit = column0 + target.clip.left;
    const ptrdiff_t right_limit = column0 + target.clip.right + 1;
    ptrdiff_t pos = column0 + left;
    auto draw = [&](const Run &run, ptrdiff_t count) {
        const ptrdiff_t n = std::min(count, right_limit - pos);
        DrawRun<C>(op, target, run, n, p, pos, static_cast<int32_t>(pos - column0), y, low_bits,
                   right_limit - pos, end - p);
        pos += n;
    };
    auto is_literal = [](const Run &run) {
        return run.cls == RunClass::Literal || run.cls == RunClass::BlendedLiteral;
    };

    if (pos < left_limit) {
        // Left scan: pass over runs until one reaches past the left limit;
        // the visible rest of a literal starts at its own data.
        for (;;) {
            if (p >= end) return;
            Run run = K::Read(p, end);
            pos += run.count;
            if (is_literal(run)) p += static_cast<ptrdiff_t>(run.count) * K::kValueBytes;
            if (pos <= left_limit) continue;
            if (run.cls == RunClass::Skip) break;
            const ptrdiff_t visible = pos - left_limit;
            pos = left_limit;
            if (is_literal(run)) p -= visible * K::kValueBytes;
            draw(run, visible);
            break;
        }
        // Rows of a sprite that needs no left scan went whole to the rule's
        // sprite kernel, or are too short for it: only scanned rows may go
        // to its row kernel.
        if constexpr (C == RunCoding::IndexRuns && OpTraits<Op>::kRuleRows &&
                      std::is_same_v<typename Target::Cell, uint16_t>) {
            const auto rows = op.kernels ? (op.kernels->*Op::kLiteralKernel).rows : nullptr;
            if (rows && right_limit - pos <= kRuleRowMaxCells &&
                end - p >= kRuleSpriteMinWidth / 2) {
                rows(target.cells, pos, right_limit, p, end, op.args);
                return;
            }
        }
    }
    if (batch && end - p >= (C == RunCoding::ColourRuns ? kColourRowKernelMinBytes
                                                        : kIndexRowKernelMinBytes)) {
        if (pos < right_limit) batch->Add({pos, right_limit, p, end});
        return;
    }
    while (pos < right_limit && p < end) {
        const Run run = K::Read(p, end);
        draw(run, run.count);
    }
}

// BlitRle's body.
template <RunCoding C, class Op, class Target>
[[gnu::always_inline]] inline void BlitRleBody(int32_t x, int32_t y, const void *sprite_bytes,
                                               const Op &op, const Target &target) {
    const auto *sprite = static_cast<const uint8_t *>(sprite_bytes);
    const SpriteHeader header = ReadSpriteHeader(sprite);
    const ClipRect &clip = target.clip;
    const int64_t left = int64_t{x} + header.x_offset;
    int64_t top = int64_t{y} + header.y_offset;
    int64_t rows = header.rows;
    // No row reaches the clip span: nothing would be drawn.
    if (clip.Empty() || left > clip.right || left + kMaxRowAdvance <= clip.left) return;

    const uint8_t *data = sprite + kSpriteHeaderBytes;
    if (top < clip.top) {
        const int64_t hidden = clip.top - top;
        rows -= hidden;
        if (rows <= 0) return;
        for (int64_t i = 0; i < hidden; ++i) data += 2 + LoadLE16(data);
        top = clip.top;
    }
    rows = std::min<int64_t>(rows, clip.bottom + 1 - top);
    if (rows <= 0) return;

    const uint16_t low_bits = C == RunCoding::BlendRuns ? Low16(Block().LowBitsMask) : 0;
    const auto first_row = static_cast<int32_t>(top);
    const int64_t rows_before_wrap = std::clamp<int64_t>(target.wrap_row - top, 0, rows);
    ptrdiff_t column0 = target.origin + ptrdiff_t{first_row} * target.pitch;
    // A plain sprite that needs no left scan goes whole to its kernel, which
    // reads the row records as it draws.
    if constexpr (OpTraits<Op>::kRowKernels && std::is_same_v<typename Target::Cell, uint16_t>) {
        const int32_t min_width =
            C == RunCoding::ColourRuns ? kColourSpriteMinWidth : kIndexSpriteMinWidth;
        const PlainKernels *plain = header.width >= min_width && left >= clip.left
                                        ? blit_detail::PlainKernelsOf<C, Op, Target>(op)
                                        : nullptr;
        const PlainSpriteKernel whole = plain ? plain->sprite : nullptr;
        if (whole) {
            blit_detail::DrawWhole(
                whole, blit_detail::RowArgsOf(op, low_bits),
                {.cells = target.cells,
                 .data = data,
                 .start = column0 + static_cast<ptrdiff_t>(left),
                 .span = static_cast<ptrdiff_t>(int64_t{clip.right} + 1 - left),
                 .extent = std::min<ptrdiff_t>(header.width, int64_t{clip.right} + 1 - left),
                 .pitch = target.pitch,
                 .wrap_cells = target.wrap_cells,
                 .rows = static_cast<int32_t>(rows),
                 .rows_before_wrap = static_cast<int32_t>(rows_before_wrap)});
            return;
        }
    }
    // Plain rows go to the op's row kernel, where its path has one.
    blit_detail::RowBatch batch;
    if constexpr (OpTraits<Op>::kRowKernels && std::is_same_v<typename Target::Cell, uint16_t>) {
        const PlainKernels *plain = blit_detail::PlainKernelsOf<C, Op, Target>(op);
        batch.kernel = plain ? plain->rows : nullptr;
        batch.cells = target.cells;
        batch.args = blit_detail::RowArgsOf(op, low_bits);
    }
    blit_detail::RowBatch *batched = batch.kernel ? &batch : nullptr;

    if constexpr (C == RunCoding::IndexRuns && OpTraits<Op>::kRuleRows &&
                  std::is_same_v<typename Target::Cell, uint16_t>) {
        // A sprite that needs no left scan goes whole to the rule's kernel.
        const auto whole = op.kernels ? (op.kernels->*Op::kLiteralKernel).sprite : nullptr;
        const int64_t span = int64_t{clip.right} + 1 - left;
        const int64_t extent = std::min<int64_t>(span, header.width);
        if (whole && left >= clip.left && span <= kRuleRowMaxCells &&
            extent >= kRuleSpriteMinWidth) {
            whole({.cells = target.cells,
                   .data = data,
                   .start = column0 + static_cast<ptrdiff_t>(left),
                   .span = static_cast<ptrdiff_t>(span),
                   .extent = static_cast<ptrdiff_t>(extent),
                   .pitch = target.pitch,
                   .wrap_cells = target.wrap_cells,
                   .rows = static_cast<int32_t>(rows),
                   .rows_before_wrap = static_cast<int32_t>(rows_before_wrap)},
                  op.args);
            return;
        }
    }
    for (int32_t r = 0; r < rows; ++r) {
        if (r == rows_before_wrap) column0 -= target.wrap_cells;
        const uint8_t *runs = data + 2;
        const uint8_t *end = runs + LoadLE16(data);
        blit_detail::WalkRow<C>(op, target, runs, end, column0, static_cast<int32_t>(left),
                                first_row + r, low_bits, batched);
        data = end;
        column0 += target.pitch;
    }
    if (batched) batched->Flush();
}

template <RunCoding C, class Op, class Target>
[[gnu::noinline]] void BlitRleCall(int32_t x, int32_t y, const void *sprite_bytes, const Op &op,
                                   const Target &target) {
    BlitRleBody<C>(x, y, sprite_bytes, op, target);
}

}  // namespace blit_detail

// Draws the RleSprite at (x, y) plus its header offsets into the target.
// The plain and depth-tested operations take the body inline (each has its
// own specialisation), so that the op's and the target's fields stay in
// registers: a one-pixel sprite measured 15% faster. The others keep it a
// call of its own, which measured 6 to 10% faster for the stamps.
template <RunCoding C, class Op, class Target>
inline void BlitRle(int32_t x, int32_t y, const void *sprite_bytes, const Op &op,
                    const Target &target) {
    if constexpr (OpTraits<Op>::kRowKernels) {
        blit_detail::BlitRleBody<C>(x, y, sprite_bytes, op, target);
    } else {
        blit_detail::BlitRleCall<C>(x, y, sprite_bytes, op, target);
    }
}

}  // namespace ruvo
