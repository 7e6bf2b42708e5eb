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

// Recorded file sets are flat; a missing folder stands for "no files".
e2e::Listing expected_files(const fs::path& folder) {
    return fs::is_directory(folder) ? e2e::list_directory(folder) : e2e::Listing{};
}

std::string names_of(const e2e::Listing& files) {
    std::string text;
    for (const auto& [name, bytes] : files)
        text += (text.empty() ? "" : ", ") + name;
    return "{" + text + "}";
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

class ReferenceRun : public testing::TestWithParam<std::string> {};

TEST_P(ReferenceRun, MatchesRecordedStatusConsoleAndFiles) {
    const fs::path folder = e2e::cases_path() / GetParam();
    e2e::TempDir work;
    if (fs::is_directory(folder / "input"))
        fs::copy(folder / "input", work.path(), fs::copy_options::recursive);

    const auto run = e2e::run_program(e2e::program_path(), work.path(),
                                      e2e::read_file(folder / "answers.txt"));

    EXPECT_EQ(run.status, trimmed(e2e::read_file(folder / "expected" / "exit_status")));

    const auto console = e2e::read_file(folder / "expected" / "stdout.txt");
    EXPECT_TRUE(run.console == console)
        << "console output: " << e2e::describe_difference(console, run.console);

    const auto want = expected_files(folder / "expected" / "files");
    const auto got = e2e::list_directory(work.path());
    ASSERT_EQ(names_of(got), names_of(want)) << "the working directory holds other files";
    for (const auto& [name, bytes] : want)
        EXPECT_TRUE(got.at(name) == bytes)
            << name << ": " << e2e::describe_difference(bytes, got.at(name));
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
