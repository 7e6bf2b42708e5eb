// A whole run on an arbitrary input file with fixed answers, in process: the
// run dialogue's road (open, optional resampling, scan, damping, fatigue file,
// report header, grid, coefficients, both passes, result files), with the
// answers the dialogue would pass in. Each input is run twice: as typed
// (Kelly-Richman, 1/12 octave) and resampled to about 50 steps (Smallwood,
// constant bandwidth). The scan must agree with the slow model, the primary
// pass must see the samples the scan counted, and the working directory must
// hold the input, unchanged, and the run's own outputs, nothing else.
#include <dirent.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "dialogue/answers.h"
#include "engine/filter_coefficients.h"
#include "engine/frequency_grid.h"
#include "engine/oscillator_bank.h"
#include "engine/response_passes.h"
#include "input/resample_time_history.h"
#include "input/scan_time_history.h"
#include "number_model.h"
#include "platform/format.h"
#include "results/fatigue_file.h"
#include "results/spectrum_files.h"

namespace {

const char* const input_name = "input.txt";
const char* const resampled_name = "resampled.txt";
std::string work_dir;
OscillatorBank* bank = nullptr;
ResampleBuffers* buffers = nullptr;

struct ScanModel {
    ScanResult result = ScanResult::ok;
    std::uint32_t count = 0;
    double t_start = 0.0, t_end = 0.0, dt = 0.0, sr = 0.0;
};

// The record checks, read straight off the text with the model reader.
ScanModel model_scan(std::string_view rest)
{
    ScanModel m;
    double dtmin = +1e90, dtmax = -1e90, previous = 0.0, time = 0.0, accel = 0.0;
    int result;
    while ((result = model::read_sample(rest, time, accel)) == 1 || result == 2) {
        if (m.count == 0) {
            m.t_start = time;
        } else {
            if (time < previous) return {ScanResult::time_error};
            dtmin = std::fmin(dtmin, time - previous);
            dtmax = std::fmax(dtmax, time - previous);
        }
        previous = time;
        ++m.count;
    }
    if (dtmin < 0.95 * dtmax) return {ScanResult::step_error};
    if (m.count < 2) return {ScanResult::count_error};
    m.t_end = previous;
    m.dt = (m.t_end - m.t_start) / (m.count - 1);
    m.sr = 1 / m.dt;
    if (m.dt == 0 || !std::isfinite(m.dt) || !std::isfinite(m.sr)) return {ScanResult::count_error};
    return m;
}

std::string file_bytes(const char* name)
{
    std::string bytes;
    std::FILE* f = std::fopen(name, "rb");
    FUZZ_CHECK(f != nullptr);
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, got);
    std::fclose(f);
    return bytes;
}

std::set<std::string> directory_names()
{
    std::set<std::string> names;
    DIR* dir = opendir(".");
    FUZZ_CHECK(dir != nullptr);
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.insert(name);
    }
    closedir(dir);
    return names;
}

void remove_all_files()
{
    for (const std::string& name : directory_names()) std::remove(name.c_str());
}

// The rate answer: about 50 output steps over the span of the record's
// points, or 0 (one output point) when no finite rate gives that.
std::string rate_answer(std::string_view text)
{
    double first = 0.0, last = 0.0, time = 0.0, accel = 0.0;
    std::int32_t points = 0;
    while (points < max_points) {
        int result = model::read_sample(text, time, accel);
        if (result != 1 && result != 2) break;
        if (points++ == 0) first = time;
        last = time;
    }
    double rate = 50 / (last - first);
    if (!std::isfinite(rate)) rate = 0;
    return format_text("%.17g", rate);
}

// Answers the resampler reads, from a fixed text.
void resample(SampleReader& input, RunSettings& s, const std::string& typed)
{
    std::string answers = std::string(resampled_name) + " " + rate_answer(typed) + "\n";
    std::FILE* answer_stream = fmemopen(answers.data(), answers.size(), "r");
    FUZZ_CHECK(answer_stream != nullptr);
    set_answer_stream(answer_stream);
    s.interpolate = 1;
    resample_time_history(input, s, *buffers);
    std::fclose(answer_stream);
    std::FILE* resampled = std::fopen(resampled_name, "rb");
    FUZZ_CHECK(resampled != nullptr);
    attach_reader(input, resampled);
}

