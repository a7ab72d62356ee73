// Proves that an operation wrote only where it may: snapshots the layer area
// and the DrawBlock, and after the operation compares every byte outside the
// allowed cells and fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framestore/layers.h"
#include "tests/support/library_fixture.h"

namespace ruvo::test {

class StorageGuard {
  public:
    // Snapshots now. The guard tails behind the layers (never written) get a
    // pattern, except the word before the DepthLayer, which must stay 0.
    StorageGuard();

    // Cells of the logical rectangle (inclusive, inside the layer) may change in the layer.
    void AllowLogical(Layer layer, const ClipRect &rect);
    // Any cell of the layer's ring storage (the layer and its OverflowRow) may change.
    void AllowWholeLayer(Layer layer);
    // A DrawBlock field (by offset and size) may change.
    void AllowField(size_t offset, size_t size);

    // Empty when nothing outside the allowed places changed; else a description.
    std::string Violations() const;

  private:
    struct Range {
        size_t begin, end;
    };
    std::vector<uint8_t> storage_;
    std::vector<uint8_t> block_;
    std::vector<Range> allowed_storage_;
    std::vector<Range> allowed_block_;
};

#define RUVO_ALLOW_FIELD(guard, field) \
    (guard).AllowField(offsetof(RuvoDrawBlock, field), sizeof(RuvoDrawBlock::field))

}  // namespace ruvo::test
