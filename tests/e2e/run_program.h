// Runs the built program the way a user's pipeline would: answers on standard
// input, console captured, in a fresh working directory and a new session, so
// that no controlling terminal exists and the final key wait is skipped.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <system_error>

namespace e2e {

namespace fs = std::filesystem;

struct RunResult {
    // "0", "1", ... for an ordinary exit; "signal N" or "timed out" otherwise,
    // so a crash or a hang never looks like a matching status.
    std::string status;
    std::string console;
};

// A directory under the system's temporary area, removed with everything in
// it when the object goes away.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "tarvelin_e2e_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        // A test may leave a read-only directory behind; open it up first.
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Every entry of a working directory after a run, by name: a regular file's
// bytes, or a marker for anything else (a directory, a link, a device).
using Listing = std::map<std::string, std::string>;

inline Listing list_directory(const fs::path& dir) {
    Listing entries;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const auto name = entry.path().filename().string();
        if (entry.is_symlink())
            entries[name] = "<symbolic link>";
        else if (entry.is_regular_file())
            entries[name] = read_file(entry.path());
        else
            entries[name] = "<not a regular file>";
    }
    return entries;
}

// Where two byte strings first part, with the line number and a little of
// each side, so a failure shows what went wrong without a separate diff.
inline std::string describe_difference(const std::string& expected, const std::string& actual) {
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    const auto line = 1 + std::count(expected.begin(), expected.begin() + at, '\n');
    const auto line_start = expected.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = line_start == std::string::npos || at == 0 ? 0 : line_start + 1;
    std::ostringstream text;
    text << "first difference at byte " << at << " (line " << line << "; expected "
         << expected.size() << " bytes, got " << actual.size() << ")\n"
         << "  expected: \"" << expected.substr(from, at - from + 60) << "\"\n"
         << "  actual:   \"" << actual.substr(from, at - from + 60) << "\"";
    return text.str();
}

namespace detail {

[[noreturn]] inline void exec_child(const std::string& binary, const fs::path& dir, int stdin_fd,
                                    int stdout_fd) {
    // A new session detaches the program from any terminal the test runner has.
    if (setsid() < 0 || chdir(dir.c_str()) != 0 || dup2(stdin_fd, STDIN_FILENO) < 0 ||
        dup2(stdout_fd, STDOUT_FILENO) < 0)
        _exit(127);
    close(stdin_fd);
    close(stdout_fd);
    execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

inline std::string status_text(int wait_status) {
    if (WIFEXITED(wait_status))
        return std::to_string(WEXITSTATUS(wait_status));
    if (WIFSIGNALED(wait_status))
        return "signal " + std::to_string(WTERMSIG(wait_status));
    return "unknown status " + std::to_string(wait_status);
}

}  // namespace detail

// Runs `binary` in `dir` with `answers` as its whole standard input. The
// answers go through an unnamed temporary file, so a program that stops
// reading early cannot block the test and nothing extra appears in `dir`.
inline RunResult run_program(const std::string& binary, const fs::path& dir,
                             const std::string& answers,
                             std::chrono::seconds limit = std::chrono::seconds(60)) {
    FILE* answer_file = std::tmpfile();
    if (answer_file == nullptr)
        return {"tmpfile failed", ""};
    std::fwrite(answers.data(), 1, answers.size(), answer_file);
    std::fflush(answer_file);
    std::rewind(answer_file);

    int out_pipe[2];
    if (pipe2(out_pipe, O_CLOEXEC) != 0) {
        std::fclose(answer_file);
        return {"pipe failed", ""};
    }
    const pid_t pid = fork();
    if (pid == 0)
        detail::exec_child(binary, dir, fileno(answer_file), out_pipe[1]);
    close(out_pipe[1]);
    std::fclose(answer_file);
    if (pid < 0) {
        close(out_pipe[0]);
        return {"fork failed", ""};
    }

    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto remaining_ms = [&] {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<long long>(0, left.count()));
    };

    RunResult result;
    bool timed_out = false;
    char buffer[65536];
    for (;;) {
        pollfd watch{out_pipe[0], POLLIN, 0};
        const int ready = poll(&watch, 1, remaining_ms());
        if (ready == 0) {
            timed_out = true;
            break;
        }
        if (ready < 0)
            continue;
        const ssize_t got = read(out_pipe[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        result.console.append(buffer, static_cast<std::size_t>(got));
    }
    close(out_pipe[0]);

    int wait_status = 0;
    while (!timed_out) {
        const pid_t done = waitpid(pid, &wait_status, WNOHANG);
        if (done == pid)
            break;
        if (remaining_ms() == 0)
            timed_out = true;
        else
            usleep(2000);
    }
    if (timed_out) {
        // The child leads its own process group; take down anything it started.
        kill(-pid, SIGKILL);
        waitpid(pid, &wait_status, 0);
        result.status = "timed out";
    } else {
        result.status = detail::status_text(wait_status);
    }
    return result;
}

// The program the build produced, and the folder of recorded runs.
inline std::string program_path() { return TARVELIN_BINARY; }
inline fs::path cases_path() { return TARVELIN_CASES; }

// Comparison of one run with a recorded case folder (input/, expected/); kept
// here so that a test can replay a recorded run with answers of its own.
inline std::string names_of(const Listing& files) {
    std::string text;
    for (const auto& [name, bytes] : files)
        text += (text.empty() ? "" : ", ") + name;
    return "{" + text + "}";
}

inline std::string without_trailing_space(std::string text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

// Runs the program on the folder's input with `answers` and expects the
// recorded status, console and files, byte for byte. A folder without
// expected/files stands for a run that leaves no file behind.
inline void expect_recorded_run(const fs::path& folder, const std::string& answers) {
    SCOPED_TRACE("recorded run " + folder.filename().string());
    TempDir work;
    if (fs::is_directory(folder / "input"))
        fs::copy(folder / "input", work.path(), fs::copy_options::recursive);

    const auto run = run_program(program_path(), work.path(), answers);

    EXPECT_EQ(run.status, without_trailing_space(read_file(folder / "expected" / "exit_status")));
    const auto console = read_file(folder / "expected" / "stdout.txt");
    EXPECT_TRUE(run.console == console)
        << "console output: " << describe_difference(console, run.console);

    const fs::path files = folder / "expected" / "files";
    const auto want = fs::is_directory(files) ? list_directory(files) : Listing{};
    const auto got = list_directory(work.path());
    ASSERT_EQ(names_of(got), names_of(want)) << "the working directory holds other files";
    for (const auto& [name, bytes] : want)
        EXPECT_TRUE(got.at(name) == bytes)
            << name << ": " << describe_difference(bytes, got.at(name));
}

}  // namespace e2e
