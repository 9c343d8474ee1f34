#include "FileDiff.h"

#include "config/ConfigFormat.h"
#include "link/ConsoleText.h"

#include <QFile>
#include <cstdio>

namespace FileDiff {

namespace {

// The release the file was saved from follows its part-number line; a file that names none is
// read as the newest firmware would read it.
int versionOf(const QStringList& lines) {
    constexpr int Newest = 999;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        if (lines.at(i).contains("08-2727"))
            return ConsoleText::versionNumberOf(lines.at(i + 1).trimmed().left(5)).value_or(Newest);
    return Newest;
}

} // namespace

std::optional<QMap<QString, QString>> settingsOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "ardentix-cli: %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return std::nullopt;
    }
    if (file.size() > ConfigFormat::LargestFile) {
        std::fprintf(stderr, "ardentix-cli: %s is larger than any configuration file.\n",
                     qPrintable(path));
        return std::nullopt;
    }
    const QStringList lines = ConfigFormat::decode(file.readAll());
    ConfigFormat::Reader reader(versionOf(lines), QString());
    const ConfigFormat::Loaded loaded = reader.read(lines);
    if (loaded.parameterLines == 0) {
        std::fprintf(stderr, "ardentix-cli: %s holds no radio settings.\n", qPrintable(path));
        return std::nullopt;
    }
    return loaded.values;
}

QList<Difference> differences(const QMap<QString, QString>& first,
                              const QMap<QString, QString>& second) {
    QList<Difference> found;
    for (const ConfigFormat::Row& row : ConfigFormat::rows()) {
        const QString a = first.value(row.query, "n/a");
        const QString b = second.value(row.query, "n/a");
        if (!ConfigFormat::sameSetting(a, b))
            found.append({row.query, a, b});
    }
    return found;
}

} // namespace FileDiff
