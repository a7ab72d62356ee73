// Text: strings of unsigned byte codes set in a Font record. Each glyph is an
// index-coded sprite drawn through a sprite slot of the DrawBlock (28 for
// DrawText, 19 for DrawBackText), so it is placed and clipped like any sprite
// and a host that replaced the slot gets every glyph; the text only moves the
// anchor. The slot is read for every glyph; an empty one draws with the
// library's own operation. The pen moves by the character's advance width
// plus 2 after every character, the last one included.
#include "interface/draw_block.h"
#include "interface/operations.h"

namespace ruvo {
namespace {

int32_t AdvanceOf(const RuvoFont *font, uint8_t c) { return int32_t{font->Advance[c][0]} + 2; }

const void *GlyphOf(const RuvoFont *font, uint8_t c) {
    return reinterpret_cast<const uint8_t *>(font) + font->GlyphOffset[c];
}

// Calls draw(anchor x, glyph) for every character, in order. The pen is kept
// in 32 bits with wrap-around, as a host adding the same numbers would.
template <class Draw>
void SetText(int32_t x, const char *text, const RuvoFont *font, Draw draw) {
    uint32_t pen = 0;
    for (const auto *p = reinterpret_cast<const uint8_t *>(text); *p != 0; ++p) {
        draw(static_cast<int32_t>(static_cast<uint32_t>(x) + pen), GlyphOf(font, *p));
        pen += static_cast<uint32_t>(AdvanceOf(font, *p));
    }
}

}  // namespace

int32_t RUVO_CDECL MeasureText(const char *text, const RuvoFont *font) {
    uint32_t width = 0;
    for (const auto *p = reinterpret_cast<const uint8_t *>(text); *p != 0; ++p) {
        width += static_cast<uint32_t>(AdvanceOf(font, *p));
    }
    return static_cast<int32_t>(width);
}

void RUVO_CDECL DrawText(int32_t x, int32_t y, const char *text, const RuvoFont *font,
                         const uint16_t *colours) {
    SetText(x, text, font, [&](int32_t at, const void *glyph) {
        RuvoDrawScreenSpriteFn draw = Block().OperationSlot.Op.DrawScreenSprite;
        (draw ? draw : DrawScreenSprite)(at, y, colours, glyph);
    });
}

// Every glyph is stamped with the depth key of the text's row y.
void RUVO_CDECL DrawBackText(int32_t x, int32_t y, const char *text, const RuvoFont *font,
                             const uint16_t *colours) {
    SetText(x, text, font, [&](int32_t at, const void *glyph) {
        RuvoStampBackSpriteFn stamp = Block().OperationSlot.Op.StampBackSprite;
        (stamp ? stamp : StampBackSprite)(at, y, y, colours, glyph);
    });
}

}  // namespace ruvo
