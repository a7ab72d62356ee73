// Writes a starting corpus for the sprite fuzzer: well-formed sprites of
// every coding from the encoder, at positions in, across and outside the
// layer, with clip rectangles of several kinds.
//   sprite_fuzz_seeds <directory>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/fuzz/sprite_input.h"
#include "tools/assets/synthetic_sprites.h"

int main(int argc, char **argv) {
    using namespace ruvo;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    struct Place {
        int16_t x, y;
        uint16_t clip[4];
    };
    const Place places[] = {{100, 100, {0, 0, 1023, 767}},
                            {-20, 5, {3, 0, 40, 30}},
                            {1000, 750, {0, 0, 1023, 767}},
                            {50, 660, {40, 600, 90, 700}}};
    int n = 0;
    for (int coding = 0; coding < 4; ++coding) {
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            assets::SyntheticShape shape;
            shape.width = int32_t(8 + 17 * seed);
            shape.height = int32_t(4 + 9 * seed);
            shape.coding = RunCoding(coding);
            const std::vector<uint8_t> sprite =
                assets::EncodeSprite(assets::SyntheticImage(shape, seed), shape.coding);
            for (const Place &p : places) {
                std::vector<uint8_t> input(fuzz::kArgumentBytes, 0);
                auto put16 = [&input](int at, uint16_t v) {
                    input[at] = uint8_t(v);
                    input[at + 1] = uint8_t(v >> 8);
                };
                put16(0, uint16_t(p.x));
                put16(2, uint16_t(p.y));
                put16(4, uint16_t(seed * 300));
                for (int i = 0; i < 4; ++i) put16(8 + 2 * i, p.clip[i]);
                put16(16, uint16_t(seed * 120));
                put16(18, uint16_t(seed * 7));
                input[20] = uint8_t(seed);
                input.insert(input.end(), sprite.begin(), sprite.end());
                std::ofstream(std::string(argv[1]) + "/seed-" + std::to_string(n++),
                              std::ios::binary)
                    .write(reinterpret_cast<const char *>(input.data()), input.size());
            }
        }
    }
    return 0;
}
