// Writes a few small, valid traces into a directory: the trace fuzzer's
// starting corpus. usage: trace_fuzz_seeds DIR
#include <cstddef>
#include <cstdio>
#include <string>

#include "tools/trace/trace_file.h"

using namespace ruvo::trace;

namespace {

void Seed(const std::string &path, int calls) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    TraceWriter w(f);
    w.Init();
    const uint8_t clip[8] = {0, 0, 0, 0, 0xFF, 0x01, 0, 0};
    w.Write(offsetof(RuvoDrawBlock, ClipLeft) + 4, w.Blob(clip));
    const uint8_t sprite[16] = {0, 0, 0, 0, 2, 0, 1, 0, 0xA1, 5, 0, 0x83, 0x05, 0x01, 0x07, 0};
    const uint8_t colours[512] = {1, 2, 3};
    for (int i = 0; i < calls; ++i) {
        CallEvent c;
        c.slot = RUVO_SLOT_DrawScreenSprite;
        c.arg_count = 4;
        c.args[0] = uint32_t(i), c.args[1] = uint32_t(-i);
        c.groups.push_back({GroupKind::kHost, 0, w.Blob(colours)});
        c.groups.push_back({GroupKind::kHost, 0, w.Blob(sprite)});
        c.pointers.push_back({2, 0, 0});
        c.pointers.push_back({3, 1, 0});
        w.Call(c);
        CallEvent p;
        p.slot = RUVO_SLOT_PresentImage;
        p.arg_count = 8;
        p.args[2] = 4, p.args[3] = 1, p.args[6] = 4;
        p.groups.push_back({GroupKind::kLayers, 64, kNoBlob});
        p.pointers.push_back({7, 0, 0});
        w.Call(p);
        w.Frame(true, 0x0123456789ABCDEFull, 4, 1);
    }
    w.End();
    std::fclose(f);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) return 2;
    const std::string dir = argv[1];
    Seed(dir + "/trace-0", 0);
    Seed(dir + "/trace-1", 1);
    Seed(dir + "/trace-3", 3);
    return 0;
}
