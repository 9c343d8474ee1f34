#include "ConfigFile.h"

#include "link/ConsoleText.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace ConfigFile {

namespace {

void fail(const QString& text) {
    std::fprintf(stderr, "ardentix-cli: %s\n", qPrintable(text));
}

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

std::optional<Read> read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(path + ": " + file.errorString());
        return std::nullopt;
    }
    if (file.size() > ConfigFormat::LargestFile) {
        fail(path + " is larger than any configuration file.");
        return std::nullopt;
    }
    Read read;
    read.lines = ConfigFormat::decode(file.readAll());
    ConfigFormat::Reader reader(versionOf(read.lines), QString());
    read.loaded = reader.read(read.lines);
    // A line the reader refused may be a setting mangled: nothing is taken from such a file.
    if (sayRefusedLines(path, read.loaded)) {
        fail(QCoreApplication::translate("ConfigFile",
                                         "%1 was not used: mend or remove the lines named.")
                 .arg(path));
        return std::nullopt;
    }
    if (read.loaded.parameterLines == 0) {
        fail(path + " holds no radio settings.");
        return std::nullopt;
    }
    return read;
}

bool sayRefusedLines(const QString& path, const ConfigFormat::Loaded& loaded) {
    for (const int line : loaded.tooLong)
        fail(QCoreApplication::translate(
                 "ConfigFile", "%1, line %2: longer than %3 characters, which no setting is.")
                 .arg(path, QString::number(line), QString::number(ConfigFormat::LongestLine)));
    for (const int line : loaded.garbled)
        fail(QCoreApplication::translate("ConfigFile",
                                         "%1, line %2: holds characters no radio sends (line "
                                         "noise saved with a reply, or a damaged file).")
                 .arg(path, QString::number(line)));
    return !loaded.tooLong.isEmpty() || !loaded.garbled.isEmpty();
}

bool maySave(const QString& path) {
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    const QString refused = QCoreApplication::translate("ConfigFile", "%1 cannot be saved: %2.");
    if (file.isDir())
        fail(refused.arg(path, QCoreApplication::translate("ConfigFile", "it is a folder")));
    else if (!folder.isDir())
        fail(refused.arg(path, QCoreApplication::translate("ConfigFile", "there is no folder %1")
                                   .arg(folder.filePath())));
    else if (!folder.isWritable())
        fail(refused.arg(path,
                         QCoreApplication::translate("ConfigFile", "the folder %1 is not writable")
                             .arg(folder.filePath())));
    else if (file.exists() && !file.isWritable())
        fail(refused.arg(
            path, QCoreApplication::translate("ConfigFile", "the file there is not writable")));
    else
        return true;
    return false;
}

} // namespace ConfigFile
