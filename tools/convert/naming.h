// Names as the scene file holds them: short, plain ASCII, and unique within their kind.
#pragma once

#include <cstddef>
#include <set>
#include <string>

namespace convert {

// Object names as modelling tools keep them; materials get a little more.
constexpr size_t OBJECT_NAME_LIMIT = 10;
constexpr size_t MATERIAL_NAME_LIMIT = 16;

class NameSet {
  public:
    explicit NameSet(size_t limit) : limit_(limit) {}
    // `wanted` with anything but letters, digits, '_', '-' and '.' turned to '_', cut
    // to the limit, numbered when taken; `fallback` when nothing of it is left.
    std::string make(const std::string& wanted, const std::string& fallback);

  private:
    size_t limit_;
    std::set<std::string> used_;
};

} // namespace convert
