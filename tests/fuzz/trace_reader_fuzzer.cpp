// libFuzzer target: the trace file reader on arbitrary bytes. It must answer
// with a trace or a TraceError naming an offset inside the input, nothing
// else: no crash, no out-of-bounds read, no allocation out of proportion.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "tools/trace/trace_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace ruvo::trace;
    try {
        const Trace t = ParseTrace(std::span<const uint8_t>(data, size));
        // What a replay relies on: every blob a write or group names exists.
        for (const Event &e : t.events) {
            if (e.tag == Tag::kWrite && e.blob >= t.blobs.size()) std::abort();
            for (const Group &g : e.call.groups) {
                if (g.kind == GroupKind::kHost && g.blob >= t.blobs.size()) std::abort();
            }
            for (const PointerArg &p : e.call.pointers) {
                if (p.group >= e.call.groups.size()) std::abort();
            }
        }
    } catch (const TraceError &e) {
        if (e.offset() > size) std::abort();
    }
    return 0;
}
