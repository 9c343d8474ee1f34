#include "Harness.h"
#include "diag/RssiWindow.h"
#include "diag/TrendChart.h"
#include "link/ConsoleText.h"
#include "link/TerminalFilter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

class TestRssi : public QObject {
    Q_OBJECT

    static QPointer<RssiWindow> open(Harness& h) {
        h.window->onRssi();
        return h.window->findChild<RssiWindow*>();
    }

private slots:
    void readingsAndBars() {
        QCOMPARE(ConsoleText::rssiReadingOf(" RSSI -105 dBm\r\n"), QString("-105"));
        QCOMPARE(RssiWindow::barOf("-105"), 65);
        QCOMPARE(ConsoleText::rssiReadingOf("RSSI -45 dBm\r\n"), QString("-45 "));
        QCOMPARE(RssiWindow::barOf("-45 "), 120);
        QCOMPARE(RssiWindow::barOf("-128"), 50);
        // Other letter cases are no report.
        QVERIFY(!ConsoleText::rssiReadingOf("rssi -90 dBm\r\n"));
        QVERIFY(!ConsoleText::rssiReadingOf("RSSI -90 DBM\r\n"));
        // The end of one report and the start of the next are no reading.
        QVERIFY(!ConsoleText::rssiReadingOf(" 7 dBm\r\nRSSI -9"));
        QCOMPARE(ConsoleText::rssiReadingOf(" 7 dBm\r\nRSSI -97 dBm\r\n"), QString("-97 "));
    }

    // The bar, its marks and the chart read on one scale, and the reading is large, with its
    // unit beside it, to be read from a ladder.
    void oneScaleAndALargeReading() {
        Harness h;
        h.connectAndRead();
        QPointer<RssiWindow> monitor = open(h);
        QCOMPARE(monitor->trendChart->lowestValue(), double(RssiWindow::LowestDbm));
        QCOMPARE(monitor->trendChart->highestValue(), double(RssiWindow::HighestDbm));
        QCOMPARE(RssiWindow::barOf(QString::number(RssiWindow::LowestDbm)),
                 monitor->ProgressBar1->minimum());
        QCOMPARE(RssiWindow::barOf(QString::number(RssiWindow::HighestDbm)),
                 monitor->ProgressBar1->maximum());
        const char* const marks[] = {"Label3", "Label8", "Label7", "Label6",
                                     "Label1", "Label5", "Label4", "Label2"};
        QCOMPARE(monitor->findChild<QLabel*>(marks[0])->text(), QString("-120 dBm"));
        QCOMPARE(monitor->findChild<QLabel*>(marks[3])->text(), QString("-90 dBm"));
        QCOMPARE(monitor->findChild<QLabel*>(marks[7])->text(), QString("-50 dBm"));
        QCOMPARE(monitor->UnitLabel->text(), QString("dBm"));
        QVERIFY(monitor->Text1->font().pointSizeF() >= 2.5 * monitor->font().pointSizeF());
        QCOMPARE(monitor->UnitLabel->font(), monitor->Text1->font());
        monitor->reject();
    }

    void monitorShowsTheReportAndEndsIt() {
        Harness h;
        h.connectAndRead();
        QPointer<RssiWindow> monitor = open(h);
        QVERIFY(monitor);
        QCOMPARE(monitor->windowTitle(), QString("RSSI"));
        QCOMPARE(h.radio.commands(), QStringList{"rssi"});
        QVERIFY(h.radio.reporting());
        QCOMPARE(monitor->Text1->text(), QString("n/a"));
        // The radio's own reports arrive as time passes.
        h.clock.advance(RadioConsole::ReportMs);
        QTRY_VERIFY(h.window->state().receiveBuffer.contains("dBm"));
        monitor->onTick();
        QVERIFY(monitor->Text1->text().startsWith("-"));
        QVERIFY(monitor->ProgressBar1->value() > 50);

        h.port.deliver("RSSI -105 dBm\r\n");
        monitor->onTick();
        QCOMPARE(monitor->Text1->text(), QString("-105"));
        QCOMPARE(monitor->ProgressBar1->value(), 65);
        // No keep-alive or read interrupts the report.
        h.window->state().refreshRequest = true;
        h.window->onTick();
        QCOMPARE(h.radio.commands(), QStringList{"rssi"});

        monitor->Command1->click();
        QVERIFY(!h.radio.reporting());
        QTRY_VERIFY(!monitor);
        h.window->onTick();
        QVERIFY(h.radio.commands().contains("ser"));
    }

