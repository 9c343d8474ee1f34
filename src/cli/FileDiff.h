#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <optional>

// Two configuration files compared setting by setting, with no radio.
namespace FileDiff {

struct Difference {
    QString query;
    QString first; // "n/a" where the file lacks the setting
    QString second;
};

// A file's settings by query keyword, read as the radio that saved it would read them back;
// nothing (said on standard error) when ConfigFile::read refuses it.
std::optional<QMap<QString, QString>> settingsOf(const QString& path);
// The settings whose values differ, letter case and runs of blanks aside, in file order.
QList<Difference> differences(const QMap<QString, QString>& first,
                              const QMap<QString, QString>& second);

} // namespace FileDiff
