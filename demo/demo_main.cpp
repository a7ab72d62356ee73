// ruvo-demo: loads the shared library as a host does, builds its assets,
// and runs a scripted camera path over the isometric scene, headless on the
// in-memory display or live in an SDL2 window. See --help.
#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/demo_art.h"
#include "demo/demo_scene.h"
#include "ruvodraw1024.h"
#include "tools/assets/asset_error.h"
#include "tools/media/png_io.h"

#if RUVO_DEMO_WINDOW
#include <SDL2/SDL.h>
#endif

namespace {

constexpr const char *kUsage =
    "usage: ruvo-demo [options]\n"
    "Renders the isometric demo scene through libruvodraw1024.so.\n"
    "  --frames-count N  frames of the camera path (default 360)\n"
    "  --out FILE        the last frame as PNG (default out/demo.png)\n"
    "  --frames          also write every frame (out/frames/frame-NNNN.png)\n"
    "  --window          show the scene in an SDL2 window: arrow keys scroll, Escape quits\n"
    "                    (with --frames-count, it stops after the path)\n"
    "  --hash            print a hash of the last frame\n"
    "  --fixed-text      no timings in the picture (for a repeatable frame)\n"
    "  --library FILE    the shared library to load\n"
    "  --font FILE       the TrueType font for the text\n";

struct Options {
    int frames = 360;
    std::string out = "out/demo.png";
    bool every_frame = false, window = false, hash = false, fixed_text = false;
    bool frames_given = false;  // in a window, stop after the path (else run until Escape)
    std::string library = RUVO_DEMO_LIBRARY;
    std::string font = RUVO_DEMO_FONT;
};

[[noreturn]] void Fail(const std::string &what) {
    std::fprintf(stderr, "ruvo-demo: %s\n", what.c_str());
    std::exit(1);
}

Options Parse(int argc, char **argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Fail(a + " needs a value");
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (a == "--frames-count") {
            o.frames = std::atoi(value().c_str());
            o.frames_given = true;
            if (o.frames < 1 || o.frames > 100000) Fail("--frames-count must be 1..100000");
        } else if (a == "--out") {
            o.out = value();
        } else if (a == "--frames") {
            o.every_frame = true;
        } else if (a == "--window") {
            o.window = true;
        } else if (a == "--hash") {
            o.hash = true;
        } else if (a == "--fixed-text") {
            o.fixed_text = true;
        } else if (a == "--library") {
            o.library = value();
        } else if (a == "--font") {
            o.font = value();
        } else {
            Fail("unknown option " + a + " (see --help)");
        }
    }
    return o;
}

RuvoDrawBlock *LoadLibrary(const std::string &path) {
    void *library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) Fail(dlerror());
    void *symbol = dlsym(library, "RuvoDraw_Init");
    if (!symbol) Fail(path + " has no RuvoDraw_Init");
    RuvoDrawBlock *(RUVO_CDECL * init)(void);
    std::memcpy(&init, &symbol, sizeof init);
    return init();
}

// What the display shows: the primary surface, read while locked.
std::vector<uint16_t> ReadDisplay(RuvoDrawBlock *db) {
    std::vector<uint16_t> pixels(1024 * 768);
    if (db->OperationSlot.Op.LockPrimary() != 1) Fail("cannot lock the display surface");
    const auto *base = static_cast<const uint8_t *>(db->SurfacePointer);
    for (int y = 0; y < 768; ++y) std::memcpy(&pixels[y * 1024], base + y * db->SurfacePitch, 2048);
    db->OperationSlot.Op.UnlockPrimary();
    return pixels;
}

void WriteFrame(const std::string &path, const std::vector<uint16_t> &pixels) {
    const std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    ruvo::media::WritePng565(path, 1024, 768, pixels.data(), 1024);
}

// A progress bar redrawn in place on a terminal; in a log, a line per tenth.
void Progress(int done, int total) {
    constexpr int kWidth = 40;
    const int filled = done * kWidth / total;
    if (!isatty(2)) {
        if (done * 10 / total != (done - 1) * 10 / total || done == total) {
            std::fprintf(stderr, "[%.*s%.*s] %d/%d\n", filled,
                         "########################################", kWidth - filled,
                         "........................................", done, total);
        }
        return;
    }
    std::fprintf(stderr, "\r[%.*s%.*s] %d/%d", filled, "########################################",
                 kWidth - filled, "........................................", done, total);
    if (done == total) std::fputc('\n', stderr);
}

}  // namespace

