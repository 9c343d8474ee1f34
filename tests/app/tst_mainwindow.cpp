#include "Harness.h"
#include "app/SplashWindow.h"
#include "core/AppSettings.h"
#include "core/ProgressWindow.h"
#include "core/QuitSignals.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <csignal>

class TestMainWindow : public QObject {
    Q_OBJECT

    static QAction* action(Harness& h, const char* name) {
        return h.window->findChild<QAction*>(name);
    }

private slots:
    void storedValuesAreReadWithTheirDefaults() {
        Harness h;
        const StoredPreferences defaults = loadPreferences(*h.settings);
        QCOMPARE(defaults.commPort, 1);
        QVERIFY(!defaults.passEnabled && defaults.boldText && !defaults.connectOnLaunch);
        QVERIFY(defaults.keepAlive && defaults.logoutOnQuit);
        QCOMPARE(defaults.textColor, QColor(0, 0, 0x99));
        QCOMPARE(defaults.backColor, QColor(255, 255, 255));

        h.settings->setValue("Properties/CommPort", "");
        h.settings->setValue("Preferences/BoldText", "FALSE");
        h.settings->setValue("Preferences/TextColor", "255");
        h.settings->setValue("Preferences/BackColor", "&H00BB00");
        h.settings->setValue("Preferences/KeepAlive", "maybe");
        const StoredPreferences read = loadPreferences(*h.settings);
        QCOMPARE(read.commPort, 1);
        QVERIFY(!read.boldText);
        QCOMPARE(read.textColor, QColor(255, 0, 0));
        QCOMPARE(read.backColor, QColor(0, 0xBB, 0));
        QVERIFY(read.keepAlive); // unreadable: the default stays
        QVERIFY(!parseColour("&H1000000"));
        QVERIFY(!parseColour("red"));
    }

    void loadAppliesTheStoredPreferences() {
        Harness h({}, {{"Properties/CommPort", "3"},
                       {"Preferences/BoldText", "False"},
                       {"Preferences/TextColor", "&H0000FF"},
                       {"Preferences/LogoutOnQuit", "false"}});
        QCOMPARE(h.port.portNumber(), 3);
        QVERIFY(!h.window->txtTerm->font().bold());
        QCOMPARE(h.window->txtTerm->palette().color(QPalette::Text), QColor(255, 0, 0));
        QVERIFY(!h.window->state().logoutOnQuit);
        QCOMPARE(h.window->windowTitle(), QString("Quenlar Ardentix Radio Configuration"));
        QCOMPARE(h.port.settings(), QString("19200,N,8,1"));
    }

    void menusAndToolbarStartDisconnected() {
        Harness h;
        for (const char* name : {"mnuOpenLog", "mnuFileExit", "mnuOpen", "mnuProperties",
                                 "mnuPreferences", "mnuAbout"})
            QVERIFY2(action(h, name) && action(h, name)->isEnabled(), name);
        for (const char* name :
             {"mnuCloseLog", "mnuSendText", "mnuRadioPassSub", "mnuSetPass", "mnuAccessCode",
              "mnuEncryptCode", "mnuSetupMode", "mnuConfigRestore"})
            QVERIFY2(action(h, name) && !action(h, name)->isEnabled(), name);
        QCOMPARE(action(h, "mnuConfigRestore")->text(),
                 QString("Open Configuration Store/Restore Window..."));
        for (const char* key :
             {"Login", "Logout", "Disconnect", "TransmitTextFile", "CloseLogFile"})
            QVERIFY2(!h.window->toolbarButton(key)->isEnabled(), key);
        QVERIFY(h.window->toolbarButton("connect")->isEnabled());
        QCOMPARE(h.window->toolbarButton("Login")->toolTip(),
                 QString("Login with a radio password..."));
        QCOMPARE(h.window->toolbarButton("Connect")->iconText(), QString("Connect..."));
        QVERIFY(!h.window->controls().imgNotConnected->isHidden());
        QVERIFY(h.window->controls().imgConnected->isHidden());
        QCOMPARE(h.window->SettingsTab->count(), 6);
        QCOMPARE(h.window->SettingsTab->tabText(4), QString("Store and Forward Settings"));
        QCOMPARE(h.window->controls().statusPanel->text(), QString("Status: "));
        QVERIFY(h.window->controls().Timer1->isActive());
    }

    void toolbarDispatchesByKey() {
        Harness h;
        h.window->onToolbarButton(h.window->toolbarButton("CONNECT"));
        QVERIFY(h.port.isOpen());
        h.window->onToolbarButton(h.window->toolbarButton("Disconnect"));
        QVERIFY(!h.port.isOpen());
        h.prompts.files = {h.dir.filePath("t.log")};
        h.window->onToolbarButton(h.window->toolbarButton("OpenLogFile"));
        QVERIFY(h.window->terminal().log().isOpen());
        h.window->onToolbarButton(h.window->toolbarButton("CloseLogFile"));
        QVERIFY(!h.window->terminal().log().isOpen());
    }

    void refreshConnectsWhenClosedAndRequestsWhenOpen() {
        Harness h;
        h.window->ButtonRefresh->click();
        QVERIFY(h.port.isOpen());
        h.window->state().refreshRequest = false;
        h.window->ButtonRefresh->click();
        QVERIFY(h.window->state().refreshRequest);
    }

