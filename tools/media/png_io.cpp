#include "tools/media/png_io.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tools/assets/asset_error.h"
#include "tools/assets/colour_tables.h"

namespace ruvo::media {
namespace {

using assets::AssetError;

struct FileCloser {
    void operator()(FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

File Open(const std::string &path, const char *mode) {
    File f(std::fopen(path.c_str(), mode));
    if (!f) throw AssetError(path + ": " + std::strerror(errno));
    return f;
}

// libpng reports errors by longjmp. Its message is kept (error pointer: a
// std::string) for our one line; its warnings go nowhere.
[[noreturn]] void KeepError(png_structp png, png_const_charp message) {
    if (auto *kept = static_cast<std::string *>(png_get_error_ptr(png))) *kept = message;
    png_longjmp(png, 1);
}
void SilentWarning(png_structp, png_const_charp) {}

}  // namespace

RgbaImage ReadPng(const std::string &path) {
    File file = Open(path, "rb");
    png_byte signature[8] = {};
    if (std::fread(signature, 1, 8, file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        throw AssetError(path + ": not a PNG file");
    }
    std::string error;
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, KeepError, SilentWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw AssetError(path + ": out of memory");
    }
    RgbaImage image;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw AssetError(path + ": damaged PNG file (" + error + ")");
    }
    png_init_io(png, file.get());
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, 65536, 65536);
    png_read_info(png, info);
    // Refused from the header, before anything is decoded or allocated.
    const auto width = static_cast<int32_t>(png_get_image_width(png, info));
    const auto height = static_cast<int32_t>(png_get_image_height(png, info));
    if (int64_t{width} * height > kMaxPngPixels) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw AssetError(path + " is " + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels, more than ruvo-pack takes (" + std::to_string(kMaxPngPixels) +
                         ")");
    }
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image = RgbaImage(width, height);
    rows.resize(height);
    for (int32_t y = 0; y < height; ++y) rows[y] = image.At(0, y);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return image;
}

void WritePng(const std::string &path, const RgbaImage &image) {
    File file = Open(path, "wb");
    std::string error;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, KeepError, SilentWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw AssetError(path + ": out of memory");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw AssetError(path + ": cannot write the PNG file (" + error + ")");
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    for (int32_t y = 0; y < image.height; ++y) {
        png_write_row(png, const_cast<png_bytep>(image.At(0, y)));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) throw AssetError(path + ": " + std::strerror(errno));
}

void WritePng565(const std::string &path, int32_t width, int32_t height, const uint16_t *pixels,
                 int32_t pitch) {
    RgbaImage image(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const assets::Rgb c = assets::FromRgb565(pixels[size_t(y) * pitch + x]);
            uint8_t *p = image.At(x, y);
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 0xFF;
        }
    }
    WritePng(path, image);
}

}  // namespace ruvo::media
