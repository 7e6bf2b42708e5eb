#include "dialogue/run_dialogue.h"

#include <sys/stat.h>

#include <cstdio>

#include "common/run_exit.h"
#include "common/same_file.h"
#include "dialogue/answers.h"
#include "engine/filter_coefficients.h"
#include "engine/frequency_grid.h"
#include "engine/response_passes.h"
#include "input/scan_time_history.h"
#include "platform/console.h"
#include "platform/key_wait.h"
#include "results/fatigue_file.h"
#include "results/spectrum_files.h"

namespace {

void print_banner()
{
    print("\n\n  program:  tarvelin, ver 1.2,  June 2, 2006 \n");
    print("\n  Shock response spectrum of an arbitrary acceleration ");
    print("\n  base input time history supplied by the user.\n\n");
    print(" This program also implements the fatigue calculation     \n");
    print(" Use of Vibration Response Spectrum (VRS) and Fatigue     \n");
    print(" Equivalence Methods for Qualification Status Comparisons, 2004 \n\n");
}

// Opens a time history for reading; a directory does not count as a file.
std::FILE* open_input(const std::string& name)
{
    std::FILE* stream = std::fopen(name.c_str(), "rb");
    struct stat st;
    if (stream && fstat(fileno(stream), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(stream);
        return nullptr;
    }
    return stream;
}

// Input file question: opens the input and creates the report.
std::FILE* open_input_and_report(RunSettings& s, OutputFile& report)
{
    print("\n Input must be time(sec) and accel(G) ");
    print("\n Format is free, but no header lines allowed.\n");
    print("\n Please enter the input filename. \n");
    s.input_name = ask_word();
    std::FILE* input = open_input(s.input_name);
    end_run_if_input("srs.out", {s.input_name});
    end_run_if_input("srs.txt", {s.input_name});
    end_run_if_input("srs2.txt", {s.input_name});
    bool report_created = create_output_file(report, "srs.out");
    if (!input) end_run_on_file_failure("open", s.input_name.c_str());
    print(" File: %s opened. \n", s.input_name.c_str());
    if (!report_created) end_run_on_file_failure("create", "srs.out");
    return input;
}

void ask_interpolation(SampleReader& input, RunSettings& s, ResampleBuffers& buffers)
{
    s.interpolate = ask_long([] {
        print("\n\n Interpolation can be used to meet uniform time step requirement. \n");
        print("\n Perform linear interpolation on time history? ");
        print("\n 1=yes  2=no \n");
    });
    if (s.interpolate != 1) return;
    resample_time_history(input, s, buffers);
    std::FILE* resampled = open_input(s.resampled_name);
    if (!resampled) end_run_on_file_failure("open", s.resampled_name.c_str());
    attach_reader(input, resampled);
}

void scan_or_end(SampleReader& input, RunSettings& s)
{
    switch (scan_time_history(input, s)) {
    case ScanResult::ok:
        return;
    case ScanResult::time_error:
        end_run(1);
    case ScanResult::step_error:
    case ScanResult::count_error:
        end_run_after_key();
    }
}

void ask_damping(RunSettings& s)
{
    long damping_format = ask_long([] { print("\n Enter damping format. \n 1= damping ratio   2= Q \n"); });
    if (damping_format == 1) {
        s.damp = ask_real([] { print("\n Enter damping ratio (typically 0.05) "); });
    } else {
        double q = ask_real([] { print("\n Enter amplification factor Q (typically 10) "); });
        s.damp = 1 / (2 * q);
    }
    if (s.damp >= 1) {
        print("\n Error:  damping value must be < 1 \n");
        end_run(1);
    }
    if (s.damp < 0) {
        print("\n Error:  damping value must be >= 0 \n");
        end_run(1);
    }
}

void ask_algorithm(RunSettings& s)
{
    s.algorithm = ask_int([] {
        print("\n\n Select alogrithm:");
        print("\n 1=Kelly-Richman  2=Smallwood \n");
    });
}

// Accepted when 1e-20 < fn0 < sr/4 and the residual step count fits 32 bits.
double ask_starting_frequency(const RunSettings& s)
{
    for (;;) {
        double fn0 = ask_real([] { print("\n\n Enter starting frequency (Hz) \n"); });
        if (!(fn0 < 0.25 * s.sr)) {
            print("\n\n Starting frequency must be < %lf ", 0.25 * s.sr);
        } else if (!(fn0 > 1e-20)) {
            print("\n\n Starting frequency must be > 0. ");
        } else if (residual_periods / (fn0 * s.dt) >= 2147483648.0) {
            print("\n\n Starting frequency must be > %g ", residual_periods / (2147483648.0 * s.dt));
        } else {
            return fn0;
        }
    }
}

void ask_spacing(RunSettings& s)
{
    do {
        s.spacing = ask_long([] {
            print("\n\n Enter frequency spacing option \n");
            print("\n 1= 1/12 octave   2= constant bandwidth \n");
        });
        if (s.spacing != 2) continue;
        for (;;) {
            s.bandwidth = ask_real([] { print("\n\n Enter bandwidth (Hz) \n"); });
            if (s.bandwidth > 0) break;
            print("\n\n Bandwidth must be > 0. ");
        }
    } while (s.spacing != 1 && s.spacing != 2);
}

void print_output_list(const std::string& fatigue_name)
{
    print("\n\n Output files: \n");
    print("\n  srs.out - text output \n");
    print("\n srs.txt  - natural frequency (Hz) ");
    print("\n             and peak absolute acceleration (G) \n");
    print("\n srs2.txt - natural frequency (Hz) ");
    print("\n             and peak positive acceleration (G) ");
    print("\n             and peak negative acceleration (G) \n");
    print("\n Fatigue response spectrum output file:\n");
    print("\n        %s - fn(Hz) and Fatigue (R) \n\n", fatigue_name.c_str());
    print("\n Please call the *.txt files into your own graphics program. \n");
    print("\n Note that the data files are tab delimited. \n\n");
    print("\n Press any key to exit.\n");
}

}  // namespace

int run_dialogue(OscillatorBank& bank, ResampleBuffers& buffers)
{
    RunSettings s;
    print_banner();
    reset_bank(bank);

    OutputFile report;
    SampleReader input;
    attach_reader(input, open_input_and_report(s, report));
    ask_interpolation(input, s, buffers);
    scan_or_end(input, s);

    ask_damping(s);
    print("\n  dt=%g sec   sr=%g  samples/sec", s.dt, s.sr);
    s.b = ask_real([] { print("\n\n Enter fatigue exponent b \n"); });
    print("\n");
    OutputFile fatigue;
    open_fatigue_file(s, fatigue);
    ask_algorithm(s);
    write_report_header(report, s);

    bank.fn[0] = ask_starting_frequency(s);
    ask_spacing(s);
    if (!build_frequency_grid(bank, s))
        print("\n Warning:  the frequency grid is full at %d frequencies, up to %g Hz \n", max_channels,
              bank.fn[max_channels - 1]);
    compute_filter_coefficients(bank, s);

    primary_pass(input, bank, s);
    residual_pass(bank, s);
    write_result_files(s, bank, report, fatigue);

    print_output_list(fatigue.name);
    wait_for_key();
    return 0;
}
