#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/filter_coefficients.h"
#include "engine/frequency_grid.h"
#include "engine/response_passes.h"
#include "test_files.h"

namespace {

const double pi = 3.141592653589793;

std::unique_ptr<OscillatorBank> bank_of(const std::vector<double>& fn)
{
    auto bank = std::make_unique<OscillatorBank>();
    reset_bank(*bank);
    for (int k = 0; k < max_channels; ++k)
        bank->fn[k] = bank->a1[k] = bank->a2[k] = bank->b1[k] = bank->b2[k] = bank->b3[k] = 0.0;
    for (std::size_t k = 0; k < fn.size(); ++k) bank->fn[k] = fn[k];
    bank->channel_count = static_cast<int>(fn.size());
    return bank;
}

// y0 = 2 y1 - y2, started at y1 = 1, y2 = 0: the response after n steps is
// n + 1, so it counts the channel's steps, and pos_time holds the time of the
// last one.
void make_step_counter(OscillatorBank& bank, int m)
{
    bank.a1[m] = 2.0;
    bank.a2[m] = -1.0;
    bank.y1[m] = 1.0;
}

int steps_taken(const OscillatorBank& bank, int m)
{
    return static_cast<int>(bank.y1[m]) - 1;
}

struct CountCase {
    double fn0;
    double dt;
    int steps;
};

TEST(ResidualStepCount, ProductFormedFirstThenTruncated)
{
    const CountCase cases[] = {
        {0.5, 0.25, 9},   // 9.6
        {1.2, 0.25, 4},   // exactly 4
        {100, 0.001, 11},  // 1.2 / 0.1 is 11.999999999999998; 1.2 / 100 / 0.001 would give 12
        {30, 0.001, 40},
        {0.5, 0.1, 23},  // 23.999999999999996
        {3, 0.1, 3},
        {7, 0.001, 171},
    };
    for (const CountCase& c : cases) {
        auto bank = bank_of({c.fn0, 2 * c.fn0});
        RunSettings s;
        s.dt = c.dt;
        EXPECT_EQ(residual_step_count(*bank, s), c.steps) << c.fn0 << " Hz, dt " << c.dt;
    }
}

TEST(ResidualPass, EachChannelRingsForItsOwnLengthWithAStrictCutOff)
{
    // A frequency whose residual length 1.2 / fn is exactly three steps of 0.25 s.
    double exact = 1.6;
    while (1.2 / exact != 0.75 && exact > 1.5) exact = std::nextafter(exact, 0.0);
    ASSERT_EQ(1.2 / exact, 0.75);
    ASSERT_LT(1.2 / 1.6, 0.75);

    // Channel 3 rings for less than one step; channel 4, although low, lies
    // above it in the bank and is therefore never reached.
    auto bank = bank_of({0.5, exact, 1.6, 10.0, 0.5});
    for (int m = 0; m < 5; ++m) make_step_counter(*bank, m);
    RunSettings s;
    s.dt = 0.25;
    s.t_end = 2.0;
    s.b = 1.0;
    testing::internal::CaptureStdout();
    residual_pass(*bank, s);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n Calculating residual response..... \n");

    const int steps[] = {9, 3, 2, 0, 0};
    for (int m = 0; m < 5; ++m) {
        EXPECT_EQ(steps_taken(*bank, m), steps[m]) << "channel " << m;
        double last_time = steps[m] > 0 ? 2.0 + steps[m] * 0.25 : 0.0;
        EXPECT_EQ(bank->pos_time[m], last_time) << "channel " << m;
    }
    EXPECT_EQ(s.t_end, 2.0);
}

TEST(ResidualPass, StepTimesAreTakenAfreshNotAccumulated)
{
    auto bank = bank_of({0.5, 1e6});
    make_step_counter(*bank, 0);
    make_step_counter(*bank, 1);
    RunSettings s;
    s.dt = 0.1;
    s.t_end = 0.3;
    testing::internal::CaptureStdout();
    residual_pass(*bank, s);
    testing::internal::GetCapturedStdout();

    ASSERT_EQ(steps_taken(*bank, 0), 23);
    double accumulated = 0.3;
    for (int l = 0; l < 23; ++l) accumulated += 0.1;
    ASSERT_NE(accumulated, 0.3 + 23 * 0.1);  // the case tells the two apart
    EXPECT_EQ(bank->pos_time[0], 0.3 + 23 * 0.1);
    EXPECT_EQ(steps_taken(*bank, 1), 0);  // 1.2 / fn is shorter than one step
}

struct Primary {
    std::unique_ptr<OscillatorBank> bank;
    RunSettings settings;
    std::string printed;
    bool closed;
};

// Channel 0 counts its steps, channels 1 and 2 echo their input (y0 = x0);
// channel 2 is beyond channel_count and must stay untouched.
Primary run_primary(const std::string& text)
{
    Primary p;
    p.bank = bank_of({1.0, 2.0});
    make_step_counter(*p.bank, 0);
    p.bank->b1[1] = 1.0;
    p.bank->b1[2] = 1.0;
    p.settings.b = 0.0;
    p.settings.total_samples = 99;
    SampleReader reader;
    attach_reader(reader, stream_with(text));
    testing::internal::CaptureStdout();
    primary_pass(reader, *p.bank, p.settings);
    p.printed = testing::internal::GetCapturedStdout();
    p.closed = reader.stream == nullptr;
    return p;
}

TEST(PrimaryPass, StepsEveryChannelOncePerSample)
{
    Primary p = run_primary("0.5 1\n0.75 3\n1.0 -2\n1.25 0.5\n");
    EXPECT_EQ(p.printed, "\n Calculating primary response..... \n\n");
    EXPECT_TRUE(p.closed);
    EXPECT_EQ(p.settings.total_samples, 4u);
    EXPECT_EQ(p.settings.t_end, 1.25);
    EXPECT_EQ(steps_taken(*p.bank, 0), 4);
    // Peak times are the file's own times.
    EXPECT_EQ(p.bank->pos_time[0], 1.25);
    EXPECT_EQ(p.bank->pos_srs[1], 3);
    EXPECT_EQ(p.bank->pos_time[1], 0.75);
    EXPECT_EQ(p.bank->neg_srs[1], -2);
    EXPECT_EQ(p.bank->neg_time[1], 1.0);
    EXPECT_EQ(p.bank->fatigue_sum[1], 1);  // b = 0: the one crest, 3
    EXPECT_EQ(p.bank->x2[1], -2);
    EXPECT_EQ(p.bank->x1[1], 0.5);
    EXPECT_EQ(p.bank->y1[2], 0);
    EXPECT_EQ(p.bank->pos_time[2], 0);
}

TEST(PrimaryPass, LoneTrailingTimeTakesThePreviousAcceleration)
{
    Primary p = run_primary("0.5 1\n0.75 3\n1.0 -2\n1.25");
    EXPECT_EQ(p.settings.total_samples, 4u);
    EXPECT_EQ(p.settings.t_end, 1.25);
    EXPECT_EQ(steps_taken(*p.bank, 0), 4);
    EXPECT_EQ(p.bank->x2[1], -2);
    EXPECT_EQ(p.bank->x1[1], -2);
    EXPECT_EQ(p.bank->neg_time[1], 1.0);  // the repeated -2 keeps the first time
}

TEST(PrimaryPass, WordEndsTheData)
{
    Primary p = run_primary("0 1\n0.1 2\nend of data\n0.2 3\n");
    EXPECT_EQ(p.settings.total_samples, 2u);
    EXPECT_EQ(p.settings.t_end, 0.1);
    EXPECT_EQ(steps_taken(*p.bank, 0), 2);
    EXPECT_EQ(p.bank->pos_srs[1], 2);
}

// The passes as first written, one step_channel call per channel and sample
// and a residual sweep that stops at the first channel whose ring-down is
// over: the model that any faster way of stepping must reproduce bit for bit.
void reference_primary(OscillatorBank& bank, const std::vector<double>& times, const std::vector<double>& accels,
                       double b)
{
    for (std::size_t i = 0; i < times.size(); ++i)
        for (int m = 0; m < bank.channel_count; ++m) step_channel(bank, m, accels[i], times[i], b);
}

void reference_residual(OscillatorBank& bank, double dt, double t_end, double b)
{
    int steps = static_cast<int>(1.2 / (bank.fn[0] * dt));
    for (int l = 1; l <= steps; ++l) {
        double s = l * dt;
        for (int m = 0; m < bank.channel_count; ++m) {
            if (1.2 / bank.fn[m] < s) break;
            step_channel(bank, m, 0.0, t_end + s, b);
        }
    }
}

// Every state and result array over all channels, in use or not, bit for bit.
void expect_same_banks(OscillatorBank& got, OscillatorBank& want, const char* what)
{
    double* got_fields[] = {got.y0, got.y1, got.y2, got.x1, got.x2, got.pos_srs, got.neg_srs,
                            got.pos_time, got.neg_time, got.fatigue_sum};
    double* want_fields[] = {want.y0, want.y1, want.y2, want.x1, want.x2, want.pos_srs, want.neg_srs,
                             want.pos_time, want.neg_time, want.fatigue_sum};
    const char* names[] = {"y0", "y1", "y2", "x1", "x2", "pos_srs", "neg_srs", "pos_time", "neg_time", "fatigue_sum"};
    for (int f = 0; f < 10; ++f) {
        for (int m = 0; m < max_channels; ++m) {
            if (std::memcmp(&got_fields[f][m], &want_fields[f][m], sizeof(double)) != 0) {
                ADD_FAILURE() << what << ": " << names[f] << "[" << m << "] is " << got_fields[f][m] << ", the plain steps give "
                              << want_fields[f][m];
                break;
            }
        }
    }
}

struct GridCase {
    const char* name;
    int algorithm;
    double bandwidth;  // 0 for twelfth octaves
    int dip;           // a channel set back to the start frequency, or -1
    int samples;
    bool lone_time;
    double b;
};

TEST(Passes, AgreeBitForBitWithPlainChannelSteps)
{
    // Several hundred channels and several hundred samples, so that every
    // block and group boundary falls inside the run, none of them evenly.
    const GridCase cases[] = {
        {"Smallwood, bandwidth grid", 2, 0.5, -1, 3 * 256 + 17, false, 6.4},
        {"Kelly-Richman, octave grid, lone time", 1, 0.0, -1, 2 * 256 + 1, true, 4.0},
        {"falling frequency inside the grid", 2, 0.5, 300, 255, true, 0.0},
        {"one sample", 2, 0.5, -1, 1, false, 6.4},
    };
    const double dt = 0.0004;
    for (const GridCase& c : cases) {
        auto bank = bank_of({5.0});
        RunSettings s;
        s.algorithm = c.algorithm;
        s.damp = 0.05;
        s.dt = dt;
        s.sr = 1 / dt;
        s.spacing = c.bandwidth > 0 ? 2 : 1;
        s.bandwidth = c.bandwidth;
        s.b = c.b;
        ASSERT_TRUE(build_frequency_grid(*bank, s));
        if (c.dip >= 0) bank->fn[c.dip] = bank->fn[0];
        compute_filter_coefficients(*bank, s);
        auto want = std::make_unique<OscillatorBank>(*bank);

        std::vector<double> times, accels;
        std::string text;
        double a = 0;
        for (int i = 0; i < c.samples; ++i) {
            double t = 1.5 + i * dt;
            char line[64];
            if (c.lone_time && i == c.samples - 1) {
                std::snprintf(line, sizeof line, "%.17g\n", t);
            } else {
                a = std::sin(i * 0.05) * std::exp(-i * 0.002) + ((i * 7919) % 13 - 6) * 0.01;
                std::snprintf(line, sizeof line, "%.17g %.17g\n", t, a);
            }
            text += line;
            times.push_back(std::strtod(line, nullptr));
            accels.push_back(a);
        }

        SampleReader reader;
        attach_reader(reader, stream_with(text));
        testing::internal::CaptureStdout();
        primary_pass(reader, *bank, s);
        testing::internal::GetCapturedStdout();
        reference_primary(*want, times, accels, c.b);
        EXPECT_EQ(s.total_samples, static_cast<unsigned>(c.samples)) << c.name;
        EXPECT_EQ(s.t_end, times.back()) << c.name;
        expect_same_banks(*bank, *want, c.name);

        testing::internal::CaptureStdout();
        residual_pass(*bank, s);
        testing::internal::GetCapturedStdout();
        reference_residual(*want, dt, s.t_end, c.b);
        expect_same_banks(*bank, *want, c.name);
    }
}

// Undamped absolute acceleration y of an oscillator of natural frequency fn
// under the base pulse A sin(w t), 0 <= t <= T, w = pi / T, with
// beta = w / wn = 1 / (2 fn T) and beta != 1:
//   during the pulse  y = A / (1 - beta^2) (sin w t - beta sin wn t), whose
//     crests lie at t = 2 pi k / (wn + w) with height A sin(w t) / (1 - beta),
//     for the k >= 1 that keep w t <= pi;
//   after it, a free vibration of amplitude
//     2 A beta |cos(pi / (2 beta))| / |1 - beta^2|.
// The positive spectrum is the larger of the two, the negative one the
// residual amplitude (the pulse itself never drives y below -|y(T)|, and
// 1.2 periods of free vibration reach every phase).
struct HalfSineSpectrum {
    double positive;
    double negative;
};

HalfSineSpectrum half_sine_spectrum(double amplitude, double duration, double fn)
{
    double beta = 1 / (2 * fn * duration);
    double residual = 2 * amplitude * beta * std::fabs(std::cos(pi / (2 * beta))) / std::fabs(1 - beta * beta);
    double primary = 0;
    for (int k = 1; 2 * k * beta / (1 + beta) <= 1; ++k)
        primary = std::max(primary, amplitude * std::sin(2 * pi * k * beta / (1 + beta)) / (1 - beta));
    return {std::max(primary, residual), -residual};
}

TEST(Passes, HalfSinePulseMatchesTheClosedForm)
{
    const double duration = 0.011;
    const double dt = 1e-5;
    const int last = 1100;
    std::string text;
    for (int i = 0; i <= last; ++i) {
        double t = i * dt;
        char line[64];
        std::snprintf(line, sizeof line, "%.17g %.17g\n", t, std::sin(pi * t / duration));
        text += line;
    }
    const std::vector<double> fn = {20, 60, 100, 300, 1000};

    for (int algorithm : {1, 2}) {
        auto bank = bank_of(fn);
        RunSettings s;
        s.algorithm = algorithm;
        s.damp = 0.0;
        s.dt = dt;
        compute_filter_coefficients(*bank, s);
        SampleReader reader;
        attach_reader(reader, stream_with(text));
        testing::internal::CaptureStdout();
        primary_pass(reader, *bank, s);
        residual_pass(*bank, s);
        testing::internal::GetCapturedStdout();

        ASSERT_EQ(s.total_samples, static_cast<unsigned>(last + 1));
        for (std::size_t m = 0; m < fn.size(); ++m) {
            HalfSineSpectrum want = half_sine_spectrum(1.0, duration, fn[m]);
            EXPECT_NEAR(bank->pos_srs[m], want.positive, 0.01 * want.positive)
                << "algorithm " << algorithm << ", " << fn[m] << " Hz";
            EXPECT_NEAR(bank->neg_srs[m], want.negative, 0.01 * -want.negative)
                << "algorithm " << algorithm << ", " << fn[m] << " Hz";
        }
    }
}

}  // namespace
