#include "PortNaming.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace PortNaming {

QString builtInDevice(Scheme scheme, int number) {
    return scheme == Scheme::Windows ? QStringLiteral("COM%1").arg(number)
                                     : QStringLiteral("/dev/ttyS%1").arg(number - 1);
}

int builtInNumber(Scheme scheme, const QString& device) {
    // The system lists its ports by their device names ("\\\\.\\COM12"), which users type too.
    static const QRegularExpression windows("^(?:\\\\\\\\\\.\\\\)?COM([1-9]\\d{0,2})$",
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression ttyS("^/dev/ttyS(\\d{1,3})$");
    const QRegularExpressionMatch match =
        (scheme == Scheme::Windows ? windows : ttyS).match(device);
    if (!match.hasMatch())
        return 0;
    const int number = match.captured(1).toInt();
    return scheme == Scheme::Windows ? number : number + 1;
}

QString deviceOf(Scheme scheme, int number, const QString& mapped) {
    if (scheme == Scheme::Unix && !mapped.isEmpty())
        return mapped;
    return builtInDevice(scheme, number);
}

bool parse(Scheme scheme, const QString& text, Named& named) {
    const QString trimmed = text.trimmed();
    bool numeric = false;
    const int number = trimmed.toInt(&numeric);
    if (numeric) {
        named = {number, QString()};
        return number > 0;
    }
    if (trimmed.isEmpty())
        return false;
    // Windows ports are their numbers; elsewhere a device keeps its name, to be mapped.
    const int builtIn = builtInNumber(scheme, trimmed);
    if (scheme == Scheme::Windows && builtIn > 0)
        named = {builtIn, QString()};
    else
        named = {0, trimmed};
    return true;
}

QString refusal(Scheme scheme, const QString& text) {
    return QCoreApplication::translate("PortNaming", "'%1' names no serial port: give a port "
                                                     "number from 1 up, or a device such as %2.")
        .arg(text,
             scheme == Scheme::Windows ? QStringLiteral("COM3") : QStringLiteral("/dev/ttyUSB0"));
}

} // namespace PortNaming
