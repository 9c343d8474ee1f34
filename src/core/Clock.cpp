#include "Clock.h"

#include <QThread>
#include <QTimer>

void Clock::at(qint64 dueMs, QObject* context, std::function<void()> what) {
    QTimer::singleShot(int(std::max<qint64>(0, dueMs - msecs())), context, std::move(what));
}

void SystemClock::sleep(int ms) {
    QThread::msleep(ms);
}

void ManualClock::waited(qint64 ms) {
    const qint64 target = ms_ + ms;
    ms_ = alarms_.isEmpty() ? target : std::min(target, std::max(ms_, alarms_.first().due));
    releaseDue();
}

void ManualClock::advance(qint64 ms) {
    ms_ += ms;
    releaseDue();
}

void ManualClock::at(qint64 dueMs, QObject* context, std::function<void()> what) {
    auto later = std::upper_bound(alarms_.begin(), alarms_.end(), dueMs,
                                  [](qint64 due, const Alarm& alarm) { return due < alarm.due; });
    alarms_.insert(later, Alarm{dueMs, context, std::move(what)});
    releaseDue();
}

void ManualClock::releaseDue() {
    while (!alarms_.isEmpty() && alarms_.first().due <= ms_) {
        Alarm alarm = alarms_.takeFirst();
        if (alarm.context)
            QTimer::singleShot(0, alarm.context.data(), std::move(alarm.what));
    }
}
