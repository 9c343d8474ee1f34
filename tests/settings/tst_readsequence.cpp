#include "Harness.h"
#include "core/ClickableLabel.h"
#include "core/ParameterField.h"
#include "link/ConsoleText.h"
#include "settings/ReadSequence.h"
#include "settings/SettingsFields.h"

#include <QAction>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace {

RadioOptions radio(const QString& firmware, QChar mode, const QString& password = {}) {
    RadioOptions options;
    options.firmware = firmware;
    options.mode = mode;
    options.password = password;
    return options;
}

// Connects, then lets the tick run the read that connecting asked for.
void connectAndRead(Harness& h) {
    h.connectRadio();
    QVERIFY(h.window->state().refreshRequest);
    h.window->onTick();
    QVERIFY(!h.window->state().refreshRequest);
}

} // namespace

class TestReadSequence : public QObject {
    Q_OBJECT

    static bool present(Harness& h, const char* field) {
        return !h.window->fields().field(field)->isHidden() &&
               !h.window->fields().label(field)->isHidden();
    }
    static bool usable(Harness& h, const char* field) {
        return h.window->fields().field(field)->isEnabled();
    }
    static QString text(Harness& h, const char* field) { return h.window->fields().text(field); }
    static int row(Harness& h, const char* field) { return h.window->fields().rowOf(field); }

private slots:
    void masterWithNewestFirmware() {
        Harness h(radio("3.2.0", u'M'));
        connectAndRead(h);
        const QStringList expected = {
            "",     "ser",    "unit",      "srev",   "own",    "deco",    "own QUENLAR FIELD RADIO",
            "eeco", "owm",    "temp",      "alrm",   "mode",   "pwr",     "baud",
            "port", "device", "amask",     "asense", "cts",    "ctshold", "rxtot",
            "rxd",  "sleep",  "lpmhold",   "addr",   "csaddr", "hoptime", "skip",
            "lpm",  "repeat", "retry",     "fec",    "buff",   "saf",     "xaddr",
            "xpri", "xrssi",  "show sync", "dtype",  "dlink",  "rtu",     "options"};
        QCOMPARE(h.radio.lines(), expected);

        QCOMPARE(text(h, "SerialNumber"), QString("01234567"));
        QCOMPARE(text(h, "SoftwareRev"), QString("08-2727A01\r\n3.2.0  15Mar2004"));
        QCOMPARE(text(h, "PowerLevel"), QString("PWR 30"));
        QCOMPARE(text(h, "AlarmMask"), QString("MASK: FFFF FFFF"));
        QCOMPARE(text(h, "CSADDR"), QString("CSADDR 1234"));
        QCOMPARE(text(h, "RepeatCount"), QString("REPEAT 3"));
        QCOMPARE(text(h, "XADDR"), QString("XADDR 0"));
        QCOMPARE(text(h, "DLINK"), QString("DLINK 19200 (ON)"));
        QCOMPARE(h.window->state().currentVersion, QString("3.2.0"));
        QCOMPARE(h.window->state().versionNumber, 320);
        QVERIFY(!h.window->state().setupMode);

        for (const char* field : {"RXD", "CSADDR", "LPMHOLD", "LPM", "XPRI", "XRSSI", "XMAP",
                                  "DTYPE", "DLINK", "SoftRTU"})
            QVERIFY2(present(h, field), field);
        QVERIFY(!present(h, "XMIN") && !present(h, "XMAX"));
        QCOMPARE(row(h, "HopTime"), 1080);
        QCOMPARE(row(h, "SkippedZones"), 1440);
        QCOMPARE(row(h, "SleepMode"), 1800);
        QCOMPARE(row(h, "ShowSync"), 2160);
        QCOMPARE(row(h, "DiagOptions"), 1680);
        QCOMPARE(h.window->fields().label("HopTime")->y(), SettingsFields::pixelsOf(1080) + 4);

        for (const char* field : {"RetryCount", "RepeatCount", "HopTime", "SkippedZones",
                                  "DataBuff", "StoreAndForward", "FEC", "LPM", "XADDR", "SoftRTU"})
            QVERIFY2(usable(h, field), field);
        QVERIFY(!usable(h, "SleepMode"));
        QCOMPARE(h.window->fields().field("SleepMode")->cursor().shape(), Qt::ForbiddenCursor);
        QVERIFY(!h.window->ButtonRSSI->isEnabled());
        QVERIFY(h.window->ButtonZoneData->isEnabled());
        // No password set: the probe's rewrite is accepted, so the user counts as logged in.
        QVERIFY(h.window->controls().logoutButton->isEnabled());
        QVERIFY(!h.window->controls().loginButton->isEnabled());
        QVERIFY(!h.window->link().firstRead);
    }

