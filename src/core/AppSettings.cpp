#include "AppSettings.h"

#include <QSettings>

std::optional<bool> parseYesNo(const QString& text) {
    const QString word = text.trimmed().toLower();
    if (word == "true")
        return true;
    if (word == "false")
        return false;
    return std::nullopt;
}

std::optional<QColor> parseColour(const QString& text) {
    const QString value = text.trimmed();
    bool ok = false;
    qulonglong number = 0;
    if (value.startsWith("&H", Qt::CaseInsensitive))
        number = value.mid(2).toULongLong(&ok, 16);
    else
        number = value.toULongLong(&ok, 10);
    if (!ok || number > 0xFFFFFF)
        return std::nullopt;
    return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}

QString colourText(const QColor& colour) {
    return QString::number(colour.red() | (colour.green() << 8) | (colour.blue() << 16));
}

QString yesNoText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

namespace {

void readYesNo(QSettings& settings, const char* key, const char* fallback, bool& into) {
    if (auto value = parseYesNo(settings.value(key, fallback).toString()))
        into = *value;
}

void readColour(QSettings& settings, const char* key, const char* fallback, QColor& into) {
    if (auto value = parseColour(settings.value(key, fallback).toString()))
        into = *value;
}

} // namespace

StoredPreferences loadPreferences(QSettings& settings) {
    StoredPreferences prefs;
    if (settings.status() == QSettings::AccessError)
        return prefs;
    settings.beginGroup("Properties");
    bool ok = false;
    const int port = settings.value("CommPort", "1").toString().trimmed().toInt(&ok);
    if (ok && port > 0)
        prefs.commPort = port;
    settings.endGroup();
    settings.beginGroup("Preferences");
    readYesNo(settings, "PassEnabled", "false", prefs.passEnabled);
    readYesNo(settings, "BoldText", "True", prefs.boldText);
    readColour(settings, "TextColor", "&H990000", prefs.textColor);
    readColour(settings, "BackColor", "&HFFFFFF", prefs.backColor);
    readYesNo(settings, "ConnectOnLaunch", "False", prefs.connectOnLaunch);
    readYesNo(settings, "KeepAlive", "True", prefs.keepAlive);
    readYesNo(settings, "LogoutOnQuit", "True", prefs.logoutOnQuit);
    settings.endGroup();
    return prefs;
}
