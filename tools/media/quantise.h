// Palettes made by a real quantiser (libimagequant) from RGBA images.
#pragma once

#include <span>

#include "tools/assets/colour_tables.h"
#include "tools/media/png_io.h"

namespace ruvo::media {

struct QuantisedPalette {
    assets::Palette colours{};  // 5-6-5; entries past count are 0
    int count = 0;
};

// At most max_colours colours (2..256) for the opaque pixels of all images
// (alpha >= 128 and not the colour key). Images without such pixels give a
// one-colour palette of black. Throws assets::AssetError when quantising fails.
QuantisedPalette QuantisePalette(std::span<const RgbaImage> images, int max_colours = 256);

}  // namespace ruvo::media
