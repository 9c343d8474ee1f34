// Windows: the console's modes and its key events; a pipe on standard input is read by a thread
// of its own, since the event loop cannot watch one.
#include "TerminalIo.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWinEventNotifier>

#include <io.h>
#include <memory>
#include <thread>
#include <windows.h>

namespace TerminalIo {

namespace {

HANDLE input() {
    return ::GetStdHandle(STD_INPUT_HANDLE);
}

DWORD savedMode = 0;
bool raw = false;

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != 0;
}

} // namespace

// A console, not any character device: _isatty says yes to NUL too, where nobody answers.
bool isTerminal(std::FILE* stream) {
    const int number = ::_fileno(stream);
    return number >= 0 && isConsole(reinterpret_cast<HANDLE>(::_get_osfhandle(number)));
}

// A port here is a handle of its own, never a stream's number, and no signal ends the tool at a
// pipe whose reader went away: only whether there is an output to write to is asked.
bool prepareStandardStreams() {
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    return output == nullptr || output == INVALID_HANDLE_VALUE;
}

// Keys one by one, unechoed, Ctrl+C among them (it goes to the radio, as in the window).
void enterRawMode() {
    if (raw || !::GetConsoleMode(input(), &savedMode))
        return;
    const DWORD keys =
        savedMode & ~DWORD(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT);
    raw = ::SetConsoleMode(input(), keys) != 0;
}

void restoreMode() {
    if (raw)
        ::SetConsoleMode(input(), savedMode);
    raw = false;
}

QByteArray readHiddenLine() {
    DWORD before = 0;
    const bool console = ::GetConsoleMode(input(), &before) != 0;
    if (console)
        ::SetConsoleMode(input(), before & ~DWORD(ENABLE_ECHO_INPUT));
    QByteArray line;
    char c = 0;
    DWORD got = 0;
    while (::ReadFile(input(), &c, 1, &got, nullptr) && got == 1 && c != '\n')
        if (c != '\r')
            line += c;
    if (console) {
        ::SetConsoleMode(input(), before);
        std::fputc('\n', stderr);
    }
    return line;
}

// What the reading thread hands to the event loop; the watch may be gone by then.
struct InputWatch::System {
    struct Relay {
        QPointer<InputWatch> watch;
    };
    std::shared_ptr<Relay> relay = std::make_shared<Relay>();
    std::unique_ptr<QWinEventNotifier> keys;
};

InputWatch::InputWatch(QObject* parent) : QObject(parent), system_(std::make_unique<System>()) {
    system_->relay->watch = this;
    if (isConsole(input())) {
        system_->keys = std::make_unique<QWinEventNotifier>(input());
        connect(system_->keys.get(), &QWinEventNotifier::activated, this, [this] {
            INPUT_RECORD records[64];
            DWORD count = 0;
            if (!::ReadConsoleInputA(input(), records, 64, &count))
                return;
            QByteArray typed;
            for (DWORD i = 0; i < count; ++i) {
                const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
                if (records[i].EventType == KEY_EVENT && key.bKeyDown && key.uChar.AsciiChar)
                    typed += QByteArray(key.wRepeatCount, key.uChar.AsciiChar);
            }
            if (!typed.isEmpty())
                emit arrived(typed);
        });
        return;
    }
    const std::shared_ptr<System::Relay> relay = system_->relay;
    std::thread([relay] {
        for (;;) {
            char bytes[256];
            DWORD got = 0;
            const bool read = ::ReadFile(input(), bytes, sizeof bytes, &got, nullptr) && got > 0;
            const QByteArray taken(bytes, read ? int(got) : 0);
            QMetaObject::invokeMethod(QCoreApplication::instance(), [relay, taken, read] {
                if (!relay->watch)
                    return;
                if (read)
                    emit relay->watch->arrived(taken);
                else
                    emit relay->watch->ended();
            });
            if (!read)
                return;
        }
    }).detach();
}

InputWatch::~InputWatch() = default;

} // namespace TerminalIo
