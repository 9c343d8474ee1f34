#include "Harness.h"
#include "config/RestoreWindow.h"
#include "core/ClickableLabel.h"
#include "core/ParameterField.h"
#include "core/QtPrompts.h"
#include "diag/SetupWindow.h"
#include "settings/SettingsFields.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestSetup : public QObject {
    Q_OBJECT

    // Connected, read, and in setup mode with the window open.
    static QPointer<SetupWindow> enter(Harness& h) {
        h.prompts.answers = {Prompts::Yes};
        h.window->controls().mnuSetupMode->trigger();
        return h.window->findChild<SetupWindow*>();
    }
    // Programs a frequency as typed in the input box; the command the radio received.
    static QString program(Harness& h, SetupWindow* setup, const QString& keyword,
                           const QString& typed) {
        h.radio.clearLines();
        h.prompts.texts = {typed};
        setup->programFrequency(keyword);
        const QStringList sent = h.commands();
        return sent.isEmpty() ? QString() : sent.first();
    }

private slots:
    // The frequencies are named by their labels and read out as their values, work from the
    // keyboard as by the mouse, F1 on either shows the label's help, and Tab reaches every
    // control of the window.
    void frequenciesByKeyboardAndName() {
        Harness h;
        h.connectAndRead();
        QPointer<SetupWindow> setup = enter(h);
        QVERIFY(setup);
        setup->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(setup));
        for (ParameterField* field : {setup->RxFrequency, setup->TxFrequency}) {
            QAccessibleInterface* read = QAccessible::queryAccessibleInterface(field);
            QCOMPARE(read->text(QAccessible::Name), field == setup->RxFrequency
                                                        ? QString("Rx. Frequency")
                                                        : QString("Tx. Frequency"));
            QCOMPARE(read->text(QAccessible::Value), field->text());
        }
        QCOMPARE(setup->RxFrequency->text(), QString("915.000"));
        setup->RxFrequency->setFocus();
        QList<QWidget*> reached;
        for (int press = 0; press < 8; ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget();
        }
        for (QWidget* control :
             std::initializer_list<QWidget*>{setup->TxFrequency, setup->Key, setup->ExitButton})
            QVERIFY2(reached.contains(control), qPrintable(control->objectName()));
        setup->RxFrequency->setFocus();
        h.radio.clearLines();
        h.prompts.calls.clear();
        h.prompts.texts = {QString("916.000")};
        QTest::keyClick(setup->RxFrequency, Qt::Key_Return);
        h.settle();
        QCOMPARE(h.commands().first(), QString("rx 916.000"));
        QCOMPARE(h.prompts.calls.first().caption, QString("Program Rx Frequency"));
        h.prompts.calls.clear();
        QTest::keyClick(setup->TxFrequency, Qt::Key_F1);
        QTest::keyClick(setup->TxLabel, Qt::Key_F1);
        QCOMPARE(h.prompts.messages().size(), 2);
        QCOMPARE(h.prompts.messages().last().caption, QString("Transmit Frequency Information"));
        setup->ExitButton->click();
        QTRY_VERIFY(!setup);
    }

    void entersAndReadsTheTestFrequencies() {
        Harness h;
        h.connectAndRead();
        QVERIFY(!h.window->ButtonRSSI->isEnabled()); // a master's RSSI button
        QPointer<SetupWindow> setup = enter(h);
        QVERIFY(setup);
        QCOMPARE(h.prompts.calls.first().text,
                 QString("Setup mode is intended for bench testing only.\r\n\r\nAre you sure you "
                         "want to continue?"));
        QCOMPARE(h.prompts.calls.first().caption, QString("Warning"));
        QCOMPARE(setup->windowTitle(), QString("Setup Mode"));
        QVERIFY(!setup->isModal());
        QCOMPARE(h.commands(), (QStringList{"setup", "rx", "tx"}));
        QVERIFY(h.radio.inSetupMode());
        QVERIFY(h.window->state().setupMode);
        QCOMPARE(setup->RxFrequency->text(), QString("915.000"));
        QCOMPARE(setup->TxFrequency->text(), QString("917.500"));
        QVERIFY(setup->Key->isEnabled() && !setup->DKey->isEnabled());
        QVERIFY(h.window->ButtonRSSI->isEnabled());
        // A second entry brings the open window forward and sends nothing.
        h.radio.clearLines();
        h.window->controls().mnuSetupMode->trigger();
        QVERIFY(h.radio.lines().isEmpty());
        QCOMPARE(h.window->findChildren<SetupWindow*>().size(), 1);

        // Exit: DKEY (harmless when not keyed) and "quit", a read, the flag cleared, and the
        // RSSI button of a master taken back.
        setup->ExitButton->click();
        QTRY_VERIFY(!setup);
        QCOMPARE(h.commands(), (QStringList{"DKEY", "quit"}));
        QVERIFY(!h.radio.inSetupMode());
        QVERIFY(!h.window->state().setupMode);
        QVERIFY(h.window->state().refreshRequest);
        QVERIFY(!h.window->ButtonRSSI->isEnabled());
    }

    // While the radio is in setup mode only the setup window, the terminal and the RSSI monitor
    // talk to it: Refresh waits until setup mode is left, a field's edit is refused with the
    // reason; a box the window asks is its own, and the focus comes back to the window.
    void setupModeKeepsTheLinkAndTheFocus() {
        Harness h;
        h.connectAndRead();
        QPointer<SetupWindow> setup = enter(h);
        h.radio.clearLines();
        h.window->ButtonRefresh->click();
        h.window->onTick();
        h.window->editor().edit("PowerLevel");
        h.settle();
        QVERIFY(h.commands().isEmpty());
        QCOMPARE(h.window->controls().statusPanel->text(),
                 QString("Status: Not now: the radio is in setup mode: leave it first (Exit Setup "
                         "Mode)."));
        QVERIFY(h.window->txtTerm->sendKey("rx\r"));
        QCOMPARE(h.commands(), QStringList{"rx"});

        const QObject* asker = nullptr;
        h.prompts.whileShown = [&](const ScriptedPrompts::Call&) {
            asker = h.prompts.askers.value(0);
        };
        QCOMPARE(program(h, setup, "rx", "930"), QString("rx 930"));
        QVERIFY(h.message().contains("INVALID ENTRY"));
        QCOMPARE(asker, setup.data());
        h.prompts.whileShown = nullptr;

        QtPrompts shown(h.window.get());
        Prompts asked = shown.askedBy(setup);
        h.window->show();
        setup->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(setup));
        setup->TxFrequency->setFocus();
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Return);
        });
        asked.message("The radio did not take it.", "Program Rx Frequency");
        QTRY_COMPARE(QApplication::activeWindow(), setup.data());
        QCOMPARE(QApplication::focusWidget(), setup->TxFrequency);
        setup->ExitButton->click();
        QTRY_VERIFY(!setup);
        h.radio.clearLines();
        h.window->onTick();
        QVERIFY(h.commands().contains("unit"));
    }

    void programsWhatTheUserTyped() {
        RadioOptions slow;
        slow.storeMs = 1200; // the radio takes its time over a write
        Harness h(slow);
        h.connectAndRead();
        QPointer<SetupWindow> setup = enter(h);
        QCOMPARE(program(h, setup, "rx", "RX 902.500"), QString("RX 902.500"));
        QCOMPARE(h.commands().last(), QString("rx"));
        QCOMPARE(setup->RxFrequency->text(), QString("902.500"));
        QCOMPARE(h.prompts.calls.last().kind, QString("input"));
        QCOMPARE(h.prompts.calls.last().caption, QString("Program Rx Frequency"));
        // The question names the range the radio takes.
        QCOMPARE(h.prompts.calls.last().text,
                 QString("Enter a new receive frequency (902.200 to 927.600 MHz):"));
        QCOMPARE(program(h, setup, "tx", "920.1"), QString("tx 920.1"));
        QCOMPARE(setup->TxFrequency->text(), QString("920.100"));
        QCOMPARE(h.prompts.calls.last().caption, QString("Program Tx Frequency"));
        QCOMPARE(h.prompts.calls.last().text,
                 QString("Enter a new transmit frequency (902.200 to 927.600 MHz):"));
        // The keyword test is case-sensitive: a lower-case command gets the keyword again.
        QCOMPARE(program(h, setup, "rx", "rx 915.000"), QString("rx rx 915.000"));
        QVERIFY(h.message().contains("INVALID ENTRY"));
        QCOMPARE(setup->RxFrequency->text(), QString("902.500"));
        // Cancel or an empty answer sends nothing.
        h.radio.clearLines();
        h.prompts.texts = {std::nullopt, QString()};
        setup->programFrequency("rx");
        setup->programFrequency("rx");
        QVERIFY(h.radio.lines().isEmpty());
    }

    void keyingAndLeavingHoweverItCloses() {
        Harness h;
        h.connectAndRead();
        QPointer<SetupWindow> setup = enter(h);
        h.radio.clearLines();
        setup->Key->click();
        setup->Key->click();
        setup->setKeyed(true);
        QCOMPARE(h.commands(), QStringList{"KEY"});
        QVERIFY(h.radio.keyed());
        QVERIFY(!setup->Key->isEnabled() && setup->DKey->isEnabled());
        setup->DKey->click();
        QCOMPARE(h.commands(), (QStringList{"KEY", "DKEY"}));
        QVERIFY(!h.radio.keyed());
        setup->Key->click();

        // The close box while keyed: de-keyed and out of setup mode, as by Exit.
        h.radio.clearLines();
        setup->close();
        QTRY_VERIFY(!setup);
        QCOMPARE(h.commands(), (QStringList{"DKEY", "quit"}));
        QVERIFY(!h.radio.keyed() && !h.radio.inSetupMode());
        QVERIFY(!h.window->state().setupMode);

        // Disconnect while keyed: the same, before CLOS.
        h.window->onTick();
        setup = enter(h);
        setup->Key->click();
        h.radio.clearLines();
        h.window->link().disconnectAction();
        QTRY_VERIFY(!setup);
        QCOMPARE(h.commands(), (QStringList{"DKEY", "quit", "CLOS"}));
    }

    // Enter keys nothing: not on the Key button with the focus, not on the window; the window
    // has no default button. A click still keys.
    void enterNeverKeysTheTransmitter() {
        Harness h;
        h.connectAndRead();
        QPointer<SetupWindow> setup = enter(h);
        QVERIFY(setup->isVisible());
        h.radio.clearLines();
        for (QPushButton* button : setup->findChildren<QPushButton*>())
            QVERIFY2(!button->isDefault() && !button->autoDefault(),
                     qPrintable(button->objectName()));
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(setup->Key, key);
            QTest::keyClick(setup.data(), key);
        }
        QVERIFY(h.radio.lines().isEmpty());
        QVERIFY(!h.radio.keyed() && setup->Key->isEnabled());
        QVERIFY(setup->isVisible());
        setup->Key->click();
        QVERIFY(h.radio.keyed());
        setup->DKey->click();
    }

    void quittingTheProgramDeKeys() {
        Harness h;
        h.connectAndRead();
        QPointer<SetupWindow> setup = enter(h);
        setup->Key->click();
        h.radio.clearLines();
        h.window->close();
        QCOMPARE(h.commands(), (QStringList{"DKEY", "quit", "PASS NONE"}));
        QVERIFY(!h.radio.keyed());
    }

    void aVanishedDeviceClosesTheWindow() {
        Harness h;
        h.connectAndRead();
        QPointer<SetupWindow> setup = enter(h);
        setup->Key->click();
        h.port.vanish();
        QTRY_VERIFY(!setup);
        QVERIFY(!h.window->state().setupMode);
        QCOMPARE(h.message(), Console::communicationError());
    }

    void aModeFieldOfOneLetterKeepsTheRssiButton() {
        Harness h;
        h.connectAndRead();
        QPointer<SetupWindow> setup = enter(h);
        h.window->fields().setText("Mode", "M");
        setup->ExitButton->click();
        QVERIFY(h.window->ButtonRSSI->isEnabled());
    }

    void refusedOrUnansweredEntry() {
        RadioOptions locked;
        locked.password = "ab12";
        Harness h(locked);
        h.connectAndRead();
        QVERIFY(!enter(h));
        QCOMPARE(h.commands(), QStringList{"setup"});
        QCOMPARE(h.message(), QString("You must be logged in before entering setup mode."));
        QCOMPARE(h.prompts.calls.last().caption, QString("Error!"));
        // The radio's prompt is ">" still: the program does not expect "SETUP>".
        QVERIFY(!h.window->state().setupMode);

        Harness silent;
        silent.connectAndRead();
        silent.radio.setSilent(true);
        QVERIFY(!enter(silent));
        QVERIFY(silent.message().contains("did not enter setup mode"));
        QVERIFY(!silent.window->state().setupMode);

        // No, and a closed port, send nothing.
        Harness declined;
        declined.connectAndRead();
        declined.prompts.answers = {Prompts::No};
        declined.window->controls().mnuSetupMode->trigger();
        QVERIFY(declined.radio.lines().isEmpty());
        declined.window->link().disconnectAction();
        declined.radio.clearLines();
        declined.window->enterSetupMode();
        QCOMPARE(declined.message(), QString("Please Toggle COMM Port open first."));
        QVERIFY(declined.radio.lines().isEmpty());
    }

    void helpTexts() {
        Harness h;
        h.connectAndRead();
        QPointer<SetupWindow> setup = enter(h);
        emit setup->TxLabel->clicked();
        QCOMPARE(h.prompts.calls.last().caption, QString("Transmit Frequency Information"));
        QCOMPARE(h.message(),
                 QString("This selects the test transmit frequency used in lieu of hopping when "
                         "in setup mode.\r\n\r\nThe test transmit frequency can be reprogrammed "
                         "to any value\r\nbetween 902.200 MHz and 927.600 MHz, inclusive."));
        emit setup->RxLabel->clicked();
        QCOMPARE(h.prompts.calls.last().caption, QString("Receive Frequency Information"));
        QCOMPARE(setup->RxLabel->toolTip(), QString("Click for more Information"));
    }

    // Closed while it reads or programs a frequency, the window ends that wait, then goes,
    // leaving setup mode.
    void closingDuringAFrequencyReadOrProgramming() {
        for (const char* during : {"rx", "RX"}) {
            RadioOptions slow;
            slow.latencyMs = 300;
            slow.storeMs = 1200;
            Harness h(slow);
            h.connectAndRead();
            QPointer<SetupWindow> setup;
            const bool programming = QString(during) == "RX";
            if (programming) {
                setup = enter(h);
                h.prompts.texts = {QString("RX 902.500")};
            }
            bool closed = false;
            h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
                if (label != during || closed)
                    return;
                closed = true;
                setup = h.window->findChild<SetupWindow*>();
                QTimer::singleShot(0, setup, [&] { setup->close(); });
            };
            h.radio.clearLines();
            if (programming)
                setup->programFrequency("rx");
            else
                enter(h);
            h.window->state().gate.waitHook = nullptr;
            QTRY_VERIFY(closed && !setup);
            const QStringList sent = h.commands();
            QCOMPARE(sent.mid(sent.size() - 2), (QStringList{"DKEY", "quit"}));
            QVERIFY(!sent.contains("tx"));
            QVERIFY(!h.window->state().setupMode);
        }
    }

    // Keyed from the terminal pane, the transmitter is de-keyed when the window closes.
    void keyTypedInThePaneIsDeKeyedOnClose() {
        Harness h;
        h.connectAndRead();
        QPointer<SetupWindow> setup = enter(h);
        QVERIFY(h.window->txtTerm->sendKey("KEY\r"));
        QVERIFY(h.radio.keyed());
        QVERIFY(setup->Key->isEnabled());
        h.radio.clearLines();
        setup->close();
        QTRY_VERIFY(!setup);
        QCOMPARE(h.commands(), (QStringList{"DKEY", "quit"}));
        QVERIFY(!h.radio.keyed() && !h.radio.inSetupMode());
    }

    // Port Open and the store and restore window end setup mode before they touch the port.
    void portOpenAndTheStoreWindowLeaveSetupModeFirst() {
        for (const bool restore : {false, true}) {
            Harness h;
            h.connectAndRead();
            QPointer<SetupWindow> setup = enter(h);
            setup->Key->click();
            h.radio.clearLines();
            if (restore)
                h.window->controls().mnuConfigRestore->trigger();
            else
                h.window->controls().mnuOpen->trigger();
            h.settle();
            QVERIFY(!setup);
            const QStringList sent = h.commands();
            const int quit = int(sent.indexOf("quit"));
            QVERIFY(quit > 0 && sent.at(quit - 1) == "DKEY");
            QVERIFY(quit < sent.indexOf(restore ? "unit" : "CLOS"));
            QVERIFY(!h.radio.keyed() && !h.radio.inSetupMode());
            if (restore)
                h.window->findChild<RestoreWindow*>()->close();
        }
    }

    // The opening reads interrupted by Exit, Disconnect or a lost device: the window goes once
    // its read has ended, and a lost device is said once.
    void openingReadsInterrupted() {
        for (int way = 0; way < 3; ++way) {
            Harness h;
            h.connectAndRead();
            QPointer<SetupWindow> setup;
            h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
                if (label != "rx" || setup)
                    return;
                setup = h.window->findChild<SetupWindow*>();
                QTimer::singleShot(0, &h.port, [&] {
                    if (way == 0)
                        setup->ExitButton->click();
                    else if (way == 1)
                        h.window->onToolbarButton(h.window->toolbarButton("Disconnect"));
                    else
                        h.port.vanish();
                });
            };
            enter(h);
            h.window->state().gate.waitHook = nullptr;
            h.settle();
            QTRY_VERIFY(!setup);
            QVERIFY(!h.window->state().setupMode);
            QCOMPARE(h.prompts.messages().size(), way == 2 ? 2 : 1); // the warning, the loss
            if (way < 2)
                QVERIFY(!h.radio.inSetupMode());
        }
    }

    // Disconnect or a lost device while the radio is asked into setup mode opens no window; a
    // radio that went into setup mode meanwhile is brought out before the port closes.
    void interruptedEntryOpensNothing() {
        for (const bool lost : {false, true}) {
            Harness h;
            h.connectAndRead();
            h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
                if (label == "setup")
                    QTimer::singleShot(0, &h.port, [&] {
                        if (lost)
                            h.port.vanish();
                        else
                            h.window->onToolbarButton(h.window->toolbarButton("Disconnect"));
                    });
            };
            enter(h);
            h.window->state().gate.waitHook = nullptr;
            h.settle();
            QVERIFY(!h.window->findChild<SetupWindow*>());
            QVERIFY(!h.window->state().setupMode);
            QCOMPARE(h.prompts.messages().size(), lost ? 2 : 1);
            if (!lost) {
                QVERIFY(!h.radio.inSetupMode());
                const QStringList sent = h.commands();
                QVERIFY2(sent.indexOf("quit") > sent.indexOf("setup") &&
                             sent.indexOf("quit") < sent.indexOf("CLOS"),
                         qPrintable(sent.join(", ")));
            }
        }
    }

    // A signal while keyed: de-keyed, out of setup mode, logged out, and the program ends.
    void signalWhileKeyed() {
        Harness h;
        h.connectAndRead();
        QPointer<SetupWindow> setup = enter(h);
        setup->Key->click();
        h.radio.clearLines();
        h.window->quitBySignal();
        QTRY_VERIFY(h.window->ended());
        QCOMPARE(h.commands(), (QStringList{"DKEY", "quit", "PASS NONE"}));
        QVERIFY(!h.radio.keyed() && !h.radio.inSetupMode());
    }
};

QTEST_MAIN(TestSetup)
#include "tst_setup.moc"
