#include "platform/key_wait.h"

#ifdef _WIN32

#define WIN32_LEAN_AND_MEAN
#include <conio.h>
#include <windows.h>

#include <cstdio>

// The key comes from the console keyboard, not from standard input, which may
// be a pipe of answers. Keys typed ahead (the Enter after the last answer) are
// dropped first; then _getch takes one key, unechoed, without waiting for
// Enter. Without a console (a detached or redirected run) there is nothing to
// wait for.
void wait_for_key()
{
    std::fflush(stdout);
    HANDLE console = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return;
    DWORD mode;
    const bool keyboard = GetConsoleMode(console, &mode) != 0;
    if (keyboard) FlushConsoleInputBuffer(console);
    CloseHandle(console);
    if (keyboard) _getch();
}

#else

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

// Kept where the signal handler can reach them, so an interrupted wait still
// leaves the terminal as the user had it.
int terminal_fd = -1;
struct termios saved_mode;

const int restoring_signals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};

void restore_and_reraise(int sig)
{
    tcsetattr(terminal_fd, TCSAFLUSH, &saved_mode);
    signal(sig, SIG_DFL);
    raise(sig);
}

void set_handlers(void (*handler)(int), struct sigaction* old)
{
    for (size_t i = 0; i < sizeof restoring_signals / sizeof restoring_signals[0]; ++i) {
        struct sigaction sa{};
        sa.sa_handler = handler;
        sigemptyset(&sa.sa_mask);
        sigaction(restoring_signals[i], &sa, &old[i]);
    }
}

void restore_handlers(const struct sigaction* old)
{
    for (size_t i = 0; i < sizeof restoring_signals / sizeof restoring_signals[0]; ++i)
        sigaction(restoring_signals[i], &old[i], nullptr);
}

}  // namespace

void wait_for_key()
{
    std::fflush(stdout);
    int fd = open("/dev/tty", O_RDWR | O_NOCTTY);
    if (fd < 0) return;
    if (tcgetattr(fd, &saved_mode) != 0) {
        close(fd);
        return;
    }
    terminal_fd = fd;
    struct sigaction old[sizeof restoring_signals / sizeof restoring_signals[0]];
    set_handlers(restore_and_reraise, old);

    // One byte, unechoed, as soon as it is typed; ISIG stays on so Ctrl-C
    // still interrupts, through the handler above.
    struct termios raw = saved_mode;
    raw.c_lflag &= ~(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSAFLUSH, &raw);  // TCSAFLUSH also drops keys typed ahead

    char key;
    while (read(fd, &key, 1) < 0 && errno == EINTR) {
    }

    tcsetattr(fd, TCSAFLUSH, &saved_mode);
    restore_handlers(old);
    terminal_fd = -1;
    close(fd);
}

#endif  // _WIN32
