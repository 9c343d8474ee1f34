// The program's real serial port against ardentix-radio-sim over a pseudo-terminal.
#include "SRecord.h"
#include "app/MainWindow.h"
#include "core/ClickableLabel.h"
#include "core/Clock.h"
#include "core/ParameterField.h"
#include "core/Prompts.h"
#include "diag/SetupWindow.h"
#include "diag/ZoneDataWindow.h"
#include "link/DevicePort.h"
#include "link/TerminalPane.h"
#include "settings/ReadSequence.h"
#include "settings/SettingsFields.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

class TestPty : public QObject {
    Q_OBJECT

    struct Session {
        explicit Session(const QStringList& options = {}) {
            sim.start(SIM_PATH, QStringList{"--mode", "M"} + options);
            QVERIFY(sim.waitForStarted());
            QVERIFY(sim.waitForReadyRead(5000));
            device = QString::fromLocal8Bit(sim.readLine()).trimmed();
            settings = std::make_unique<QSettings>(dir.filePath("s.ini"), QSettings::IniFormat);
            port = std::make_unique<DevicePort>([this](int) { return device; });
            window = std::make_unique<MainWindow>(*port, prompts, clock, *settings);
            // The tests run each exchange themselves: no tick may start a read inside one.
            window->controls().Timer1->blockSignals(true);
        }
        ~Session() {
            sim.kill();
            sim.waitForFinished();
        }
        // Everything the simulator reported receiving so far.
        QString received() {
            log += QString::fromLocal8Bit(sim.readAllStandardOutput());
            return log;
        }

        QProcess sim;
        QString device;
        QString log;
        QTemporaryDir dir;
        std::unique_ptr<QSettings> settings;
        std::unique_ptr<DevicePort> port;
        SystemClock clock;
        ScriptedPrompts prompts;
        std::unique_ptr<MainWindow> window;
    };

private slots:
    void connectsOverARealLine() {
        Session s;
        QVERIFY(s.device.startsWith("/dev/"));
        s.window->link().connectAction();
        QVERIFY(s.port->isOpen());
        QTRY_VERIFY_WITH_TIMEOUT(s.received().contains("rx: OPEN\n"), 10000);
        QVERIFY(s.window->state().refreshRequest);
        QVERIFY(s.prompts.messages().isEmpty());
        // The prompt comes back to the pane after "Connected".
        QTRY_VERIFY_WITH_TIMEOUT(s.window->txtTerm->text().endsWith(">"), 5000);
        QVERIFY(s.window->txtTerm->text().startsWith("Connected"));

        // An exchange over the line cuts the radio's own reply. A prompt still on its way from
        // the connect may land in front of the echo, where the cut stops: the line is quiet once
        // the first reply is whole, so the second exchange is clean.
        std::optional<QString> power;
        for (int attempt = 0; attempt < 2 && !power; ++attempt) {
            QVERIFY(s.window->console().exchange("pwr", {"PWR 30\r\n>"}, 4));
            power = s.window->console().cut("pwr");
        }
        QVERIFY(power.has_value());
        QCOMPARE(*power, QString("PWR 30"));

        s.window->link().disconnectAction();
        QTRY_VERIFY_WITH_TIMEOUT(s.received().contains("rx: CLOS\n"), 5000);
    }

    // Over a real line replies come in pieces, paced at the line speed, and a write is answered
    // a quarter of a second late: the login probe still waits for the radio's word.
    void loginProbeOverARealLine() {
        Session locked({"--password", "ab12", "--store-latency", "250"});
        locked.window->link().connectAction();
        QVERIFY(locked.port->isOpen());
        locked.window->reader().run();
        const LinkControls& c = locked.window->controls();
        QVERIFY(c.loginButton->isEnabled() && !c.logoutButton->isEnabled());
        QVERIFY(locked.received().contains("rx: own QUENLAR FIELD RADIO\n"));
        QCOMPARE(locked.window->fields().text("PowerLevel"), QString("PWR 30"));
        QCOMPARE(locked.window->fields().text("OwnerName"), QString("QUENLAR FIELD RADIO"));

        Session open({"--store-latency", "250"});
        open.window->link().connectAction();
        open.window->reader().run();
        const LinkControls& o = open.window->controls();
        QVERIFY(o.logoutButton->isEnabled() && !o.loginButton->isEnabled());
        QCOMPARE(open.window->fields().text("DiagOptions"),
                 QString("ENC ON, SAF ON, DIAG ON, RTU ON"));
    }

    // Setup mode over a real line, where each reply comes in paced pieces and a write is
    // answered late: the frequency cuts and the programming wait still hold.
    void setupModeOverARealLine() {
        Session s({"--store-latency", "250"});
        s.window->link().connectAction();
        s.window->reader().run();
        s.prompts.answers = {Prompts::Yes};
        s.window->enterSetupMode();
        QPointer<SetupWindow> setup = s.window->findChild<SetupWindow*>();
        QVERIFY(setup);
        QCOMPARE(setup->RxFrequency->text(), QString("915.000"));
        QCOMPARE(setup->TxFrequency->text(), QString("917.500"));
        s.prompts.texts = {QString("903")};
        setup->programFrequency("rx");
        QCOMPARE(setup->RxFrequency->text(), QString("903.000"));
        setup->Key->click();
        setup->close();
        QTRY_VERIFY_WITH_TIMEOUT(s.received().contains("rx: KEY\nrx: DKEY\nrx: quit\n"), 5000);
    }

