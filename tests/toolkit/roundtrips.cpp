// The toolkit's files read back as they were written: sprites of every
// coding through ruvo-pack and its view, tiles, palettes, shade tables and
// font records; and the readers refuse damaged files without crashing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/assets/asset_error.h"
#include "tools/assets/colour_tables.h"
#include "tools/assets/font_record.h"
#include "tools/assets/tile_codec.h"
#include "tools/media/png_io.h"
#include "tools/media/quantise.h"
#include "tools/pack/pack_commands.h"
#include "tools/pack/pack_view.h"

namespace {

using namespace ruvo;
using assets::AssetError;
using media::RgbaImage;

class Files : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            std::filesystem::temp_directory_path() /
            ("ruvo_toolkit_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string &name) const { return (dir_ / name).string(); }

    int Pack(std::vector<std::string> args) {
        args.insert(args.begin(), "ruvo-pack");
        std::vector<char *> argv;
        for (auto &a : args) argv.push_back(a.data());
        return pack::Run(static_cast<int>(argv.size()), argv.data());
    }
    std::vector<uint8_t> Bytes(const std::string &name) {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path dir_;
};

// An image with transparent holes, the colour key and half-covered pixels,
// its colours already 5-6-5 values so that they survive exactly.
RgbaImage TestImage() {
    RgbaImage im(150, 9);  // wider than one run of any coding
    for (int y = 0; y < im.height; ++y) {
        for (int x = 0; x < im.width; ++x) {
            uint8_t *p = im.At(x, y);
            const assets::Rgb c =
                assets::FromRgb565(assets::ToRgb565({uint8_t(x < 70 ? 200 : (x / 10 * 37) & 0xFF),
                                                     uint8_t(y * 28), uint8_t(x % 3 * 90)}));
            p[0] = c.r, p[1] = c.g, p[2] = c.b;
            p[3] = (x + 2 * y) % 11 == 0 ? 0 : (x % 17 == 5 ? 128 : 255);
            if (x == 30 && y == 4) p[0] = 255, p[1] = 0, p[2] = 255, p[3] = 255;  // the key
        }
    }
    return im;
}

TEST_F(Files, SpritesOfEveryCodingViewAsTheirImage) {
    const RgbaImage original = TestImage();
    media::WritePng(Path("in.png"), original);
    for (const char *coding : {"index", "blend", "colour", "mask"}) {
        SCOPED_TRACE(coding);
        ASSERT_EQ(Pack({"sprite", Path("in.png"), "-o", Path("s.spr"), "--coding", coding}), 0);
        std::vector<std::string> view = {"view",        Path("s.spr"), "-o",
                                         Path("v.png"), "--coding",    coding};
        if (std::string(coding) == "index" || std::string(coding) == "blend") {
            view.insert(view.end(), {"--palette", Path("s.spr.pal")});
        }
        ASSERT_EQ(Pack(view), 0);
        const RgbaImage back = media::ReadPng(Path("v.png"));
        ASSERT_EQ(back.width, original.width);
        ASSERT_EQ(back.height, original.height);
        const bool blend = std::string(coding) == "blend", mask = std::string(coding) == "mask";
        int wrong = 0;
        for (int y = 0; y < original.height; ++y) {
            for (int x = 0; x < original.width; ++x) {
                const uint8_t *o = original.At(x, y), *b = back.At(x, y);
                const bool key = o[0] == 255 && o[1] == 0 && o[2] == 255;
                uint8_t alpha = o[3] >= 128 && !key ? 255 : 0;
                if (blend && o[3] == 128 && !key) alpha = 128;
                if (b[3] != alpha) ++wrong;
                if (alpha && !mask && (b[0] != o[0] || b[1] != o[1] || b[2] != o[2])) ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(Files, TileKeepsTheDiamondAndItsPalette) {
    RgbaImage im(63, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 63; ++x) {
            const assets::Rgb c =
                assets::FromRgb565(uint16_t((x / 8 * 4) << 11 | (y / 4 * 8) << 5 | 9));
            uint8_t *p = im.At(x, y);
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
        }
    }
    media::WritePng(Path("t.png"), im);
    ASSERT_EQ(Pack({"tile", Path("t.png"), "-o", Path("t.til")}), 0);
    EXPECT_EQ(Bytes("t.til").size(), 1024u);
    ASSERT_EQ(Pack({"view", Path("t.til"), "-o", Path("v.png"), "--palette", Path("t.til.pal")}),
              0);
    const RgbaImage back = media::ReadPng(Path("v.png"));
    int inside = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 63; ++x) {
            if (!assets::InTileShape(x, y)) {
                EXPECT_EQ(back.At(x, y)[3], 0);
                continue;
            }
            ++inside;
            EXPECT_EQ(std::vector<uint8_t>(back.At(x, y), back.At(x, y) + 4),
                      std::vector<uint8_t>(im.At(x, y), im.At(x, y) + 4));
        }
    }
    EXPECT_EQ(inside, 1024);
}

TEST(ColourTables, PaletteAndShadeFilesRoundTrip) {
    assets::Palette palette{};
    for (int i = 0; i < 256; ++i) palette[i] = uint16_t(i * 257 ^ 0x1234);
    EXPECT_EQ(assets::PaletteFromBytes(assets::PaletteBytes(palette)), palette);
    const std::vector<uint16_t> shade = assets::MakeShadeTable(palette);
    EXPECT_EQ(assets::ShadeFromBytes(assets::ShadeBytes(shade)), shade);
    EXPECT_THROW(assets::PaletteFromBytes(std::vector<uint8_t>(511)), AssetError);
    EXPECT_THROW(assets::ShadeFromBytes(std::vector<uint8_t>(32767)), AssetError);
}

TEST(ColourTables, ShadeRowsDarkenBelowSixteenAndBrightenAbove) {
    assets::Palette palette{};
    palette[1] = 0x8410;  // mid grey
    palette[2] = 0xFFFF;
    const std::vector<uint16_t> shade = assets::MakeShadeTable(palette);
    EXPECT_EQ(shade[16 * 256 + 1], 0x8410);  // level 16 is the palette
    EXPECT_EQ(shade[16 * 256 + 2], 0xFFFF);
    EXPECT_EQ(shade[0 * 256 + 2], 0x0000);
    EXPECT_EQ(shade[31 * 256 + 2], 0xFFFF);  // brightening clips
    for (int level = 1; level < 32; ++level) {
        const int lower = shade[(level - 1) * 256 + 1] >> 11,
                  half = shade[(32 + level - 1) * 256 + 1] >> 11;
        const int here = shade[level * 256 + 1] >> 11;
        EXPECT_LE(lower, half);  // the dithered half lies between two levels
        EXPECT_LE(half, here);
    }
}

TEST(Quantiser, FewColoursComeBackExactly) {
    RgbaImage im(30, 30);
    const uint16_t colours[3] = {0xF800, 0x07E0, 0x001F};
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 30; ++x) {
            const assets::Rgb c = assets::FromRgb565(colours[(x / 10 + y) % 3]);
            uint8_t *p = im.At(x, y);
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
        }
    }
    const media::QuantisedPalette q = media::QuantisePalette({&im, 1}, 16);
    ASSERT_GE(q.count, 3);
    ASSERT_LE(q.count, 16);
    for (uint16_t c : colours) {
        EXPECT_NE(std::find(q.colours.begin(), q.colours.begin() + q.count, c),
                  q.colours.begin() + q.count)
            << std::hex << c;
    }
}

TEST(FontRecords, GlyphsAdvancesAndRampRoundTrip) {
    std::array<assets::GlyphBitmap, 256> glyphs{};
    for (int c = 32; c < 256; ++c) {
        assets::GlyphBitmap &g = glyphs[c];
        g.width = 1 + c % 7, g.height = 2 + c % 5, g.left = c % 3 - 1, g.top = 8 + c % 4;
        g.advance = c % 13;
        for (int i = 0; i < g.width * g.height; ++i) g.coverage.push_back(uint8_t(i * 53 + c));
    }
    const std::vector<uint8_t> record = assets::BuildFontRecord(glyphs, 12, {10, 4});
    const assets::FontContents font = assets::ReadFontRecord(record);
    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(c);
        const assets::GlyphBitmap &g = glyphs[c];
        EXPECT_EQ(font.advance[c], std::max(0, g.advance - 2));
        if (g.width == 0) {
            EXPECT_EQ(font.glyphs[c].height, 0);
            continue;
        }
        const assets::SpriteImage &s = font.glyphs[c];
        EXPECT_EQ(s.x_offset, g.left);
        EXPECT_EQ(s.y_offset, 12 - g.top);
        for (int i = 0; i < g.width * g.height; ++i) {
            const int k = (g.coverage[i] * 4 + 127) / 255;
            if (k == 0) {
                EXPECT_EQ(s.cover[i], assets::Cover::None);
            } else {
                EXPECT_EQ(s.values[i], 10 + k - 1);
            }
        }
    }
}

