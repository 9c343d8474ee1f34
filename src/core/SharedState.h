#pragma once

#include "LinkGate.h"

#include <QMap>
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
    // False until a read found a version text whose digits could be read.
    bool versionKnown = false;
    // The extension address ranges 0-63 below firmware 2.0; before any version is known the
    // newer 0-31 is assumed.
    bool wideExtensionRange() const { return versionKnown && versionNumber < 200; }
    // The one way to the radio: which action holds the link, what waits for it.
    LinkGate gate;
    // The user is quitting: nothing more is reported.
    bool closing = false;
    // The radio has been told to leave its console for its loader: quitting now would leave it
    // there, so the user is asked first.
    bool upgradeCommitted = false;
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
