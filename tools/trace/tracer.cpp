// The tracing library: a host loads it in place of the library. Its
// RuvoDraw_Init loads the real library (the path in RUVO_TRACE_LIBRARY, set
// by `ruvo-trace record`), and returns a record of its own with the same
// layout, whose slots forward every call to the real record's slots and
// write it to the trace file named by RUVO_TRACE_OUT.
//
// The two records are kept in step both ways around each call: what the
// host wrote into ours since the last call (clip rectangle, palettes,
// ShadeTable, LightGrid) is copied into the real one and written to the
// trace; what the library wrote into its own during the call (view, masks,
// display fields) is copied back into ours. A third copy, the state both
// last agreed on, tells who changed what. Slots and pointer fields never go
// from the host to the library: a host that replaces a slot in our record
// calls its own code.
#include <dlfcn.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "ruvodraw1024.h"
#include "tools/trace/display_read.h"
#include "tools/trace/host_memory.h"
#include "tools/trace/slot_calls.h"
#include "tools/trace/trace_file.h"

namespace ruvo::trace {
namespace {

[[noreturn]] void Fail(const char *what, const char *detail) {
    std::fprintf(stderr, "ruvo-trace: %s%s\n", what, detail ? detail : "");
    std::abort();
}

RuvoDrawBlock theHostBlock;  // the record the host sees

class Tracer {
  public:
    ~Tracer() {
        if (writer_) {
            writer_->End();
            std::fclose(file_);
            delete writer_;
        }
    }

    RuvoDrawBlock *Init();
    uint32_t OnCall(int slot, uint64_t *args);

  private:
    void Open();
    void HostToLibrary();
    void LibraryToHost();
    void AddMemory(int slot, uint64_t *args, CallEvent &call);

