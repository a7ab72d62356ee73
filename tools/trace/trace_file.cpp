// Reading and writing trace files; the format is described in trace_file.h.
#include "tools/trace/trace_file.h"

#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tools/trace/slot_calls.h"

namespace ruvo::trace {

TraceError::TraceError(uint64_t offset, const std::string &what)
    : std::runtime_error("byte " + std::to_string(offset) + ": " + what), offset_(offset) {}

uint64_t Fnv1a(std::span<const uint8_t> bytes, uint64_t h) {
    for (uint8_t b : bytes) h = (h ^ b) * 0x100000001B3ull;
    return h;
}

const char *SlotName(int slot) {
    return slot >= 0 && slot < RUVO_SLOT_COUNT ? kSlotNames[slot] : "?";
}

int SlotArity(int slot) { return slot >= 0 && slot < RUVO_SLOT_COUNT ? kSlotArity[slot] : -1; }

bool TouchesPointerField(uint64_t offset, uint64_t length) {
    struct Range {
        size_t begin, end;
    };
    static constexpr Range kPointers[] = {
        {offsetof(RuvoDrawBlock, ScreenLayer),
         offsetof(RuvoDrawBlock, SurfacePointer) + sizeof(void *)},
        {offsetof(RuvoDrawBlock, DisplayWindow),
         offsetof(RuvoDrawBlock, DisplayWindow) + sizeof(void *)},
        {offsetof(RuvoDrawBlock, DirectDrawObject),
         offsetof(RuvoDrawBlock, PrimarySurface) + sizeof(void *)},
        {offsetof(RuvoDrawBlock, OperationSlot),
         offsetof(RuvoDrawBlock, OperationSlot) + sizeof(RuvoSlotTable)},
    };
    for (const Range &r : kPointers) {
        if (offset < r.end && offset + length > r.begin) return true;
    }
    return false;
}

namespace {

class Cursor {
  public:
    explicit Cursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t at() const { return at_; }
    bool done() const { return at_ == bytes_.size(); }
    uint64_t left() const { return bytes_.size() - at_; }
    std::span<const uint8_t> Take(uint64_t n, const char *what) {
        if (n > left()) {
            throw TraceError(at_, std::string("truncated ") + what + " (needs " +
                                      std::to_string(n) + " bytes, " + std::to_string(left()) +
                                      " left)");
        }
        auto s = bytes_.subspan(at_, n);
        at_ += n;
        return s;
    }
    uint8_t U8(const char *what) { return Take(1, what)[0]; }
    uint32_t U32(const char *what) {
        auto s = Take(4, what);
        return uint32_t(s[0]) | uint32_t(s[1]) << 8 | uint32_t(s[2]) << 16 | uint32_t(s[3]) << 24;
    }
    uint64_t U64(const char *what) {
        auto s = Take(8, what);
        uint64_t v = 0;
        for (int i = 7; i >= 0; --i) v = v << 8 | s[i];
        return v;
    }

