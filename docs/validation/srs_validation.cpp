// Computes the numbers behind docs/validation.md: the 100 G, 11 ms half-sine
// through both filter sets of the engine at several sample rates, beside the
// closed-form undamped spectrum and the exact response of the oscillator to
// the sampled record.
//
// Usage: srs_validation POINTS_FILE CURVES_FILE SPECTRUM_FILE
//   POINTS_FILE    one row per sample rate, fn/sr and damping
//   CURVES_FILE    the same columns at 100000 samples/s, fn/sr in 1/12 octaves
//   SPECTRUM_FILE  the undamped spectra at 10000 samples/s on a 1/12-octave grid
// All are tab-separated with a header line.

#include <cmath>
#include <cstdio>
#include <vector>

#include "tests/unit/shock_oracle.h"
#include "tests/unit/single_channel_run.h"

namespace {

const double amplitude = 100.0;  // G
const double duration = 0.011;   // s

// Every rate puts a whole number of steps in the pulse, so the sampled
// record ends exactly where the pulse does.
const double sample_rates[] = {1000.0, 10000.0, 100000.0, 1000000.0};
const double ratios[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.125};
const double dampings[] = {0.0, 0.05};

struct Point {
    SingleChannelRun kelly_richman;
    SingleChannelRun smallwood;
    shock_oracle::ExactPeaks exact;
};

Point compute_point(const std::vector<double>& record, double dt, double fn, double damp)
{
    Point p;
    p.kelly_richman = run_single_channel(record, dt, fn, damp, 1);
    p.smallwood = run_single_channel(record, dt, fn, damp, 2);
    std::vector<double> followed = record;
    followed.resize(record.size() + p.kelly_richman.residual_steps, 0.0);
    p.exact = shock_oracle::PiecewiseLinearOscillator(fn, damp, dt).run(followed);
    return p;
}

void write_point_header(std::FILE* out)
{
    std::fprintf(out,
                 "sr\tratio\tfn\tdamp\tclosed_pos\tclosed_neg\tsampled_pos\tsampled_neg\t"
                 "anywhere_pos\tanywhere_neg\tkr_pos\tkr_neg\tsw_pos\tsw_neg\n");
}

void write_point(std::FILE* out, const std::vector<double>& record, double sr, double ratio,
                 double damp)
{
    const double fn = ratio * sr;
    const shock_oracle::Peaks closed = shock_oracle::half_sine_undamped(amplitude, duration, fn);
    const Point p = compute_point(record, 1.0 / sr, fn, damp);
    std::fprintf(out, "%.0f\t%.17g\t%.17g\t%.2f", sr, ratio, fn, damp);
    std::fprintf(out, "\t%.17g\t%.17g", closed.pos, closed.neg);
    std::fprintf(out, "\t%.17g\t%.17g", p.exact.at_samples.pos, p.exact.at_samples.neg);
    std::fprintf(out, "\t%.17g\t%.17g", p.exact.anywhere.pos, p.exact.anywhere.neg);
    std::fprintf(out, "\t%.17g\t%.17g", p.kelly_richman.pos, p.kelly_richman.neg);
    std::fprintf(out, "\t%.17g\t%.17g\n", p.smallwood.pos, p.smallwood.neg);
}

std::vector<double> record_at(double sr)
{
    return shock_oracle::sampled_half_sine(amplitude, static_cast<int>(std::lround(duration * sr)));
}

// The table's points: every sample rate at a few round values of fn/sr.
void write_points(std::FILE* out)
{
    write_point_header(out);
    for (double sr : sample_rates) {
        const std::vector<double> record = record_at(sr);
        for (double ratio : ratios)
            for (double damp : dampings) write_point(out, record, sr, ratio, damp);
    }
}

// The error curves: one sample rate, fn/sr in twelfth-octave steps.
void write_error_curves(std::FILE* out)
{
    const double sr = 100000.0;
    const std::vector<double> record = record_at(sr);
    write_point_header(out);
    for (int k = 0;; ++k) {
        const double ratio = 0.001 * std::pow(2.0, k / 12.0);
        if (ratio > 0.125 * (1 + 1e-9)) break;
        for (double damp : dampings) write_point(out, record, sr, ratio, damp);
    }
}

void write_spectrum(std::FILE* out)
{
    const double sr = 10000.0;
    const double dt = 1.0 / sr;
    const std::vector<double> record = record_at(sr);
    std::fprintf(out, "fn\tclosed_pos\tclosed_neg\tkr_pos\tkr_neg\tsw_pos\tsw_neg\n");
    for (int k = 0;; ++k) {
        const double fn = std::pow(2.0, k / 12.0);
        if (fn > sr / 8) break;
        const shock_oracle::Peaks closed = shock_oracle::half_sine_undamped(amplitude, duration, fn);
        const SingleChannelRun kr = run_single_channel(record, dt, fn, 0.0, 1);
        const SingleChannelRun sw = run_single_channel(record, dt, fn, 0.0, 2);
        std::fprintf(out, "%.17g\t%.17g\t%.17g\t%.17g\t%.17g\t%.17g\t%.17g\n", fn, closed.pos,
                     closed.neg, kr.pos, kr.neg, sw.pos, sw.neg);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: srs_validation POINTS_FILE CURVES_FILE SPECTRUM_FILE\n");
        return 2;
    }
    std::FILE* points = std::fopen(argv[1], "w");
    std::FILE* curves = std::fopen(argv[2], "w");
    std::FILE* spectrum = std::fopen(argv[3], "w");
    if (!points || !curves || !spectrum) {
        std::perror("srs_validation");
        return 1;
    }
    write_points(points);
    write_error_curves(curves);
    write_spectrum(spectrum);
    const bool closed = std::fclose(points) == 0 && std::fclose(curves) == 0 && std::fclose(spectrum) == 0;
    return closed ? 0 : 1;
}
