// The web display in a real browser: OpenDisplay and SetScreenMode on the
// page's canvases, failures included, and what reaches the canvas, read back
// pixel for pixel. Publishes "pass: N checks" or the failures in #result.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ruvodraw1024.h"

namespace {

// clang-format off
// The canvas's drawing-buffer size and its style's position.
EM_JS(int, CanvasWidth, (const char *id), { return document.getElementById(UTF8ToString(id)).width; });
EM_JS(int, CanvasHeight, (const char *id), { return document.getElementById(UTF8ToString(id)).height; });
EM_JS(int, CanvasCovers, (const char *id), {
    return document.getElementById(UTF8ToString(id)).style.position === "fixed" ? 1 : 0;
});

// Reads a rectangle of the canvas back as 5-6-5 pixels.
EM_JS(void, ReadCanvas, (const char *id, int x, int y, int w, int h, uint16_t *out), {
    var rgba = document.getElementById(UTF8ToString(id)).getContext("2d").getImageData(x, y, w, h).data;
    for (var i = 0; i < w * h; ++i) {
        HEAPU16[(out >> 1) + i] = ((rgba[4 * i] >> 3) << 11) | ((rgba[4 * i + 1] >> 2) << 5) | (rgba[4 * i + 2] >> 3);
    }
});

EM_JS(void, Publish, (const char *text), {
    document.getElementById("result").textContent = UTF8ToString(text);
    document.title = "done";
});
// clang-format on

int checks = 0;
std::string failures;

void Check(bool ok, const char *what) {
    ++checks;
    if (!ok) failures += std::string(failures.empty() ? "" : "; ") + what;
}

char *Window(const char *selector) { return const_cast<char *>(selector); }

}  // namespace

int main() {
    RuvoDrawBlock *db = RuvoDraw_Init();
    RuvoOperations &op = db->OperationSlot.Op;

    // Nothing to open: no such element, not a canvas, not a selector.
    Check(op.SetScreenMode(1024, 768) == 0, "SetScreenMode before OpenDisplay fails");
    Check(op.OpenDisplay(Window("#missing"), 0) == 0, "no element: OpenDisplay fails");
    Check(op.OpenDisplay(Window("#result"), 0) == 0, "not a canvas: OpenDisplay fails");
    Check(op.OpenDisplay(Window("##"), 0) == 0, "bad selector: OpenDisplay fails");
    Check(db->DirectDrawObject == nullptr, "a failed OpenDisplay leaves no display object");
    Check(op.LockPrimary() == 0 && db->SurfacePointer == nullptr, "no display: LockPrimary fails");

    // A window: the canvas takes the mode's size; the surface is 5-6-5.
    Check(op.OpenDisplay(Window("#screen"), 0) == 1, "OpenDisplay on a canvas");
    Check(op.SetScreenMode(800, 600) == 1, "SetScreenMode(800, 600)");
    Check(CanvasWidth("screen") == 800 && CanvasHeight("screen") == 600, "canvas sized 800 x 600");
    Check(!CanvasCovers("screen"), "a window does not cover the page");
    Check(db->ClipRight == 799 && db->ClipBottom == 599, "clip rectangle of the mode");
    Check((db->RedMask & 0xFFFF) == 0xF800 && (db->GreenMask & 0xFFFF) == 0x07E0 &&
              (db->BlueMask & 0xFFFF) == 0x001F,
          "5-6-5 format analysed");
    Check(op.SetScreenMode(1025, 768) == 0 && op.SetScreenMode(800, 0) == 0,
          "modes beyond the layers fail");
    Check(op.SetScreenMode(1024, 768) == 1, "SetScreenMode(1024, 768)");

    // Every colour reaches the canvas and reads back exactly: a 256 x 256
    // image of all 65,536 values through PresentImage.
    std::vector<uint16_t> all(65536), back(65536);
    for (int i = 0; i < 65536; ++i) all[i] = static_cast<uint16_t>(i);
    op.PresentImage(0, 0, 256, 256, 300, 200, 256, all.data());
    ReadCanvas("screen", 300, 200, 256, 256, back.data());
    int wrong = 0;
    for (int i = 0; i < 65536; ++i) wrong += back[i] != all[i];
    Check(wrong == 0, "all 65,536 colours read back from the canvas");

    // The layer through PresentRect, with the surface locked by the host:
    // nothing shows until the host unlocks.
    op.FillRect(0, 0, 64, 8, 0x07E0);
    Check(op.LockPrimary() == 1 && db->SurfacePitch == 2048, "LockPrimary, pitch 2048");
    void *locked = db->SurfacePointer;
    Check(op.PresentRect(0, 0, 64, 8) == 0 && db->SurfacePointer == locked,
          "PresentRect keeps the host's lock");
    uint16_t pixel = 0;
    ReadCanvas("screen", 5, 5, 1, 1, &pixel);
    Check(pixel != 0x07E0, "not shown while locked");
    Check(op.UnlockPrimary() == 0 && db->SurfacePointer == nullptr, "UnlockPrimary");
    ReadCanvas("screen", 5, 5, 1, 1, &pixel);
    Check(pixel == 0x07E0, "shown at unlock");

    // Exclusive: the canvas covers the page at the mode; closing puts it back.
    Check(op.OpenDisplay(Window("#screen"), 1) == 1 && db->ExclusiveMode == 1, "exclusive open");
    Check(op.SetScreenMode(640, 480) == 1, "exclusive SetScreenMode(640, 480)");
    Check(CanvasCovers("screen") && CanvasWidth("screen") == 640, "exclusive covers the page");
    op.CloseDisplay();
    Check(!CanvasCovers("screen"), "CloseDisplay restores the canvas's style");
    Check(db->DirectDrawObject == nullptr && db->PrimarySurface == nullptr, "closed");
    Check(op.PresentRect(0, 0, 64, 8) == 0 && op.LockPrimary() == 0, "closed: nothing to lock");

    // ReleaseDisplay leaves the mode: the canvas covers the page until a
    // later exclusive display is closed.
    Check(op.OpenDisplay(Window("#screen"), 1) == 1 && op.SetScreenMode(640, 480) == 1,
          "exclusive again");
    op.ReleaseDisplay();
    Check(CanvasCovers("screen"), "ReleaseDisplay keeps the mode");
    Check(op.OpenDisplay(Window("#screen"), 1) == 1, "opened again after ReleaseDisplay");
    op.CloseDisplay();
    Check(!CanvasCovers("screen"), "closing the later display restores the style");

    // Another canvas, then released.
    Check(op.OpenDisplay(Window("#other"), 0) == 1 && op.SetScreenMode(320, 200) == 1,
          "a second canvas");
    Check(CanvasWidth("other") == 320 && CanvasWidth("screen") == 640, "only that canvas sized");
    op.ReleaseDisplay();
    Check(op.LockPrimary() == 0, "released: LockPrimary fails");

    char line[64];
    std::snprintf(line, sizeof line, "pass: %d checks", checks);
    Publish(failures.empty() ? line : ("FAIL: " + failures).c_str());
    return 0;
}