    void remoteWithOldFirmware() {
        Harness h(radio("1.9.0", u'R'));
        connectAndRead(h);
        const QStringList expected = {"",
                                      "ser",
                                      "unit",
                                      "srev",
                                      "own",
                                      "deco",
                                      "own QUENLAR FIELD RADIO",
                                      "eeco",
                                      "owm",
                                      "temp",
                                      "alrm",
                                      "mode",
                                      "pwr",
                                      "baud",
                                      "port",
                                      "device",
                                      "amask",
                                      "asense",
                                      "cts",
                                      "ctshold",
                                      "rxtot",
                                      "sleep",
                                      "addr",
                                      "hoptime",
                                      "skip",
                                      "repeat",
                                      "retry",
                                      "fec",
                                      "buff",
                                      "saf",
                                      "xmin",
                                      "xmax",
                                      "show sync",
                                      "options"};
        QCOMPARE(h.radio.lines(), expected);
        QCOMPARE(text(h, "XADDR"), QString("NOT AVAILABLE"));
        QCOMPARE(text(h, "RepeatCount"), QString("NOT AVAILABLE"));
        QCOMPARE(text(h, "XMAX"), QString("XMAX 63"));
        QCOMPARE(h.window->state().versionNumber, 190);

        QVERIFY(present(h, "XMIN") && present(h, "XMAX"));
        for (const char* field : {"XMAP", "XPRI", "XRSSI", "DTYPE", "DLINK", "SoftRTU", "RXD",
                                  "CSADDR", "LPMHOLD", "LPM"})
            QVERIFY2(!present(h, field), field);
        QCOMPARE(row(h, "HopTime"), 720);
        QCOMPARE(row(h, "SkippedZones"), 1080);
        QCOMPARE(row(h, "SleepMode"), 1440);
        QCOMPARE(row(h, "ShowSync"), 1800);
        QCOMPARE(row(h, "DiagOptions"), 360);

        for (const char* field : {"RetryCount", "RepeatCount", "HopTime", "SkippedZones",
                                  "DataBuff", "StoreAndForward", "FEC", "XADDR"})
            QVERIFY2(!usable(h, field), field);
        QVERIFY(usable(h, "SleepMode"));
        QVERIFY(h.window->ButtonRSSI->isEnabled());
    }

    void middleFirmwaresAndTheirGates() {
        Harness h(radio("3.0.0", u'R'));
        connectAndRead(h);
        const QStringList sent = h.radio.commands();
        QVERIFY(sent.contains("rxd") && sent.contains("csaddr"));
        QVERIFY(!sent.contains("lpm") && !sent.contains("lpmhold"));
        // A remote's clock sync address does not apply.
        QCOMPARE(text(h, "CSADDR"), QString("NOT AVAILABLE"));
        QVERIFY(!usable(h, "CSADDR"));
        QVERIFY(present(h, "RXD") && !present(h, "LPM"));

        Harness two(radio("2.1.0", u'X'));
        connectAndRead(two);
        QVERIFY(two.radio.commands().contains("xaddr"));
        QVERIFY(two.radio.commands().contains("dtype"));
        QCOMPARE(text(two, "ShowSync"), QString("DEPTH 1 UNIT 10001 XADDR 0"));
        QVERIFY(usable(two, "XADDR"));
        QCOMPARE(row(two, "HopTime"), 720);
    }

    void unreadableVersionSendsEveryNewerCommand() {
        QCOMPARE(ConsoleText::versionNumberOf("1.2.0"), std::optional<int>(120));
        QCOMPARE(ConsoleText::versionNumberOf("1.2"), std::nullopt);
        QCOMPARE(ConsoleText::versionNumberOf("x.2.0"), std::nullopt);
        Harness h(radio("A.B.C", u'M'));
        connectAndRead(h);
        QVERIFY(!h.window->state().versionKnown);
        const QStringList sent = h.radio.commands();
        QVERIFY(sent.contains("xmin") && sent.contains("xmax"));
        QVERIFY(!sent.contains("xpri") && !sent.contains("xrssi"));
        QVERIFY(!present(h, "XPRI") && !present(h, "RXD") && !present(h, "LPM"));
        QCOMPARE(row(h, "HopTime"), 720);
    }

