#include "Harness.h"
#include "link/DevicePort.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

RadioOptions with(void (*change)(RadioOptions&)) {
    RadioOptions options;
    change(options);
    return options;
}

bool shows(QWidget* widget) {
    return !widget->isHidden();
}

} // namespace

class TestLink : public QObject {
    Q_OBJECT

    static void verifyDisconnected(Harness& h) {
        const LinkControls& c = h.window->controls();
        QVERIFY(!h.port.isOpen());
        QVERIFY(shows(c.imgNotConnected) && !shows(c.imgConnected));
        QVERIFY(c.connectButton->isEnabled());
        QVERIFY(!c.disconnectButton->isEnabled() && !c.loginButton->isEnabled());
        QVERIFY(!c.logoutButton->isEnabled() && !c.transmitButton->isEnabled());
        QVERIFY(!c.mnuOpen->isChecked() && !c.mnuConfigRestore->isEnabled());
        QVERIFY(!c.mnuSendText->isEnabled() && !c.mnuRadioPassSub->isEnabled());
        QCOMPARE(c.settingsPanel->text(), QString("Settings: "));
        QVERIFY(!c.Timer1->isActive());
    }

private slots:
    void connectWakesTheConsoleAndSaysOpen() {
        Harness h;
        h.window->link().connectAction();
        const LinkControls& c = h.window->controls();
        QVERIFY(h.port.isOpen());
        QVERIFY(h.commands().contains("OPEN"));
        QVERIFY(h.pane().startsWith("Connected"));
        QVERIFY(shows(c.imgConnected) && !shows(c.imgNotConnected));
        QVERIFY(c.disconnectButton->isEnabled() && !c.connectButton->isEnabled());
        QVERIFY(c.loginButton->isEnabled() && c.transmitButton->isEnabled());
        QVERIFY(!c.logoutButton->isEnabled());
        for (QAction* item : {c.mnuSendText, c.mnuAccessCode, c.mnuEncryptCode, c.mnuSetupMode,
                              c.mnuConfigRestore, c.mnuRadioPassSub, c.mnuSetPass})
            QVERIFY(item->isEnabled());
        QVERIFY(c.mnuOpen->isChecked());
        QCOMPARE(c.settingsPanel->text(), QString("Settings: 19200,N,8,1"));
        QVERIFY(c.Timer1->isActive());
        QCOMPARE(h.window->link().connectTime, h.clock.now());
        QVERIFY(h.window->state().refreshRequest);
        QVERIFY(h.window->link().firstRead);
        QVERIFY(h.prompts.messages().isEmpty());
        // Closed and reopened once after the wake-up, before "OPEN".
        QCOMPARE(h.port.openCount(), 2);
    }

    void disconnectSaysClos() {
        Harness h;
        h.connectRadio();
        h.window->link().disconnectAction();
        QCOMPARE(h.commands(), QStringList{"CLOS"});
        QCOMPARE(h.pane(),
                 "*** CLOS command sent to the radio before disabling the COMM port. ***\r\n"
                 "Disconnected");
        verifyDisconnected(h);
        QCOMPARE(h.window->controls().connectTimePanel->text(), QString());
    }

    void setupPromptIsLeftBeforeOpen() {
        Harness h(with([](RadioOptions& o) { o.setup = true; }));
        h.window->link().connectAction();
        const QStringList sent = h.commands();
        QVERIFY(sent.contains("QUIT"));
        QVERIFY(sent.indexOf("QUIT") < sent.indexOf("OPEN"));
        // A transmitter keyed in setup mode is de-keyed first.
        QCOMPARE(sent.at(sent.indexOf("QUIT") - 1), QString("DKEY"));
        QVERIFY(!h.radio.inSetupMode());
        QVERIFY(h.window->state().refreshRequest);
    }

