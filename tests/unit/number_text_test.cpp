#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "input/number_text.h"

namespace {

std::size_t match(const std::string& text)
{
    return match_number(text.data(), text.data() + text.size());
}

struct MatchCase {
    const char* text;
    std::size_t length;
};

TEST(MatchNumber, LongestPrefixOfTheGrammar)
{
    const MatchCase cases[] = {
        {"0", 1},       {"12", 2},        {"-3", 2},       {"+4", 2},         {".5", 2},
        {"5.", 2},      {"-.5", 3},       {"+5.e3", 5},    {"1e5", 3},        {"1E-5", 4},
        {"2.5e+10x", 7}, {"1e", 1},       {"1e+", 1},      {"1e-x", 1},       {"1.2.3", 3},
        {"1e5.5", 3},   {"1e5e5", 3},     {"12 34", 2},    {"3,5", 1},        {"0x10", 1},
        {"00012", 5},   {"", 0},          {"-", 0},        {"+", 0},          {".", 0},
        {"-.", 0},      {"+.e5", 0},      {".e5", 0},      {"e5", 0},         {"--1", 0},
        {"+-1", 0},     {" 1", 0},        {"inf", 0},      {"-inf", 0},       {"nan", 0},
        {"infinity", 0}, {"x1", 0},
    };
    for (const MatchCase& c : cases) EXPECT_EQ(match(c.text), c.length) << '"' << c.text << '"';
}

TEST(MatchNumber, StopsAtTheGivenEnd)
{
    const char text[] = "12345e67";
    EXPECT_EQ(match_number(text, text + 3), 3u);
    EXPECT_EQ(match_number(text, text + 6), 5u);  // "12345e" without its digits
    EXPECT_EQ(match_number(text, text + 7), 7u);
    EXPECT_EQ(match_number(text, text), 0u);
    const char dot[] = "5.";
    EXPECT_EQ(match_number(dot, dot + 1), 1u);
}

double convert(const std::string& text, bool& ok)
{
    double value = 12345.0;
    ok = convert_number(text.data(), text.size(), value);
    return value;
}

// Bit-for-bit equality, so that -0.0 and 0.0 differ.
void expect_same_bits(double got, double want, const std::string& text)
{
    std::uint64_t a, b;
    std::memcpy(&a, &got, sizeof a);
    std::memcpy(&b, &want, sizeof b);
    EXPECT_EQ(a, b) << text << ": got " << got << ", strtod gives " << want;
}

void expect_like_strtod(const std::string& text)
{
    bool ok = false;
    double v = convert(text, ok);
    ASSERT_TRUE(ok) << text;
    expect_same_bits(v, std::strtod(text.c_str(), nullptr), text);
}

TEST(ConvertNumber, EdgeValuesMatchStrtod)
{
    const char* texts[] = {
        "0", "-0", "+0", "+5", "-.5", "5.", "1e0", "0.1", "0.3", "1e23", "8.98846567431158e307",
        "1.7976931348623157e308", "1.7976931348623158e308",  // below the halfway point to 2^1024
        "2.2250738585072014e-308", "2.2250738585072011e-308", "4.9406564584124654e-324",
        "2.4703282292062328e-324",  // just above half the least subnormal: rounds up to it
        "2.4703282292062327e-324",  // at or below it: rounds to zero
        "3e-324", "1e-400", "-1e-400", "1e-99999", "1e-99999999999999999999", "0e99999999999999999999", "9007199254740993", "9007199254740995",
        "0.000000000000000000000000000000000000000000001e45", "123456789012345678901234567890",
    };
    for (const char* t : texts) expect_like_strtod(t);
}

TEST(ConvertNumber, UnderflowIsZeroOverflowIsRefused)
{
    bool ok = false;
    EXPECT_EQ(convert("1e-400", ok), 0.0);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(std::signbit(convert("-1e-400", ok)));
    EXPECT_TRUE(ok);

    for (const char* t : {"1e309", "-1e309", "1.7976931348623159e308", "1e99999", "1e99999999999999999999",
                          "18e307", "179769313486231590000000000000000000000000000000000000000000000000000000000000000000000000000000000"
                                    "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
                                    "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
                                    "00000000000000000000000000000000"}) {
        convert(t, ok);
        EXPECT_FALSE(ok) << t;
    }
}

TEST(ConvertNumber, FourHundredDigitsRoundCorrectly)
{
    // 2^53 + 1 lies halfway between two doubles; only a digit far beyond
    // the seventeenth can decide that it rounds up.
    std::string halfway = "9007199254740993";
    std::string above = halfway + "." + std::string(380, '0') + "1";
    std::string below = "9007199254740992." + std::string(380, '9');
    bool ok = false;
    EXPECT_EQ(convert(halfway, ok), 9007199254740992.0);
    EXPECT_EQ(convert(above, ok), 9007199254740994.0);
    EXPECT_TRUE(ok);
    EXPECT_EQ(convert(below, ok), 9007199254740992.0);
    expect_like_strtod(above);
    expect_like_strtod(below);
    expect_like_strtod(std::string(400, '7') + "e-100");
    expect_like_strtod("0." + std::string(400, '3') + "e-10");
    expect_like_strtod(std::string(400, '1') + "e-700");  // subnormal from 400 digits
    expect_like_strtod("0." + std::string(399, '0') + "1e90");
}

TEST(ConvertNumber, RandomDecimalsMatchStrtod)
{
    std::mt19937_64 rng(20240611);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        if (rng() & 1) text += '-';
        int digits = 1 + static_cast<int>(rng() % 25);
        int point = static_cast<int>(rng() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + rng() % 10);
        }
        int exponent = static_cast<int>(rng() % 680) - 345;  // subnormals and near-overflow too
        text += 'e' + std::to_string(exponent);
        double want = std::strtod(text.c_str(), nullptr);
        bool ok = false;
        double v = convert(text, ok);
        if (std::isinf(want)) {
            ASSERT_FALSE(ok) << text;
        } else {
            ASSERT_TRUE(ok) << text;
            ASSERT_EQ(v, want) << text;
        }
    }
}

