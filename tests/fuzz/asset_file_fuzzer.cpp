// libFuzzer target: the toolkit's readers of its own files (font records,
// sprites of every coding, palettes, shade tables) on arbitrary bytes. They
// must answer with a decoded file or an AssetError, nothing else: no crash,
// no out-of-bounds read, no allocation out of proportion to the input.
#include <cstddef>
#include <cstdint>
#include <span>

#include "tools/assets/asset_error.h"
#include "tools/assets/colour_tables.h"
#include "tools/assets/font_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace ruvo::assets;
    const std::span<const uint8_t> bytes(data, size);
    try {
        (void)ReadFontRecord(bytes);
    } catch (const AssetError &) {
    }
    for (RunCoding coding :
         {RunCoding::BlendRuns, RunCoding::IndexRuns, RunCoding::ColourRuns, RunCoding::MaskRuns}) {
        try {
            (void)ReadSpriteBytes(bytes, coding, int64_t{1} << 20);
        } catch (const AssetError &) {
        }
    }
    try {
        (void)PaletteFromBytes(bytes);
    } catch (const AssetError &) {
    }
    try {
        (void)ShadeFromBytes(bytes);
    } catch (const AssetError &) {
    }
    return 0;
}
