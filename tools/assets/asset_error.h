// The one error the asset tools report: a message meant for a person, one
// line, naming the file or value at fault.
#pragma once

#include <stdexcept>
#include <string>

namespace ruvo::assets {

class AssetError : public std::runtime_error {
  public:
    explicit AssetError(const std::string &what) : std::runtime_error(what) {}
};

}  // namespace ruvo::assets
