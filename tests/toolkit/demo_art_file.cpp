// The demo's asset file: what the web page embeds must read back as the art
// the native demo builds, and anything else must be refused, never trusted.
#include "demo/demo_art_file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr const char *kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

const std::vector<uint8_t> &File() {
    static const std::vector<uint8_t> file = demo::WriteArt(demo::BuildArt(kFont, kFont));
    return file;
}

TEST(DemoArtFile, ReadsBackWhatWasWritten) {
    demo::Art art;
    ASSERT_TRUE(demo::ReadArt(File(), art));
    EXPECT_EQ(demo::WriteArt(art), File());
    const demo::Art built = demo::BuildArt(kFont, kFont);
    EXPECT_EQ(art.palette, built.palette);
    EXPECT_EQ(art.shade, built.shade);
    EXPECT_EQ(art.objects[demo::kHouse].sprite, built.objects[demo::kHouse].sprite);
    EXPECT_EQ(art.objects[demo::kHouse].width, built.objects[demo::kHouse].width);
    EXPECT_EQ(art.text_font, built.text_font);
    EXPECT_EQ(art.smoke_table, built.smoke_table);
}

// Every short file stops at some field; none may read past its end.
TEST(DemoArtFile, RefusesEveryTruncation) {
    const std::vector<uint8_t> &file = File();
    for (size_t n = 0; n < file.size(); n += n < 64 ? 1 : 997) {
        demo::Art art;
        EXPECT_FALSE(demo::ReadArt(std::span(file.data(), n), art)) << n << " bytes";
    }
    demo::Art art;
    EXPECT_FALSE(demo::ReadArt(std::span(file.data(), file.size() - 1), art));
}

TEST(DemoArtFile, RefusesWrongTagVersionAndTrailingBytes) {
    demo::Art art;
    std::vector<uint8_t> file = File();
    file[0] ^= 1;
    EXPECT_FALSE(demo::ReadArt(file, art)) << "tag";
    file = File();
    file[4] = 2;
    EXPECT_FALSE(demo::ReadArt(file, art)) << "version";
    file = File();
    file.push_back(0);
    EXPECT_FALSE(demo::ReadArt(file, art)) << "a byte left over";
}

// A length beyond the file, even one whose byte count overflows 32 bits,
// is refused before anything is allocated for it.
TEST(DemoArtFile, RefusesLengthsBeyondTheFile) {
    constexpr size_t kShadeLength = 8 + 512;  // after the tag, the version and the palette
    for (uint32_t length : {0x80000001u, 0xFFFFFFFFu, 16385u}) {
        std::vector<uint8_t> file = File();
        std::memcpy(&file[kShadeLength], &length, 4);
        demo::Art art;
        EXPECT_FALSE(demo::ReadArt(file, art)) << length;
    }
}

}  // namespace
