#pragma once

#include <QObject>

// SIGTERM, SIGHUP and SIGINT, turned into a signal on the event loop, so that the program ends
// as it does by File, Exit: the radio left as the windows found it, the user logged out. The
// handlers do no more than hand the number on; everything else happens on the event loop. Each
// kind of system has its own file (QuitSignals_unix.cpp, QuitSignals_windows.cpp).
class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

    // What ends the program this way, as the system's users name it ("SIGINT, SIGTERM").
    static QString named();

signals:
    void received(int signalNumber);
};
