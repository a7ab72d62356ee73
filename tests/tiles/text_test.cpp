// Text: the pen advance, unsigned codes, and glyphs drawn exactly as the
// sprite operations draw them.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/font_fixture.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {
namespace {

constexpr RunCoding kIndex = RunCoding::IndexRuns;

class TextTest : public SpriteTest {
  protected:
    // 'A' is a 3 x 2 glyph, 'W' a wide 9 x 1 one placed by its header, 'v'
    // two pixels with advance 0, 0xC8 a code above 127, ' ' a drawn space.
    TestFont font{{
        {'A', {PictureSprite({"aba", "c.c"}, kIndex), 4}},
        {'W', {PictureSprite({"ddddddddd"}, kIndex, -1, 1), 3}},
        {'v', {PictureSprite({"ee"}, kIndex), 0}},
        {0xC8, {PictureSprite({"ff"}, kIndex), 9}},
        {0x48, {PictureSprite({"gg"}, kIndex), 1}},  // 0xC8 as a signed byte would reach here
        {' ', {PictureSprite({"h"}, kIndex), 5}},
    }};

    static std::vector<uint16_t> Snapshot(Layer layer) {
        const uint16_t *cells = LayerCells(layer);
        return {cells, cells + kLayerCells + kLayerWidth};
    }
};

TEST_F(TextTest, MeasureText_AddsAdvancePlusTwoPerCharacter) {
    EXPECT_EQ(op->MeasureText("", font.get()), 0);
    EXPECT_EQ(op->MeasureText("A", font.get()), 6);
    EXPECT_EQ(op->MeasureText("vvvvv", font.get()), 10);
    EXPECT_EQ(op->MeasureText("AW A", font.get()), 6 + 5 + 7 + 6);
    EXPECT_EQ(op->MeasureText("\xC8", font.get()), 11);  // entry 200, not -56
    EXPECT_EQ(op->MeasureText("\xC8\xC8", font.get()), 22);
}

TEST_F(TextTest, DrawText_AnchorsEachGlyphAfterThePreviousAdvance) {
    op->DrawText(100, 50, "AW", font.get(), table);
    EXPECT_EQ(Row(Layer::Screen, 100, 50, 16), "aba.............");
    // 'W' anchored at 100 + 4 + 2, moved by its header to (105, 51).
    EXPECT_EQ(Row(Layer::Screen, 100, 51, 16), "c.c..ddddddddd..");
    EXPECT_EQ(Row(Layer::Screen, 100, 52, 16), "................");

    // Zero advances still move the pen by 2, and the space is drawn.
    op->DrawText(10, 10, "vv v", font.get(), table);
    EXPECT_EQ(Row(Layer::Screen, 10, 10, 12), "eeeeh......e");
}

TEST_F(TextTest, DrawText_IsTheScreenSpriteOperationPerGlyph) {
    SetView(300 * kLayerPitchBytes);
    SetClip(0, 0, 1023, 767);
    const char *text = "A\xC8W vA";
    auto draw_each = [&](int32_t x, int32_t y) {
        for (const char *p = text; *p; ++p) {
            const auto c = static_cast<uint8_t>(*p);
            op->DrawScreenSprite(x, y, table, font.Glyph(c));
            x += font.get()->Advance[c][0] + 2;
        }
    };
    // Across the wrap and off every edge.
    const int32_t anchors[][2] = {{1000, 466}, {-10, -1}, {500, 766}, {1020, 0}};
    for (const auto &a : anchors) {
        FillLayer(Layer::Screen, 0);
        draw_each(a[0], a[1]);
        const auto expected = Snapshot(Layer::Screen);
        FillLayer(Layer::Screen, 0);
        op->DrawText(a[0], a[1], text, font.get(), table);
        EXPECT_EQ(Snapshot(Layer::Screen), expected) << a[0] << ", " << a[1];
    }
}

TEST_F(TextTest, DrawBackText_StampsEveryGlyphWithTheKeyOfItsRow) {
    op->ResetDepth();
    op->DrawBackText(200, 300, "AW", font.get(), table);
    EXPECT_EQ(Row(Layer::Back, 200, 300, 3), "aba");
    EXPECT_EQ(Row(Layer::Back, 205, 301, 9), "ddddddddd");
    // Both glyphs stamp the key of row 300, the 'W' on row 301 included.
    EXPECT_EQ(At(Layer::Depth, 200, 300), 0xAD80);    // (300 + 0x440) x 32
    EXPECT_EQ(At(Layer::Depth, 213, 301), 0xAD80);    // (300 + 0x440) x 32
    EXPECT_EQ(At(Layer::Depth, 201, 302), 302 * 32);  // untouched beside the glyphs

    FillLayer(Layer::Screen, 0);
    StorageGuard guard;
    op->DrawText(5, 5, "", font.get(), table);
    op->DrawBackText(5, 5, "", font.get(), table);
    EXPECT_EQ(guard.Violations(), "");
}

// What a host-installed glyph slot was called with, in order.
struct GlyphCall {
    int32_t x, y, depth;
    const uint16_t *colours;
    const void *glyph;
    bool operator==(const GlyphCall &) const = default;
};
std::vector<GlyphCall> theGlyphCalls;

void RUVO_CDECL RecordScreenGlyph(int32_t x, int32_t y, const uint16_t *colours,
                                  const void *glyph) {
    theGlyphCalls.push_back({x, y, -1, colours, glyph});
}

void RUVO_CDECL RecordBackGlyph(int32_t x, int32_t y, int32_t depth, const uint16_t *colours,
                                const void *glyph) {
    theGlyphCalls.push_back({x, y, depth, colours, glyph});
}

// A host that replaced the glyph slots gets every glyph, the space and
// zero-advance ones included, at the pen's place (wrapping in 32 bits), and
// the library draws nothing itself.
TEST_F(TextTest, TextRunsTheHostsGlyphSlotOncePerGlyph) {
    op->DrawScreenSprite = RecordScreenGlyph;
    op->StampBackSprite = RecordBackGlyph;
    const int32_t x = INT32_MAX - 5;
    auto at = [&](int32_t pen) {
        return static_cast<int32_t>(static_cast<uint32_t>(x) + static_cast<uint32_t>(pen));
    };
    StorageGuard guard;

    theGlyphCalls.clear();
    op->DrawText(x, 40, "Av \xC8", font.get(), table);
    const std::vector<GlyphCall> screen{{at(0), 40, -1, table, font.Glyph('A')},
                                        {at(6), 40, -1, table, font.Glyph('v')},
                                        {at(8), 40, -1, table, font.Glyph(' ')},
                                        {at(15), 40, -1, table, font.Glyph(0xC8)}};
    EXPECT_EQ(theGlyphCalls, screen);

    theGlyphCalls.clear();
    op->DrawBackText(x, -7, "W\xC8", font.get(), table);
    const std::vector<GlyphCall> back{{at(0), -7, -7, table, font.Glyph('W')},
                                      {at(5), -7, -7, table, font.Glyph(0xC8)}};
    EXPECT_EQ(theGlyphCalls, back);
    EXPECT_EQ(guard.Violations(), "");
}

// An empty slot falls back to the library's own sprite operation.
TEST_F(TextTest, EmptyGlyphSlotDrawsWithTheLibrarysOwnOperation) {
    op->ResetDepth();
    op->DrawText(100, 50, "AW", font.get(), table);
    op->DrawBackText(200, 300, "AW", font.get(), table);
    const auto screen = Snapshot(Layer::Screen), back = Snapshot(Layer::Back),
               depth = Snapshot(Layer::Depth);

    FillLayer(Layer::Screen, 0);
    FillLayer(Layer::Back, 0);
    op->ResetDepth();
    op->DrawScreenSprite = nullptr;
    op->StampBackSprite = nullptr;
    op->DrawText(100, 50, "AW", font.get(), table);
    op->DrawBackText(200, 300, "AW", font.get(), table);
    EXPECT_EQ(Snapshot(Layer::Screen), screen);
    EXPECT_EQ(Snapshot(Layer::Back), back);
    EXPECT_EQ(Snapshot(Layer::Depth), depth);
}

}  // namespace
}  // namespace ruvo::test
