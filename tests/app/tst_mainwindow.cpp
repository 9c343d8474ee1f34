#include "Harness.h"
#include "access/LoginDialog.h"
#include "access/PasswordDialog.h"
#include "app/GuideWindow.h"
#include "app/PreferencesDialog.h"
#include "app/PropertiesDialog.h"
#include "app/SplashWindow.h"
#include "config/RestoreWindow.h"
#include "core/AppSettings.h"
#include "core/ClickableLabel.h"
#include "core/ParameterField.h"
#include "core/ProgressWindow.h"
#include "core/QuitSignals.h"
#include "core/ScreenFit.h"
#include "diag/RssiWindow.h"
#include "diag/SetupWindow.h"
#include "diag/ZoneDataWindow.h"
#include "program/DlinkDialog.h"
#include "program/DtypeDialog.h"
#include "program/RtuDialog.h"
#include "program/XmapDialog.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QGraphicsTextItem>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <csignal>

namespace {

template <typename Window> QWidget* shownWindow(Harness& h) {
    for (Window* window : h.window->findChildren<Window*>())
        if (window->isVisible())
            return window;
    return nullptr;
}

// Every window the program opens, as a user opens it on a connected radio.
const struct {
    const char* name;
    QWidget* (*open)(Harness& h);
} Windows[] = {
    {"main window", [](Harness& h) -> QWidget* { return h.window.get(); }},
    {"RSSI monitor",
     [](Harness& h) {
         h.window->onRssi();
         return shownWindow<RssiWindow>(h);
     }},
    {"zone data",
     [](Harness& h) {
         h.window->onZoneData();
         return shownWindow<ZoneDataWindow>(h);
     }},
    {"zone quality",
     [](Harness& h) {
         h.window->onZoneData();
         h.window->findChild<ZoneDataWindow*>()->showZoneQuality();
         return shownWindow<ZoneQualityWindow>(h);
     }},
    {"setup mode",
     [](Harness& h) {
         h.prompts.answers = {Prompts::Yes};
         h.window->controls().mnuSetupMode->trigger();
         return shownWindow<SetupWindow>(h);
     }},
    {"store and restore",
     [](Harness& h) {
         h.window->openConfigRestore();
         return shownWindow<RestoreWindow>(h);
     }},
    {"login",
     [](Harness& h) {
         h.window->access().openLogin();
         return shownWindow<LoginDialog>(h);
     }},
    {"password",
     [](Harness& h) {
         h.window->access().openPasswordSetup();
         return shownWindow<PasswordDialog>(h);
     }},
    {"diagnostic link",
     [](Harness& h) {
         h.window->editor().edit("DLINK");
         return shownWindow<DlinkDialog>(h);
     }},
    {"diagnostic type",
     [](Harness& h) {
         h.window->editor().edit("DTYPE");
         return shownWindow<DtypeDialog>(h);
     }},
    {"soft RTU",
     [](Harness& h) {
         h.window->editor().edit("SoftRTU");
         return shownWindow<RtuDialog>(h);
     }},
    {"extension map",
     [](Harness& h) {
         h.window->editor().edit("XMAP");
         return shownWindow<XmapDialog>(h);
     }},
    {"preferences",
     [](Harness& h) {
         h.window->openPreferences();
         return shownWindow<PreferencesDialog>(h);
     }},
    {"port properties",
     [](Harness& h) {
         h.window->openProperties();
         return shownWindow<PropertiesDialog>(h);
     }},
};

// The screen the rows are measured on; the scale of a row is fixed once the application has
// started, so a row runs in a process of its own, on an off-screen screen of this size.
constexpr QSize RowScreen(1280, 1024);
const char* const RowScaleVariable = "ARDENTIX_ROW_SCALE";

void runRowAtScale(const QString& scale) {
    QTemporaryDir dir;
    QFile screens(dir.filePath("screen.json"));
    QVERIFY(screens.open(QIODevice::WriteOnly));
    screens.write(QString(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": %1, )"
                          R"("height": %2, "logicalDpi": 96, "dpr": 1}]})")
                      .arg(RowScreen.width())
                      .arg(RowScreen.height())
                      .toUtf8());
    screens.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The platform's options are cut at colons, a Windows drive's too: the file is named
    // relative to the row's folder.
    environment.insert("QT_QPA_PLATFORM", "offscreen:configfile=screen.json");
    environment.insert("QT_SCALE_FACTOR", scale);
    environment.insert(RowScaleVariable, scale);
    QProcess row;
    row.setWorkingDirectory(dir.path());
    row.setProcessEnvironment(environment);
    row.setProcessChannelMode(QProcess::MergedChannels);
    row.start(QCoreApplication::applicationFilePath(),
              {QString("%1:%2").arg(QTest::currentTestFunction(), QTest::currentDataTag())});
    QVERIFY(row.waitForFinished(-1));
    QVERIFY2(row.exitStatus() == QProcess::NormalExit && row.exitCode() == 0,
             row.readAll().constData());
}

QString nameOf(const QWidget* widget) {
    return QString("%1 %2").arg(widget->metaObject()->className(), widget->objectName());
}

// A control the user cannot see whole: it reaches past its parent, and the parent is no scroll
// area that scrolls to it.
bool cutOff(const QWidget* control) {
    const QWidget* parent = control->parentWidget();
    const auto* area =
        parent ? qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()) : nullptr;
    const QRect placed = control->geometry();
    if (area && area->viewport() == parent) {
        const bool wider = placed.left() < 0 || placed.right() > parent->rect().right();
        const bool taller = placed.top() < 0 || placed.bottom() > parent->rect().bottom();
        return (wider && !area->horizontalScrollBar()->isVisible()) ||
               (taller && !area->verticalScrollBar()->isVisible());
    }
    return !parent->rect().contains(placed);
}

