// Runs one natural frequency through the program's own engine, exactly as a
// run does (coefficients, one step per sample, then the ring-down with zero
// input), on a record held in memory, and keeps full precision in the peaks
// instead of the four decimals of the result files.
#pragma once

#include <memory>
#include <vector>

#include "common/run_settings.h"
#include "engine/filter_coefficients.h"
#include "engine/oscillator_bank.h"
#include "engine/response_passes.h"

struct SingleChannelRun {
    double pos;           // largest response, primary and residual
    double neg;           // magnitude of the most negative response
    int residual_steps;   // zero-input steps the channel took after the record
};

inline SingleChannelRun run_single_channel(const std::vector<double>& x, double dt, double fn,
                                           double damp, int algorithm)
{
    auto bank = std::make_unique<OscillatorBank>();
    reset_bank(*bank);
    RunSettings settings;
    settings.damp = damp;
    settings.dt = dt;
    settings.sr = 1.0 / dt;
    settings.algorithm = algorithm;
    settings.b = 1.0;
    bank->fn[0] = fn;
    bank->channel_count = 1;
    compute_filter_coefficients(*bank, settings);
    for (size_t k = 0; k < x.size(); ++k) step_channel(*bank, 0, x[k], k * dt, settings.b);
    settings.t_end = (x.size() - 1) * dt;
    residual_pass(*bank, settings);

    // The ring-down's length by the pass's own rule, for an oracle that has
    // to follow the channel exactly as far.
    int steps = 0;
    for (int l = 1; l <= residual_step_count(*bank, settings); ++l)
        if (!(residual_periods / fn < l * dt)) steps = l;
    return {bank->pos_srs[0], -bank->neg_srs[0], steps};
}
