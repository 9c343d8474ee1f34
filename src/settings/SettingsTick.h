#pragma once

#include <functional>

class Clock;
class Console;
class RadioLink;
class QLabel;
struct SharedState;

// The main window's one-second tick: connect time, the requests left for it, the keep-alive,
// and the settings read when one is asked for.
class SettingsTick {
public:
    SettingsTick(Console& console, RadioLink& link, SharedState& state, QLabel& connectTimePanel);

    bool launchConnectRequest = false;
    int keepAliveCount = 0;
    // Runs the whole settings read; set by the owner of the fields.
    std::function<void()> readSettings;
    // Closes a store and restore window that reported a link failure.
    std::function<void()> closeRestoreWindow;

    void tick();

private:
    void showConnectTime();
    void keepAlive();

    Console& console_;
    RadioLink& link_;
    SharedState& state_;
    QLabel& connectTimePanel_;
};
