// Systems without lock files or device permissions of the Unix kind (Windows): the serial
// component itself says when a port is in use or gone.
#include "PlatformDevice.h"

namespace PlatformDevice {

bool lockedByAnother(const QString&) {
    return false;
}

bool mayOpen(const QString&) {
    return true;
}

bool hungUp(qintptr) {
    return false;
}

bool setReadMinimum(qintptr, int) {
    return false;
}

} // namespace PlatformDevice
