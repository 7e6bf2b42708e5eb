#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "input/sample_reader.h"
#include "test_files.h"

namespace {

constexpr std::size_t chunk = 1 << 20;  // the reader's read size
constexpr double untouched = -777.0;    // an acceleration no file here holds

struct Read {
    int result;
    double time;
    double accel;
    bool operator==(const Read&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Read& r)
{
    return os << '{' << r.result << ", " << r.time << ", " << r.accel << '}';
}

// Every read up to and including the first result that is not a sample. The
// places for time and acceleration persist across reads, as in the passes.
std::vector<Read> read_until_stop(SampleReader& reader)
{
    std::vector<Read> reads;
    double time = untouched;
    double accel = untouched;
    for (;;) {
        int result = read_sample(reader, time, accel);
        reads.push_back({result, time, accel});
        if (result != sample_complete && result != sample_time_only) return reads;
    }
}

std::vector<Read> read_text(const std::string& text)
{
    SampleReader reader;
    std::FILE* f = stream_with(text);
    if (f == nullptr) return {};
    attach_reader(reader, f);
    std::vector<Read> reads = read_until_stop(reader);
    close_reader(reader);
    return reads;
}

struct Case {
    const char* name;
    std::string text;
    std::vector<Read> reads;
};

TEST(ReadSample, ResultsTable)
{
    const double u = untouched;
    const Case cases[] = {
        {"pairs", "0 1\n0.1 2\n", {{2, 0, 1}, {2, 0.1, 2}, {-1, 0.1, 2}}},
        {"empty", "", {{-1, u, u}}},
        {"only whitespace", " \t\r\n\v\f \n", {{-1, u, u}}},
        {"lone trailing time keeps the acceleration", "0 1 0.2", {{2, 0, 1}, {1, 0.2, 1}, {-1, 0.2, 1}}},
        {"lone time then line end", "0 1\n0.2\n", {{2, 0, 1}, {1, 0.2, 1}, {-1, 0.2, 1}}},
        {"lone first time", "5", {{1, 5, u}, {-1, 5, u}}},
        {"time then a word", "0 1 0.1 x", {{2, 0, 1}, {1, 0.1, 1}, {0, 0.1, 1}}},
        {"header line", "time accel\n0 1\n", {{0, u, u}}},
        {"words after data", "0 1 2 3 end 4 5", {{2, 0, 1}, {2, 2, 3}, {0, 2, 3}}},
        {"NUL ends the data", std::string("0 1\0 2 3", 8), {{2, 0, 1}, {0, 0, 1}}},
        {"comma is no separator", "0,1", {{1, 0, u}, {0, 0, u}}},
        {"signs, points and exponents", "-0 -1.5e-3 +2. .5", {{2, -0.0, -1.5e-3}, {2, 2, 0.5}, {-1, 2, 0.5}}},
        {"overflowing acceleration is no number", "0 1 1 1e309", {{2, 0, 1}, {1, 1, 1}, {0, 1, 1}}},
    };
    for (const Case& c : cases) EXPECT_EQ(read_text(c.text), c.reads) << c.name;
}

TEST(ReadSample, TokenThatIsNoNumberStaysUnread)
{
    SampleReader reader;
    attach_reader(reader, stream_with("1 2 stop 3 4"));
    double t = 0, a = 0;
    EXPECT_EQ(read_sample(reader, t, a), sample_complete);
    EXPECT_EQ(read_sample(reader, t, a), sample_none);
    EXPECT_EQ(read_sample(reader, t, a), sample_none);
    EXPECT_EQ(t, 1);
    EXPECT_EQ(a, 2);
    close_reader(reader);
}

TEST(ReadSample, LineStructureCarriesNoMeaning)
{
    std::vector<Read> lf = read_text("0 1.5\n0.001 -2\n0.002 3e-3\n");
    ASSERT_EQ(lf.size(), 4u);
    EXPECT_EQ(read_text("0 1.5\r\n0.001 -2\r\n0.002 3e-3\r\n"), lf);
    EXPECT_EQ(read_text("0\n1.5\n0.001\n-2\n0.002\n3e-3"), lf);
    EXPECT_EQ(read_text("0 1.5 0.001 -2 0.002 3e-3"), lf);
    EXPECT_EQ(read_text("\r\n\t  0\t1.5   0.001\r\n-2\n\n0.002 \t 3e-3   \r\n\r\n"), lf);
}

TEST(ReadSample, NumberStraddlingTheChunkBoundary)
{
    // Every split of the number across the first read: after the sign, the
    // digits, the point, the 'e' and the exponent's sign.
    const std::string pair = "-1.25e-7 3.5\n";
    for (std::size_t k = 1; k <= pair.size(); ++k) {
        std::string text = std::string(chunk - k, ' ') + pair;
        EXPECT_EQ(read_text(text), (std::vector<Read>{{2, -1.25e-7, 3.5}, {-1, -1.25e-7, 3.5}})) << "split " << k;
    }
    // And "1e" cut from its digits by the boundary must still read as 1e+5.
    std::string text = std::string(chunk - 2, ' ') + "1e+5 2";
    EXPECT_EQ(read_text(text), (std::vector<Read>{{2, 1e5, 2}, {-1, 1e5, 2}}));
}

TEST(ReadSample, NumberLongerThanAChunk)
{
    std::string huge = "1" + std::string(chunk + chunk / 2, '0') + "e-1572864";
    EXPECT_EQ(read_text(huge + " 2\n3 4"), (std::vector<Read>{{2, 1, 2}, {2, 3, 4}, {-1, 3, 4}}));
}

TEST(ReadSample, LongRecordReadsExactlyAndRewindsIdentically)
{
    // Several megabytes of pairs of varied lengths, so that numbers of every
    // kind meet the refill points; each value must come back bit for bit.
    std::string text;
    std::vector<Read> expected;
    for (int i = 0; text.size() < 3 * chunk + 12345; ++i) {
        double t = i * 1e-4;
        double a = std::sin(i * 0.37) * std::pow(10.0, i % 9 - 4);
        char line[80];
        std::snprintf(line, sizeof line, (i % 3 == 0) ? "%.17g %.17g\r\n" : "%.6g\t%.10e\n", t, a);
        text += line;
        double tr = 0, ar = 0;
        std::sscanf(line, "%lf %lf", &tr, &ar);
        expected.push_back({2, tr, ar});
    }
    expected.push_back({-1, expected.back().time, expected.back().accel});

    SampleReader reader;
    attach_reader(reader, stream_with(text));
    std::vector<Read> first = read_until_stop(reader);
    ASSERT_EQ(first.size(), expected.size());
    EXPECT_TRUE(first == expected);
    rewind_reader(reader);
    std::vector<Read> second = read_until_stop(reader);
    EXPECT_TRUE(second == expected);
    EXPECT_FALSE(reader.failed);
    close_reader(reader);
}

TEST(ReadSample, ValuesAreCorrectlyRoundedWhateverTheirForm)
{
    // Numbers of every length and exponent near where a short cut would stop
    // being exact (53-bit digits, powers of ten beyond 1e22), each compared
    // with strtod bit for bit.
    std::vector<std::string> tokens = {
        "9007199254740992", "9007199254740993", "9007199254740995", "18014398509481985", "1e22", "1e23",
        "-1e22", "1e-22", "1e-23", "4.5e-22", "123456789012345678e-30", "0.1", "0.3", "-0", "-0.0e5",
        "5.", "-.5", "+.25e+1", "1234567890123456789", "12345678901234567890", "0.00000000000000000001",
        "000000000000000000000000123", "1e308", "2.2250738585072011e-308", "4.9406564584124654e-324", "1e-400",
        "1e001", "1e0001", "1E-022", "7e+22", "7e+23", "8.98846567431158e307",
    };
    std::mt19937_64 rng(99);
    for (int i = 0; i < 60000; ++i) {
        std::string t;
        if (rng() % 3 == 0) t += '-';
        int digits = 1 + static_cast<int>(rng() % 22);
        int point = static_cast<int>(rng() % (digits + 2));
        for (int d = 0; d < digits; ++d) {
            if (d == point) t += '.';
            t += static_cast<char>('0' + rng() % 10);
        }
        if (rng() % 2) {
            t += rng() % 2 ? 'e' : 'E';
            t += std::to_string(static_cast<int>(rng() % 61) - 30);
        }
        tokens.push_back(t);
    }
    if (tokens.size() % 2) tokens.pop_back();

    std::string text;
    for (std::size_t i = 0; i < tokens.size(); ++i) text += tokens[i] + (i % 2 ? "\n" : (i % 3 ? " " : "\t"));
    SampleReader reader;
    attach_reader(reader, stream_with(text));
    for (std::size_t i = 0; i < tokens.size(); i += 2) {
        double t = 0, a = 0;
        ASSERT_EQ(read_sample(reader, t, a), sample_complete) << tokens[i] << ' ' << tokens[i + 1];
        double want_t = std::strtod(tokens[i].c_str(), nullptr);
        double want_a = std::strtod(tokens[i + 1].c_str(), nullptr);
        ASSERT_EQ(std::memcmp(&t, &want_t, sizeof t), 0) << tokens[i] << " read as " << t;
        ASSERT_EQ(std::memcmp(&a, &want_a, sizeof a), 0) << tokens[i + 1] << " read as " << a;
    }
    double t = 0, a = 0;
    EXPECT_EQ(read_sample(reader, t, a), sample_end);
    close_reader(reader);
}

TEST(ReadSample, RewindAfterStoppingAtAWord)
{
    SampleReader reader;
    attach_reader(reader, stream_with("0 1 0.5 2 end"));
    std::vector<Read> first = read_until_stop(reader);
    rewind_reader(reader);
    EXPECT_EQ(read_until_stop(reader), first);
    close_reader(reader);
    EXPECT_EQ(reader.stream, nullptr);
}

}  // namespace
