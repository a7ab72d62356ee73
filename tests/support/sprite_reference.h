// A slow, plain reference for the eighteen sprite operations: the sprite is
// decoded to pixels with the tools decoder, each pixel inside the clip
// rectangle is found by the ring rule and gets its operation's rule, written
// with per-channel arithmetic wherever the rule is a per-channel one.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "ruvodraw1024.h"
#include "sprites/rle_sprite.h"
#include "tests/support/library_fixture.h"

namespace ruvo::test {

enum class PixelRule {
    Plain,
    StampKeepingFlags,
    StampReplacing,
    DepthTested,
    Stippled,
    Translucent,
    Shadow,
    Additive,
    Light,
    Faded
};

// Where the colours of a slot come from.
enum class ColourSource { Palette0, Palette1, Palette2, Table, Own, BlendTable, Levels, None };

// What the argument between y and the tables is.
enum class Extra { None, Depth, Flags, Weight };

struct SpriteSlot {
    const char *name;
    int slot;
    RunCoding coding;
    Layer layer;
    PixelRule rule;
    ColourSource colours;
    Extra extra;
};

// All eighteen, in slot order.
extern const SpriteSlot kSpriteSlots[18];

const SpriteSlot &SpriteSlotNamed(const char *name);

// The arguments of one call; the slot takes those it has.
struct SpriteCall {
    int32_t x = 0, y = 0;
    int32_t extra = 0;  // depth, flags or weight
    const uint16_t *colours = nullptr;
    const uint32_t *blend_table = nullptr;
    std::span<const uint8_t> sprite;
};

// Calls the slot through the DrawBlock.
void CallSpriteSlot(const SpriteSlot &slot, RuvoOperations *op, const SpriteCall &call);

// What the call should do, applied to a copy of the layer storage (laid out as
// theLayers), with the DrawBlock's current view, clip and format fields.
void ReferenceSprite(const SpriteSlot &slot, const SpriteCall &call, std::vector<uint8_t> &storage);

// The key of a depth argument: ((a + 0x440) x 32) mod 0x10000.
uint16_t ReferenceDepthKey(int32_t a);

}  // namespace ruvo::test
