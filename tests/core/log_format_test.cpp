// The log's formatter against the C library's vsnprintf: the same bytes and the
// same returned length for every format the log uses, on many values.
#include "log/log.h"
#include "log/log_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

// Both formatters on the same arguments: "length|text" of each.
std::string both(bool ours, const char* format, ...) {
    char buffer[LOG_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    int n = ours ? formatText(buffer, sizeof buffer, format, args)
                 : std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return std::to_string(n) + "|" + buffer;
}

#define EXPECT_SAME(...) EXPECT_EQ(both(true, __VA_ARGS__), both(false, __VA_ARGS__))

float floatOfBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

double doubleOfBits(uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

} // namespace

TEST(LogFormat, FixedMatchesPrintfOnSpecialAndRandomValues) {
    using F = std::numeric_limits<float>;
    const float special[] = {0.0f,     -0.0f,       1.0f,          -1.5f,         0.0078125f,      2.5e-7f,
                             5e-7f,    1e-7f,       0.5f,          1e30f,         F::denorm_min(), F::min(),
                             F::max(), F::lowest(), F::infinity(), -F::infinity()};
    for (float f : special)
        EXPECT_SAME("%f|%+f|% f|%12f|%-12f|%012f|%.0f|%.3f", f, f, f, f, f, f, f, f);
    // NaN keeps its sign on every platform (some C libraries drop it), so that both
    // platforms write the same log.
    EXPECT_EQ(both(true, "%f|%+f|%012f|%-6f", F::quiet_NaN(), F::quiet_NaN(), F::quiet_NaN(), F::quiet_NaN()),
              "28|nan|+nan|         nan|nan   ");
    EXPECT_EQ(
        both(true, "%f|%+f|%012f|%-6f", -F::quiet_NaN(), -F::quiet_NaN(), -F::quiet_NaN(), -F::quiet_NaN()),
        "29|-nan|-nan|        -nan|-nan  ");
    EXPECT_SAME("%f %f", std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min());

    std::mt19937_64 random(20261208);
    int failures = 0;
    for (int i = 0; i < 200000 && failures < 10; ++i) {
        uint64_t bits = random();
        // Random bit patterns reach every exponent, denormals, infinities and NaNs;
        // values in the range of scene coordinates are drawn as well.
        float f = i % 2
                      ? floatOfBits(static_cast<uint32_t>(bits))
                      : static_cast<float>(std::ldexp(double(bits >> 40) - double(1 << 23), -int(bits % 40)));
        if (std::isnan(f))
            continue; // checked above
        std::string a = both(true, "(%f,%f,%f)", f, -f, f * 0.5f),
                    b = both(false, "(%f,%f,%f)", f, -f, f * 0.5f);
        failures += a != b;
        EXPECT_EQ(a, b) << "bits " << bits;
    }
    for (int i = 0; i < 20000 && failures < 10; ++i) {
        double d = doubleOfBits(random());
        if (std::isnan(d))
            continue;
        char format[16];
        std::snprintf(format, sizeof format, "%%.%df|%%f", static_cast<int>(random() % 18));
        std::string a = both(true, format, d, d), b = both(false, format, d, d);
        failures += a != b;
        EXPECT_EQ(a, b) << format;
    }
}

TEST(LogFormat, IntegersTextsAndCutsMatchPrintf) {
    const long values[] = {0, 7, -7, 123456, -2147483647L - 1, 2147483647, std::numeric_limits<long>::min()};
    for (long v : values) {
        int i = static_cast<int>(v);
        EXPECT_SAME("%d|%i|%3i|%-5d|%05d|%+d|% d|%u|%x|%X|%08x|%ld|%lu|%lx|%%|%c", i, i, i, i, i, i, i,
                    static_cast<unsigned>(i), static_cast<unsigned>(i), static_cast<unsigned>(i),
                    static_cast<unsigned>(i), v, static_cast<unsigned long>(v), static_cast<unsigned long>(v),
                    'A' + (i & 15));
    }
    EXPECT_SAME("[#] Material Name: %s | %8s|%-8s|", "100%_wood %d", "ab", "cd");
    // Cut at the buffer's last byte, inside a text and inside a number; the length
    // returned is the whole text's.
    std::string longText(LOG_BUFFER_SIZE - 3, 'x');
    EXPECT_SAME("%s%f", longText.c_str(), 1234.5);
    EXPECT_SAME("%s%s%d", longText.c_str(), "abcdef", 42);
    // Formats written by the C library: the result is the same.
    EXPECT_SAME("%g %e %5.2s %*d %p", 1.5, 2.5, "abcdef", 4, 9, static_cast<void*>(nullptr));
}