    void probeFindsTheUserLoggedOut() {
        Harness h(radio("3.2.0", u'M', "secret"));
        connectAndRead(h);
        QVERIFY(h.window->controls().loginButton->isEnabled());
        QVERIFY(!h.window->controls().logoutButton->isEnabled());
        // The next read does not probe again.
        h.radio.clearLines();
        h.window->state().refreshRequest = true;
        h.window->onTick();
        QVERIFY(!h.radio.commands().contains("deco"));
    }

    // A radio that takes a quarter of a second over every write: the probe waits for its word.
    void probeCountsOnlyAConfirmedLogin() {
        RadioOptions locked = radio("3.2.0", u'M', "secret");
        locked.storeMs = 250;
        Harness h(locked);
        connectAndRead(h);
        QVERIFY(h.window->controls().loginButton->isEnabled());
        QVERIFY(!h.window->controls().logoutButton->isEnabled());
        QCOMPARE(h.radio.value("own"), QString("QUENLAR FIELD RADIO"));

        RadioOptions open = radio("3.2.0", u'M');
        open.storeMs = 250;
        Harness o(open);
        connectAndRead(o);
        QVERIFY(o.window->controls().logoutButton->isEnabled());
        QVERIFY(!o.window->controls().loginButton->isEnabled());

        // No answer at all to the probe is no login.
        Harness quiet;
        connect(&quiet.port, &SimulatedPort::written, this,
                [&](const QByteArray& bytes) { quiet.radio.setSilent(bytes.startsWith("own ")); });
        connectAndRead(quiet);
        QVERIFY(quiet.radio.commands().contains("own QUENLAR FIELD RADIO"));
        QVERIFY(quiet.window->controls().loginButton->isEnabled());
        QVERIFY(!quiet.window->controls().logoutButton->isEnabled());
    }

