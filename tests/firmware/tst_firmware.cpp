#include "Harness.h"
#include "SRecord.h"
#include "config/RestoreWindow.h"
#include "core/ProgressWindow.h"
#include "diag/RssiWindow.h"
#include "firmware/FirmwareChecks.h"
#include "firmware/FirmwareDownload.h"
#include "link/TerminalPane.h"
#include "settings/SettingsFields.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QWindow>

namespace {

QByteArray header(const QByteArray& type, const QByteArray& prefix, const QString& release) {
    return type + "13" + "0000" + prefix + "41303120" + release.toLatin1().toHex() + "D1\r\n";
}

QString writeFirmware(Harness& h, const QByteArray& image, const char* name = "fw.s28") {
    const QString path = h.dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(image);
    return path;
}

// An image padded with empty lines (which the loader skips) to exactly bytes.
QByteArray paddedTo(const QString& release, int bytes) {
    QByteArray image = SRecord::makeFirmware(release, bytes - 200);
    while (image.size() + 2 <= bytes)
        image += "\r\n";
    if (image.size() < bytes)
        image += "\n";
    return image;
}

const QString FailedInLoader = QStringLiteral(
    "Radio programming FAILED. The radio waits in its loader: upgrade it again to bring it back.");

} // namespace

class TestFirmware : public QObject {
    Q_OBJECT

    // The line takes its time over the piece just written, so that the transfer waits for it
    // (and the user can act meanwhile); it has sent it once the radio hears nothing more.
    static void holdOutput(Harness& h) {
        h.port.setStuckOutput(FirmwareDownload::PieceSize);
        QObject::connect(&h.port, &SimulatedPort::written, &h.port, [&h](const QByteArray& b) {
            if (b.size() < FirmwareDownload::PieceSize)
                h.port.setStuckOutput(0);
        });
    }

    // What the loader received after its PROGRAM command, up to the next command line.
    static void capture(Harness& h, QByteArray& into) {
        auto done = std::make_shared<bool>(false);
        QObject::connect(&h.port, &SimulatedPort::written, &h.port,
                         [&h, &into, done](const QByteArray& b) {
                             if (b == "EXIT\r" || b == "CLOS\r")
                                 *done = true;
                             if (!*done && h.radio.inLoader() && !h.radio.lines().isEmpty() &&
                                 h.radio.lines().last() == "PROGRAM" && b != "PROGRAM\r")
                                 into += b;
                         });
    }

    // The transfer's progress window is up, and its Cancel can be pressed.
    static bool showsCancel(Harness& h) {
        const auto* progress = h.window->findChild<ProgressWindow*>();
        return progress && progress->isVisible() && progress->Command1->isEnabled() &&
               progress->windowTitle() == "Downloading Firmware to the radio...";
    }
    // The window system has put it on the screen: the event loop ran since it was shown.
    static bool painted(Harness& h) {
        const auto* progress = h.window->findChild<ProgressWindow*>();
        return progress && progress->windowHandle() && progress->windowHandle()->isExposed();
    }

