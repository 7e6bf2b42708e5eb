#include "engine/response_passes.h"

#include <cstdint>

#include "platform/console.h"

void primary_pass(SampleReader& input, OscillatorBank& bank, RunSettings& settings)
{
    print("\n Calculating primary response..... \n\n");
    settings.total_samples = 0;
    double t = 0.0;
    double x0 = 0.0;
    int result;
    while ((result = read_sample(input, t, x0)) == sample_complete || result == sample_time_only) {
        for (int m = 0; m < bank.channel_count; ++m) step_channel(bank, m, x0, t, settings.b);
        ++settings.total_samples;
        settings.t_end = t;
    }
    close_reader(input);
}

int residual_step_count(const OscillatorBank& bank, const RunSettings& settings)
{
    return static_cast<std::int32_t>(residual_periods / (bank.fn[0] * settings.dt));
}

void residual_pass(OscillatorBank& bank, const RunSettings& settings)
{
    print("\n Calculating residual response..... \n");
    int steps = residual_step_count(bank, settings);
    for (int l = 1; l <= steps; ++l) {
        double s = l * settings.dt;
        double t = settings.t_end + s;
        // Channels ascend in frequency, so the first one whose ring-down is
        // over ends the step for every channel above it.
        for (int m = 0; m < bank.channel_count; ++m) {
            if (residual_periods / bank.fn[m] < s) break;
            step_channel(bank, m, 0.0, t, settings.b);
        }
    }
}
