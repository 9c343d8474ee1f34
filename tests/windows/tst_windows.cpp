// How the tool meets Windows' consoles and devices, under Wine, which maps the null device as
// Windows does.
#include "SRecord.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A program of this build, as Windows names it (the build's paths are the Linux side's).
QString program(const char* path) {
    const QString named = QString::fromUtf8(path);
    return QDir::toNativeSeparators(named.startsWith(u'/') ? "Z:" + named : named);
}

struct Run {
    int code = -1;
    QString errors;
};

// The tool with the null device for its standard input, as `< NUL` gives it.
Run cliFromNul(const QStringList& arguments) {
    QProcess cli;
    cli.setStandardInputFile(QProcess::nullDevice());
    cli.start(program(CLI_PATH), arguments);
    if (!cli.waitForFinished(60000))
        cli.kill();
    return {cli.exitCode(), QString::fromLocal8Bit(cli.readAllStandardError())};
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    // NUL is a character device, not a console: nobody is there to answer a question.
    void theNullDeviceIsNoTerminal() {
        QTemporaryDir dir;
        const QString firmware = dir.filePath("fw330.s28");
        QFile file(firmware);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(SRecord::makeFirmware("3.3.0", 64));
        file.close();
        const Run upgrade = cliFromNul({"--port", "simulated", "upgrade", firmware});
        QVERIFY2(!upgrade.errors.contains("Password of the radio"), qPrintable(upgrade.errors));
        QVERIFY2(upgrade.errors.contains("declined: no terminal to ask on"),
                 qPrintable(upgrade.errors));
        QCOMPARE(upgrade.code, 10);
    }

    // "/?" is help, which names the keys that interrupt the tool as Windows users know them.
    void theToolsHelpSpeaksWindows() {
        QProcess cli;
        cli.start(program(CLI_PATH), {"/?"});
        QVERIFY(cli.waitForFinished(60000));
        const QString help = QString::fromLocal8Bit(cli.readAllStandardOutput());
        QCOMPARE(cli.exitCode(), 0);
        QVERIFY2(help.contains("Usage: ardentix-cli"), qPrintable(help));
        QVERIFY2(help.contains("(Ctrl+C, Ctrl+Break, the console closed)"), qPrintable(help));
    }
};

QTEST_GUILESS_MAIN(TestWindows)
#include "tst_windows.moc"
