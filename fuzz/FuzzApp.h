#pragma once

#include <QApplication>
#include <QtGlobal>

// The application object the widget targets need: made once, with no display, and quiet, so
// that warnings the program writes cost no time.
namespace FuzzApp {

inline void ignoreMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

inline QApplication& instance() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(ignoreMessages);
        return new QApplication(argc, argv);
    }();
    return *app;
}

} // namespace FuzzApp
