// printf-style formatting of log texts without the C library's printf machinery.
//
// The log writes thousands of numbers per scene (every animation key). formatText
// gives what a C99-exact vsnprintf gives for the same format and arguments, byte for
// byte, and the same text on every platform: numbers are converted with
// std::to_chars, which rounds the exact binary value correctly at the given
// precision (ties to even, as glibc's printf). NaN is written "nan" or "-nan" by
// its sign bit, infinities "inf" and "-inf".
//
// Written here: %d %i %u %x %X %c %s %f %%, with the flags '-', '0', '+' and ' ', a
// decimal width, a decimal precision for %f, and the length modifier 'l' on the
// integer conversions. Any other format (for example '*' widths, '#', %g, %e, %p,
// precisions of integers or texts) is handed to vsnprintf as a whole.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats like vsnprintf(buffer, size, format, args): at most size - 1 characters
// and a terminating zero (size must be at least 1). Returns the length the whole
// text would have, as vsnprintf does.
int formatText(char* buffer, std::size_t size, const char* format, va_list args);
