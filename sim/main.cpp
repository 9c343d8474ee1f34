// ardentix-radio-sim: a simulated Ardentix radio on a pseudo-terminal.
#include "FaultControl.h"
#include "PtyRadio.h"
#include "RadioConsole.h"
#include "RadioOptionsText.h"
#include "SRecord.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
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
    RadioOptionsText::addTo(parser);
    const QCommandLineOption link("link", "Also reach the device through a link at this path.",
                                  "path");
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
    parser.addOptions({link, control, quiet, makeFirmware, size});
    parser.process(app);

    if (parser.isSet(makeFirmware) && !RadioOptionsText::isRelease(parser.value(makeFirmware))) {
        QTextStream(stderr) << "--make-firmware takes a release X.Y.Z (such as 3.3.0), not '"
                            << parser.value(makeFirmware) << "'\n";
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

    QString wrong;
    const std::optional<RadioOptions> options = RadioOptionsText::from(parser, wrong);
    if (!options) {
        QTextStream(stderr) << wrong << "\n";
        return 2;
    }

    RadioConsole radio(*options);
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
    FaultControl faults(radio);
    // As a pulled plug: at once, and the device's node goes with it.
    faults.vanish = [] {
        removePaths();
        ::raise(SIGKILL);
    };
    faults.lineSettings = [&pty] { return pty.lineSettings(); };
    faults.pendingBytes = [&pty] { return pty.pendingBytes(); };
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
