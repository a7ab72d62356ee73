// The row walker shared by every sprite operation: placement, clipping on all
// four sides, the left scan, clamping at the right, the wrap split, and the
// class rules of each coding.
#include <gtest/gtest.h>

#include <memory>

#include "sprites/blit_rle.h"
#include "sprites/pixel_ops.h"
#include "tests/support/sprite_fixture.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {
namespace {

using Bytes = std::vector<uint8_t>;

class WalkerTest : public SpriteTest {
  protected:
    // Draws with the plain slot of the coding into its layer: 16 (BlendRuns,
    // back), 28 (IndexRuns), 29 (ColourRuns), 35 (MaskRuns, shadows of 0 as '#').
    Layer Draw(RunCoding coding, int32_t x, int32_t y, const Bytes &sprite) {
        switch (coding) {
            case RunCoding::BlendRuns:
                op->DrawBackSpriteP1(x, y, sprite.data());
                return Layer::Back;
            case RunCoding::IndexRuns:
                op->DrawScreenSprite(x, y, table, sprite.data());
                return Layer::Screen;
            case RunCoding::ColourRuns:
                op->DrawScreenColourSprite(x, y, sprite.data());
                return Layer::Screen;
            case RunCoding::MaskRuns:
                op->CastScreenShadow(x, y, 0, sprite.data());
                return Layer::Screen;
        }
        return Layer::Screen;
    }
};

constexpr RunCoding kCodings[] = {RunCoding::BlendRuns, RunCoding::IndexRuns, RunCoding::ColourRuns,
                                  RunCoding::MaskRuns};

// Letters become '#' under MaskRuns, which draws shapes only.
std::string AsDrawnBy(RunCoding coding, std::string want) {
    if (coding == RunCoding::MaskRuns) {
        for (char &c : want) c = c == '.' ? '.' : '#';
    }
    return want;
}

struct ClipCase {
    const char *picture;  // one row; equal letters in threes and more become fills
    int32_t x, clip_left, clip_right;
    const char *want;  // columns 0 to 15
};

// clang-format off
const ClipCase kClipCases[] = {
    {"abcdefgh",      2,  4, 11, "....cdefgh......"},  // literal straddles ClipLeft: its last pixels
    {"aaaaaaaa",      2,  4, 11, "....aaaaaa......"},  // fill straddles ClipLeft
    {"....abc",       2,  4, 11, "......abc......."},  // skip straddles; the run after it in place
    {"abcdeee",       0,  4, 11, "....eee........."},  // run ends at ClipLeft - 1: hidden whole
    {"abc",           4,  4, 11, "....abc........."},  // left edge at ClipLeft
    {"abc",           3,  4, 11, "....bc.........."},  // one column further left
    {"abcdef",        8,  0, 10, "........abc....."},  // literal straddles ClipRight
    {"aaaaaa",        8,  0, 10, "........aaa....."},  // fill straddles ClipRight
    {"abcd",          8,  0, 11, "........abcd...."},  // last declared column is ClipRight
    {"abcdefghijkl",  2,  4,  7, "....cdef........"},  // straddles both edges
    {"aaaaaaaaaaaa",  2,  4,  7, "....aaaa........"},
    {"........a",     2,  4,  7, "................"},  // a skip over the whole clip span
    {"abc",           0,  4, 11, "................"},  // wholly left
    {"abc",          12,  0, 11, "................"},  // wholly right
    {"abcdefg",      -3,  0, 15, "defg............"},
    {"abc.d..eeeee",  1,  3,  9, "...c.d..ee......"},
    {"abc",           3,  5,  4, "................"},  // ClipLeft > ClipRight draws nothing
};
// clang-format on

TEST_F(WalkerTest, ClipsRunsAtBothEdgesInEveryCoding) {
    for (RunCoding coding : kCodings) {
        for (const ClipCase &c : kClipCases) {
            FillLayer(Layer::Screen, 0);
            FillLayer(Layer::Back, 0);
            SetClip(c.clip_left, 0, c.clip_right, 767);
            const Layer layer = Draw(coding, c.x, 5, PictureSprite({c.picture}, coding));
            SetClip(0, 0, 1023, 767);
            EXPECT_EQ(Row(layer, 0, 5, 16), AsDrawnBy(coding, c.want))
                << c.picture << " at " << c.x << ", clip " << c.clip_left << ".." << c.clip_right
                << ", coding " << int(coding);
            EXPECT_EQ(Row(layer, 0, 4, 16) + Row(layer, 0, 6, 16), std::string(32, '.'));
        }
    }
}

TEST_F(WalkerTest, PlacesRowsByTheHeaderOffsets) {
    const Bytes sprite = PictureSprite({"ab", ".c"}, RunCoding::BlendRuns, -2, -1);
    op->DrawBackSpriteP1(10, 10, sprite.data());
    EXPECT_EQ(Row(Layer::Back, 7, 9, 4), ".ab.");
    EXPECT_EQ(Row(Layer::Back, 7, 10, 4), "..c.");
}

TEST_F(WalkerTest, TopClipStartsWithTheFirstVisibleRow) {
    const Bytes sprite = PictureSprite({"a", "b", "c", "d", "e"}, RunCoding::BlendRuns);
    SetClip(0, 10, 1023, 11);
    op->DrawBackSpriteP1(3, 8, sprite.data());
    std::string column;
    for (int32_t y = 7; y < 14; ++y) column += Row(Layer::Back, 3, y, 1);
    EXPECT_EQ(column, "...cd..");
}

// Rows wholly above ClipTop or below ClipBottom are not read: the sprite ends
// right after what is read (the sanitizer build catches a read past it).
TEST_F(WalkerTest, ReadsNoRowRecordOutsideTheClipRows) {
    const Bytes header = assets::SpriteWriter(0, 0, 4).Finish();
    auto sprite = std::make_unique<uint8_t[]>(9);
    std::copy(header.begin(), header.end(), sprite.get());
    sprite[6] = 3;  // three rows that are not there
    SetClip(0, 100, 1023, 200);
    op->DrawBackSpriteP1(0, 97, sprite.get());
    op->DrawBackSpriteP1(0, 201, sprite.get());
    op->CastBackShadow(0, -40, 0, sprite.get());

    // Two visible rows of five: the sprite holds only those.
    Bytes two = PictureSprite({"a", "b"}, RunCoding::IndexRuns);
    two[6] = 5;
    auto cut = std::make_unique<uint8_t[]>(two.size());
    std::copy(two.begin(), two.end(), cut.get());
    op->DrawScreenSprite(0, 199, table, cut.get());
    EXPECT_EQ(Row(Layer::Screen, 0, 199, 1) + Row(Layer::Screen, 0, 200, 1), "ab");
}

TEST_F(WalkerTest, RowCountZeroAndEmptyRows) {
    const Bytes none = assets::SpriteWriter(0, 0, 4).Finish();
    StorageGuard guard;
    op->DrawBackSpriteP1(5, 5, none.data());
    EXPECT_EQ(guard.Violations(), "");
    const Bytes sprite =
        assets::SpriteWriter(0, 0, 4).Row().Row().Code(0x02).Bytes({1, 2}).Finish();
    op->DrawBackSpriteP1(5, 5, sprite.data());
    EXPECT_EQ(Row(Layer::Back, 5, 5, 3) + Row(Layer::Back, 5, 6, 3), "...ab.");
}

// Every row ends at its byte count, whatever the runs consumed: a row cut at
// ClipRight and a row whose runs stop early.
TEST_F(WalkerTest, NextRowStartsAtItsOwnRecord) {
    const Bytes sprite = PictureSprite({"abcdefgh", "ij", "klmnop"}, RunCoding::IndexRuns);
    SetClip(0, 0, 12, 767);
    op->DrawScreenSprite(10, 3, table, sprite.data());
    EXPECT_EQ(Row(Layer::Screen, 10, 3, 4), "abc.");
    EXPECT_EQ(Row(Layer::Screen, 10, 4, 4), "ij..");
    EXPECT_EQ(Row(Layer::Screen, 10, 5, 4), "klm.");
}

// Positions are signed: a sprite left of column 0 in storage row 0, and one
// just after the wrap correction.
TEST_F(WalkerTest, ScansFromNegativePositions) {
    const Bytes sprite = PictureSprite({"abcdef"}, RunCoding::IndexRuns);
    op->DrawScreenSprite(-3, 0, table, sprite.data());
    EXPECT_EQ(Row(Layer::Screen, 0, 0, 4), "def.");
    SetView(2048 * 100);  // WrapRow 668 starts at storage row 0, column 0
    op->DrawScreenSprite(-4, 668, table, sprite.data());
    EXPECT_EQ(Stored(Layer::Screen, 0, 0), PictureColour(5));
    EXPECT_EQ(Stored(Layer::Screen, 0, 1), PictureColour(6));
    EXPECT_EQ(Stored(Layer::Screen, 767, 1023), 0);
}

TEST_F(WalkerTest, SplitsRowsAtWrapRow) {
    SetView(2048 * 100 + 2 * 24);  // WrapRow 668, row 667's tail in the OverflowRow
    const Bytes sprite = PictureSprite({"ab", "cd", "ef", "gh"}, RunCoding::BlendRuns);
    op->DrawBackSpriteP1(999, 666, sprite.data());
    EXPECT_EQ(Stored(Layer::Back, 766, 1023), PictureColour(1));  // (999, 666)
    EXPECT_EQ(Stored(Layer::Back, 767, 0), PictureColour(2));     // (1000, 666)
    EXPECT_EQ(Stored(Layer::Back, 767, 1023), PictureColour(3));  // (999, 667)
    EXPECT_EQ(Stored(Layer::Back, 768, 0), PictureColour(4));     // (1000, 667): OverflowRow
    EXPECT_EQ(Stored(Layer::Back, 0, 1023), PictureColour(5));    // (999, 668): wrapped
    EXPECT_EQ(Stored(Layer::Back, 1, 0), PictureColour(6));       // (1000, 668)
    EXPECT_EQ(Row(Layer::Back, 999, 669, 2), "gh");
    // A sprite whose top is at WrapRow has every row wrapped.
    op->DrawBackSpriteP1(0, 668, sprite.data());
    EXPECT_EQ(Stored(Layer::Back, 0, 24), PictureColour(1));
    EXPECT_EQ(Stored(Layer::Back, 3, 25), PictureColour(8));
}

struct MixCase {
    uint16_t red, green, blue;  // the format
    uint16_t s, d, want;
};

// clang-format off
const MixCase kMixCases[] = {
    {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x7BEF},
    {0xF800, 0x07E0, 0x001F, 0x0841, 0x0000, 0x0020},
    {0xF800, 0x07E0, 0x001F, 0xF800, 0x0800, 0x8000},
    {0xF800, 0x07E0, 0x001F, 0xFFFF, 0xFFFF, 0xFFFF},
    {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x0000, 0x3DEF},
    {0x001F, 0x07E0, 0xF800, 0xF81F, 0x0821, 0x8010},  // blue on top
};
// clang-format on

TEST_F(WalkerTest, BlendedLiteralMixesHalfAndHalf) {
    const Bytes sprite = PictureSprite({"A"}, RunCoding::BlendRuns);
    for (const MixCase &c : kMixCases) {
        op->AnalysePixelFormat(c.red, c.green, c.blue);
        db->SpritePalette[1][1] = c.s;
        At(Layer::Back, 4, 4) = c.d;
        op->DrawBackSpriteP1(4, 4, sprite.data());
        EXPECT_EQ(At(Layer::Back, 4, 4), c.want) << std::hex << c.s << " over " << c.d;
    }
}

// The low 16 bits of each clip field, as unsigned numbers; the result cut to the layer.
TEST_F(WalkerTest, ReadsTheClipFieldsByTheirLow16Bits) {
    const Bytes sprite = PictureSprite({"abcdefgh"}, RunCoding::IndexRuns);
    SetClip(0x10003, -0x10000 + 2, 0x7FFF0005, 767);
    op->DrawScreenSprite(0, 2, table, sprite.data());
    EXPECT_EQ(Row(Layer::Screen, 0, 2, 8), "...def..");
    SetClip(1020, 0, -1, 0xFFFF);  // right and bottom 0xFFFF: the layer's edges
    op->DrawScreenSprite(1018, 767, table, sprite.data());
    EXPECT_EQ(Row(Layer::Screen, 1018, 767, 6), "..cdef");
}

TEST_F(WalkerTest, KindByteAndDeclaredWidthChangeNothing) {
    Bytes sprite = PictureSprite({"abcab.abc"}, RunCoding::BlendRuns);
    op->DrawBackSpriteP1(0, 0, sprite.data());
    const std::string want = Row(Layer::Back, 0, 0, 10);
    for (uint8_t kind : {0x00, 0xA3, 0xFF}) {
        sprite[8] = kind;
        sprite[4] = sprite[5] = 0xFF;  // 65536 pixels wide
        FillLayer(Layer::Back, 0);
        SetClip(0, 0, 8, 767);
        op->DrawBackSpriteP1(0, 0, sprite.data());
        EXPECT_EQ(Row(Layer::Back, 0, 0, 10), want.substr(0, 9) + ".");
    }
}

// Index 0 is an ordinary index in a literal and a skip as a fill; the colour
// key likewise under ColourRuns (hand-written bytes: this is the format).
TEST_F(WalkerTest, IndexZeroAndTheColourKeySkipOnlyAsFills) {
    FillLayer(Layer::Screen, 0x1234);
    const Bytes index = assets::SpriteWriter(0, 0, 6)
                            .Row()
                            .Code(0x02)
                            .Bytes({0, 0})
                            .Code(0x83)
                            .Bytes({0})
                            .Code(0x81)
                            .Bytes({3})
                            .Finish();
    op->DrawScreenSprite(0, 0, table, index.data());
    for (int x : {0, 1}) EXPECT_EQ(At(Layer::Screen, x, 0), PictureColour(0));
    for (int x : {2, 3, 4}) EXPECT_EQ(At(Layer::Screen, x, 0), 0x1234);
    EXPECT_EQ(At(Layer::Screen, 5, 0), PictureColour(3));

    const Bytes colour = assets::SpriteWriter(0, 0, 4)
                             .Row()
                             .Code(0x01)
                             .Colour(kColourKey)
                             .Code(0x82)
                             .Colour(kColourKey)
                             .Code(0x81)
                             .Colour(0x0001)
                             .Finish();
    op->DrawScreenColourSprite(0, 1, colour.data());
    EXPECT_EQ(At(Layer::Screen, 0, 1), kColourKey);
    EXPECT_EQ(At(Layer::Screen, 1, 1), 0x1234);
    EXPECT_EQ(At(Layer::Screen, 2, 1), 0x1234);
    EXPECT_EQ(At(Layer::Screen, 3, 1), 0x0001);
}

// Each slot reads its own palette.
TEST_F(WalkerTest, BackSlotsReadTheirPalettes) {
    for (int p = 0; p < 3; ++p) db->SpritePalette[p][1] = static_cast<uint16_t>(0x100 + p);
    const Bytes sprite = PictureSprite({"a"}, RunCoding::BlendRuns);
    op->StampBackSpriteP0(0, 0, 0, sprite.data());
    op->DrawBackSpriteP1(1, 0, sprite.data());
    op->DrawBackSpriteP2(2, 0, sprite.data());
    op->DrawBackSprite(3, 0, table, sprite.data());
    EXPECT_EQ(At(Layer::Back, 0, 0), 0x100);
    EXPECT_EQ(At(Layer::Back, 1, 0), 0x101);
    EXPECT_EQ(At(Layer::Back, 2, 0), 0x102);
    EXPECT_EQ(At(Layer::Back, 3, 0), PictureColour(1));
}

// The walker draws into any target: here an 8-bit host buffer with its own
// pitch and clip rectangle, no ring and no depth layer.
struct MaskTarget {
    using Cell = uint8_t;
    static constexpr bool kHasDepth = false;
    Cell *cells;
    ClipRect clip;
    ptrdiff_t origin = 0, pitch = 12;
    int32_t wrap_row = INT32_MAX;
    ptrdiff_t wrap_cells = 0;
};

struct MarkCovered {
    NoColour colours;
    void Draw(uint8_t &d, uint16_t, const PixelSite &) const { d = '#'; }
};

TEST_F(WalkerTest, WalksIntoAHostBufferTarget) {
    std::string buffer(12 * 4, '.');
    const MaskTarget target{reinterpret_cast<uint8_t *>(buffer.data()), {2, 1, 8, 2}};
    const Bytes sprite = PictureSprite({"aaaa.bbbb", "ab.abcabc", "abc"}, RunCoding::IndexRuns);
    BlitRle<RunCoding::IndexRuns>(0, 0, sprite.data(), MarkCovered{}, target);
    EXPECT_EQ(buffer,
              "............"  // row 0 lies above the clip
              "...######..."  // columns 2 to 8
              "..#........."
              "............");
}

}  // namespace
}  // namespace ruvo::test
