#include "tests/support/storage_guard.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace ruvo::test {
namespace {

constexpr size_t kTailOffset =
    kLayerBytes + kOverflowRowBytes;  // the 36 bytes after an OverflowRow
constexpr size_t kTailBytes = kGuardRowBytes - kOverflowRowBytes;

size_t LayerByteOffset(Layer layer) { return static_cast<size_t>(layer) * kLayerSpacingBytes; }

}  // namespace

StorageGuard::StorageGuard() {
    for (int layer = 0; layer < 3; ++layer) {
        uint8_t *tail = theLayers.bytes + layer * kLayerSpacingBytes + kTailOffset;
        std::memset(tail, 0xA5, kTailBytes);
    }
    // The depth test reads the word before the DepthLayer as 0.
    std::memset(theLayers.bytes + 2 * kLayerSpacingBytes - 2, 0, 2);
    storage_.assign(theLayers.bytes, theLayers.bytes + sizeof theLayers.bytes);
    const auto *block = reinterpret_cast<const uint8_t *>(&theDrawBlock);
    block_.assign(block, block + sizeof theDrawBlock);
}

void StorageGuard::AllowLogical(Layer layer, const ClipRect &rect) {
    if (rect.Empty()) return;
    const size_t base = LayerByteOffset(layer);
    for (int32_t y = rect.top; y <= rect.bottom; ++y) {
        const size_t first = base + 2 * static_cast<size_t>(RingIndex(rect.left, y));
        allowed_storage_.push_back({first, first + 2 * static_cast<size_t>(rect.Width())});
    }
}

void StorageGuard::AllowWholeLayer(Layer layer) {
    const size_t base = LayerByteOffset(layer);
    allowed_storage_.push_back({base, base + kLayerBytes + kOverflowRowBytes});
}

void StorageGuard::AllowField(size_t offset, size_t size) {
    allowed_block_.push_back({offset, offset + size});
}

std::string StorageGuard::Violations() const {
    std::string report;
    auto check = [&report](const char *what, const uint8_t *now, const std::vector<uint8_t> &was,
                           std::vector<Range> allowed) {
        std::sort(allowed.begin(), allowed.end(),
                  [](const Range &a, const Range &b) { return a.begin < b.begin; });
        size_t pos = 0;
        auto compare_up_to = [&](size_t end) {
            if (std::memcmp(now + pos, was.data() + pos, end - pos) == 0) return;
            for (size_t i = pos; i < end; ++i) {
                if (now[i] != was[i]) {
                    char line[96];
                    std::snprintf(line, sizeof line, "%s byte 0x%zx changed 0x%02x -> 0x%02x\n",
                                  what, i, was[i], now[i]);
                    report += line;
                    return;  // one report per gap is enough
                }
            }
        };
        for (const Range &r : allowed) {
            if (r.begin > pos) compare_up_to(r.begin);
            pos = std::max(pos, r.end);
        }
        compare_up_to(was.size());
    };
    check("layer storage", theLayers.bytes, storage_, allowed_storage_);
    check("DrawBlock", reinterpret_cast<const uint8_t *>(&theDrawBlock), block_, allowed_block_);
    return report;
}

}  // namespace ruvo::test
