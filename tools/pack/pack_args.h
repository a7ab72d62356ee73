// ruvo-pack's command line and files: options, numbers and codings by name,
// whole files in and out, and which operations draw each sprite coding.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tools/assets/colour_tables.h"
#include "tools/assets/sprite_codec.h"

namespace ruvo::pack {

// A mistake in the command line rather than in a file: exit status 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Positionals, options with values, and --help.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    bool help = false;

    std::optional<std::string> Get(const std::string &name) const;
    std::string Need(const std::string &name) const;  // UsageError when absent
};

// Options outside with_value are refused; so is an option without its value.
Args ParseArgs(int argc, char **argv, int first, const std::set<std::string> &with_value);

// A whole number in lo..hi; UsageError otherwise, naming what it is for.
int ParseInt(const std::string &text, const std::string &what, int lo, int hi);
// Two numbers "A,B" (each checked by the caller).
std::pair<int, int> ParsePair(const std::string &text, const std::string &what);

assets::RunCoding ParseCoding(const std::string &name);
const char *CodingName(assets::RunCoding coding);  // "index", "blend", "colour", "mask"
// The --fills option: "fast" (the default) or "small".
assets::Fills FillsOf(const Args &args);

// The --ramp option (default 1,4): FIRST 0..255, COUNT 1..255, inside 0..255.
std::pair<int, int> RampOf(const Args &args);

// The operations that read a coding, for messages and help.
const char *OperationsFor(assets::RunCoding coding);

// Throw assets::AssetError (exit status 1) when the file cannot be read or written.
std::vector<uint8_t> ReadFile(const std::string &path);
void WriteFile(const std::string &path, const std::vector<uint8_t> &bytes);
assets::Palette LoadPalette(const std::string &path);

}  // namespace ruvo::pack
