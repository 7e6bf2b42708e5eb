// Replays every recorded run under cases/: the program must give the same exit
// status, the same console bytes and exactly the same files, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> case_names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(e2e::cases_path()))
        if (entry.is_directory() && fs::exists(entry.path() / "answers.txt"))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ReferenceRun : public testing::TestWithParam<std::string> {};

TEST_P(ReferenceRun, MatchesRecordedStatusConsoleAndFiles) {
    const fs::path folder = e2e::cases_path() / GetParam();
    e2e::expect_recorded_run(folder, e2e::read_file(folder / "answers.txt"));
}

std::string test_name(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (auto& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ReferenceRun, testing::ValuesIn(case_names()), test_name);

}  // namespace
