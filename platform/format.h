#pragma once
#include <cstdarg>
#include <string>

// printf-style formatting for everything the program prints or writes. The
// one difference from the C library: the exponent of every e-style result (from
// %e, or from %g when it picks the exponent form) has a sign and at least three
// digits, 1.0000e+001 rather than 1.0000e+01, and field widths count them.
std::string format_text(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vformat_text(const char* fmt, va_list args);
