#pragma once

#include "SimulatedPort.h"
#include "link/DevicePort.h"

#include <memory>

class BuiltInRadio;

// The port the user chose: a serial device, or the radio the program simulates itself (the
// port list's "Simulated radio (built in)"), so that every window can be tried and taught with
// no radio and no cable. Chosen by the port number, while the port is closed.
class ChosenPort : public SerialPort {
    Q_OBJECT
public:
    ChosenPort(std::function<QString(int)> devicePath, BuiltInRadio& builtInRadio,
               QObject* parent = nullptr);

    int portNumber() const override { return active().portNumber(); }
    void setPortNumber(int number) override;
    QString settings() const override { return active().settings(); }
    void setSettings(const QString& settings) override;
    void setHandshakingNone() override;
    bool isOpen() const override { return active().isOpen(); }
    void setOpen(bool open) override { active().setOpen(open); }
    void write(const QByteArray& bytes) override { active().write(bytes); }
    QByteArray readAll() override { return active().readAll(); }
    qint64 bytesToSend() const override { return active().bytesToSend(); }
    void expectCharacters(int count, int withinMs) override;
    void discardOutput() override { active().discardOutput(); }

private:
    SerialPort& active();
    const SerialPort& active() const;
    void relay(SerialPort& inner);

    DevicePort device_;
    std::unique_ptr<SimulatedPort> simulated_;
    bool builtIn_ = false;
};
