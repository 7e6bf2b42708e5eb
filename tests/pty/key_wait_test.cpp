// The wait for a key at the end of a run, driven for real: the program runs
// with a pseudo-terminal as its controlling terminal and its answers arrive
// through a pipe on standard input, as when a user pipes an answers file
// into it at a console.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Generous bounds for things that must happen; a slow machine only waits
// longer, it never fails.
constexpr auto patience = std::chrono::seconds(10);
// How long a waiting program is watched to see that it keeps waiting. A
// program that wrongly ends would do so at once; a slow machine only makes
// the check less sharp, never wrong.
constexpr auto grace = std::chrono::milliseconds(400);

// A small valid record: 1 kHz sampling, a 10 G half-sine of 20 ms.
const char* const record =
    "0 0\n0.001 1.564\n0.002 3.090\n0.003 4.540\n0.004 5.878\n0.005 7.071\n"
    "0.006 8.090\n0.007 8.910\n0.008 9.511\n0.009 9.877\n0.010 10\n"
    "0.011 9.877\n0.012 9.511\n0.013 8.910\n0.014 8.090\n0.015 7.071\n"
    "0.016 5.878\n0.017 4.540\n0.018 3.090\n0.019 1.564\n0.020 0\n"
    "0.021 0\n0.022 0\n0.023 0\n0.024 0\n0.025 0\n";

// Every answer up to the spacing question, then the spacing answer.
const std::string answers_before_spacing = "record.txt\n2\n1\n0.05\n4\n1\n10\n";
const std::string spacing_answer = "1\n";
const std::string full_answers = answers_before_spacing + spacing_answer;

const std::string spacing_prompt = "\n 1= 1/12 octave   2= constant bandwidth \n";
const std::string final_prompt = "\n Press any key to exit.\n";
const std::string fatal_prompt = "\n Press any key to exit \n";

struct Session {
    pid_t pid = -1;
    int master = -1;      // our side of the terminal
    int slave = -1;       // held open so its mode can be read after the exit
    int answers = -1;     // write end of the program's standard input
    std::string console;  // everything the terminal showed, CR LF read as LF
    bool ended = false;
    int status = 0;
};

void close_fd(int& fd)
{
    if (fd >= 0) close(fd);
    fd = -1;
}

