// ruvo-trace: records a host's calls into the library, replays them against
// any build, compares two builds call by call, and profiles a recorded frame.
// See --help.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tools/assets/asset_error.h"
#include "tools/media/png_io.h"
#include "tools/trace/display_read.h"
#include "tools/trace/profile_chart.h"
#include "tools/trace/replayer.h"
#include "tools/trace/slot_calls.h"
#include "tools/trace/trace_file.h"

namespace {

using namespace ruvo::trace;
namespace fs = std::filesystem;

constexpr const char *kUsage =
    "usage: ruvo-trace COMMAND ...\n"
    "  record -o FILE [--library LIB] [--preload] -- HOST ARGS...\n"
    "      runs HOST with the tracing library and writes its calls to FILE. An argument\n"
    "      @tracer is replaced by the tracing library's path (for hosts that take the\n"
    "      library's path); hosts that load libruvodraw1024.so by name find the tracer\n"
    "      first; --preload also preloads it (hosts linked with -lruvodraw1024).\n"
    "      LIB is the library the tracer forwards to (default: this build's).\n"
    "  replay FILE [--library LIB] [--frames DIR]\n"
    "      replays FILE headless, checks every frame against the recording and\n"
    "      writes each frame to DIR/frame-NNNN.png\n"
    "  compare FILE LIB_A LIB_B\n"
    "      replays FILE against both and names the first call whose result differs\n"
    "  profile FILE [--library LIB] [--csv] [--chart PNG]\n"
    "      replays FILE with timing: calls, changed pixels and time per slot and\n"
    "      per frame, most costly first; --csv prints frame,slot rows instead;\n"
    "      --chart draws where a frame's time goes\n";

[[noreturn]] void Fail(const std::string &what, int status = 1) {
    std::fprintf(stderr, "ruvo-trace: %s\n", what.c_str());
    std::exit(status);
}

[[noreturn]] void Usage(const std::string &what) { Fail(what + " (see --help)", 2); }

struct Loaded {
    std::vector<uint8_t> bytes;
    Trace trace;
};

Loaded Load(const std::string &path) {
    Loaded l;
    try {
        l.bytes = ReadTraceFile(path);
        l.trace = ParseTrace(l.bytes);
    } catch (const TraceError &e) {
        Fail(path + ": " + e.what());
    }
    return l;
}

std::string Describe(const CallEvent &call) {
    std::string s = SlotName(call.slot);
    s += "(";
    for (int i = 0; i < call.arg_count; ++i) {
        char v[32];
        if (kPointerArgs[call.slot] >> i & 1) {
            std::snprintf(v, sizeof v, "%s0x%llx", i ? ", " : "", (unsigned long long)call.args[i]);
        } else {
            std::snprintf(v, sizeof v, "%s%d", i ? ", " : "", int32_t(uint32_t(call.args[i])));
        }
        s += v;
    }
    return s + ")";
}

// ---- record ----------------------------------------------------------------

int Record(int argc, char **argv) {
    std::string out, library = RUVO_TRACE_DEFAULT_LIBRARY;
    bool preload = false;
    int i = 0;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") {
            ++i;
            break;
        } else if (a == "-o" && i + 1 < argc) {
            out = argv[++i];
        } else if (a == "--library" && i + 1 < argc) {
            library = argv[++i];
        } else if (a == "--preload") {
            preload = true;
        } else {
            Usage("record: unknown option " + a);
        }
    }
    if (out.empty()) Usage("record needs -o FILE");
    if (i >= argc) Usage("record needs -- HOST ARGS...");
    const std::string tracer = RUVO_TRACE_TRACER;
    if (!fs::exists(library)) Fail("no library at " + library);

    // A directory in which libruvodraw1024.so is the tracer.
    char dir[] = "/tmp/ruvo-trace-record-XXXXXX";
    if (!mkdtemp(dir)) Fail("cannot make a temporary directory");
    fs::create_symlink(fs::absolute(tracer), fs::path(dir) / "libruvodraw1024.so");

    const std::string out_path = fs::absolute(out).string();
    fs::remove(out_path);
    setenv("RUVO_TRACE_OUT", out_path.c_str(), 1);
    setenv("RUVO_TRACE_LIBRARY", fs::absolute(library).c_str(), 1);
    const char *old_path = std::getenv("LD_LIBRARY_PATH");
    setenv("LD_LIBRARY_PATH",
           (std::string(dir) + (old_path ? ":" + std::string(old_path) : "")).c_str(), 1);
    if (preload) {
        const char *old = std::getenv("LD_PRELOAD");
        setenv("LD_PRELOAD",
               (fs::absolute(tracer).string() + (old ? ":" + std::string(old) : "")).c_str(), 1);
    }
    std::vector<std::string> host_args(argv + i, argv + argc);
    for (std::string &a : host_args) {
        if (a == "@tracer") a = fs::absolute(tracer).string();
    }
    std::vector<char *> host_argv;
    host_argv.reserve(host_args.size() + 1);
    for (std::string &a : host_args) host_argv.push_back(a.data());
    host_argv.push_back(nullptr);
    pid_t pid;
    const int spawned =
        posix_spawnp(&pid, host_argv[0], nullptr, nullptr, host_argv.data(), environ);
    int status = 0;
    if (spawned == 0) waitpid(pid, &status, 0);
    fs::remove_all(dir);
    if (spawned != 0) Fail("cannot run " + host_args[0] + ": " + std::strerror(spawned));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "ruvo-trace: the host ended with status %d\n",
                     WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
    if (!fs::exists(out_path)) {
        Fail(
            "the host never called the tracer's RuvoDraw_Init (give @tracer where it takes the "
            "library's path, or --preload)");
    }
    const Loaded l = Load(out_path);
    std::printf(
        "recorded %u calls, %u frames, %zu distinct pieces of host memory (%zu bytes) to %s\n",
        l.trace.calls, l.trace.frames, l.trace.blobs.size(), l.bytes.size(), out.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// ---- replay ----------------------------------------------------------------

int Replay(int argc, char **argv) {
    std::string file, library = RUVO_TRACE_DEFAULT_LIBRARY, frames_dir;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--library" && i + 1 < argc) {
            library = argv[++i];
        } else if (a == "--frames" && i + 1 < argc) {
            frames_dir = argv[++i];
        } else if (file.empty() && a[0] != '-') {
            file = a;
        } else {
            Usage("replay: unexpected " + a);
        }
    }
    if (file.empty()) Usage("replay needs a trace file");
    const Loaded l = Load(file);
    Replayer r(library);
    if (!frames_dir.empty()) fs::create_directories(frames_dir);
    std::vector<uint16_t> pixels;
    uint32_t checked = 0, differ = 0, first_differ = 0;
    for (const Event &e : l.trace.events) {
        if (e.tag != Tag::kFrame) {
            r.Apply(l.trace, e);
            continue;
        }
        if (!r.Frame(e, pixels)) continue;
        if (e.has_hash) {
            ++checked;
            if (FrameHash(pixels) != e.hash && !differ++) first_differ = e.number;
        }
        if (!frames_dir.empty()) {
            char name[32];
            std::snprintf(name, sizeof name, "frame-%04u.png", e.number);
            ruvo::media::WritePng565((fs::path(frames_dir) / name).string(), int32_t(e.width),
                                     int32_t(e.height), pixels.data(), int32_t(e.width));
        }
    }
    std::printf("replayed %u calls and %u frames against %s\n", l.trace.calls, l.trace.frames,
                library.c_str());
    if (!pixels.empty())
        std::printf("last frame hash %016llx\n", (unsigned long long)FrameHash(pixels));
    if (differ) {
        std::printf("%u of %u frames differ from the recording, the first is frame %u\n", differ,
                    checked, first_differ);
        return 1;
    }
    std::printf("%u of %u frames checked against the recording: all equal\n", checked,
                l.trace.frames);
    return 0;
}

