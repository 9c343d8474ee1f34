#include "app/MainWindow.h"
#include "app/QuitSignals.h"
#include "app/SplashWindow.h"
#include "core/SettingsFile.h"
#include "core/Clock.h"
#include "core/QtPrompts.h"
#include "link/DevicePort.h"
#include "link/PortNames.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quenlar Ardentix Configuration");
    QApplication::setOrganizationName("Quenlar");

    std::unique_ptr<QSettings> settings = openAppSettings();
    PortNames::numberAdapters(*settings, PortNames::systemAdapters());
    const auto devicePath = [&](int number) { return PortNames::devicePath(*settings, number); };
    DevicePort port(devicePath);
    SystemClock clock;
    QtPrompts prompts;

    SplashWindow splash(SplashWindow::StartUp);
    splash.exec();

    MainWindow window(port, prompts, clock, *settings);
    window.setPortMaker([&] { return std::make_unique<DevicePort>(devicePath); });
    prompts.setParent(&window);
    const QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &window, &MainWindow::quitBySignal);
    window.show();
    return app.exec();
}
