#include "Harness.h"
#include "core/ParameterField.h"
#include "program/ParameterEditor.h"
#include "settings/SettingsFields.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

RadioOptions radio(const QString& firmware, QChar mode) {
    RadioOptions options;
    options.firmware = firmware;
    options.mode = mode;
    return options;
}

} // namespace

class TestEdits : public QObject {
    Q_OBJECT

    static void click(Harness& h, const char* field) { h.window->editor().edit(field); }
    static QString status(Harness& h) { return h.window->controls().statusPanel->text(); }

private slots:
    void answersLoseTheirPrefix() {
        auto command = &ParameterEditor::commandFor;
        QCOMPARE(command("PowerLevel", "PWR 30"), QString("pwr 30"));
        QCOMPARE(command("PowerLevel", "pwr 27"), QString("pwr 27"));
        QCOMPARE(command("PowerLevel", "25"), QString("pwr 25"));
        QCOMPARE(command("PowerLevel", "set PWR 22"), QString("pwr 22"));
        QCOMPARE(command("UnitAddr", "UNIT 12345"), QString("unit 12345"));
        QCOMPARE(command("AlarmSense", "alarm active lo"), QString("asense lo"));
        QCOMPARE(command("CTSHOLDdelay", "CTSHOLD 100"), QString("ctshold 100"));
        QCOMPARE(command("OwnerName", "PWR 30"), QString("own PWR 30"));
        // Where the drop is one short of the prefix, its blank stays: two blanks are sent.
        QCOMPARE(command("XMIN", "XMIN 5"), QString("xmin  5"));
        QCOMPARE(command("RXD", "RXD 10"), QString("rxd  10"));
        QCOMPARE(command("AlarmMask", "MASK: 1234 5678"), QString("amask  1234 5678"));
        QCOMPARE(command("AlarmMask", "0000 FFFF"), QString("amask 0000 FFFF"));
        QCOMPARE(command("XRSSI", "80"), QString("xrssi -80"));
        QCOMPARE(command("XRSSI", "-90"), QString("xrssi -90"));
        QCOMPARE(command("XRSSI", "XRSSI -70"), QString("xrssi  -70"));
        // The minus goes before the number, also when the prefix was typed.
        QCOMPARE(command("XRSSI", "XRSSI 80"), QString("xrssi  -80"));
        QCOMPARE(command("XRSSI", "xrssi 95"), QString("xrssi  -95"));
        QCOMPARE(command("NetworkAddress", "ADDR 1234"), QString("ADDR 1234"));
        QCOMPARE(command("NetworkAddress", "addr 99"), QString("addr 99"));
        QCOMPARE(command("NetworkAddress", "1234"), QString("addr 1234"));
    }

    void everyInputMemberDropsItsOwnPrefix() {
        const struct {
            const char* field;
            const char* typed;
            const char* sent;
        } cases[] = {
            {"UnitAddr", "UNIT 7", "unit 7"},        {"OwnerName", "A B", "own A B"},
            {"OwnerMessage", "A B", "owm A B"},      {"PowerLevel", "PWR 7", "pwr 7"},
            {"RxTimeOut", "RXTOT 7", "rxtot 7"},     {"Mode", "MODE X", "mode X"},
            {"SkippedZones", "SKIP 7", "skip 7"},    {"RetryCount", "RETRY 7", "retry 7"},
            {"AlarmMask", "MASK: 7", "amask  7"},    {"AlarmSense", "ALARM ACTIVE LO", "asense LO"},
            {"BaudRate", "BAUD 7", "baud 7"},        {"Port", "PORT 7", "port 7"},
            {"CTSdelay", "CTS 7", "cts 7"},          {"CTSHOLDdelay", "CTSHOLD 7", "ctshold 7"},
            {"RepeatCount", "REPEAT 7", "repeat 7"}, {"HopTime", "HOPTIME 7", "hoptime 7"},
            {"XADDR", "XADDR 7", "xaddr  7"},        {"XMIN", "XMIN 7", "xmin  7"},
            {"XMAX", "XMAX 7", "xmax  7"},           {"XPRI", "XPRI 7", "xpri  7"},
            {"XRSSI", "XRSSI -7", "xrssi  -7"},      {"LPMHOLD", "LPMHOLD 7", "lpmhold  7"},
            {"CSADDR", "CSADDR 7", "csaddr  7"},     {"RXD", "RXD 7", "rxd  7"},
            {"NetworkAddress", "7", "addr 7"},
        };
        for (const auto& c : cases)
            QCOMPARE(ParameterEditor::commandFor(c.field, c.typed), QString(c.sent));
        QCOMPARE(ParameterEditor::commandFor("DeviceType", "DCE"), QString());
    }

