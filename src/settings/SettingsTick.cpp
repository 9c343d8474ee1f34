#include "SettingsTick.h"

#include "core/Clock.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/RadioLink.h"
#include "link/SerialPort.h"

#include <QLabel>

namespace {
constexpr qint64 KeepAliveMs = 240000;
constexpr int KeepAliveLimit = 8;
} // namespace

SettingsTick::SettingsTick(Console& console, RadioLink& link, SharedState& state,
                           QLabel& connectTimePanel)
    : console_(console), link_(link), state_(state), connectTimePanel_(connectTimePanel) {}

void SettingsTick::tick() {
    try {
        showConnectTime();
        // A tick that arrives while an action holds the link or waits for it, or while a
        // password is typed with the console's echo off, leaves the link alone.
        if (!state_.gate.free() || state_.echoOff)
            return;
        // The window closes knowing of the failure: the reopen that follows tells the user.
        if (state_.restoreLinkFailure) {
            if (closeRestoreWindow)
                closeRestoreWindow();
            state_.restoreLinkFailure = false;
            link_.portOpenAction();
            return;
        }
        if (launchConnectRequest) {
            launchConnectRequest = false;
            link_.connectAction();
        }
        keepAlive();
        if (!console_.port().isOpen() || !state_.refreshRequest)
            return;
        state_.refreshRequest = false;
        if (readSettings)
            readSettings();
    } catch (const SerialError& error) {
        if (error.endsHandler())
            link_.reportCommunicationError();
    }
}

// The time-of-day part of the time since connecting; before any connection, the time of day.
void SettingsTick::showConnectTime() {
    const QDateTime now = console_.clock().now();
    const qint64 elapsed = link_.connectTime.isValid() ? link_.connectTime.msecsTo(now)
                                                       : QTime(0, 0).msecsTo(now.time());
    connectTimePanel_.setText(QTime(0, 0).addMSecs(int(elapsed % 86400000)).toString("hh:mm:ss") +
                              " ");
}

void SettingsTick::keepAlive() {
    if (!state_.keepAlive || !console_.port().isOpen())
        return;
    const qint64 now = console_.clock().msecs();
    if (now < link_.nextKeepAliveMs)
        return;
    link_.nextKeepAliveMs = now + KeepAliveMs;
    if (keepAliveCount == KeepAliveLimit) {
        state_.refreshRequest = true;
    } else {
        console_.sendRaw("\r");
        ++keepAliveCount;
    }
}
