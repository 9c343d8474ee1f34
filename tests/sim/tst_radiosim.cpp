#include <QtGlobal>
#ifdef Q_OS_UNIX
#include "FaultControl.h"
#include "PtyRadio.h"
#endif
#include "BuiltInRadio.h"
#include "RadioConsole.h"
#include "RadioParameters.h"
#include "SRecord.h"
#include "core/Clock.h"

#include <QTest>

namespace {

// The reply lines of one command, without echo and prompt.
QString ask(RadioConsole& radio, const QString& line) {
    QString out = QString::fromLatin1(radio.receive(line.toLatin1() + '\r'));
    out.remove(0, line.size() + 2);
    out.chop(radio.prompt().size());
    return out;
}

RadioConsole radioWith(const QString& firmware, QChar mode, const QString& password = {}) {
    RadioOptions options;
    options.firmware = firmware;
    options.mode = mode;
    options.password = password;
    return RadioConsole(options);
}

} // namespace

class TestRadioSim : public QObject {
    Q_OBJECT
private slots:
    // A port closed while a reply is on its way drops it: nothing of one session arrives in the
    // next, which gets its own answers.
    void closedPortDropsWhatWasOnTheWay() {
        ManualClock clock;
        BuiltInRadio radio(RadioOptions{}, clock);
        const std::unique_ptr<SimulatedPort> port = radio.port();
        port->setOpen(true);
        port->write("ver\r");
        port->setOpen(false);
        port->setOpen(true);
        const auto pass = [&clock] {
            clock.advance(5000);
            QCoreApplication::processEvents();
        };
        pass();
        QCOMPARE(port->readAll(), QByteArray());
        port->write("ver\r");
        pass();
        QVERIFY(port->readAll().contains("ver"));
    }
    void echoPromptAndBareLines() {
        RadioConsole radio;
        QCOMPARE(radio.receive("\x1b\r\n"), QByteArray("\r\n>"));
        QCOMPARE(radio.receive("pw\bwr\r"), QByteArray("pw\b \bwr\r\nPWR 30\r\n>"));
        QCOMPARE(radio.receive("deco\r"), QByteArray("deco\r\n>"));
        QCOMPARE(radio.receive("pwr\r"), QByteArray("PWR 30\r\n>"));
        radio.receive("eeco\r");
        QVERIFY(radio.echo());
        QCOMPARE(radio.lines(), (QStringList{"", "pwr", "deco", "pwr", "eeco"}));
    }

    void replyLayouts() {
        RadioConsole master = radioWith("3.2.0", u'M');
        QCOMPARE(ask(master, "srev"), QString("08-2727A01\r\n3.2.0  15Mar2004\r\n"));
        QCOMPARE(ask(master, "ser"), QString("01234567\r\n"));
        QCOMPARE(ask(master, "unit"), QString("UNIT 14567\r\n"));
        QCOMPARE(ask(master, "MODE"), QString("MODE M\r\n"));
        QCOMPARE(ask(master, "amask"), QString("MASK: FFFF FFFF\r\n"));
        QCOMPARE(ask(master, "ctshold"), QString("CTSHOLD n/a\r\n"));
        QCOMPARE(ask(master, "repeat"), QString("REPEAT 3\r\n"));
        QCOMPARE(ask(master, "show sync"), QString("NOT AVAILABLE\r\n"));
        QVERIFY(QRegularExpression("^XMAP [0-9A-F]{8}\r\n$").match(ask(master, "xmap")).hasMatch());
        QCOMPARE(ask(master, "dlink"), QString("DLINK 19200 (ON)\r\n"));
        QCOMPARE(ask(master, "rtu").left(7), QString("RTU 15 "));

        RadioConsole remote = radioWith("3.2.0", u'R');
        QCOMPARE(ask(remote, "repeat"), QString("PROGRAMMABLE ONLY AT MASTER\r\n"));
        QCOMPARE(ask(remote, "csaddr"), QString("CSADDR n/a\r\n"));
    }

    // A configuration file's lines go back to the radio as commands, as a real radio takes them.
    void replyLinesAreCommands() {
        RadioConsole radio = radioWith("3.2.0", u'M');
        for (const char* line : {"UNIT 14567", "DEVICE CTS KEY", "amask  FFFF FFFF", "DLINK 19200",
                                 "DLINK ON", "RTU 15", "XMAP 00000038", "RXTOT NONE", "SKIP 2,5",
                                 "XRSSI -100", "asense LO", "own PUMP 4"})
            QVERIFY2(ask(radio, line) == "PROGRAMMED OK\r\n", line);
        QCOMPARE(radio.value("dlink"), QString("19200 (ON)"));
        QCOMPARE(radio.value("device"), QString("CTS KEY"));
        RadioConsole old = radioWith("1.9.0", u'M');
        QCOMPARE(ask(old, "XMIN 3"), QString("PROGRAMMED OK\r\n"));
    }