    void loaderPromptGivesRadioErrorAndNoRead() {
        Harness h(with([](RadioOptions& o) { o.loader = true; }));
        h.window->link().connectAction();
        const auto messages = h.prompts.messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].caption, QString("Radio Error"));
        QCOMPARE(messages[0].icon, Prompts::Icon::Critical);
        QCOMPARE(messages[0].text,
                 QString("ERROR - This radio needs software!\r\rUse the 'Radio Firmware Upgrade' "
                         "option to upload a .s28 firmware file to the radio.\r\rVisit Quenlar's "
                         "FTP site to obtain the most recent release of firmware."));
        QVERIFY(!h.window->state().refreshRequest);
        // Still connected, so that the firmware upgrade can be used.
        QVERIFY(h.port.isOpen());
        QVERIFY(h.window->controls().transmitButton->isEnabled());
    }

    void silentRadioFailsAfterThirtyAttempts_data() {
        QTest::addColumn<Harness::Line>("line");
        QTest::addColumn<QString>("status");
        QTest::newRow("on a port")
            << Harness::Line::Instant
            << "Status: No answer on Com1 (no prompt after 30 tries): check the cable and power, "
               "the port and the baud rate (19200,N,8,1).";
        // It has no cable, power or baud rate for the technician to check.
        QTest::newRow("the built-in radio")
            << Harness::Line::BuiltIn
            << "Status: No answer from the built-in radio (no prompt after 30 tries): disconnect "
               "and connect again.";
    }
    void silentRadioFailsAfterThirtyAttempts() {
        QFETCH(Harness::Line, line);
        QFETCH(QString, status);
        Harness h(with([](RadioOptions& o) { o.silent = true; }), {}, line);
        h.window->link().connectAction();
        QCOMPARE(h.pane(), QString("Error. Please reconnect."));
        QCOMPARE(h.window->controls().statusPanel->text(), status);
        // Each attempt: ESC CR LF, then four pairs of carriage returns.
        QCOMPARE(h.radio.lines().size(), 30 * 9 + 1);
        QVERIFY(!h.commands().contains("OPEN"));
        QVERIFY(h.window->link().connectFailed);
        QVERIFY(h.prompts.messages().isEmpty());
        verifyDisconnected(h);
        // The sleeps of thirty attempts: 30 x (400..1100 + 4 x 100) ms.
        QVERIFY(h.clock.msecs() >= 30 * 800 && h.clock.msecs() <= 30 * 1500 + 4000);
    }

    void disconnectDuringWakeUpEndsIt() {
        Harness h(with([](RadioOptions& o) { o.silent = true; }));
        bool scheduled = false;
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes.startsWith('\x1b') && !scheduled) {
                scheduled = true;
                QTimer::singleShot(0, this, [&] {
                    h.window->onToolbarButton(h.window->toolbarButton("Disconnect"));
                });
            }
        });
        h.window->link().connectAction();
        h.settle();
        QVERIFY(h.pane().endsWith("Disconnected"));
        QVERIFY(!h.commands().contains("OPEN"));
        QCOMPARE(h.commands().last(), QString("CLOS"));
        QVERIFY(h.prompts.messages().isEmpty());
        verifyDisconnected(h);
        QVERIFY(h.radio.lines().size() < 20);
    }

    void portInUseAtOpen() {
        Harness h;
        h.port.setBusy(true);
        h.window->link().connectAction();
        QCOMPARE(h.prompts.messages().size(), 1);
        QCOMPARE(h.message(),
                 QString("The selected COM port is not available. Please select another port.\r\r"
                         "Com1 (simulated radio): the port is in use by another program. Close "
                         "that program, or choose another port (CommPort, Setup...)."));
        QCOMPARE(h.prompts.messages()[0].caption, QString("Error"));
        QCOMPARE(h.prompts.messages()[0].icon, Prompts::Icon::Exclamation);
        QVERIFY(h.window->link().connectFailed);
        verifyDisconnected(h);
        QVERIFY(h.radio.lines().isEmpty());
    }

    void portOpenWhileOpenReconnects() {
        Harness h;
        h.connectRadio();
        h.window->controls().mnuOpen->trigger();
        QVERIFY(h.port.isOpen());
        QCOMPARE(h.commands().first(), QString("CLOS"));
        QVERIFY(h.commands().contains("OPEN"));
        QVERIFY(h.window->controls().mnuOpen->isChecked());
    }

    void lineEventsShowInTheStatusPanel() {
        Harness h;
        h.connectRadio();
        h.port.inject(SerialPort::CdChanged);
        const LinkControls& c = h.window->controls();
        QCOMPARE(c.statusPanel->text(), QString("Status: Change in CD Detected"));
        QVERIFY(c.Timer2->isActive());
        QVERIFY(h.prompts.calls.isEmpty());
        h.window->link().onStatusClear();
        QCOMPARE(c.statusPanel->text(), QString("Status: "));
        QVERIFY(!c.Timer2->isActive());
        h.port.inject(SerialPort::TransmitThreshold);
        QCOMPARE(c.statusPanel->text(), QString("Status: "));
    }

    void errorEventOkKeepsTheLinkCancelDisconnects() {
        Harness h;
        h.connectRadio();
        h.prompts.answers = {Prompts::Ok};
        h.port.inject(SerialPort::Framing);
        QCOMPARE(h.prompts.calls.first().kind, QString("beep"));
        const auto message = h.prompts.messages().last();
        QCOMPARE(message.text, QString("Framing Error"));
        QCOMPARE(message.caption, QString("Click Cancel to quit, OK to ignore."));
        QCOMPARE(message.buttons, Prompts::Buttons::OkCancel);
        QCOMPARE(message.icon, Prompts::Icon::None);
        QVERIFY(h.port.isOpen());
        QCOMPARE(h.window->controls().statusPanel->text(), QString("Status: Framing Error"));

        h.prompts.answers = {Prompts::Cancel};
        h.port.inject(4242);
        QCOMPARE(h.message(), QString("Unknown error or event"));
        verifyDisconnected(h);
        QVERIFY(h.window->link().connectFailed);
        QVERIFY(h.window->controls().Timer2->isActive());
        // With the port closed the panel is not cleared by Timer2 (it already rests).
        h.window->link().onStatusClear();
        QCOMPARE(h.window->controls().statusPanel->text(), QString("Status: "));
    }

    void vanishedDeviceIsReportedAndDisconnects() {
        Harness h;
        h.connectRadio();
        h.port.vanish();
        QCOMPARE(h.message(), Console::communicationError());
        verifyDisconnected(h);
        QVERIFY(h.pane().endsWith("Disconnected"));
    }

    void quitLogsOutAndDrains() {
        Harness h;
        QVERIFY(h.window->link().shutdown());
        // Logging out at quit opens the closed port to send PASS NONE.
        QCOMPARE(h.commands(), QStringList{"PASS NONE"});
        QVERIFY(!h.port.isOpen());

        Harness stuck;
        stuck.connectRadio();
        stuck.port.setStuckOutput(10);
        stuck.prompts.answers = {Prompts::Retry, Prompts::Abort};
        QVERIFY(!stuck.window->link().shutdown());
        QCOMPARE(stuck.prompts.messages().size(), 2);
        QCOMPARE(stuck.message(), QString("Data cannot be sent"));
        QCOMPARE(stuck.prompts.messages()[0].buttons, Prompts::Buttons::AbortRetryIgnore);
        QVERIFY(stuck.port.isOpen());
        stuck.prompts.answers = {Prompts::Ignore};
        QVERIFY(stuck.window->link().shutdown());
        QVERIFY(!stuck.port.isOpen());
    }

    // A quit signal ends the program whatever the quit waits for, and nobody is asked: output
    // stuck in the port (File, Exit asked already, or is still draining it), or a device gone so
    // that the logout cannot be sent, which the status bar and standard error then tell.
    void aQuitSignalEndsEveryQuit_data() {
        QTest::addColumn<QString>("when");
        for (const char* when : {"drain question", "drain wait", "device gone"})
            QTest::newRow(when) << QString(when);
    }
    void aQuitSignalEndsEveryQuit() {
        QFETCH(QString, when);
        Harness h;
        h.connectRadio();
        if (when == "device gone") {
            h.port.vanish();
            h.settle();
            h.port.setMissing(true);
            h.prompts.calls.clear();
            h.window->quitBySignal();
        } else {
            h.port.setStuckOutput(10);
            h.prompts.whileShown = [&](const ScriptedPrompts::Call&) { h.window->quitBySignal(); };
            h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
                if (label == "quit" && when == "drain wait")
                    QTimer::singleShot(0, h.window.get(), [&] { h.window->quitBySignal(); });
            };
            h.window->close();
        }
        QTRY_VERIFY(h.window->ended());
        h.window->state().gate.waitHook = nullptr;
        QCOMPARE(h.prompts.messages().size(), when == "drain question" ? 1 : 0);
        if (when == "device gone")
            QVERIFY(h.window->controls().statusPanel->text().contains(
                "You may not have logged out completely"));
    }

    void quitWithoutLogoutLeavesTheClosedPortAlone() {
        Harness h({}, {{"Preferences/LogoutOnQuit", "False"}});
        QVERIFY(h.window->link().shutdown());
        QVERIFY(h.radio.lines().isEmpty());
        QCOMPARE(h.port.openCount(), 0);
    }

    // A port that does not open is never shown as connected, whichever way the connect came.
    void missingDeviceIsAFailedConnect() {
        const QString expected =
            "The selected COM port is not available. Please select another port.\r\rCom1 "
            "(simulated radio): the device does not exist. Check that the serial adapter is "
            "plugged in, or choose another port (CommPort, Setup...).";
        Harness h;
        h.port.setMissing(true);
        h.window->link().connectAction();
        QCOMPARE(h.prompts.messages().size(), 1);
        QCOMPARE(h.message(), expected);
        QCOMPARE(h.prompts.messages()[0].icon, Prompts::Icon::Exclamation);
        verifyDisconnected(h);
        QCOMPARE(h.window->controls().connectTimePanel->text(), QString());

        h.window->onRefresh();
        QCOMPARE(h.prompts.messages().size(), 2);
        verifyDisconnected(h);

        Harness launch({}, {{"Preferences/ConnectOnLaunch", "True"}});
        launch.port.setMissing(true);
        launch.window->onTick();
        QCOMPARE(launch.message(), expected);
        verifyDisconnected(launch);
    }

    void failureWhileReopeningEndsDisconnected() {
        Harness h;
        h.port.failOpensAfter(1);
        h.window->link().connectAction();
        QCOMPARE(h.prompts.messages().size(), 1);
        QVERIFY(h.message().contains("the device does not exist"));
        QVERIFY(!h.window->terminal().discardInput);
        QVERIFY(!h.commands().contains("OPEN"));
        verifyDisconnected(h);
        // With the device back, the next wake-up sees the radio again.
        h.port.failOpensAfter(-1);
        h.window->link().connectAction();
        QVERIFY(h.port.isOpen() && h.commands().contains("OPEN"));
        QVERIFY(h.pane().startsWith("Connected"));
    }

    void openFailuresAreToldApart() {
        QCOMPARE(DevicePort::classify(QSerialPort::DeviceNotFoundError, true),
                 OpenFailure::Missing);
        QCOMPARE(DevicePort::classify(QSerialPort::PermissionError, false),
                 OpenFailure::PermissionDenied);
        QCOMPARE(DevicePort::classify(QSerialPort::PermissionError, true), OpenFailure::InUse);
        QCOMPARE(DevicePort::classify(QSerialPort::OpenError, true), OpenFailure::Other);
        QVERIFY(openFailureText(3, "/dev/ttyS2", OpenFailure::PermissionDenied)
                    .contains("\"dialout\" group"));
        QVERIFY(openFailureText(3, "/dev/x", OpenFailure::Other, "Boom").endsWith("Boom"));

        DevicePort port([](int) { return QStringLiteral("/dev/no-such-radio"); });
        try {
            port.setOpen(true);
            QFAIL("a missing device opened");
        } catch (const SerialError& error) {
            QCOMPARE(error.number(), int(SerialError::InvalidPortNumber));
            QVERIFY(
                error.text().startsWith("Com1 (/dev/no-such-radio): the device does not exist"));
        }
    }

    // The user closes the window while the wake-up runs: it ends without a word, and the window
    // closes (logging out) once it has returned.
    void closingDuringTheWakeUpEndsTheProgram() {
        Harness h(with([](RadioOptions& o) { o.silent = true; }));
        h.window->show();
        bool scheduled = false;
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes.startsWith('\x1b') && !scheduled) {
                scheduled = true;
                QTimer::singleShot(0, this, [&] { h.window->close(); });
            }
        });
        h.window->link().connectAction();
        QVERIFY(h.radio.lines().size() < 20);
        QVERIFY(h.window->isVisible());
        QTRY_VERIFY(!h.window->isVisible());
        QVERIFY(h.prompts.messages().isEmpty());
        QCOMPARE(h.commands().last(), QString("PASS NONE"));
        QVERIFY(!h.port.isOpen());
    }

    void closingDuringAReadEndsItsWaitAtOnce() {
        Harness h;
        h.window->show();
        h.connectRadio();
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes == "ser\r") {
                h.radio.setSilent(true);
                QTimer::singleShot(0, this, [&] { h.window->close(); });
            }
        });
        const qint64 start = h.clock.msecs();
        h.window->onTick();
        // The read left its four-second wait at once rather than running to its end.
        QVERIFY(h.clock.msecs() - start < 4000);
        QVERIFY(!h.commands().contains("unit"));
        QTRY_VERIFY(!h.window->isVisible());
        QVERIFY(h.prompts.messages().isEmpty());
    }

    void quitAfterTheDeviceWentAwaySaysSo() {
        Harness h;
        h.connectRadio();
        h.port.vanish();
        h.port.setMissing(true);
        h.prompts.calls.clear();
        QVERIFY(h.window->link().shutdown());
        QCOMPARE(h.prompts.messages().size(), 1);
        QCOMPARE(h.message(), QString("There was an error communicating with the radio. You may "
                                      "not have logged out completely."));
    }

    void quitReportsAPortInUse() {
        Harness h;
        h.port.setBusy(true);
        QVERIFY(h.window->link().shutdown());
        QCOMPARE(h.message(), QString("There was an error communicating with the radio. You may "
                                      "not have logged out completely."));
    }
};

QTEST_MAIN(TestLink)
#include "tst_link.moc"
