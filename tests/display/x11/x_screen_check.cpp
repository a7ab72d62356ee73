// Checks that an area of the X screen shows exactly the pixels in a file:
// reads the root window with XGetImage, retrying while the picture settles.
// For hosts that present through some other program's display path (a Windows
// host under Wine): the host writes what it presented, this reads what arrived.
//
//   x_screen_check [--differs] LEFT TOP WIDTH HEIGHT PIXELS
//
// PIXELS holds WIDTH x HEIGHT 16-bit little-endian values, row by row. The X
// display is $DISPLAY. Exit status 0 when every pixel matches; with
// --differs (a control: the check can fail), 0 when some pixel differs.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "tests/display/x11/x_image_compare.h"

int main(int argc, char **argv) {
    const bool differs = argc > 1 && std::strcmp(argv[1], "--differs") == 0;
    if (differs) {
        --argc;
        ++argv;
    }
    if (argc != 6) {
        std::fprintf(stderr, "usage: x_screen_check [--differs] LEFT TOP WIDTH HEIGHT PIXELS\n");
        return 2;
    }
    const int left = std::atoi(argv[1]), top = std::atoi(argv[2]);
    const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    if (width <= 0 || height <= 0) return 2;

    std::vector<unsigned char> bytes(2 * static_cast<size_t>(width) * height);
    std::FILE *file = std::fopen(argv[5], "rb");
    if (!file || std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::fprintf(stderr, "x_screen_check: cannot read %zu bytes from %s\n", bytes.size(),
                     argv[5]);
        if (file) std::fclose(file);
        return 2;
    }
    std::fclose(file);
    auto want = [&](int x, int y) {
        const size_t i = 2 * (static_cast<size_t>(y) * width + x);
        return unsigned{bytes[i]} | unsigned{bytes[i + 1]} << 8;
    };

    Display *x = XOpenDisplay(nullptr);
    if (!x) {
        std::fprintf(stderr, "x_screen_check: cannot open the X display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(x);
    if (differs) {
        XSync(x, False);
        const long count =
            ruvo::x11::CountDifferences(x, root, left, top, width, height, want, false);
        XCloseDisplay(x);
        if (count > 0) return 0;
        std::fprintf(stderr, "x_screen_check: the screen shows pixels meant to differ\n");
        return 1;
    }
    long differences = -1;
    for (int attempt = 0; attempt < 40 && differences != 0; ++attempt) {
        if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        XSync(x, False);
        differences = ruvo::x11::CountDifferences(x, root, left, top, width, height, want, false);
    }
    if (differences != 0) {
        differences = ruvo::x11::CountDifferences(x, root, left, top, width, height, want, true);
        std::fprintf(stderr, "x_screen_check: %ld of %d x %d pixels at (%d, %d) differ\n",
                     differences, width, height, left, top);
    }
    XCloseDisplay(x);
    return differences == 0 ? 0 : 1;
}