    // One state, shown once: what contradicts a closed link, or nothing.
    static QString contradictsClosedLink(Harness& h) {
        const LinkControls& c = h.window->controls();
        QStringList wrong;
        if (h.port.isOpen())
            wrong << "the port is open";
        if (c.mnuOpen->isChecked())
            wrong << "Port Open is ticked";
        if (!c.connectButton->isEnabled())
            wrong << "Connect is disabled";
        if (c.disconnectButton->isEnabled())
            wrong << "Disconnect is enabled";
        if (!c.imgConnected->isHidden() || c.imgNotConnected->isHidden())
            wrong << "the connected image shows";
        return wrong.join(", ");
    }

private slots:
    void headerChecks() {
        const QByteArray prefix = "30382D32373237";
        QCOMPARE(FirmwareChecks::headerFaults(header("S0", prefix, "3.3.0")), 0);
        QCOMPARE(FirmwareChecks::headerFaults(header("s0", "30382d32373237", "3.3.0")), 0);
        QCOMPARE(FirmwareChecks::headerFaults(header("S1", "00000000000000", "3.3.0")), 2);
        QCOMPARE(FirmwareChecks::headerFaults("S0"), 1);
        QCOMPARE(FirmwareChecks::headerFaults(QByteArray()), 2);
        QCOMPARE(FirmwareChecks::newVersion(header("S0", prefix, "2.3.b")), QString("2.3.b"));
        QCOMPARE(FirmwareChecks::newVersion(header("S0", prefix, "3.3.0").toLower()),
                 QString("3.3.0"));
        QVERIFY(!FirmwareChecks::newVersion("S0130000"));
        QVERIFY(!FirmwareChecks::newVersion(QByteArray(30, 'x') + "zz2E332E30"));
        // A signed or padded pair is no pair of hexadecimal digits.
        QVERIFY(!FirmwareChecks::newVersion(QByteArray(30, 'x') + "-12E332E30"));
        QVERIFY(!FirmwareChecks::newVersion(QByteArray(30, 'x') + " 32E332E30"));
        QVERIFY(!FirmwareChecks::newVersion(QByteArray(30, 'x') + "+32E332E30"));
    }

    void versionComparisons() {
        using F = FirmwareChecks;
        QVERIFY(F::isOlder("2.4.0", "2.3.3") && !F::isSame("2.4.0", "2.3.3"));
        QVERIFY(!F::isOlder("2.3.3", "2.3.3") && F::isSame("2.3.3", "2.3.3"));
        QVERIFY(!F::isOlder("2.2.9", "2.3.3") && !F::isSame("2.2.9", "2.3.3"));
        QVERIFY(!F::isOlder("2.3.3", "3.0.0"));
        QVERIFY(!F::isOlder(QString(), "3.0.0") && !F::isSame(QString(), "3.0.0"));
        QVERIFY(F::isSame("2.3.B", "2.3.b"));

        ScriptedPrompts prompts;
        prompts.answers = {Prompts::Yes, Prompts::Yes};
        QVERIFY(F::alphasAccepted(prompts, "2.3.3", "2.a.c"));
        QCOMPARE(prompts.messages().size(), 2);
        QVERIFY(prompts.messages()[0].text.contains("alpha: 'A'"));
        QVERIFY(prompts.messages()[1].text.contains("alpha: 'C'"));
        prompts.calls.clear();
        prompts.answers = {Prompts::Yes};
        QVERIFY(F::alphasAccepted(prompts, "2.3.b", "2.3.b"));
        QCOMPARE(prompts.messages().size(), 1);
        QCOMPARE(prompts.lastMessage(), QString("WARNING!! The current version contains an alpha: "
                                                "'B'. Are you sure you wish to override this?"));
        prompts.answers = {Prompts::No};
        QVERIFY(!F::alphasAccepted(prompts, QString(), "2.3.b"));
        QCOMPARE(prompts.messages().last().caption, QString("WARNING"));
    }

    void fileChoice() {
        Harness h;
        const QString good = writeFirmware(h, SRecord::makeFirmware("3.3.0", 600));
        const QString bad = writeFirmware(h, "S1030000FC\r\n", "bad.s28");
        h.prompts.files = {h.dir.filePath("missing.s28"), bad};
        h.prompts.answers = {Prompts::Ok, Prompts::Yes, Prompts::No};
        QVERIFY(!FirmwareChecks::choose(h.prompts, "3.2.0"));
        QCOMPARE(h.prompts.messages()[0].text, h.dir.filePath("missing.s28") + " not found!");
        QCOMPARE(h.prompts.messages().size(), 3);

        h.prompts.calls.clear();
        h.prompts.files = {good};
        const auto choice = FirmwareChecks::choose(h.prompts, "3.2.0");
        QVERIFY(choice);
        QCOMPARE(choice->newVersion, QString("3.3.0"));
        QVERIFY(h.prompts.messages().isEmpty());
        // The same release asks; No stops.
        h.prompts.files = {good};
        h.prompts.answers = {Prompts::No};
        QVERIFY(!FirmwareChecks::choose(h.prompts, "3.3.0"));
        QVERIFY(h.message().contains("appears to be the same version"));
        // An older release asks, and Enter answers No.
        h.prompts.files = {good};
        h.prompts.answers = {Prompts::No};
        QVERIFY(!FirmwareChecks::choose(h.prompts, "3.4.0"));
        QVERIFY(h.message().contains("is older than the version currently installed"));
        QCOMPARE(h.prompts.messages().last().defaultAnswer, std::optional(Prompts::No));
    }

