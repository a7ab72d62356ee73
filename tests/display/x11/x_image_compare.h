// What an X server shows, read back with XGetImage and compared pixel by
// pixel with what was meant to reach it. Exact on a 16-bit (5-6-5) screen.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

namespace ruvo::x11 {

// Counts the pixels of the area (left, top, width, height) of the window (the
// root window for the whole screen) whose value differs from want(x, y), x and
// y counted from the area's corner; -1 if the area cannot be read or the
// screen is not 5-6-5. With report, prints the first few differences.
template <class Want>
long CountDifferences(Display *x, Window window, int left, int top, int width, int height,
                      Want want, bool report) {
    XImage *image = XGetImage(x, window, left, top, width, height, AllPlanes, ZPixmap);
    if (!image) return -1;
    if (image->bits_per_pixel != 16 || image->red_mask != 0xF800 || image->green_mask != 0x07E0 ||
        image->blue_mask != 0x001F) {
        std::fprintf(stderr, "the X screen is not 5-6-5 (%d bits, red mask %lx)\n",
                     image->bits_per_pixel, image->red_mask);
        XDestroyImage(image);
        return -1;
    }
    long differences = 0;
    for (int y = 0; y < height; ++y) {
        for (int x_ = 0; x_ < width; ++x_) {
            const unsigned long got = XGetPixel(image, x_, y);
            if (got != want(x_, y)) {
                if (report && differences < 5) {
                    std::fprintf(stderr, "  (%d, %d): X server %04lx, expected %04x\n", left + x_,
                                 top + y, got, want(x_, y));
                }
                ++differences;
            }
        }
    }
    XDestroyImage(image);
    return differences;
}

}  // namespace ruvo::x11
