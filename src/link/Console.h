#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class Clock;
class QEventLoop;
class QRandomGenerator;
class SerialPort;
struct SharedState;

// The exchange conventions every talk with the radio follows: reset the receive buffer, send
// a command line, wait (sleeping in the event loop) for the markers, then judge or cut.
class Console {
public:
    Console(SerialPort& port, SharedState& state, Clock& clock)
        : port_(port), state_(state), clock_(clock) {}

    SerialPort& port() { return port_; }
    Clock& clock() { return clock_; }
    QString& buffer();

    void resetBuffer();
    // The command and one carriage return; never waits. Throws SerialError. Control characters
    // inside the command are dropped: one command line never becomes two.
    void sendLine(const QString& command);
    void sendRaw(const QByteArray& bytes);

    // Console echo off ("deco") or on ("eeco"), remembered for the settings read.
    void setEcho(bool on);

    bool holds(const QString& marker) const; // letter case ignored
    bool holdsExact(const QString& marker) const;
    bool endsWith(const QString& marker) const; // letter case ignored

    // Lets the event loop run once.
    void yieldOnce();
    // Sleeps in the event loop until done() holds or the time-out passes; true when done.
    // While the window is closing every wait ends at once.
    bool waitUntil(const std::function<bool()>& done, double seconds);
    // Wakes every wait now in progress, so that it sees the closing window.
    void abandonWaits();
    // Reset, send, and wait for the markers; true when every marker arrived in time.
    bool exchange(const QString& command, const QStringList& markers, double seconds);

    // Wakes the console: up to 30 attempts of ESC CR LF, a random pause of 400 to 1100 ms and
    // four pairs of carriage returns 100 ms apart, until the buffer ends with the prompt.
    // stopped() is asked before each pair; shown(dots) after it. Received text comes in at the
    // yield that starts each attempt and, when asked, at one more before each look.
    enum class WakeUp { Prompt, Stopped, NoPrompt };
    WakeUp wakeUp(QRandomGenerator& random, const std::function<bool()>& stopped,
                  const std::function<void(int dots)>& shown, bool yieldBeforeLook);

    // Blocking waits: no events, no received characters are handled meanwhile.
    void msWait(int ms);
    void sleep(int ms);

    std::optional<QString> cut(const QString& word) const;

    // The radio's word on a write, waited for (sleeping) until its prompt follows it.
    enum class Verdict { Accepted, Denied, Refused, NoAnswer };
    Verdict awaitVerdict(double seconds);
    // Reset, send a write, and wait for its verdict, the link held busy meanwhile.
    Verdict write(const QString& command, double seconds);
    // The verdict in words for a message: "the radio did not answer" and the like.
    static QString reasonOf(Verdict verdict);

private:
    void sleepUntilEvent(qint64 ms);

    SerialPort& port_;
    SharedState& state_;
    Clock& clock_;
    QList<QEventLoop*> waits_;
};