int main(int argc, char **argv) {
    const Options options = Parse(argc, argv);
    using Clock = std::chrono::steady_clock;
    RuvoDrawBlock *db = LoadLibrary(options.library);
    RuvoOperations &op = db->OperationSlot.Op;

    const auto art_start = Clock::now();
    demo::Art art;
    try {
        art = demo::BuildArt(options.font, options.font);
    } catch (const ruvo::assets::AssetError &e) {
        Fail(std::string(e.what()) + " (make demo installs fonts-dejavu-core)");
    }
    const double art_ms =
        std::chrono::duration<double, std::milli>(Clock::now() - art_start).count();

    void *window = nullptr;
#if RUVO_DEMO_WINDOW
    SDL_Window *sdl_window = nullptr;
    if (options.window) {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) Fail(std::string("SDL: ") + SDL_GetError());
        sdl_window = SDL_CreateWindow("ruvo-demo", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                      1024, 768, SDL_WINDOW_SHOWN);
        if (!sdl_window) Fail(std::string("SDL: ") + SDL_GetError());
        window = sdl_window;
    }
#else
    if (options.window) Fail("built without SDL2: --window is not available");
#endif
    if (op.OpenDisplay(window, 0) != 1) Fail("OpenDisplay failed");
    if (op.SetScreenMode(1024, 768) != 1) Fail("SetScreenMode failed");

    // The host's 5-6-5 tables in the display's own format.
    demo::LoadTables(db, art);

    demo::Scene scene(db, art);
    scene.Start(demo::kStartX, demo::kStartY);

    demo::PhaseTimes times;
    std::string status = "frame 0";
    double total = 0;
    int frames = 0;
    bool running = true;
    for (int k = 1; running && ((options.window && !options.frames_given) || k <= options.frames);
         ++k) {
        const int step = (k - 1) % options.frames + 1;
        auto [px, py] = demo::PathAt(step, options.frames);
        auto [qx, qy] = demo::PathAt(step - 1, options.frames);
        int32_t dx = px - qx, dy = py - qy;
#if RUVO_DEMO_WINDOW
        if (options.window) {
            SDL_Event event;
            while (SDL_PollEvent(&event)) {
                if (event.type == SDL_QUIT) running = false;
                if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
                    running = false;
            }
            const Uint8 *keys = SDL_GetKeyboardState(nullptr);
            const int32_t kx =
                (keys[SDL_SCANCODE_RIGHT] ? 8 : 0) - (keys[SDL_SCANCODE_LEFT] ? 8 : 0);
            const int32_t ky = (keys[SDL_SCANCODE_DOWN] ? 8 : 0) - (keys[SDL_SCANCODE_UP] ? 8 : 0);
            if (kx || ky) dx = kx, dy = ky;
        }
#endif
        status = demo::StatusLine(k, options.frames, options.fixed_text, frames, total, times);
        const auto frame_start = Clock::now();
        scene.Frame(dx, dy, k, status, times);
        total += std::chrono::duration<double>(Clock::now() - frame_start).count();
        ++frames;
        if (options.every_frame) {
            char name[64];
            std::snprintf(name, sizeof name, "out/frames/frame-%04d.png", k);
            WriteFrame(name, ReadDisplay(db));
        }
        if (!options.window) Progress(k, options.frames);
    }

    const std::vector<uint16_t> picture = ReadDisplay(db);
    WriteFrame(options.out, picture);
    const double n = frames;
    std::printf("assets built in %.1f ms\n", art_ms);
    std::printf("%d frames in %.3f s: %.1f frames per second\n", frames, total, n / total);
    std::printf("per frame: tiles %.3f ms, sprites %.3f ms, text %.3f ms, presentation %.3f ms\n",
                times.tiles * 1e3 / n, times.sprites * 1e3 / n, times.text * 1e3 / n,
                times.present * 1e3 / n);
    std::printf("wrote %s\n", options.out.c_str());
    if (options.hash)
        std::printf("frame hash %016llx\n",
                    (unsigned long long)demo::Fnv1a(picture.data(), picture.size()));
    op.CloseDisplay();
#if RUVO_DEMO_WINDOW
    if (sdl_window) {
        SDL_DestroyWindow(sdl_window);
        SDL_Quit();
    }
#endif
    return 0;
}
