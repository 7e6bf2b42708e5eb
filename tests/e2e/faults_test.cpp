// Output files that cannot be created or written, and an input that cannot be
// read: each must end the run with its message and status 1, and never with
// the list of output files that reports success.
#include <gtest/gtest.h>

#include <string>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;

const char* const fatigue_name = "time_history_fatigue_Q10_b6p4.txt";

// 1/12 octave from 10 Hz at 1000 samples/s: 45 rows, so every result file
// fits the stream buffer and a lost write shows only when the file is closed.
const char* const short_run = "in.txt\n2\n1\n0.05\n6.4\n1\n10\n1\n";
// 0.1 Hz steps from 1 Hz: over a thousand rows, so writes fail mid-file.
const char* const long_run = "in.txt\n2\n1\n0.05\n6.4\n1\n1\n2\n0.1\n";
const char* const resampling_run = "in.txt\n1\nr.txt\n1000\n1\n0.05\n6.4\n1\n10\n1\n";

enum class Obstacle { full_device, directory };

struct Fault {
    const char* label;
    const char* path;  // what stands in the working directory before the run
    Obstacle obstacle;
    const char* answers;
    const char* console_end;
};

const Fault faults[] = {
    {"srs_txt_full_short", "srs.txt", Obstacle::full_device, short_run, " Failed to write file: srs.txt \n"},
    {"srs_txt_full_long", "srs.txt", Obstacle::full_device, long_run, " Failed to write file: srs.txt \n"},
    {"srs2_txt_full", "srs2.txt", Obstacle::full_device, long_run, " Failed to write file: srs2.txt \n"},
    {"srs_out_full_short", "srs.out", Obstacle::full_device, short_run, " Failed to write file: srs.out \n"},
    {"srs_out_full_long", "srs.out", Obstacle::full_device, long_run, " Failed to write file: srs.out \n"},
    {"fatigue_full", fatigue_name, Obstacle::full_device, long_run,
     " Failed to write file: time_history_fatigue_Q10_b6p4.txt \n"},
    {"resampled_full", "r.txt", Obstacle::full_device, resampling_run, " Failed to write file: r.txt \n"},
    {"srs_txt_directory", "srs.txt", Obstacle::directory, short_run, " Failed to create file: srs.txt \n"},
    {"srs2_txt_directory", "srs2.txt", Obstacle::directory, short_run, " Failed to create file: srs2.txt \n"},
    {"srs_out_directory", "srs.out", Obstacle::directory, short_run,
     " File: in.txt opened. \n Failed to create file: srs.out \n"},
    {"fatigue_directory", fatigue_name, Obstacle::directory, short_run,
     "\n  b=6.400000 \n Failed to create file: time_history_fatigue_Q10_b6p4.txt \n"},
    {"resampled_directory", "r.txt", Obstacle::directory, resampling_run,
     "\n Enter output time history filename for interpolation. \n\n File error \n"},
};

class OutputFault : public testing::TestWithParam<Fault> {};

TEST_P(OutputFault, EndsWithItsMessageAndStatus1) {
    const Fault& fault = GetParam();
    e2e::TempDir work;
    e2e::write_file(work.path() / "in.txt", "0 0\n0.001 1\n0.002 0\n0.003 -1\n0.004 0\n");
    if (fault.obstacle == Obstacle::full_device)
        fs::create_symlink("/dev/full", work.path() / fault.path);
    else
        fs::create_directory(work.path() / fault.path);

    const auto run = e2e::run_program(e2e::program_path(), work.path(), fault.answers);

    EXPECT_EQ(run.status, "1");
    const std::string end = fault.console_end;
    ASSERT_GE(run.console.size(), end.size()) << run.console;
    EXPECT_EQ(run.console.substr(run.console.size() - end.size()), end);
    EXPECT_EQ(run.console.find("Output files"), std::string::npos);
    EXPECT_EQ(e2e::read_file(work.path() / "in.txt"), "0 0\n0.001 1\n0.002 0\n0.003 -1\n0.004 0\n");
}

INSTANTIATE_TEST_SUITE_P(Results, OutputFault, testing::ValuesIn(faults),
                         [](const auto& info) { return std::string(info.param.label); });

// A directory opens for reading on Linux but yields no data; it must be
// refused like a missing file, not scanned as an empty record.
TEST(InputFault, DirectoryAsInputIsRefusedLikeAMissingFile) {
    e2e::TempDir work;
    fs::create_directory(work.path() / "records");

    const auto run = e2e::run_program(e2e::program_path(), work.path(),
                                      "records\n2\n1\n0.05\n6.4\n1\n10\n1\n");

    EXPECT_EQ(run.status, "1");
    EXPECT_TRUE(run.console.ends_with("\n Please enter the input filename. \n Failed to open file: records \n"))
        << run.console;
    EXPECT_EQ(e2e::read_file(work.path() / "srs.out"), "");
    const auto entries = e2e::list_directory(work.path());
    EXPECT_EQ(e2e::names_of(entries), "{records, srs.out}");
}

}  // namespace
