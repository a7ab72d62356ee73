// ruvo-demo in a browser: the same scene, camera path and frame as the native
// demo, drawn by the library compiled to WebAssembly and shown on the page's
// canvas through the web display. The assets come embedded in the module
// (demo-art.bin, built by the native ruvo-demo-art); nothing is fetched.
//
// Options come from the page's address (?frames-count=48&fixed-text&stop):
//   frames-count N  steps of the camera path (default 360); the path repeats
//   fixed-text      no timings in the picture (for a repeatable frame)
//   stop            stop after the path and publish the last frame's hashes
// The arrow keys scroll instead of the path while held.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "demo/demo_art_file.h"
#include "demo/demo_scene.h"
#include "ruvodraw1024.h"

namespace {

constexpr const char *kCanvas = "#screen";
constexpr int kWidth = 1024, kHeight = 768;

// clang-format off
// Sets the text of the page element with this id.
EM_JS(void, SetText, (const char *id, const char *text), {
    var e = document.getElementById(UTF8ToString(id));
    if (e) e.textContent = UTF8ToString(text);
});

// Reads the canvas back into 5-6-5 pixels: what the page shows, not what the
// library wrote. Each 8-bit channel holds its 5-6-5 bits at the top.
EM_JS(int, ReadCanvas, (const char *selector, uint16_t *out, int width, int height), {
    var canvas = document.querySelector(UTF8ToString(selector));
    if (!canvas) return 0;
    var rgba = canvas.getContext("2d").getImageData(0, 0, width, height).data;
    var base = out >> 1;
    for (var i = 0, n = width * height; i < n; ++i) {
        var r = rgba[4 * i], g = rgba[4 * i + 1], b = rgba[4 * i + 2];
        HEAPU16[base + i] = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    }
    return 1;
});

EM_JS(void, MarkDone, (void), { document.title = "done: " + document.title; });
// clang-format on

struct Options {
    int frames = 360;
    bool fixed_text = false, stop = false;
};

struct Demo {
    Options options;
    RuvoDrawBlock *db = nullptr;
    demo::Art art;
    demo::Scene *scene = nullptr;
    demo::PhaseTimes times;
    double total = 0;  // seconds in Frame
    int k = 0;         // frames drawn
    int keys_x = 0, keys_y = 0;
    bool left = false, right = false, up = false, down = false;
};
Demo theDemo;

using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const std::string &what) {
    SetText("status", ("ruvo-demo: " + what).c_str());
    std::fprintf(stderr, "ruvo-demo: %s\n", what.c_str());
    std::exit(1);
}

Options Parse(int argc, char **argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--frames-count" && i + 1 < argc) {
            o.frames = std::atoi(argv[++i]);
            if (o.frames < 1 || o.frames > 100000) Fail("--frames-count must be 1..100000");
        } else if (a == "--fixed-text") {
            o.fixed_text = true;
        } else if (a == "--stop") {
            o.stop = true;
        } else {
            Fail("unknown option " + a);
        }
    }
    return o;
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent *e, void *) {
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    Demo &d = theDemo;
    if (!std::strcmp(e->key, "ArrowLeft")) {
        d.left = down;
    } else if (!std::strcmp(e->key, "ArrowRight")) {
        d.right = down;
    } else if (!std::strcmp(e->key, "ArrowUp")) {
        d.up = down;
    } else if (!std::strcmp(e->key, "ArrowDown")) {
        d.down = down;
    } else {
        return EM_FALSE;
    }
    return EM_TRUE;  // the page itself does not scroll
}

// The hashes of the last frame: of the canvas as read back, and of the
// display's surface.
void Publish() {
    Demo &d = theDemo;
    static uint16_t pixels[kWidth * kHeight];
    if (!ReadCanvas(kCanvas, pixels, kWidth, kHeight)) Fail("cannot read the canvas back");
    const uint64_t canvas = demo::Fnv1a(pixels, kWidth * kHeight);
    RuvoOperations &op = d.db->OperationSlot.Op;
    if (op.LockPrimary() != 1) Fail("cannot lock the display surface");
    const auto *base = static_cast<const uint8_t *>(d.db->SurfacePointer);
    for (int y = 0; y < kHeight; ++y) {
        std::memcpy(&pixels[y * kWidth], base + y * d.db->SurfacePitch, 2 * kWidth);
    }
    op.UnlockPrimary();
    const uint64_t surface = demo::Fnv1a(pixels, kWidth * kHeight);
    char line[160];
    std::snprintf(line, sizeof line, "frame %d canvas %016llx surface %016llx fps %.1f", d.k,
                  static_cast<unsigned long long>(canvas), static_cast<unsigned long long>(surface),
                  d.k / d.total);
    SetText("result", line);
    MarkDone();
}

void Frame() {
    Demo &d = theDemo;
    const int k = ++d.k;
    const int n = d.options.frames;
    const int step = (k - 1) % n + 1;
    auto [px, py] = demo::PathAt(step, n);
    auto [qx, qy] = demo::PathAt(step - 1, n);
    int32_t dx = px - qx, dy = py - qy;
    const int32_t kx = (d.right ? 8 : 0) - (d.left ? 8 : 0);
    const int32_t ky = (d.down ? 8 : 0) - (d.up ? 8 : 0);
    if (kx || ky) dx = kx, dy = ky;

    const std::string status =
        demo::StatusLine(k, n, d.options.fixed_text, k - 1, d.total, d.times);
    const auto start = Clock::now();
    d.scene->Frame(dx, dy, k, status, d.times);
    d.total += std::chrono::duration<double>(Clock::now() - start).count();

    char line[200];
    std::snprintf(line, sizeof line,
                  "frame %d  %.1f fps  tiles %.2f  sprites %.2f  text %.2f  presentation %.2f ms",
                  k, k / d.total, d.times.tiles * 1e3 / k, d.times.sprites * 1e3 / k,
                  d.times.text * 1e3 / k, d.times.present * 1e3 / k);
    SetText("status", line);

    if (d.options.stop && k == n) {
        emscripten_cancel_main_loop();
        Publish();
    }
}

std::vector<uint8_t> ReadFile(const char *path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char **argv) {
    Demo &d = theDemo;
    d.options = Parse(argc, argv);
    if (!demo::ReadArt(ReadFile("/demo-art.bin"), d.art)) Fail("the embedded assets are damaged");

    d.db = RuvoDraw_Init();
    RuvoOperations &op = d.db->OperationSlot.Op;
    // On the web a window is the canvas's selector.
    if (op.OpenDisplay(const_cast<char *>(kCanvas), 0) != 1) Fail("OpenDisplay failed");
    if (op.SetScreenMode(kWidth, kHeight) != 1) Fail("SetScreenMode failed");
    demo::LoadTables(d.db, d.art);

    static demo::Scene scene(d.db, d.art);
    d.scene = &scene;
    scene.Start(demo::kStartX, demo::kStartY);

    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
    emscripten_set_main_loop(Frame, 0, EM_FALSE);  // one frame per display refresh
    return 0;
}