  private:
    std::span<const uint8_t> bytes_;
    uint64_t at_ = 0;
};

void ReadCall(Cursor &c, Trace &t, CallEvent &call) {
    const uint64_t slot_at = c.at();
    call.slot = c.U8("call");
    if (call.slot >= RUVO_SLOT_COUNT) {
        throw TraceError(slot_at, "slot " + std::to_string(call.slot) + " does not exist");
    }
    const uint64_t argc_at = c.at();
    call.arg_count = c.U8("call");
    if (call.arg_count != kSlotArity[call.slot]) {
        throw TraceError(argc_at, std::string(kSlotNames[call.slot]) + " takes " +
                                      std::to_string(kSlotArity[call.slot]) + " arguments, not " +
                                      std::to_string(call.arg_count));
    }
    for (int i = 0; i < call.arg_count; ++i) call.args[i] = c.U64("call argument");
    call.result = c.U32("call result");
    const uint8_t groups = c.U8("call");
    call.groups.resize(groups);
    for (Group &g : call.groups) {
        const uint64_t at = c.at();
        const uint8_t kind = c.U8("group");
        if (kind > 2) throw TraceError(at, "unknown group kind " + std::to_string(kind));
        g.kind = GroupKind(kind);
        g.base = int64_t(c.U64("group"));
        const uint64_t blob_at = c.at();
        g.blob = c.U32("group");
        if (g.kind == GroupKind::kHost ? g.blob >= t.blobs.size() : g.blob != kNoBlob) {
            throw TraceError(blob_at, "group names blob " + std::to_string(g.blob) + " of " +
                                          std::to_string(t.blobs.size()));
        }
        if (g.kind == GroupKind::kLayers &&
            (g.base < 0 || g.base >= 3 * int64_t(RUVO_LAYER_SPACING))) {
            throw TraceError(at, "layer group outside the layers");
        }
        if (g.kind == GroupKind::kRecord &&
            (g.base < 0 || uint64_t(g.base) >= sizeof(RuvoDrawBlock))) {
            throw TraceError(at, "record group outside the record");
        }
    }
    const uint8_t pointers = c.U8("call");
    call.pointers.resize(pointers);
    for (PointerArg &p : call.pointers) {
        const uint64_t at = c.at();
        p.arg = c.U8("pointer");
        p.group = c.U8("pointer");
        p.offset = int64_t(c.U64("pointer"));
        const bool desc_base = p.arg == kDescBase && (call.slot == RUVO_SLOT_DrawSpriteToSurface ||
                                                      call.slot == RUVO_SLOT_BlendSpriteToSurface);
        if (!desc_base && (p.arg >= call.arg_count || !(kPointerArgs[call.slot] >> p.arg & 1))) {
            throw TraceError(at, "argument " + std::to_string(p.arg) + " of " +
                                     kSlotNames[call.slot] + " is not a pointer");
        }
        if (p.group >= call.groups.size()) {
            throw TraceError(at, "pointer names group " + std::to_string(p.group) + " of " +
                                     std::to_string(call.groups.size()));
        }
        // An image's base may lie before or after the rows the call touches,
        // but never further than 32-bit coordinates reach.
        if (p.offset < -(int64_t(1) << 40) || p.offset > (int64_t(1) << 40)) {
            throw TraceError(at, "pointer offset out of range");
        }
    }
}

}  // namespace

Trace ParseTrace(std::span<const uint8_t> bytes) {
    Cursor c(bytes);
    Trace t;
    auto magic = c.Take(sizeof kMagic, "header");
    if (std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0) {
        throw TraceError(0, "not a trace file");
    }
    const uint32_t version = c.U32("header");
    if (version != kVersion) {
        throw TraceError(8, "trace version " + std::to_string(version) + ", this reader knows " +
                                std::to_string(kVersion));
    }
    t.pointer_bytes = c.U32("header");
    t.record_bytes = c.U32("header");
    if (t.pointer_bytes != sizeof(void *) || t.record_bytes != sizeof(RuvoDrawBlock)) {
        throw TraceError(12, "recorded with " + std::to_string(t.pointer_bytes) +
                                 "-byte pointers and a " + std::to_string(t.record_bytes) +
                                 "-byte record; this build has " + std::to_string(sizeof(void *)) +
                                 " and " + std::to_string(sizeof(RuvoDrawBlock)));
    }
    uint32_t calls = 0, frames = 0;
    for (;;) {
        if (c.done()) throw TraceError(c.at(), "trace ends without its end mark");
        Event e;
        e.at = c.at();
        const uint8_t tag = c.U8("event");
        e.tag = Tag(tag);
        switch (e.tag) {
            case Tag::kBlob: {
                const uint64_t hash = c.U64("blob");
                const uint32_t length = c.U32("blob");
                auto data = c.Take(length, "blob");
                if (Fnv1a(data) != hash)
                    throw TraceError(e.at, "blob content does not match its hash");
                t.blobs.push_back(data);
                continue;  // blobs are not events
            }
            case Tag::kInit:
                break;
            case Tag::kWrite: {
                e.number = c.U32("record write");
                e.blob = c.U32("record write");
                if (e.blob >= t.blobs.size()) {
                    throw TraceError(e.at, "record write names blob " + std::to_string(e.blob) +
                                               " of " + std::to_string(t.blobs.size()));
                }
                const uint64_t n = t.blobs[e.blob].size();
                if (uint64_t(e.number) + n > sizeof(RuvoDrawBlock) ||
                    TouchesPointerField(e.number, n)) {
                    throw TraceError(e.at, "record write of " + std::to_string(n) + " bytes at +" +
                                               std::to_string(e.number) +
                                               " is outside the writable fields");
                }
                break;
            }
            case Tag::kCall:
                ReadCall(c, t, e.call);
                ++calls;
                break;
            case Tag::kFrame:
                e.number = c.U32("frame");
                e.has_hash = c.U8("frame") != 0;
                e.hash = c.U64("frame");
                e.width = c.U32("frame");
                e.height = c.U32("frame");
                if (e.width > RUVO_LAYER_WIDTH || e.height > RUVO_LAYER_HEIGHT) {
                    throw TraceError(e.at, "frame larger than the layers");
                }
                ++frames;
                if (e.number != frames) {
                    throw TraceError(e.at, "frame " + std::to_string(e.number) + " where " +
                                               std::to_string(frames) + " was due");
                }
                break;
            case Tag::kEnd:
                t.calls = c.U32("end mark");
                t.frames = c.U32("end mark");
                if (t.calls != calls || t.frames != frames) {
                    throw TraceError(e.at, "end mark counts " + std::to_string(t.calls) +
                                               " calls and " + std::to_string(t.frames) +
                                               " frames; the trace holds " + std::to_string(calls) +
                                               " and " + std::to_string(frames));
                }
                if (!c.done()) throw TraceError(c.at(), "bytes after the end mark");
                return t;
            default:
                throw TraceError(e.at, "unknown event tag " + std::to_string(tag));
        }
        t.events.push_back(std::move(e));
    }
}

std::vector<uint8_t> ReadTraceFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw TraceError(0, "cannot open " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TraceWriter::TraceWriter(std::FILE *file) : file_(file) {
    Put(kMagic, sizeof kMagic);
    U32(kVersion);
    U32(sizeof(void *));
    U32(sizeof(RuvoDrawBlock));
}

void TraceWriter::Put(const void *bytes, size_t n) {
    if (n) std::fwrite(bytes, 1, n, file_);
}

void TraceWriter::U32(uint32_t v) {
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    Put(b, 4);
}

void TraceWriter::U64(uint64_t v) {
    U32(uint32_t(v));
    U32(uint32_t(v >> 32));
}

// Small blobs are kept and compared byte for byte; large ones (images) by a
// second, independent hash and their length, so that a long session of
// presented images does not keep a copy of each in memory.
uint32_t TraceWriter::Blob(std::span<const uint8_t> bytes) {
    const uint64_t hash = Fnv1a(bytes);
    const bool kept = bytes.size() <= kKeptBlobBytes;
    const uint64_t second = kept ? 0 : Fnv1a(bytes, 0x84222325CBF29CE4ull);
    auto &same_hash = seen_[hash];
    for (const SeenBlob &seen : same_hash) {
        if (seen.length != bytes.size()) continue;
        if (kept
                ? bytes.empty() || std::memcmp(seen.content.data(), bytes.data(), bytes.size()) == 0
                : seen.second_hash == second) {
            return seen.number;
        }
    }
    U8(uint8_t(Tag::kBlob));
    U64(hash);
    U32(uint32_t(bytes.size()));
    Put(bytes.data(), bytes.size());
    SeenBlob seen{blobs_, bytes.size(), second, {}};
    if (kept) seen.content.assign(bytes.begin(), bytes.end());
    same_hash.push_back(std::move(seen));
    return blobs_++;
}

void TraceWriter::Init() { U8(uint8_t(Tag::kInit)); }

void TraceWriter::Write(uint32_t offset, uint32_t blob) {
    U8(uint8_t(Tag::kWrite));
    U32(offset);
    U32(blob);
}

void TraceWriter::Call(const CallEvent &call) {
    U8(uint8_t(Tag::kCall));
    U8(call.slot);
    U8(call.arg_count);
    for (int i = 0; i < call.arg_count; ++i) U64(call.args[i]);
    U32(call.result);
    U8(uint8_t(call.groups.size()));
    for (const Group &g : call.groups) {
        U8(uint8_t(g.kind));
        U64(uint64_t(g.base));
        U32(g.blob);
    }
    U8(uint8_t(call.pointers.size()));
    for (const PointerArg &p : call.pointers) {
        U8(p.arg);
        U8(p.group);
        U64(uint64_t(p.offset));
    }
    ++calls_;
}

void TraceWriter::Frame(bool has_hash, uint64_t hash, uint32_t width, uint32_t height) {
    U8(uint8_t(Tag::kFrame));
    U32(++frames_);
    U8(has_hash ? 1 : 0);
    U64(hash);
    U32(width);
    U32(height);
}

void TraceWriter::End() {
    U8(uint8_t(Tag::kEnd));
    U32(calls_);
    U32(frames_);
    std::fflush(file_);
}

}  // namespace ruvo::trace
