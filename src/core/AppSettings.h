#pragma once

#include <QColor>
#include <QString>
#include <optional>

class QSettings;

// The stored preferences as the main window applies them at load.
struct StoredPreferences {
    int commPort = 1;
    bool passEnabled = false;
    bool boldText = true;
    QColor textColor = QColor(0x00, 0x00, 0x99);
    QColor backColor = QColor(0xFF, 0xFF, 0xFF);
    bool connectOnLaunch = false;
    bool keepAlive = true;
    bool logoutOnQuit = true;
};

// Reads every key with its default; a value that cannot be read keeps the default.
StoredPreferences loadPreferences(QSettings& settings);

// "true"/"false" in any case; anything else is unreadable.
std::optional<bool> parseYesNo(const QString& text);
// A 24-bit colour number in blue-green-red order, decimal or "&H" hexadecimal.
std::optional<QColor> parseColour(const QString& text);
// The colour as it is stored: its number in blue-green-red order, in decimal.
QString colourText(const QColor& colour);
// "True" or "False", as flags are stored.
QString yesNoText(bool value);
