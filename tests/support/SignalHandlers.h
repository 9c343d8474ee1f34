#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Whether a process has set a handler of its own for a signal, as Linux reports it: a test
// sends its signal only once the program is ready to catch it.
inline bool catchesSignal(qint64 pid, int number) {
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (number - 1)) & 1;
    return false;
}
