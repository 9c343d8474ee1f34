#pragma once

#include <QString>

// What several windows share for the whole run, owned by the main window and passed by
// reference.
struct SharedState {
    // Everything received since the last reset; a Part that starts an exchange resets it.
    QString receiveBuffer;
    bool refreshRequest = false;
    bool setupMode = false;
    QString currentVersion;
    int versionNumber = 0;
    bool restoreLinkFailure = false;
    // Raised by the progress window's Cancel, tested by the running operation.
    bool cancelRequested = false;

    // Preference flags, read at start and kept for the run.
    bool passEnabled = false;
    bool connectOnLaunch = false;
    bool keepAlive = true;
    bool logoutOnQuit = true;
};
