#pragma once

#include <QSerialPort>
#include <QString>
#include <utility>

// What the program asks of the operating system about serial devices; each kind of system has
// its own small file (PlatformDevice_unix.cpp, PlatformDevice_windows.cpp).
namespace PlatformDevice {

// What the serial component holds the open device by: a descriptor on Unix, a HANDLE on Windows.
using DeviceHandle = decltype(std::declval<QSerialPort&>().handle());

// Whether there is such a device: a device file on Unix, a COM port the system lists on Windows.
bool exists(const QString& device);
// The device a path reaches, its links resolved (/dev/serial/by-id/... is /dev/ttyUSB0): the
// port is opened, and so locked, by it, so that two names of one device share one lock.
QString realDevice(const QString& device);
// Whether another running program has locked the device, as serial programs do with a lock
// file in the system's lock folder, under any of the device's names.
bool lockedByAnother(const QString& device);
// Whether this user may read and write the device.
bool mayOpen(const QString& device);
// Whether the far end of an open device hung up (a pseudo-terminal whose server ended), which
// reads as an endless end of file rather than as an error.
bool hungUp(DeviceHandle handle);
// Asks the system to report an open device readable only once this many characters are in
// (0: as soon as one is); false where it cannot.
bool setReadMinimum(DeviceHandle handle, int characters);

} // namespace PlatformDevice
