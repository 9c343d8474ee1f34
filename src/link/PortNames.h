#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// Port numbers as the program keeps them, mapped to devices through the "Ports" group.
namespace PortNames {

// The device of port number n: COMn on Windows; elsewhere the "Ports/Com<n>" key, or
// /dev/ttyS<n-1> without one.
QString devicePath(QSettings& settings, int number);
// Gives each listed adapter device that has no number yet the lowest free one, written back.
void numberAdapters(QSettings& settings, const QStringList& devices);
// The USB and ACM serial adapters the system reports now.
QStringList systemAdapters();

} // namespace PortNames
