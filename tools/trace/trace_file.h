// Trace files: what a host did with the library, call by call.
//
// A trace is a byte stream, little-endian throughout, that a recording host
// writes front to back and a replay reads the same way:
//
//   header   "RUVOTRC\n", u32 version (1), u32 pointer size of the recording
//            host (4 or 8), u32 size of its RuvoDrawBlock
//   events   one tag byte each, then the event's fields:
//     'B' blob    u64 FNV-1a hash of the bytes, u32 length, the bytes.
//                 Blobs are numbered 0, 1, 2, ... in order of appearance. A
//                 blob holds host memory that some call read (a sprite, a
//                 font, a table, an image's rows) or record bytes the host
//                 wrote; identical content is written once and referred to
//                 by the number of its first appearance.
//     'I' init    the host called RuvoDraw_Init.
//     'W' write   u32 record offset, u32 blob: the host wrote these bytes into
//                 the record (clip rectangle, palettes, ShadeTable, LightGrid)
//                 before the next call. Pointer fields and slots never appear.
//     'C' call    u8 slot, u8 argument count (the slot's own), the arguments
//                 as u64 each (32-bit integers zero-extended, pointers as the
//                 host saw them), u32 result (0 for slots without one);
//                 u8 group count and per group: u8 kind, i64 base, u32 blob;
//                 u8 pointer count and per pointer: u8 argument, u8 group,
//                 i64 offset. A group is one piece of memory the call reads
//                 or writes: host memory (kind 0, its content before the call
//                 in the blob, base unused), the library's layer storage
//                 (kind 1, base from the ScreenLayer address, no blob, 0xFFFFFFFF)
//                 or the record (kind 2, base from the record's start, no
//                 blob). A replay gives each pointer argument the address
//                 offset bytes into its group; argument kDescBase stands for
//                 the Base field inside the SurfaceDesc (argument
//                 SurfaceArgument) of the surface blits. Pointer arguments
//                 without a group (a window) are replayed as null.
//     'F' frame   u32 frame number (from 1), u8 whether a hash follows, u64
//                 FNV-1a hash of the displayed surface's pixels (width x
//                 height, row by row, each pixel low byte first), u32 width,
//                 u32 height. Written after every presentation.
//     'E' end     u32 calls, u32 frames: the totals, so that a trace cut at
//                 an event boundary is still told from a whole one.
//
// The reader checks every field it can (tags, slot numbers and arities,
// blob numbers, groups, offsets inside the record, the hashes) and reports
// the first fault with the byte offset where it lies.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "ruvodraw1024.h"

namespace ruvo::trace {

inline constexpr char kMagic[8] = {'R', 'U', 'V', 'O', 'T', 'R', 'C', '\n'};
inline constexpr uint32_t kVersion = 1;
inline constexpr uint32_t kNoBlob = 0xFFFFFFFFu;
inline constexpr uint8_t kDescBase = 15;  // pseudo-argument: SurfaceDesc::Base
inline constexpr int kMaxArgs = 10;

enum class Tag : uint8_t {
    kBlob = 'B',
    kInit = 'I',
    kWrite = 'W',
    kCall = 'C',
    kFrame = 'F',
    kEnd = 'E'
};

enum class GroupKind : uint8_t { kHost = 0, kLayers = 1, kRecord = 2 };

struct Group {
    GroupKind kind = GroupKind::kHost;
    int64_t base = 0;
    uint32_t blob = kNoBlob;
};

struct PointerArg {
    uint8_t arg = 0;
    uint8_t group = 0;
    int64_t offset = 0;
};

struct CallEvent {
    uint8_t slot = 0;
    uint8_t arg_count = 0;
    uint64_t args[kMaxArgs] = {};
    uint32_t result = 0;
    std::vector<Group> groups;
    std::vector<PointerArg> pointers;
};

struct Event {
    Tag tag = Tag::kEnd;
    uint64_t at = 0;                 // byte offset of the tag in the file
    uint32_t number = 0;             // 'W': record offset; 'F': frame number
    uint32_t blob = kNoBlob;         // 'W'
    bool has_hash = false;           // 'F'
    uint64_t hash = 0;               // 'F'
    uint32_t width = 0, height = 0;  // 'F'
    CallEvent call;                  // 'C'
};

struct Trace {
    uint32_t pointer_bytes = 0;
    uint32_t record_bytes = 0;
    std::vector<std::span<const uint8_t>> blobs;  // into the file's bytes
    std::vector<Event> events;
    uint32_t calls = 0, frames = 0;
};

// A fault in a trace file, at a byte offset.
class TraceError : public std::runtime_error {
  public:
    TraceError(uint64_t offset, const std::string &what);
    uint64_t offset() const { return offset_; }

  private:
    uint64_t offset_;
};

uint64_t Fnv1a(std::span<const uint8_t> bytes, uint64_t h = 0xCBF29CE484222325ull);

// Slot names and arities, from the header's slot list.
const char *SlotName(int slot);
int SlotArity(int slot);

// Whether record bytes [offset, offset + length) touch a pointer field or a
// slot (fields a trace never writes).
bool TouchesPointerField(uint64_t offset, uint64_t length);

// Parses a whole trace; the blobs point into bytes, which must outlive it.
// Throws TraceError for the first fault.
Trace ParseTrace(std::span<const uint8_t> bytes);

// Reads a file (throws TraceError at offset 0 when it cannot be read).
std::vector<uint8_t> ReadTraceFile(const std::string &path);

// Writes a trace. Blob() returns the number of a blob with the bytes, writing
// it first if no blob with the same bytes was written before.
class TraceWriter {
  public:
    explicit TraceWriter(std::FILE *file);
    uint32_t Blob(std::span<const uint8_t> bytes);
    void Init();
    void Write(uint32_t offset, uint32_t blob);
    void Call(const CallEvent &call);
    void Frame(bool has_hash, uint64_t hash, uint32_t width, uint32_t height);
    void End();
    uint32_t frames() const { return frames_; }

  private:
    void Put(const void *bytes, size_t n);
    void U8(uint8_t v) { Put(&v, 1); }
    void U32(uint32_t v);
    void U64(uint64_t v);

    std::FILE *file_;
    uint32_t blobs_ = 0, calls_ = 0, frames_ = 0;
    static constexpr size_t kKeptBlobBytes = 4096;
    struct SeenBlob {
        uint32_t number;
        size_t length;
        uint64_t second_hash;          // large blobs
        std::vector<uint8_t> content;  // small blobs
    };
    std::unordered_map<uint64_t, std::vector<SeenBlob>> seen_;
};

}  // namespace ruvo::trace