TEST(Readers, RefuseDamagedFiles) {
    std::array<assets::GlyphBitmap, 256> glyphs{};
    glyphs['A'] = {3, 3, 0, 3, 5, std::vector<uint8_t>(9, 255)};
    std::vector<uint8_t> record = assets::BuildFontRecord(glyphs, 3);
    EXPECT_THROW(assets::ReadFontRecord({record.data(), record.size() - 1}), AssetError);
    record[4 * 'A'] = 0xFF, record[4 * 'A' + 1] = 0xFF;  // an offset out of the record
    EXPECT_THROW(assets::ReadFontRecord(record), AssetError);
    EXPECT_THROW(assets::ReadSpriteBytes(std::vector<uint8_t>(8), assets::RunCoding::IndexRuns),
                 AssetError);
    // 65536 x 2 declared, two rows whose counts run past the data.
    const std::vector<uint8_t> sprite = {0, 0, 0, 0, 0xFF, 0xFF, 2, 0, 0xA1, 5, 0, 1, 2};
    EXPECT_THROW(assets::ReadSpriteBytes(sprite, assets::RunCoding::IndexRuns), AssetError);
    // A huge declared size with little data is refused before decoding.
    std::vector<uint8_t> huge = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x0F, 0xA1};
    huge.resize(9 + 2 * 0x0FFF, 0);
    EXPECT_THROW(assets::ReadSpriteBytes(huge, assets::RunCoding::IndexRuns, 1 << 20), AssetError);
}

