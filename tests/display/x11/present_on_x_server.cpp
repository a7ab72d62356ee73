// A host with a real SDL2 window on an X server: loads the shared library,
// opens the display for the window, presents a known picture (plain and lit),
// and reads back from the X server itself, with XGetImage of the window,
// what reached the screen. Exact on a 16-bit (5-6-5) screen.
//
// Runs only when RUVO_XVFB_DISPLAY names the X display to use (.ci/run starts
// one); otherwise it reports itself skipped (exit 77).
//
//   present_on_x_server LIBRARY
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ruvodraw1024.h"
#include "tests/display/x11/x_image_compare.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kSkipped = 77;

int Fail(const char *what) {
    std::fprintf(stderr, "present_on_x_server: %s\n", what);
    return 1;
}

// A picture that sets every bit of the pixel somewhere.
uint16_t PictureAt(int x, int y) { return static_cast<uint16_t>((x * 97) ^ (y * 331) ^ (x << 9)); }

// Lets SDL and the X server settle until the window has the size.
bool WaitForSize(SDL_Window *window, int width, int height) {
    for (int i = 0; i < 200; ++i) {
        SDL_PumpEvents();
        int w = 0, h = 0;
        SDL_GetWindowSize(window, &w, &h);
        if (w == width && h == height) return true;
        SDL_Delay(10);
    }
    return false;
}

// The X window behind the SDL window, asked each time: SDL may put a new one
// behind the same SDL window (for an accelerated window surface).
Window XWindowOf(SDL_Window *window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}

template <class Want>
bool ScreenShows(Display *x, SDL_Window *window, Want want, int width = kWidth,
                 int height = kHeight) {
    const Window xwindow = XWindowOf(window);
    for (int attempt = 0; attempt < 20; ++attempt) {
        SDL_PumpEvents();
        XSync(x, False);
        if (ruvo::x11::CountDifferences(x, xwindow, 0, 0, width, height, want, false) == 0)
            return true;
        SDL_Delay(25);
    }
    std::fprintf(stderr, "%ld pixels differ\n",
                 ruvo::x11::CountDifferences(x, xwindow, 0, 0, width, height, want, true));
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    const char *display_name = std::getenv("RUVO_XVFB_DISPLAY");
    if (!display_name || !*display_name) {
        std::printf("skipped: RUVO_XVFB_DISPLAY names no X display\n");
        return kSkipped;
    }
    if (argc < 2) return Fail("usage: present_on_x_server LIBRARY");
    setenv("DISPLAY", display_name, 1);

    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return Fail(SDL_GetError());
    SDL_Window *window = SDL_CreateWindow("ruvodraw1024", 0, 0, 320, 200, SDL_WINDOW_SHOWN);
    if (!window) return Fail(SDL_GetError());
    Display *x = XOpenDisplay(display_name);
    if (!x) return Fail("cannot open the X display for reading back");

    void *library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) return Fail(dlerror());
    void *symbol = dlsym(library, "RuvoDraw_Init");
    RuvoDrawBlock *(RUVO_CDECL * init)(void);
    std::memcpy(&init, &symbol, sizeof init);
    RuvoDrawBlock *db = init();
    RuvoOperations &op = db->OperationSlot.Op;

    if (op.OpenDisplay(window, 0) != 1) return Fail("OpenDisplay failed");
    if (op.SetScreenMode(kWidth, kHeight) != 1) return Fail("SetScreenMode failed");
    if (db->SpreadMask != 0x07E0F81Fu) return Fail("the surface is not 5-6-5");
    if (!WaitForSize(window, kWidth, kHeight))
        return Fail("the window did not take the mode's size");
    XWindowAttributes attributes;
    XGetWindowAttributes(x, XWindowOf(window), &attributes);
    if (attributes.width != kWidth || attributes.height != kHeight) {
        return Fail("the X window does not have the mode's size");
    }

    // Plain: the picture as it is.
    for (int y = 0; y < kHeight; ++y) {
        for (int x_ = 0; x_ < kWidth; ++x_) db->ScreenLayer[y * 1024 + x_] = PictureAt(x_, y);
    }
    if (op.PresentRect(0, 0, kWidth, kHeight) != 0) return Fail("PresentRect failed");
    if (!ScreenShows(x, window, [](int x_, int y) { return unsigned{PictureAt(x_, y)}; })) {
        return Fail("PresentRect: the X server shows another picture");
    }

    // Lit: a dark block in full light. What the X server shows must be what
    // ApplyLightGrid makes of the layer; inside the block every channel is halved.
    std::memset(db->LightGrid, 0x80, sizeof db->LightGrid);
    for (int j = 10; j <= 20; ++j) std::memset(&db->LightGrid[j][8], 0, 9);
    if (op.PresentLit(0, 0, kWidth - 1, kHeight - 1) != 0) return Fail("PresentLit failed");
    op.ApplyLightGrid(0, 0, kWidth - 1, kHeight - 1);
    if (db->ScreenLayer[100 * 1024 + 200] != ((PictureAt(200, 100) >> 1) & 0x7BEF)) {
        return Fail("the dark block is not halved");
    }
    const uint16_t *shaded = db->ScreenLayer;
    auto lit = [shaded](int x_, int y) { return unsigned{shaded[y * 1024 + x_]}; };
    if (!ScreenShows(x, window, lit)) return Fail("PresentLit: the X server shows another picture");

    // Exclusive: the window goes full screen for the mode, shows the picture
    // at its top-left corner, and CloseDisplay puts it back in a window. The
    // mode is the X screen's own size: Xvfb runs no window manager to give a
    // full-screen window the screen's size, so for a smaller mode SDL's idea
    // of the window and the X window's real size would differ.
    constexpr int kModeWidth = 1024, kModeHeight = 768;
    if (op.OpenDisplay(window, 1) != 1) return Fail("OpenDisplay (exclusive) failed");
    if (op.SetScreenMode(kModeWidth, kModeHeight) != 1) {
        return Fail("SetScreenMode (exclusive) failed");
    }
    if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) {
        return Fail("exclusive mode did not put the window in full screen");
    }
    for (int i = 0; i < 20; ++i) {
        SDL_PumpEvents();
        SDL_Delay(10);
    }
    if (op.PresentRect(0, 0, kModeWidth, kModeHeight) != 0) {
        return Fail("PresentRect (exclusive) failed");
    }
    if (!ScreenShows(x, window, lit, kModeWidth, kModeHeight)) {
        return Fail("exclusive: the X server shows another picture");
    }
    op.CloseDisplay();
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) {
        return Fail("CloseDisplay left the window in full screen");
    }
    XCloseDisplay(x);
    SDL_DestroyWindow(window);
    SDL_Quit();
    dlclose(library);
    std::printf("the X server shows every picture exactly (5-6-5; in a window and full screen)\n");
    return 0;
}
