#include "platform/format.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    std::string length;  // "l", "ll", "h", ...
    char type = 0;
};

// Parses the conversion after a '%'; returns the position after it.
const char* parse_conversion(const char* p, Conversion& c)
{
    while (*p && std::strchr("-+ #0", *p)) c.flags += *p++;
    if (std::isdigit(static_cast<unsigned char>(*p))) {
        c.width = 0;
        while (std::isdigit(static_cast<unsigned char>(*p))) c.width = c.width * 10 + (*p++ - '0');
    }
    if (*p == '.') {
        ++p;
        c.precision = 0;
        while (std::isdigit(static_cast<unsigned char>(*p))) c.precision = c.precision * 10 + (*p++ - '0');
    }
    while (*p && std::strchr("hlLqjzt", *p)) c.length += *p++;
    c.type = *p ? *p++ : 0;
    return p;
}

std::string spec_without_width(const Conversion& c)
{
    std::string spec(1, '%');
    spec += c.flags;
    if (c.precision >= 0) {
        spec += '.';
        spec += std::to_string(c.precision);
    }
    spec += c.length;
    spec += c.type;
    return spec;
}

template <typename T>
std::string snformat(const std::string& spec, T value)
{
    char small[128];
    int n = std::snprintf(small, sizeof small, spec.c_str(), value);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, n);
    std::string big(n + 1, '\0');
    std::snprintf(big.data(), big.size(), spec.c_str(), value);
    big.resize(n);
    return big;
}

// The C library writes at least two exponent digits; the program's files and
// console have always carried three.
void widen_exponent(std::string& s)
{
    size_t e = s.find_first_of("eE");
    if (e == std::string::npos || e + 1 >= s.size()) return;
    size_t digits = e + 2;
    size_t count = s.size() - digits;
    if (count < 3) s.insert(digits, 3 - count, '0');
}

void pad_to_width(std::string& s, const Conversion& c)
{
    if (c.width < 0 || s.size() >= static_cast<size_t>(c.width)) return;
    size_t fill = c.width - s.size();
    bool finite = s.find_first_of("ni") == std::string::npos;  // inf and nan take no zeros
    if (c.flags.find('-') != std::string::npos) {
        s.append(fill, ' ');
    } else if (c.flags.find('0') != std::string::npos && finite) {
        size_t after_sign = (!s.empty() && std::strchr("+- ", s[0])) ? 1 : 0;
        s.insert(after_sign, fill, '0');
    } else {
        s.insert(0, fill, ' ');
    }
}

std::string format_floating(const Conversion& c, double value)
{
    std::string s = snformat(spec_without_width(c), value);
    if (std::strchr("eEgG", c.type)) widen_exponent(s);
    pad_to_width(s, c);
    return s;
}

std::string format_integer(const Conversion& c, va_list& args)
{
    std::string spec = spec_without_width(c);
    std::string s;
    if (c.length == "l")
        s = snformat(spec, va_arg(args, long));
    else if (c.length == "ll")
        s = snformat(spec, va_arg(args, long long));
    else
        s = snformat(spec, va_arg(args, int));
    pad_to_width(s, c);
    return s;
}

std::string format_string(const Conversion& c, const char* text)
{
    std::string s = text ? text : "(null)";
    if (c.precision >= 0 && s.size() > static_cast<size_t>(c.precision)) s.resize(c.precision);
    pad_to_width(s, c);
    return s;
}

}  // namespace

std::string vformat_text(const char* fmt, va_list args)
{
    va_list ap;
    va_copy(ap, args);
    std::string out;
    for (const char* p = fmt; *p;) {
        if (*p != '%') {
            const char* next = std::strchr(p, '%');
            size_t n = next ? static_cast<size_t>(next - p) : std::strlen(p);
            out.append(p, n);
            p += n;
            continue;
        }
        Conversion c;
        p = parse_conversion(p + 1, c);
        switch (c.type) {
        case 'e': case 'E': case 'f': case 'F': case 'g': case 'G':
            out += format_floating(c, va_arg(ap, double));
            break;
        case 'd': case 'i': case 'u': case 'x': case 'X': case 'o':
            out += format_integer(c, ap);
            break;
        case 's':
            out += format_string(c, va_arg(ap, const char*));
            break;
        case 'c':
            out += static_cast<char>(va_arg(ap, int));
            break;
        case '%':
            out += '%';
            break;
        default:
            break;
        }
    }
    va_end(ap);
    return out;
}

std::string format_text(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string s = vformat_text(fmt, args);
    va_end(args);
    return s;
}
