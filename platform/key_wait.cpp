#include "platform/key_wait.h"

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