// ---- compare ---------------------------------------------------------------

// The first difference between two layers: bounding rectangle of the
// differing cells in logical coordinates, and the first in storage order.
bool LayerDiffers(const char *name, const uint16_t *a, const uint16_t *b, int32_t scroll,
                  std::string &report) {
    constexpr size_t kCells = RUVO_LAYER_BYTES / 2;
    if (std::memcmp(a, b, kCells * 2) == 0) return false;
    int32_t x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    size_t first = kCells, count = 0;
    for (size_t c = 0; c < kCells; ++c) {
        if (a[c] == b[c]) continue;
        int32_t x, y;
        LogicalPosition(scroll, c, x, y);
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        if (first == kCells) first = c;
        ++count;
    }
    int32_t fx, fy;
    LogicalPosition(scroll, first, fx, fy);
    char line[256];
    std::snprintf(line, sizeof line,
                  "%s differs in %zu cells within x %d..%d, y %d..%d; first at (%d, %d): "
                  "0x%04X against 0x%04X",
                  name, count, x0, x1, y0, y1, fx, fy, a[first], b[first]);
    report = line;
    return true;
}

bool RecordDiffers(const RuvoDrawBlock *a, const RuvoDrawBlock *b, std::string &report) {
    const auto *pa = reinterpret_cast<const uint8_t *>(a),
               *pb = reinterpret_cast<const uint8_t *>(b);
    for (size_t i = 0; i < sizeof(RuvoDrawBlock); ++i) {
        if (pa[i] != pb[i] && !TouchesPointerField(i, 1)) {
            report = "the record differs at byte +" + std::to_string(i);
            return true;
        }
    }
    return false;
}

