#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "platform/format.h"

namespace {

struct RealCase {
    const char* fmt;
    double value;
    const char* expected;
};

// Written out by hand: the C library's text with every exponent widened to
// three digits, and the field width counting the extra digit.
const RealCase real_cases[] = {
    {"%14.4e", 10.0, "   1.0000e+001"},
    {"%14.4e", -2.5e-3, "  -2.5000e-003"},
    {"%14.4e", 0.0, "   0.0000e+000"},
    {"%14.4e", -0.0, "  -0.0000e+000"},
    {"%14.4e", 9.99996, "   1.0000e+001"},  // rounding carries into the exponent
    {"%14.4e", 1e100, "   1.0000e+100"},
    {"%14.4e", -1e-300, "  -1.0000e-300"},
    {"%14.4e", DBL_MAX, "   1.7977e+308"},
    {"%14.4e", 4.9406564584124654e-324, "   4.9407e-324"},
    {"%14.4e", INFINITY, "           inf"},
    {"%14.4e", -INFINITY, "          -inf"},
    {"%10.4e", 1.0, "1.0000e+000"},          // overfills its width by one
    {"%10.4e", -123456.0, "-1.2346e+005"},  // and by two
    {"%14.7e", 0.001, "1.0000000e-003"},
    {"%14.7e", -0.001, "-1.0000000e-003"},  // overfills,
    {"%14.5e", 6.02214076e23, "  6.02214e+023"},
    {"%14.5e", 1e-300, "  1.00000e-300"},
    {"%14.5g", 123456.0, "   1.2346e+005"},
    {"%14.5g", 12345.6, "         12346"},
    {"%14.5g", 0.0001, "        0.0001"},
    {"%14.5g", 0.00001, "        1e-005"},
    {"%14.5g", -1e100, "       -1e+100"},
    {"%g", 1e-5, "1e-005"},
    {"%g", 0.0001, "0.0001"},
    {"%g", 100000.0, "100000"},
    {"%g", 1e6, "1e+006"},
    {"%g", -1.5, "-1.5"},
    {"%g", 0.0, "0"},
    {"%g", 1e300, "1e+300"},
    {"%g", INFINITY, "inf"},
    {"%8.4g", 20.0, "      20"},
    {"%8.4g", 18.5, "    18.5"},
    {"%8.4g", 1e90, "  1e+090"},
    {"%8.4g", -1e90, " -1e+090"},
    {"%8.4g", 12346.0, "1.235e+004"},
    {"%8.4g", 0.001, "   0.001"},
    {"%12.4g", 0.000123456, "   0.0001235"},
    {"%12.4g", 0.0000123456, "  1.235e-005"},
    {"%12.4g", -0.0000123456, " -1.235e-005"},
    {"%12.4g", 1e-300, "      1e-300"},
    {"%lf", 10.0, "10.000000"},
    {"%lf", 92.99999999999999, "93.000000"},
    {"%lf", -0.5, "-0.500000"},
    {"%lf", INFINITY, "inf"},
    {"%lf", -INFINITY, "-inf"},
};

TEST(FormatText, RealConversionsTable)
{
    for (const RealCase& c : real_cases) {
        EXPECT_EQ(format_text(c.fmt, c.value), c.expected) << c.fmt << " of " << c.value;
    }
}

TEST(FormatText, NotANumberTakesNoZerosAndNoExponent)
{
    double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(format_text("%14.4e", nan), "           nan");
    EXPECT_EQ(format_text("%8.4g", nan), "     nan");
    EXPECT_EQ(format_text("%014.4e", nan), "           nan");
    EXPECT_EQ(format_text("%014.4e", -2.5), "-002.5000e+000");
}

TEST(FormatText, IntegersStringsAndLiteralText)
{
    EXPECT_EQ(format_text("%d", 45), "45");
    EXPECT_EQ(format_text("%d", -7), "-7");
    EXPECT_EQ(format_text("%5d|", 42), "   42|");
    EXPECT_EQ(format_text("%ld", 0L), "0");
    EXPECT_EQ(format_text("%ld", -2147483648L), "-2147483648");
    EXPECT_EQ(format_text("%ld", LONG_MAX), "9223372036854775807");
    EXPECT_EQ(format_text("%ld", LONG_MIN), "-9223372036854775808");
    EXPECT_EQ(format_text("%s", "srs.out"), "srs.out");
    EXPECT_EQ(format_text("%s", ""), "");
    EXPECT_EQ(format_text("[%-8s]", "ab"), "[ab      ]");
    EXPECT_EQ(format_text("100%%"), "100%");
    EXPECT_EQ(format_text(" %14.4e \t %14.4e \n", 10.0, 0.5), "    1.0000e+001 \t    5.0000e-001 \n");
    EXPECT_EQ(format_text("\n  Q=%lf \n", 16.666666666666668), "\n  Q=16.666667 \n");
    EXPECT_EQ(format_text("\n dtmax = %8.4g   dtmin = %8.4g \n", 20.0, 18.5),
              "\n dtmax =       20   dtmin =     18.5 \n");
}

TEST(FormatText, LongResultIsNotCut)
{
    std::string s = format_text("%lf", 1e300);
    EXPECT_EQ(s.size(), 301u + 7u);
    EXPECT_EQ(s.substr(0, 2), "10");
    EXPECT_EQ(s.substr(s.size() - 7), ".000000");
    std::string long_text(500, 'x');
    EXPECT_EQ(format_text("<%s>", long_text.c_str()), "<" + long_text + ">");
}

// The oracle: the C library's own text, padded to one column less when its
// exponent has two digits, and a '0' put in after the exponent's sign.
std::string c_library_widened(const char* conversion, double value)
{
    char full[512];
    std::snprintf(full, sizeof full, conversion, value);
    const char* e = std::strpbrk(full, "eE");
    if (e == nullptr || std::strlen(e + 2) >= 3) return full;

    // Rebuild the conversion with its width one smaller.
    std::string written(conversion);
    std::size_t digits = written.find_first_of("0123456789", 1);
    std::size_t dot = written.find('.');
    std::string narrowed = written;
    if (digits != std::string::npos && digits < dot) {
        int width = std::stoi(written.substr(digits, dot - digits));
        narrowed = written.substr(0, digits) + std::to_string(width - 1) + written.substr(dot);
    }
    char part[512];
    std::snprintf(part, sizeof part, narrowed.c_str(), value);
    std::string s(part);
    s.insert(s.find_first_of("eE") + 2, 1, '0');
    return s;
}

TEST(FormatText, AgreesWithTheCLibraryOverAllMagnitudes)
{
    const char* conversions[] = {"%g", "%14.4e", "%10.4e", "%14.7e", "%14.5e", "%14.5g", "%8.4g", "%12.4g"};
    const double mantissas[] = {1.0, 1.23456789, 9.99995, 5.55555555, 9.9999999};
    for (int exponent = -324; exponent <= 308; ++exponent) {
        for (double m : mantissas) {
            double v = m * std::pow(10.0, exponent);
            if (!std::isfinite(v)) continue;
            for (double signed_v : {v, -v}) {
                for (const char* c : conversions) {
                    ASSERT_EQ(format_text(c, signed_v), c_library_widened(c, signed_v)) << c << " of " << signed_v;
                }
            }
        }
    }
}

}  // namespace
