#include "PortNames.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSettings>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

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

QStringList systemPorts() {
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    return devices;
}

// The number a system port answers to without a mapping: ttyS<k> is k + 1, COMn is n.
static int builtInNumber(const QString& device) {
    static const QRegularExpression builtIn("^(?:/dev/ttyS(\\d+)|COM(\\d+))$");
    const QRegularExpressionMatch match = builtIn.match(device);
    if (!match.hasMatch())
        return 0;
    return match.captured(1).isEmpty() ? match.captured(2).toInt() : match.captured(1).toInt() + 1;
}

QList<Port> availablePorts(QSettings& settings, const QStringList& systemPorts) {
    QMap<int, QString> devices;
    settings.beginGroup("Ports");
    for (const QString& name : settings.childKeys()) {
        bool numbered = false;
        const int number = QString(name).remove(0, 3).toInt(&numbered);
        if (name.startsWith("Com") && numbered && number > 0)
            devices.insert(number, settings.value(name).toString());
    }
    settings.endGroup();
    for (const QString& device : systemPorts) {
        const int number = builtInNumber(device);
        if (number > 0 && !devices.contains(number))
            devices.insert(number, device);
    }
    QList<Port> ports;
    for (auto it = devices.cbegin(); it != devices.cend(); ++it) {
#ifndef Q_OS_WIN
        if (!QFileInfo::exists(it.value()))
            continue;
#endif
        ports.append({it.key(), it.value(), lockedByAnother(it.value())});
    }
    return ports;
}

QString describe(const Port& port) {
    return QStringLiteral("Com%1 (%2)%3")
        .arg(port.number)
        .arg(port.device)
        .arg(port.inUse ? QStringLiteral(" - in use by another program") : QString());
}

bool lockedByAnother(const QString& device) {
#ifdef Q_OS_UNIX
    static const char* const Folders[] = {"/var/lock",         "/etc/locks", "/var/spool/locks",
                                          "/var/spool/uucp",   "/tmp",       "/var/tmp",
                                          "/var/lock/lockdev", "/run/lock"};
    const QString name = "LCK.." + QFileInfo(QFileInfo(device).canonicalFilePath()).fileName();
    for (const char* folder : Folders) {
        QFile lock(QString::fromLatin1(folder) + u'/' + name);
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        const qint64 pid = lock.readLine(32).trimmed().toLongLong();
        if (pid > 0 && pid != QCoreApplication::applicationPid() &&
            (::kill(pid_t(pid), 0) == 0 || errno == EPERM))
            return true;
    }
#else
    Q_UNUSED(device);
#endif
    return false;
}

} // namespace PortNames
