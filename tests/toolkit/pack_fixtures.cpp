// Writes the inputs of the ruvo-pack command-line tests into a folder:
// good images and the bad ones each error case needs.
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/media/png_io.h"

using ruvo::media::RgbaImage;

// A PNG chunk: length, type, data, CRC.
void Chunk(std::vector<uint8_t> &png, const char *type, const std::vector<uint8_t> &data) {
    const auto be32 = [&](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) png.push_back(uint8_t(v >> s));
    };
    be32(uint32_t(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    be32(uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

// A well-formed header of a 16384 x 16384 RGBA image with almost no data:
// a reader that decodes before it checks the size spends seconds and GBs.
std::vector<uint8_t> HugePngHeader() {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Chunk(png, "IHDR", {0, 0, 0x40, 0, 0, 0, 0x40, 0, 8, 6, 0, 0, 0});
    Chunk(png, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    Chunk(png, "IEND", {});
    return png;
}

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pack_fixtures DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    auto fill = [](RgbaImage &im, auto colour) {
        for (int y = 0; y < im.height; ++y) {
            for (int x = 0; x < im.width; ++x) {
                uint8_t *p = im.At(x, y);
                colour(x, y, p);
            }
        }
    };
    RgbaImage tile(63, 32);  // four colours
    fill(tile, [](int x, int y, uint8_t *p) {
        p[0] = uint8_t((x / 16) * 60), p[1] = uint8_t(y * 8), p[2] = 40, p[3] = 255;
    });
    ruvo::media::WritePng(dir + "/tile.png", tile);
    RgbaImage wrong(64, 32);
    fill(wrong, [](int, int, uint8_t *p) { p[0] = p[1] = p[2] = p[3] = 255; });
    ruvo::media::WritePng(dir + "/wrong_size.png", wrong);
    RgbaImage many(40, 40);  // 1600 colours
    fill(many, [](int x, int y, uint8_t *p) {
        p[0] = uint8_t(x * 6), p[1] = uint8_t(y * 6), p[2] = 128, p[3] = 255;
    });
    ruvo::media::WritePng(dir + "/many_colours.png", many);
    RgbaImage wide(40000, 1);  // colour literals of 80000 bytes in one row
    fill(wide, [](int x, int, uint8_t *p) {
        p[0] = uint8_t(x * 7), p[1] = uint8_t(x * 13), p[2] = uint8_t(x * 29), p[3] = 255;
    });
    ruvo::media::WritePng(dir + "/wide.png", wide);
    RgbaImage sprite(24, 16);  // alpha, the colour key and a few colours
    fill(sprite, [](int x, int y, uint8_t *p) {
        p[0] = uint8_t(x < 12 ? 200 : 40), p[1] = uint8_t(y < 8 ? 90 : 180), p[2] = 60;
        p[3] = (x + y) % 7 == 0 ? 0 : 255;
        if (x == 3) p[0] = 255, p[1] = 0, p[2] = 255;
    });
    ruvo::media::WritePng(dir + "/sprite.png", sprite);
    const std::vector<uint8_t> huge = HugePngHeader();
    std::ofstream(dir + "/huge.png", std::ios::binary)
        .write(reinterpret_cast<const char *>(huge.data()), std::streamsize(huge.size()));
    // A good PNG cut short in its image data: libpng's own reason is reported.
    std::ifstream in(dir + "/many_colours.png", std::ios::binary);
    const std::vector<char> whole{std::istreambuf_iterator<char>(in), {}};
    std::ofstream(dir + "/truncated.png", std::ios::binary)
        .write(whole.data(), std::streamsize(whole.size() * 2 / 3));
    std::ofstream(dir + "/text.png") << "not an image\n";
    std::ofstream(dir + "/text.ttf") << "not a font\n";
    return 0;
}
