#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QSettings;
namespace PortNaming {
struct Named;
}

// Port numbers as the program keeps them, mapped to devices through the "Ports" group.
namespace PortNames {

// The radio the program simulates itself, for trying and teaching with no radio: in every port
// list under this number, and named "simulated" on the command line.
constexpr int BuiltInRadio = 255;
inline const QString BuiltInRadioName = QStringLiteral("simulated");

// The device of port number n: COMn on Windows; elsewhere the "Ports/Com<n>" key, or
// /dev/ttyS<n-1> without one.
QString devicePath(QSettings& settings, int number);
// Gives each listed adapter device that has no number yet the lowest free one, written back.
void numberAdapters(QSettings& settings, const QStringList& devices);
// The USB and ACM serial adapters the system reports now.
QStringList systemAdapters();
// Every serial port the system reports now.
QStringList systemPorts();

struct Port {
    int number;
    QString device;
    bool inUse; // another program holds it
};
// The ports that exist, by number: those the "Ports" group maps to a device that exists, and
// the system's own serial ports (/dev/ttyS<n-1>, COMn) that have no mapping. Nothing is opened.
QList<Port> availablePorts(QSettings& settings, const QStringList& systemPorts);
// A port named for one run (the command line's --port), by number or by device. A device the
// settings know keeps its number; another one is this run's own, under a number no stored port
// uses, and nothing is written: the stored ports stay as they were.
struct RunPort {
    int number = 0;
    QString device; // this run's own device; empty when the settings map the number
    // The device of port number n for this run.
    QString deviceOf(QSettings& settings, int n) const;
};
RunPort forRun(QSettings& settings, const PortNaming::Named& named);
// "Com3 (/dev/ttyUSB0)", marked when another program holds the port.
QString describe(const Port& port);

} // namespace PortNames
