// The tools encoder and decoder: the runs it chooses, byte for byte, and
// round trips through every coding.
#include "tools/assets/sprite_codec.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "tests/support/sprite_fixture.h"

namespace ruvo::test {
namespace {

using assets::Cover;
using assets::SpriteImage;
using Bytes = std::vector<uint8_t>;

// The run bytes of a one-row sprite (after the header and the byte count).
Bytes RowRuns(const Bytes &sprite) {
    EXPECT_EQ(sprite[6] | sprite[7] << 8, 1);
    const size_t length = sprite[9] | sprite[10] << 8;
    EXPECT_EQ(sprite.size(), 11 + length);
    return Bytes(sprite.begin() + 11, sprite.end());
}

struct EncodeCase {
    RunCoding coding;
    const char *picture;
    Bytes want;
};

// For the smallest file: fills for three or more equal values, skips for
// transparency, literals otherwise; trailing transparency is left out.
// clang-format off
const EncodeCase kEncodeCases[] = {
    {RunCoding::BlendRuns,  "..cccab", {0xC2, 0x83, 3, 0x02, 1, 2}},
    {RunCoding::BlendRuns,  "abAB",    {0x02, 1, 2, 0x42, 1, 2}},
    {RunCoding::BlendRuns,  "ab...",   {0x02, 1, 2}},
    {RunCoding::BlendRuns,  "000",     {0x83, 0}},                     // index 0 fills like any other
    {RunCoding::IndexRuns,  "..cccab", {0x82, 0, 0x83, 3, 0x02, 1, 2}},
    {RunCoding::IndexRuns,  "000a",    {0x04, 0, 0, 0, 1}},            // a fill of 0 would skip
    {RunCoding::IndexRuns,  "aabb",    {0x04, 1, 1, 2, 2}},
    {RunCoding::ColourRuns, ".ccc",    {0x81, 0x1F, 0xF8, 0x83, 0x03, 0x40}},
    {RunCoding::ColourRuns, "ab",      {0x02, 0x01, 0x40, 0x02, 0x40}},
    {RunCoding::MaskRuns,   "abc..d",  {0x03, 0x82, 0x01}},
};
// clang-format on

TEST(SpriteCodecTest, Encode_ChoosesRunsByteForByte) {
    for (const EncodeCase &c : kEncodeCases) {
        const Bytes sprite =
            assets::EncodeSprite(Picture({c.picture}, c.coding), c.coding, assets::Fills::Small);
        EXPECT_EQ(RowRuns(sprite), c.want) << c.picture << " coding " << int(c.coding);
    }
}

// For drawing speed: a short repeat joins the literal beside it, and stays a
// fill where it is a whole opaque stretch (between skips, blended pixels and
// the row's ends), since no literal could carry it without another run.
// clang-format off
const EncodeCase kFastCases[] = {
    {RunCoding::BlendRuns,  "..cccab", {0xC2, 0x05, 3, 3, 3, 1, 2}},
    {RunCoding::IndexRuns,  "abccc",   {0x05, 1, 2, 3, 3, 3}},
    {RunCoding::IndexRuns,  "cccddd",  {0x06, 3, 3, 3, 4, 4, 4}},    // two fills would be two runs
    {RunCoding::IndexRuns,  "a.ccc.b", {0x01, 1, 0x81, 0, 0x83, 3, 0x81, 0, 0x01, 2}},
    {RunCoding::BlendRuns,  "AcccB",   {0x41, 1, 0x83, 3, 0x41, 2}}, // blended pixels end a stretch
    {RunCoding::ColourRuns, "accc",    {0x04, 0x01, 0x40, 0x03, 0x40, 0x03, 0x40, 0x03, 0x40}},
    {RunCoding::MaskRuns,   "abc..d",  {0x03, 0x82, 0x01}},
};
// clang-format on

TEST(SpriteCodecTest, EncodeFast_FoldsShortRepeatsIntoLiterals) {
    for (const EncodeCase &c : kFastCases) {
        const Bytes sprite = assets::EncodeSprite(Picture({c.picture}, c.coding), c.coding);
        EXPECT_EQ(RowRuns(sprite), c.want) << c.picture << " coding " << int(c.coding);
    }
}

// A repeat of the fast length between literals is a fill, one value shorter
// it is folded; at the end of its stretch (here the row's) from half that.
TEST(SpriteCodecTest, EncodeFast_FillsFromTheBreakEvenLength) {
    for (RunCoding coding : {RunCoding::BlendRuns, RunCoding::IndexRuns, RunCoding::ColourRuns}) {
        const assets::FillLengths lengths = assets::MinFillLengths(coding, assets::Fills::Fast);
        ASSERT_GT(lengths.beside_literal, 3);
        ASSERT_LT(lengths.beside_literal, lengths.between_literals);
        for (bool both : {true, false}) {
            const int32_t length = both ? lengths.between_literals : lengths.beside_literal;
            for (int32_t n : {length - 1, length}) {
                // [1] 9 x n, 2: the literal before the repeat only when both.
                const int32_t first = both ? 1 : 0;
                SpriteImage image(first + n + 1, 1);
                image.Set(0, 0, 1);
                for (int32_t x = first; x < first + n; ++x) image.Set(x, 0, 9);
                image.Set(first + n, 0, 2);
                const Bytes sprite = assets::EncodeSprite(image, coding);
                const std::string runs = assets::DescribeRuns(sprite, coding);
                EXPECT_EQ(runs.find("fill") != std::string::npos, n == length) << runs;
                EXPECT_EQ(assets::DecodeSprite(sprite, coding), image);
            }
        }
    }
}

// Folding never makes a run longer than its code holds: literals split at 127
// (63 in BlendRuns) wherever the folded repeats fall.
TEST(SpriteCodecTest, EncodeFast_SplitsFoldedLiteralsAtTheLargestCount) {
    SpriteImage image(300, 1);
    for (int32_t x = 0; x < 300; ++x) image.Set(x, 0, uint16_t(1 + (x / 5) % 2 * 7 + x % 2));
    for (int32_t x = 120; x < 130; ++x) image.Set(x, 0, 200);  // a short repeat across 127
    for (RunCoding coding : {RunCoding::IndexRuns, RunCoding::BlendRuns}) {
        const Bytes sprite = assets::EncodeSprite(image, coding);
        const int32_t most = coding == RunCoding::IndexRuns ? 127 : 63;
        const std::string runs = assets::DescribeRuns(sprite, coding);
        EXPECT_EQ(runs.find("fill"), std::string::npos) << runs;
        // Literal codes only, each of the largest count but the last.
        size_t at = 11;
        for (int32_t left = 300; left > 0; left -= most) {
            ASSERT_LT(at, sprite.size());
            EXPECT_EQ(sprite[at], std::min(left, most)) << runs;
            at += 1 + std::min(left, most);
        }
        EXPECT_EQ(at, sprite.size());
        EXPECT_EQ(assets::DecodeSprite(sprite, coding), image);
    }
}

// Small writes every repeat of three as a fill and is never larger; both
// decode to the same picture.
TEST(SpriteCodecTest, EncodeSmall_IsNeverLargerThanFast) {
    std::mt19937 rng(12);
    for (RunCoding coding : {RunCoding::BlendRuns, RunCoding::IndexRuns, RunCoding::ColourRuns}) {
        for (int n = 0; n < 20; ++n) {
            SpriteImage image(int32_t(1 + rng() % 200), int32_t(1 + rng() % 8));
            uint16_t value = 1;
            for (size_t i = 0; i < image.values.size(); ++i) {
                if (rng() % 6 == 0) value = uint16_t(1 + rng() % 255);
                if (rng() % 10 == 0) continue;
                image.values[i] = value;
                image.cover[i] = Cover::Opaque;
            }
            const Bytes small = assets::EncodeSprite(image, coding, assets::Fills::Small);
            const Bytes fast = assets::EncodeSprite(image, coding, assets::Fills::Fast);
            EXPECT_LE(small.size(), fast.size());
            EXPECT_EQ(assets::DecodeSprite(small, coding), assets::DecodeSprite(fast, coding));
            EXPECT_EQ(assets::DecodeSprite(fast, coding), image);
        }
    }
}

TEST(SpriteCodecTest, Encode_KeepsTheKeyColourOutOfFills) {
    SpriteImage image(3, 1);
    for (int x = 0; x < 3; ++x) image.Set(x, 0, kColourKey);
    EXPECT_EQ(RowRuns(assets::EncodeSprite(image, RunCoding::ColourRuns)),
              (Bytes{0x03, 0x1F, 0xF8, 0x1F, 0xF8, 0x1F, 0xF8}));
}

TEST(SpriteCodecTest, Encode_SplitsRunsAtTheLargestCount) {
    SpriteImage image(200, 1);
    for (int x = 0; x < 70; ++x) image.Set(x, 0, 9);  // 70 equal, 129 transparent, 1
    image.Set(199, 0, 4);
    EXPECT_EQ(RowRuns(assets::EncodeSprite(image, RunCoding::BlendRuns)),
              (Bytes{0xBF, 9, 0x87, 9, 0xFF, 0xFF, 0xC3, 0x01, 4}));
    EXPECT_EQ(RowRuns(assets::EncodeSprite(image, RunCoding::IndexRuns)),
              (Bytes{0xC6, 9, 0xFF, 0, 0x82, 0, 0x01, 4}));
}

TEST(SpriteCodecTest, Encode_WritesTheHeader) {
    SpriteImage image(65536, 0);
    image.x_offset = -2;
    image.y_offset = 300;
    image.kind = 0xA9;
    EXPECT_EQ(assets::EncodeSprite(image, RunCoding::IndexRuns),
              (Bytes{0xFE, 0xFF, 0x2C, 0x01, 0xFF, 0xFF, 0, 0, 0xA9}));
    EXPECT_EQ(assets::DecodeSprite(assets::EncodeSprite(image, RunCoding::IndexRuns),
                                   RunCoding::IndexRuns)
                  .width,
              65536);
}

TEST(SpriteCodecTest, Encode_RefusesWhatTheCodingCannotHold) {
    EXPECT_THROW(PictureSprite({"aB"}, RunCoding::IndexRuns), std::invalid_argument);
    SpriteImage wide_index(1, 1);
    wide_index.Set(0, 0, 256);
    EXPECT_THROW(assets::EncodeSprite(wide_index, RunCoding::IndexRuns), std::invalid_argument);
    EXPECT_THROW(assets::EncodeSprite(SpriteImage(0, 1), RunCoding::MaskRuns),
                 std::invalid_argument);
}

TEST(SpriteCodecTest, DecodeOfEncode_GivesTheImageBack) {
    std::mt19937 rng(7);
    for (RunCoding coding :
         {RunCoding::BlendRuns, RunCoding::IndexRuns, RunCoding::ColourRuns, RunCoding::MaskRuns}) {
        for (int n = 0; n < 40; ++n) {
            SpriteImage image(int32_t(1 + rng() % 300), int32_t(rng() % 20));
            image.x_offset = int(rng() % 100) - 50;
            uint16_t value = 1;
            for (size_t i = 0; i < image.values.size(); ++i) {
                if (rng() % 4 == 0) value = uint16_t(rng());  // runs of equal values
                const int pick = int(rng() % 8);
                if (pick < 3) continue;  // transparent
                const bool blend = coding == RunCoding::BlendRuns && pick == 3;
                uint16_t v = coding == RunCoding::ColourRuns ? value : value & 0xFF;
                if (coding == RunCoding::MaskRuns) v = 0;
                image.values[i] = v;
                image.cover[i] = blend ? Cover::Blended : Cover::Opaque;
            }
            for (assets::Fills fills : {assets::Fills::Fast, assets::Fills::Small}) {
                const Bytes sprite = assets::EncodeSprite(image, coding, fills);
                ASSERT_EQ(assets::DecodeSprite(sprite, coding), image)
                    << assets::DescribeRuns(sprite, coding);
            }
        }
    }
}

TEST(SpriteCodecTest, Decode_ReadsHandWrittenRuns) {
    // Row 0: literal 2, skip 1, fill 2 of 5, and a run past the width that is dropped.
    const Bytes sprite = assets::SpriteWriter(0, 0, 6)
                             .Row()
                             .Code(0x02)
                             .Bytes({7, 8})
                             .Code(0xC1)
                             .Code(0x82)
                             .Bytes({5})
                             .Code(0x83)
                             .Bytes({6})
                             .Row()
                             .Finish();
    EXPECT_EQ(assets::DescribeRuns(sprite, RunCoding::BlendRuns),
              "row 0: lit 2 [7 8], skip 1, fill 2 #5, fill 3 #6\nrow 1:\n");
    const SpriteImage image = assets::DecodeSprite(sprite, RunCoding::BlendRuns);
    EXPECT_EQ(image.values, (std::vector<uint16_t>{7, 8, 0, 5, 5, 6, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(image.CoverAt(2, 0), Cover::None);
    EXPECT_THROW(
        assets::DecodeSprite(Bytes(sprite.begin(), sprite.end() - 3), RunCoding::BlendRuns),
        std::out_of_range);
}

// Rows whose runs claim more than their byte count holds decode as they draw:
// a literal cut to the values there, a fill without its value ending the row
// (a skip of 0), the next row at its own byte count.
TEST(SpriteCodecTest, Decode_CutsRunsAtTheRowsEnd) {
    const Bytes index = assets::SpriteWriter(0, 0, 8)
                            .Row()
                            .Code(0x82)
                            .Bytes({5, 0x7F, 7, 8})
                            .Row()
                            .Code(0x01)
                            .Bytes({3, 0x85})
                            .Finish();
    EXPECT_EQ(assets::DescribeRuns(index, RunCoding::IndexRuns),
              "row 0: fill 2 #5, lit 2 [7 8]\nrow 1: lit 1 [3], skip 0\n");
    EXPECT_EQ(assets::DecodeSprite(index, RunCoding::IndexRuns).values,
              (std::vector<uint16_t>{5, 5, 7, 8, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(assets::DescribeRuns(index, RunCoding::BlendRuns),
              "row 0: fill 2 #5, blend 2 [7 8]\nrow 1: lit 1 [3], skip 0\n");

    const Bytes colour = assets::SpriteWriter(0, 0, 4)
                             .Row()
                             .Code(0x7F)
                             .Colour(0x1234)
                             .Bytes({0x05})
                             .Row()
                             .Code(0x84)
                             .Bytes({0x05})
                             .Finish();
    EXPECT_EQ(assets::DescribeRuns(colour, RunCoding::ColourRuns),
              "row 0: lit 1 [4660], lit 0 []\nrow 1: skip 0\n");
}

TEST(SpriteCodecTest, Render_MixesBlendedPixelsWithTheBackground) {
    const uint16_t colours[3] = {0, 0xFFFF, 0x0841};
    const SpriteImage image = Picture({"a.B"}, RunCoding::BlendRuns);
    EXPECT_EQ(assets::RenderSprite(image, colours, 0x0000),
              (std::vector<uint16_t>{0xFFFF, 0x0000, 0x0020}));
}

}  // namespace
}  // namespace ruvo::test
