// The resampler holds at most 4,000,000 points; the rest of a longer record is
// ignored without a message. The record is generated here, since at some
// 40 MB it has no place among the recorded runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;

// Times 0, 1, 2, ... s; at 1e-6 samples/s one output point falls every
// 1,000,000 s. The 4,000,000th point is at 3,999,999 s, so the capped record
// gives nt = 3 and points up to 3,000,000 s; the two points past the cap would
// add the one at 4,000,000 s.
TEST(ResamplingCapacity, PointsPastTheCapAreIgnored) {
    e2e::TempDir work;
    {
        FILE* record = std::fopen((work.path() / "in.txt").c_str(), "w");
        ASSERT_NE(record, nullptr);
        for (long i = 0; i < 4000002; ++i)
            std::fprintf(record, "%ld 0\n", i);
        std::fclose(record);
    }
    const auto run = e2e::run_program(e2e::program_path(), work.path(),
                                      "in.txt\n1\nr.txt\n1e-6\n1\n0.05\n");

    EXPECT_EQ(run.status, "1");  // the answers end at the fatigue exponent
    const std::string diagnostics =
        "\n t[3999999]=       4e+006   t[0]=            0\n"
        "\n last= 3999999   "
        "\n   nt= 3 \n"
        "\n   dt=       1e+006 \n";
    EXPECT_NE(run.console.find(diagnostics), std::string::npos) << run.console;
    EXPECT_NE(run.console.find("\n  dt=1e+006 sec   sr=1e-006  samples/sec"), std::string::npos);
    EXPECT_EQ(e2e::read_file(work.path() / "r.txt"),
              "\n 0.0000000e+000 0.0000000e+000"
              "\n 1.0000000e+006 0.0000000e+000"
              "\n 2.0000000e+006 0.0000000e+000"
              "\n 3.0000000e+006 0.0000000e+000");
}

}  // namespace
