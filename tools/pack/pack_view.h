// ruvo-pack view: any file of the tool back to a PNG.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "tools/pack/pack_args.h"

namespace ruvo::pack {

int View(const Args &args);

// Whether the bytes are one whole sprite of the coding: every row made of
// whole runs that end exactly at its byte count and cover at most the
// declared width, the last row ending with the data.
bool ParsesAs(std::span<const uint8_t> bytes, assets::RunCoding coding);

}  // namespace ruvo::pack
