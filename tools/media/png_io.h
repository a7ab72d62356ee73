// PNG files in and out (libpng), as 8-bit RGBA images.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ruvo::media {

struct RgbaImage {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;  // 4 bytes per pixel, row after row

    RgbaImage() = default;
    RgbaImage(int32_t w, int32_t h) : width(w), height(h), rgba(size_t(w) * h * 4, 0) {}
    uint8_t *At(int32_t x, int32_t y) { return &rgba[(size_t(y) * width + x) * 4]; }
    const uint8_t *At(int32_t x, int32_t y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

// The largest image ReadPng decodes: 16777216 pixels (4096 x 4096), 64 MB as RGBA.
inline constexpr int64_t kMaxPngPixels = int64_t{1} << 24;

// Any PNG (palette, grey, 16-bit, with or without alpha) as 8-bit RGBA.
// Throws assets::AssetError, with libpng's reason in its one line, for a
// missing file, one that is not a PNG or is damaged, and one larger than
// kMaxPngPixels (refused from its header, before decoding).
RgbaImage ReadPng(const std::string &path);

// Throws assets::AssetError when the file cannot be written.
void WritePng(const std::string &path, const RgbaImage &image);

// 16-bit 5-6-5 pixels (pitch in pixels) as an RGB PNG.
void WritePng565(const std::string &path, int32_t width, int32_t height, const uint16_t *pixels,
                 int32_t pitch);

}  // namespace ruvo::media
