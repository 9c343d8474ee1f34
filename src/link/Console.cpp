#include "Console.h"

#include "ConsoleText.h"
#include "SerialPort.h"
#include "core/Clock.h"
#include "core/SharedState.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

using Wait = LinkGate::Wait;

LinkGate& Console::gate() {
    return state_.gate;
}

QString& Console::buffer() {
    return state_.receiveBuffer;
}

void Console::resetBuffer() {
    state_.receiveBuffer = QStringLiteral(" ");
}

QByteArray Console::lineOf(const QString& command) {
    QByteArray line = command.toLatin1();
    line.removeIf([](char c) {
        const uchar u = uchar(c);
        return u < 0x20 || u == 0x7f || (u >= 0x80 && u <= 0x9f);
    });
    line.truncate(LongestLine);
    return line + '\r';
}

void Console::sendLine(const QString& command) {
    send(lineOf(command), false);
}

void Console::sendRaw(const QByteArray& bytes) {
    send(bytes, false);
}

void Console::sendSafeLine(const QString& command) {
    send(lineOf(command), true);
}

void Console::sendSafeRaw(const QByteArray& bytes) {
    send(bytes, true);
}

// The one place where commands leave for the radio.
void Console::send(const QByteArray& bytes, bool safe) {
    if (interrupted() && !safe)
        return;
    if (state_.gate.waitDepth() > 0) {
        qWarning("Refused a command from inside another action's wait: %s",
                 bytes.left(40).toHex(' ').constData());
        return;
    }
    port_.write(bytes);
}

void Console::setEcho(bool on) {
    if (on)
        sendSafeLine("eeco");
    else
        sendLine("deco");
    if (on || !interrupted())
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

bool Console::interrupted() const {
    return state_.gate.cancelled();
}

void Console::yieldOnce(const QString& label) {
    state_.gate.announceWait(Wait::Yield, label);
    state_.gate.enterWait(nullptr);
    QCoreApplication::processEvents();
    state_.gate.leaveWait(nullptr);
}

bool Console::waitUntil(const std::function<bool()>& done, double seconds, const QString& label) {
    state_.gate.announceWait(Wait::Until, label);
    const qint64 deadline = clock_.msecs() + qint64(seconds * 1000.0);
    while (!done()) {
        if (interrupted())
            return false;
        const qint64 left = deadline - clock_.msecs();
        if (left <= 0)
            return false;
        sleepUntilEvent(left, label);
    }
    return true;
}

bool Console::drain(double seconds, const QString& label) {
    return waitUntil([this] { return port_.bytesToSend() == 0; }, seconds, label);
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
        seconds, command);
}

void Console::sleepUntilEvent(qint64 ms, const QString& label) {
    state_.gate.announceWait(Wait::Event, label);
    if (interrupted())
        return;
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
    state_.gate.enterWait(&loop);
    loop.exec();
    state_.gate.leaveWait(&loop);
    if (expired)
        clock_.waited(ms);
}

Console::WakeUp Console::wakeUp(QRandomGenerator& random, const std::function<bool()>& stopped,
                                const std::function<void(int)>& shown, bool yieldBeforeLook,
                                int attempts) {
    const QString label = QStringLiteral("wake-up");
    for (int attempt = 0; attempt < attempts; ++attempt) {
        yieldOnce(label);
        if (interrupted())
            return WakeUp::Stopped;
        sendRaw(QByteArray("\x1b\r\n"));
        sleep(400 + int(random.generateDouble() * 701), label);
        for (int pair = 0; pair < 4; ++pair) {
            if (stopped() || interrupted())
                return WakeUp::Stopped;
            sendRaw("\r\r");
            sleep(100, label);
            shown(attempt + pair);
        }
        if (yieldBeforeLook)
            yieldOnce(label);
        if (buffer().endsWith(u'>'))
            return WakeUp::Prompt;
    }
    return WakeUp::NoPrompt;
}

bool Console::atLoader() const {
    return holds(QStringLiteral("LOADER>"));
}

void Console::msWait(int ms, const QString& label) {
    state_.gate.announceWait(Wait::MsWait, label);
    if (!interrupted())
        clock_.sleep(ms);
}

void Console::sleep(int ms, const QString& label) {
    state_.gate.announceWait(Wait::Sleep, label);
    if (!interrupted())
        clock_.sleep(ms);
}

std::optional<QString> Console::cut(const QString& word) const {
    return ConsoleText::replyCut(state_.receiveBuffer, word, state_.setupMode);
}

Console::Verdict Console::awaitVerdict(double seconds, const QString& label) {
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
    waitUntil([&] { return verdict() != Verdict::NoAnswer; }, seconds, label);
    return verdict();
}

Console::Verdict Console::write(const QString& command, double seconds) {
    const LinkBusy busy(state_.gate);
    resetBuffer();
    sendLine(command);
    return awaitVerdict(seconds, command.section(u' ', 0, 0));
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