    // The zone data screen on its own timers against the radio's paced replies.
    void zoneDataOverARealLine() {
        Session s;
        s.window->link().connectAction();
        s.window->reader().run();
        s.window->onZoneData();
        ZoneDataWindow* screen = s.window->findChild<ZoneDataWindow*>();
        QVERIFY(screen);
        QTRY_VERIFY_WITH_TIMEOUT(screen->zoneRXCount.at(7)->text().toInt() > 0, 15000);
        QVERIFY(s.received().contains("rx: skip\nrx: ZONE DATA\n"));
        // The system holds each reply's pieces back until the rest is in: a few announcements
        // a reply, where the radio's pieces are over a hundred.
        int announced = 0;
        connect(s.port.get(), &SerialPort::commEvent, this,
                [&announced](int code) { announced += code == SerialPort::Received; });
        const qsizetype askedBefore = s.received().count("rx: ZONE DATA\n");
        QTRY_VERIFY_WITH_TIMEOUT(s.received().count("rx: ZONE DATA\n") >= askedBefore + 4, 15000);
        const qsizetype asked = s.received().count("rx: ZONE DATA\n") - askedBefore;
        QVERIFY2(announced < 30 * asked,
                 qPrintable(QString("%1 announcements for %2 replies").arg(announced).arg(asked)));
        screen->reject();
    }

    // The port asked for a number of characters announces them once they are all in, or at
    // its deadline when fewer come; without asking, every arrival is announced.
    void heldArrivalsOverARealLine() {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const QString device = QString::fromLocal8Bit(::ptsname(master));
        DevicePort port([device](int) { return device; });
        port.setOpen(true);
        QByteArray received;
        int announced = 0;
        connect(&port, &SerialPort::commEvent, this, [&](int code) {
            if (code != SerialPort::Received)
                return;
            ++announced;
            received += port.readAll();
        });
        const auto send = [master](const QByteArray& bytes) {
            QCOMPARE(::write(master, bytes.constData(), size_t(bytes.size())), bytes.size());
        };

        port.expectCharacters(60, 5000);
        for (int piece = 0; piece < 6; ++piece) {
            send(QByteArray(10, char('a' + piece)));
            QTest::qWait(5);
        }
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 60, 5000);
        QCOMPARE(announced, 1);

        port.expectCharacters(60, 100);
        send(QByteArray(20, 'x'));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 80, 5000);
        QCOMPARE(announced, 2);

        send("y");
        QTRY_COMPARE_WITH_TIMEOUT(announced, 3, 5000);
        // Ended early, a wait gives up what it held at once.
        port.expectCharacters(60, 5000);
        send("z");
        QTest::qWait(20);
        QCOMPARE(announced, 3);
        port.expectCharacters(0, 0);
        QTRY_COMPARE_WITH_TIMEOUT(received.right(2), QByteArray("yz"), 1000);
        port.setOpen(false);
        ::close(master);
    }

    // 3.2.0 to 3.3.0 through the loader at 115200 baud over a real line; the next connection
    // reads the new release.
    void firmwareUpgradeOverARealLine() {
        Session s;
        s.window->link().connectAction();
        s.window->reader().run();
        QCOMPARE(s.window->state().currentVersion, QString("3.2.0"));
        const QString path = s.dir.filePath("fw.s28");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Large enough to fill the line's buffers: the sender is held back, not cut off.
        file.write(SRecord::makeFirmware("3.3.0", 24000));
        file.close();
        s.prompts.files = {path};
        s.prompts.answers = {Prompts::Yes};
        s.window->upgradeFirmware();
        QCOMPARE(s.prompts.lastMessage(), QString("Radio programming was successful."));
        QTRY_VERIFY_WITH_TIMEOUT(s.received().contains("rx: EXIT\n"), 5000);
        QCOMPARE(s.port->settings(), QString("19200,N,8,1"));
        s.window->link().disconnectAction();
        s.window->link().connectAction();
        s.window->reader().run();
        QCOMPARE(s.window->state().currentVersion, QString("3.3.0"));
    }

    void vanishingRadioDisconnects() {
        Session s;
        s.window->link().connectAction();
        QVERIFY(s.port->isOpen());
        s.sim.kill();
        s.sim.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(!s.port->isOpen(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(s.prompts.lastMessage(), Console::communicationError(), 5000);
        QVERIFY(!s.window->controls().imgNotConnected->isHidden());
        QVERIFY(s.window->controls().connectButton->isEnabled());
    }
};

QTEST_MAIN(TestPty)
#include "tst_pty.moc"
