#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT, turned into a signal on the event loop, so that the program ends
// as it does by File, Exit: the radio left as the windows found it, the user logged out. The
// handlers only write to a socket; everything else happens on the event loop.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

signals:
    void received(int signalNumber);

private:
    void onReadable();

    QSocketNotifier* notifier_ = nullptr;
};
