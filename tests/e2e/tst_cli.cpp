// ardentix-cli and ardentix as a shell runs them, against ardentix-radio-sim over
// pseudo-terminals.
#include "cli/Arguments.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestCli : public QObject {
    Q_OBJECT

    // A simulated radio on a pseudo-terminal of its own.
    struct Radio {
        explicit Radio(const QStringList& options = {}) {
            sim.start(SIM_PATH, QStringList{"--quiet"} + options);
            if (sim.waitForStarted() && sim.waitForReadyRead(5000))
                device = QString::fromLocal8Bit(sim.readLine()).trimmed();
        }
        ~Radio() {
            sim.kill();
            sim.waitForFinished();
        }
        QProcess sim;
        QString device;
    };

    struct Run {
        int code = -1;
        QString out;
        QString err;
    };

    QTemporaryDir home_;

    // A private settings profile, and no display: the tool needs none.
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home_.filePath("config"));
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        return env;
    }

    Run run(const QString& program, const QStringList& args, const QByteArray& input = {},
            int ms = 120000) {
        QProcess tool;
        tool.setProcessEnvironment(environment());
        tool.start(program, args);
        if (!tool.waitForStarted())
            return {};
        tool.write(input);
        tool.closeWriteChannel();
        tool.waitForFinished(ms);
        return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
                QString::fromLocal8Bit(tool.readAllStandardOutput()),
                QString::fromLocal8Bit(tool.readAllStandardError())};
    }

    Run cli(const QStringList& args, const QByteArray& input = {}) {
        return run(CLI_PATH, args, input);
    }

    QString path(const QString& name) const { return home_.filePath(name); }

    // The process has a handler of its own for the signal (Linux's view of it).
    static bool catches(qint64 pid, int number) {
        QFile status(QString("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (number - 1)) & 1;
        return false;
    }

private slots:
    // The command line as the tool understands it, before any command runs: what runs, and
    // what is refused with which words.
    void argumentsUnderstood_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("runnable");
        QTest::addColumn<QString>("said");
        const int run = int(Arguments::Outcome::Run);
        const int usage = int(Arguments::Outcome::Usage);
        QTest::newRow("read") << "read --json --port 3" << run << true << "";
        QTest::newRow("help") << "--help" << int(Arguments::Outcome::Help) << false << "--port";
        QTest::newRow("version") << "--version" << int(Arguments::Outcome::Version) << false << "";
        QTest::newRow("nothing") << "" << usage << false << "no command given.";
        QTest::newRow("unknown option") << "--bogus read" << usage << false << "bogus";
        QTest::newRow("unknown command") << "frobnicate" << run << false << "";
        QTest::newRow("extra argument") << "read extra" << run << false << "";
        QTest::newRow("restore only") << "restore a.cfg --only unit,PWR" << run << true << "";
        QTest::newRow("only an unknown setting")
            << "restore a.cfg --only unit,bogus" << usage << false << "--only names a setting";
        QTest::newRow("only nothing") << "restore a.cfg --only ," << usage << false << "--only";
        QTest::newRow("seconds zero") << "rssi --seconds 0" << usage << false << "--seconds";
        QTest::newRow("seconds word") << "rssi --seconds x" << usage << false << "--seconds";
        QTest::newRow("diff ignores radio options") << "diff a b --seconds x" << run << true << "";
        QTest::newRow("diff of one file") << "diff a" << usage << false << "diff needs two files.";
    }
    void argumentsUnderstood() {
        QFETCH(QString, line);
        QFETCH(int, outcome);
        QFETCH(bool, runnable);
        QFETCH(QString, said);
        const Arguments arguments =
            parseArguments(QStringList{"ardentix-cli"} + line.split(u' ', Qt::SkipEmptyParts));
        QCOMPARE(int(arguments.outcome), outcome);
        QCOMPARE(arguments.runnable(), runnable);
        QVERIFY2(arguments.text.contains(said), qPrintable(arguments.text));
    }
    void argumentsGiveTheOptions() {
        Arguments arguments = parseArguments({"ardentix-cli", "-q", "--verbose", "restore", "a.cfg",
                                              "--only", " unit, PWR ", "--yes", "--password",
                                              "ab12", "--port", "/dev/ttyUSB0"});
        QCOMPARE(arguments.command, QString("restore"));
        QCOMPARE(arguments.args, QStringList{"a.cfg"});
        QCOMPARE(arguments.options.only, QStringList({"unit", "pwr"}));
        QVERIFY(arguments.options.quiet && !arguments.options.verbose && arguments.assumeYes);
        QCOMPARE(arguments.options.password, QString("ab12"));
        QCOMPARE(arguments.options.port, QString("/dev/ttyUSB0"));
        arguments = parseArguments({"ardentix-cli", "rssi", "--seconds", "12", "--json"});
        QCOMPARE(arguments.options.seconds, 12);
        QVERIFY(arguments.options.json && !arguments.assumeYes);
    }

    void helpAndVersionNeedNoDisplay() {
        for (const QString& program : {QStringLiteral(CLI_PATH), QStringLiteral(GUI_PATH)}) {
            const Run version = run(program, {"--version"});
            QCOMPARE(version.code, 0);
            QVERIFY2(version.out.contains("2.3.3"), qPrintable(version.out));
            const Run help = run(program, {"--help"});
            QCOMPARE(help.code, 0);
            QVERIFY(help.out.contains("--port"));
            QCOMPARE(run(program, {"--no-such-option"}).code, 2);
        }
        const Run help = cli({"--help"});
        QVERIFY(help.out.contains("130  interrupted"));
        QCOMPARE(cli({}).code, 2);
        QCOMPARE(cli({"frobnicate"}).code, 2);
        QCOMPARE(cli({"restore", "x", "--only", "nosuch"}).code, 2);
    }

    // Save from one radio, restore into a second that held other values: both then read the
    // same. Without the password the second refuses, and says which settings.
    void savedFromOneRadioRestoredIntoAnother() {
        Radio first;
        Radio second({"--password", "ab12"});
        QVERIFY(!first.device.isEmpty() && !second.device.isEmpty());
        const QString file = path("site7.txt");
        QCOMPARE(cli({"--quiet", "--port", first.device, "save", file}).code, 0);
        QVERIFY(QFile::exists(file));

        const Run typed =
            cli({"--quiet", "--port", second.device, "console"}, "pass ab12\npwr 20\nunit 22222\n");
        QCOMPARE(typed.code, 0);
        QVERIFY2(typed.out.contains("PROGRAMMED OK"), qPrintable(typed.out));
        const QString before = path("radio14.txt");
        QCOMPARE(cli({"--quiet", "--port", second.device, "save", before}).code, 0);
        const Run differs = cli({"diff", file, before});
        QCOMPARE(differs.code, 1);
        QCOMPARE(differs.out, "unit\tUNIT 14567\tUNIT 22222\npwr\tPWR 30\tPWR 20\n");

        const Run refused = cli({"--quiet", "--port", second.device, "restore", file});
        QCOMPARE(refused.code, 5);
        QVERIFY2(refused.err.contains("Power Level (pwr) was not taken: the radio answered "
                                      "ACCESS DENIED"),
                 qPrintable(refused.err));
        QCOMPARE(
            cli({"--quiet", "--port", second.device, "--password", "zz99", "restore", file}).code,
            5);

        const Run restored = cli(
            {"--port", second.device, "--password", "ab12", "restore", file, "--only", "PWR,unit"});
        QCOMPARE(restored.code, 0);
        QVERIFY2(restored.err.contains("2 settings programmed"), qPrintable(restored.err));
        const Run a = cli({"--quiet", "--port", first.device, "read"});
        const Run b = cli({"--quiet", "--port", second.device, "read"});
        QCOMPARE(a.code, 0);
        QVERIFY(a.out.contains("pwr\tPWR 30\n"));
        QCOMPARE(b.out, a.out);
        QCOMPARE(cli({"diff", file, file}).code, 0);
    }

    void filesAndPortsThatAreNotThere() {
        QCOMPARE(cli({"--port", path("no-such-device"), "read"}).code, 3);
        Radio silent({"--silent"});
        QCOMPARE(cli({"--quiet", "--port", silent.device, "read"}).code, 4);
        Radio radio;
        QCOMPARE(cli({"--quiet", "--port", radio.device, "restore", path("missing.txt")}).code, 7);
        QFile junk(path("junk.txt"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("nothing a radio would say\r\n");
        junk.close();
        QCOMPARE(cli({"--quiet", "--port", radio.device, "restore", junk.fileName()}).code, 7);
        QCOMPARE(cli({"diff", junk.fileName(), junk.fileName()}).code, 7);
        QCOMPARE(cli({"--quiet", "--port", radio.device, "upgrade", junk.fileName()}).code, 8);
    }

    // The upgrade asks the window's questions: declined without a terminal, yes with --yes.
    void upgradeAsksOrNeedsYes() {
        Radio radio;
        const QString older = path("fw310.s28");
        const QString newer = path("fw330.s28");
        QCOMPARE(run(SIM_PATH, {"--make-firmware", "3.1.0", older}).code, 0);
        QCOMPARE(run(SIM_PATH, {"--make-firmware", "3.3.0", newer}).code, 0);
        const Run declined = cli({"--port", radio.device, "upgrade", older});
        QCOMPARE(declined.code, 10);
        QVERIFY(declined.err.contains("is older than the version currently installed"));
        const Run upgraded = cli({"--quiet", "--port", radio.device, "--yes", "upgrade", newer});
        QCOMPARE(upgraded.code, 0);
        const Run read = cli({"--quiet", "--port", radio.device, "read", "--json"});
        QVERIFY2(read.out.contains("\"firmware\": \"3.3.0\""), qPrintable(read.out));
    }

    // SIGINT stops a restore as Cancel would: the tool ends with 130, the radio answers after.
    void interruptedRestoreEndsCleanly() {
        Radio radio({"--store-latency", "400"});
        const QString file = path("interrupted.txt");
        QCOMPARE(cli({"--quiet", "--port", radio.device, "save", file}).code, 0);
        QProcess tool;
        tool.setProcessEnvironment(environment());
        tool.start(CLI_PATH, {"--port", radio.device, "restore", file});
        QVERIFY(tool.waitForStarted());
        // The read is done and programming has begun once the progress says so.
        QByteArray progress;
        QTRY_VERIFY_WITH_TIMEOUT(
            (progress += tool.readAllStandardError()).contains("Reading 100%") ||
                tool.state() != QProcess::Running,
            60000);
        QTest::qWait(800);
        QCOMPARE(tool.state(), QProcess::Running);
        ::kill(pid_t(tool.processId()), SIGINT);
        QVERIFY(tool.waitForFinished(20000));
        QCOMPARE(tool.exitCode(), 130);
        QCOMPARE(cli({"--quiet", "--port", radio.device, "read"}).code, 0);
    }

    // The window ends within seconds of SIGTERM, SIGHUP (its terminal closed) or SIGINT, with
    // nobody to answer: the port's device is missing, so the logout at quit fails, and that is
    // said on standard error rather than in a box nobody closes.
    void theWindowEndsAtASignal() {
        for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
            QProcess window;
            QProcessEnvironment env = environment();
            env.insert("QT_QPA_PLATFORM", "offscreen");
            window.setProcessEnvironment(env);
            window.start(GUI_PATH, {"--port", path("unplugged")});
            QVERIFY(window.waitForStarted());
            // Up once it catches the signal: its handler is set after the splash.
            QTRY_VERIFY_WITH_TIMEOUT(catches(window.processId(), number), 20000);
            ::kill(pid_t(window.processId()), number);
            QVERIFY2(window.waitForFinished(10000), "still running 10 s after the signal");
            // Ended by its own quit, not by the bound that ends a quit that hangs (128 + n).
            QCOMPARE(window.exitStatus(), QProcess::NormalExit);
            QCOMPARE(window.exitCode(), 0);
            QVERIFY(QString::fromLocal8Bit(window.readAllStandardError())
                        .contains("You may not have logged out completely"));
        }
    }

    void signalStrengthForSomeSeconds() {
        Radio radio;
        const Run rssi = cli({"--quiet", "--port", radio.device, "rssi", "--seconds", "2"});
        QCOMPARE(rssi.code, 0);
        const QStringList lines = rssi.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        for (const QString& line : lines) {
            const QStringList fields = line.split('\t');
            QCOMPARE(fields.size(), 2);
            QVERIFY(fields[0].toDouble() <= 2.0);
            QVERIFY(fields[1].toInt() < 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