    // PROGRAM, YES, a silent restart, then the loader: ERASE, PROGRAM and an image, EXIT.
    void loaderTakesAWholeImageOnly() {
        qint64 now = 0;
        RadioConsole radio = radioWith("3.2.0", u'M');
        radio.setClock([&] { return now; });
        QCOMPARE(ask(radio, "PROGRAM"), QString("ARE YOU SURE?\r\n"));
        radio.receive("YES\r");
        QVERIFY(radio.inLoader());
        QVERIFY(radio.receive("\r").isEmpty());
        now += radio.options().restartMs;
        QCOMPARE(radio.receive("\r"), QByteArray("\r\nLOADER>"));
        QCOMPARE(ask(radio, "PROGRAM"), QString("ERROR: NOT ERASED\r\n"));
        QCOMPARE(ask(radio, "ERASE"), QString("ERASED\r\n"));

        QByteArray image = SRecord::makeFirmware("3.3.0", 4000);
        QByteArray broken = image;
        broken[200] = broken[200] == 'A' ? 'B' : 'A';
        radio.receive("PROGRAM\r");
        QVERIFY(radio.receive(broken).contains("PROGRAM FAILED\r\nLOADER>"));
        QCOMPARE(ask(radio, "EXIT"), QString("ERROR: NO FIRMWARE\r\n"));
        radio.receive("PROGRAM\r");
        // The image arrives in pieces of any size.
        QByteArray answer;
        for (qsizetype at = 0; at < image.size(); at += 512)
            answer += radio.receive(image.mid(at, 512));
        QVERIFY(answer.endsWith("PROGRAMMED OK\r\nLOADER>"));
        radio.receive("EXIT\r");
        QVERIFY(!radio.inLoader());
        QCOMPARE(radio.firmware(), QString("3.3.0"));
        QCOMPARE(ask(radio, "srev"), QString("08-2727A01\r\n3.3.0  15Mar2004\r\n"));
        QVERIFY(SRecord::parse("S804000000FB") && !SRecord::parse("S804000000FC"));
        QVERIFY(!SRecord::parse("S8") && !SRecord::parse("S80400zz00FB"));
    }

    void firmwareGates() {
        RadioConsole old = radioWith("1.9.0", u'R');
        for (const char* missing :
             {"rxd", "lpmhold", "csaddr", "lpm", "xpri", "xrssi", "xmap", "dtype", "dlink", "rtu"})
            QVERIFY2(ask(old, missing).contains("UNKNOWN"), missing);
        QCOMPARE(ask(old, "xmax"), QString("XMAX 63\r\n"));
        RadioConsole mid = radioWith("3.0.0", u'M');
        QVERIFY(ask(mid, "lpm").contains("UNKNOWN"));
        QCOMPARE(ask(mid, "rxd"), QString("RXD 0\r\n"));
        QVERIFY(ask(mid, "xmin").contains("UNKNOWN"));
    }

    void writesFollowTheValueRules() {
        RadioConsole radio = radioWith("3.2.0", u'M');
        QCOMPARE(ask(radio, "pwr 25"), QString("PROGRAMMED OK\r\n"));
        QCOMPARE(ask(radio, "pwr"), QString("PWR 25\r\n"));
        QCOMPARE(ask(radio, "pwr 31"), QString("INVALID ENTRY\r\n"));
        // Reply lines sent back, with their own letter case and extra blanks.
        QCOMPARE(ask(radio, "PWR 30"), QString("PROGRAMMED OK\r\n"));
        QCOMPARE(ask(radio, "DEVICE CTS KEY"), QString("PROGRAMMED OK\r\n"));
        QCOMPARE(ask(radio, "ctshold"), QString("CTSHOLD 0\r\n"));
        QCOMPARE(ask(radio, "amask  0f0f 1234"), QString("PROGRAMMED OK\r\n"));
        QCOMPARE(ask(radio, "amask"), QString("MASK: 0F0F 1234\r\n"));
        QCOMPARE(ask(radio, "skip 5, 2"), QString("PROGRAMMED OK\r\n"));
        QCOMPARE(ask(radio, "skip"), QString("SKIP 2,5\r\n"));
        QCOMPARE(ask(radio, "skip 9"), QString("INVALID ENTRY\r\n"));
        QCOMPARE(ask(radio, "baud 19200 7E2"), QString("PROGRAMMED OK\r\n"));
        QCOMPARE(ask(radio, "xaddr 40"), QString("INVALID ENTRY\r\n"));
        QCOMPARE(ask(radio, "ser 1"), QString("INVALID ENTRY\r\n"));
        QCOMPARE(ask(radio, "dlink off"), QString("PROGRAMMED OK\r\n"));
        QCOMPARE(ask(radio, "dlink"), QString("DLINK 19200 (OFF)\r\n"));
        QCOMPARE(ask(radio, "bogus"), QString("UNKNOWN COMMAND\r\n"));
    }

