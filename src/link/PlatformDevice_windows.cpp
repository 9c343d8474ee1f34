// Windows: no lock files and no device permissions of the Unix kind; the serial component says
// itself when a port is in use or gone. QSerialPort reports a port another program holds
// (ERROR_ACCESS_DENIED) as PermissionError, which DevicePort::classify() calls "in use" since
// every user may open a COM port here, and a port that is not there (ERROR_FILE_NOT_FOUND) as
// DeviceNotFoundError: the same messages as on Linux.
#include "PlatformDevice.h"

#include <QSerialPortInfo>

namespace PlatformDevice {

bool exists(const QString& device) {
    return !QSerialPortInfo(device).isNull();
}

QString realDevice(const QString& device) {
    return device;
}

bool lockedByAnother(const QString&) {
    return false;
}

bool mayOpen(const QString&) {
    return true;
}

bool hungUp(DeviceHandle) {
    return false;
}

bool setReadMinimum(DeviceHandle, int) {
    return false;
}

} // namespace PlatformDevice
