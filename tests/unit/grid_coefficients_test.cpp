#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>

#include "engine/filter_coefficients.h"
#include "engine/frequency_grid.h"

namespace {

const double pi = 3.141592653589793;

std::unique_ptr<OscillatorBank> bank_from(double start)
{
    auto bank = std::make_unique<OscillatorBank>();
    for (int k = 0; k < max_channels; ++k) bank->fn[k] = -1.0;  // shows any frequency left unwritten
    bank->fn[0] = start;
    return bank;
}

RunSettings grid_settings(long spacing, double sr, double bandwidth = 0.0)
{
    RunSettings s;
    s.spacing = spacing;
    s.sr = sr;
    s.bandwidth = bandwidth;
    return s;
}

TEST(FrequencyGrid, TwelfthOctavesFromTenHertz)
{
    auto bank = bank_from(10.0);
    ASSERT_TRUE(build_frequency_grid(*bank, grid_settings(1, 1000.0)));
    EXPECT_EQ(bank->channel_count, 45);
    EXPECT_EQ(bank->fn[0], 10.0);
    // Every twelfth step is an exact octave.
    EXPECT_EQ(bank->fn[12], 20.0);
    EXPECT_EQ(bank->fn[24], 40.0);
    EXPECT_EQ(bank->fn[36], 80.0);
    EXPECT_NEAR(bank->fn[43], 119.8646, 5e-5);
    EXPECT_NEAR(bank->fn[44], 126.9921, 5e-5);
    for (int k = 1; k < bank->channel_count; ++k) {
        EXPECT_LT(bank->fn[k - 1], bank->fn[k]);
        EXPECT_NEAR(bank->fn[k], 10.0 * std::exp2(k / 12.0), 1e-12 * bank->fn[k]);
    }
}

TEST(FrequencyGrid, ConstantBandwidthIsARunningSum)
{
    auto bank = bank_from(10.0);
    ASSERT_TRUE(build_frequency_grid(*bank, grid_settings(2, 1000.0, 5.0)));
    EXPECT_EQ(bank->channel_count, 25);
    EXPECT_EQ(bank->fn[23], 125.0);  // equal to sr/8 does not end the grid
    EXPECT_EQ(bank->fn[24], 130.0);

    // 0.1 is not exact in binary, so a running sum and fn[0] + k * 0.1 part.
    bank = bank_from(10.0);
    ASSERT_TRUE(build_frequency_grid(*bank, grid_settings(2, 1000.0, 0.1)));
    double sum = 10.0;
    bool parted = false;
    for (int k = 1; k < bank->channel_count; ++k) {
        sum = sum + 0.1;
        ASSERT_EQ(bank->fn[k], sum) << k;
        parted = parted || sum != 10.0 + k * 0.1;
    }
    EXPECT_TRUE(parted);
    EXPECT_GT(bank->fn[bank->channel_count - 1], 125.0);
    EXPECT_LE(bank->fn[bank->channel_count - 2], 125.0);
}

TEST(FrequencyGrid, StartAboveTheLimitGivesTwoChannels)
{
    for (long spacing : {1L, 2L}) {
        auto bank = bank_from(200.0);
        ASSERT_TRUE(build_frequency_grid(*bank, grid_settings(spacing, 1000.0, 3.0)));
        EXPECT_EQ(bank->channel_count, 2) << spacing;
        EXPECT_GT(bank->fn[1], 200.0);
        EXPECT_EQ(bank->fn[2], -1.0);  // nothing written past the end
    }
}

TEST(FrequencyGrid, FillsToCapacityAndNoFurther)
{
    auto bank = bank_from(1.0);
    EXPECT_FALSE(build_frequency_grid(*bank, grid_settings(2, 10000.0, 0.01)));
    EXPECT_EQ(bank->channel_count, max_channels);
    EXPECT_NEAR(bank->fn[max_channels - 1], 1.0 + 19999 * 0.01, 1e-9);

    // Twelfth octaves cross any finite limit long before the capacity.
    bank = bank_from(1.1e-20);
    EXPECT_TRUE(build_frequency_grid(*bank, grid_settings(1, DBL_MAX)));
    int n = bank->channel_count;
    EXPECT_LT(n, max_channels);
    EXPECT_GT(bank->fn[n - 1], DBL_MAX / 8);
    EXPECT_LE(bank->fn[n - 2], DBL_MAX / 8);
}

struct Coefficients {
    double a1, a2, b1, b2, b3;
};

RunSettings filter_settings(int algorithm, double damp, double dt)
{
    RunSettings s;
    s.algorithm = algorithm;
    s.damp = damp;
    s.dt = dt;
    return s;
}

Coefficients coefficients_of(int algorithm, double fn, double damp, double dt)
{
    auto bank = bank_from(fn);
    bank->channel_count = 1;
    compute_filter_coefficients(*bank, filter_settings(algorithm, damp, dt));
    return {bank->a1[0], bank->a2[0], bank->b1[0], bank->b2[0], bank->b3[0]};
}

// Agreement to seven significant digits, as a table printed to seven gives.
void expect_seven_digits(double value, double expected, const char* what)
{
    double unit = std::pow(10.0, std::floor(std::log10(std::fabs(expected))) - 6);
    EXPECT_NEAR(value, expected, 0.5 * unit) << what;
}

TEST(FilterCoefficients, WorkedExampleOneHundredHertz)
{
    Coefficients kr = coefficients_of(1, 100.0, 0.05, 0.001);
    expect_seven_digits(kr.a1, 1.568887, "KR a1");
    expect_seven_digits(kr.a2, -0.9391014, "KR a2");
    expect_seven_digits(kr.b1, 0.06283185, "KR b1");
    expect_seven_digits(kr.b2, 0.3068770, "KR b2");
    EXPECT_EQ(kr.b3, 0.0);

    Coefficients sw = coefficients_of(2, 100.0, 0.05, 0.001);
    expect_seven_digits(sw.a1, 1.568887, "SW a1");
    expect_seven_digits(sw.a2, -0.9391014, "SW a2");
    expect_seven_digits(sw.b1, 0.09328992, "SW b1");
    expect_seven_digits(sw.b2, 0.2445332, "SW b2");
    expect_seven_digits(sw.b3, 0.03239129, "SW b3");
}

TEST(FilterCoefficients, EveryAlgorithmButOneIsSmallwood)
{
    Coefficients sw = coefficients_of(2, 37.5, 0.03, 0.0005);
    for (int algorithm : {0, 3, -1, 1000}) {
        Coefficients c = coefficients_of(algorithm, 37.5, 0.03, 0.0005);
        EXPECT_EQ(c.a1, sw.a1) << algorithm;
        EXPECT_EQ(c.a2, sw.a2) << algorithm;
        EXPECT_EQ(c.b1, sw.b1) << algorithm;
        EXPECT_EQ(c.b2, sw.b2) << algorithm;
        EXPECT_EQ(c.b3, sw.b3) << algorithm;
    }
    EXPECT_NE(sw.b3, 0.0);
    EXPECT_NE(coefficients_of(1, 37.5, 0.03, 0.0005).b1, sw.b1);
}

TEST(FilterCoefficients, EveryChannelOfTheGridAndNoMore)
{
    for (int algorithm : {1, 2}) {
        auto bank = bank_from(10.0);
        RunSettings s = grid_settings(1, 1000.0);
        s.algorithm = algorithm;
        s.damp = 0.05;
        s.dt = 0.001;
        ASSERT_TRUE(build_frequency_grid(*bank, s));
        int n = bank->channel_count;
        for (int k = 0; k < max_channels; ++k) bank->b3[k] = bank->a1[k] = 99.0;
        compute_filter_coefficients(*bank, s);
        for (int k = 0; k < n; ++k) {
            EXPECT_NE(bank->a1[k], 99.0) << k;
            if (algorithm == 1) {
                EXPECT_EQ(bank->b3[k], 0.0) << k;  // the last channel too
            }
        }
        EXPECT_EQ(bank->a1[n], 99.0);
        EXPECT_EQ(bank->b3[n], 99.0);
    }
}

TEST(FilterCoefficients, UndampedForms)
{
    for (double fn : {1.0, 10.0, 100.0, 1000.0}) {
        double dt = 1e-4;
        double k = 2 * pi * fn * dt;
        Coefficients kr = coefficients_of(1, fn, 0.0, dt);
        EXPECT_NEAR(kr.a1, 2 * std::cos(k), 1e-14) << fn;
        EXPECT_EQ(kr.a2, -1.0);
        EXPECT_EQ(kr.b1, 0.0);
        EXPECT_NEAR(kr.b2, 2 * pi * fn * dt * std::sin(k), 1e-14) << fn;
        EXPECT_EQ(kr.b3, 0.0);

        Coefficients sw = coefficients_of(2, fn, 0.0, dt);
        EXPECT_NEAR(sw.a1, 2 * std::cos(k), 1e-14) << fn;
        EXPECT_EQ(sw.a2, -1.0);
        EXPECT_NEAR(sw.b1, 1 - std::sin(k) / k, 1e-14) << fn;
        EXPECT_EQ(sw.b1, sw.b3) << fn;
    }
}

TEST(FilterCoefficients, SmallwoodSettlesToAConstantInput)
{
    // With y = x = 1 held, y0 = a1 + a2 + b1 + b2 + b3 must come back as 1.
    for (double damp : {0.0, 0.01, 0.05, 0.3, 0.9}) {
        auto bank = bank_from(2.0);
        RunSettings s = grid_settings(1, 20000.0);
        s.algorithm = 2;
        s.damp = damp;
        s.dt = 1 / 20000.0;
        ASSERT_TRUE(build_frequency_grid(*bank, s));
        compute_filter_coefficients(*bank, s);
        for (int k = 0; k < bank->channel_count; ++k) {
            double inputs = bank->b1[k] + bank->b2[k] + bank->b3[k];
            ASSERT_NEAR(inputs, 1 - bank->a1[k] - bank->a2[k], 1e-12) << "damp " << damp << " channel " << k;
        }
    }
}

}  // namespace
