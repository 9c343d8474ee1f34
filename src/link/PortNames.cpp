#include "PortNames.h"

#include "PlatformDevice.h"
#include "PortNaming.h"

#include <QFileInfo>
#include <QMap>
#include <QSerialPortInfo>
#include <QSettings>

namespace PortNames {

static QString key(int number) {
    return QStringLiteral("Ports/Com%1").arg(number);
}

using PortNaming::systemScheme;

QString devicePath(QSettings& settings, int number) {
    if (number == BuiltInRadio)
        return BuiltInRadioName;
    return PortNaming::deviceOf(systemScheme(), number, settings.value(key(number)).toString());
}

void numberAdapters(QSettings& settings, const QStringList& devices) {
    QStringList known;
    settings.beginGroup("Ports");
    for (const QString& name : settings.childKeys())
        known << settings.value(name).toString();
    settings.endGroup();
    int number = 1;
    for (const QString& device : devices) {
        if (known.contains(device))
            continue;
        // Free: no key, and no built-in port answering to the default name.
        while (settings.contains(key(number)) ||
               QFileInfo::exists(PortNaming::builtInDevice(systemScheme(), number)))
            ++number;
        settings.setValue(key(number), device);
        known << device;
    }
}

QStringList systemAdapters() {
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString path = info.systemLocation();
        if (path.contains("ttyUSB") || path.contains("ttyACM"))
            devices << path;
    }
    return devices;
}

QStringList systemPorts() {
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    return devices;
}

// The "Ports" group's mappings, by number.
static QMap<int, QString> mappedPorts(QSettings& settings) {
    QMap<int, QString> devices;
    settings.beginGroup("Ports");
    for (const QString& name : settings.childKeys()) {
        bool numbered = false;
        const int number = QString(name).remove(0, 3).toInt(&numbered);
        if (name.startsWith("Com") && numbered && number > 0)
            devices.insert(number, settings.value(name).toString());
    }
    settings.endGroup();
    return devices;
}

QList<Port> availablePorts(QSettings& settings, const QStringList& systemPorts) {
    QMap<int, QString> devices = mappedPorts(settings);
    for (const QString& device : systemPorts) {
        const int number = PortNaming::builtInNumber(systemScheme(), device);
        // By the name the port is known by ("COM7", not "\\\\.\\COM7").
        if (number > 0 && !devices.contains(number))
            devices.insert(number, PortNaming::builtInDevice(systemScheme(), number));
    }
    QList<Port> ports;
    for (auto it = devices.cbegin(); it != devices.cend(); ++it) {
#ifndef Q_OS_WIN
        if (!QFileInfo::exists(it.value()))
            continue;
#endif
        ports.append({it.key(), it.value(), PlatformDevice::lockedByAnother(it.value())});
    }
    ports.append({BuiltInRadio, BuiltInRadioName, false});
    return ports;
}

RunPort forRun(QSettings& settings, const PortNaming::Named& named) {
    if (named.device.isEmpty())
        return {named.number, QString()};
    if (named.device.compare(BuiltInRadioName, Qt::CaseInsensitive) == 0)
        return {BuiltInRadio, QString()};
    if (const int builtIn = PortNaming::builtInNumber(systemScheme(), named.device))
        return {builtIn, QString()};
    const QMap<int, QString> mapped = mappedPorts(settings);
    if (const int known = mapped.key(named.device, 0))
        return {known, QString()};
    int number = 1;
    while (mapped.contains(number) ||
           QFileInfo::exists(PortNaming::builtInDevice(systemScheme(), number)))
        ++number;
    return {number, named.device};
}

QString RunPort::deviceOf(QSettings& settings, int n) const {
    return n == number && !device.isEmpty() ? device : devicePath(settings, n);
}

QString describe(const Port& port) {
    if (port.number == BuiltInRadio)
        return QStringLiteral("Simulated radio (built in, for training)");
    return QStringLiteral("Com%1 (%2)%3")
        .arg(port.number)
        .arg(port.device)
        .arg(port.inUse ? QStringLiteral(" - in use by another program") : QString());
}

} // namespace PortNames