    // 3.2.0 to 3.3.0 against the in-process radio; the next connection reads the new release.
    void fullUpgrade() {
        Harness h;
        h.connectAndRead();
        const QByteArray image = paddedTo("3.3.0", 3 * FirmwareDownload::PieceSize);
        h.prompts.files = {writeFirmware(h, image)};
        h.prompts.answers = {Prompts::Yes};
        QByteArray received;
        capture(h, received);
        h.window->controls().mnuSendText->trigger();
        // Erasing cannot be undone: Enter answers No. Success is news, not a warning.
        const ScriptedPrompts::Call erase = h.prompts.messages().first();
        QCOMPARE(erase.caption, QString("Erase Current Firmware?"));
        QCOMPARE(erase.buttons, Prompts::Buttons::YesNo);
        QCOMPARE(erase.defaultAnswer, std::optional(Prompts::No));
        QCOMPARE(h.message(), QString("Radio programming was successful."));
        QCOMPARE(h.prompts.messages().last().icon, Prompts::Icon::Information);
        // Every byte of the file, once, in order: an exact multiple of the piece size.
        QCOMPARE(received, image);
        QCOMPARE(h.radio.firmware(), QString("3.3.0"));
        QVERIFY(h.port.isOpen());
        QCOMPARE(h.port.settings(), QString("19200,N,8,1"));
        QVERIFY(h.window->controls().connectButton->isEnabled() == false);
        QVERIFY(h.window->statusBar()->isEnabled());
        QVERIFY(h.window->controls().mnuSendText->isEnabled());

        // Connected again by itself: the next tick reads the new release, with no clicks.
        QVERIFY(!h.window->controls().imgConnected->isHidden());
        QVERIFY(h.commands().contains("OPEN"));
        h.window->onTick();
        QVERIFY(h.window->fields().text("SoftwareRev").contains("3.3.0"));
    }

