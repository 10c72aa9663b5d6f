// Runs a console program inside a terminal window and keeps the window open until a key is
// pressed, so that what the program printed can still be read after it ends.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

void waitForKey()
{
    std::fputs("\n続行するには何かキーを押してください . . . ", stdout);
    std::fflush(stdout);
    termios saved{};
    const bool tty = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (tty) {
        termios raw = saved;
        raw.c_lflag &= ~(ICANON | ECHO);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    char c = 0;
    while (read(STDIN_FILENO, &c, 1) < 0 && errno == EINTR) {
    }
    if (tty)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::fputs("\n", stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fputs("usage: quillet-hold program [argument...]\n", stderr);
        return 2;
    }
    int code = 127;
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }
    if (pid < 0) {
        std::perror("fork");
    } else {
        // Ctrl+C is meant for the program; the window must stay to show how it ended.
        std::signal(SIGINT, SIG_IGN);
        std::signal(SIGQUIT, SIG_IGN);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    // A script that failed says so even when its own message scrolled away.
    if (code != 0)
        std::printf("\nプログラムは終了コード %d で終了しました。", code);
    waitForKey();
    return code;
}
