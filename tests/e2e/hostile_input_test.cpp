// The program on what engineers really feed it: binary junk, spreadsheets'
// CSV, header lines, truncated files, NUL bytes, numbers too long or too
// large for a double, and absurd answers. Each run must end with its decided
// message and status, or with the result its clean twin gives; and no file
// but the run's own outputs may change (the input and a bystander file are
// checked byte for byte).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;

const std::string bystander_name = "notes.txt";
const std::string bystander_bytes = "field notes\n";

const std::string banner =
    "\n\n  program:  tarvelin, ver 1.2,  June 2, 2006 \n"
    "\n  Shock response spectrum of an arbitrary acceleration "
    "\n  base input time history supplied by the user.\n\n"
    " This program also implements the fatigue calculation     \n"
    " Use of Vibration Response Spectrum (VRS) and Fatigue     \n"
    " Equivalence Methods for Qualification Status Comparisons, 2004 \n\n"
    "\n Input must be time(sec) and accel(G) "
    "\n Format is free, but no header lines allowed.\n"
    "\n Please enter the input filename. \n";

const std::string interpolation_prompt =
    "\n\n Interpolation can be used to meet uniform time step requirement. \n"
    "\n Perform linear interpolation on time history? "
    "\n 1=yes  2=no \n";

const std::string dt_error = "\n dt error\n Press any key to exit \n";
const std::string time_error = "\n Time error.  Time values must ascend.";

// Answers after the file name for a complete run: no resampling, damping
// ratio 0.05, b = 4, Kelly-Richman, 10 Hz, 1/12 octave.
const std::string run_answers = " 2 1 0.05 4 1 10 1\n";

// Console up to the scan, for an input that opened.
std::string console_to_scan(const std::string& name)
{
    return banner + " File: " + name + " opened. \n" + interpolation_prompt;
}

struct Outcome {
    e2e::RunResult run;
    e2e::Listing files;  // the working directory afterwards
};

// Runs the program in a fresh directory that holds the given files and a
// bystander, then checks that the bystander and every given file are
// exactly as they were.
Outcome run_on(const e2e::Listing& files, const std::string& answers)
{
    e2e::TempDir work;
    for (const auto& [name, bytes] : files) {
        fs::create_directories((work.path() / name).parent_path());
        e2e::write_file(work.path() / name, bytes);
    }
    e2e::write_file(work.path() / bystander_name, bystander_bytes);
    Outcome outcome{e2e::run_program(e2e::program_path(), work.path(), answers), {}};
    outcome.files = e2e::list_directory(work.path());
    EXPECT_EQ(outcome.files[bystander_name], bystander_bytes);
    for (const auto& [name, bytes] : files)
        EXPECT_TRUE(e2e::read_file(work.path() / name) == bytes) << name << " was changed by the run";
    outcome.files.erase(bystander_name);
    for (const auto& [name, bytes] : files) outcome.files.erase(fs::path(name).begin()->string());
    return outcome;
}

void expect_console(const std::string& expected, const std::string& actual)
{
    EXPECT_TRUE(actual == expected) << e2e::describe_difference(expected, actual);
}

// A run that ends at a fatal check leaves srs.out, empty, and nothing else.
void expect_fatal_end(const Outcome& outcome, const std::string& console)
{
    EXPECT_EQ(outcome.run.status, "1");
    expect_console(console, outcome.run.console);
    EXPECT_EQ(outcome.files, (e2e::Listing{{"srs.out", ""}}));
}

// Text with a NUL byte between the two parts.
std::string with_nul(const std::string& before, const std::string& after)
{
    return before + std::string(1, '\0') + after;
}

std::string digits(std::size_t count, char digit = '0')
{
    return std::string(count, digit);
}

struct EndingCase {
    const char* label;
    std::string record;
    std::string console_end;
};

TEST(HostileRecord, EndsWithTheScansMessage)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 151 + 7) % 256);
    junk[0] = '\x9c';  // a byte no number starts with
    const std::vector<EndingCase> cases = {
        {"binary junk", junk, dt_error},
        {"NUL before any number", with_nul("", "0 1\n0.001 2\n"), dt_error},
        {"header line", "time accel\n0 1\n0.001 2\n0.002 3\n", dt_error},
        {"CSV: one time, then the comma ends the data", "0,1\n0.001,2", dt_error},
        {"last line cut inside its time", "0 1\n0.001 2\n0.002 3\n0.00", time_error},
        {"first time overflows", "1e999 1\n0.001 2\n", dt_error},
        {"time of 400 digits overflows", digits(400, '9') + " 1\n0.001 2\n", dt_error},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        expect_fatal_end(run_on({{"in.txt", c.record}}, "in.txt" + run_answers),
                         console_to_scan("in.txt") + c.console_end);
    }
}

struct TwinCase {
    const char* label;
    std::string hostile;
    std::string clean;  // the samples the reader must take from it
};

