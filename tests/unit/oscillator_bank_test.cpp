#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/oscillator_bank.h"

namespace {

constexpr int m = 3;  // not channel 0, so a step that ignores its index shows

std::unique_ptr<OscillatorBank> fresh_bank()
{
    auto bank = std::make_unique<OscillatorBank>();
    for (int k = 0; k < max_channels; ++k)
        bank->fn[k] = bank->a1[k] = bank->a2[k] = bank->b1[k] = bank->b2[k] = bank->b3[k] = 0.0;
    reset_bank(*bank);
    bank->channel_count = 5;
    return bank;
}

// A channel whose response is its input, y0 = x0, so a test can write the
// response sequence it wants.
std::unique_ptr<OscillatorBank> echo_bank()
{
    auto bank = fresh_bank();
    bank->b1[m] = 1.0;
    return bank;
}

// Steps channel m through the inputs at times t0, t0 + 1, ...
void feed(OscillatorBank& bank, const std::vector<double>& inputs, double b, double t0 = 0.0)
{
    for (std::size_t i = 0; i < inputs.size(); ++i) step_channel(bank, m, inputs[i], t0 + static_cast<double>(i), b);
}

TEST(StepChannel, EachCoefficientMultipliesItsOwnHistory)
{
    auto bank = fresh_bank();
    bank->b3[m] = 2;
    bank->a2[m] = 3;
    bank->a1[m] = 5;
    bank->b2[m] = 7;
    bank->b1[m] = 11;
    bank->x2[m] = 1000;
    bank->y2[m] = 100;
    bank->y1[m] = 10;
    bank->x1[m] = 1;
    step_channel(*bank, m, 0.1, 4.0, 1.0);
    EXPECT_EQ(bank->y0[m], 2000 + 300 + 50 + 7 + 1.1);
    // The histories shift by one step.
    EXPECT_EQ(bank->y2[m], 10);
    EXPECT_EQ(bank->y1[m], bank->y0[m]);
    EXPECT_EQ(bank->x2[m], 1);
    EXPECT_EQ(bank->x1[m], 0.1);
    // Neighbouring channels are untouched.
    EXPECT_EQ(bank->y0[m - 1], 0);
    EXPECT_EQ(bank->y0[m + 1], 0);
}

TEST(StepChannel, TermsAreAddedLeftToRight)
{
    // b3*x2 = 1, a2*y2 = 1e16, a1*y1 = -1e16, b2*x1 = 3, b1*x0 = 0.5. Added
    // in this order the sum is 3.5; a1*y1 + a2*y2 + b1*x0 + b2*x1 + b3*x2
    // gives 4.5 and the reverse order 5.
    auto bank = fresh_bank();
    bank->b3[m] = bank->a2[m] = bank->a1[m] = bank->b2[m] = bank->b1[m] = 1.0;
    bank->x2[m] = 1;
    bank->y2[m] = 1e16;
    bank->y1[m] = -1e16;
    bank->x1[m] = 3;
    step_channel(*bank, m, 0.5, 0.0, 1.0);
    EXPECT_EQ(bank->y0[m], 3.5);
}

TEST(StepChannel, ExtremesAreStrict)
{
    auto bank = echo_bank();
    feed(*bank, {1, 3, 3, 2, -1, -4, -4, 0, 3}, 1.0, 10.0);
    EXPECT_EQ(bank->pos_srs[m], 3);
    EXPECT_EQ(bank->pos_time[m], 11);  // the later equal values keep the first time
    EXPECT_EQ(bank->neg_srs[m], -4);
    EXPECT_EQ(bank->neg_time[m], 15);
}

TEST(StepChannel, ResponseOnOneSideLeavesTheOtherExtremeAtZero)
{
    auto bank = echo_bank();
    feed(*bank, {-1, -2, 0, -0.5}, 1.0, 5.0);
    EXPECT_EQ(bank->pos_srs[m], 0);
    EXPECT_EQ(bank->pos_time[m], 0);
    EXPECT_EQ(bank->neg_srs[m], -2);
    EXPECT_EQ(bank->neg_time[m], 6);

    bank = echo_bank();
    feed(*bank, {0, 2, 0, 1}, 1.0, 5.0);
    EXPECT_EQ(bank->neg_srs[m], 0);
    EXPECT_EQ(bank->neg_time[m], 0);
}

struct CrestCase {
    const char* name;
    std::vector<double> response;
    double b;
    double fatigue_sum;
};

TEST(StepChannel, CrestsAndTheirFatigueSum)
{
    const CrestCase cases[] = {
        {"b = 0 counts crests", {1, 3, 2, 4, 1, 5, 0}, 0.0, 3},
        {"one crest with b = 2", {0, 3, 1}, 2.0, 9},
        {"first response is a crest when above 0 and the next", {2, 1}, 1.0, 2},
        {"first response below 0 is no crest", {-2, -3}, 1.0, 0},
        {"crest at the last step is not counted", {0, 1, 2}, 0.0, 0},
        {"flat top is no crest", {0, 5, 5, 0}, 0.0, 0},
        {"troughs are not counted", {5, 1, 5, 1, 5}, 0.0, 2},
        {"negative crest adds the power of its magnitude", {-5, -2, -4}, 3.0, 8},
        {"fractional power of a negative crest", {-5, -4, -6}, 0.5, 2},
        {"crests summed in order", {0, 1e16, 0, 1, 0, 1, 0}, 1.0, 1e16 + 1 + 1},
    };
    for (const CrestCase& c : cases) {
        auto bank = echo_bank();
        feed(*bank, c.response, c.b);
        EXPECT_EQ(bank->fatigue_sum[m], c.fatigue_sum) << c.name;
    }
}

TEST(ResetBank, ZeroesStateAndResultsOfEveryChannelOnly)
{
    auto bank = std::make_unique<OscillatorBank>();
    double* state[] = {bank->y0, bank->y1, bank->y2, bank->x1, bank->x2, bank->pos_srs, bank->neg_srs,
                       bank->pos_time, bank->neg_time, bank->fatigue_sum};
    double* kept[] = {bank->fn, bank->a1, bank->a2, bank->b1, bank->b2, bank->b3};
    for (int k = 0; k < max_channels; ++k) {
        for (double* field : state) field[k] = 7.0 + k;
        for (double* field : kept) field[k] = 0.5 + k;
    }
    bank->channel_count = 2;
    reset_bank(*bank);
    for (int k = 0; k < max_channels; ++k) {
        for (double* field : state) ASSERT_EQ(field[k], 0.0) << "channel " << k;
        for (double* field : kept) ASSERT_EQ(field[k], 0.5 + k) << "channel " << k;
    }
}

}  // namespace
