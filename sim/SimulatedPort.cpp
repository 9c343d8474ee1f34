#include "SimulatedPort.h"

#include "RadioConsole.h"

#include <QTimer>

SimulatedPort::SimulatedPort(RadioConsole& radio, QObject* parent)
    : SerialPort(parent), radio_(radio) {}

void SimulatedPort::setPortNumber(int number) {
    if (open_)
        throw SerialError(SerialError::PortAlreadyOpen, "Port already open");
    if (number < 1 || number > 255)
        throw SerialError(SerialError::InvalidPortNumber, "Invalid port number");
    number_ = number;
}

void SimulatedPort::setOpen(bool open) {
    if (open && open_)
        throw SerialError(SerialError::PortAlreadyOpen, "Port already open");
    if (open && busy_)
        throw SerialError(SerialError::PortAlreadyOpen, "Port already open");
    if (open)
        ++opens_;
    open_ = open;
    if (!open)
        inbox_.clear();
}

void SimulatedPort::write(const QByteArray& bytes) {
    if (!open_)
        throw SerialError(SerialError::PortNotOpen, "Operation valid only when the port is open");
    emit written(bytes);
    const QByteArray answer = radio_.receive(bytes);
    if (answer.isEmpty())
        return;
    QTimer::singleShot(radio_.options().latencyMs, this, [this, answer] { deliver(answer); });
}

void SimulatedPort::deliver(const QByteArray& bytes) {
    if (!open_)
        return;
    inbox_ += bytes;
    emit commEvent(Received);
}

QByteArray SimulatedPort::readAll() {
    if (!open_)
        throw SerialError(SerialError::PortNotOpen, "Operation valid only when the port is open");
    QByteArray taken;
    taken.swap(inbox_);
    return taken;
}

void SimulatedPort::vanish() {
    open_ = false;
    inbox_.clear();
    emit deviceLost();
}
