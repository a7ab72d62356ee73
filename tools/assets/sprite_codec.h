// Encoder and decoder of RleSprites for tests and asset tools (the library
// itself has none). An image is a grid of values (colour indices, 16-bit
// colours, light levels) with a cover per pixel saying whether and how it is
// drawn; EncodeSprite chooses the runs, DecodeSprite reads them back.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sprites/rle_sprite.h"

namespace ruvo::assets {

using ruvo::RunClass;
using ruvo::RunCoding;

// How a pixel is drawn: not at all, with its value, or mixed 50% with what is
// there (BlendRuns only).
enum class Cover : uint8_t { None, Opaque, Blended };

struct SpriteImage {
    int32_t width = 0, height = 0;
    int32_t x_offset = 0, y_offset = 0;
    uint8_t kind = 0xA1;
    std::vector<uint16_t> values;  // row-major, width x height
    std::vector<Cover> cover;      // row-major, width x height

    SpriteImage() = default;
    SpriteImage(int32_t w, int32_t h)
        : width(w), height(h), values(size_t(w) * h, 0), cover(size_t(w) * h, Cover::None) {}

    uint16_t &Value(int32_t x, int32_t y) { return values[size_t(y) * width + x]; }
    uint16_t Value(int32_t x, int32_t y) const { return values[size_t(y) * width + x]; }
    Cover &CoverAt(int32_t x, int32_t y) { return cover[size_t(y) * width + x]; }
    Cover CoverAt(int32_t x, int32_t y) const { return cover[size_t(y) * width + x]; }
    void Set(int32_t x, int32_t y, uint16_t value, Cover c = Cover::Opaque) {
        Value(x, y) = value;
        CoverAt(x, y) = c;
    }
    bool operator==(const SpriteImage &) const = default;
};

// An image from rows of values; pixels equal to the transparent key (if any)
// are not drawn, all others are opaque.
SpriteImage ImageFromValues(int32_t width, int32_t height, const std::vector<uint16_t> &values,
                            std::optional<uint16_t> transparent);

// Which repeats of equal values the encoder writes as fills.
enum class Fills : uint8_t {
    // For drawing speed (the default): a repeat between other pixels of its
    // opaque stretch becomes a fill from 32 values in IndexRuns, 16 in
    // BlendRuns, 128 in ColourRuns; one at either end of its stretch (beside
    // a skip, a blended pixel or the row's end) from half that; a repeat that
    // is the whole stretch always. Shorter repeats join the literal around
    // them, since a run costs the blitters about as much as a few dozen
    // literal pixels. Larger files: 9% (blend) to 48% (colour) more bytes on
    // the benchmark workload.
    Fast,
    // For the smallest file: every repeat of three or more values.
    Small,
};

// The shortest repeat written as a fill with other pixels of its opaque
// stretch on both sides (where folding it into a literal saves two runs) and
// on one side only (one run); 3 or more, larger than any row for none.
struct FillLengths {
    int32_t between_literals;
    int32_t beside_literal;
};
FillLengths MinFillLengths(RunCoding coding, Fills fills);

// Encodes the image: skips for transparency (trailing transparency is left
// out), fills for repeats as fills chooses, literals otherwise, blended
// literals for blended pixels; runs longer than a code holds are split.
// Throws std::invalid_argument for what the coding cannot express (a blended
// pixel outside BlendRuns, an index above 255, a row longer than 65535 bytes,
// a width outside 1..65536, more than 65535 rows).
std::vector<uint8_t> EncodeSprite(const SpriteImage &image, RunCoding coding,
                                  Fills fills = Fills::Fast);

// The same with the lengths given: for measuring where fills pay.
std::vector<uint8_t> EncodeSprite(const SpriteImage &image, RunCoding coding, FillLengths lengths);

// Decodes a sprite into an image of its declared width and row count. Pixels
// that runs put past the declared width are dropped. Runs are read as the
// library reads them: a literal that claims more data than its row holds is
// cut to the values there, a fill whose value lies past the row's end ends
// the row. Throws std::out_of_range when the header or a row's byte count
// runs past the sprite's data.
SpriteImage DecodeSprite(std::span<const uint8_t> sprite, RunCoding coding);

// One line per row listing its runs, e.g. "row 0: skip 3, fill 5 #12, lit 2 [1 7]".
std::string DescribeRuns(std::span<const uint8_t> sprite, RunCoding coding);

// The image as 16-bit pixels over a background, for inspection: values through
// the colour table (or as colours when the table is empty), blended pixels
// mixed 50% with the background by the given low-bits mask.
std::vector<uint16_t> RenderSprite(const SpriteImage &image, std::span<const uint16_t> colours,
                                   uint16_t background, uint16_t low_bits = 0x0821);

// Writes sprites run by run, well-formed or not: for tests about the byte
// format and for malformed input. Byte counts are filled in as rows end.
class SpriteWriter {
  public:
    SpriteWriter(int32_t x_offset, int32_t y_offset, int32_t width, uint8_t kind = 0xA1);

    SpriteWriter &Row();                                    // starts a RowRecord
    SpriteWriter &Code(uint8_t code);                       // a raw RunCode byte
    SpriteWriter &Bytes(std::initializer_list<uint8_t> b);  // raw data bytes
    SpriteWriter &Colour(uint16_t colour);                  // two data bytes, little-endian
    // The row's byte count, overriding the true one (a wrong L).
    SpriteWriter &ForceLength(uint16_t length);

    std::vector<uint8_t> Finish();  // sets the row count

  private:
    void EndRow();
    std::vector<uint8_t> bytes_;
    size_t row_start_ = 0;
    bool in_row_ = false;
    std::optional<uint16_t> forced_length_;
    int32_t rows_ = 0;
};

}  // namespace ruvo::assets