void start(Session& run, const fs::path& dir)
{
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    run.pid = forkpty(&run.master, nullptr, nullptr, nullptr);
    ASSERT_GE(run.pid, 0) << "forkpty failed";
    if (run.pid == 0) {
        // The terminal stays the controlling terminal; only standard input
        // is the pipe.
        dup2(pipe_fds[0], STDIN_FILENO);
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        if (chdir(dir.c_str()) != 0) _exit(126);
        execl(TARVELIN_BINARY, TARVELIN_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipe_fds[0]);
    run.answers = pipe_fds[1];
    run.slave = open(ptsname(run.master), O_RDWR | O_NOCTTY);
    ASSERT_GE(run.slave, 0);
}

void give_answers(Session& run, const std::string& text)
{
    ASSERT_EQ(write(run.answers, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

void type_keys(Session& run, const std::string& keys)
{
    ASSERT_EQ(write(run.master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
}

// Reads what the terminal has to show, waiting at most timeout_ms for the
// first byte. Returns false once the terminal has nothing more to give.
bool read_console(Session& run, int timeout_ms)
{
    struct pollfd p{run.master, POLLIN, 0};
    if (poll(&p, 1, timeout_ms) <= 0) return true;
    char buf[4096];
    ssize_t n = read(run.master, buf, sizeof buf);
    if (n <= 0) return false;
    for (ssize_t i = 0; i < n; ++i)
        if (buf[i] != '\r') run.console += buf[i];
    return true;
}

bool check_ended(Session& run)
{
    if (!run.ended && waitpid(run.pid, &run.status, WNOHANG) == run.pid) run.ended = true;
    return run.ended;
}

// Waits until the console shows `text` after position `from`.
bool wait_for_text(Session& run, const std::string& text, size_t from = 0)
{
    const auto deadline = Clock::now() + patience;
    while (run.console.find(text, from) == std::string::npos) {
        if (Clock::now() > deadline || check_ended(run)) return false;
        read_console(run, 20);
    }
    return true;
}

bool line_editing(const Session& run)
{
    struct termios mode;
    if (tcgetattr(run.slave, &mode) != 0) return false;
    return (mode.c_lflag & ICANON) && (mode.c_lflag & ECHO);
}

// The wait has begun once the terminal has left line editing.
bool wait_for_raw_mode(Session& run)
{
    const auto deadline = Clock::now() + patience;
    while (line_editing(run)) {
        if (Clock::now() > deadline || check_ended(run)) return false;
        read_console(run, 10);
    }
    return true;
}

bool keeps_running(Session& run)
{
    const auto until = Clock::now() + grace;
    while (Clock::now() < until) {
        if (check_ended(run)) return false;
        read_console(run, 20);
    }
    return !check_ended(run);
}

// Waits for the program to end, then collects the last of its output: once
// our slave descriptor is closed too, the terminal reports its end only
// after everything written to it has been read.
bool wait_for_end(Session& run)
{
    const auto deadline = Clock::now() + patience;
    while (!check_ended(run)) {
        if (Clock::now() > deadline) return false;
        read_console(run, 20);
    }
    return true;
}

void drain_console(Session& run)
{
    close_fd(run.slave);
    while (read_console(run, 1000)) {
    }
}

class KeyWait : public ::testing::Test {
protected:
    void SetUp() override
    {
        signal(SIGPIPE, SIG_IGN);  // a program that ends early must fail a check, not kill us
        std::string name = (fs::temp_directory_path() / "tarvelin_pty_XXXXXX").string();
        ASSERT_NE(mkdtemp(name.data()), nullptr);
        dir = name;
        std::ofstream(dir / "record.txt") << record;
        std::ofstream(dir / "empty.txt");
    }

    void TearDown() override
    {
        if (run.pid > 0 && !check_ended(run)) {
            kill(run.pid, SIGKILL);
            waitpid(run.pid, nullptr, 0);
        }
        close_fd(run.answers);
        close_fd(run.slave);
        close_fd(run.master);
        fs::remove_all(dir);
    }

    // Brings the run to the final list and checks that it sits in the wait.
    void reach_wait(const std::string& prompt)
    {
        ASSERT_TRUE(wait_for_text(run, prompt)) << "console so far:\n" << run.console;
        ASSERT_TRUE(wait_for_raw_mode(run)) << "the program never began its wait";
        EXPECT_TRUE(keeps_running(run)) << "the wait ended without a key";
        after_prompt = run.console.find(prompt) + prompt.size();
    }

    void expect_line_editing_back()
    {
        EXPECT_TRUE(line_editing(run)) << "terminal left without ICANON or ECHO";
    }

    fs::path dir;
    Session run;
    size_t after_prompt = 0;
};

struct WaitCase {
    const char* name;
    std::string answers;  // the whole of standard input
    std::string prompt;   // the last text before the wait
    int status;           // exit status after the key
};

void PrintTo(const WaitCase& c, std::ostream* os) { *os << c.name; }

class KeyWaitEnd : public KeyWait, public ::testing::WithParamInterface<WaitCase> {};

// The wait takes one key from the terminal, without Enter and without echo,
// whatever is left in standard input, and gives the terminal back as it was.
TEST_P(KeyWaitEnd, OneKeyWithoutEnterEndsTheWait)
{
    const WaitCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(start(run, dir));
    ASSERT_TRUE(line_editing(run)) << "the test terminal should start in line editing";
    give_answers(run, c.answers);
    close_fd(run.answers);

    ASSERT_NO_FATAL_FAILURE(reach_wait(c.prompt));
    type_keys(run, "z");
    ASSERT_TRUE(wait_for_end(run)) << "one key did not end the wait";
    ASSERT_TRUE(WIFEXITED(run.status)) << "status " << run.status;
    EXPECT_EQ(WEXITSTATUS(run.status), c.status);
    expect_line_editing_back();
    drain_console(run);
    EXPECT_EQ(run.console.find('z', after_prompt), std::string::npos)
        << "the key was echoed: " << run.console.substr(after_prompt);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, KeyWaitEnd,
    ::testing::Values(
        // Blank lines and a word after the last answer stay in the pipe.
        WaitCase{"complete_run_with_text_left_in_stdin", full_answers + "\n\nxyz\n", final_prompt, 0},
        WaitCase{"complete_run_at_end_of_stdin", full_answers, final_prompt, 0},
        // An empty record ends at the dt error, which waits too.
        WaitCase{"dt_error", "empty.txt\n2\nmore\n", fatal_prompt, 1}),
    [](const ::testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });

// Keys typed at the terminal while the dialogue still reads answers are not
// the key that ends the wait.
TEST_F(KeyWait, KeysTypedBeforeTheWaitDoNotCount)
{
    ASSERT_NO_FATAL_FAILURE(start(run, dir));
    give_answers(run, answers_before_spacing);
    ASSERT_TRUE(wait_for_text(run, spacing_prompt)) << "console so far:\n" << run.console;
    // The terminal still edits lines, so it echoes what is typed; the echo
    // shows the keys have reached the terminal's input queue.
    const size_t typed_at = run.console.size();
    type_keys(run, "ahead");
    ASSERT_TRUE(wait_for_text(run, "ahead", typed_at));
    give_answers(run, spacing_answer);
    close_fd(run.answers);

    ASSERT_NO_FATAL_FAILURE(reach_wait(final_prompt));
    type_keys(run, "z");
    ASSERT_TRUE(wait_for_end(run));
    ASSERT_TRUE(WIFEXITED(run.status));
    EXPECT_EQ(WEXITSTATUS(run.status), 0);
    expect_line_editing_back();
}

// Ctrl-C during the wait interrupts the program as usual, and the terminal
// still gets its line editing back.
TEST_F(KeyWait, CtrlCEndsTheProgramAndRestoresTheTerminal)
{
    ASSERT_NO_FATAL_FAILURE(start(run, dir));
    give_answers(run, full_answers);
    close_fd(run.answers);

    ASSERT_NO_FATAL_FAILURE(reach_wait(final_prompt));
    type_keys(run, "\x03");
    ASSERT_TRUE(wait_for_end(run)) << "Ctrl-C did not end the program";
    ASSERT_TRUE(WIFSIGNALED(run.status)) << "status " << run.status;
    EXPECT_EQ(WTERMSIG(run.status), SIGINT);
    expect_line_editing_back();
}

}  // namespace
