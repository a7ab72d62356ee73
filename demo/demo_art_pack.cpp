// ruvo-demo-art: builds the demo's assets as ruvo-demo does at start-up and
// writes them as one file, for the page that runs the demo in a browser.
#include <cstdio>
#include <fstream>
#include <string>

#include "demo/demo_art.h"
#include "demo/demo_art_file.h"
#include "tools/assets/asset_error.h"

int main(int argc, char **argv) {
    if (argc < 2 || argc > 3 || std::string(argv[1]) == "--help") {
        std::fputs(
            "usage: ruvo-demo-art OUT [FONT]\n"
            "Writes the demo's assets (fonts from FONT, default DejaVu Sans) to OUT.\n",
            argc < 2 || argc > 3 ? stderr : stdout);
        return argc < 2 || argc > 3 ? 2 : 0;
    }
    const std::string font = argc == 3 ? argv[2] : RUVO_DEMO_FONT;
    std::vector<uint8_t> file;
    try {
        file = demo::WriteArt(demo::BuildArt(font, font));
    } catch (const ruvo::assets::AssetError &e) {
        std::fprintf(stderr, "ruvo-demo-art: %s\n", e.what());
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char *>(file.data()),
              static_cast<std::streamsize>(file.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "ruvo-demo-art: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
