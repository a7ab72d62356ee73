// Writes the inputs of the ruvo-pack command-line tests into a folder:
// good images and the bad ones each error case needs.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/media/png_io.h"

using ruvo::media::RgbaImage;

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
    std::ofstream(dir + "/text.png") << "not an image\n";
    std::ofstream(dir + "/text.ttf") << "not a font\n";
    return 0;
}