    std::FILE *file_ = nullptr;
    TraceWriter *writer_ = nullptr;
    RuvoDrawBlock *real_ = nullptr;
    RuvoDrawBlock *(RUVO_CDECL *real_init_)(void) = nullptr;
    RuvoDrawBlock agreed_{};
    bool memory_display_ = false;
    int32_t mode_width_ = RUVO_LAYER_WIDTH, mode_height_ = RUVO_LAYER_HEIGHT;
    std::vector<uint16_t> pixels_;
};

Tracer theTracer;

template <int Slot, typename Fn>
struct Forward;

template <int Slot, typename R, typename... A>
struct Forward<Slot, R(RUVO_CDECL *)(A...)> {
    static R RUVO_CDECL Call(A... a) {
        uint64_t words[kMaxArgs + 6] = {ToWord(a)...};
        const uint32_t result = theTracer.OnCall(Slot, words);
        if constexpr (!std::is_void_v<R>) return static_cast<R>(result);
        (void)result;
    }
};

// Slots 27 and 49 hold one operation in the library, so they hold one
// forwarder here too (a host may compare them); calls through either are
// recorded as slot 27.
void InstallForwarders(RuvoDrawBlock &db) {
#define RUVO_TRACE_FORWARD(slot, Member, Operation, Result, Params) \
    db.OperationSlot.Op.Member = &Forward<slot, Ruvo##Member##Fn>::Call;
    RUVO_OPERATION_SLOTS(RUVO_TRACE_FORWARD)
#undef RUVO_TRACE_FORWARD
    db.OperationSlot.Op.ApplyLightGridAlias = db.OperationSlot.Op.ApplyLightGrid;
}

constexpr size_t kSlotsBegin = offsetof(RuvoDrawBlock, OperationSlot);
constexpr size_t kSlotsEnd = kSlotsBegin + sizeof(RuvoSlotTable);

void Tracer::Open() {
    const char *library = std::getenv("RUVO_TRACE_LIBRARY");
    const char *out = std::getenv("RUVO_TRACE_OUT");
    if (!library || !out) Fail("RUVO_TRACE_LIBRARY and RUVO_TRACE_OUT must be set", nullptr);
    void *handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!handle) Fail("cannot load the library: ", dlerror());
    void *symbol = dlsym(handle, "RuvoDraw_Init");
    if (!symbol) Fail("no RuvoDraw_Init in ", library);
    std::memcpy(&real_init_, &symbol, sizeof symbol);
    file_ = std::fopen(out, "wb");
    if (!file_) Fail("cannot write ", out);
    static char buffer[1 << 20];
    std::setvbuf(file_, buffer, _IOFBF, sizeof buffer);
    writer_ = new TraceWriter(file_);
}

RuvoDrawBlock *Tracer::Init() {
    if (!writer_) Open();
    HostToLibrary();  // what the host wrote before, then the reset
    writer_->Init();
    real_ = real_init_();
    LibraryToHost();
    InstallForwarders(theHostBlock);
    // The forwarders are what both sides agree the host's slots hold.
    std::memcpy(&agreed_.OperationSlot, &theHostBlock.OperationSlot, sizeof(RuvoSlotTable));
    return &theHostBlock;
}

// Host writes since the last agreement go to the library and the trace, in
// runs of changed bytes (gaps under 8 bytes joined), split at pointer fields.
void Tracer::HostToLibrary() {
    if (!real_) return;
    const auto *host = reinterpret_cast<const uint8_t *>(&theHostBlock);
    auto *agreed = reinterpret_cast<uint8_t *>(&agreed_);
    auto *real = reinterpret_cast<uint8_t *>(real_);
    constexpr size_t kChunk = 64, kSize = sizeof(RuvoDrawBlock);
    size_t run_begin = 0, run_end = 0;
    bool in_run = false;
    auto flush = [&] {
        if (!in_run) return;
        in_run = false;
        std::memcpy(real + run_begin, host + run_begin, run_end - run_begin);
        std::memcpy(agreed + run_begin, host + run_begin, run_end - run_begin);
        writer_->Write(uint32_t(run_begin), writer_->Blob({host + run_begin, run_end - run_begin}));
    };
    for (size_t chunk = 0; chunk < kSize; chunk += kChunk) {
        const size_t n = std::min(kChunk, kSize - chunk);
        if (std::memcmp(host + chunk, agreed + chunk, n) == 0) continue;
        for (size_t i = chunk; i < chunk + n; ++i) {
            if (host[i] == agreed[i] || TouchesPointerField(i, 1)) continue;
            if (in_run && (i - run_end >= 8 || TouchesPointerField(run_end, i - run_end))) flush();
            if (!in_run) run_begin = i, in_run = true;
            run_end = i + 1;
        }
    }
    flush();
}

// Library writes during the call come back into the host's record.
void Tracer::LibraryToHost() {
    auto *host = reinterpret_cast<uint8_t *>(&theHostBlock);
    auto *agreed = reinterpret_cast<uint8_t *>(&agreed_);
    const auto *real = reinterpret_cast<const uint8_t *>(real_);
    constexpr size_t kChunk = 64, kSize = sizeof(RuvoDrawBlock);
    for (size_t chunk = 0; chunk < kSize; chunk += kChunk) {
        const size_t n = std::min(kChunk, kSize - chunk);
        if (std::memcmp(real + chunk, agreed + chunk, n) == 0) continue;
        for (size_t i = chunk; i < chunk + n; ++i) {
            if (i >= kSlotsBegin && i < kSlotsEnd) continue;
            if (real[i] != agreed[i]) host[i] = agreed[i] = real[i];
        }
    }
}

// Groups the call's memory: host memory by overlapping pieces with their
// content, the library's own record and layers by position.
void Tracer::AddMemory(int slot, uint64_t *args, CallEvent &call) {
    const std::vector<Region> regions = CallRegions(slot, args);
    uint64_t desc_base = 0;
    if (slot == RUVO_SLOT_DrawSpriteToSurface || slot == RUVO_SLOT_BlendSpriteToSurface) {
        const uint64_t desc = args[slot == RUVO_SLOT_DrawSpriteToSurface ? 4 : 5];
        if (desc) {
            RuvoSurfaceDesc copy;
            // NOLINTNEXTLINE(performance-no-int-to-ptr): the host gave its address
            std::memcpy(&copy, reinterpret_cast<const void *>(static_cast<uintptr_t>(desc)),
                        sizeof copy);
            desc_base = reinterpret_cast<uintptr_t>(copy.Base);
        }
    }
    auto pointer = [&](uint8_t arg) { return arg == kDescBase ? desc_base : args[arg]; };
    const uintptr_t host_rec = reinterpret_cast<uintptr_t>(&theHostBlock);
    const uintptr_t real_rec = reinterpret_cast<uintptr_t>(real_);
    const uintptr_t layers = reinterpret_cast<uintptr_t>(real_->ScreenLayer);
    constexpr uintptr_t kRec = sizeof(RuvoDrawBlock), kLayers = 3 * uintptr_t(RUVO_LAYER_SPACING);

    struct Piece {
        uint8_t arg;
        uintptr_t lo, hi;
    };
    std::vector<Piece> host;
    for (const Region &r : regions) {
        const uintptr_t p = uintptr_t(pointer(r.arg));
        const uintptr_t lo = p + uintptr_t(r.lo), hi = p + uintptr_t(r.hi);
        auto inside = [&](uintptr_t base, uintptr_t size) {
            return lo >= base && hi <= base + size;
        };
        Group g;
        if (inside(real_rec, kRec) || inside(host_rec, kRec)) {
            g.kind = GroupKind::kRecord;
            g.base = int64_t(lo - (inside(real_rec, kRec) ? real_rec : host_rec));
        } else if (inside(layers, kLayers)) {
            g.kind = GroupKind::kLayers;
            g.base = int64_t(lo - layers);
        } else {
            host.push_back({r.arg, lo, hi});
            continue;
        }
        call.pointers.push_back({r.arg, uint8_t(call.groups.size()), int64_t(p - lo)});
        call.groups.push_back(g);
    }
    // Overlapping host pieces (an image copied onto itself, a table
    // converted in place) become one group, as they are one memory.
    std::sort(host.begin(), host.end(), [](const Piece &a, const Piece &b) { return a.lo < b.lo; });
    for (size_t i = 0; i < host.size();) {
        uintptr_t lo = host[i].lo, hi = host[i].hi;
        size_t j = i + 1;
        while (j < host.size() && host[j].lo < hi) hi = std::max(hi, host[j].hi), ++j;
        Group g;
        // NOLINTNEXTLINE(performance-no-int-to-ptr): host memory the call reads
        g.blob = writer_->Blob({reinterpret_cast<const uint8_t *>(lo), size_t(hi - lo)});
        for (size_t k = i; k < j; ++k) {
            call.pointers.push_back({host[k].arg, uint8_t(call.groups.size()),
                                     int64_t(uintptr_t(pointer(host[k].arg)) - lo)});
        }
        call.groups.push_back(g);
        i = j;
    }
}

uint32_t Tracer::OnCall(int slot, uint64_t *args) {
    HostToLibrary();
    CallEvent call;
    call.slot = uint8_t(slot);
    call.arg_count = uint8_t(kSlotArity[slot]);
    std::memcpy(call.args, args, sizeof call.args);
    AddMemory(slot, args, call);
    call.result = CallSlot(slot, real_->OperationSlot.Slot[slot], args);
    writer_->Call(call);
    if (slot == RUVO_SLOT_OpenDisplay && call.result == 1) memory_display_ = args[0] == 0;
    if (slot == RUVO_SLOT_SetScreenMode && call.result == 1) {
        mode_width_ = int32_t(args[0]), mode_height_ = int32_t(args[1]);
    }
    if (IsPresentation(slot)) {
        // Only the in-memory display is read back: reading a real one would
        // show it again.
        const bool read = memory_display_ && ReadDisplay(real_, mode_width_, mode_height_, pixels_);
        writer_->Frame(read, read ? FrameHash(pixels_) : 0, uint32_t(mode_width_),
                       uint32_t(mode_height_));
    }
    LibraryToHost();
    return call.result;
}

}  // namespace
}  // namespace ruvo::trace

extern "C" RUVO_API RuvoDrawBlock *RUVO_CDECL RuvoDraw_Init(void) {
    return ruvo::trace::theTracer.Init();
}
