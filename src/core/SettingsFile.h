#pragma once

#include <QSettings>
#include <memory>

// The per-user settings store of the program, shared by the window and the command-line tool.
std::unique_ptr<QSettings> openAppSettings();
