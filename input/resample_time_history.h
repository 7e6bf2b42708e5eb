#pragma once
#include <cstdint>
#include <cstdio>

#include "common/run_settings.h"
#include "input/sample_reader.h"

inline constexpr std::int32_t max_points = 4000000;

// The whole input record, held only while it is resampled. Large: static
// storage in the program, heap in tests.
struct ResampleBuffers {
    double time_buf[max_points];
    double accel_buf[max_points];
};

// Output time steps after the first point, (last time - first time) / out_dt
// truncated toward zero. Values below the 32-bit range saturate as the
// machine's conversion does; the caller refuses values above it.
std::int32_t output_step_count(double span_over_dt);

// Asks for the output file name and sampling rate, reads the input (up to
// max_points points) and closes it, and writes the record at a uniform step
// to the new file, which it closes. Sets resampled_name. Every failure ends
// the run with its message.
void resample_time_history(SampleReader& input, RunSettings& settings, ResampleBuffers& buffers);

// The interpolation proper, for a record already in the buffers: writes the
// points of output steps 1 to nt (the first point is written by the caller).
void write_resampled_points(std::FILE* out, const ResampleBuffers& buffers, std::int32_t last,
                            double out_dt, std::int32_t nt);
