// The demo's assets as one file, so that a host without the tools library
// (the page in a browser) gets exactly the art the native demo builds at
// start-up. Little-endian throughout: the tag "RVDA", a version word, then every
// field of Art in declaration order; a byte string is its length (32 bits)
// and its bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "demo/demo_art.h"

namespace demo {

std::vector<uint8_t> WriteArt(const Art &art);

// Reads what WriteArt wrote into art; false (art partly filled) for anything
// else: a wrong tag or version, a short file, bytes left over.
bool ReadArt(std::span<const uint8_t> file, Art &art);

}  // namespace demo
