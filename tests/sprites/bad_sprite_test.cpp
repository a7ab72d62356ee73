// Malformed sprites and out-of-range arguments: whatever the run bytes say,
// an operation writes only pixels inside the clip rectangle (cut to the
// layer) and only the depth cells under them.
#include <gtest/gtest.h>

#include <random>

#include "tests/support/sprite_fixture.h"
#include "tests/support/sprite_reference.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {
namespace {

using Bytes = std::vector<uint8_t>;

class BadSpriteTest : public SpriteTest {
  protected:
    // Calls the slot with the guard allowing its own layer and, for stamps
    // and shadows, the depth layer, both inside the clip rectangle only.
    std::string DrawGuarded(const SpriteSlot &slot, const SpriteCall &call) {
        const ClipRect clip = LayerClip16();
        StorageGuard guard;
        guard.AllowLogical(slot.layer, clip);
        const bool writes_depth = slot.rule == PixelRule::StampKeepingFlags ||
                                  slot.rule == PixelRule::StampReplacing ||
                                  slot.rule == PixelRule::Shadow;
        if (writes_depth) guard.AllowLogical(Layer::Depth, clip);
        CallSpriteSlot(slot, op, call);
        return guard.Violations();
    }

    uint32_t blend[256] = {};
};

// Sprites written by hand: each breaks the format in one way.
struct MalformedCase {
    const char *what;
    Bytes sprite;
};

std::vector<MalformedCase> MalformedCases() {
    using assets::SpriteWriter;
    std::vector<MalformedCase> cases;
    // Runs far past the declared width of 2, for a sprite that lies inside the clip.
    SpriteWriter long_runs(0, 0, 2);
    long_runs.Row().Code(0xFF).Bytes({1}).Code(0xBF).Bytes({1}).Code(0x3F);
    for (int i = 0; i < 63; ++i) long_runs.Bytes({2});
    cases.push_back({"runs past the declared width", long_runs.Row().Code(0x7F).Finish()});
    cases.push_back({"drawing runs of count 0", SpriteWriter(0, 0, 4)
                                                    .Row()
                                                    .Code(0x00)
                                                    .Code(0x40)
                                                    .Code(0x80)
                                                    .Bytes({1})
                                                    .Code(0x80)
                                                    .Bytes({1, 1})
                                                    .Finish()});
    // L longer than the runs: the rest of the row is read as runs.
    Bytes filler(200, 0x7F);
    SpriteWriter wrong_l(0, 0, 4);
    wrong_l.Row().Code(0x01).Bytes({1}).ForceLength(150);
    for (uint8_t b : filler) wrong_l.Bytes({b});
    cases.push_back({"a byte count longer than the runs", wrong_l.Finish()});
    cases.push_back({"a literal cut by its byte count", SpriteWriter(0, 0, 8)
                                                            .Row()
                                                            .Code(0x7F)
                                                            .Bytes({1, 2})
                                                            .ForceLength(3)
                                                            .Row()
                                                            .Code(0x84)
                                                            .Bytes({3})
                                                            .Finish()});
    return cases;
}

TEST_F(BadSpriteTest, MalformedRunsStayInsideTheClipRectangle) {
    for (const MalformedCase &c : MalformedCases()) {
        Bytes padded = c.sprite;
        padded.resize(padded.size() + 512, 0x7F);  // reads past a row stay in the buffer
        for (const SpriteSlot &slot : kSpriteSlots) {
            for (int32_t x : {-200, 3, 500, 1010}) {
                SetClip(2, 0, 600, 767);
                SpriteCall call{x, 10, 5, table, blend, padded};
                EXPECT_EQ(DrawGuarded(slot, call), "")
                    << c.what << ", " << slot.name << " at " << x;
            }
        }
    }
}

// Cuts the row count to the rows that lie wholly inside the sprite's bytes
// (the byte counts are trusted; what the rows hold is not), then pads the
// sprite so that runs reaching past a row's end read inside the buffer.
void FrameRows(Bytes &sprite) {
    size_t pos = kSpriteHeaderBytes;
    uint16_t rows = 0;
    while (rows < LoadLE16(sprite.data() + 6) && pos + 2 <= sprite.size() &&
           pos + 2 + LoadLE16(sprite.data() + pos) <= sprite.size()) {
        pos += 2 + LoadLE16(sprite.data() + pos);
        ++rows;
    }
    sprite[6] = static_cast<uint8_t>(rows);
    sprite[7] = static_cast<uint8_t>(rows >> 8);
    sprite.resize(sprite.size() + 512, 0x7F);
}

// Random bytes in rows of random length, random positions, clip fields and
// scroll offsets, through every slot.
TEST_F(BadSpriteTest, RandomRunBytesStayInsideTheClipRectangle) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 12; ++round) {
        SetView(int32_t(rng() % (0x180000 / 2)) * 2);
        for (const SpriteSlot &slot : kSpriteSlots) {
            const int rows = 1 + rng() % 12;
            assets::SpriteWriter writer(int16_t(rng()), int16_t(rng() % 64) - 32, 1 + rng() % 40);
            for (int r = 0; r < rows; ++r) {
                writer.Row();
                for (int n = rng() % 40; n > 0; --n) writer.Bytes({uint8_t(rng())});
                if (rng() % 4 == 0) writer.ForceLength(uint16_t(rng() % 48));
            }
            Bytes sprite = writer.Finish();
            FrameRows(sprite);
            const int32_t l = rng() % 1100, t = rng() % 800;
            SetClip(l, t, l + int32_t(rng() % 300), t + int32_t(rng() % 100));
            if (rng() % 4 == 0) db->ClipRight = int32_t(rng());
            const int32_t x = int32_t(rng() % 1400) - 200 - int16_t(LoadLE16(sprite.data()));
            const int32_t y = int32_t(rng() % 1000) - 100;
            SpriteCall call{x, y, int32_t(rng()), table, blend, sprite};
            ASSERT_EQ(DrawGuarded(slot, call), "") << slot.name << " round " << round;
        }
    }
}

