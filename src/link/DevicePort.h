#pragma once

#include "SerialPort.h"

#include <QSerialPort>
#include <QTimer>
#include <functional>

// The real serial port. Line events come from polling the pin-out signals while open; a device
// that goes away is reported through deviceLost(), never as a crash.
class DevicePort : public SerialPort {
    Q_OBJECT
public:
    // Finds the device path of a port number at the moment it is opened.
    explicit DevicePort(std::function<QString(int)> devicePath, QObject* parent = nullptr);

    int portNumber() const override { return number_; }
    void setPortNumber(int number) override;
    QString settings() const override { return settings_; }
    void setSettings(const QString& settings) override;
    void setHandshakingNone() override;
    bool isOpen() const override { return serial_.isOpen(); }
    void setOpen(bool open) override;
    void write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    qint64 bytesToSend() const override;
    void discardOutput() override;
    void expectCharacters(int count, int withinMs) override;

    // Why an open failed, from the port's error and whether this user may open the device.
    static OpenFailure classify(QSerialPort::SerialPortError error, bool mayOpen);

private:
    void applySettings();
    void pollLines();
    void onError(QSerialPort::SerialPortError error);
    void onReceived();
    void endBatch();
    int baudRate() const;

    std::function<QString(int)> devicePath_;
    QString openPath_;
    QSerialPort serial_;
    QTimer linePoll_;
    // Ends a wait for expected characters that did not all come.
    QTimer batchEnd_;
    // The characters the system waits for before it announces an arrival; 0: none.
    int readMinimum_ = 0;
    bool hinted_ = false;
    int number_ = 1;
    QString settings_ = QStringLiteral("19200,N,8,1");
    QSerialPort::PinoutSignals lines_;
    bool hasLines_ = false;
};
