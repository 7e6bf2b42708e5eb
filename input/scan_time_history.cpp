#include "input/scan_time_history.h"

#include <cmath>
#include <cstdint>

#include "platform/console.h"

ScanResult scan_time_history(SampleReader& input, RunSettings& settings)
{
    std::uint32_t count = 0;
    double dtmin = +1e90;
    double dtmax = -1e90;
    double previous = 0.0;
    double time = 0.0;
    double accel = 0.0;
    while (holds_sample(read_sample(input, time, accel))) {
        if (count == 0) {
            settings.t_start = time;
        } else {
            if (time < previous) {
                print("\n Time error.  Time values must ascend.");
                return ScanResult::time_error;
            }
            double step = time - previous;
            if (step < dtmin) dtmin = step;
            if (step > dtmax) dtmax = step;
        }
        previous = time;
        ++count;
    }
    rewind_reader(input);

    // The step rule is tested first; with fewer than two samples dtmin and
    // dtmax keep their starting values, which pass it.
    if (dtmin < 0.95 * dtmax) {
        print("\n Time Step Error:   ");
        print("\n dtmax = %8.4g   dtmin = %8.4g \n", dtmax, dtmin);
        print("\n The time step must be constant. \n");
        return ScanResult::step_error;
    }
    double dt = count > 1 ? (previous - settings.t_start) / (count - 1) : 0.0;
    double sr = 1 / dt;
    // Equal times everywhere give dt 0; extreme times can give no finite step.
    if (count < 2 || dt == 0 || !std::isfinite(dt) || !std::isfinite(sr)) {
        print("\n dt error");
        return ScanResult::count_error;
    }
    settings.total_samples = count;
    settings.t_end = previous;
    settings.dt = dt;
    settings.sr = sr;
    return ScanResult::ok;
}
