#include "FileDiff.h"

#include "ConfigFile.h"

namespace FileDiff {

std::optional<QMap<QString, QString>> settingsOf(const QString& path) {
    const std::optional<ConfigFile::Read> file = ConfigFile::read(path);
    if (!file)
        return std::nullopt;
    return file->loaded.values;
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
