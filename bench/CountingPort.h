#pragma once

#include "link/DevicePort.h"

// The real serial port, counting what crosses the line: every write (whose first character
// must cross before its echo can return) and every character received.
class CountingPort : public DevicePort {
public:
    using DevicePort::DevicePort;
    void write(const QByteArray& bytes) override {
        ++writes;
        DevicePort::write(bytes);
    }
    QByteArray readAll() override {
        const QByteArray bytes = DevicePort::readAll();
        received += bytes.size();
        return bytes;
    }
    qint64 writes = 0;
    qint64 received = 0;
};
