#include "tools/assets/tile_codec.h"

#include "tiles/tile_shape.h"

namespace ruvo::assets {
namespace {

// Image column of the first pixel of footprint row r.
int FirstImageColumn(int row) { return kTileImageWidth / 2 + TileRow(row).first_column; }

}  // namespace

bool InTileShape(int column, int row) {
    if (row < 0 || row >= kTileImageHeight) return false;
    const int first = FirstImageColumn(row);
    return column >= first && column < first + TileRow(row).pixels;
}

TileBytes EncodeTile(std::span<const uint8_t, kTileImageWidth * kTileImageHeight> image) {
    TileBytes bytes{};
    for (int row = 0; row < kTileImageHeight; ++row) {
        const TileRowShape shape = TileRow(row);
        const int first = FirstImageColumn(row);
        for (int j = 0; j < shape.pixels; ++j) {
            bytes[shape.first_byte + j] = image[row * kTileImageWidth + first + j];
        }
    }
    return bytes;
}

TileImage DecodeTile(std::span<const uint8_t, 1024> bytes, uint8_t outside) {
    TileImage image;
    image.fill(outside);
    for (int row = 0; row < kTileImageHeight; ++row) {
        const TileRowShape shape = TileRow(row);
        const int first = FirstImageColumn(row);
        for (int j = 0; j < shape.pixels; ++j) {
            image[row * kTileImageWidth + first + j] = bytes[shape.first_byte + j];
        }
    }
    return image;
}

}  // namespace ruvo::assets
