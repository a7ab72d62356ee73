// The library as a freshly loaded host sees it, for every test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "framestore/layers.h"
#include "interface/draw_block.h"
#include "ruvodraw1024.h"

namespace ruvo::test {

enum class Layer { Screen, Back, Depth };

inline uint16_t *LayerCells(Layer layer) {
    switch (layer) {
        case Layer::Screen:
            return ScreenCells();
        case Layer::Back:
            return BackCells();
        case Layer::Depth:
            return DepthCells();
    }
    return nullptr;
}

// Zeroes the record and the layers (the state at load), then runs
// RuvoDraw_Init. Analyses 5-6-5 unless told otherwise.
class LibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(&theDrawBlock, 0, sizeof theDrawBlock);
        std::memset(theLayers.bytes, 0, sizeof theLayers.bytes);
        db = RuvoDraw_Init();
        op = &db->OperationSlot.Op;
        if (analyse_565) op->AnalysePixelFormat(0xF800, 0x07E0, 0x001F);
    }

    // The cell of logical (x, y) by the ring rule.
    static uint16_t &At(Layer layer, int32_t x, int32_t y) {
        return LayerCells(layer)[RingIndex(x, y)];
    }
    // The cell at storage row r, column c (c may reach into the OverflowRow from row 767).
    static uint16_t &Stored(Layer layer, int32_t r, int32_t c) {
        return LayerCells(layer)[r * kLayerWidth + c];
    }
    static void FillLayer(Layer layer, uint16_t value) {
        std::fill_n(LayerCells(layer), kLayerCells, value);
    }
    // Every cell a different value, so that a copy from a wrong place shows.
    static void FillLayerWithPattern(Layer layer, uint32_t seed) {
        uint16_t *cells = LayerCells(layer);
        for (int32_t i = 0; i < kLayerCells + kLayerWidth; ++i) {
            cells[i] = static_cast<uint16_t>((i * 2654435761u + seed) >> 13);
        }
    }
    static void SetView(int32_t scroll_offset) {
        theDrawBlock.ScrollOffset = scroll_offset;
        theDrawBlock.WrapRow = kLayerHeight - scroll_offset / kLayerPitchBytes;
    }
    static void SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom) {
        theDrawBlock.ClipLeft = left;
        theDrawBlock.ClipTop = top;
        theDrawBlock.ClipRight = right;
        theDrawBlock.ClipBottom = bottom;
    }

    bool analyse_565 = true;
    RuvoDrawBlock *db = nullptr;
    RuvoOperations *op = nullptr;
};

}  // namespace ruvo::test
