// Every block-step variant the machine runs, and the two passes built on it,
// against the plain step_channel taken one sample and one channel at a time.
// Equality is bitwise over every field of every channel: no tolerance.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/run_settings.h"
#include "engine/bank_kernel.h"
#include "engine/filter_coefficients.h"
#include "engine/oscillator_bank.h"
#include "engine/response_passes.h"
#include "input/sample_reader.h"

namespace {

struct Variant {
    const char* name;
    BlockStep step;
    bool runs;
};

std::vector<Variant> variants()
{
    return {{"sse2", step_block_sse2, true},
            {"avx2", step_block_avx2, cpu_runs_avx2()},
            {"avx512", step_block_avx512, cpu_runs_avx512()}};
}

double* fields(OscillatorBank& bank, int f)
{
    double* all[] = {bank.fn,  bank.a1,  bank.a2,      bank.b1,      bank.b2,      bank.b3,
                     bank.y0,  bank.y1,  bank.y2,      bank.x1,      bank.x2,      bank.pos_srs,
                     bank.neg_srs, bank.pos_time, bank.neg_time, bank.fatigue_sum};
    return all[f];
}
constexpr int field_count = 16;
const char* const field_names[field_count] = {"fn", "a1", "a2", "b1", "b2", "b3", "y0", "y1",
                                              "y2", "x1", "x2", "pos_srs", "neg_srs", "pos_time",
                                              "neg_time", "fatigue_sum"};

// Bitwise equality of every field of every channel, so -0 against +0 or a
// different NaN shows too.
void expect_same_banks(OscillatorBank& want, OscillatorBank& got, const std::string& what)
{
    EXPECT_EQ(want.channel_count, got.channel_count) << what;
    for (int f = 0; f < field_count; ++f) {
        const double* w = fields(want, f);
        const double* g = fields(got, f);
        for (int m = 0; m < max_channels; ++m) {
            if (std::memcmp(&w[m], &g[m], sizeof(double)) != 0) {
                ADD_FAILURE() << what << ": " << field_names[f] << "[" << m << "] is " << g[m]
                              << ", the plain step gives " << w[m];
                return;
            }
        }
    }
}

std::unique_ptr<OscillatorBank> copy_of(const OscillatorBank& bank)
{
    return std::make_unique<OscillatorBank>(bank);
}

// The kinds of bank and input the kernel must follow exactly.
struct Case {
    const char* name;
    int algorithm;        // 0: echo channels, y0 = x0, with inputs from a few values
    double fn_low;        // grid of channel frequencies, as fractions of sr
    double fn_high;
    double offset;        // added to the input: negative moves crests below zero
    double b;
    int channels;
    int samples;
};

const Case cases[] = {
    // Realistic coefficients, crest-dense near sr/8, the run's usual b.
    {"smallwood_dense_crests", 2, 0.02, 0.125, 0.0, 6.4, 700, 600},
    {"kelly_richman_b4", 1, 0.0005, 0.125, 0.0, 4.0, 517, 333},
    // b = 0: every crest adds exactly 1.
    {"b_zero", 2, 0.01, 0.125, 0.0, 0.0, 300, 400},
    // Responses mostly below zero, so crests are negative.
    {"negative_crests", 2, 0.05, 0.125, -50.0, 6.4, 260, 500},
    // y0 = x0 over a few input values: equal extremes later (the first time
    // stays), flat tops (no crest), crests at zero and below it.
    {"echo_ties", 0, 0.0, 0.0, 0.0, 6.4, 270, 700},
    {"echo_ties_b0", 0, 0.0, 0.0, 0.0, 0.0, 9, 300},
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

std::unique_ptr<OscillatorBank> bank_for(const Case& c, std::mt19937_64& rng)
{
    auto bank = std::make_unique<OscillatorBank>();  // value-initialised: all zero
    bank->channel_count = c.channels;
    RunSettings s;
    s.sr = 1000.0;
    s.dt = 1.0 / s.sr;
    s.damp = 0.05;
    s.algorithm = c.algorithm;
    std::uniform_real_distribution<double> frac(c.fn_low, c.fn_high);
    for (int m = 0; m < c.channels; ++m) bank->fn[m] = frac(rng) * s.sr;
    if (c.algorithm == 0)
        for (int m = 0; m < c.channels; ++m) bank->b1[m] = 1.0;
    else
        compute_filter_coefficients(*bank, s);
    // Channels past the count hold junk that no step may touch.
    for (int m = c.channels; m < max_channels; ++m) bank->y1[m] = bank->pos_srs[m] = 7.0;
    return bank;
}

std::vector<double> input_for(const Case& c, std::mt19937_64& rng)
{
    std::vector<double> x(c.samples);
    std::normal_distribution<double> noise(0.0, 3.0);
    std::uniform_int_distribution<int> level(-3, 2);
    for (int k = 0; k < c.samples; ++k)
        x[k] = c.algorithm == 0 ? 0.5 * level(rng) : c.offset + noise(rng) + 100.0 * std::exp(-0.01 * k) * std::sin(0.3 * k);
    return x;
}

class BlockStepTest : public ::testing::TestWithParam<Case> {};

TEST_P(BlockStepTest, EveryVariantMatchesThePlainStepBitForBit)
{
    const Case& c = GetParam();
    std::mt19937_64 rng(42);
    auto start = bank_for(c, rng);
    std::vector<double> x = input_for(c, rng);
    std::vector<double> t(c.samples);
    for (int k = 0; k < c.samples; ++k) t[k] = 0.25 + k * 1e-3;

    // The plain way: samples outer, channels inner. Channel 0 is left out and
    // the range ends off any vector or group boundary.
    const int first = 1;
    auto want = copy_of(*start);
    for (int k = 0; k < c.samples; ++k)
        for (int m = first; m < c.channels; ++m) step_channel(*want, m, x[k], t[k], c.b);

    for (const Variant& v : variants()) {
        if (!v.runs) continue;
        auto got = copy_of(*start);
        // Uneven blocks, one of a single sample, so no block size is special.
        for (int k = 0, n = 1; k < c.samples; k += n, n = n * 3 % 200 + 1) {
            int count = std::min(n, c.samples - k);
            v.step(*got, first, c.channels, &x[k], &t[k], count, c.b);
        }
        expect_same_banks(*want, *got, std::string(c.name) + " with " + v.name);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BlockStepTest, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BlockStep, EchoCasesHoldTiesFlatTopsAndNegativeCrests)
{
    // Guards the test above: its echo input must contain what it claims.
    std::mt19937_64 rng(42);
    const Case& c = cases[4];
    auto bank = bank_for(c, rng);
    std::vector<double> x = input_for(c, rng);
    int ties = 0, flats = 0, negative_crests = 0;
    for (int k = 2; k < c.samples; ++k) {
        ties += x[k] == 1.0;
        flats += x[k] == x[k - 1] && x[k - 1] > x[k - 2];
        negative_crests += x[k - 1] < 0 && x[k - 1] > x[k - 2] && x[k - 1] > x[k];
    }
    EXPECT_GT(ties, 10);
    EXPECT_GT(flats, 10);
    EXPECT_GT(negative_crests, 10);
}

TEST(BlockStep, ChosenVariantIsOneTheMachineRuns)
{
    BlockStep chosen = chosen_block_step();
    if (chosen == step_block_avx512) {
        EXPECT_TRUE(cpu_runs_avx512());
    }
    if (chosen == step_block_avx2) {
        EXPECT_TRUE(cpu_runs_avx2());
    }
    if (cpu_runs_avx512()) {
        EXPECT_EQ(chosen, step_block_avx512);
    }
}

// The residual pass as plainly stepped before it went by blocks: per step l,
// channels ascending until the first whose ring-down is over.
void plain_residual_pass(OscillatorBank& bank, const RunSettings& s)
{
    int steps = residual_step_count(bank, s);
    for (int l = 1; l <= steps; ++l) {
        double sl = l * s.dt;
        double t = s.t_end + sl;
        for (int m = 0; m < bank.channel_count; ++m) {
            if (residual_periods / bank.fn[m] < sl) break;
            step_channel(bank, m, 0.0, t, s.b);
        }
    }
}

struct GridCase {
    const char* name;
    std::vector<double> fn;
};

// Each grid is given at dt = 1/1000 s; 1.2/fn is then the ring-down length.
const GridCase grids[] = {
    // 1.2/fn = 300 steps exactly at channel 1 (fn = 4): the test is strict,
    // so it still takes step 300.
    {"ascending_with_exact_cut_off", {3.0, 4.0, 5.0, 7.0, 11.0, 50.0, 300.0, 400.0}},
    // Equal frequencies, as constant bandwidth grids can hold.
    {"equal_neighbours", {2.0, 2.0, 2.0, 9.0, 9.0, 600.0, 600.0}},
    // A lower frequency above a higher one still stops at the higher one's
    // end, and a channel ringing less than one step takes none.
    {"falling_then_rising", {2.0, 40.0, 3.0, 2.5, 1500.0, 5.0, 2.0}},
    {"first_channel_shortest", {2.0, 2000.0, 3.0}},
    // Long enough to cross several blocks with channels ending inside them.
    {"long_ring_down", {0.4, 0.5, 0.7, 1.0, 1.3, 2.0, 3.5, 9.0, 25.0, 60.0}},
};

void PrintTo(const GridCase& g, std::ostream* os)
{
    *os << g.name;
}

class ResidualPassTest : public ::testing::TestWithParam<GridCase> {};

TEST_P(ResidualPassTest, MatchesThePlainStepLoop)
{
    const GridCase& g = GetParam();
    auto start = std::make_unique<OscillatorBank>();
    RunSettings s;
    s.sr = 1000.0;
    s.dt = 1.0 / s.sr;
    s.damp = 0.02;
    s.b = 6.4;
    s.algorithm = 2;
    s.t_end = 1.75;
    start->channel_count = static_cast<int>(g.fn.size());
    for (std::size_t m = 0; m < g.fn.size(); ++m) start->fn[m] = g.fn[m];
    compute_filter_coefficients(*start, s);
    // Ringing histories, as a primary pass leaves them.
    for (int m = 0; m < start->channel_count; ++m) {
        start->y1[m] = 3.0 + m;
        start->y2[m] = -2.0;
        start->x1[m] = 1.5;
        start->x2[m] = -0.5;
    }
    auto want = copy_of(*start);
    plain_residual_pass(*want, s);
    auto got = copy_of(*start);
    residual_pass(*got, s);
    expect_same_banks(*want, *got, g.name);
}

INSTANTIATE_TEST_SUITE_P(Grids, ResidualPassTest, ::testing::ValuesIn(grids),
                         [](const auto& info) { return std::string(info.param.name); });

// The primary pass reads ahead in blocks; a record whose length is no
// multiple of the block, ending in a lone time, must step exactly as one
// read and one channel loop per sample.
TEST(PrimaryPass, BlocksOfSamplesStepAsOneSampleAtATime)
{
    for (int samples : {1, block_samples, 2 * block_samples + 37}) {
        std::FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        std::vector<double> t, x;
        for (int k = 0; k < samples; ++k) {
            t.push_back(2.0 + k * 1e-3);
            x.push_back(std::sin(0.37 * k) * 40.0 + (k % 7) - 3.0);
            if (k + 1 < samples)
                std::fprintf(f, "%.17g %.17g\n", t.back(), x.back());
            else
                std::fprintf(f, "%.17g\n", t.back());  // lone time: keeps the last x
        }
        if (samples > 1) x.back() = x[samples - 2];
        std::rewind(f);

        auto start = std::make_unique<OscillatorBank>();
        RunSettings s;
        s.sr = 1000.0;
        s.dt = 1e-3;
        s.damp = 0.05;
        s.b = 6.4;
        s.algorithm = 2;
        start->channel_count = 300;
        for (int m = 0; m < 300; ++m) start->fn[m] = 1.0 + m * 0.4;
        compute_filter_coefficients(*start, s);

        auto want = copy_of(*start);
        for (int k = 0; k < samples; ++k)
            for (int m = 0; m < 300; ++m) step_channel(*want, m, samples == 1 ? 0.0 : x[k], t[k], s.b);

        auto got = copy_of(*start);
        SampleReader reader;
        attach_reader(reader, f);
        primary_pass(reader, *got, s);
        EXPECT_EQ(s.total_samples, static_cast<unsigned>(samples));
        EXPECT_EQ(s.t_end, t.back());
        expect_same_banks(*want, *got, "primary pass of " + std::to_string(samples) + " samples");
    }
}

}  // namespace

namespace {

// The reader converts the usual record numbers in one sweep of its own; every
// value must still be the correctly rounded one (strtod is the oracle), at the
// edges of that sweep too: 19 and 20 digits, 2^53 and 2^53 + 1, powers of ten
// 1e22 and 1e23, three- and four-digit exponents, signs, bare points.
TEST(SampleReader, NumbersReadInOneSweepAreCorrectlyRounded)
{
    std::vector<std::string> texts = {
        "0", "-0", "+0", "5.", ".5", "-.5", "+7", "1e5", "1E-5", "2.5e+003", "9007199254740992",
        "9007199254740993", "-9007199254740993e-3", "1234567890123456789", "12345678901234567890",
        "1e22", "1e23", "1.5e-22", "1.5e-23", "3e-300", "4.9e-324", "1.7976931348623157e308",
        "0.000000000000000000000000001", "123e0001", "0001.2500", "1.000000000e-05", "-1.824452e+00"};
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<int> digit(0, 9), length(1, 21), exponent(-40, 40), coin(0, 3);
    for (int i = 0; i < 20000; ++i) {
        std::string s = coin(rng) == 0 ? "-" : "";
        int n = length(rng), point = std::uniform_int_distribution<int>(0, n)(rng);
        for (int k = 0; k < n; ++k) {
            if (k == point) s += '.';
            s += char('0' + digit(rng));
        }
        if (coin(rng) != 0) {
            s.push_back(coin(rng) == 0 ? 'E' : 'e');
            s.append(std::to_string(exponent(rng)));
        }
        texts.push_back(s);
    }
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    for (std::size_t i = 0; i < texts.size(); ++i) std::fprintf(f, "%s%s", texts[i].c_str(), i % 3 ? "\r\n" : " \t");
    std::rewind(f);
    SampleReader reader;
    attach_reader(reader, f);
    for (std::size_t i = 0; i + 1 < texts.size(); i += 2) {
        double t = 0, x = 0;
        ASSERT_EQ(read_sample(reader, t, x), sample_complete) << texts[i];
        double want_t = std::strtod(texts[i].c_str(), nullptr), want_x = std::strtod(texts[i + 1].c_str(), nullptr);
        EXPECT_EQ(std::memcmp(&t, &want_t, sizeof t), 0) << texts[i] << " read as " << t;
        EXPECT_EQ(std::memcmp(&x, &want_x, sizeof x), 0) << texts[i + 1] << " read as " << x;
    }
    close_reader(reader);
}

}  // namespace
