// A bar chart of where a frame's time goes, as a PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ruvo::trace {

struct SlotCost {
    uint64_t calls = 0, pixels = 0, nanoseconds = 0;
};

// One bar per slot that was called: its mean time per frame, longest first,
// labelled with the slot's name, the time and its share. per_frame[f][slot].
// Throws assets::AssetError when the file cannot be written.
void DrawProfileChart(const std::string &path, const std::vector<std::vector<SlotCost>> &per_frame,
                      uint32_t frames);

}  // namespace ruvo::trace
