// Replaying a trace against a build of the library: loads the shared
// library, applies record writes and calls event by event, headless (a
// window argument is replayed as null, which gives the in-memory display).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "ruvodraw1024.h"
#include "tools/trace/trace_file.h"

namespace ruvo::trace {

// A call with its arguments resolved against one Replayer's library: the
// recorded memory in buffers of its own, pointers into them, the layers and
// the record. Run it any number of times.
struct PreparedCall {
    uint8_t slot = 0;
    uint64_t args[kMaxArgs] = {};
    std::vector<std::vector<uint8_t>> buffers;  // one per group; empty for the library's memory
};

class Replayer {
  public:
    // Loads the library; with private_copy, from a copy of the file, so that
    // a second instance of a library already loaded gets state of its own.
    // Throws std::runtime_error when it cannot be loaded.
    explicit Replayer(const std::string &library, bool private_copy = false);
    Replayer(const Replayer &) = delete;
    Replayer &operator=(const Replayer &) = delete;

    RuvoDrawBlock *block() const { return db_; }
    const std::string &library() const { return library_; }

    void Init();
    void Write(const Trace &trace, const Event &write);
    // Calls the slot with the recorded arguments, pointers mapped to fresh
    // copies of the recorded memory; returns the result. elapsed gets the
    // time of the call alone.
    uint32_t Call(const Trace &trace, const CallEvent &call,
                  std::chrono::nanoseconds *elapsed = nullptr);
    // The host memory the last call read and wrote, one buffer per group
    // (empty for groups in the library's own memory).
    const std::vector<std::vector<uint8_t>> &buffers() const { return prepared_.buffers; }
    void Prepare(const Trace &trace, const CallEvent &call, PreparedCall &out);
    uint32_t Run(const PreparedCall &call) const;
    // The displayed frame after a presentation; false when nothing is shown.
    bool Frame(const Event &frame, std::vector<uint16_t> &pixels);

    // Applies any event (init, write, call; frames are the caller's).
    void Apply(const Trace &trace, const Event &event);

  private:
    std::string library_;
    RuvoDrawBlock *db_ = nullptr;
    RuvoDrawBlock *(RUVO_CDECL *init_)(void) = nullptr;
    PreparedCall prepared_;
};

// The storage cells of a layer as logical coordinates under a scroll offset.
void LogicalPosition(int32_t scroll_offset, size_t cell, int32_t &x, int32_t &y);

}  // namespace ruvo::trace