    // Only a name this read obtained whole, and that is one plain line, goes back to the radio.
    void probeWritesBackOnlyAWholeName() {
        // A name that holds the prompt's character is cut there by the reply's reading.
        const QString names[] = {"ALPHA\r\npwr 20", "A>B", "PUMP>4", "", "BELL\aNAME"};
        for (const QString& name : names) {
            Harness h;
            h.radio.setValue("own", name);
            connectAndRead(h);
            const QStringList sent = h.radio.commands();
            QVERIFY2(!sent.contains("deco") && !sent.contains("pwr 20"), qPrintable(name));
            QCOMPARE(h.radio.value("pwr"), QString("30"));
            QCOMPARE(h.radio.value("own"), name);
            QVERIFY(h.window->controls().loginButton->isEnabled());
            QVERIFY(!h.window->controls().logoutButton->isEnabled());
        }

        // The "own" reply of this read never came: the field's older name is not written.
        Harness h;
        h.window->fields().setText("OwnerName", "PREVIOUS RADIO");
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes == "own\r" || bytes == "owm\r")
                h.radio.setSilent(bytes == "own\r");
        });
        connectAndRead(h);
        QVERIFY(!h.radio.commands().contains("own PREVIOUS RADIO"));
        QCOMPARE(h.window->fields().text("OwnerName"), QString("PREVIOUS RADIO"));
        QVERIFY(h.window->controls().loginButton->isEnabled());
    }

    void radioThatAnswersNothingIsSaid() {
        Harness h;
        const auto silencing =
            connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
                if (bytes == "ser\r")
                    h.radio.setSilent(true);
            });
        connectAndRead(h);
        QVERIFY(h.window->controls().statusPanel->text().startsWith(
            "Status: The radio did not answer."));
        QCOMPARE(text(h, "PowerLevel"), QString("n/a"));
        QVERIFY(!h.radio.commands().contains("deco"));
        QVERIFY(h.window->controls().loginButton->isEnabled());
        QVERIFY(!h.window->controls().logoutButton->isEnabled());

        // Once it answers again, the status bar no longer says it is silent.
        disconnect(silencing);
        h.radio.setSilent(false);
        h.window->state().refreshRequest = true;
        h.window->onTick();
        QCOMPARE(h.window->controls().statusPanel->text(), QString("Status: "));
        QCOMPARE(text(h, "PowerLevel"), QString("PWR 30"));
    }

    // A radio that falls silent partway through is asked three more settings, no more: the rest
    // of the read would only wait out a time-out each.
    void aRadioThatFallsSilentIsAskedThreeSettingsMore() {
        Harness h;
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes == "pwr\r")
                h.radio.setSilent(true);
        });
        connectAndRead(h);
        const QStringList sent = h.radio.commands();
        QCOMPARE(sent.mid(sent.indexOf("pwr")), (QStringList{"pwr", "baud", "port"}));
        QCOMPARE(h.window->controls().statusPanel->text(), ReadSequence::stoppedAnswering());
    }

    void setupModeRepliesAreCutBeforeTheirPrompt() {
        RadioOptions options = radio("3.2.0", u'M');
        options.setup = true;
        Harness h(options);
        h.port.setOpen(true);
        h.window->reader().run();
        QVERIFY(h.window->state().setupMode);
        QCOMPARE(text(h, "PowerLevel"), QString("PWR 30"));
        QVERIFY(h.window->ButtonRSSI->isEnabled());
    }

    void emptyReplyEmptiesTheFieldAndSilenceKeepsIt() {
        Harness h;
        h.radio.setValue("owm", "");
        connectAndRead(h);
        QCOMPARE(text(h, "OwnerMessage"), QString());
        QCOMPARE(text(h, "PowerLevel"), QString("PWR 30"));

        // A radio gone silent: no prompt, a failed wake-up, and every field as it was.
        h.radio.setValue("pwr", "22");
        h.radio.setSilent(true);
        h.window->state().refreshRequest = true;
        h.window->onTick();
        QCOMPARE(text(h, "PowerLevel"), QString("PWR 30"));
        QCOMPARE(h.pane(), QString("Error. Please reconnect."));
        QVERIFY(!h.port.isOpen());
        QVERIFY(h.prompts.messages().isEmpty());
    }

    void noisyLineStillReadsToTheEnd() {
        Harness h;
        h.connectRadio();
        h.radio.setNoise(10);
        h.window->onTick();
        QCOMPARE(h.radio.commands().last(), QString("options"));
        QVERIFY(h.prompts.messages().isEmpty());
        QVERIFY(h.port.isOpen());
    }

    void clickDuringTheReadIsHeldUntilItEnds() {
        Harness h;
        h.connectRadio();
        h.prompts.texts = {QString("PWR 25")};
        bool clicked = false;
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes == "mode\r" && !clicked) {
                clicked = true;
                QTimer::singleShot(0, this, [&] {
                    h.window->editor().edit("PowerLevel");
                    // A tick in the middle of the read neither reads again nor sends.
                    h.window->state().refreshRequest = true;
                    h.window->onTick();
                });
            }
        });
        h.window->onTick();
        h.settle();
        const QStringList sent = h.radio.commands();
        QCOMPARE(sent.count("ser"), 1);
        QCOMPARE(sent.last(), QString("pwr 25"));
        QCOMPARE(sent.at(sent.size() - 2), QString("options"));
        QVERIFY(h.window->state().refreshRequest);
        QCOMPARE(text(h, "PowerLevel"), QString("PWR 30"));
        h.window->onTick();
        QCOMPARE(text(h, "PowerLevel"), QString("PWR 25"));
    }

    void disconnectDuringTheReadEndsItQuietly() {
        Harness h;
        h.connectRadio();
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes == "pwr\r")
                QTimer::singleShot(0, this, [&] { h.window->link().requestDisconnect(); });
        });
        h.window->onTick();
        h.settle();
        QVERIFY(!h.port.isOpen());
        QVERIFY(h.prompts.messages().isEmpty());
        QVERIFY(!h.radio.commands().contains("baud"));
        QCOMPARE(h.radio.commands().last(), QString("CLOS"));
    }

    void vanishingPortDuringTheReadIsReportedOnce() {
        Harness h;
        h.connectRadio();
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes == "pwr\r")
                QTimer::singleShot(0, this, [&] { h.port.vanish(); });
        });
        h.window->onTick();
        QCOMPARE(h.prompts.messages().size(), 1);
        QCOMPARE(h.message(), Console::communicationError());
    }

    // Quitting while the read waits: no owner's name is written back, and the program ends.
    void quitDuringTheReadWritesNoProbe() {
        Harness h;
        h.connectRadio();
        h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
            if (label == "srev")
                QTimer::singleShot(0, h.window.get(), [&] { h.window->close(); });
        };
        h.window->onTick();
        h.window->state().gate.waitHook = nullptr;
        QTRY_VERIFY(h.window->ended());
        const QStringList sent = h.radio.commands();
        QVERIFY(!sent.contains("own") && !sent.filter(QRegularExpression("^own ")).size());
        QCOMPARE(sent.last(), QString("PASS NONE"));
        QVERIFY(h.radio.echo());
    }
};

QTEST_MAIN(TestReadSequence)
#include "tst_readsequence.moc"
