#pragma once

#include <QList>
#include <QString>
#include <functional>

// What several windows share for the whole run, owned by the main window and passed by
// reference.
struct SharedState {
    // Everything received since the last reset; a Part that starts an exchange resets it.
    QString receiveBuffer;
    bool refreshRequest = false;
    bool setupMode = false;
    QString currentVersion;
    int versionNumber = 0;
    // False until a read found a version text whose digits could be read.
    bool versionKnown = false;
    // The extension address ranges 0-63 below firmware 2.0; before any version is known the
    // newer 0-31 is assumed.
    bool wideExtensionRange() const { return versionKnown && versionNumber < 200; }
    // An exchange is waiting on the radio; others are held until it ends (see LinkBusy).
    bool linkBusy = false;
    QList<std::function<void()>> heldActions;
    bool restoreLinkFailure = false;
    // Raised by the progress window's Cancel, tested by the running operation.
    bool cancelRequested = false;

    // Preference flags, read at start and kept for the run.
    bool passEnabled = false;
    bool connectOnLaunch = false;
    bool keepAlive = true;
    bool logoutOnQuit = true;
};