    void passwordGuardsWrites() {
        RadioConsole radio = radioWith("3.2.0", u'M', "secret");
        QCOMPARE(ask(radio, "pwr 25"), QString("ACCESS DENIED\r\n"));
        QCOMPARE(ask(radio, "pass wrong"), QString("PASSWORD INVALID\r\n"));
        QCOMPARE(ask(radio, "pass secret"), QString("PASSWORD OK\r\n"));
        QCOMPARE(ask(radio, "pwr 25"), QString("PROGRAMMED OK\r\n"));
        ask(radio, "PASS NONE");
        QCOMPARE(ask(radio, "own NEW NAME"), QString("ACCESS DENIED\r\n"));

        RadioConsole open = radioWith("3.2.0", u'M');
        ask(open, "pass anything");
        QCOMPARE(ask(open, "pwr 25"), QString("PROGRAMMED OK\r\n"));
    }

    void setupAndLoaderPrompts() {
        RadioOptions options;
        options.setup = true;
        RadioConsole setup(options);
        QCOMPARE(setup.receive("\r"), QByteArray("\r\nSETUP>"));
        QCOMPARE(setup.receive("QUIT\r"), QByteArray("QUIT\r\n>"));
        options = RadioOptions();
        options.loader = true;
        RadioConsole loader(options);
        QCOMPARE(loader.receive("\r"), QByteArray("\r\nLOADER>"));
    }

    void zoneCountersGrowExceptInSkippedZones() {
        qint64 now = 0;
        RadioConsole radio;
        radio.setClock([&now] { return now; });
        ask(radio, "skip 2,5");
        const QByteArray first = radio.receive("ZONE DATA\r");
        // With its echo and prompt the reply is exactly the 516 characters a reader waits for.
        QCOMPARE(first.size(), 516);
        const QStringList lines = QString::fromLatin1(first).split("\r\n");
        QCOMPARE(lines.at(1).left(11), QString("1:TX TOTAL "));
        QCOMPARE(lines.at(24).left(11), QString("8:RX ERROR "));
        QCOMPARE(lines.at(1).size(), 19);
        now += 2000;
        ask(radio, "zone data");
        const RadioConsole::ZoneCounters busy = radio.zoneCounters(3);
        QVERIFY(busy.tx > 0 && busy.rx > busy.errors && busy.errors > 0);
        QCOMPARE(radio.zoneCounters(2).rx, 0.0);
        QCOMPARE(radio.zoneCounters(5).tx, 0.0);
        ask(radio, "zone clear");
        QCOMPARE(radio.zoneCounters(3).tx, 0.0);
    }

