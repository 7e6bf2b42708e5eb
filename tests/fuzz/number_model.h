// Slow, obvious models of how the program reads numbers, written apart from
// the reader they judge: whole-text recognition by splitting at the exponent
// letter, the longest prefix found by trying every length from the longest
// down, and the C library's strtod for the value.
#pragma once

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

// A failed property: says which and stops, so that libFuzzer records the
// input and the replay test fails.
#define FUZZ_CHECK(condition)                                                            \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, \
                         #condition);                                                    \
            std::abort();                                                                \
        }                                                                                \
    } while (0)

namespace model {

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The whitespace of formatted input in the C locale.
inline bool is_space(char c) { return c != '\0' && std::strchr(" \t\n\v\f\r", c) != nullptr; }

inline bool all_digits(std::string_view s)
{
    for (char c : s)
        if (!is_digit(c)) return false;
    return true;
}

// Whether the whole text is one number: a sign, a mantissa of digits with at
// most one point and at least one digit, then e or E, a sign and digits.
inline bool is_number(std::string_view s)
{
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) s.remove_prefix(1);
    std::size_t e = s.find_first_of("eE");
    std::string_view mantissa = s.substr(0, e);
    std::size_t points = 0, digits = 0;
    for (char c : mantissa) {
        if (c == '.') ++points;
        else if (is_digit(c)) ++digits;
        else return false;
    }
    if (points > 1 || digits == 0) return false;
    if (e == std::string_view::npos) return true;
    std::string_view exponent = s.substr(e + 1);
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) exponent.remove_prefix(1);
    return !exponent.empty() && all_digits(exponent);
}

// Length of the longest prefix that is a number, 0 if none. Only the run of
// characters a number is made of can hold one, which keeps the search short.
inline std::size_t longest_number(std::string_view s)
{
    std::size_t run = 0;
    while (run < s.size() && std::strchr("0123456789.eE+-", s[run]) && s[run] != '\0') ++run;
    for (std::size_t n = run; n > 0; --n)
        if (is_number(s.substr(0, n))) return n;
    return 0;
}

// The value strtod gives the text; false when it overflows a double.
inline bool value_of(std::string_view text, double& value)
{
    std::string copy(text);
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(copy.c_str(), &end);
    FUZZ_CHECK(end == copy.c_str() + copy.size());
    if (errno == ERANGE && std::isinf(v)) return false;
    value = v;
    return true;
}

inline bool same_double(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

enum class Value { number, not_number, end };

// One value of a time history: whitespace, then the longest number; text that
// is not a number (or overflows) stays unread.
inline Value read_value(std::string_view& rest, double& value)
{
    std::size_t start = rest.find_first_not_of(std::string_view(" \t\n\v\f\r"));
    if (start == std::string_view::npos) return Value::end;
    rest.remove_prefix(start);
    std::size_t n = longest_number(rest);
    if (n == 0 || !value_of(rest.substr(0, n), value)) return Value::not_number;
    rest.remove_prefix(n);
    return Value::number;
}

// "%lf %lf": 2, 1, 0 or -1 as formatted input counts them.
inline int read_sample(std::string_view& rest, double& time, double& accel)
{
    double t, a;
    Value first = read_value(rest, t);
    if (first == Value::end) return -1;
    if (first == Value::not_number) return 0;
    time = t;
    if (read_value(rest, a) != Value::number) return 1;
    accel = a;
    return 2;
}

}  // namespace model