int Compare(int argc, char **argv) {
    if (argc != 3) Usage("compare needs FILE LIB_A LIB_B");
    const Loaded l = Load(argv[0]);
    const std::string lib_a = argv[1], lib_b = argv[2];
    for (const std::string &lib : {lib_a, lib_b}) {
        if (!fs::exists(lib)) Fail("no library at " + lib);
    }
    Replayer a(lib_a);
    Replayer b(lib_b, fs::equivalent(lib_a, lib_b));
    std::vector<uint16_t> pa, pb;
    uint32_t calls = 0, frames = 0;
    for (const Event &e : l.trace.events) {
        std::string report;
        if (e.tag == Tag::kCall) {
            ++calls;
            const uint32_t ra = a.Call(l.trace, e.call), rb = b.Call(l.trace, e.call);
            if (ra != rb) {
                report = "the result differs: " + std::to_string(int32_t(ra)) + " against " +
                         std::to_string(int32_t(rb));
            }
            const RuvoDrawBlock *da = a.block(), *db = b.block();
            const char *names[3] = {"ScreenLayer", "BackLayer", "DepthLayer"};
            const uint16_t *la[3] = {da->ScreenLayer, da->BackLayer, da->DepthLayer};
            const uint16_t *lb[3] = {db->ScreenLayer, db->BackLayer, db->DepthLayer};
            for (int k = 0; k < 3 && report.empty(); ++k) {
                LayerDiffers(names[k], la[k], lb[k], da->ScrollOffset, report);
            }
            if (report.empty()) RecordDiffers(da, db, report);
            for (size_t g = 0; g < a.buffers().size() && report.empty(); ++g) {
                const auto &ba = a.buffers()[g], &bb = b.buffers()[g];
                for (size_t k = 0; k < ba.size(); ++k) {
                    if (ba[k] != bb[k]) {
                        uint8_t arg = 0;
                        for (const PointerArg &p : e.call.pointers) {
                            if (p.group == g) arg = p.arg;
                        }
                        report = "host memory differs at byte " + std::to_string(k) +
                                 " of the piece given as argument " + std::to_string(arg) +
                                 (arg == kDescBase ? " (the SurfaceDesc's image)" : "") + ": " +
                                 std::to_string(ba[k]) + " against " + std::to_string(bb[k]);
                        break;
                    }
                }
            }
            if (!report.empty()) {
                std::printf("call %u (frame %u) %s\n  %s\n", calls, frames + 1,
                            Describe(e.call).c_str(), report.c_str());
                return 1;
            }
        } else if (e.tag == Tag::kFrame) {
            ++frames;
            const bool ha = a.Frame(e, pa), hb = b.Frame(e, pb);
            if (ha != hb || pa != pb) {
                size_t k = 0;
                while (k < std::min(pa.size(), pb.size()) && pa[k] == pb[k]) ++k;
                std::printf("frame %u: the displayed picture differs, first at (%zu, %zu)\n",
                            frames, k % std::max<uint32_t>(e.width, 1),
                            k / std::max<uint32_t>(e.width, 1));
                return 1;
            }
        } else {
            a.Apply(l.trace, e);
            b.Apply(l.trace, e);
        }
    }
    std::printf("%s and %s agree on all %u calls and %u frames\n", lib_a.c_str(), lib_b.c_str(),
                calls, frames);
    return 0;
}