    // Chosen while the settings read runs, the upgrade waits for it: no settings query comes
    // after the loader dialogue began.
    void upgradeChosenDuringAReadWaitsForIt() {
        Harness h;
        h.connectRadio();
        h.prompts.files = {writeFirmware(h, SRecord::makeFirmware("3.3.0", 1500))};
        h.prompts.answers = {Prompts::Yes};
        bool chosen = false;
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes == "mode\r" && !chosen) {
                chosen = true;
                QTimer::singleShot(0, this, [&] { h.window->controls().mnuSendText->trigger(); });
            }
        });
        h.window->onTick();
        h.settle();
        const QStringList sent = h.commands();
        QVERIFY(sent.contains("options"));
        QVERIFY(sent.indexOf("PROGRAM") > sent.indexOf("options"));
        for (const QString& command : sent.mid(sent.indexOf("PROGRAM")))
            QVERIFY2(QStringList({"PROGRAM", "YES", "ERASE", "EXIT", "CLOS", "OPEN", "eeco"})
                         .contains(command),
                     qPrintable(command));
        QCOMPARE(h.message(), QString("Radio programming was successful."));
    }

    // Quitting during the transfer asks first, then stops it: the line back at 19200, no
    // verdict, and the program ends.
    void quitDuringTheTransferEndsTheProgram() {
        for (const bool bySignal : {false, true}) {
            Harness h;
            h.connectAndRead();
            h.prompts.files = {writeFirmware(h, SRecord::makeFirmware("3.3.0", 8000))};
            h.prompts.answers = {Prompts::Yes, Prompts::Yes};
            int pieces = 0;
            connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
                if (bytes.size() == FirmwareDownload::PieceSize && ++pieces == 2) {
                    holdOutput(h);
                    QTimer::singleShot(0, this, [&] {
                        bySignal ? h.window->quitBySignal() : (void)h.window->close();
                    });
                }
            });
            h.window->upgradeFirmware();
            QTRY_VERIFY(h.window->ended());
            QCOMPARE(h.port.settings(), QString("19200,N,8,1"));
            QVERIFY(pieces <= 3);
            const QString asked = bySignal ? QString() : "Stop the upgrade and quit?";
            QStringList texts;
            for (const auto& message : h.prompts.messages())
                texts << message.text;
            QCOMPARE(texts.filter("Stop the upgrade and quit?").size(), bySignal ? 0 : 1);
            QVERIFY(texts.filter("Radio programming").isEmpty());
            QVERIFY(h.radio.inLoader());
        }
    }

    // However the transfer ends, the line is back at the console's speed and a connect works.
    void disconnectOrALostDeviceDuringTheTransfer() {
        for (const bool lost : {false, true}) {
            Harness h;
            h.connectAndRead();
            h.prompts.files = {writeFirmware(h, SRecord::makeFirmware("3.3.0", 8000))};
            h.prompts.answers = {Prompts::Yes};
            int pieces = 0;
            connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
                if (bytes.size() == FirmwareDownload::PieceSize && ++pieces == 2)
                    holdOutput(h), QTimer::singleShot(0, this, [&] {
                        if (lost)
                            h.port.vanish();
                        else
                            h.window->onToolbarButton(h.window->toolbarButton("Disconnect"));
                    });
            });
            h.window->upgradeFirmware();
            h.settle();
            QVERIFY(!h.port.isOpen());
            QCOMPARE(h.port.settings(), QString("19200,N,8,1"));
            QVERIFY(h.window->statusBar()->isEnabled());
            QCOMPARE(h.prompts.messages().size(), lost ? 2 : 1); // the erase question, the loss
            h.prompts.calls.clear();
            h.window->link().connectAction();
            QVERIFY(h.port.isOpen());
            QCOMPARE(h.message(), QString("ERROR - This radio needs software!\r\rUse the 'Radio "
                                          "Firmware Upgrade' option to upload a .s28 firmware "
                                          "file to the radio.\r\rVisit Quenlar's FTP site to "
                                          "obtain the most recent release of firmware."));
        }
    }

    // Cancel while the radio restarts: nothing is erased, the radio boots the firmware it had,
    // and the window connects to it again.
    void cancelWhileTheRadioRestarts() {
        Harness h;
        h.connectAndRead();
        h.prompts.files = {writeFirmware(h, SRecord::makeFirmware("3.3.0", 1500))};
        h.prompts.answers = {Prompts::Yes};
        int yields = 0;
        h.window->state().gate.waitHook = [&](LinkGate::Wait kind, const QString& label, int) {
            if (kind == LinkGate::Wait::Yield && label == "firmware" && ++yields == 3)
                h.window->findChild<ProgressWindow*>()->Command1->click();
        };
        h.window->upgradeFirmware();
        QVERIFY(!h.commands().contains("ERASE"));
        QVERIFY(h.commands().contains("EXIT"));
        QVERIFY(!h.radio.inLoader());
        QCOMPARE(h.radio.firmware(), QString("3.2.0"));
        QVERIFY(h.message().startsWith("The upgrade was cancelled before the firmware was erased"));
        QVERIFY(!h.window->controls().imgConnected->isHidden());
        QCOMPARE(h.port.settings(), QString("19200,N,8,1"));
    }

    // Nothing the user starts during the transfer gets into it: keys typed in the pane, the
    // live screens, Login and the store and restore window are refused.
    void nothingElseGetsIntoTheTransfer() {
        Harness h;
        h.connectAndRead();
        const QByteArray image = SRecord::makeFirmware("3.3.0", 4000);
        h.prompts.files = {writeFirmware(h, image)};
        h.prompts.answers = {Prompts::Yes};
        QByteArray received;
        capture(h, received);
        int pieces = 0;
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes.size() != FirmwareDownload::PieceSize || ++pieces != 2)
                return;
            QTimer::singleShot(0, this, [&] {
                QVERIFY(h.window->txtTerm->sendKey("x"));
                h.window->onRssi();
                h.window->onZoneData();
                h.window->onToolbarButton(h.window->toolbarButton("Logout"));
                h.window->controls().mnuConfigRestore->trigger();
                h.window->controls().mnuSetupMode->trigger();
            });
        });
        h.window->upgradeFirmware();
        h.settle();
        QCOMPARE(received, image);
        QCOMPARE(h.message(), QString("Radio programming was successful."));
        QVERIFY(!h.window->findChild<RssiWindow*>() && !h.window->findChild<RestoreWindow*>());
        QVERIFY(!h.commands().contains("PASS NONE"));
        const auto beeps = std::count_if(h.prompts.calls.begin(), h.prompts.calls.end(),
                                         [](const auto& call) { return call.kind == "beep"; });
        QCOMPARE(beeps, 6);
        // The key typed during the transfer is gone, not sent with the next one.
        QByteArray after;
        connect(&h.port, &SimulatedPort::written, this,
                [&](const QByteArray& bytes) { after += bytes; });
        QVERIFY(h.window->txtTerm->sendKey("y"));
        h.settle();
        QCOMPARE(after, QByteArray("y"));
    }

    // After the radio was told to go, a radio that answers with its console's prompt is said
    // to be restarting, not to be unchanged.
    void radioThatAnswersWithoutItsLoaderAfterYes() {
        Harness h;
        h.connectAndRead();
        h.prompts.files = {writeFirmware(h, SRecord::makeFirmware("3.3.0", 600))};
        h.prompts.answers = {Prompts::Yes};
        bool answered = false;
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes.startsWith('\x1b') && !answered) {
                answered = true;
                h.radio.setSilent(true);
                QTimer::singleShot(0, this, [&] { h.port.deliver("\r\n>"); });
            }
        });
        h.window->upgradeFirmware();
        QVERIFY(h.message().startsWith("The radio did not answer with its loader's prompt"));
        QVERIFY(!h.commands().contains("ERASE"));
        QVERIFY(!h.port.isOpen());
        QVERIFY(!h.window->controls().mnuSendText->isEnabled());
    }

    void shortFileAndRefusedImage() {
        Harness h;
        h.connectAndRead();
        const QByteArray small = SRecord::makeFirmware("3.3.0", 100);
        QVERIFY(small.size() < FirmwareDownload::PieceSize);
        h.prompts.files = {writeFirmware(h, small)};
        h.prompts.answers = {Prompts::Yes};
        QByteArray received;
        capture(h, received);
        h.window->upgradeFirmware();
        QCOMPARE(received, small);
        QCOMPARE(h.message(), QString("Radio programming was successful."));

        Harness broken;
        broken.connectAndRead();
        QByteArray image = SRecord::makeFirmware("3.3.0", 2000);
        image[300] = image[300] == '1' ? '2' : '1';
        broken.prompts.files = {writeFirmware(broken, image)};
        broken.prompts.answers = {Prompts::Yes};
        broken.window->upgradeFirmware();
        QCOMPARE(broken.message(), FailedInLoader);
        QCOMPARE(broken.radio.firmware(), QString("3.2.0"));
        QVERIFY(broken.radio.inLoader());
        // Left in its loader the link is closed, and every control says so; the firmware
        // controls rest with the other connected-only ones.
        QCOMPARE(contradictsClosedLink(broken), QString());
        QVERIFY(!broken.window->controls().mnuSendText->isEnabled());
        QVERIFY(!broken.window->controls().mnuConfigRestore->isEnabled());
    }

    // Cancel stops within a piece, and what the line still held of the file is given up; the
    // radio stays in its loader, which the next connect finds.
    void cancelMidTransfer() {
        Harness h;
        h.connectAndRead();
        h.prompts.files = {writeFirmware(h, SRecord::makeFirmware("3.3.0", 8000))};
        h.prompts.answers = {Prompts::Yes};
        int pieces = 0;
        QByteArray received;
        capture(h, received);
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes.size() == FirmwareDownload::PieceSize && ++pieces == 2) {
                h.port.setStuckOutput(FirmwareDownload::PieceSize);
                h.window->state().cancelRequested = true;
            }
        });
        h.window->upgradeFirmware();
        QCOMPARE(pieces, 2);
        QCOMPARE(received.size(), 2 * FirmwareDownload::PieceSize);
        QCOMPARE(h.port.bytesToSend(), 0);
        QCOMPARE(h.message(), FailedInLoader);
        QCOMPARE(contradictsClosedLink(h), QString());
        h.window->link().disconnectAction();
        h.prompts.calls.clear();
        h.window->link().connectAction();
        QCOMPARE(h.prompts.messages().first().caption, QString("Radio Error"));
    }

    // Cancel works as soon as the progress window shows, the window painted before the first
    // piece: pressed while the loader erases, no PROGRAM follows; pressed at the first piece, no
    // other piece follows. The radio waits in its loader, and the message says so.
    void cancelAsSoonAsTheWindowShows_data() {
        QTest::addColumn<QByteArray>("pressedAt"); // what the radio had just received
        QTest::addColumn<int>("pieces");
        QTest::newRow("the loader erasing") << QByteArray("ERASE\r") << 0;
        QTest::newRow("the first piece") << QByteArray() << 1;
    }
    void cancelAsSoonAsTheWindowShows() {
        QFETCH(QByteArray, pressedAt);
        QFETCH(int, pieces);
        Harness h;
        h.connectAndRead();
        h.prompts.files = {writeFirmware(h, SRecord::makeFirmware("3.3.0", 8000))};
        h.prompts.answers = {Prompts::Yes};
        int sent = 0;
        bool shownAtFirstPiece = false;
        bool shownWhenPressed = false;
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            const bool piece = bytes.size() == FirmwareDownload::PieceSize;
            if (piece && ++sent == 1)
                shownAtFirstPiece = showsCancel(h) && painted(h);
            if (bytes != pressedAt && !(pressedAt.isEmpty() && piece && sent == 1))
                return;
            QTimer::singleShot(0, this, [&] {
                shownWhenPressed = showsCancel(h);
                h.window->findChild<ProgressWindow*>()->Command1->click();
            });
        });
        h.window->upgradeFirmware();
        QVERIFY(shownWhenPressed);
        QVERIFY(pieces == 0 || shownAtFirstPiece);
        QCOMPARE(sent, pieces);
        const QStringList commands = h.commands();
        QCOMPARE(commands.mid(commands.indexOf("ERASE")).contains("PROGRAM"), pieces > 0);
        QCOMPARE(h.message(), FailedInLoader);
        QVERIFY(h.radio.inLoader());
        QCOMPARE(contradictsClosedLink(h), QString());
    }

    void radioThatDoesNotReachItsLoaderIsSaid() {
        Harness h;
        h.connectAndRead();
        h.prompts.files = {writeFirmware(h, SRecord::makeFirmware("3.3.0", 600))};
        connect(&h.port, &SimulatedPort::written, this,
                [&](const QByteArray& bytes) { h.radio.setSilent(bytes == "PROGRAM\r"); });
        h.window->upgradeFirmware();
        QVERIFY(h.message().startsWith("The radio did not reach its loader"));
        QVERIFY(h.window->controls().mnuSendText->isEnabled());
        QCOMPARE(h.radio.firmware(), QString("3.2.0"));
    }
};

QTEST_MAIN(TestFirmware)
#include "tst_firmware.moc"
