#pragma once
#include "common/run_settings.h"
#include "input/sample_reader.h"

enum class ScanResult {
    ok,
    time_error,   // a time below the one before
    step_error,   // steps differ by more than 5 %
    count_error,  // fewer than two samples, or no usable time step
};

// Reads the whole record once, checks it and sets t_start, t_end,
// total_samples, dt and sr. The stream is rewound to its start before the
// checks, whatever their outcome. A failed check prints its message (without
// the key prompt) and is returned for the dialogue to end the run.
ScanResult scan_time_history(SampleReader& input, RunSettings& settings);
