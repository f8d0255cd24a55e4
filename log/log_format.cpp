#include "log/log_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Limits of what is written here; larger widths and precisions go to vsnprintf.
constexpr int MAX_WIDTH = 4096;
constexpr int MAX_PRECISION = 60;
// The longest %f text: 309 digits of the largest double, sign, point, precision.
constexpr int FIXED_TEXT_SIZE = 320 + MAX_PRECISION;

struct Directive {
    bool left = false;
    bool zero = false;
    bool plus = false;
    bool space = false;
    bool isLong = false;
    int width = 0;
    int precision = -1;
    char conversion = 0;
};

// Text written into the caller's buffer, cut at its last byte but counted whole.
class Output {
  public:
    Output(char* buffer, std::size_t size) : p_(buffer), end_(buffer + size - 1) {}
    void put(const char* text, std::size_t n) {
        total_ += n;
        std::size_t room = static_cast<std::size_t>(end_ - p_);
        n = n < room ? n : room;
        std::memcpy(p_, text, n);
        p_ += n;
    }
    void fill(char c, std::size_t n) {
        total_ += n;
        std::size_t room = static_cast<std::size_t>(end_ - p_);
        n = n < room ? n : room;
        std::memset(p_, c, n);
        p_ += n;
    }
    int finish() {
        *p_ = '\0';
        return static_cast<int>(total_);
    }

  private:
    char* p_;
    char* end_;
    std::size_t total_ = 0;
};

bool readNumber(const char*& p, int& value, int limit) {
    value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + (*p++ - '0');
        if (value > limit)
            return false;
    }
    return true;
}

// Reads the directive after a '%'. False for one that is not written here.
bool parseDirective(const char*& p, Directive& directive) {
    for (;; ++p) {
        if (*p == '-')
            directive.left = true;
        else if (*p == '0')
            directive.zero = true;
        else if (*p == '+')
            directive.plus = true;
        else if (*p == ' ')
            directive.space = true;
        else
            break;
    }
    if (!readNumber(p, directive.width, MAX_WIDTH))
        return false;
    if (*p == '.' && !readNumber(++p, directive.precision, MAX_PRECISION))
        return false;
    if (*p == 'l') {
        directive.isLong = true;
        ++p;
    }
    directive.conversion = *p;
    if (*p)
        ++p;
    switch (directive.conversion) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
        return directive.precision < 0;
    case 'c':
    case 's':
        return directive.precision < 0 && !directive.isLong && !directive.zero && !directive.plus &&
               !directive.space;
    case 'f':
        return true;
    default:
        return false;
    }
}

// Writes sign and digits in a field of the directive's width: blanks before them, after
// them with '-', or zeros between sign and digits with '0' where zeros are allowed.
void putField(Output& out, const Directive& directive, const char* sign, const char* digits, std::size_t n,
              bool zeroAllowed) {
    std::size_t signLength = std::strlen(sign);
    std::size_t length = signLength + n;
    std::size_t width = static_cast<std::size_t>(directive.width);
    std::size_t pad = width > length ? width - length : 0;
    if (directive.left) {
        out.put(sign, signLength);
        out.put(digits, n);
        out.fill(' ', pad);
    } else if (directive.zero && zeroAllowed) {
        out.put(sign, signLength);
        out.fill('0', pad);
        out.put(digits, n);
    } else {
        out.fill(' ', pad);
        out.put(sign, signLength);
        out.put(digits, n);
    }
}

// A converted number whose text may begin with '-': the sign printf puts before it.
void putNumber(Output& out, const Directive& directive, const char* text, const char* end, bool zeroAllowed) {
    const char* sign = directive.plus ? "+" : directive.space ? " " : "";
    if (*text == '-') {
        sign = "-";
        ++text;
    }
    putField(out, directive, sign, text, static_cast<std::size_t>(end - text), zeroAllowed);
}

void putSigned(Output& out, const Directive& directive, long value) {
    char text[24];
    char* end = std::to_chars(text, text + sizeof text, value).ptr;
    putNumber(out, directive, text, end, true);
}

void putUnsigned(Output& out, const Directive& directive, unsigned long value) {
    char text[24];
    char* end = std::to_chars(text, text + sizeof text, value, directive.conversion == 'u' ? 10 : 16).ptr;
    if (directive.conversion == 'X') {
        for (char* c = text; c < end; ++c) {
            if (*c >= 'a')
                *c = static_cast<char>(*c - 'a' + 'A');
        }
    }
    putField(out, directive, "", text, static_cast<std::size_t>(end - text), true);
}

void putFixed(Output& out, const Directive& directive, double value) {
    char text[FIXED_TEXT_SIZE];
    int precision = directive.precision < 0 ? 6 : directive.precision;
#if defined(__cpp_lib_to_chars)
    char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision).ptr;
#else
    // A C++ library without floating-point to_chars (the browser build's): its printf
    // runs in the "C" locale only and rounds exactly, as to_chars does.
    int length = std::snprintf(text, sizeof text, "%.*f", precision, value);
    char* end = text + (length < 0 ? 0 : std::min<int>(length, sizeof text - 1));
#endif
    putNumber(out, directive, text, end, std::isfinite(value));
}

// Writes the whole text; false (with the arguments partly used) when the format has
// something that is not written here.
bool formatAll(Output& out, const char* format, va_list args) {
    const char* p = format;
    for (;;) {
        const char* percent = std::strchr(p, '%');
        if (!percent) {
            out.put(p, std::strlen(p));
            return true;
        }
        out.put(p, static_cast<std::size_t>(percent - p));
        p = percent + 1;
        if (*p == '%') {
            out.put(p++, 1);
            continue;
        }
        Directive directive;
        if (!parseDirective(p, directive))
            return false;
        switch (directive.conversion) {
        case 'd':
        case 'i':
            putSigned(out, directive, directive.isLong ? va_arg(args, long) : va_arg(args, int));
            break;
        case 'u':
        case 'x':
        case 'X':
            putUnsigned(out, directive,
                        directive.isLong ? va_arg(args, unsigned long) : va_arg(args, unsigned));
            break;
        case 'c': {
            char c = static_cast<char>(va_arg(args, int));
            putField(out, directive, "", &c, 1, false);
            break;
        }
        case 's': {
            const char* text = va_arg(args, const char*);
            if (!text)
                return false;
            putField(out, directive, "", text, std::strlen(text), false);
            break;
        }
        default: // 'f'
            putFixed(out, directive, va_arg(args, double));
            break;
        }
    }
}

} // namespace

int formatText(char* buffer, std::size_t size, const char* format, va_list args) {
    Output out(buffer, size);
    va_list attempt;
    va_copy(attempt, args);
    bool written = formatAll(out, format, attempt);
    va_end(attempt);
    if (written)
        return out.finish();
    return std::vsnprintf(buffer, size, format, args);
}