TEST(ConvertNumber, EveryBinaryExponentRoundTrips)
{
    // The shortest round-trip text of a double must convert back to it.
    std::mt19937_64 rng(7);
    for (int e = -1074; e <= 1023; ++e) {
        for (int k = 0; k < 4; ++k) {
            double v = std::ldexp(1.0 + static_cast<double>(rng() >> 12) * 0x1p-52, e);
            if (!std::isfinite(v) || v == 0) continue;
            char text[40];
            std::snprintf(text, sizeof text, "%.17g", v);
            bool ok = false;
            ASSERT_EQ(convert(text, ok), v) << text;
            ASSERT_TRUE(ok);
        }
    }
}

struct RealTokenCase {
    const char* token;
    bool ok;
    double value;
};

TEST(ParseRealToken, WholeTokenOnly)
{
    const RealTokenCase cases[] = {
        {"1.5", true, 1.5},    {"-.5", true, -0.5},  {"5.", true, 5.0},     {"+2e3", true, 2000.0},
        {"0.05", true, 0.05},  {"1e-400", true, 0.0}, {"1.5x", false, 0},   {" 1.5", false, 0},
        {"1.5 ", false, 0},    {"1e", false, 0},      {"1.2.3", false, 0},  {"", false, 0},
        {".", false, 0},       {"-", false, 0},       {"inf", false, 0},    {"nan", false, 0},
        {"0x1p3", false, 0},   {"1e309", false, 0},   {"1,5", false, 0},    {"abc", false, 0},
    };
    for (const RealTokenCase& c : cases) {
        double value = -99.0;
        EXPECT_EQ(parse_real_token(c.token, value), c.ok) << '"' << c.token << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.token;
        }
    }
    double value = 0;
    EXPECT_FALSE(parse_real_token(std::string("1\0", 2), value));
}

struct IntegerCase {
    const char* token;
    long min;
    long max;
    bool ok;
    long value;
};

TEST(ParseIntegerToken, SignsZerosAndLimits)
{
    const IntegerCase cases[] = {
        {"42", LONG_MIN, LONG_MAX, true, 42},
        {"+7", LONG_MIN, LONG_MAX, true, 7},
        {"-0012", LONG_MIN, LONG_MAX, true, -12},
        {"-0", LONG_MIN, LONG_MAX, true, 0},
        {"000000000000000000000000000000001", LONG_MIN, LONG_MAX, true, 1},
        {"9223372036854775807", LONG_MIN, LONG_MAX, true, LONG_MAX},
        {"9223372036854775808", LONG_MIN, LONG_MAX, false, 0},
        {"-9223372036854775808", LONG_MIN, LONG_MAX, true, LONG_MIN},
        {"-9223372036854775809", LONG_MIN, LONG_MAX, false, 0},
        {"99999999999999999999999", LONG_MIN, LONG_MAX, false, 0},
        {"2147483647", INT_MIN, INT_MAX, true, INT_MAX},
        {"2147483648", INT_MIN, INT_MAX, false, 0},
        {"-2147483648", INT_MIN, INT_MAX, true, INT_MIN},
        {"-2147483649", INT_MIN, INT_MAX, false, 0},
        {"+0002147483647", INT_MIN, INT_MAX, true, INT_MAX},
        {"5", 1, 10, true, 5},
        {"0", 1, 10, false, 0},
        {"11", 1, 10, false, 0},
        {"-5", 1, 10, false, 0},
        {"", LONG_MIN, LONG_MAX, false, 0},
        {"+", LONG_MIN, LONG_MAX, false, 0},
        {"-", LONG_MIN, LONG_MAX, false, 0},
        {"1.0", LONG_MIN, LONG_MAX, false, 0},
        {"1e2", LONG_MIN, LONG_MAX, false, 0},
        {" 1", LONG_MIN, LONG_MAX, false, 0},
        {"1 ", LONG_MIN, LONG_MAX, false, 0},
        {"+-1", LONG_MIN, LONG_MAX, false, 0},
        {"0x1", LONG_MIN, LONG_MAX, false, 0},
        {"two", LONG_MIN, LONG_MAX, false, 0},
    };
    for (const IntegerCase& c : cases) {
        long value = 777;
        EXPECT_EQ(parse_integer_token(c.token, c.min, c.max, value), c.ok) << '"' << c.token << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.token;
        }
    }
}

}  // namespace
