// Windows: a console control handler. Ctrl+C and Ctrl+Break are SIGINT; the console window
// closed is SIGHUP, a logoff or a shutdown SIGTERM, as on Unix. The handler runs on a thread of
// its own: it hands the signal to the event loop and, for a closing console, which Windows
// ends as soon as the handler returns, waits a moment for the quit to finish.
#include "QuitSignals.h"

#include <QMetaObject>
#include <QPointer>

#include <csignal>
#include <windows.h>

namespace {

QPointer<QuitSignals> listener;
constexpr DWORD QuitWaitMs = 5000;

BOOL WINAPI onConsoleEvent(DWORD event) {
    QuitSignals* to = listener.data();
    if (!to)
        return FALSE;
    const int number = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT
                       : event == CTRL_CLOSE_EVENT                        ? 1 // SIGHUP
                                                                          : SIGTERM;
    QMetaObject::invokeMethod(
        to, [to, number] { emit to->received(number); }, Qt::QueuedConnection);
    if (number != SIGINT)
        ::Sleep(QuitWaitMs);
    return TRUE;
}

} // namespace

QString QuitSignals::named() {
    return QStringLiteral("Ctrl+C, Ctrl+Break, the console closed");
}

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    listener = this;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

QuitSignals::~QuitSignals() {
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    listener = nullptr;
}
