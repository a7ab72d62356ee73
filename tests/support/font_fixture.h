// Font records for tests: glyphs drawn from sprite pictures (sprite_fixture.h),
// each with its advance width, laid out after the 1540-byte tables.
#pragma once

#include <cstring>
#include <map>
#include <vector>

#include "ruvodraw1024.h"
#include "tests/support/sprite_fixture.h"

namespace ruvo::test {

struct TestGlyph {
    std::vector<uint8_t> sprite;  // IndexRuns
    uint8_t advance = 0;
};

class TestFont {
  public:
    // Characters without a glyph of their own get an empty sprite and advance 0.
    explicit TestFont(const std::map<uint8_t, TestGlyph> &glyphs) {
        const std::vector<uint8_t> empty{0, 0, 0, 0, 0, 0, 0, 0, 0xA1};
        std::vector<uint8_t> bytes(sizeof(RuvoFont), 0);
        RuvoFont tables{};
        for (int c = 0; c < 256; ++c) {
            const auto it = glyphs.find(static_cast<uint8_t>(c));
            const std::vector<uint8_t> &sprite = it != glyphs.end() ? it->second.sprite : empty;
            tables.GlyphOffset[c] = static_cast<uint32_t>(bytes.size());
            tables.Advance[c][0] = it != glyphs.end() ? it->second.advance : 0;
            tables.Advance[c][1] = 0xEE;  // never read
            bytes.insert(bytes.end(), sprite.begin(), sprite.end());
        }
        std::memcpy(bytes.data(), &tables, sizeof tables);
        words_.resize((bytes.size() + 3) / 4);
        std::memcpy(words_.data(), bytes.data(), bytes.size());
    }

    const RuvoFont *get() const { return reinterpret_cast<const RuvoFont *>(words_.data()); }
    const uint8_t *Glyph(uint8_t c) const {
        return reinterpret_cast<const uint8_t *>(words_.data()) + get()->GlyphOffset[c];
    }

  private:
    std::vector<uint32_t> words_;  // 4-byte aligned storage of the record
};

}  // namespace ruvo::test