// Whatever the reader stops at or rounds away, the run must give exactly
// what the clean record of the same samples gives.
TEST(HostileRecord, RunsLikeItsCleanTwin)
{
    const std::string pairs = "0 1\n0.001 2\n0.002 3\n";
    const std::vector<TwinCase> cases = {
        {"NUL byte after a time", pairs + with_nul("0.003", " 4\n0.004 5\n"), pairs + "0.003 3\n"},
        {"last pair cut after its time", pairs + "0.003", pairs + "0.003 3\n"},
        {"overflowing time ends the data", pairs + "1e999 4\n0.004 5\n", pairs},
        {"overflowing acceleration ends the data", "0 1\n0.001 2\n0.002 -1e999\n0.003 4\n",
         "0 1\n0.001 2\n0.002 2\n"},
        {"underflow reads as zero", "0 1e-999\n0.001 2\n0.002 -1e-400\n0.003 4\n",
         "0 0\n0.001 2\n0.002 -0\n0.003 4\n"},
        {"numbers of 400 digits",
         "0." + digits(399) + " 1" + digits(399) + "e-399\n" +
             "0.001" + digits(396) + " -2" + digits(399) + "e-399\n" +
             "0.002" + digits(396) + " 3." + digits(397) + "1\n" +
             "0.003" + digits(396) + " " + digits(399) + "0\n",
         "0 1\n0.001 -2\n0.002 3\n0.003 0\n"},
        {"a number longer than the reader's buffer", "0." + digits(3 << 20) + " 1\n0.001 2\n0.002 3\n", pairs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto hostile = run_on({{"in.txt", c.hostile}}, "in.txt" + run_answers);
        const auto clean = run_on({{"in.txt", c.clean}}, "in.txt" + run_answers);
        ASSERT_EQ(clean.run.status, "0");
        EXPECT_EQ(hostile.run.status, "0");
        expect_console(clean.run.console, hostile.run.console);
        EXPECT_TRUE(hostile.files == clean.files) << "the result files differ from the clean run's";
    }
}

const std::string four_pairs = "0 1\n0.001 2\n0.002 3\n0.003 4\n";

TEST(HostileAnswer, InputNamesTheSystemRefuse)
{
    for (std::size_t length : {5000u, 100000u}) {
        SCOPED_TRACE(length);
        const std::string name(length, 'n');
        expect_fatal_end(run_on({}, name + run_answers), banner + " Failed to open file: " + name + " \n");
    }
}

TEST(HostileAnswer, LongInputPathIsAccepted)
{
    // Past 259 characters, as long as the system takes it.
    const std::string name = std::string(200, 'd') + "/" + std::string(200, 'f');
    const auto outcome = run_on({{name, four_pairs}}, name + run_answers);
    EXPECT_EQ(outcome.run.status, "0");
    EXPECT_EQ(outcome.run.console.rfind(console_to_scan(name), 0), 0u);
    EXPECT_EQ(outcome.files.size(), 4u);  // srs.out, srs.txt, srs2.txt, the fatigue file
}

TEST(HostileAnswer, ResampledNameTooLongIsAFileError)
{
    const std::string name(5000, 'r');
    expect_fatal_end(run_on({{"in.txt", four_pairs}}, "in.txt 1 " + name + " 1000\n"),
                     console_to_scan("in.txt") + "\n Enter output time history filename for interpolation. \n" +
                         "\n File error \n");
}

// A name is what the system sees: the bytes before a NUL. Typed as
// "srs.txt<NUL>x", the resampled file would be srs.txt, which the result
// files replace, so it is refused like srs.txt itself.
TEST(HostileAnswer, NameWithNulIsTheNameBeforeIt)
{
    const std::string answers = with_nul("in.txt 1 srs.txt", "x 1000") + run_answers;
    expect_fatal_end(run_on({{"in.txt", four_pairs}}, answers),
                     console_to_scan("in.txt") + "\n Enter output time history filename for interpolation. \n" +
                         "\n Error:  output file srs.txt is the input file \n");
}

TEST(HostileAnswer, HundredThousandCharacterNumbers)
{
    const auto clean = run_on({{"in.txt", four_pairs}}, "in.txt" + run_answers);
    ASSERT_EQ(clean.run.status, "0");

    // Valid, however long: leading zeros of an integer, trailing zeros of a real.
    const std::string long_two = digits(100000) + "2";
    const std::string long_damping = "0.05" + digits(100000);
    const auto padded = run_on({{"in.txt", four_pairs}}, "in.txt " + long_two + " 1 " + long_damping + " 4 1 10 1\n");
    EXPECT_EQ(padded.run.status, "0");
    expect_console(clean.run.console, padded.run.console);
    EXPECT_TRUE(padded.files == clean.files);

    // Invalid: an integer too large for its field is refused by name and the
    // question asked again.
    const std::string huge = digits(100000, '9');
    const auto refused = run_on({{"in.txt", four_pairs}}, "in.txt " + huge + run_answers);
    std::string expected = clean.run.console;
    const std::string asked = console_to_scan("in.txt");
    expected.insert(asked.size(), "\n Not a valid number: " + huge + " \n" + interpolation_prompt);
    EXPECT_EQ(refused.run.status, "0");
    expect_console(expected, refused.run.console);
    EXPECT_TRUE(refused.files == clean.files);
}

}  // namespace
