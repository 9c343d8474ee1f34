#include "Console.h"

#include "ConsoleText.h"
#include "SerialPort.h"
#include "core/Clock.h"
#include "core/LinkBusy.h"
#include "core/SharedState.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

QString& Console::buffer() {
    return state_.receiveBuffer;
}

void Console::resetBuffer() {
    state_.receiveBuffer = QStringLiteral(" ");
}

void Console::sendLine(const QString& command) {
    QByteArray line = command.toLatin1();
    line.removeIf([](char c) { return uchar(c) < 0x20 || uchar(c) == 0x7f; });
    sendRaw(line + '\r');
}

void Console::sendRaw(const QByteArray& bytes) {
    port_.write(bytes);
}

void Console::setEcho(bool on) {
    sendLine(on ? "eeco" : "deco");
    state_.echoOff = !on;
}

bool Console::holds(const QString& marker) const {
    return state_.receiveBuffer.contains(marker, Qt::CaseInsensitive);
}

bool Console::holdsExact(const QString& marker) const {
    return state_.receiveBuffer.contains(marker, Qt::CaseSensitive);
}

bool Console::endsWith(const QString& marker) const {
    return state_.receiveBuffer.endsWith(marker, Qt::CaseInsensitive);
}

void Console::yieldOnce() {
    QCoreApplication::processEvents();
}

bool Console::waitUntil(const std::function<bool()>& done, double seconds) {
    const qint64 deadline = clock_.msecs() + qint64(seconds * 1000.0);
    while (!done()) {
        if (state_.closing)
            return false;
        const qint64 left = deadline - clock_.msecs();
        if (left <= 0)
            return false;
        sleepUntilEvent(left);
    }
    return true;
}

bool Console::exchange(const QString& command, const QStringList& markers, double seconds) {
    resetBuffer();
    sendLine(command);
    return waitUntil(
        [&] {
            for (const QString& marker : markers)
                if (!holds(marker))
                    return false;
            return true;
        },
        seconds);
}

void Console::sleepUntilEvent(qint64 ms) {
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool expired = false;
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        expired = true;
        loop.quit();
    });
    QObject::connect(&port_, &SerialPort::commEvent, &loop, &QEventLoop::quit);
    QObject::connect(&port_, &SerialPort::deviceLost, &loop, &QEventLoop::quit);
    QObject::connect(&port_, &SerialPort::sent, &loop, &QEventLoop::quit);
    deadline.start(clock_.realWaitMs(ms));
    waits_.append(&loop);
    loop.exec();
    waits_.removeOne(&loop);
    if (expired)
        clock_.waited(ms);
}

void Console::abandonWaits() {
    for (QEventLoop* wait : waits_)
        wait->quit();
}

Console::WakeUp Console::wakeUp(QRandomGenerator& random, const std::function<bool()>& stopped,
                                const std::function<void(int)>& shown, bool yieldBeforeLook) {
    constexpr int Attempts = 30;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        yieldOnce();
        sendRaw(QByteArray("\x1b\r\n"));
        sleep(400 + int(random.generateDouble() * 701));
        for (int pair = 0; pair < 4; ++pair) {
            if (stopped())
                return WakeUp::Stopped;
            sendRaw("\r\r");
            sleep(100);
            shown(attempt + pair);
        }
        if (yieldBeforeLook)
            yieldOnce();
        if (buffer().endsWith(u'>'))
            return WakeUp::Prompt;
    }
    return WakeUp::NoPrompt;
}

void Console::msWait(int ms) {
    clock_.sleep(ms);
}

void Console::sleep(int ms) {
    clock_.sleep(ms);
}

std::optional<QString> Console::cut(const QString& word) const {
    return ConsoleText::replyCut(state_.receiveBuffer, word, state_.setupMode);
}

Console::Verdict Console::awaitVerdict(double seconds) {
    const auto verdict = [this] {
        if (!holdsExact(">"))
            return Verdict::NoAnswer;
        if (holdsExact("PROGRAMMED OK"))
            return Verdict::Accepted;
        if (holdsExact("DENIED"))
            return Verdict::Denied;
        if (holdsExact("INVALID"))
            return Verdict::Refused;
        return Verdict::NoAnswer;
    };
    waitUntil([&] { return verdict() != Verdict::NoAnswer; }, seconds);
    return verdict();
}

Console::Verdict Console::write(const QString& command, double seconds) {
    const LinkBusy busy(state_);
    resetBuffer();
    sendLine(command);
    return awaitVerdict(seconds);
}

QString Console::reasonOf(Verdict verdict) {
    switch (verdict) {
    case Verdict::Accepted:
        return QStringLiteral("the radio accepted it");
    case Verdict::Denied:
        return QStringLiteral("the radio answered ACCESS DENIED: you are not logged in");
    case Verdict::Refused:
        return QStringLiteral("the radio answered INVALID ENTRY");
    case Verdict::NoAnswer:
        break;
    }
    return QStringLiteral("the radio did not answer");
}