// ---- profile ---------------------------------------------------------------

// Cells of the three layers that differ from the copy taken after the last
// call; the copy is brought up to date on the way. Blocks are compared
// whole first: most calls change a small part of the layers.
size_t ChangedCells(const RuvoDrawBlock *db, std::vector<uint16_t> &copy) {
    constexpr size_t kCells = RUVO_LAYER_BYTES / 2, kBlock = 512;
    const uint16_t *layers[3] = {db->ScreenLayer, db->BackLayer, db->DepthLayer};
    if (copy.empty()) {
        copy.resize(3 * kCells);
        for (int k = 0; k < 3; ++k) std::memcpy(&copy[k * kCells], layers[k], kCells * 2);
        return 0;
    }
    size_t n = 0;
    for (int k = 0; k < 3; ++k) {
        uint16_t *was = copy.data() + k * kCells;
        const uint16_t *now = layers[k];
        for (size_t b = 0; b < kCells; b += kBlock) {
            if (std::memcmp(was + b, now + b, kBlock * 2) == 0) continue;
            for (size_t c = b; c < b + kBlock; ++c) n += was[c] != now[c];
            std::memcpy(was + b, now + b, kBlock * 2);
        }
    }
    return n;
}

int Profile(int argc, char **argv) {
    std::string file, library = RUVO_TRACE_DEFAULT_LIBRARY, chart;
    bool csv = false;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--library" && i + 1 < argc) {
            library = argv[++i];
        } else if (a == "--chart" && i + 1 < argc) {
            chart = argv[++i];
        } else if (a == "--csv") {
            csv = true;
        } else if (file.empty() && a[0] != '-') {
            file = a;
        } else {
            Usage("profile: unexpected " + a);
        }
    }
    if (file.empty()) Usage("profile needs a trace file");
    const Loaded l = Load(file);

    // Two instances: one timed, one that counts changed cells (its copies of
    // the layers would disturb the caches of the timed one).
    Replayer timed(library), counted(library, true);
    const uint32_t frame_count = l.trace.frames + 1;  // calls after the last mark count as one more
    std::vector<std::vector<SlotCost>> per_frame(frame_count,
                                                 std::vector<SlotCost>(RUVO_SLOT_COUNT));
    uint32_t frame = 0;
    std::vector<uint16_t> layers;
    for (const Event &e : l.trace.events) {
        if (e.tag == Tag::kFrame) {
            ++frame;
            continue;
        }
        if (e.tag != Tag::kCall) {
            timed.Apply(l.trace, e);
            counted.Apply(l.trace, e);
            continue;
        }
        std::chrono::nanoseconds ns{};
        timed.Call(l.trace, e.call, &ns);
        if (layers.empty() && counted.block()) ChangedCells(counted.block(), layers);
        counted.Call(l.trace, e.call);
        SlotCost &c = per_frame[frame][e.call.slot];
        ++c.calls;
        c.pixels += ChangedCells(counted.block(), layers);
        c.nanoseconds += uint64_t(ns.count());
    }
    const bool trailing = std::any_of(per_frame.back().begin(), per_frame.back().end(),
                                      [](const SlotCost &c) { return c.calls > 0; });
    if (!trailing) per_frame.pop_back();

    if (csv) {
        std::printf("frame,slot,name,calls,pixels,nanoseconds\n");
        for (size_t f = 0; f < per_frame.size(); ++f) {
            for (int s = 0; s < RUVO_SLOT_COUNT; ++s) {
                const SlotCost &c = per_frame[f][s];
                if (!c.calls) continue;
                std::printf("%zu,%d,%s,%llu,%llu,%llu\n", f + 1, s, SlotName(s),
                            (unsigned long long)c.calls, (unsigned long long)c.pixels,
                            (unsigned long long)c.nanoseconds);
            }
        }
    } else {
        std::vector<SlotCost> total(RUVO_SLOT_COUNT);
        for (const auto &f : per_frame) {
            for (int s = 0; s < RUVO_SLOT_COUNT; ++s) {
                total[s].calls += f[s].calls, total[s].pixels += f[s].pixels;
                total[s].nanoseconds += f[s].nanoseconds;
            }
        }
        std::vector<int> order;
        uint64_t all_ns = 0;
        for (int s = 0; s < RUVO_SLOT_COUNT; ++s) {
            if (total[s].calls) order.push_back(s);
            all_ns += total[s].nanoseconds;
        }
        std::sort(order.begin(), order.end(),
                  [&](int x, int y) { return total[x].nanoseconds > total[y].nanoseconds; });
        const double frames = std::max<uint32_t>(l.trace.frames, 1);
        std::printf("%-30s %10s %14s %12s %12s %7s\n", "slot", "calls", "pixels", "time ms",
                    "ms/frame", "share");
        for (int s : order) {
            const double ms = double(total[s].nanoseconds) / 1e6;
            std::printf("%-30s %10llu %14llu %12.3f %12.4f %6.1f%%\n", SlotName(s),
                        (unsigned long long)total[s].calls, (unsigned long long)total[s].pixels, ms,
                        ms / frames,
                        all_ns ? 100.0 * double(total[s].nanoseconds) / double(all_ns) : 0);
        }
        std::printf("\n%-8s %10s %14s %12s\n", "frame", "calls", "pixels", "time ms");
        for (size_t f = 0; f < per_frame.size(); ++f) {
            SlotCost sum;
            for (const SlotCost &c : per_frame[f]) {
                sum.calls += c.calls, sum.pixels += c.pixels, sum.nanoseconds += c.nanoseconds;
            }
            const std::string label =
                f < l.trace.frames ? std::to_string(f + 1) : std::string("after");
            std::printf("%-8s %10llu %14llu %12.3f\n", label.c_str(), (unsigned long long)sum.calls,
                        (unsigned long long)sum.pixels, double(sum.nanoseconds) / 1e6);
        }
        std::printf("%-8s %10s %14s %12.3f (%u frames, %.3f ms per frame)\n", "total", "", "",
                    double(all_ns) / 1e6, l.trace.frames,
                    l.trace.frames ? double(all_ns) / 1e6 / l.trace.frames : 0.0);
    }
    if (!chart.empty()) {
        try {
            DrawProfileChart(chart, per_frame, std::max<uint32_t>(l.trace.frames, 1));
        } catch (const ruvo::assets::AssetError &e) {
            Fail(e.what());
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) Usage("no command");
    const std::string command = argv[1];
    try {
        if (command == "--help" || command == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (command == "record") return Record(argc - 2, argv + 2);
        if (command == "replay") return Replay(argc - 2, argv + 2);
        if (command == "compare") return Compare(argc - 2, argv + 2);
        if (command == "profile") return Profile(argc - 2, argv + 2);
    } catch (const std::exception &e) {
        Fail(e.what());
    }
    Usage("unknown command " + command);
}
