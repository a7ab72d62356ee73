// The library as loaded, plus the tiles' dither phase back at 0, and the
// helpers the tile tests share.
#pragma once

#include <algorithm>
#include <cstdint>

#include "tests/support/library_fixture.h"
#include "tiles/dither_phase.h"
#include "tools/assets/tile_codec.h"

namespace ruvo::test {

class TileTest : public LibraryTest {
  protected:
    void SetUp() override {
        LibraryTest::SetUp();
        theDitherPhase = 0;
    }

    static assets::TileBytes Uniform(uint8_t byte) {
        assets::TileBytes bytes;
        bytes.fill(byte);
        return bytes;
    }
    // Every entry holds its row number, so a drawn pixel shows the row it came
    // from: level + 32 * dither for levels 0..31.
    void FillShadeTableWithRowNumbers() {
        for (int i = 0; i < 16384; ++i) db->ShadeTable[i] = static_cast<uint16_t>(i >> 8);
    }
    // Every entry holds its palette index, so a drawn pixel shows its byte.
    void FillShadeTableWithIndices() {
        for (int i = 0; i < 16384; ++i) db->ShadeTable[i] = static_cast<uint16_t>(i & 0xFF);
    }
    // Logical cells of the layer that hold value.
    static int32_t CountCells(Layer layer, uint16_t value) {
        int32_t n = 0;
        for (int32_t y = 0; y < kLayerHeight; ++y) {
            const uint16_t *row = &At(layer, 0, y);
            n += static_cast<int32_t>(std::count(row, row + kLayerWidth, value));
        }
        return n;
    }
};

}  // namespace ruvo::test
