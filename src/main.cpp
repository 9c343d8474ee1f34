#include "BuiltInRadio.h"
#include "ChosenPort.h"
#include "RadioOptionsText.h"
#include "app/MainWindow.h"
#include "app/ParentConsole.h"
#include "app/SplashWindow.h"
#include "core/Clock.h"
#include "core/QtPrompts.h"
#include "core/QuitSignals.h"
#include "core/SettingsFile.h"
#include "link/PortNames.h"
#include "link/PortNaming.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QSettings>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

constexpr int QuitBoundMs = 5000;

struct StartOptions {
    std::optional<int> exitCode; // set when the program ends before any window
    QString port;
};

// Read before any window exists, so that --help and --version work with no display.
StartOptions parseCommandLine(int argc, char* argv[]) {
    const QCoreApplication arguments(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Configures and diagnoses Quenlar Ardentix radios through their serial console.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(
        "port", "The radio's serial port: a device (/dev/ttyUSB0) or a port number.", "DEVICE|N");
    parser.addOption(port);
    // "/?" is how Windows users ask a program for its help.
    QStringList words = QCoreApplication::arguments();
    std::replace(words.begin(), words.end(), QStringLiteral("/?"), QStringLiteral("--help"));
    if (!parser.parse(words)) {
        std::fprintf(stderr, "ardentix: %s\nTry 'ardentix --help'.\n",
                     qPrintable(parser.errorText()));
        return {2, {}};
    }
    if (parser.isSet("help") || parser.isSet("help-all")) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return {0, {}};
    }
    if (parser.isSet("version")) {
        std::printf("ardentix %s\n", ARDENTIX_VERSION);
        return {0, {}};
    }
    PortNaming::Named named;
    if (parser.isSet(port) &&
        !PortNaming::parse(PortNaming::systemScheme(), parser.value(port), named)) {
        std::fprintf(
            stderr, "ardentix: %s\n",
            qPrintable(PortNaming::refusal(PortNaming::systemScheme(), parser.value(port))));
        return {2, {}};
    }
    return {std::nullopt, parser.value(port)};
}

// The installed theme's icon where there is one, else the one built in.
QIcon windowIcon() {
    QIcon builtIn;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        builtIn.addFile(QStringLiteral(":/icons/icon-%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme("com.quenlar.Ardentix", builtIn);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName("Quenlar Ardentix Configuration");
    QCoreApplication::setOrganizationName("Quenlar");
    QCoreApplication::setApplicationVersion(ARDENTIX_VERSION);
    ParentConsole::attach();
    const StartOptions options = parseCommandLine(argc, argv);
    if (options.exitCode)
        return *options.exitCode;
    ParentConsole::release();

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName("com.quenlar.Ardentix");
    QApplication::setWindowIcon(windowIcon());

    std::unique_ptr<QSettings> settings = openAppSettings();
    PortNames::numberAdapters(*settings, PortNames::systemAdapters());
    // A port named on the command line holds for this run; the stored ones are left as they were.
    PortNames::RunPort runPort;
    if (!options.port.isEmpty()) {
        PortNaming::Named named;
        PortNaming::parse(PortNaming::systemScheme(), options.port, named);
        runPort = PortNames::forRun(*settings, named);
    }
    const auto devicePath = [&](int number) { return runPort.deviceOf(*settings, number); };
    SystemClock clock;
    // The radio built into the program, for the port list's "Simulated radio": one for the run,
    // which the store and restore window's port reaches too.
    BuiltInRadio builtInRadio(RadioOptionsText::builtInOptions(*settings), clock);
    ChosenPort port(devicePath, builtInRadio);
    QtPrompts prompts;
    prompts.keepFoldersIn(*settings);

    SplashWindow splash(SplashWindow::StartUp);
    splash.exec();

    MainWindow window(port, prompts, clock, *settings);
    window.setPortMaker(
        [&] { return std::make_unique<ChosenPort>(devicePath, builtInRadio); });
    if (runPort.number > 0)
        port.setPortNumber(runPort.number);
    prompts.setParent(&window);
    const QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &window, [&window](int number) {
        // Nothing the quit waits for lasts this long; should it hang all the same, the
        // program still ends. The bound runs from the signal: the quit may wait inside the call
        // below.
        QTimer::singleShot(QuitBoundMs, &window, [number] {
            std::fprintf(stderr, "ardentix: signal %d: the quit did not finish; ending now.\n",
                         number);
            // Ended here, as the signal itself would end it: an exit through the event loop
            // would wait for what hangs, and the quit finishing after would report success.
            std::_Exit(128 + number);
        });
        window.quitBySignal();
    });
    window.show();
    return app.exec();
}
