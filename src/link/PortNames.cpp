#include "PortNames.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSettings>

namespace PortNames {

static QString key(int number) {
    return QStringLiteral("Ports/Com%1").arg(number);
}

QString devicePath(QSettings& settings, int number) {
#ifdef Q_OS_WIN
    Q_UNUSED(settings);
    return QStringLiteral("COM%1").arg(number);
#else
    const QString mapped = settings.value(key(number)).toString();
    if (!mapped.isEmpty())
        return mapped;
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
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
               QFileInfo::exists(QStringLiteral("/dev/ttyS%1").arg(number - 1)))
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

} // namespace PortNames
