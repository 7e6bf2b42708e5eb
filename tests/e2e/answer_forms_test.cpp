// Answers that differ in form but not in meaning must give the recorded run
// unchanged, and a grid that fills the bank must warn and still complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;

struct EquivalentAnswers {
    const char* label;
    const char* recorded_case;
    const char* answers;
};

// Integers take a leading + and zeros; every algorithm answer but 1 is
// Smallwood; several answers may share one line.
const EquivalentAnswers equivalent_answers[] = {
    {"signs_and_zeros_kelly_richman", "run_kr_octave", "in.txt\n+002\n0001\n0.05\n6.4\n+01\n10\n+0001\n"},
    {"algorithm_0_is_smallwood", "run_sw_bandwidth4p5", "in.txt\n2\n1\n0.03\n6.4\n0\n3.3\n+0002\n4.5\n"},
    {"algorithm_3_is_smallwood", "run_sw_bandwidth4p5", "in.txt\n2\n1\n0.03\n6.4\n3\n3.3\n2\n4.5\n"},
    {"algorithm_negative_is_smallwood", "run_sw_bandwidth4p5", "in.txt 2 1 0.03 6.4 -1 3.3 2 4.5"},
};

class AnswerForms : public testing::TestWithParam<EquivalentAnswers> {};

TEST_P(AnswerForms, GiveTheRecordedRun) {
    e2e::expect_recorded_run(e2e::cases_path() / GetParam().recorded_case, GetParam().answers);
}

INSTANTIATE_TEST_SUITE_P(Dialogue, AnswerForms, testing::ValuesIn(equivalent_answers),
                         [](const auto& info) { return std::string(info.param.label); });

std::size_t count_of(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

// 1 Hz plus 19999 steps of 0.01 Hz stays below sr/8 = 1250 Hz, so the grid
// stops at the bank's capacity. The result files are about a megabyte each,
// so the test counts rows instead of keeping them as a recorded run.
TEST(FrequencyGrid, FullGridWarnsAndFillsEveryFileWithTheCapacity) {
    e2e::TempDir work;
    e2e::write_file(work.path() / "in.txt", "0 0\n0.0001 1\n0.0002 0\n");
    const auto run = e2e::run_program(e2e::program_path(), work.path(),
                                      "in.txt\n2\n1\n0.05\n6.4\n1\n1\n2\n0.01\n");
    ASSERT_EQ(run.status, "0");

    // The last frequency is a running sum, 200.98999999996218 Hz, printed by %g.
    const std::string warning =
        "\n\n Enter bandwidth (Hz) \n"
        "\n Warning:  the frequency grid is full at 20000 frequencies, up to 200.99 Hz \n"
        "\n Calculating primary response..... \n\n";
    EXPECT_NE(run.console.find(warning), std::string::npos) << run.console;
    EXPECT_NE(run.console.find("\n Press any key to exit.\n"), std::string::npos);

    const std::size_t rows = 20000;
    const auto srs_txt = e2e::read_file(work.path() / "srs.txt");
    EXPECT_EQ(count_of(srs_txt, '\n'), rows);
    EXPECT_EQ(count_of(e2e::read_file(work.path() / "srs2.txt"), '\n'), rows);
    EXPECT_EQ(count_of(e2e::read_file(work.path() / "time_history_fatigue_Q10_b6p4.txt"), '\n'), rows);
    // The report's table rows are its tab-separated lines, four tabs each.
    EXPECT_EQ(count_of(e2e::read_file(work.path() / "srs.out"), '\t'), 4 * rows);
    EXPECT_EQ(srs_txt.substr(0, 19), "\n    1.0000e+000 \t ");
    EXPECT_EQ(srs_txt.substr(srs_txt.rfind('\n'), 19), "\n    2.0099e+002 \t ");
}

}  // namespace