    void inputEditSendsWaitsAndAsksForARead() {
        Harness h;
        h.connectAndRead();
        h.prompts.texts = {QString("PWR 25")};
        click(h, "PowerLevel");
        const auto call = h.prompts.calls.first();
        QCOMPARE(call.kind, QString("input"));
        QCOMPARE(call.text,
                 QString("Enter a new Power Level:\r\r20dBm through 30dBm in 1dBm steps"));
        QCOMPARE(call.caption, QString("Program Power Output Level"));
        QCOMPARE(h.radio.commands(), QStringList{"pwr 25"});
        QVERIFY(h.window->console().holds("PROGRAMMED OK"));
        QVERIFY(h.window->state().refreshRequest);
        // The edit itself never writes the field; the read does.
        QCOMPARE(h.window->fields().text("PowerLevel"), QString("PWR 30"));
        h.window->onTick();
        QCOMPARE(h.window->fields().text("PowerLevel"), QString("PWR 25"));
    }

    void cancelledOrEmptyAnswerSendsNothing() {
        Harness h;
        h.connectAndRead();
        click(h, "PowerLevel"); // cancelled
        h.prompts.texts = {QString()};
        click(h, "UnitAddr");
        QVERIFY(h.radio.lines().isEmpty());
        QVERIFY(!h.window->state().refreshRequest);

        h.window->link().disconnectAction();
        h.radio.clearLines();
        h.prompts.calls.clear();
        h.prompts.texts = {QString("30")};
        h.prompts.answers = {Prompts::Ok, Prompts::Ok, Prompts::Ok, Prompts::Ok};
        // With the port closed every edit says so before it asks for anything.
        for (const char* field : {"PowerLevel", "DataBuff", "LPM", "DeviceType", "AlarmInfo"}) {
            click(h, field);
            QCOMPARE(h.prompts.calls.size(), 1);
            QCOMPARE(h.prompts.calls.first().kind, QString("message"));
            QCOMPARE(h.message(), QString("Please Toggle COMM Port open first."));
            QCOMPARE(h.prompts.calls.first().caption, QString("User Help"));
            h.prompts.calls.clear();
        }
        // A failed guard still does nothing at all, and a field with no edit says nothing.
        h.window->fields().setText("Mode", "MODE R");
        click(h, "HopTime");
        click(h, "SerialNumber");
        QVERIFY(h.prompts.calls.isEmpty());
        QVERIFY(h.radio.lines().isEmpty());
        QVERIFY(!h.window->state().refreshRequest);
    }

