#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class Clock;
class LinkGate;
class QRandomGenerator;
class SerialPort;
struct SharedState;

// The exchange conventions every talk with the radio follows: reset the receive buffer, send
// a command line, wait (sleeping in the event loop) for the markers, then judge or cut. Every
// wait is announced to the link's gate and ends at once when the running action is
// interrupted; nothing is sent from inside another action's wait, and after an interruption
// only what leaves the radio safe.
class Console {
public:
    Console(SerialPort& port, SharedState& state, Clock& clock)
        : port_(port), state_(state), clock_(clock) {}

    SerialPort& port() { return port_; }
    Clock& clock() { return clock_; }
    LinkGate& gate();
    QString& buffer();

    void resetBuffer();
    // The command and one carriage return; never waits. Throws SerialError. Control characters
    // (C0, DEL and the C1 range) are dropped, so that one command line never becomes two, and
    // no line is longer than any radio reply could be.
    void sendLine(const QString& command);
    void sendRaw(const QByteArray& bytes);
    // What leaves the radio as it should be (a report ended, setup mode left, the echo back on,
    // the loader left, logged out at quit): sent even by an action that was interrupted.
    void sendSafeLine(const QString& command);
    void sendSafeRaw(const QByteArray& bytes);
    static constexpr int LongestLine = 256;
    static QByteArray lineOf(const QString& command);

    // Console echo off ("deco") or on ("eeco"), remembered for the settings read. Turning it
    // back on is always allowed: a console left without its echo answers no exchange.
    void setEcho(bool on);

    bool holds(const QString& marker) const; // letter case ignored
    bool holdsExact(const QString& marker) const;
    bool endsWith(const QString& marker) const; // letter case ignored
    // The running action was interrupted: it ends without another command.
    bool interrupted() const;

    // Lets the event loop run once.
    void yieldOnce(const QString& label);
    // Sleeps in the event loop until done() holds or the time-out passes; true when done.
    bool waitUntil(const std::function<bool()>& done, double seconds, const QString& label);
    // Sleeps until the port has sent what it holds; true when it has.
    bool drain(double seconds, const QString& label);
    // Reset, send, and wait for the markers; true when every marker arrived in time.
    bool exchange(const QString& command, const QStringList& markers, double seconds);

    // Wakes the console: up to 30 attempts (or as many as asked) of ESC CR LF, a random pause
    // of 400 to 1100 ms and four pairs of carriage returns 100 ms apart, until the buffer ends
    // with the prompt. stopped() is asked before each pair (an interruption stops it too);
    // shown(dots) after it. Received text comes in at the yield that starts each attempt and,
    // when asked, at one more before each look.
    enum class WakeUp { Prompt, Stopped, NoPrompt };
    static constexpr int WakeAttempts = 30;
    WakeUp wakeUp(QRandomGenerator& random, const std::function<bool()>& stopped,
                  const std::function<void(int dots)>& shown, bool yieldBeforeLook,
                  int attempts = WakeAttempts);
    // The console answered with its loader's prompt: the radio runs no firmware, only the
    // loader that takes it. Every session that opens asks this first.
    bool atLoader() const;

    // Blocking waits: no events, no received characters are handled meanwhile. An interrupted
    // action does not wait at all.
    void msWait(int ms, const QString& label);
    void sleep(int ms, const QString& label);

    std::optional<QString> cut(const QString& word) const;

    // The radio's word on a write, waited for (sleeping) until its prompt follows it.
    enum class Verdict { Accepted, Denied, Refused, NoAnswer };
    Verdict awaitVerdict(double seconds, const QString& label);
    // Reset, send a write, and wait for its verdict, the link held busy meanwhile.
    Verdict write(const QString& command, double seconds);
    // What a handler that lost the link tells the user.
    static QString communicationError() {
        return QStringLiteral(
            "There was an error communicating with the radio. Please reconnect and try again");
    }
    // The verdict in words for a message: "the radio did not answer" and the like.
    static QString reasonOf(Verdict verdict);

private:
    void send(const QByteArray& bytes, bool safe);
    void sleepUntilEvent(qint64 ms, const QString& label);

    SerialPort& port_;
    SharedState& state_;
    Clock& clock_;
};