    void setupModeBenchCommands() {
        RadioConsole locked = radioWith("3.2.0", u'M', "ab12");
        QCOMPARE(ask(locked, "setup"), QString("ACCESS DENIED\r\n"));
        QVERIFY(!locked.inSetupMode());
        QCOMPARE(ask(locked, "rx"), QString("UNKNOWN COMMAND\r\n"));

        RadioConsole radio;
        QCOMPARE(radio.receive("setup\r"), QByteArray("setup\r\nSETUP>"));
        // The reply puts the frequency at the reader's cut: the 9th character of " rx" CR LF....
        const QString read = " " + QString::fromLatin1(radio.receive("rx\r"));
        QCOMPARE(read.mid(8, 7), QString("915.000"));
        QCOMPARE(ask(radio, "rx 902.2"), QString("PROGRAMMED OK\r\n"));
        QCOMPARE(ask(radio, "TX 927.600"), QString("PROGRAMMED OK\r\n"));
        QCOMPARE(ask(radio, "tx 927.601"), QString("INVALID ENTRY\r\n"));
        QCOMPARE(ask(radio, "rx rx 915.000"), QString("INVALID ENTRY\r\n"));
        QCOMPARE(ask(radio, "rx"), QString("RX 902.200\r\n"));
        QCOMPARE(ask(radio, "tx"), QString("TX 927.600\r\n"));
        ask(radio, "KEY");
        QVERIFY(radio.keyed());
        ask(radio, "DKEY");
        QVERIFY(!radio.keyed());
        ask(radio, "KEY");
        QCOMPARE(radio.receive("quit\r"), QByteArray("quit\r\n>"));
        QVERIFY(!radio.keyed() && !radio.inSetupMode());
    }

#ifdef Q_OS_UNIX
    // The control pipe of the simulator on its pseudo-terminal (Unix).
    // Faults turned on and off while the radio runs; a cut reply stops inside its last line.
    void faultsWhileRunning() {
        RadioConsole radio;
        PtyRadio pty(radio);
        FaultControl control(radio);
        control.lineSettings = [&pty] { return pty.lineSettings(); };
        control.pendingBytes = [&pty] { return pty.pendingBytes(); };
        QCOMPARE(control.apply("line"), QString("line 19200,N,8,1"));
        QCOMPARE(control.apply("pending"), QString("pending 0"));
        QCOMPARE(control.apply("silent on"), QString("done: silent on"));
        QCOMPARE(radio.receive("pwr\r"), QByteArray());
        QCOMPARE(control.apply("clear"), QString("done: clear"));
        QCOMPARE(radio.receive("pwr\r"), QByteArray("pwr\r\nPWR 30\r\n>"));

        QCOMPARE(control.apply("cut-line on"), QString("done: cut-line on"));
        QCOMPARE(radio.receive("pwr\r"), QByteArray("pwr\r\nPWR"));
        QCOMPARE(radio.receive("srev\r"), QByteArray("srev\r\n08-2727A01\r\n3.2.0  1"));
        QCOMPARE(radio.receive("pwr 27\r"), QByteArray("pwr 27\r\nPROGRA"));
        QCOMPARE(radio.value("pwr"), QString("27"));
        radio.receive("rssi\r");
        QCOMPARE(radio.report(), QByteArray("RSSI -"));
        radio.receive("\r");
        control.apply("clear");

        QCOMPARE(control.apply("latency 6000"), QString("done: latency 6000"));
        QCOMPARE(radio.options().latencyMs, 6000);
        QCOMPARE(control.apply("noise 100"), QString("done: noise 100"));
        QCOMPARE(radio.receive("unit\r").size(), 2 * QByteArray("unit\r\nUNIT 14567\r\n>").size());
        control.apply("clear");
        QCOMPARE(radio.options().latencyMs, 0);
    }

    // A fault held for a command line starts with the answer to it, once.
    void faultsStartWithACommandLine() {
        RadioConsole radio;
        FaultControl control(radio);
        QStringList said;
        connect(&control, &FaultControl::said, [&](const QString& text) { said << text; });
        QCOMPARE(control.apply("after pwr 2: silent on"), QString("armed: after pwr 2: silent on"));
        QCOMPARE(radio.receive("pwr\r"), QByteArray("pwr\r\nPWR 30\r\n>"));
        QVERIFY(said.isEmpty());
        QCOMPARE(radio.receive("PWR 25\r"), QByteArray());
        QCOMPARE(said, QStringList{"done: silent on"});
        // The radio heard it all the same.
        QCOMPARE(radio.value("pwr"), QString("25"));
        control.apply("clear");
        QCOMPARE(radio.receive("pwr 24\r"), QByteArray("pwr 24\r\nPROGRAMMED OK\r\n>"));
        QCOMPARE(said.size(), 1);
    }

    // Control lines that are no fault's change nothing; nor do those of a line that has no
    // such side (the radio built into the programs has no plug to pull).
    void controlLinesOutsideTheRules() {
        RadioConsole radio;
        FaultControl control(radio);
        for (const QString& line : QStringList{
                 "latency -1", "latency 600001", "latency 5x", "noise 101", "noise", "silent maybe",
                 "silent on off", "after : silent on", "after pwr silent on", "after pwr:",
                 "after pwr: after unit: silent on", "frobnicate", "cut-line", "", "vanish", "line",
                 "pending"})
            QCOMPARE(control.apply(line), "refused: " + line);
        QCOMPARE(radio.receive("pwr\r"), QByteArray("pwr\r\nPWR 30\r\n>"));
        QCOMPARE(radio.options().latencyMs, 0);
        QVERIFY(!FaultControl::faultOf("noise 100 200"));
        QCOMPARE(FaultControl::faultOf("NOISE 40")->value, 40);
    }
#endif
};

QTEST_MAIN(TestRadioSim)
#include "tst_radiosim.moc"
