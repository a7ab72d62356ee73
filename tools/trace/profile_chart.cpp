// The profile's bar chart, drawn into an RGBA image with labels set in
// DejaVu Sans through the toolkit's FreeType rasteriser.
#include "tools/trace/profile_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "tools/assets/asset_error.h"
#include "tools/media/freetype_font.h"
#include "tools/media/png_io.h"
#include "tools/trace/trace_file.h"

namespace ruvo::trace {
namespace {

struct Rgb {
    uint8_t r, g, b;
};

void Fill(media::RgbaImage &img, int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = std::max(y0, 0); y < std::min(y1, img.height); ++y) {
        for (int x = std::max(x0, 0); x < std::min(x1, img.width); ++x) {
            uint8_t *p = img.At(x, y);
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
        }
    }
}

// Text with its line's top at y; coverage blended over what is there.
void Text(media::RgbaImage &img, const media::RasterisedFont *font, int x, int y,
          const std::string &s, Rgb c) {
    if (!font) return;
    const int baseline = y + font->ascent;
    for (unsigned char ch : s) {
        const assets::GlyphBitmap &g = font->glyphs[ch];
        for (int r = 0; r < g.height; ++r) {
            for (int q = 0; q < g.width; ++q) {
                const int px = x + g.left + q, py = baseline - g.top + r;
                if (px < 0 || py < 0 || px >= img.width || py >= img.height) continue;
                const int a = g.coverage[size_t(r) * g.width + q];
                uint8_t *p = img.At(px, py);
                p[0] = uint8_t((c.r * a + p[0] * (255 - a)) / 255);
                p[1] = uint8_t((c.g * a + p[1] * (255 - a)) / 255);
                p[2] = uint8_t((c.b * a + p[2] * (255 - a)) / 255);
            }
        }
        x += g.advance;
    }
}

}  // namespace

void DrawProfileChart(const std::string &path, const std::vector<std::vector<SlotCost>> &per_frame,
                      uint32_t frames) {
    std::vector<std::pair<double, int>> bars;  // mean ms per frame, slot
    double total = 0;
    for (int s = 0; s < RUVO_SLOT_COUNT; ++s) {
        uint64_t ns = 0, calls = 0;
        for (const auto &f : per_frame) ns += f[s].nanoseconds, calls += f[s].calls;
        if (!calls) continue;
        const double ms = double(ns) / 1e6 / frames;
        bars.emplace_back(ms, s);
        total += ms;
    }
    std::sort(bars.rbegin(), bars.rend());

    media::RasterisedFont font;
    const media::RasterisedFont *label = nullptr;
    if (std::filesystem::exists(RUVO_TRACE_FONT)) {
        font = media::RasteriseLatin1(RUVO_TRACE_FONT, 13);
        label = &font;
    }
    constexpr int kWidth = 900, kRow = 22, kTop = 40, kNameWidth = 240, kBarMax = 420;
    media::RgbaImage img(kWidth, kTop + kRow * int(bars.size()) + 16);
    Fill(img, 0, 0, img.width, img.height, {250, 250, 247});
    char title[128];
    std::snprintf(title, sizeof title, "Time per frame by slot: %.3f ms in all, mean of %u frames",
                  total, frames);
    Text(img, label, 12, 12, title, {20, 20, 20});
    const double longest = bars.empty() ? 1 : std::max(bars.front().first, 1e-9);
    for (size_t i = 0; i < bars.size(); ++i) {
        const int y = kTop + int(i) * kRow;
        const auto [ms, slot] = bars[i];
        Text(img, label, 12, y + 3, SlotName(slot), {40, 40, 40});
        const int length = std::max(1, int(std::lround(kBarMax * ms / longest)));
        Fill(img, kNameWidth, y + 4, kNameWidth + length, y + kRow - 4,
             i % 2 ? Rgb{70, 120, 180} : Rgb{50, 95, 155});
        char value[64];
        std::snprintf(value, sizeof value, "%.3f ms  %.1f%%", ms, total > 0 ? 100 * ms / total : 0);
        Text(img, label, kNameWidth + length + 8, y + 3, value, {40, 40, 40});
    }
    media::WritePng(path, img);
}

}  // namespace ruvo::trace
