#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <functional>

class QObject;

// Time as the program sees it. Waits, sleeps and schedules all read it, so that tests can let
// minutes pass in an instant.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic clock.
    virtual qint64 msecs() const = 0;
    virtual QDateTime now() const = 0;
    // Blocks the thread; no events are handled meanwhile.
    virtual void sleep(int ms) = 0;
    // How long a wait of ms should really arm its timer for, and the notice that it expired.
    virtual int realWaitMs(qint64 ms) const { return int(ms); }
    virtual void waited(qint64) {}
    // Runs what on the event loop once the clock has reached dueMs (while context lives).
    virtual void at(qint64 dueMs, QObject* context, std::function<void()> what);
};

class SystemClock : public Clock {
public:
    SystemClock() { started_.start(); }
    qint64 msecs() const override { return started_.elapsed(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    void sleep(int ms) override;

private:
    QElapsedTimer started_;
};

// A clock that moves only when told to, by sleeps and by expired waits. A wait that expires
// moves it only as far as the next scheduled event, so that late replies arrive in order.
class ManualClock : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 1, 5), QTime(9, 0)))
        : start_(start) {}
    qint64 msecs() const override { return ms_; }
    QDateTime now() const override { return start_.addMSecs(ms_); }
    void sleep(int ms) override { advance(ms); }
    int realWaitMs(qint64) const override { return 1; }
    void waited(qint64 ms) override;
    void at(qint64 dueMs, QObject* context, std::function<void()> what) override;
    void advance(qint64 ms);

private:
    struct Alarm {
        qint64 due;
        QPointer<QObject> context;
        std::function<void()> what;
    };
    // Hands every alarm that is due to the event loop.
    void releaseDue();

    QDateTime start_;
    qint64 ms_ = 0;
    QList<Alarm> alarms_; // in order of due time, first scheduled first
};