    void rssiNeedsAnOpenPort() {
        Harness h;
        h.window->ButtonRSSI->click();
        QCOMPARE(h.message(), QString("Please Toggle COMM Port open first."));
        QCOMPARE(h.prompts.messages().last().caption, QString("User Help"));
    }

    void terminalTakesItsShareOfTheHeight() {
        Harness h;
        h.window->show();
        for (int height : {700, 260}) {
            h.window->resize(900, height);
            QTRY_COMPARE(h.window->txtTerm->height(),
                         int(h.window->centralWidget()->height() / 2.8));
        }
        const QWidget* frame = h.window->ConnectionFrame;
        QCOMPARE(frame->x(), h.window->centralWidget()->width() - int(1.5 * frame->width()));
        QCOMPARE(h.window->ButtonRSSI->x(), h.window->ButtonRefresh->x() - 67);
    }

    void connectOnLaunchConnectsAtTheFirstTick() {
        Harness h({}, {{"Preferences/ConnectOnLaunch", "True"}});
        QVERIFY(h.window->ticker().launchConnectRequest);
        h.window->onTick();
        QVERIFY(h.port.isOpen());
        QVERIFY(!h.window->ticker().launchConnectRequest);
    }

    void connectTimeShowsTheTimeOfDayPart() {
        Harness h;
        h.window->onTick();
        QCOMPARE(h.window->controls().connectTimePanel->text(), QString("09:00:00 "));
        h.connectRadio();
        h.clock.advance((25 * 3600 + 7) * 1000LL);
        h.window->onTick();
        QCOMPARE(h.window->controls().connectTimePanel->text(), QString("01:00:07 "));
    }

    void keepAliveSendsEightCarriageReturnsThenReads() {
        Harness h;
        int reads = 0;
        h.window->ticker().readSettings = [&] { ++reads; };
        h.connectRadio();
        h.window->state().refreshRequest = false;
        QList<int> minutes;
        for (int second = 1; second <= 37 * 60; ++second) {
            h.clock.advance(1000);
            const int before = h.radio.lines().size();
            // Other traffic does not move the schedule.
            if (second % 97 == 0)
                h.window->console().sendLine("temp");
            h.window->onTick();
            if (h.radio.lines().size() > before && h.radio.lines().last().isEmpty())
                minutes << second / 60;
        }
        QCOMPARE(minutes, (QList<int>{4, 8, 12, 16, 20, 24, 28, 32}));
        QCOMPARE(reads, 1);
        QCOMPARE(h.window->ticker().keepAliveCount, 8);
    }

    void keepAliveOffSendsNothing() {
        Harness h({}, {{"Preferences/KeepAlive", "False"}});
        h.connectRadio();
        h.window->state().refreshRequest = false;
        for (int second = 0; second < 600; ++second) {
            h.clock.advance(1000);
            h.window->onTick();
        }
        QVERIFY(h.radio.lines().isEmpty());
    }

    void splashClosesAtItsTickLimit() {
        SplashWindow start(SplashWindow::StartUp);
        start.show();
        start.onTick();
        QVERIFY(start.isVisible());
        start.onTick();
        QVERIFY(!start.isVisible());
        QCOMPARE(start.result(), int(QDialog::Accepted));

        SplashWindow about(SplashWindow::About);
        about.show();
        for (int i = 0; i < 7; ++i)
            about.onTick();
        QVERIFY(about.isVisible());
        about.onTick();
        QVERIFY(!about.isVisible());

        SplashWindow clicked(SplashWindow::About);
        clicked.show();
        QTest::mouseClick(clicked.findChild<QLabel*>("lblVersion"), Qt::LeftButton);
        QVERIFY(!clicked.isVisible());
    }

    // A termination signal reaches the event loop as a call, where the program quits as File,
    // Exit quits it.
    void quitSignalsReachTheEventLoop() {
        QuitSignals quitSignals;
        QSignalSpy received(&quitSignals, &QuitSignals::received);
        for (const int number : {SIGTERM, SIGHUP, SIGINT})
            std::raise(number);
        QTRY_COMPARE(received.size(), 3);
        QCOMPARE(received.at(0).at(0).toInt(), SIGTERM);
        QCOMPARE(received.at(2).at(0).toInt(), SIGINT);

        Harness h;
        h.connectAndRead();
        connect(&quitSignals, &QuitSignals::received, h.window.get(), &MainWindow::quitBySignal);
        std::raise(SIGTERM);
        QTRY_VERIFY(h.window->ended());
        QCOMPARE(h.commands().last(), QString("PASS NONE"));
    }

    void progressCancelRaisesTheFlag() {
        SharedState state;
        ProgressWindow progress(state);
        QCOMPARE(progress.windowTitle(), QString("Downloading Software to the radio..."));
        progress.show();
        QVERIFY(!state.cancelRequested);
        progress.Command1->click();
        QVERIFY(state.cancelRequested);
        QVERIFY(!progress.isVisible());
        QCOMPARE(progress.ProgressBar1->maximum(), 100);

        // Esc (and the close box, which ends the same way) is Cancel too.
        state.cancelRequested = false;
        progress.show();
        QTest::keyClick(&progress, Qt::Key_Escape);
        QVERIFY(state.cancelRequested);
        QVERIFY(!progress.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
