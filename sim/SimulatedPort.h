#pragma once

#include "link/SerialPort.h"

class Clock;
class RadioConsole;

// A serial port wired, inside the process, to a simulated radio console. Replies arrive as
// receive events on the event loop, in the radio's pieces and after its latency, as the given
// clock counts time. The radio's own time is its owner's to give (RadioConsole::setClock):
// a port may go while the radio stays.
class SimulatedPort : public SerialPort {
    Q_OBJECT
public:
    SimulatedPort(RadioConsole& radio, Clock& clock, QObject* parent = nullptr);

    int portNumber() const override { return number_; }
    void setPortNumber(int number) override;
    QString settings() const override { return settings_; }
    void setSettings(const QString& settings) override { settings_ = settings; }
    void setHandshakingNone() override {}
    bool isOpen() const override { return open_; }
    void setOpen(bool open) override;
    void write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    qint64 bytesToSend() const override { return stuckOut_ + queuedOut_; }
    // With held arrivals on, holds them back as a serial device asked for a minimum read does.
    void expectCharacters(int count, int withinMs) override;
    // What is still to leave is given up, stuck or paced (the radio heard each write whole).
    void discardOutput() override;

    // Test controls: another program holds the port; output that never drains; a line event.
    void setBusy(bool busy) { busy_ = busy; }
    // The device is missing from the system: opening fails, and so does every open after the
    // first n that succeed.
    void setMissing(bool missing) { missingAfter_ = missing ? opens_ : -1; }
    void failOpensAfter(int opens) { missingAfter_ = opens; }
    void setStuckOutput(qint64 bytes) { stuckOut_ = bytes; }
    // What is written takes the line's time to leave, at the speed the port is set to.
    void setPacedOutput(bool paced) { paced_ = paced; }
    // What the radio sends takes the line's time to arrive, a few characters at a time.
    void setPacedInput(bool paced) { pacedInput_ = paced; }
    // Arrivals wait as expectCharacters() asks (for tests whose clock runs on to the timers).
    void setHeldArrivals(bool held) { holds_ = held; }
    void inject(int code) { emit commEvent(code); }
    // Bytes as if the radio had sent them.
    void deliver(const QByteArray& bytes);
    // The device disappears.
    void vanish();
    RadioConsole& radio() { return radio_; }
    int openCount() const { return opens_; }
    // What the radio has sent that has not arrived yet.
    qsizetype bytesOnTheWay() const { return onTheWay_; }
    // How many times arrivals were announced.
    int announcements() const { return announcements_; }

signals:
    // Every write, as the radio receives it.
    void written(const QByteArray& bytes);

private:
    void scheduleReport(int generation);
    void queueOutput(qint64 bytes);
    void scheduleArrival(qint64 dueMs, const QByteArray& bytes, int generation);
    void scheduleOnLine(qint64 dueMs, const QByteArray& bytes, int generation);
    qint64 baud() const;
    void announce();
    void endHold();

    RadioConsole& radio_;
    Clock& clock_;
    QByteArray inbox_;
    // Replies under way when the port closes are lost with the line.
    int generation_ = 0;
    // Output under way when it is discarded never reports itself sent.
    int outputGeneration_ = 0;
    // When the radio has finished answering what it was sent so far.
    qint64 answeredUntil_ = 0;
    int missingAfter_ = -1;
    QString settings_ = QStringLiteral("19200,N,8,1");
    int number_ = 1;
    int opens_ = 0;
    qint64 stuckOut_ = 0;
    qint64 queuedOut_ = 0;
    qint64 outUntil_ = 0;
    // When the line towards the program has carried all that was put on it, in microseconds.
    qint64 inUntilUs_ = 0;
    // Arrivals wait until this many characters are in, or the hold's deadline; 0: no hold.
    int holdFor_ = 0;
    int holdGeneration_ = 0;
    bool hinted_ = false;
    int announcements_ = 0;
    qsizetype onTheWay_ = 0;
    bool holds_ = false;
    bool paced_ = false;
    bool pacedInput_ = false;
    bool open_ = false;
    bool busy_ = false;
};
