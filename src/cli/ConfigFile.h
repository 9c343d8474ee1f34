#pragma once

#include "config/ConfigFormat.h"

#include <QString>
#include <QStringList>
#include <optional>

// Configuration files as the tool takes them, checked before any radio is woken: what can be
// found wrong with a file, or with where one is to be saved, is said on standard error first.
namespace ConfigFile {

struct Read {
    QStringList lines;
    ConfigFormat::Loaded loaded; // as the release that saved the file reads it
};
// The file, or nothing when it cannot be read, is larger than any configuration file, has a
// line the reader refuses, or holds no setting.
std::optional<Read> read(const QString& path);
// The lines of a file the reader refused, each named with why; false when there are none.
bool sayRefusedLines(const QString& path, const ConfigFormat::Loaded& loaded);
// Whether a file can be saved at path: its folder is there and writable, and the path is no
// folder nor a file that may not be replaced.
bool maySave(const QString& path);

} // namespace ConfigFile
