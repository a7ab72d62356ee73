// Conversion between a tile drawn as a 63 x 32 image of palette indices and
// its 1024 TileBytes.
//
// Image column c, row r is the layer pixel (x - 31 + c, y + r) of a tile
// anchored at (x, y): column 31 is the tile's axis. Only the pixels inside the
// diamond (InTileShape) are carried; the rest of the image is ignored when
// encoding and filled with a chosen value when decoding.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace ruvo::assets {

inline constexpr int kTileImageWidth = 63;
inline constexpr int kTileImageHeight = 32;

// One byte per pixel, row after row.
using TileImage = std::array<uint8_t, kTileImageWidth * kTileImageHeight>;
using TileBytes = std::array<uint8_t, 1024>;

// Whether image pixel (column, row) belongs to the diamond.
bool InTileShape(int column, int row);

// The footprint pixels of the image in TileBytes order.
TileBytes EncodeTile(std::span<const uint8_t, kTileImageWidth * kTileImageHeight> image);

// The image of a tile; pixels outside the diamond get outside.
TileImage DecodeTile(std::span<const uint8_t, 1024> bytes, uint8_t outside = 0);

}  // namespace ruvo::assets