// view picks a sprite's coding by whether its bytes parse: every sprite the
// encoder writes must parse as its own coding (fills, skips of count 0 and
// index-0 skips included), and one cut short or with a stray byte must not.
TEST(SpriteCodings, EncodedSpritesParseAsTheirOwnCodingOnly) {
    using assets::Cover;
    using assets::RunCoding;
    for (RunCoding coding :
         {RunCoding::IndexRuns, RunCoding::BlendRuns, RunCoding::ColourRuns, RunCoding::MaskRuns}) {
        SCOPED_TRACE(static_cast<int>(coding));
        assets::SpriteImage image(300, 7);  // rows longer than any run
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const int v = (x / 5 * 7 + y * 3) % 256;  // runs of equal values: fills
                const bool hole = (x / 3 + y) % 7 == 0;
                const bool half = coding == RunCoding::BlendRuns && x % 11 == 4;
                image.Set(x, y, uint16_t(coding == RunCoding::ColourRuns ? v * 251 : v),
                          hole   ? Cover::None
                          : half ? Cover::Blended
                                 : Cover::Opaque);
            }
        }
        std::vector<uint8_t> bytes = assets::EncodeSprite(image, coding);
        EXPECT_TRUE(pack::ParsesAs(bytes, coding));
        bytes.push_back(0);
        EXPECT_FALSE(pack::ParsesAs(bytes, coding));
        bytes.resize(bytes.size() - 2);
        EXPECT_FALSE(pack::ParsesAs(bytes, coding));
    }
    // A literal that claims more pixels than the declared width.
    const std::vector<uint8_t> wide = {0, 0, 0, 0, 1, 0, 1, 0, 0xA1, 4, 0, 3, 7, 7, 7};
    EXPECT_FALSE(pack::ParsesAs(wide, assets::RunCoding::IndexRuns));
}

}  // namespace
