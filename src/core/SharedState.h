#pragma once

#include <QList>
#include <QMap>
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
    // How many link actions or exchanges are waiting on the radio; what the user starts
    // meanwhile is held until they end (see LinkBusy).
    int linkBusy = 0;
    struct HeldAction {
        QString key;
        std::function<void()> run;
    };
    QList<HeldAction> heldActions;
    // The user closed the window while the link was busy: waits end at once, nothing more is
    // reported, and closeWhenIdle runs once the busy action has returned.
    bool closing = false;
    std::function<void()> closeWhenIdle;
    // The console echo is off (a password or code is being typed): a settings read, which
    // needs the echo, waits until it is on again.
    bool echoOff = false;
    // The replies of the connected radio that arrived whole (ended at the final prompt, one
    // plain line), by keyword: the only radio text the program ever writes back.
    QMap<QString, QString> wholeReplies;
    bool restoreLinkFailure = false;
    // Raised by the progress window's Cancel, tested by the running operation.
    bool cancelRequested = false;

    // Preference flags, read at start and kept for the run.
    bool passEnabled = false;
    bool connectOnLaunch = false;
    bool keepAlive = true;
    bool logoutOnQuit = true;
};
