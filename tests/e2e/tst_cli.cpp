// ardentix-cli and ardentix as a shell runs them, against ardentix-radio-sim over
// pseudo-terminals.
#include "SignalHandlers.h"
#include "cli/Arguments.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A configuration file as a radio of release 3.2.0 takes it back.
const QByteArray SiteFile = "Created by Quenlar Ardentix Configuration Software Version 2.3.3\r\n"
                            "UNIT 14567\r\nOWN PUMP 4\r\nMODE M\r\nPWR 25\r\nBAUD 9600 8N1\r\n"
                            "FEC OFF\r\nBUFF OFF\r\n";

// A pseudo-terminal whose output is held, as a line whose far end said stop: what a program
// writes to the device stays in the program, waiting to be sent.
struct HeldLine {
    HeldLine() {
        controller = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (controller < 0 || ::grantpt(controller) != 0 || ::unlockpt(controller) != 0)
            return;
        device = QString::fromLocal8Bit(::ptsname(controller));
        held = ::open(::ptsname(controller), O_RDWR | O_NOCTTY);
        if (held < 0 || ::tcflow(held, TCOOFF) != 0)
            device.clear();
    }
    ~HeldLine() {
        if (held >= 0)
            ::close(held);
        if (controller >= 0)
            ::close(controller);
    }
    int controller = -1;
    int held = -1;
    QString device;
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    // A simulated radio on a pseudo-terminal of its own.
    struct Radio {
        // Not quiet, it says each command line it receives.
        explicit Radio(const QStringList& options = {}, bool quiet = true) {
            sim.start(SIM_PATH, (quiet ? QStringList{"--quiet"} : QStringList()) + options);
            if (sim.waitForStarted() && sim.waitForReadyRead(5000))
                device = QString::fromLocal8Bit(sim.readLine()).trimmed();
        }
        bool heard(const QByteArray& line) {
            received += sim.readAllStandardOutput();
            return received.contains("rx: " + line + "\n");
        }
        QByteArray received;
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
            int ms = 120000, const QMap<QString, QString>& extra = {}) {
        QProcess tool;
        QProcessEnvironment env = environment();
        for (auto it = extra.cbegin(); it != extra.cend(); ++it)
            env.insert(it.key(), it.value());
        tool.setProcessEnvironment(env);
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

    QByteArray makeFirmware(const QString& release) {
        const QString made = path("made.s28");
        run(SIM_PATH, {"--make-firmware", release, made});
        QFile file(made);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    // The command line as the tool understands it, before any command runs: what runs, and
    // what is refused with which words.
    void argumentsUnderstood_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("said");
        const int run = int(Arguments::Outcome::Run);
        const int usage = int(Arguments::Outcome::Usage);
        const int help = int(Arguments::Outcome::Help);
        QTest::newRow("read") << "read --json --port 3" << run << "";
        QTest::newRow("help") << "--help" << help << "Usage: ardentix-cli [options] COMMAND";
        QTest::newRow("help lists the commands") << "--help" << help << "  upgrade [--yes]";
        QTest::newRow("help as Windows asks") << "/?" << help << "Usage: ardentix-cli [options]";
        QTest::newRow("help names the signals") << "--help" << help << "(SIGINT, SIGTERM, SIGHUP)";
        QTest::newRow("a command's help") << "read --help" << help << "read [--json]: every";
        QTest::newRow("help with a command") << "help restore" << help << "ARDENTIX_PASSWORD";
        QTest::newRow("help with no command") << "help frob" << usage << "'frob' is no command";
        QTest::newRow("version") << "--version" << int(Arguments::Outcome::Version) << "";
        QTest::newRow("nothing") << "" << usage << "no command given.";
        QTest::newRow("unknown option") << "--bogus read" << usage << "bogus";
        QTest::newRow("unknown command") << "frobnicate" << usage << "'frobnicate' is no command";
        QTest::newRow("extra argument") << "read extra" << usage << "read takes no arguments";
        QTest::newRow("save without its file") << "save" << usage << "save needs FILE";
        QTest::newRow("restore only") << "restore a.cfg --only unit,PWR" << run << "";
        QTest::newRow("only an unknown setting")
            << "restore a.cfg --only unit,BOGUS" << usage << "'BOGUS' is no setting";
        QTest::newRow("only nothing") << "restore a.cfg --only ," << usage << "--only needs";
        QTest::newRow("another command's option")
            << "read --only PWR" << usage << "--only is an option of restore, not of read.";
        QTest::newRow("json for save") << "save a.txt --json" << usage << "not of save";
        QTest::newRow("seconds zero") << "rssi --seconds 0" << usage << "--seconds";
        QTest::newRow("seconds word") << "rssi --seconds x" << usage << "--seconds";
        QTest::newRow("seconds and a half") << "rssi --seconds 1.5" << run << "";
        QTest::newRow("diff takes the radio's options") << "diff a b --port 3" << run << "";
        QTest::newRow("diff of one file") << "diff a" << usage << "diff needs FILE1 and FILE2";
        QTest::newRow("port zero") << "read --port 0" << usage << "'0' names no serial port: give";
        QTest::newRow("port below zero") << "read --port -3" << usage << "'-3' names no serial";
        QTest::newRow("port simulated") << "read --port simulated" << run << "";
    }
    void argumentsUnderstood() {
        QFETCH(QString, line);
        QFETCH(int, outcome);
        QFETCH(QString, said);
        const Arguments arguments =
            parseArguments(QStringList{"ardentix-cli"} + line.split(u' ', Qt::SkipEmptyParts));
        QCOMPARE(int(arguments.outcome), outcome);
        QVERIFY2(arguments.text.contains(said), qPrintable(arguments.text));
    }
    void argumentsGiveTheOptions() {
        Arguments arguments =
            parseArguments({"ardentix-cli", "-q", "--verbose", "restore", "a.cfg", "--only",
                            " unit, PWR ", "--password", "ab12", "--port", "/dev/ttyUSB0"});
        QCOMPARE(arguments.command, QString("restore"));
        QCOMPARE(arguments.args, QStringList{"a.cfg"});
        QCOMPARE(arguments.options.only, QStringList({"unit", "pwr"}));
        QVERIFY(arguments.options.quiet && !arguments.options.verbose && !arguments.assumeYes);
        QCOMPARE(arguments.options.password, QString("ab12"));
        QCOMPARE(arguments.options.port, QString("/dev/ttyUSB0"));
        arguments = parseArguments({"ardentix-cli", "rssi", "--seconds", "1.5"});
        QCOMPARE(arguments.options.seconds, 1.5);
        arguments = parseArguments(
            {"ardentix-cli", "upgrade", "fw.s28", "--yes", "--password-file", "secret.txt"});
        QVERIFY(arguments.assumeYes);
        QCOMPARE(arguments.passwordFile, QString("secret.txt"));
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
            // A port number below 1 is no port at all, not the first one.
            for (const QString& number : {QStringLiteral("0"), QStringLiteral("-3")}) {
                const Run refused = run(program, {"--port", number, "read"});
                QCOMPARE(refused.code, 2);
                QVERIFY2(refused.err.contains("'" + number + "' names no serial port"),
                         qPrintable(refused.err));
            }
        }
        const Run help = cli({"--help"});
        QVERIFY(help.out.contains("130  interrupted"));
        QVERIFY(!help.out.contains(CLI_PATH));
        QCOMPARE(run(SIM_PATH, {"--version"}).out, QString("ardentix-radio-sim 2.3.3\n"));
        QCOMPARE(run(SIM_PATH, {"--make-firmware", "banana", path("x.s28")}).code, 2);
        QVERIFY(!QFile::exists(path("x.s28")));
        QCOMPARE(cli({}).code, 2);
        QCOMPARE(cli({"frobnicate"}).code, 2);
        const Run refused = cli({"restore", "x", "--only", "nosuch"});
        QCOMPARE(refused.code, 2);
        QCOMPARE(refused.err, QString("ardentix-cli: --only: 'nosuch' is no setting of a "
                                      "configuration file.\nTry 'ardentix-cli help restore'.\n"));
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
        // Its logout's answer was taken in by it, not by the next session on the port.
        const Run next = cli({"--quiet", "--port", second.device, "console"}, "\n");
        QVERIFY2(next.out.count("PASS NONE") == 1 && next.out.trimmed().endsWith(">") &&
                     !next.out.trimmed().startsWith("PASS NONE"),
                 qPrintable(next.out));
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
        QVERIFY2(restored.err.contains("Settings programmed from " + file + " and verified: 2."),
                 qPrintable(restored.err));
        const Run a = cli({"--quiet", "--port", first.device, "read"});
        const Run b = cli({"--quiet", "--port", second.device, "read"});
        QCOMPARE(a.code, 0);
        // The radio first, then each setting's value without the reply's own keyword.
        QVERIFY2(a.out.startsWith("serial\t01234567\nfirmware\t3.2.0\nunit\t14567\n"),
                 qPrintable(a.out));
        for (const char* line : {"\nmode\tM\n", "\npwr\t30\n", "\namask\tFFFF FFFF\n",
                                 "\nown\tQUENLAR FIELD RADIO\n", "\ndlink\t19200 (ON)\n"})
            QVERIFY2(a.out.contains(line), line);
        QCOMPARE(b.out, a.out);
        const Run json = cli({"--quiet", "--port", first.device, "read", "--json"});
        for (const char* field : {"\"serial\": \"01234567\"", "\"mode\": \"M\"",
                                  "\"reply\": \"PWR 30\"", "\"value\": \"30\""})
            QVERIFY2(json.out.contains(field), field);
        QCOMPARE(cli({"diff", file, file}).code, 0);
    }

