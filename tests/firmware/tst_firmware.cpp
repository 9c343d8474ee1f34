#include "Harness.h"
#include "SRecord.h"
#include "firmware/FirmwareChecks.h"
#include "firmware/FirmwareDownload.h"
#include "settings/SettingsFields.h"

#include <QAction>
#include <QFile>
#include <QStatusBar>
#include <QTest>

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

} // namespace

class TestFirmware : public QObject {
    Q_OBJECT

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
        QCOMPARE(h.prompts.messages().first().caption, QString("Erase Current Firmware?"));
        QCOMPARE(h.message(), QString("Radio programming was successful."));
        // Every byte of the file, once, in order: an exact multiple of the piece size.
        QCOMPARE(received, image);
        QCOMPARE(h.radio.firmware(), QString("3.3.0"));
        QVERIFY(h.port.isOpen());
        QCOMPARE(h.port.settings(), QString("19200,N,8,1"));
        QVERIFY(h.window->controls().connectButton->isEnabled() == false);
        QVERIFY(h.window->statusBar()->isEnabled());
        QVERIFY(h.window->controls().mnuSendText->isEnabled());

        h.window->link().disconnectAction();
        h.connectAndRead();
        QVERIFY(h.window->fields().text("SoftwareRev").contains("3.3.0"));
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
        QCOMPARE(broken.message(), QString("Radio programming FAILED."));
        QCOMPARE(broken.radio.firmware(), QString("3.2.0"));
        QVERIFY(broken.radio.inLoader());
    }

    // Cancel stops within a piece; the radio stays in its loader, which the next connect finds.
    void cancelMidTransfer() {
        Harness h;
        h.connectAndRead();
        h.prompts.files = {writeFirmware(h, SRecord::makeFirmware("3.3.0", 8000))};
        h.prompts.answers = {Prompts::Yes};
        int pieces = 0;
        QByteArray received;
        capture(h, received);
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes.size() == FirmwareDownload::PieceSize && ++pieces == 2)
                h.window->state().cancelRequested = true;
        });
        h.window->upgradeFirmware();
        QCOMPARE(pieces, 2);
        QCOMPARE(received.size(), 2 * FirmwareDownload::PieceSize);
        QCOMPARE(h.message(), QString("Radio programming FAILED."));
        h.window->link().disconnectAction();
        h.prompts.calls.clear();
        h.window->link().connectAction();
        QCOMPARE(h.prompts.messages().first().caption, QString("Radio Error"));
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
