#pragma once

#include <QString>

// How port numbers name devices on each kind of system, as pure functions so that both schemes
// are tested on any of them.
namespace PortNaming {

enum class Scheme {
    Windows, // COM1, COM2 ...: the number is the name
    Unix,    // /dev/ttyS0 is port 1; adapters (/dev/ttyUSB0) are numbered in the settings
};

// The scheme of the system the program was built for.
constexpr Scheme systemScheme() {
#ifdef Q_OS_WIN
    return Scheme::Windows;
#else
    return Scheme::Unix;
#endif
}

// The device a port number names when the settings map it to none.
QString builtInDevice(Scheme scheme, int number);
// The port number a system device answers to without a mapping (COM3 is 3, /dev/ttyS2 is 3),
// or 0 when it has none.
int builtInNumber(Scheme scheme, const QString& device);
// The device of a port number, given what the settings map it to (empty for nothing). Windows
// names its ports itself, so a mapping there is not used.
QString deviceOf(Scheme scheme, int number, const QString& mapped);

// A port as the user names it on a command line: a number ("3"), or a device ("/dev/ttyUSB0",
// "COM3"). A number is 0 when a device was named.
struct Named {
    int number = 0;
    QString device;
};
// Nothing valid when the text is empty, or a number that is not 1 or more.
bool parse(Scheme scheme, const QString& text, Named& named);
// What a command line says of a text parse() refuses: why it names no port, and what does.
QString refusal(Scheme scheme, const QString& text);

} // namespace PortNaming
