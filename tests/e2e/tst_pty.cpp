// The program's real serial port against ardentix-radio-sim over a pseudo-terminal.
#include "app/Clock.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "link/DevicePort.h"
#include "link/TerminalPane.h"

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestPty : public QObject {
    Q_OBJECT

    struct Session {
        Session() {
            sim.start(SIM_PATH, {"--mode", "M"});
            QVERIFY(sim.waitForStarted());
            QVERIFY(sim.waitForReadyRead(5000));
            device = QString::fromLocal8Bit(sim.readLine()).trimmed();
            settings = std::make_unique<QSettings>(dir.filePath("s.ini"), QSettings::IniFormat);
            port = std::make_unique<DevicePort>([this](int) { return device; });
            window = std::make_unique<MainWindow>(*port, prompts, clock, *settings);
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
        QTRY_VERIFY_WITH_TIMEOUT(s.window->txtTerm->toPlainText().endsWith(">"), 5000);
        QVERIFY(s.window->txtTerm->toPlainText().startsWith("Connected"));

        // An exchange over the line cuts the radio's own reply.
        QVERIFY(s.window->console().exchange("pwr", {"pwr", ">"}, 4));
        QCOMPARE(*s.window->console().cut("pwr"), QString("PWR 30"));

        s.window->link().disconnectAction();
        QTRY_VERIFY_WITH_TIMEOUT(s.received().contains("rx: CLOS\n"), 5000);
    }

    void vanishingRadioDisconnects() {
        Session s;
        s.window->link().connectAction();
        QVERIFY(s.port->isOpen());
        s.sim.kill();
        s.sim.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(!s.port->isOpen(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(s.prompts.lastMessage(), RadioLink::communicationError(), 5000);
        QVERIFY(!s.window->controls().imgNotConnected->isHidden());
        QVERIFY(s.window->controls().connectButton->isEnabled());
    }
};

QTEST_MAIN(TestPty)
#include "tst_pty.moc"
