#include "SettingsFile.h"

std::unique_ptr<QSettings> openAppSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Quenlar"),
                                       QStringLiteral("Quenlar Ardentix Configuration"));
}
