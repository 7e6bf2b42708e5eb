#include "input/resample_time_history.h"

#include "common/run_exit.h"
#include "common/same_file.h"
#include "dialogue/answers.h"
#include "platform/console.h"
#include "results/output_file.h"

namespace {

// Number of points read; a point that has only a time gets acceleration 0.
std::int32_t read_points(SampleReader& input, ResampleBuffers& buffers)
{
    std::int32_t count = 0;
    while (count < max_points) {
        double accel = 0.0;
        if (!holds_sample(read_sample(input, buffers.time_buf[count], accel))) break;
        buffers.accel_buf[count] = accel;
        ++count;
    }
    return count;
}

void write_point(std::FILE* out, double time, double accel)
{
    print_to(out, "\n %14.7e %14.7e", time, accel);
}

}  // namespace

std::int32_t output_step_count(double span_over_dt)
{
    // NaN (an infinite span over an infinite step) goes the same way.
    if (!(span_over_dt > -2147483648.0)) return INT32_MIN;
    return static_cast<std::int32_t>(span_over_dt);
}

void write_resampled_points(std::FILE* out, const ResampleBuffers& buffers, std::int32_t last,
                            double out_dt, std::int32_t nt)
{
    const double* time_buf = buffers.time_buf;
    const double* accel_buf = buffers.accel_buf;
    std::int32_t i = 1;
    // 64-bit k: nt may be the largest 32-bit value, and k must pass it.
    for (std::int64_t k = 1; k <= nt; ++k) {
        double t = k * out_dt + time_buf[0];
        while (i <= last) {
            if (i >= 1 && t == time_buf[i - 1]) {
                write_point(out, t, accel_buf[i - 1]);
                break;
            }
            if (t == time_buf[i]) {
                write_point(out, t, accel_buf[i]);
                break;
            }
            if (i >= 1 && time_buf[i - 1] < t && t < time_buf[i]) {
                double r = (t - time_buf[i - 1]) / (time_buf[i] - time_buf[i - 1]);
                write_point(out, t, (1 - r) * accel_buf[i - 1] + r * accel_buf[i]);
                break;
            }
            ++i;
        }
        // The next output time is sought from one place back.
        if (i > 0) --i;
    }
}

void resample_time_history(SampleReader& input, RunSettings& settings, ResampleBuffers& buffers)
{
    print("\n Enter output time history filename for interpolation. \n");
    settings.resampled_name = ask_word();
    end_run_if_input(settings.resampled_name, {settings.input_name, "srs.out", "srs.txt", "srs2.txt"});
    OutputFile out;
    if (!create_output_file(out, settings.resampled_name)) {
        print("\n File error \n");
        end_run(1);
    }

    double out_sr = ask_real([] { print("\n\n Enter Output Sampling Rate (samples/sec): \n"); });
    double out_dt = 1 / out_sr;

    std::int32_t count = read_points(input, buffers);
    close_reader(input);
    if (count == 0) {
        close_output_file(out);
        return;
    }
    std::int32_t last = count - 1;
    double span_over_dt = (buffers.time_buf[last] - buffers.time_buf[0]) / out_dt;
    if (span_over_dt >= 2147483648.0) {
        print("\n Error:  output sampling rate gives too many points \n");
        close_output_file(out);
        end_run(1);
    }
    std::int32_t nt = output_step_count(span_over_dt);

    print("\n t[%ld]= %12.4g   t[0]= %12.4g\n", static_cast<long>(last), buffers.time_buf[last],
          buffers.time_buf[0]);
    print("\n last= %ld   ", static_cast<long>(last));
    print("\n   nt= %ld \n", static_cast<long>(nt));
    print("\n   dt= %12.4g \n", out_dt);

    write_point(out.stream, buffers.time_buf[0], buffers.accel_buf[0]);
    print("\n");
    write_resampled_points(out.stream, buffers, last, out_dt, nt);
    close_output_file(out);
}
