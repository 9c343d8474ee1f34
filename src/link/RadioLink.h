#pragma once

#include <QDateTime>
#include <QObject>
#include <QRandomGenerator>

class Clock;
class Console;
class Prompts;
class SerialError;
class SerialPort;
class Terminal;
struct LinkControls;
struct SharedState;

// The link actions of the main window: connect, port open, disconnect, the console wake-up,
// the port's events and the orderly shutdown.
class RadioLink : public QObject {
    Q_OBJECT
public:
    RadioLink(Console& console, Terminal& terminal, LinkControls& controls, SharedState& state,
              Prompts& prompts);

    static QString communicationError() {
        return QStringLiteral(
            "There was an error communicating with the radio. Please reconnect and try again");
    }
    static QString closNotice() {
        return QStringLiteral(
            "*** CLOS command sent to the radio before disabling the COMM port. ***\r\n");
    }
    // The words for a port event's code ("Framing Error").
    static QString eventMessage(int code);
    // Shows the message for a serial failure that ends a handler.
    void reportCommunicationError();

    bool disconnected = false;
    bool connectFailed = false;
    bool showEvents = true;
    bool firstRead = false;
    QDateTime connectTime;
    // Monotonic milliseconds at which the next keep-alive is due.
    qint64 nextKeepAliveMs = 0;

    void seed(quint32 value) { random_.seed(value); }

    void connectAction();
    void portOpenAction();
    void disconnectAction();
    void wakeUp();
    void startConnectClock();
    void stopConnectClock();
    // False when the user chose to keep the program running.
    bool shutdown();
    // A key typed into the pane; true when it went to the radio.
    bool typeKey(const QString& character);

signals:
    // The link is about to end (disconnect or quit): a window that left the radio in a
    // special state restores it now, while the port is still open.
    void ending();

public slots:
    void onPortEvent(int code);
    void onDeviceLost();
    void onStatusClear();

private:
    void openAndGreet();
    void failToOpen(const SerialError& error);
    bool logOutAtQuit();
    void sendClosAndClose();
    void showConnectedImages(bool connected);
    void setConnectedMenus(bool enabled);
    void showLineEvent(const QString& message);
    void showErrorEvent(const QString& message);
    bool drainOutput();

    Console& console_;
    SerialPort& port_;
    Clock& clock_;
    Terminal& terminal_;
    LinkControls& controls_;
    SharedState& state_;
    Prompts& prompts_;
    QRandomGenerator random_;
};
