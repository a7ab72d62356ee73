// Where a fill pays, on the widest SIMD path and on AVX2, for the slots of
// every coding that has fills. Run with --fill_sweep (a few minutes).
// - FillLength: the workload's pictures encoded with the shortest fill between
//   literals set to each of a range of lengths, half that beside one literal
//   (3 writes every repeat as a fill, "never" only repeats that are a whole
//   opaque stretch); ratios to 3.
// - FillBreakEven: rows of literal 6, a repeat of n, literal 6, a hole of 4,
//   three times over, with the repeat as a fill and folded into one literal of
//   n + 12 (up to 48 in BlendRuns, whose runs hold 63); ratios folded / fill,
//   below 1 where the literal draws faster. FillBreakEven/.../one_side: the
//   same without the first literal (the repeat follows the hole), where
//   folding saves one run instead of two.
#include "bench/fill_length_bench.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "bench/comparisons.h"
#include "bench/sprite_contenders.h"
#include "bench/sprite_workload.h"
#include "simd/kernels.h"

namespace ruvo::bench {
namespace {

constexpr int32_t kNever = 1 << 20;
constexpr int32_t kLengths[] = {3, 8, 16, 24, kNever};

std::string LengthName(int32_t length) {
    std::string name = "L";
    return length == kNever ? "never" : name.append(std::to_string(length));
}

// The large set's sprites of one encoding re-encoded with the given length.
const std::vector<std::vector<uint8_t>> &Encoded(Encoding e, int32_t length) {
    static std::map<std::pair<int, int32_t>, std::vector<std::vector<uint8_t>>> made;
    auto &sprites = made[{int(e), length}];
    if (sprites.empty()) {
        const RunCoding coding = e == kAllBlended ? RunCoding::BlendRuns : RunCoding(e);
        for (const WorkloadSprite &s : Workload().sprites) {
            sprites.push_back(assets::EncodeSprite(assets::DecodeSprite(s.encoded[e], coding),
                                                   coding, {length, (length + 1) / 2}));
        }
    }
    return sprites;
}

void BM_FillLength(benchmark::State &state, const Contender &c, SimdPath path, int32_t length) {
    const SimdPath before = CurrentSimdPath();
    if (!UseSimdPath(path == SimdPath::Fastest ? before : path)) {
        state.SkipWithError("this SIMD path is not available");
        return;
    }
    RuvoOperations &op = Prepare();
    const auto &sprites = Encoded(c.coding, length);
    size_t bytes = 0;
    for (const auto &s : sprites) bytes += s.size();
    for (auto _ : state) {
        for (const Placement &p : Workload().unclipped) {
            c.draw(op, p, sprites[p.sprite].data(), TheTables());
        }
        benchmark::ClobberMemory();
    }
    UseSimdPath(before);
    state.counters["bytes"] = double(bytes);
}

// 64 sprites of 64 rows of (literal 6, repeat n, literal 6, hole 4) x 3, as
// the coding reads them, with the repeat as a fill or folded into a literal;
// with one_side, no literal before the repeat.
const std::vector<std::vector<uint8_t>> &BreakEvenSprites(Encoding e, int32_t n, bool folded,
                                                          bool one_side) {
    static std::map<std::tuple<int, int32_t, bool, bool>, std::vector<std::vector<uint8_t>>> made;
    auto &sprites = made[{int(e), n, folded, one_side}];
    if (!sprites.empty()) return sprites;
    const RunCoding coding = RunCoding(e);
    const int32_t width = 3 * (n + 16);
    std::mt19937 rng{uint32_t(n)};
    for (int s = 0; s < 64; ++s) {
        assets::SpriteImage image(width, 64);
        for (int32_t y = 0; y < 64; ++y) {
            int32_t x = 0;
            for (int k = 0; k < 3; ++k) {
                // Literal values step by one, so no two neighbours are equal.
                auto value = uint16_t(1 + rng() % 200);
                for (int i = 0; i < 6; ++i) {
                    if (!one_side) image.Set(x, y, value);
                    ++x, ++value;
                }
                const auto repeat = uint16_t(value + 20);
                for (int i = 0; i < n; ++i) image.Set(x++, y, repeat);
                for (int i = 0; i < 6; ++i) image.Set(x++, y, value++);
                x += 4;
            }
        }
        if (coding == RunCoding::ColourRuns) {
            for (uint16_t &v : image.values) v = Colours()[v & 0xFF];
        }
        const int32_t length = folded ? n + 1 : n;  // each row has one kind of neighbours
        sprites.push_back(assets::EncodeSprite(image, coding, {length, length}));
    }
    return sprites;
}

void BM_FillBreakEven(benchmark::State &state, const Contender &c, SimdPath path, int32_t n,
                      bool folded, bool one_side) {
    const SimdPath before = CurrentSimdPath();
    if (!UseSimdPath(path == SimdPath::Fastest ? before : path)) {
        state.SkipWithError("this SIMD path is not available");
        return;
    }
    RuvoOperations &op = Prepare();
    const auto &sprites = BreakEvenSprites(c.coding, n, folded, one_side);
    for (auto _ : state) {
        for (int s = 0; s < 64; ++s) {
            const Placement p{s, 16 + (s % 8) * 64, 16 + (s / 8) * 80, 0, 0};
            c.draw(op, p, sprites[s].data(), TheTables());
        }
        benchmark::ClobberMemory();
    }
    UseSimdPath(before);
}

}  // namespace

void RegisterFillLengthSweep() {
    const char *const slots[] = {"DrawScreenSprite",
                                 "DrawScreenBlendSpriteTested",
                                 "StampBackSpritePlain",
                                 "DrawScreenColourSprite",
                                 "DrawScreenBlendSprite",
                                 "DrawScreenSpriteTested",
                                 "DrawScreenSpriteTranslucent",
                                 "DrawScreenSpriteAdditive",
                                 "ApplyScreenLight",
                                 "DrawScreenSpriteFaded",
                                 "StampBackSprite",
                                 "StampBackSpriteP0",
                                 "DrawBackSprite"};
    // "widest": the path the run draws on (the CPU's widest unless --simd_path).
    const std::pair<SimdPath, const char *> paths[] = {{SimdPath::Fastest, "widest"},
                                                       {SimdPath::Avx2, "avx2"}};
    for (const Contender &c : kContenders) {
        if (std::find_if(std::begin(slots), std::end(slots), [&c](const char *s) {
                return std::string(s) == c.name;
            }) == std::end(slots)) {
            continue;
        }
        for (const auto &[path, path_name] : paths) {
            std::string base = "BM_FillLength/";
            base.append(c.name).append("/").append(path_name).append("/");
            for (int32_t length : kLengths) {
                const std::string name = base + LengthName(length);
                benchmark::RegisterBenchmark(name.c_str(), BM_FillLength, c, path, length);
                if (length != 3) Compare(name, base + LengthName(3));
            }
            for (bool one_side : {false, true}) {
                std::string even = "BM_FillBreakEven/";
                even.append(c.name).append("/").append(path_name);
                even.append(one_side ? "/one_side/n" : "/n");
                for (int32_t n : {8, 16, 24, 32, 48, 64, 96}) {
                    if (c.coding == kBlendRuns && n > 48) break;  // a run holds 63
                    const std::string fill = even + std::to_string(n) + "/fill";
                    const std::string folded = even + std::to_string(n) + "/folded";
                    benchmark::RegisterBenchmark(fill.c_str(), BM_FillBreakEven, c, path, n, false,
                                                 one_side);
                    benchmark::RegisterBenchmark(folded.c_str(), BM_FillBreakEven, c, path, n, true,
                                                 one_side);
                    Compare(folded, fill);
                }
            }
        }
    }
}

}  // namespace ruvo::bench
