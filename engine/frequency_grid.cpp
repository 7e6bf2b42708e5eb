#include "engine/frequency_grid.h"

#include <cmath>

bool build_frequency_grid(OscillatorBank& bank, const RunSettings& settings)
{
    double* fn = bank.fn;
    double limit = settings.sr / 8;
    for (int k = 1; k < max_channels; ++k) {
        // Each octave step is taken afresh from fn[0] with the double nearest
        // to 1/12, so every twelfth frequency is an exact octave; the
        // bandwidth steps are a running sum.
        if (settings.spacing == 1)
            fn[k] = std::pow(2.0, k * 0.08333333333333333) * fn[0];
        else
            fn[k] = fn[k - 1] + settings.bandwidth;
        if (fn[k] > limit) {
            bank.channel_count = k + 1;
            return true;
        }
    }
    bank.channel_count = max_channels;
    return false;
}