// The labels of a chart that are cut to "..." or hidden, for want of room.
QStringList unreadableLabels(const QChartView& chart) {
    QStringList unreadable;
    for (const QGraphicsItem* item : chart.scene()->items()) {
        const auto* label = dynamic_cast<const QGraphicsTextItem*>(item);
        if (!label || (label->parentItem() && !label->parentItem()->isVisible()))
            continue;
        const QString text = label->toPlainText();
        if (!label->isVisible() || text.endsWith("...") || text.endsWith(QChar(0x2026)))
            unreadable << text;
    }
    return unreadable;
}

// Opened whole: within the screen's free area with room for a title bar and borders, every
// control within its parent or scrolled to, no menu or toolbar item behind an extension arrow,
// and every chart label readable.
void checkWhole(QWidget& window) {
    const QRect free = window.screen()->availableGeometry();
    const QSize room = screenRoom(window);
    QVERIFY2(free.contains(window.frameGeometry()) && window.width() <= room.width() &&
                 window.height() <= room.height(),
             qPrintable(QString("%1x%2 on %3x%4")
                            .arg(window.width())
                            .arg(window.height())
                            .arg(room.width())
                            .arg(room.height())));
    for (const QWidget* control : window.findChildren<QWidget*>())
        if (control->isVisible())
            QVERIFY2(!cutOff(control), qPrintable(nameOf(control)));
    for (const QToolButton* button : window.findChildren<QToolButton*>())
        if (button->objectName().endsWith("_ext_button"))
            QVERIFY2(!button->isVisible(), qPrintable(nameOf(button->parentWidget())));
    for (const QToolBar* bar : window.findChildren<QToolBar*>())
        for (QAction* action : bar->actions())
            QVERIFY2(bar->widgetForAction(action)->isVisible(), qPrintable(action->objectName()));
    for (const QChartView* chart : window.findChildren<QChartView*>())
        QVERIFY2(unreadableLabels(*chart).isEmpty(),
                 qPrintable(unreadableLabels(*chart).join(", ")));
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    static QAction* action(Harness& h, const char* name) {
        return h.window->findChild<QAction*>(name);
    }

    // Shown and active, so that the keyboard and the window's shortcuts reach it.
    static void activate(Harness& h) {
        h.window->show();
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
    }

    // The fields a user can reach in one frame, top to bottom.
    static QStringList usableFields(Harness& h, const QWidget* frame) {
        QStringList names;
        for (const ParameterField* field : h.window->fields().inFocusOrder(frame))
            if (field->isVisibleTo(h.window.get()) && field->isEnabled())
                names << field->objectName();
        return names;
    }

    // The parameter fields that Tab visits, from the terminal onwards, until the buttons.
    static QStringList tabbedFields(Harness& h) {
        h.window->txtTerm->setFocus();
        // Tab is the radio's in the terminal; Ctrl+Tab leaves it.
        QTest::keyClick(h.window->txtTerm, Qt::Key_Tab, Qt::ControlModifier);
        QStringList names;
        while (QWidget* focused = QApplication::focusWidget()) {
            if (focused == h.window->ButtonZoneData || names.size() > 60)
                break;
            if (qobject_cast<ParameterField*>(focused))
                names << focused->objectName();
            else if (focused == h.window->SettingsTab->tabBar())
                names << "tab bar";
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        return names;
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
        QCOMPARE(action(h, "mnuConfigRestore")->text().remove(u'&'),
                 QString("Open Configuration Store/Restore Window..."));
        // Every menu item can be chosen by its letter, a different one within each menu.
        for (const QMenu* menu : h.window->menuBar()->findChildren<QMenu*>()) {
            QSet<QChar> letters;
            for (const QAction* item : menu->actions()) {
                if (item->isSeparator())
                    continue;
                const qsizetype at = item->text().indexOf(u'&');
                QVERIFY2(at >= 0 && at + 1 < item->text().size(), qPrintable(item->text()));
                const QChar letter = item->text().at(at + 1).toLower();
                QVERIFY2(!letters.contains(letter), qPrintable(item->text()));
                letters << letter;
            }
        }
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
        // The buttons stand at equal steps, each wide enough for its caption.
        const int step = h.window->ButtonRefresh->x() - h.window->ButtonRSSI->x();
        QCOMPARE(h.window->ButtonRSSI->x() - h.window->ButtonZoneData->x(), step);
        QCOMPARE(frame->x() - h.window->ButtonRefresh->x(), 2 * step);
        for (const QPushButton* button :
             {h.window->ButtonRefresh, h.window->ButtonRSSI, h.window->ButtonZoneData})
            QVERIFY(button->width() > button->fontMetrics().horizontalAdvance(button->text()));
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
        // Counted from the moment of connecting: the wait for the prompt that follows may take
        // a moment of its own on a slow machine.
        const qint64 connected = h.clock.msecs();
        h.connectRadio();
        h.window->state().refreshRequest = false;
        QList<int> minutes;
        while (h.clock.msecs() - connected < 37 * 60 * 1000) {
            h.clock.advance(1000);
            const int before = h.radio.lines().size();
            // Other traffic does not move the schedule.
            if ((h.clock.msecs() / 1000) % 97 == 0)
                h.window->console().sendLine("temp");
            h.window->onTick();
            if (h.radio.lines().size() > before && h.radio.lines().last().isEmpty())
                minutes << int((h.clock.msecs() - connected) / 60000);
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

        SplashWindow clicked(SplashWindow::StartUp);
        clicked.show();
        QTest::mouseClick(clicked.findChild<QLabel*>("lblVersion"), Qt::LeftButton);
        QVERIFY(!clicked.isVisible());
    }

    // Tab goes from the terminal through the "Information" fields, the tab bar and the open
    // tab's fields, top to bottom, skipping what the radio's role or firmware leaves out.
    void tabReachesEveryUsableFieldInOrder() {
        RadioOptions master;
        master.mode = 'M';
        Harness h(master);
        h.connectAndRead();
        activate(h);
        for (int tab = 0; tab < 6; ++tab) {
            h.window->SettingsTab->setCurrentIndex(tab);
            const QStringList expected = usableFields(h, h.window->InfoFrame) +
                                         QStringList{"tab bar"} +
                                         usableFields(h, h.window->NetSet.at(tab));
            QCOMPARE(tabbedFields(h), expected);
        }
        // A field the read moves takes its new place in the order.
        h.window->SettingsTab->setCurrentIndex(2);
        QCOMPARE(usableFields(h, h.window->NetSet.at(2)).first(), QString("NetworkAddress"));
        QCOMPARE(usableFields(h, h.window->NetSet.at(2)).size(), 5);
    }

    void enterAndSpaceOnAFieldRunItsEdit() {
        Harness h;
        h.connectAndRead();
        activate(h);
        ParameterField* power = h.window->fields().field("PowerLevel");
        power->setFocus();
        h.prompts.texts = {QString("PWR 25")};
        QTest::keyClick(power, Qt::Key_Return);
        h.settle();
        QCOMPARE(h.radio.commands(), QStringList{"pwr 25"});
        h.radio.clearLines();
        h.prompts.texts = {QString("22")};
        QTest::keyClick(power, Qt::Key_Space);
        h.settle();
        QCOMPARE(h.radio.commands(), QStringList{"pwr 22"});
        // The "Information" frame's fields work the same way.
        h.radio.clearLines();
        h.prompts.texts = {QString("UNIT 12345")};
        QTest::keyClick(h.window->fields().field("UnitAddr"), Qt::Key_Enter, Qt::KeypadModifier);
        h.settle();
        QCOMPARE(h.radio.commands(), QStringList{"unit 12345"});
        // Other keys edit nothing.
        h.radio.clearLines();
        QTest::keyClick(power, Qt::Key_A);
        QTest::keyClick(power, Qt::Key_Return, Qt::ControlModifier);
        h.settle();
        QVERIFY(h.radio.lines().isEmpty());
    }

    void f1OnAFieldOrItsLabelShowsTheLabelsHelp() {
        Harness h;
        activate(h);
        QTest::mouseClick(h.window->fields().label("PowerLevel"), Qt::LeftButton);
        const auto clicked = h.prompts.messages().last();
        h.prompts.calls.clear();
        h.window->fields().field("PowerLevel")->setFocus();
        QTest::keyClick(h.window->fields().field("PowerLevel"), Qt::Key_F1);
        QTest::keyClick(h.window->fields().label("PowerLevel"), Qt::Key_F1);
        QCOMPARE(h.prompts.messages().size(), 2);
        for (const auto& shown : h.prompts.messages()) {
            QCOMPARE(shown.text, clicked.text);
            QCOMPARE(shown.caption, clicked.caption);
        }
        // The label hands the keyboard to its field.
        h.window->fields().label("UnitAddr")->setFocus();
        QCOMPARE(QApplication::focusWidget(), h.window->fields().field("UnitAddr"));
    }

    void fieldsAreNamedByTheirLabels() {
        Harness h;
        for (const char* name : {"PowerLevel", "UnitAddr", "XMAP", "DiagOptions"}) {
            QAccessibleInterface* field =
                QAccessible::queryAccessibleInterface(h.window->fields().field(name));
            QCOMPARE(field->text(QAccessible::Name), h.window->fields().label(name)->text());
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(h.window->txtTerm)->text(QAccessible::Name),
                 QString("Radio console"));
    }

    void connectDisconnectAndRefreshAreMenuItems() {
        Harness h;
        QMenu* commPort = nullptr;
        for (QAction* menu : h.window->menuBar()->actions())
            if (menu->text() == "&CommPort")
                commPort = menu->menu();
        QVERIFY(commPort);
        QStringList captions;
        for (const QAction* item : commPort->actions())
            captions << item->text();
        QVERIFY(captions.contains("&Connect...") && captions.contains("&Disconnect..."));
        QVERIFY(captions.contains("&Refresh") && captions.contains("Port &Open"));
        QAction* connectItem = h.window->toolbarButton("Connect");
        QAction* disconnectItem = h.window->toolbarButton("Disconnect");
        QVERIFY(commPort->actions().contains(connectItem));
        connectItem->trigger();
        QVERIFY(h.port.isOpen());
        // The menu item is the toolbar's: it is available exactly when the button is.
        QVERIFY(!connectItem->isEnabled() && disconnectItem->isEnabled());
        disconnectItem->trigger();
        QVERIFY(!h.port.isOpen());
        QVERIFY(connectItem->isEnabled());
        // The connection image, given the keyboard, connects as a click does.
        QTest::keyClick(h.window->controls().imgNotConnected, Qt::Key_Space);
        h.settle();
        QVERIFY(h.port.isOpen());
        QCOMPARE(connectItem->iconText(), QString("Connect..."));
    }

    // F5 is Refresh everywhere; Ctrl+Q quits, except in the terminal while the port is open,
    // where it is the XON the user types to the radio.
    void shortcutsLeaveTheRadiosKeysAlone() {
        Harness h;
        h.connectAndRead();
        activate(h);
        h.window->txtTerm->setFocus();
        QTest::keyClick(h.window->txtTerm, Qt::Key_F5);
        QVERIFY(h.window->state().refreshRequest);
        h.window->state().refreshRequest = false;
        QSignalSpy written(&h.port, &SimulatedPort::written);
        QTest::keyClick(h.window->txtTerm, Qt::Key_Q, Qt::ControlModifier);
        h.settle();
        QVERIFY(!h.window->state().closing);
        QCOMPARE(written.size(), 1);
        QCOMPARE(written.first().first().toByteArray(), QByteArray("\x11"));
        h.window->fields().field("PowerLevel")->setFocus();
        QTest::keyClick(h.window->fields().field("PowerLevel"), Qt::Key_F5);
        QVERIFY(h.window->state().refreshRequest);
        QTest::keyClick(h.window->fields().field("PowerLevel"), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(h.window->state().closing);
        QTRY_VERIFY(h.window->ended());
        // The XON typed before it went out ahead of the logout.
        QCOMPARE(h.commands().last(), QString("\x11PASS NONE"));
    }

    // On a small screen, or at a large scale, the window opens within the screen's free area,
    // and frames that do not fit scroll rather than being cut off.
    void windowFitsTheScreenItOpensOn() {
        for (const QSize available : {QSize(853, 682), QSize(640, 512), QSize(1920, 1040)}) {
            Harness h;
            h.window->placeOn(QRect(QPoint(0, 0), available));
            h.window->show();
            const QRect placed = h.window->geometry();
            QVERIFY2(QRect(QPoint(0, 0), available).contains(placed),
                     qPrintable(QString("%1x%2").arg(available.width()).arg(available.height())));
            QVERIFY(placed.width() >= h.window->minimumSizeHint().width());
            const QWidget* frames = h.window->SettingsArea->widget();
            QTRY_VERIFY(frames->width() >= frames->minimumSizeHint().width());
            QVERIFY(frames->height() >= frames->minimumSizeHint().height());
            // Where there is room, nothing scrolls.
            if (available.height() > 1000)
                QCOMPARE(h.window->SettingsArea->verticalScrollBar()->maximum(), 0);
            // The window has a minimum: the terminal, a few rows and the buttons.
            h.window->resize(50, 50);
            QVERIFY(h.window->width() > 50 && h.window->height() > 50);
            QVERIFY(h.window->ButtonZoneData->x() >= 0);
        }
    }

    void everyWindowOpensWholeAtEachScale_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("scale");
        for (const char* scale : {"1", "1.5", "2"})
            for (int window = 0; window < int(std::size(Windows)); ++window)
                QTest::newRow(qPrintable(QString("%1 at %2").arg(Windows[window].name, scale)))
                    << window << scale;
    }

    // On a 1280x1024 screen at each scale every window opens whole and readable.
    void everyWindowOpensWholeAtEachScale() {
        QFETCH(int, window);
        QFETCH(QString, scale);
        if (qEnvironmentVariable(RowScaleVariable) != scale) {
            runRowAtScale(scale);
            return;
        }
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(),
                 (QSizeF(RowScreen) / scale.toDouble()).toSize());
        Harness h;
        h.connectAndRead();
        h.window->show();
        QWidget* opened = Windows[window].open(h);
        QVERIFY(opened);
        QVERIFY(QTest::qWaitForWindowExposed(opened));
        checkWhole(*opened);
    }

    void aLargeFontSpreadsTheFields() {
        const QFont normal = QApplication::font();
        QFont large = normal;
        large.setPointSizeF(normal.pointSizeF() * 1.6);
        QApplication::setFont(large);
        {
            Harness h;
            h.window->placeOn(QRect(0, 0, 1280, 1000));
            for (const char* name : {"RxTimeOut", "PowerLevel", "AlarmInfo", "XPRI"}) {
                const ClickableLabel* label = h.window->fields().label(name);
                const ParameterField* field = h.window->fields().field(name);
                QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
                QVERIFY(field->x() >= label->x() + label->width());
                QVERIFY(field->height() > field->fontMetrics().lineSpacing());
            }
            // Rows stay apart: no field overlaps the next one down.
            for (const QWidget* frame : QList<QWidget*>{h.window->InfoFrame} + h.window->NetSet) {
                const auto fields = h.window->fields().inFocusOrder(frame);
                for (int i = 1; i < fields.size(); ++i)
                    if (fields.at(i)->y() != fields.at(i - 1)->y())
                        QVERIFY(fields.at(i)->y() >= fields.at(i - 1)->geometry().bottom());
                QVERIFY(frame->minimumWidth() > fields.first()->geometry().right());
            }
        }
        QApplication::setFont(normal);
    }

    void geometryIsRememberedWhereItFitsAScreen() {
        Harness h;
        h.window->show();
        h.window->setGeometry(QRect(30, 40, 700, 520));
        const QRect chosen = h.window->geometry();
        h.window->close();
        QTRY_VERIFY(!h.window->isVisible());
        QVERIFY(!h.settings->value("Window/Geometry").toByteArray().isEmpty());
        MainWindow again(h.port, h.prompts, h.clock, *h.settings);
        QCOMPARE(again.geometry(), chosen);

        // A place on a screen that is gone is not taken back.
        MainWindow moved(h.port, h.prompts, h.clock, *h.settings);
        moved.setGeometry(QRect(5000, 4000, 700, 520));
        h.settings->setValue("Window/Geometry", moved.saveGeometry());
        MainWindow restored(h.port, h.prompts, h.clock, *h.settings);
        QVERIFY(QGuiApplication::screenAt(restored.geometry().center()));
    }

    // The guides shipped beside the program open from Help, beside About; one that is missing
    // is named with the folders it was looked for in.
    void helpMenuOpensTheGuidesAndAbout() {
        Harness h;
        QMenu* help = nullptr;
        for (QAction* item : h.window->menuBar()->actions())
            if (item->text() == "&Help")
                help = item->menu();
        QVERIFY(help);
        QStringList items;
        for (QAction* item : help->actions())
            items << item->objectName();
        QCOMPARE(items, QStringList({"mnuUserGuide", "mnuCliGuide", "", "mnuAbout"}));
        for (const auto& [name, heading] :
             {std::pair("mnuUserGuide", "User's guide"),
              std::pair("mnuCliGuide", "From a shell: ardentix-cli")}) {
            action(h, name)->trigger();
            QPointer<GuideWindow> guide = h.window->findChild<GuideWindow*>();
            QVERIFY2(guide && guide->isVisible(), name);
            QCOMPARE(guide->windowTitle(), QString(heading) + " - Quenlar Ardentix Configuration");
            auto* text = guide->findChild<QTextBrowser*>("GuideText");
            QVERIFY(text->toPlainText().size() > 1000);
            // A link to another guide is followed in place.
            text->setSource(QUrl("simulated-radio.md"));
            QVERIFY(guide->windowTitle().startsWith("The simulated radio"));
            guide->close();
            QTRY_VERIFY(!guide);
        }
        QVERIFY(h.prompts.messages().isEmpty());
        h.window->showGuide("no-such-guide.md");
        QVERIFY(h.prompts.lastMessage().contains("no-such-guide.md is not installed"));
    }

    void aboutIsADialogThatCloses() {
        Harness h;
        activate(h);
        for (const bool byEscape : {true, false}) {
            action(h, "mnuAbout")->trigger();
            QPointer<AboutDialog> about = h.window->findChild<AboutDialog*>();
            QVERIFY(about && about->isVisible());
            QCOMPARE(about->findChild<QLabel*>("lblVersion")->text(), QString("Version 2.3.3"));
            if (byEscape)
                QTest::keyClick(about, Qt::Key_Escape);
            else
                about->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            QTRY_VERIFY(!about);
        }
    }

    // A termination signal reaches the event loop as a call, where the program quits as File,
    // Exit quits it.
    void quitSignalsReachTheEventLoop() {
#ifndef Q_OS_UNIX
        QSKIP("the console's control events are not raised from inside the process");
#else
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
#endif
    }

    // A window is not deleted under its own question, even one that does not hold back its own
    // close: closed from inside the question's event loop, it goes once the question returned.
    void aWindowOutlivesItsQuestion() {
        Harness h;
        QPointer<QDialog> window = new QDialog(h.window.get());
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        Prompts asked = h.prompts.onGate(h.window->state().gate).askedBy(window);
        h.prompts.whileShown = [&](const ScriptedPrompts::Call&) {
            QTimer::singleShot(0, window, &QWidget::close);
        };
        asked.message("Still there?", "Question");
        h.prompts.whileShown = nullptr;
        QVERIFY(window);
        QTRY_VERIFY(!window);
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
