#include "naming.h"

namespace convert {

namespace {

std::string plain(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                    c == '-' || c == '.';
        out += keep ? static_cast<char>(c) : '_';
    }
    return out;
}

} // namespace

std::string NameSet::make(const std::string& wanted, const std::string& fallback) {
    std::string base = plain(wanted);
    if (base.find_first_not_of('_') == std::string::npos)
        base = fallback;
    base = base.substr(0, limit_);
    std::string name = base;
    for (unsigned n = 2; used_.count(name); ++n) {
        std::string suffix = "~" + std::to_string(n);
        name = base.substr(0, limit_ > suffix.size() ? limit_ - suffix.size() : 0) + suffix;
    }
    used_.insert(name);
    return name;
}

} // namespace convert
