// Unix: isatty and termios; standard input watched by a socket notifier.
#include "TerminalIo.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
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

bool prepareStandardStreams() {
    bool outputClosed = false;
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(stream, F_GETFD) != -1 || errno != EBADF)
            continue;
        outputClosed = outputClosed || stream == STDOUT_FILENO;
        const int null = ::open("/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != stream) {
            ::dup2(null, stream);
            ::close(null);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    return outputClosed;
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

struct InputWatch::System {
    QSocketNotifier notifier{STDIN_FILENO, QSocketNotifier::Read};
};

InputWatch::InputWatch(QObject* parent) : QObject(parent), system_(std::make_unique<System>()) {
    connect(&system_->notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[256];
        const ssize_t got = ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (got > 0) {
            emit arrived(QByteArray(bytes, int(got)));
            return;
        }
        system_->notifier.setEnabled(false);
        emit ended();
    });
}

InputWatch::~InputWatch() = default;

} // namespace TerminalIo
