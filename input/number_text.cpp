#include "input/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

const char* skip_digits(const char* p, const char* end)
{
    while (p < end && is_digit(*p)) ++p;
    return p;
}

}  // namespace

std::size_t match_number(const char* p, const char* end)
{
    const char* q = p;
    if (q < end && (*q == '+' || *q == '-')) ++q;
    const char* int_end = skip_digits(q, end);
    bool digits = int_end > q;
    q = int_end;
    if (q < end && *q == '.') {
        const char* frac_end = skip_digits(q + 1, end);
        if (!digits && frac_end == q + 1) return 0;  // a lone "." is no number
        digits = true;
        q = frac_end;
    }
    if (!digits) return 0;
    if (q < end && (*q == 'e' || *q == 'E')) {
        const char* e = q + 1;
        if (e < end && (*e == '+' || *e == '-')) ++e;
        const char* exp_end = skip_digits(e, end);
        if (exp_end > e) q = exp_end;
    }
    return static_cast<std::size_t>(q - p);
}

bool convert_number(const char* p, std::size_t length, double& value)
{
    const char* end = p + length;
    if (p < end && *p == '+') ++p;  // from_chars takes no plus sign
    auto [ptr, ec] = std::from_chars(p, end, value);
    if (ec == std::errc()) return true;
    if (ec != std::errc::result_out_of_range) return false;
    // from_chars refuses underflow as well as overflow; strtod rounds the
    // former correctly to zero or a subnormal and reports the latter as inf.
    std::string text(p, end);
    double v = std::strtod(text.c_str(), nullptr);
    if (std::isinf(v)) return false;
    value = v;
    return true;
}

bool parse_real_token(const std::string& token, double& value)
{
    const char* p = token.data();
    std::size_t n = match_number(p, p + token.size());
    return n > 0 && n == token.size() && convert_number(p, n, value);
}

bool parse_integer_token(const std::string& token, long min, long max, long& value)
{
    const char* p = token.data();
    const char* end = p + token.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (p == end || skip_digits(p, end) != end) return false;
    long v = 0;
    for (; p < end; ++p) {
        int d = *p - '0';
        // Accumulate toward the sign so the most negative long fits too.
        if (negative ? v < (min + d) / 10 : v > (max - d) / 10) return false;
        v = v * 10 + (negative ? -d : d);
    }
    if (v < min || v > max) return false;
    value = v;
    return true;
}
