#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "input/scan_time_history.h"
#include "test_files.h"

namespace {

const char* const dt_error = "\n dt error";
const char* const time_error = "\n Time error.  Time values must ascend.";

std::string step_error_text(const char* dtmax, const char* dtmin)
{
    return std::string("\n Time Step Error:   \n dtmax = ") + dtmax + "   dtmin = " + dtmin +
           " \n\n The time step must be constant. \n";
}

struct Scan {
    ScanResult result;
    std::string printed;
    RunSettings settings;
};

// Scans the text and leaves the reader open for the caller to read on.
Scan scan_text(const std::string& text, SampleReader& reader)
{
    attach_reader(reader, stream_with(text));
    Scan s;
    testing::internal::CaptureStdout();
    s.result = scan_time_history(reader, s.settings);
    std::fflush(stdout);
    s.printed = testing::internal::GetCapturedStdout();
    return s;
}

struct FailCase {
    const char* name;
    std::string text;
    ScanResult result;
    std::string printed;
};

TEST(ScanTimeHistory, FailedChecksAndTheirTexts)
{
    const FailCase cases[] = {
        {"empty", "", ScanResult::count_error, dt_error},
        {"header line", "time accel\n0 1\n0.1 2\n", ScanResult::count_error, dt_error},
        {"single sample", "0 1\n", ScanResult::count_error, dt_error},
        {"single lone time", "7", ScanResult::count_error, dt_error},
        {"all times equal", "3 0\n3 1\n3 2\n", ScanResult::count_error, dt_error},
        {"steps 20 and 18.5", "0 0\n20 0\n38.5 0\n", ScanResult::step_error, step_error_text("      20", "    18.5")},
        {"one repeated time", "0 0\n1 0\n1 0\n2 0\n", ScanResult::step_error, step_error_text("       1", "       0")},
        {"uneven steps", "0 0\n0.001 0\n0.0021 0\n", ScanResult::step_error,
         step_error_text("  0.0011", "   0.001")},
        {"descending", "0 0\n1 0\n0.5 0\n", ScanResult::time_error, time_error},
    };
    for (const FailCase& c : cases) {
        SampleReader reader;
        Scan s = scan_text(c.text, reader);
        EXPECT_EQ(s.result, c.result) << c.name;
        EXPECT_EQ(s.printed, c.printed) << c.name;
        close_reader(reader);
    }
}

struct PassCase {
    const char* name;
    std::string text;
    double t_start;
    double t_end;
    unsigned samples;
    double dt;
    double sr;
};

TEST(ScanTimeHistory, AcceptedRecordsAndTheirTiming)
{
    const PassCase cases[] = {
        {"two samples", "0 1\n0.001 2\n", 0, 0.001, 2, 0.001, 1000},
        {"steps 20 and 19 sit on the 5 % bound", "0 0\n20 0\n39 0\n", 0, 39, 3, 19.5, 1 / 19.5},
        {"lone trailing time counts", "0 1 0.1 2 0.2", 0, 0.2, 3, 0.1, 10},
        {"a word ends the data", "0 1\n0.1 2\nend\n0.2 3\n", 0, 0.1, 2, 0.1, 10},
        {"CR LF line ends", "0 1\r\n0.1 2\r\n0.2 3\r\n", 0, 0.2, 3, 0.1, 10},
        {"start away from zero", "5 0 5.5 0 6 0 6.5 0", 5, 6.5, 4, 0.5, 2},
        // The mean step, not any one step: (0.3 - 0) / 3 rounds differently
        // from the single step 0.1.
        {"mean step", "0 0 0.1 0 0.2 0 0.3 0", 0, 0.3, 4, 0.3 / 3, 1 / (0.3 / 3)},
    };
    for (const PassCase& c : cases) {
        SampleReader reader;
        Scan s = scan_text(c.text, reader);
        ASSERT_EQ(s.result, ScanResult::ok) << c.name << ": " << s.printed;
        EXPECT_EQ(s.printed, "") << c.name;
        EXPECT_EQ(s.settings.t_start, c.t_start) << c.name;
        EXPECT_EQ(s.settings.t_end, c.t_end) << c.name;
        EXPECT_EQ(s.settings.total_samples, c.samples) << c.name;
        EXPECT_EQ(s.settings.dt, c.dt) << c.name;
        EXPECT_EQ(s.settings.sr, c.sr) << c.name;
        close_reader(reader);
    }
}

TEST(ScanTimeHistory, StreamIsRewoundWhateverTheOutcome)
{
    for (const char* text : {"0 1.5\n0.1 2\n0.2 3\n", "0 1.5\n", "0 1.5\n20 0\n38.5 0\n"}) {
        SampleReader reader;
        scan_text(text, reader);
        double t = -1, a = -1;
        EXPECT_EQ(read_sample(reader, t, a), sample_complete) << text;
        EXPECT_EQ(t, 0) << text;
        EXPECT_EQ(a, 1.5) << text;
        close_reader(reader);
    }
}

TEST(ScanTimeHistory, DescendingTimeStopsAtOnce)
{
    // Whatever follows the descending time is left unread.
    SampleReader reader;
    Scan s = scan_text("0 0\n1 0\n0.5 0\n7 8\n7 9\n", reader);
    EXPECT_EQ(s.result, ScanResult::time_error);
    double t = -1, a = -1;
    EXPECT_EQ(read_sample(reader, t, a), sample_complete);
    EXPECT_EQ(t, 7);
    EXPECT_EQ(a, 8);
    close_reader(reader);
}

}  // namespace
