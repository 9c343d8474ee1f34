// Unix: isatty and termios.
#include "TerminalIo.h"

#include <termios.h>
#include <unistd.h>

namespace TerminalIo {

namespace {
termios saved;
bool raw = false;
} // namespace

bool isTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

void enterRawMode() {
    if (raw || !isTerminal(stdin) || ::tcgetattr(STDIN_FILENO, &saved) != 0)
        return;
    termios keys = saved;
    ::cfmakeraw(&keys);
    // Output keeps its line ends as the terminal expects them.
    keys.c_oflag |= OPOST;
    raw = ::tcsetattr(STDIN_FILENO, TCSANOW, &keys) == 0;
}

void restoreMode() {
    if (raw)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    raw = false;
}

int inputDescriptor() {
    return STDIN_FILENO;
}

qint64 readInput(char* into, qint64 size) {
    return ::read(STDIN_FILENO, into, size_t(size));
}

QByteArray readHiddenLine() {
    termios before{};
    const bool terminal = ::tcgetattr(STDIN_FILENO, &before) == 0;
    if (terminal) {
        termios hidden = before;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        hidden.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &hidden);
    }
    QByteArray line;
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n')
        if (c != '\r')
            line += c;
    if (terminal)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &before);
    return line;
}

} // namespace TerminalIo
