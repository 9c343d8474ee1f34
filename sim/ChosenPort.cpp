#include "ChosenPort.h"

#include "BuiltInRadio.h"
#include "link/PortNames.h"

ChosenPort::ChosenPort(std::function<QString(int)> devicePath, BuiltInRadio& builtInRadio,
                       QObject* parent)
    : SerialPort(parent), device_(std::move(devicePath)), simulated_(builtInRadio.port()) {
    relay(device_);
    relay(*simulated_);
}

void ChosenPort::relay(SerialPort& inner) {
    connect(&inner, &SerialPort::commEvent, this, &SerialPort::commEvent);
    connect(&inner, &SerialPort::deviceLost, this, &SerialPort::deviceLost);
    connect(&inner, &SerialPort::sent, this, &SerialPort::sent);
}

SerialPort& ChosenPort::active() {
    return builtIn_ ? static_cast<SerialPort&>(*simulated_) : device_;
}

const SerialPort& ChosenPort::active() const {
    return builtIn_ ? static_cast<const SerialPort&>(*simulated_) : device_;
}

void ChosenPort::setPortNumber(int number) {
    if (isOpen())
        throw SerialError(SerialError::PortAlreadyOpen, "Port already open");
    if (number == PortNames::BuiltInRadio) {
        builtIn_ = true;
        return;
    }
    device_.setPortNumber(number);
    builtIn_ = false;
}

void ChosenPort::setSettings(const QString& settings) {
    device_.setSettings(settings);
    simulated_->setSettings(settings);
}

void ChosenPort::setHandshakingNone() {
    device_.setHandshakingNone();
    simulated_->setHandshakingNone();
}

void ChosenPort::expectCharacters(int count, int withinMs) {
    active().expectCharacters(count, withinMs);
}