    void chartKeepsTheLastTwoMinutes() {
        Harness h;
        h.connectAndRead();
        QPointer<RssiWindow> monitor = open(h);
        for (int reading = 0; reading < 5; ++reading) {
            h.port.deliver(QString("RSSI -%1 dBm\r\n").arg(90 + reading).toLatin1());
            monitor->onTick();
            h.clock.advance(30000);
        }
        QCOMPARE(monitor->trendChart->pointCount(0), 5);
        // Past two minutes the oldest readings leave the strip.
        h.port.deliver("RSSI -70 dBm\r\n");
        monitor->onTick();
        QCOMPARE(monitor->trendChart->pointCount(0), 5);
        // A tick without a whole report adds nothing.
        h.port.deliver("RSSI -7");
        monitor->onTick();
        QCOMPARE(monitor->trendChart->pointCount(0), 5);
        monitor->reject();
    }

    // Reports that stop coming leave no old level on the screen; the next one shows again.
    void silentRadioShowsNoLevel() {
        Harness h;
        h.connectAndRead();
        QPointer<RssiWindow> monitor = open(h);
        h.radio.setSilent(true);
        h.port.deliver("RSSI -105 dBm\r\n");
        monitor->onTick();
        QCOMPARE(monitor->Text1->text(), QString("-105"));
        h.clock.advance(RssiWindow::StaleMs / 2);
        monitor->onTick();
        QCOMPARE(monitor->Text1->text(), QString("-105"));
        h.clock.advance(RssiWindow::StaleMs / 2);
        monitor->onTick();
        QCOMPARE(monitor->Text1->text(), QString("n/a"));
        QCOMPARE(monitor->ProgressBar1->value(), monitor->ProgressBar1->minimum());
        // Half a report is no reading either.
        h.port.deliver("RSSI -10");
        monitor->onTick();
        QCOMPARE(monitor->Text1->text(), QString("n/a"));
        h.port.deliver("1 dBm\r\n");
        monitor->onTick();
        QCOMPARE(monitor->Text1->text(), QString("-101"));
        monitor->reject();
    }

    // A line full of noise, more than the receive buffer keeps, with no report in it: the
    // monitor shows nothing new, the buffer stays within its limit, and the first report after
    // the noise is read and shown.
    void noiseBeforeAReportLeavesItReadable() {
        Harness h;
        h.connectAndRead();
        QPointer<RssiWindow> monitor = open(h);
        h.port.deliver("RSSI -90 dBm\r\n");
        monitor->onTick();
        QRandomGenerator noise(11);
        QByteArray bytes(64 * 1024, '\0');
        for (int chunk = 0; chunk < 24; ++chunk) {
            for (char& c : bytes)
                c = char(noise.bounded(256));
            h.port.deliver(bytes);
            monitor->onTick();
            QVERIFY(h.window->state().receiveBuffer.size() <= ReceiveBufferLimit);
        }
        QCOMPARE(monitor->Text1->text().trimmed(), QString("-90"));
        QCOMPARE(monitor->trendChart->pointCount(0), 1);
        h.port.deliver("\r\nRSSI -72 dBm\r\n");
        monitor->onTick();
        QCOMPARE(monitor->Text1->text().trimmed(), QString("-72"));
        QCOMPARE(monitor->trendChart->pointCount(0), 2);
        QCOMPARE(h.window->state().receiveBuffer, QString(" "));
        monitor->reject();
    }

    void quittingEndsTheReport() {
        Harness h;
        h.connectAndRead();
        open(h);
        QVERIFY(h.radio.reporting());
        h.window->close();
        QTRY_VERIFY(h.commands().contains("PASS NONE"));
        QVERIFY(!h.radio.reporting());
        QVERIFY(!h.window->findChild<RssiWindow*>() ||
                !h.window->findChild<RssiWindow*>()->isVisible());
    }

    void closedPortOpensNothing() {
        Harness h;
        h.window->onRssi();
        QCOMPARE(h.message(), QString("Please Toggle COMM Port open first."));
        QVERIFY(!h.window->findChild<RssiWindow*>());
        QVERIFY(h.radio.lines().isEmpty());
    }
};

QTEST_MAIN(TestRssi)
#include "tst_rssi.moc"
