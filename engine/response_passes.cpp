#include "engine/response_passes.h"

#include <algorithm>
#include <cstdint>

#include "engine/bank_kernel.h"
#include "platform/console.h"

void primary_pass(SampleReader& input, OscillatorBank& bank, RunSettings& settings)
{
    print("\n Calculating primary response..... \n\n");
    settings.total_samples = 0;
    const BlockStep step_block = chosen_block_step();
    // A fixed block of samples read ahead: the bank is stepped over the
    // block one cache-sized group of channels at a time.
    alignas(64) double xs[block_samples];
    alignas(64) double ts[block_samples];
    double t = 0.0;
    double x0 = 0.0;
    bool more = true;
    while (more) {
        int count = 0;
        while (count < block_samples) {
            if (!holds_sample(read_sample(input, t, x0))) {
                more = false;
                break;
            }
            // A lone time keeps the previous acceleration in x0.
            ts[count] = t;
            xs[count] = x0;
            ++count;
        }
        if (count == 0) break;
        step_block(bank, 0, bank.channel_count, xs, ts, count, settings.b);
        settings.total_samples += static_cast<std::uint32_t>(count);
        settings.t_end = ts[count - 1];
    }
    close_reader(input);
}

int residual_step_count(const OscillatorBank& bank, const RunSettings& settings)
{
    return static_cast<std::int32_t>(residual_periods / (bank.fn[0] * settings.dt));
}

namespace {

// The first residual step l (from 1 up to steps + 1) at which a channel's
// ring-down is over, residual_periods / fn < l * dt. The test is monotone in
// l, so a bisection finds it with the very products the plain loop forms.
long long first_step_over(double fn, double dt, int steps)
{
    const double ring = residual_periods / fn;
    long long lo = 1;
    long long hi = static_cast<long long>(steps) + 1;
    while (lo < hi) {
        long long mid = lo + (hi - lo) / 2;
        double s = static_cast<double>(mid) * dt;
        if (ring < s)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

}  // namespace

// At step l the channels are stepped in ascending order until the first one
// whose ring-down is over; that channel ends the step for every channel above
// it, even one of lower frequency when the grid has equal or falling values.
// So channel m takes steps 1 to last_step[m], the smallest "over" step of
// channels 0..m less one, which never grows with m. Channels being
// independent, each can then take its steps in blocks.
void residual_pass(OscillatorBank& bank, const RunSettings& settings)
{
    print("\n Calculating residual response..... \n");
    const int steps = residual_step_count(bank, settings);
    if (steps < 1) return;
    const int count = bank.channel_count;
    // 64-bit: a run may take 2^31 - 1 steps, and "one past the last" must fit.
    long long last_step[max_channels];
    long long over = static_cast<long long>(steps) + 1;
    for (int m = 0; m < count; ++m) {
        over = std::min(over, first_step_over(bank.fn[m], settings.dt, steps));
        last_step[m] = over - 1;
    }

    const BlockStep step_block = chosen_block_step();
    alignas(64) double xs[block_samples] = {};
    alignas(64) double ts[block_samples];
    for (long long l0 = 1; count > 0 && l0 <= last_step[0]; l0 += block_samples) {
        const long long l1 = std::min(l0 + block_samples - 1, last_step[0]);
        for (long long l = l0; l <= l1; ++l) {
            double s = static_cast<double>(l) * settings.dt;
            ts[l - l0] = settings.t_end + s;
        }
        // Channels ringing through the whole block, then those that stop in it.
        int full = 0;
        while (full < count && last_step[full] >= l1) ++full;
        step_block(bank, 0, full, xs, ts, static_cast<int>(l1 - l0 + 1), settings.b);
        for (int m = full; m < count && last_step[m] >= l0; ++m)
            step_block(bank, m, m + 1, xs, ts, static_cast<int>(last_step[m] - l0 + 1), settings.b);
    }
}
