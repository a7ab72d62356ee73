#include "tools/media/quantise.h"

#include <libimagequant.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "tools/assets/asset_error.h"

namespace ruvo::media {

QuantisedPalette QuantisePalette(std::span<const RgbaImage> images, int max_colours) {
    struct AttrDeleter {
        void operator()(liq_attr *a) const { liq_attr_destroy(a); }
    };
    struct HistogramDeleter {
        void operator()(liq_histogram *h) const { liq_histogram_destroy(h); }
    };
    std::unique_ptr<liq_attr, AttrDeleter> attr(liq_attr_create());
    if (!attr) throw assets::AssetError("cannot start the quantiser");
    liq_set_max_colors(attr.get(), std::clamp(max_colours, 2, 256));
    liq_set_speed(attr.get(), 3);
    liq_set_quality(attr.get(), 0, 100);
    std::unique_ptr<liq_histogram, HistogramDeleter> histogram(liq_histogram_create(attr.get()));

    // The opaque pixels only, each as fully opaque: sprites carry no alpha.
    bool any = false;
    for (const RgbaImage &image : images) {
        std::vector<uint8_t> opaque;
        for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
            const uint8_t *p = &image.rgba[i];
            const assets::Rgb c{p[0], p[1], p[2]};
            if (p[3] < 128 || assets::ToRgb565(c) == 0xF81F) continue;
            opaque.insert(opaque.end(), {p[0], p[1], p[2], 0xFF});
        }
        if (opaque.empty()) continue;
        const int pixels = static_cast<int>(opaque.size() / 4);
        liq_image *li = liq_image_create_rgba(attr.get(), opaque.data(), pixels, 1, 0);
        if (!li || liq_histogram_add_image(histogram.get(), attr.get(), li) != LIQ_OK) {
            if (li) liq_image_destroy(li);
            throw assets::AssetError("the quantiser rejected an image");
        }
        liq_image_destroy(li);
        any = true;
    }
    QuantisedPalette result;
    if (!any) {
        result.count = 1;
        return result;
    }
    liq_result *quantised = nullptr;
    if (liq_histogram_quantize(histogram.get(), attr.get(), &quantised) != LIQ_OK) {
        throw assets::AssetError("quantising failed");
    }
    const liq_palette *palette = liq_get_palette(quantised);
    result.count = static_cast<int>(palette->count);
    for (int i = 0; i < result.count; ++i) {
        const liq_color &c = palette->entries[i];
        result.colours[i] = assets::ToRgb565({c.r, c.g, c.b});
    }
    liq_result_destroy(quantised);
    return result;
}

}  // namespace ruvo::media
