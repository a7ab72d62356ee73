// Our sprite slots as the sprite benchmarks call them: the tables they draw
// through, a prepared record and one entry per slot with the coding it reads.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>

#include "bench/sprite_workload.h"
#include "framestore/layers.h"
#include "ruvodraw1024.h"

namespace ruvo::bench {

struct Tables {
    const uint16_t *colours;
    uint32_t blend[256];
};

inline const Tables &TheTables() {
    static const Tables tables = [] {
        Tables t{Colours(), {}};
        std::mt19937 rng(6);
        for (auto &e : t.blend) e = (rng() % 32) << 19 | (rng() & 0x39E7);
        return t;
    }();
    return tables;
}

// A fresh record, 5-6-5, a view with WrapRow inside the picture, depth values
// that every key of depth 400 passes and every shadow darkens.
inline RuvoOperations &Prepare() {
    RuvoDrawBlock *db = RuvoDraw_Init();
    RuvoOperations &op = db->OperationSlot.Op;
    op.AnalysePixelFormat(0xF800, 0x07E0, 0x001F);
    for (auto &palette : db->SpritePalette) std::copy_n(TheTables().colours, 256, palette);
    op.Scroll(24, 300);
    op.ResetDepth();
    std::fill_n(ScreenCells(), kLayerCells, uint16_t{0x39E7});
    std::fill_n(BackCells(), kLayerCells, uint16_t{0x7BEF});
    return op;
}

using DrawFn = void (*)(RuvoOperations &, const Placement &, const uint8_t *, const Tables &);

struct Contender {
    const char *name;
    Encoding coding;  // of the sprite passed to draw
    DrawFn draw;
    bool plain;  // fills are block stores: held to beat the per-pixel lookup loop
};

constexpr int32_t kDepth = 400;
constexpr uint32_t kFlags = 0x0008;  // not blocking: every shadow darkens again
constexpr int32_t kWeight = 12;
constexpr Encoding kB = kBlendRuns, kI = kIndexRuns, kC = kColourRuns, kM = kMaskRuns,
                   kA = kAllBlended;

#define RUVO_DRAW(call)                                                             \
    [](RuvoOperations &op, const Placement &p, const uint8_t *s, const Tables &t) { \
        (void)t;                                                                    \
        op.call;                                                                    \
    }
inline const Contender kContenders[] = {
    {"DrawBackSpriteP1", kB, RUVO_DRAW(DrawBackSpriteP1(p.x, p.y, s)), true},
    {"DrawBackSpriteP2", kB, RUVO_DRAW(DrawBackSpriteP2(p.x, p.y, s)), false},
    {"StampBackSpriteP0", kB, RUVO_DRAW(StampBackSpriteP0(p.x, p.y, kDepth, s)), false},
    {"StampBackSprite", kI, RUVO_DRAW(StampBackSprite(p.x, p.y, kDepth, t.colours, s)), false},
    {"StampBackSpritePlain", kB, RUVO_DRAW(StampBackSpritePlain(p.x, p.y, kDepth, t.colours, s)),
     false},
    {"DrawBackSprite", kB, RUVO_DRAW(DrawBackSprite(p.x, p.y, t.colours, s)), true},
    {"CastBackShadow", kM, RUVO_DRAW(CastBackShadow(p.x, p.y, kFlags, s)), false},
    {"DrawScreenSprite", kI, RUVO_DRAW(DrawScreenSprite(p.x, p.y, t.colours, s)), true},
    {"DrawScreenColourSprite", kC, RUVO_DRAW(DrawScreenColourSprite(p.x, p.y, s)), true},
    {"DrawScreenBlendSprite", kB, RUVO_DRAW(DrawScreenBlendSprite(p.x, p.y, t.colours, s)), true},
    {"DrawScreenBlendSprite/blended", kA, RUVO_DRAW(DrawScreenBlendSprite(p.x, p.y, t.colours, s)),
     false},
    {"DrawScreenSpriteTested", kI,
     RUVO_DRAW(DrawScreenSpriteTested(p.x, p.y, kDepth, t.colours, s)), false},
    {"DrawScreenBlendSpriteTested", kB,
     RUVO_DRAW(DrawScreenBlendSpriteTested(p.x, p.y, kDepth, t.colours, s)), false},
    {"DrawScreenBlendSpriteStippled", kB,
     RUVO_DRAW(DrawScreenBlendSpriteStippled(p.x, p.y, kDepth, t.colours, s)), false},
    {"DrawScreenSpriteTranslucent", kI,
     RUVO_DRAW(DrawScreenSpriteTranslucent(p.x, p.y, kDepth, t.blend, s)), false},
    {"CastScreenShadow", kM, RUVO_DRAW(CastScreenShadow(p.x, p.y, kFlags, s)), false},
    {"DrawScreenSpriteAdditive", kI,
     RUVO_DRAW(DrawScreenSpriteAdditive(p.x, p.y, kDepth, t.colours, s)), false},
    {"ApplyScreenLight", kI, RUVO_DRAW(ApplyScreenLight(p.x, p.y, kDepth, s)), false},
    {"DrawScreenSpriteFaded", kI, RUVO_DRAW(DrawScreenSpriteFaded(p.x, p.y, kWeight, t.colours, s)),
     false},
};
#undef RUVO_DRAW

}  // namespace ruvo::bench