    void clicksHeldDuringAReadRunOncePerField() {
        Harness h;
        h.connectRadio();
        h.prompts.texts = {QString("PWR 25"), QString("UNIT 12345"), QString("PWR 26")};
        bool clicked = false;
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes == "mode\r" && !clicked) {
                clicked = true;
                QTimer::singleShot(0, this, [&] {
                    click(h, "PowerLevel");
                    click(h, "PowerLevel"); // the second click of a double click
                    click(h, "UnitAddr");
                });
            }
        });
        h.window->onTick();
        h.settle();
        const QStringList sent = h.radio.commands();
        QCOMPARE(sent.mid(sent.indexOf("options") + 1), (QStringList{"pwr 25", "unit 12345"}));
        QCOMPARE(h.prompts.texts.size(), 1);
    }

    void refusedValueStillAsksForARead() {
        Harness h;
        h.connectAndRead();
        h.prompts.texts = {QString("45")};
        click(h, "PowerLevel");
        QVERIFY(h.window->console().holds("INVALID ENTRY"));
        QVERIFY(h.window->state().refreshRequest);
        // Said in the status bar, not in a box that would stop the user.
        QVERIFY(h.prompts.messages().isEmpty());
        QCOMPARE(status(h), QString("Status: Power Level not changed: the radio answered INVALID "
                                    "ENTRY. Check the value against the range the question "
                                    "names."));
    }

    // Whatever the radio answers to an edit, the status bar names it; ACCESS DENIED also says
    // that a login is needed, and silence is not taken for a refusal.
    void statusBarSaysWhatTheRadioAnswered() {
        Harness h;
        h.connectAndRead();
        h.prompts.texts = {QString("25")};
        click(h, "PowerLevel");
        QCOMPARE(status(h),
                 QString("Status: Power Level changed: the radio answered PROGRAMMED OK."));
        // The alarm mask, confirmed by its prompt alone, still names a refusal.
        h.prompts.texts = {QString("MASK: 12XY")};
        click(h, "AlarmMask");
        QVERIFY(status(h).startsWith(
            "Status: Alarm Mask not changed: the radio answered INVALID ENTRY."));
        h.prompts.answers = {Prompts::Ok};
        click(h, "DataBuff");
        QCOMPARE(status(h),
                 QString("Status: Data Buffering changed: the radio answered PROGRAMMED OK."));
        h.radio.setSilent(true);
        h.prompts.texts = {QString("26")};
        click(h, "PowerLevel");
        QCOMPARE(status(h), QString("Status: Power Level: the radio did not answer within 3 "
                                    "seconds. The next read shows what it holds."));

        RadioOptions locked;
        locked.password = "ab12";
        Harness denied(locked);
        denied.connectAndRead();
        denied.prompts.answers = {Prompts::Yes};
        click(denied, "DeviceType");
        QCOMPARE(status(denied), QString("Status: Device Type not changed: the radio answered "
                                         "ACCESS DENIED. Log in first (Login on the toolbar), "
                                         "then try again."));
        QCOMPARE(denied.prompts.messages().size(), 1);

        // Any other answer before the prompt is named as the radio gave it.
        QCOMPARE(ParameterEditor::outcomeOf("RXD", Console::Verdict::NoAnswer, "UNKNOWN COMMAND"),
                 QString("RXD not changed: the radio answered UNKNOWN COMMAND."));
    }

    // Interrupted while it waits (the link ended), an edit says nothing of the radio's answer.
    void interruptedEditSaysNothing() {
        Harness h;
        h.connectAndRead();
        h.window->controls().statusPanel->setText("Status: ");
        h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
            if (label == "pwr")
                h.window->state().gate.cancel();
        };
        h.prompts.texts = {QString("25")};
        click(h, "PowerLevel");
        h.window->state().gate.waitHook = nullptr;
        QCOMPARE(status(h), QString("Status: "));
    }

    void guardsFollowTheRole() {
        Harness remote(radio("3.2.0", u'R'));
        remote.connectAndRead();
        for (const char* field : {"SkippedZones", "RetryCount", "RepeatCount", "HopTime",
                                  "DataBuff", "FEC", "StoreAndForward", "XADDR"})
            click(remote, field);
        QVERIFY(remote.prompts.calls.isEmpty());
        remote.prompts.answers = {Prompts::Ok};
        click(remote, "SleepMode");
        QCOMPARE(remote.message(), QString("Turn Sleep mode on?"));
        QCOMPARE(remote.radio.commands(), QStringList{"sleep ON"});

        Harness master;
        master.connectAndRead();
        click(master, "SleepMode");
        QVERIFY(master.prompts.calls.isEmpty());
        master.prompts.texts = {QString("1,2,5")};
        click(master, "SkippedZones");
        QCOMPARE(master.radio.commands(), QStringList{"skip 1,2,5"});
        // The clock sync address and low power mode are guarded by their fields alone.
        master.prompts.texts = {QString("77")};
        click(master, "CSADDR");
        QCOMPARE(master.radio.commands().last(), QString("csaddr 77"));
    }

    void togglesAskByTheReportedForm() {
        Harness h;
        h.connectAndRead();
        h.prompts.answers = {Prompts::Ok};
        click(h, "DataBuff");
        const auto question = h.prompts.messages().first();
        QCOMPARE(question.text, QString("Turn Data Buffering off?"));
        QCOMPARE(question.caption, QString("Data Buffering Setting"));
        QCOMPARE(question.buttons, Prompts::Buttons::OkCancel);
        QCOMPARE(question.icon, Prompts::Icon::None);
        QCOMPARE(h.radio.commands(), QStringList{"buff OFF"});
        QVERIFY(h.window->state().refreshRequest);

        h.radio.clearLines();
        h.window->state().refreshRequest = false;
        h.prompts.answers = {Prompts::Cancel};
        click(h, "FEC");
        QVERIFY(h.radio.lines().isEmpty());
        QVERIFY(!h.window->state().refreshRequest);

        // A field showing neither form asks nothing and sends nothing.
        h.prompts.calls.clear();
        h.window->fields().setText("StoreAndForward", "n/a");
        click(h, "StoreAndForward");
        QVERIFY(h.prompts.calls.isEmpty());
        QVERIFY(h.radio.lines().isEmpty());
    }

    void lowPowerModeAndDeviceQuestions() {
        Harness h;
        h.connectAndRead();
        h.prompts.answers = {Prompts::Ok};
        click(h, "LPM");
        QCOMPARE(h.message(), QString("Turn the Low Power Mode feature for this network on?"));
        QCOMPARE(h.prompts.messages().last().caption, QString("Program Low Power Mode"));
        QCOMPARE(h.radio.commands(), QStringList{"lpm 1"});
        h.window->fields().setText("LPM", "LPM 1");
        h.prompts.answers = {Prompts::Ok};
        click(h, "LPM");
        QCOMPARE(h.message(), QString("Turn the Low Power Mode feature for this network off?"));
        QCOMPARE(h.radio.commands().last(), QString("lpm 0"));

        h.prompts.answers = {Prompts::No};
        click(h, "DeviceType");
        QCOMPARE(h.message(),
                 QString("Program Device Type to DCE?\r\rYES for DCE      NO for CTS KEY"));
        QCOMPARE(h.prompts.messages().last().buttons, Prompts::Buttons::YesNoCancel);
        QCOMPARE(h.radio.commands().last(), QString("device CTS KEY"));
        QCOMPARE(h.radio.value("device"), QString("CTS KEY"));
        h.prompts.answers = {Prompts::Yes};
        click(h, "DeviceType");
        QCOMPARE(h.radio.commands().last(), QString("device DCE"));
        const int sent = h.radio.commands().size();
        h.prompts.answers = {Prompts::Cancel};
        click(h, "DeviceType");
        QCOMPARE(h.radio.commands().size(), sent);
    }

    void extensionAddressPromptFollowsTheVersion() {
        SharedState state;
        QCOMPARE(ParameterEditor::extensionAddressPrompt(state),
                 QString("Enter the extension address (0-31):"));
        state.versionKnown = true;
        state.versionNumber = 199;
        QCOMPARE(ParameterEditor::extensionAddressPrompt(state),
                 QString("Enter the extension address (0-63):"));
        state.versionNumber = 200;
        QCOMPARE(ParameterEditor::extensionAddressPrompt(state),
                 QString("Enter the extension address (0-31):"));

        Harness old(radio("1.9.0", u'X'));
        old.connectAndRead();
        old.prompts.texts = {QString("XADDR 40")};
        click(old, "XADDR");
        QCOMPARE(old.prompts.calls.first().text, QString("Enter the extension address (0-63):"));
        QCOMPARE(old.radio.commands(), QStringList{"xaddr  40"});
        QVERIFY(old.window->console().holds("PROGRAMMED OK"));
    }

    void alarmListingPagesTwiceAtMost() {
        Harness h;
        h.connectAndRead();
        const qint64 before = h.clock.msecs();
        click(h, "AlarmInfo");
        QCOMPARE(h.radio.lines(), (QStringList{"stat", "", ""}));
        QVERIFY(h.pane().contains("PAGE 3 OF 3"));
        // Each page ends as soon as its prompt is in, never at the time-out.
        QVERIFY(h.clock.msecs() - before < 3000);
        QCOMPARE(h.radio.prompt(), QString(">"));
        QVERIFY(!h.window->state().refreshRequest);

        RadioOptions four;
        four.statPages = 4;
        Harness longer(four);
        longer.connectAndRead();
        click(longer, "AlarmInfo");
        QCOMPARE(longer.radio.lines(), (QStringList{"stat", "", ""}));
        QCOMPARE(longer.radio.prompt(), QString("MORE>"));
    }

    void showSyncIsReadAgain() {
        Harness h(radio("3.2.0", u'X'));
        h.connectAndRead();
        h.window->fields().setText("ShowSync", "stale");
        click(h, "ShowSync");
        QCOMPARE(h.radio.commands(), QStringList{"show sync"});
        QCOMPARE(h.window->fields().text("ShowSync"), QString("DEPTH 1 UNIT 10001 XADDR 0"));
        QVERIFY(!h.window->state().refreshRequest);
    }

    void alarmMaskWaitsForThePromptAlone() {
        Harness h;
        h.connectAndRead();
        h.prompts.texts = {QString("MASK: 0F0F 0000")};
        const qint64 before = h.clock.msecs();
        click(h, "AlarmMask");
        QCOMPARE(h.radio.commands(), QStringList{"amask  0F0F 0000"});
        QCOMPARE(h.radio.value("amask"), QString("0F0F 0000"));
        QVERIFY(h.clock.msecs() - before < 3000);
    }

    void clickingTheFieldStartsItsEdit() {
        Harness h;
        h.connectAndRead();
        h.prompts.texts = {QString("21")};
        QTest::mouseClick(h.window->fields().field("PowerLevel")->viewport(), Qt::LeftButton);
        QCOMPARE(h.radio.commands(), QStringList{"pwr 21"});
    }
};

QTEST_MAIN(TestEdits)
#include "tst_edits.moc"