// The flags of a shadow count by their low 16 bits: nothing is written at
// the next storage position.
TEST_F(BadSpriteTest, ShadowFlagsAboveFFFFWriteOnlyThePixelsOwnValue) {
    const Bytes sprite = PictureSprite({"aaaa"}, RunCoding::MaskRuns);
    for (const char *name : {"CastBackShadow", "CastScreenShadow"}) {
        FillLayer(Layer::Depth, 0);
        SetClip(10, 10, 11, 10);
        SpriteCall call{10, 10, int32_t(0xFFFF0008u), table, blend, sprite};
        EXPECT_EQ(DrawGuarded(SpriteSlotNamed(name), call), "") << name;
        EXPECT_EQ(At(Layer::Depth, 11, 10), 0x0008);
        EXPECT_EQ(At(Layer::Depth, 12, 10), 0x0000);
    }
}

// Coordinates anywhere in 32 bits: nothing drawn, nothing out of place.
TEST_F(BadSpriteTest, ExtremeCoordinatesDrawNothingOutside) {
    const Bytes sprite = PictureSprite({"abcabc", "aaaa"}, RunCoding::IndexRuns, -7, 3);
    for (int32_t x : {INT32_MIN, INT32_MIN + 5, -8'400'000, -70000, 1030, INT32_MAX}) {
        for (int32_t y : {INT32_MIN, -5, 100, 765, INT32_MAX - 1}) {
            SpriteCall call{x, y, 0, table, blend, sprite};
            ASSERT_EQ(DrawGuarded(SpriteSlotNamed("DrawScreenSprite"), call), "") << x << " " << y;
        }
    }
}

}  // namespace
}  // namespace ruvo::test
