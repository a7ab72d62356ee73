// Replaying a trace; see replayer.h.
#include "tools/trace/replayer.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "tools/trace/display_read.h"
#include "tools/trace/slot_calls.h"

namespace ruvo::trace {

Replayer::Replayer(const std::string &library, bool private_copy) : library_(library) {
    std::string path = library;
    if (private_copy) {
        char name[] = "/tmp/ruvo-trace-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) throw std::runtime_error("cannot make a copy of " + library);
        close(fd);
        std::filesystem::copy_file(library, name,
                                   std::filesystem::copy_options::overwrite_existing);
        path = name;
    }
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (private_copy) std::filesystem::remove(path);
    if (!handle) throw std::runtime_error(std::string("cannot load ") + library + ": " + dlerror());
    void *symbol = dlsym(handle, "RuvoDraw_Init");
    if (!symbol) throw std::runtime_error(library + " has no RuvoDraw_Init");
    std::memcpy(&init_, &symbol, sizeof symbol);
}

void Replayer::Init() { db_ = init_(); }

void Replayer::Write(const Trace &trace, const Event &write) {
    if (!db_) db_ = init_();
    const auto &blob = trace.blobs[write.blob];
    std::memcpy(reinterpret_cast<uint8_t *>(db_) + write.number, blob.data(), blob.size());
}

void Replayer::Prepare(const Trace &trace, const CallEvent &call, PreparedCall &out) {
    if (!db_) db_ = init_();
    out.slot = call.slot;
    // Pointer arguments without recorded memory (a window) are null.
    for (int i = 0; i < kMaxArgs; ++i) {
        out.args[i] = i >= call.arg_count || (kPointerArgs[call.slot] >> i & 1) ? 0 : call.args[i];
    }
    out.buffers.resize(call.groups.size());
    std::vector<uint8_t *> group_at(call.groups.size());
    for (size_t g = 0; g < call.groups.size(); ++g) {
        const Group &group = call.groups[g];
        out.buffers[g].clear();
        if (group.kind == GroupKind::kHost) {
            const auto &blob = trace.blobs[group.blob];
            out.buffers[g].assign(blob.begin(), blob.end());
            group_at[g] = out.buffers[g].data();
        } else if (group.kind == GroupKind::kLayers) {
            group_at[g] = reinterpret_cast<uint8_t *>(db_->ScreenLayer) + group.base;
        } else {
            group_at[g] = reinterpret_cast<uint8_t *>(db_) + group.base;
        }
    }
    uintptr_t desc_base = 0;
    bool has_desc_base = false;
    for (const PointerArg &p : call.pointers) {
        const uintptr_t at = reinterpret_cast<uintptr_t>(group_at[p.group]) + uintptr_t(p.offset);
        if (p.arg == kDescBase) {
            desc_base = at, has_desc_base = true;
        } else {
            out.args[p.arg] = at;
        }
    }
    if (has_desc_base) {
        const int desc_arg = call.slot == RUVO_SLOT_DrawSpriteToSurface ? 4 : 5;
        if (out.args[desc_arg]) {
            // NOLINTNEXTLINE(performance-no-int-to-ptr): the description lies in a buffer of ours
            auto *desc = reinterpret_cast<uint8_t *>(static_cast<uintptr_t>(out.args[desc_arg]));
            std::memcpy(desc + offsetof(RuvoSurfaceDesc, Base), &desc_base, sizeof(void *));
        }
    }
}

uint32_t Replayer::Run(const PreparedCall &call) const {
    return CallSlot(call.slot, db_->OperationSlot.Slot[call.slot], call.args);
}

uint32_t Replayer::Call(const Trace &trace, const CallEvent &call,
                        std::chrono::nanoseconds *elapsed) {
    Prepare(trace, call, prepared_);
    const auto start = std::chrono::steady_clock::now();
    const uint32_t result = Run(prepared_);
    if (elapsed) *elapsed = std::chrono::steady_clock::now() - start;
    return result;
}

bool Replayer::Frame(const Event &frame, std::vector<uint16_t> &pixels) {
    if (!db_ || frame.width == 0 || frame.height == 0) return false;
    return ReadDisplay(db_, int32_t(frame.width), int32_t(frame.height), pixels);
}

void Replayer::Apply(const Trace &trace, const Event &event) {
    switch (event.tag) {
        case Tag::kInit:
            Init();
            break;
        case Tag::kWrite:
            Write(trace, event);
            break;
        case Tag::kCall:
            Call(trace, event.call);
            break;
        default:
            break;
    }
}

void LogicalPosition(int32_t scroll_offset, size_t cell, int32_t &x, int32_t &y) {
    const int64_t bytes = RUVO_LAYER_BYTES;
    const int64_t o = ((int64_t(cell) * 2 - scroll_offset) % bytes + bytes) % bytes;
    y = int32_t(o / RUVO_LAYER_PITCH);
    x = int32_t(o % RUVO_LAYER_PITCH / 2);
}

}  // namespace ruvo::trace
