#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <stdexcept>

// A failure of the serial component, carrying the component's own error number.
class SerialError : public std::runtime_error {
public:
    enum Number {
        InvalidPortNumber = 8002,
        PortAlreadyOpen = 8005,
        DeviceUnavailable = 8010, // exists, but may not be opened (permission, other failure)
        DeviceNotOpen = 8012,
        PortNotOpen = 8018,
    };
    SerialError(int number, const QString& text)
        : std::runtime_error(text.toStdString()), number_(number) {}
    int number() const { return number_; }
    QString text() const { return QString::fromStdString(what()); }
    bool endsHandler() const { return number_ == PortAlreadyOpen || number_ == PortNotOpen; }

private:
    int number_;
};

// Why a port could not be opened, in words that name the port and tell the user what to do.
enum class OpenFailure { Missing, PermissionDenied, InUse, Other };
// How the user names another port, in the message of a device that is not there or in use: the
// window's menu by default, the command line's option for the command-line tool.
void setOtherPortAdvice(const QString& advice);
QString openFailureText(int number, const QString& device, OpenFailure failure,
                        const QString& systemReason = QString());
// The failure as thrown: missing 8002, in use 8005, anything else 8010.
SerialError openFailureError(int number, const QString& device, OpenFailure failure,
                             const QString& systemReason = QString());

// The platform serial component as the program uses it. Every event is announced once through
// commEvent() with the component's event code; failures are thrown as SerialError.
class SerialPort : public QObject {
    Q_OBJECT
public:
    enum EventCode {
        TransmitThreshold = 1,
        Received = 2,
        CtsChanged = 3,
        DsrChanged = 4,
        CdChanged = 5,
        Ring = 6,
        EndOfFile = 7,
        Break = 1001,
        CtsTimeout = 1002,
        DsrTimeout = 1003,
        Framing = 1004,
        Overrun = 1006,
        CdTimeout = 1007,
        RxOverflow = 1008,
        Parity = 1009,
        TxFull = 1010,
        DcbError = 1011,
    };

    using QObject::QObject;

    // The words for an event's code ("Framing Error").
    static QString eventMessage(int code);

    virtual int portNumber() const = 0;
    virtual void setPortNumber(int number) = 0; // only while closed
    virtual QString settings() const = 0;
    virtual void setSettings(const QString& settings) = 0; // "19200,N,8,1"
    virtual void setHandshakingNone() = 0;
    virtual bool isOpen() const = 0;
    virtual void setOpen(bool open) = 0;
    virtual void write(const QByteArray& bytes) = 0;
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesToSend() const = 0;
    // A hint that this many characters are on their way: the next arrival may be announced
    // only once they are all in, but never later than withinMs from now. A count of 0 ends the
    // hint. A port that cannot hold arrivals back ignores it.
    virtual void expectCharacters(int count, int withinMs) {
        Q_UNUSED(count);
        Q_UNUSED(withinMs);
    }
    // What the port and its driver still hold to send is given up (a transfer stopped), so that
    // what is sent next reaches the radio at once. A port that cannot do so ignores it.
    virtual void discardOutput() {}

signals:
    void commEvent(int code);
    // The device went away under an open port (unplugged adapter, ended simulator).
    void deviceLost();
    // Some of the output has left for the line: a wait for the output to drain wakes on it.
    void sent();
};