bool starting_frequency_accepted(double fn0, const RunSettings& s)
{
    return fn0 < 0.25 * s.sr && fn0 > 1e-20 && residual_periods / (fn0 * s.dt) < 2147483648.0;
}

void check_scan(ScanResult result, const RunSettings& s, const std::string& scanned)
{
    ScanModel want = model_scan(scanned);
    FUZZ_CHECK(result == want.result);
    if (result != ScanResult::ok) return;
    FUZZ_CHECK(s.total_samples == want.count);
    FUZZ_CHECK(model::same_double(s.t_start, want.t_start));
    FUZZ_CHECK(model::same_double(s.t_end, want.t_end));
    FUZZ_CHECK(model::same_double(s.dt, want.dt));
    FUZZ_CHECK(model::same_double(s.sr, want.sr));
}

void check_peaks()
{
    for (int m = 0; m < bank->channel_count; ++m) {
        // Peaks start at zero and move only on strictly larger responses.
        FUZZ_CHECK(!(bank->pos_srs[m] < 0) && !std::isnan(bank->pos_srs[m]));
        FUZZ_CHECK(!(bank->neg_srs[m] > 0) && !std::isnan(bank->neg_srs[m]));
    }
}

// One run; returns the names of the files it made.
std::set<std::string> run_once(const std::string& typed, bool resampling)
{
    RunSettings s;
    s.input_name = input_name;
    reset_bank(*bank);
    std::FILE* in = std::fopen(input_name, "rb");
    FUZZ_CHECK(in != nullptr);
    OutputFile report;
    FUZZ_CHECK(create_output_file(report, "srs.out"));
    std::set<std::string> made = {input_name, "srs.out"};
    SampleReader input;
    attach_reader(input, in);
    if (resampling) {
        resample(input, s, typed);
        made.insert(resampled_name);
    }

    ScanResult result = scan_time_history(input, s);
    check_scan(result, s, resampling ? file_bytes(resampled_name) : typed);
    double fn0 = s.sr / 100;
    if (result != ScanResult::ok || !starting_frequency_accepted(fn0, s)) {
        close_reader(input);
        close_output_file(report);
        return made;
    }
    std::uint32_t scanned = s.total_samples;
    double t_end = s.t_end;

    s.damp = 0.05;
    s.b = resampling ? 6.4 : 4;
    OutputFile fatigue;
    open_fatigue_file(s, fatigue);
    made.insert(fatigue.name);
    s.algorithm = resampling ? 2 : 1;
    write_report_header(report, s);
    bank->fn[0] = fn0;
    s.spacing = resampling ? 2 : 1;
    s.bandwidth = s.sr / 100;
    build_frequency_grid(*bank, s);
    compute_filter_coefficients(*bank, s);

    primary_pass(input, *bank, s);
    FUZZ_CHECK(s.total_samples == scanned);
    FUZZ_CHECK(model::same_double(s.t_end, t_end));
    residual_pass(*bank, s);
    check_peaks();
    write_result_files(s, *bank, report, fatigue);
    made.insert({"srs.txt", "srs2.txt"});
    return made;
}

void remove_work_dir()
{
    remove_all_files();
    rmdir(work_dir.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/tarvelin_fuzz_XXXXXX";
    FUZZ_CHECK(mkdtemp(pattern) != nullptr);
    work_dir = pattern;
    FUZZ_CHECK(chdir(pattern) == 0);
    std::atexit(remove_work_dir);
    FUZZ_CHECK(std::freopen("/dev/null", "w", stdout) != nullptr);
    bank = new OscillatorBank;
    buffers = new ResampleBuffers;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string typed(reinterpret_cast<const char*>(data), size);
    for (bool resampling : {false, true}) {
        std::FILE* f = std::fopen(input_name, "wb");
        FUZZ_CHECK(f != nullptr);
        FUZZ_CHECK(std::fwrite(typed.data(), 1, typed.size(), f) == typed.size());
        FUZZ_CHECK(std::fclose(f) == 0);
        std::set<std::string> made = run_once(typed, resampling);
        FUZZ_CHECK(directory_names() == made);
        FUZZ_CHECK(file_bytes(input_name) == typed);
        remove_all_files();
    }
    return 0;
}
