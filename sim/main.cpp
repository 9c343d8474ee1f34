// ardentix-radio-sim: a simulated Ardentix radio on a pseudo-terminal.
#include "FaultControl.h"
#include "PtyRadio.h"
#include "RadioConsole.h"
#include "SRecord.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace {

QByteArray linkPath;
QByteArray controlPath;

void removePaths() {
    if (!linkPath.isEmpty())
        ::unlink(linkPath.constData());
    if (!controlPath.isEmpty())
        ::unlink(controlPath.constData());
}

void endOnSignal(int) {
    removePaths();
    ::_exit(0);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("ardentix-radio-sim");
    QCoreApplication::setApplicationVersion(ARDENTIX_VERSION);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "A simulated Ardentix radio console on a pseudo-terminal. Prints the device path, then "
        "one line for every command line the radio receives.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption firmware("firmware", "Firmware release X.Y.Z (default 3.2.0).",
                                      "release", "3.2.0");
    const QCommandLineOption mode("mode", "Radio mode M, R or X (default M).", "mode", "M");
    const QCommandLineOption password("password", "Customer password set in the radio.", "text");
    const QCommandLineOption setup("setup", "Start in setup mode (prompt SETUP>).");
    const QCommandLineOption loader("loader", "Start in the loader (prompt LOADER>).");
    const QCommandLineOption link("link", "Also reach the device through a link at this path.",
                                  "path");
    const QCommandLineOption latency("latency", "Reply latency in milliseconds.", "ms", "0");
    const QCommandLineOption store("store-latency",
                                   "Time the radio takes to store a written setting before it "
                                   "answers, in milliseconds (default 150).",
                                   "ms", "150");
    const QCommandLineOption silent("silent", "Answer nothing at all.");
    const QCommandLineOption noise("noise",
                                   "Put a stray character before this percentage of the "
                                   "characters sent.",
                                   "percent", "0");
    const QCommandLineOption cut("cut", "Cut every reply short: no prompt follows it.");
    const QCommandLineOption control(
        "control",
        "Make a named pipe at this path that takes faults while the radio runs, a line each: "
        "silent on|off, latency MS, noise PERCENT, cut on|off, cut-line on|off, clear, vanish, "
        "line, pending, or after TEXT: FAULT.",
        "path");
    const QCommandLineOption quiet("quiet", "Do not print the received command lines.");
    const QCommandLineOption makeFirmware(
        "make-firmware", "Write a firmware file of this release to the FILE given, and end.",
        "release");
    const QCommandLineOption size("size", "Size of the firmware file made, in bytes.", "bytes",
                                  "65536");
    parser.addPositionalArgument("FILE", "With --make-firmware only: the firmware file to write.",
                                 "[FILE]");
    parser.addOptions({firmware, mode, password, setup, loader, link, latency, store, silent, noise,
                       cut, control, quiet, makeFirmware, size});
    parser.process(app);

    // A release is five characters, X.Y.Z, each a digit or a pre-release letter.
    const QRegularExpression release("^[0-9A-Z]\\.[0-9A-Z]\\.[0-9A-Z]$");
    for (const QCommandLineOption* named : {&firmware, &makeFirmware})
        if (parser.isSet(*named) && !release.match(parser.value(*named)).hasMatch()) {
            QTextStream(stderr) << "--" << named->names().constFirst()
                                << " takes a release X.Y.Z (such as 3.3.0), not '"
                                << parser.value(*named) << "'\n";
            return 2;
        }
    if (!parser.positionalArguments().isEmpty() && !parser.isSet(makeFirmware)) {
        QTextStream(stderr) << "a FILE is only taken with --make-firmware\n";
        return 2;
    }
    if (parser.isSet(makeFirmware)) {
        QFile file(parser.positionalArguments().value(0));
        if (file.fileName().isEmpty() || !file.open(QIODevice::WriteOnly)) {
            QTextStream(stderr) << "--make-firmware needs a FILE that can be written\n";
            return 2;
        }
        file.write(SRecord::makeFirmware(parser.value(makeFirmware),
                                         std::max(64, parser.value(size).toInt())));
        return 0;
    }

    RadioOptions options;
    options.firmware = parser.value(firmware);
    const QString modeText = parser.value(mode).toUpper();
    if (modeText != "M" && modeText != "R" && modeText != "X") {
        QTextStream(stderr) << "--mode takes M, R or X\n";
        return 2;
    }
    options.mode = modeText.at(0);
    options.password = parser.value(password);
    options.setup = parser.isSet(setup);
    options.loader = parser.isSet(loader);
    options.latencyMs = parser.value(latency).toInt();
    options.storeMs = std::max(0, parser.value(store).toInt());
    options.silent = parser.isSet(silent);
    options.noisePercent = std::clamp(parser.value(noise).toInt(), 0, 100);
    options.cutReplies = parser.isSet(cut);

    RadioConsole radio(options);
    PtyRadio pty(radio);
    if (!pty.isReady()) {
        QTextStream(stderr) << "cannot open a pseudo-terminal: " << pty.errorString() << "\n";
        return 1;
    }
    if (parser.isSet(link)) {
        linkPath = QFile::encodeName(parser.value(link));
        ::unlink(linkPath.constData());
        if (::symlink(pty.devicePath().toLocal8Bit().constData(), linkPath.constData()) != 0) {
            QTextStream(stderr) << "cannot place the link at " << parser.value(link) << "\n";
            return 1;
        }
    }
    FaultControl faults(radio, pty);
    faults.beforeVanishing = removePaths;
    if (parser.isSet(control)) {
        if (!faults.listen(parser.value(control))) {
            QTextStream(stderr) << "cannot make the control pipe at " << parser.value(control)
                                << ": " << faults.errorString() << "\n";
            return 1;
        }
        controlPath = QFile::encodeName(parser.value(control));
    }
    std::signal(SIGTERM, endOnSignal);
    std::signal(SIGINT, endOnSignal);
    std::signal(SIGHUP, endOnSignal);

    QTextStream out(stdout);
    out << pty.devicePath() << Qt::endl;
    QObject::connect(&faults, &FaultControl::said, &app,
                     [&out](const QString& text) { out << text << Qt::endl; });
    if (!parser.isSet(quiet))
        QObject::connect(&pty, &PtyRadio::lineReceived, &app,
                         [&out](const QString& line) { out << "rx: " << line << Qt::endl; });
    return app.exec();
}