    // The password from the environment or a file, never on the command line, and checked
    // A save that fails as the finished file is put in place says so and leaves the earlier
    // file as it was.
    void aSaveThatCannotBePutInPlaceIsNoSave() {
        const QString file = path("keep.txt");
        QFile earlier(file);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("the earlier file\r\n");
        earlier.close();
        const QString asan = qEnvironmentVariable("ASAN_OPTIONS");
        const Run saved = run(CLI_PATH, {"--port", "simulated", "save", file}, {}, 120000,
                              {{"LD_PRELOAD", FAIL_RENAME_PATH},
                               {"ARDENTIX_FAIL_RENAME", file},
                               {"ASAN_OPTIONS", asan + ":verify_asan_link_order=0"}});
        QCOMPARE(saved.code, 7);
        QVERIFY2(saved.err.contains(file + " was not saved ("), qPrintable(saved.err));
        QVERIFY2(!saved.out.contains("Saved"), qPrintable(saved.out));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("the earlier file\r\n"));
    }

    // before the radio is read: a wrong one ends the restore at once.
    void passwordsOffTheCommandLine() {
        Radio first;
        Radio second({"--password", "ab12"}, false);
        const QString file = path("site9.txt");
        QCOMPARE(cli({"--quiet", "--port", first.device, "save", file}).code, 0);
        QFile secret(path("secret.txt"));
        QVERIFY(secret.open(QIODevice::WriteOnly));
        secret.write("ab12\n");
        secret.close();
        const Run fromFile = cli({"--port", second.device, "--password-file", secret.fileName(),
                                  "restore", file, "--only", "pwr"});
        QCOMPARE(fromFile.code, 0);
        QVERIFY2(fromFile.err.contains("Sending 100%"), qPrintable(fromFile.err));
        // Logged in for the restore, logged out at its end.
        QTRY_VERIFY(second.heard("PASS NONE"));
        const Run fromEnvironment =
            run(CLI_PATH, {"--quiet", "--port", second.device, "restore", file, "--only", "pwr"},
                {}, 120000, {{"ARDENTIX_PASSWORD", "ab12"}});
        QCOMPARE(fromEnvironment.code, 0);
        const Run wrong = run(CLI_PATH, {"--port", second.device, "restore", file}, {}, 120000,
                              {{"ARDENTIX_PASSWORD", "zz99"}});
        QCOMPARE(wrong.code, 5);
        QVERIFY2(!wrong.err.contains("Reading"), qPrintable(wrong.err));
        QCOMPARE(
            cli({"--port", second.device, "--password-file", path("none.txt"), "restore", file})
                .code,
            7);
    }

    // On a terminal the password is asked for, its echo off, and the questions that risk the
    // radio answer no to Enter; Backspace in the console erases as the window's pane does.
    void onATerminal() {
        Radio radio({"--password", "ab12"});
        const QString file = path("site10.txt");
        QCOMPARE(cli({"--quiet", "--port", radio.device, "--password", "ab12", "save", file}).code,
                 0);
        QProcess terminal;
        terminal.setProcessEnvironment(environment());
        terminal.start(
            "script",
            {"-qfec",
             QString("%1 --port %2 restore %3 --only pwr").arg(CLI_PATH, radio.device, file),
             "/dev/null"});
        QByteArray seen;
        QTRY_VERIFY_WITH_TIMEOUT((seen += terminal.readAll()).contains("Password of the radio"),
                                 20000);
        terminal.write("ab12\r");
        QVERIFY(terminal.waitForFinished(60000));
        seen += terminal.readAll();
        QCOMPARE(terminal.exitCode(), 0);
        QVERIFY2(!seen.contains("ab12"), seen.constData());

        const QString older = path("fw300.s28");
        QCOMPARE(run(SIM_PATH, {"--make-firmware", "3.0.0", older}).code, 0);
        terminal.start(
            "script",
            {"-qfec",
             QString("%1 --port %2 --password ab12 upgrade %3").arg(CLI_PATH, radio.device, older),
             "/dev/null"});
        seen.clear();
        QTRY_VERIFY_WITH_TIMEOUT((seen += terminal.readAll()).contains("[y/N]"), 20000);
        terminal.write("\r");
        QVERIFY(terminal.waitForFinished(60000));
        QCOMPARE(terminal.exitCode(), 10);
        QVERIFY(!seen.contains("Upgrading"));

        Radio console({}, false);
        terminal.start(
            "script",
            {"-qfec", QString("%1 --port %2 console").arg(CLI_PATH, console.device), "/dev/null"});
        seen.clear();
        QTRY_VERIFY_WITH_TIMEOUT((seen += terminal.readAll()).contains("Ctrl+] leaves"), 20000);
        terminal.write("unti\x7f\x7fit\r");
        QTRY_VERIFY_WITH_TIMEOUT(console.heard("unit"), 20000);
        terminal.write("\x1d");
        QVERIFY(terminal.waitForFinished(20000));
    }

    // What is not there is said at once, in the tool's own words, and a port with nothing on
    // it is given up within seconds; a port named with --port is not kept in the settings.
    void filesAndPortsThatAreNotThere() {
        const Run missing = cli({"--port", path("no-such-device"), "read"});
        QCOMPARE(missing.code, 3);
        QVERIFY2(missing.err.startsWith("ardentix-cli: ") &&
                     missing.err.contains("name another port with --port") &&
                     !missing.err.contains("CommPort"),
                 qPrintable(missing.err));
        Radio silent({"--silent"});
        for (const QStringList& command :
             {QStringList{"read"}, QStringList{"rssi", "--seconds", "2"}}) {
            const Run given =
                run(CLI_PATH, QStringList{"--port", silent.device} + command, {}, 10000);
            QCOMPARE(given.code, 4);
            QVERIFY2(given.err.startsWith("Waking the radio on " + silent.device + " ...\n"),
                     qPrintable(given.err));
        }
        QFile settings(home_.filePath("config/Quenlar/Quenlar Ardentix Configuration.conf"));
        QVERIFY(!settings.open(QIODevice::ReadOnly) || !settings.readAll().contains("/dev/pts"));
        Radio radio;
        QCOMPARE(cli({"--quiet", "--port", radio.device, "restore", path("missing.txt")}).code, 7);
        QFile junk(path("junk.txt"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("nothing a radio would say\r\n");
        junk.close();
        QCOMPARE(cli({"--quiet", "--port", radio.device, "restore", junk.fileName()}).code, 7);
        QCOMPARE(cli({"diff", junk.fileName(), junk.fileName()}).code, 7);
        QCOMPARE(cli({"--quiet", "--port", radio.device, "upgrade", junk.fileName()}).code, 8);
        const Run absent = cli({"--port", radio.device, "upgrade", path("nofile.s28")});
        QCOMPARE(absent.code, 8);
        QCOMPARE(absent.err,
                 "ardentix-cli: " + path("nofile.s28") + " was rejected: there is no such file.\n");
    }

    // The tool against the radio built into it, started with the options of Simulator/Options,
    // as a shell runs it: $CLI is the tool, $FILE a file of the row's bytes, $OUT a path where
    // nothing is yet. said and out are patterns standard error and standard output hold, unsaid
    // one standard error must not hold; a command that fails leaves nothing at $OUT.
    void againstTheBuiltInRadio_data() {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("unsaid");
        QTest::addColumn<QString>("out");
        const QString read = "\"$CLI\" --port simulated read";
        const QString restore = "\"$CLI\" --port simulated restore \"$FILE\"";
        const QByteArray tooLong = SiteFile + "OWN " + QByteArray(300, 'X') + "\r\n";
        const QString notWritten = "could not be written to standard output: ";
        QTest::newRow("results to a full disk") << "" << QByteArray() << read + " >/dev/full" << 11
                                                << notWritten + "No space left on device\\.$"
                                                << ""
                                                << "";
        QTest::newRow("results with standard output closed")
            << "" << QByteArray() << read + " >&-" << 11 << notWritten + "it is closed\\.$"
            << "Waking"
            << "";
        QTest::newRow("results whose reader went away")
            << "" << QByteArray()
            << "\"$CLI\" --port simulated rssi | head -1; exit ${PIPESTATUS[0]}" << 11
            << notWritten + "Broken pipe\\.$"
            << ""
            << "^-?\\d+\\.\\d\t-\\d+\\n$";
        QTest::newRow("restore from a file of no settings")
            << "" << QByteArray("nothing a radio would say\r\n") << restore << 7
            << "holds no radio settings\\.$"
            << "Waking"
            << "";
        QTest::newRow("save into no folder")
            << "" << QByteArray() << "\"$CLI\" --port simulated save /no-such-folder/x.txt" << 7
            << "x\\.txt cannot be saved: there is no folder /no-such-folder\\.$"
            << "Waking"
            << "";
        QTest::newRow("restore from a file with a line too long")
            << "" << tooLong << restore << 7
            << ", line 9: longer than 256 characters, which no setting is\\.\\n.* was not used: "
               "mend or remove the lines named\\.$"
            << "Waking"
            << "";
        QTest::newRow("diff of a file with a line too long")
            << "" << tooLong << "\"$CLI\" diff \"$FILE\" \"$FILE\"" << 7
            << ", line 9: longer than 256 characters"
            << ""
            << "";
        // A NUL in a line would be read as "PWR 2" and sent as "PWR 20".
        const QByteArray withNul =
            QByteArray(SiteFile).replace("PWR 25", QByteArray("PWR 2") + '\0' + '0');
        const QString nulRefused = ", line 5: holds characters no radio sends";
        QTest::newRow("restore from a file with a NUL")
            << "" << withNul << restore << 7 << nulRefused + ".*\\n.* was not used: mend or remove"
            << "Waking"
            << "";
        QTest::newRow("diff of a file with a NUL")
            << "" << withNul << "\"$CLI\" diff \"$FILE\" \"$FILE\"" << 7 << nulRefused << ""
            << "";
        // Through light noise the garbled replies are asked again; through heavy noise one is
        // garbled each time, named, and nothing is printed or saved.
        const QString namedGarbled =
            "^ardentix-cli: the radio's answer to \\w+ came garbled on the "
            "line, 3 times: check the cable and its connectors\\.$";
        QTest::newRow("a read through light noise")
            << "--noise 2" << QByteArray() << read << 0 << ""
            << "garbled"
            << "\\A(\\w+\\t[ -~]*\\n){35}\\z";
        QTest::newRow("a read through heavy noise")
            << "--noise 10" << QByteArray() << read << 4 << namedGarbled << ""
            << "\\A\\z";
        QTest::newRow("results as JSON through heavy noise")
            << "--noise 10" << QByteArray() << read + " --json" << 4 << namedGarbled << ""
            << "\\A\\z";
        QTest::newRow("a save through heavy noise")
            << "--noise 10" << QByteArray() << "\"$CLI\" --port simulated save \"$OUT\"" << 4
            << namedGarbled << ""
            << "\\A\\z";
        QTest::newRow("one setting differs") << "" << SiteFile
                                             << "sed 's/^PWR 25/PWR 20/' \"$FILE\" >\"$FILE.2\" && "
                                                "\"$CLI\" diff \"$FILE\" \"$FILE.2\""
                                             << 1 << "^Settings that differ: 1\\.$"
                                             << "settings differ"
                                             << "^pwr\tPWR 25\tPWR 20\\n$";
        QTest::newRow("a wrong option of the simulated radio")
            << "--mode R --bogus" << QByteArray() << read << 0
            << "^The simulated radio's option '--bogus' \\(Simulator/Options\\) is wrong, and left "
               "out: "
            << ""
            << "\\nmode\tR\\n";
        QTest::newRow("read at the loader")
            << "--loader" << QByteArray() << read << 4 << "the radio waits in its loader: run "
            << ""
            << "\\A\\z";
        QTest::newRow("save at the loader")
            << "--loader" << QByteArray() << "\"$CLI\" --port simulated save \"$OUT\"" << 4
            << "the radio waits in its loader: run "
            << ""
            << "\\A\\z";
        QTest::newRow("a setting the radio refuses")
            << "" << QByteArray(SiteFile).replace("PWR 25", "PWR 99") << restore << 6
            << "^ardentix-cli: Power Level \\(pwr\\) was not taken: the radio answered INVALID "
               "ENTRY\\.$"
            << "verified"
            << "";
        QTest::newRow("restore without the password")
            << "--password ab12" << SiteFile << restore << 5
            << "give the radio's password with --password-file FILE or in the environment's "
               "ARDENTIX_PASSWORD\\.$"
            << "with --password\\."
            << "";
        QTest::newRow("progress in a log")
            << "" << SiteFile << restore << 0 << "^Reading 100%$.*^Verifying 100%$"
            << "(^(Reading|Verifying) \\d+%\\n){6}"
            << "";
        QTest::newRow("a success is no error")
            << "" << makeFirmware("3.3.0") << "\"$CLI\" --port simulated --yes upgrade \"$FILE\""
            << 0 << "^Radio programming was successful\\.$"
            << "ardentix-cli: Radio"
            << "";
        QTest::newRow("a radio that answers late")
            << "--latency 2500" << QByteArray() << read << 4
            << "Check the radio's power and cable, then run the command again"
            << "reconnect"
            << "";
        QTest::newRow("console logs in first")
            << "--password ab12" << QByteArray()
            << "printf 'pwr 20\\n' | \"$CLI\" --port simulated --password ab12 console" << 0
            << "^Waking the radio on simulated \\.\\.\\.$"
            << ""
            << "pwr 20\\r\\nPROGRAMMED OK";
        QTest::newRow("console with a wrong password")
            << "--password ab12" << QByteArray()
            << "\"$CLI\" --port simulated --password zz99 console </dev/null" << 5
            << "the radio refused the password\\.$"
            << "Connected"
            << "\\A\\z";
        QTest::newRow("console at the loader")
            << "--loader" << QByteArray() << "printf '\\n' | \"$CLI\" --port simulated console" << 0
            << "^Waking the radio on simulated \\.\\.\\.$.*the radio waits in its loader"
            << ""
            << "LOADER>";
    }
    void againstTheBuiltInRadio() {
        QFETCH(QString, options);
        QFETCH(QByteArray, file);
        QFETCH(QString, line);
        QFETCH(int, code);
        QFETCH(QString, said);
        QFETCH(QString, unsaid);
        QFETCH(QString, out);
        QSettings settings(home_.filePath("config/Quenlar/Quenlar Ardentix Configuration.conf"),
                           QSettings::IniFormat);
        settings.setValue("Simulator/Options", options);
        settings.sync();
        QFile bytes(path("row.txt"));
        QVERIFY(bytes.open(QIODevice::WriteOnly));
        bytes.write(file);
        bytes.close();
        QFile::remove(path("row-out.txt"));
        const Run ran =
            run("bash", {"-c", line}, {}, 120000,
                {{"CLI", CLI_PATH}, {"FILE", bytes.fileName()}, {"OUT", path("row-out.txt")}});
        settings.remove("Simulator/Options");
        settings.sync();
        const auto holds = [](const QString& text, const QString& pattern) {
            return QRegularExpression(pattern, QRegularExpression::MultilineOption |
                                                   QRegularExpression::DotMatchesEverythingOption)
                .match(text)
                .hasMatch();
        };
        QVERIFY2(ran.code == code, qPrintable(QString::number(ran.code) + ": " + ran.err));
        QVERIFY2(holds(ran.err, said), qPrintable(ran.err));
        QVERIFY2(unsaid.isEmpty() || !holds(ran.err, unsaid), qPrintable(ran.err));
        QVERIFY2(holds(ran.out, out), qPrintable(ran.out));
        if (code != 0)
            QVERIFY(!QFile::exists(path("row-out.txt")));
    }

    // One lock a device, whatever name it is opened by: a console on a link to the device keeps
    // a read of the device itself out. A report whose reader went away (`| head -1`) ends the
    // radio's report and leaves no lock behind.
    void oneLockADevice() {
        Radio radio({"--link", path("radio-link")}, false);
        QVERIFY(!radio.device.isEmpty());
        QProcess console;
        console.setProcessEnvironment(environment());
        console.start(CLI_PATH, {"--port", path("radio-link"), "console"});
        QVERIFY(console.waitForStarted());
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += console.readAllStandardError()).contains("Connected"),
                                 20000);
        const Run refused = cli({"--port", radio.device, "read"});
        console.closeWriteChannel();
        QVERIFY(console.waitForFinished(20000));
        QCOMPARE(refused.code, 3);
        QVERIFY2(refused.err.contains("the port is in use by another program. Close that "
                                      "program, or name another port with --port."),
                 qPrintable(refused.err));

        const Run piped =
            run("bash", {"-c", "\"$CLI\" --port \"$PORT\" rssi | head -1; exit ${PIPESTATUS[0]}"},
                {}, 120000, {{"CLI", CLI_PATH}, {"PORT", radio.device}});
        QCOMPARE(piped.code, 11);
        // The carriage return that ends the report is heard as an empty line.
        QTRY_VERIFY_WITH_TIMEOUT(
            radio.heard("rssi") &&
                radio.received.mid(radio.received.lastIndexOf("rx: rssi\n")).contains("\nrx: \n"),
            20000);
        const QString lock = "LCK.." + radio.device.mid(5).replace(u'/', u'_');
        for (const char* folder : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
                                   "/tmp", "/run/lock"})
            QVERIFY2(!QFile::exists(QString(folder) + u'/' + lock), folder);
    }

    // A file that fails the firmware checks is refused whatever --yes says, before any radio
    // is asked anything: one without its header, one cut short, one with a garbled record.
    void firmwareChecksAreNotQuestions_data() {
        QTest::addColumn<QByteArray>("cut");
        QTest::addColumn<QString>("said");
        const QByteArray whole = makeFirmware("3.3.0");
        QTest::newRow("no header")
            << whole.mid(whole.indexOf('\n') + 1) << "its first record is not the header";
        QTest::newRow("cut short") << whole.left(whole.size() / 2 - 3) << "is not a whole S-record";
        QByteArray garbled = whole;
        garbled[garbled.size() / 2] = garbled[garbled.size() / 2] == 'A' ? 'B' : 'A';
        QTest::newRow("garbled") << garbled << "its count or checksum is wrong";
        QTest::newRow("no end") << whole.left(whole.lastIndexOf("S8")) << "no end record";
    }
    void firmwareChecksAreNotQuestions() {
        QFETCH(QByteArray, cut);
        QFETCH(QString, said);
        Radio radio({}, false);
        QFile file(path("bad.s28"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(cut);
        file.close();
        const Run refused = cli({"--port", radio.device, "--yes", "upgrade", file.fileName()});
        QCOMPARE(refused.code, 8);
        QVERIFY2(refused.err.contains(said), qPrintable(refused.err));
        QVERIFY2(!radio.heard("PROGRAM") && !radio.heard("YES"), radio.received.constData());
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
        const Run untouched = cli({"--quiet", "--port", radio.device, "read", "--json"});
        QVERIFY2(untouched.out.contains("\"firmware\": \"3.2.0\""), qPrintable(untouched.out));
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
        progress += tool.readAllStandardError();
        QVERIFY2(QRegularExpression("Sending \\d+%\n.*ardentix-cli: interrupted: \\d+ of \\d+ "
                                    "settings were sent\\.\n",
                                    QRegularExpression::DotMatchesEverythingOption)
                     .match(QString::fromLocal8Bit(progress))
                     .hasMatch(),
                 progress.constData());
        QCOMPARE(cli({"--quiet", "--port", radio.device, "read"}).code, 0);

        // Interrupted while it wakes a radio that does not answer: still 130, not 4.
        Radio silent({"--silent"});
        QProcess waking;
        waking.setProcessEnvironment(environment());
        waking.start(CLI_PATH, {"--port", silent.device, "read"});
        QVERIFY(waking.waitForStarted());
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += waking.readAllStandardError()).contains("Waking"), 5000);
        ::kill(pid_t(waking.processId()), SIGINT);
        QVERIFY(waking.waitForFinished(20000));
        QCOMPARE(waking.exitCode(), 130);
    }

    // The window ends within seconds of SIGTERM, SIGHUP (its terminal closed) or SIGINT, with
    // nobody to answer: the port's device is missing, so the logout at quit fails, and that is
    // said on standard error rather than in a box nobody closes. A quit that cannot finish in
    // time (its logout held on a line that sends nothing) is ended, with 128 + the signal.
    void theWindowEndsAtASignal_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("held");
        QTest::newRow("SIGTERM") << int(SIGTERM) << false;
        QTest::newRow("SIGHUP") << int(SIGHUP) << false;
        QTest::newRow("SIGINT") << int(SIGINT) << false;
        QTest::newRow("SIGTERM, the quit held up") << int(SIGTERM) << true;
        QTest::newRow("SIGHUP, the quit held up") << int(SIGHUP) << true;
    }
    void theWindowEndsAtASignal() {
        QFETCH(int, number);
        QFETCH(bool, held);
        const HeldLine line;
        QVERIFY(!held || !line.device.isEmpty());
        QProcess window;
        QProcessEnvironment env = environment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        window.setProcessEnvironment(env);
        window.start(GUI_PATH, {"--port", held ? line.device : path("unplugged")});
        QVERIFY(window.waitForStarted());
        // Up once it catches the signal: its handler is set after the splash.
        QTRY_VERIFY_WITH_TIMEOUT(catchesSignal(window.processId(), number), 20000);
        ::kill(pid_t(window.processId()), number);
        QVERIFY2(window.waitForFinished(10000), "still running 10 s after the signal");
        // Ended by its own quit, or by the bound that ends a quit that hangs (128 + n).
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        const QString err = QString::fromLocal8Bit(window.readAllStandardError());
        QCOMPARE(window.exitCode(), held ? 128 + number : 0);
        QVERIFY2(err.contains(held ? "the quit did not finish; ending now."
                                   : "You may not have logged out completely"),
                 qPrintable(err));
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
