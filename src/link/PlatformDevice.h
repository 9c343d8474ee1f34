#pragma once

#include <QString>

// What the program asks of the operating system about serial devices; each kind of system has
// its own small file (PlatformDevice_unix.cpp, PlatformDevice_other.cpp).
namespace PlatformDevice {

// Whether another running program has locked the device, as serial programs do with a lock
// file in the system's lock folder.
bool lockedByAnother(const QString& device);
// Whether this user may read and write the device.
bool mayOpen(const QString& device);
// Whether the far end of an open device hung up (a pseudo-terminal whose server ended), which
// reads as an endless end of file rather than as an error.
bool hungUp(qintptr handle);
// Asks the system to report an open device readable only once this many characters are in
// (0: as soon as one is); false where it cannot.
bool setReadMinimum(qintptr handle, int characters);

} // namespace PlatformDevice
