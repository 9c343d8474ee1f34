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

    static QString closNotice() {
        return QStringLiteral(
            "*** CLOS command sent to the radio before disabling the COMM port. ***\r\n");
    }
    // Shows the message for a serial failure that ends a handler.
    void reportCommunicationError();

    bool disconnected = false;
    bool connectFailed = false;
    // The port is open and the console answered: the connected-only controls apply.
    bool connected() const;
    bool showEvents = true;
    bool firstRead = false;
    QDateTime connectTime;
    // Monotonic milliseconds at which the next keep-alive is due.
    qint64 nextKeepAliveMs = 0;

    void seed(quint32 value) { random_.seed(value); }

    // The link actions themselves, run inside an action that holds the link.
    void connectAction();
    void portOpenAction();
    void disconnectAction();
    // The same as the user starts them: the connect waits for the link; Disconnect and Port
    // Open interrupt whatever holds it, and run once it has given way.
    void requestConnect();
    void requestDisconnect();
    void requestPortOpen();
    void wakeUp();
    void startConnectClock();
    void stopConnectClock();
    // False when the user chose to keep the program running; mayAsk false takes the output
    // that cannot be sent as abandoned instead of asking.
    bool shutdown(bool mayAsk = true);
    // A key typed into the pane; true when it went to the radio.
    bool typeKey(const QString& character);

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
    bool drainOutput(bool mayAsk);
    void sendTypedKeys();

    Console& console_;
    SerialPort& port_;
    Clock& clock_;
    Terminal& terminal_;
    LinkControls& controls_;
    SharedState& state_;
    Prompts& prompts_;
    QRandomGenerator random_;
    // Keys typed while another action held the link, sent once it is free.
    QByteArray typeAhead_;
    bool tellingLoss_ = false;
};
