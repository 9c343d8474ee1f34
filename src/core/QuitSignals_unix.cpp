// Unix: the signal handlers write the signal's number to a socket the event loop watches.
#include "QuitSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};
const int Watched[] = {SIGTERM, SIGHUP, SIGINT};

void onSignal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
}

} // namespace

QString QuitSignals::named() {
    return QStringLiteral("SIGINT, SIGTERM, SIGHUP");
}

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeEnds) != 0)
        return;
    auto* notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        if (::read(pipeEnds[1], &byte, 1) == 1)
            emit received(byte);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : Watched)
        ::sigaction(number, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (const int number : Watched)
        ::sigaction(number, &action, nullptr);
    for (int& end : pipeEnds)
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
}
