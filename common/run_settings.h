#pragma once
#include <cstdint>
#include <string>

// The parameters of one run. The dialogue fills the answers, the scan (or the
// resampler) the record's timing; every other module only reads them.
struct RunSettings {
    std::string input_name;
    std::string resampled_name;
    long interpolate = 0;   // 1 = resample
    long spacing = 0;       // 1 = 1/12 octave, 2 = constant bandwidth
    int algorithm = 0;      // 1 = Kelly-Richman, anything else = Smallwood
    double damp = 0.0;
    double b = 0.0;
    double bandwidth = 0.0;
    double dt = 0.0;
    double sr = 0.0;
    double t_start = 0.0;
    double t_end = 0.0;
    std::uint32_t total_samples = 0;
};
