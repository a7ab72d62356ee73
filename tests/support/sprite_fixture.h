// Sprites drawn from pictures: rows of characters, '.' transparent, 'a'..'z'
// opaque indices 1..26, 'A'..'Z' the same indices blended, '0' index 0. Every
// palette and the host table map index i to 0x4000 + i, so a drawn row reads
// back as the same characters.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/library_fixture.h"
#include "tools/assets/sprite_codec.h"

namespace ruvo::test {

constexpr uint16_t PictureColour(int index) { return static_cast<uint16_t>(0x4000 + index); }

inline assets::SpriteImage Picture(std::initializer_list<const char *> rows, RunCoding coding,
                                   int32_t x_offset = 0, int32_t y_offset = 0) {
    size_t width = 1;
    for (const char *r : rows) width = std::max(width, std::string(r).size());
    assets::SpriteImage image(static_cast<int32_t>(width), static_cast<int32_t>(rows.size()));
    image.x_offset = x_offset;
    image.y_offset = y_offset;
    int32_t y = 0;
    for (const char *r : rows) {
        for (int32_t x = 0; r[x]; ++x) {
            const char ch = r[x];
            int index = ch >= 'a' && ch <= 'z'   ? ch - 'a' + 1
                        : ch >= 'A' && ch <= 'Z' ? ch - 'A' + 1
                                                 : 0;
            const auto cover = ch == '.'                ? assets::Cover::None
                               : ch >= 'A' && ch <= 'Z' ? assets::Cover::Blended
                                                        : assets::Cover::Opaque;
            const uint16_t value = coding == RunCoding::ColourRuns ? PictureColour(index)
                                                                   : static_cast<uint16_t>(index);
            if (cover != assets::Cover::None) image.Set(x, y, value, cover);
        }
        ++y;
    }
    return image;
}

// Every repeat of three or more values is a fill, so that the pictures of the
// tests draw the fill runs they show.
inline std::vector<uint8_t> PictureSprite(std::initializer_list<const char *> rows,
                                          RunCoding coding, int32_t x_offset = 0,
                                          int32_t y_offset = 0) {
    return assets::EncodeSprite(Picture(rows, coding, x_offset, y_offset), coding,
                                assets::Fills::Small);
}

class SpriteTest : public LibraryTest {
  protected:
    void SetUp() override {
        LibraryTest::SetUp();
        for (int i = 0; i < 256; ++i) {
            for (auto &palette : db->SpritePalette) palette[i] = PictureColour(i);
            table[i] = PictureColour(i);
        }
    }

    // n cells of logical row y from column x, as picture characters: '.' for
    // 0, the letter of a picture colour, '#' for the shadow of 0, '?' else.
    static std::string Row(Layer layer, int32_t x, int32_t y, int32_t n) {
        std::string s;
        for (int32_t i = 0; i < n; ++i) {
            const uint16_t v = At(layer, x + i, y);
            if (v == 0) {
                s += '.';
            } else if (v == PictureColour(0)) {
                s += '0';
            } else if (v > PictureColour(0) && v <= PictureColour(26)) {
                s += static_cast<char>('a' + v - PictureColour(1));
            } else if (v == 0x0085) {
                s += '#';
            } else {
                s += '?';
            }
        }
        return s;
    }

    uint16_t table[256] = {};
};

}  // namespace ruvo::test
