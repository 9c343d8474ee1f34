#pragma once

#include "access/RadioAccess.h"
#include "config/RestoreWindow.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/LinkControls.h"
#include "link/RadioLink.h"
#include "link/Terminal.h"
#include "program/ParameterEditor.h"
#include "settings/ReadSequence.h"
#include "settings/SettingsFields.h"
#include "settings/SettingsTick.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QKeyEvent;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QToolBar;
class ClickableLabel;
struct FirmwareLink;
class Clock;
class SerialPort;
class SetupWindow;
class QSettings;

// The main window: menus, toolbar, terminal pane, settings tabs, connection images and status
// bar; it owns the link and dispatches every action to the part that does it.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(SerialPort& port, Prompts& prompts, Clock& clock, QSettings& settings,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    static QString caption() { return QStringLiteral("Quenlar Ardentix Radio Configuration"); }

    SharedState& state() { return state_; }
    Console& console() { return console_; }
    RadioLink& link() { return *link_; }
    Terminal& terminal() { return *terminal_; }
    SettingsTick& ticker() { return *tick_; }
    SettingsFields& fields() { return *fields_; }
    ReadSequence& reader() { return *reader_; }
    ParameterEditor& editor() { return *editor_; }
    RadioAccess& access() { return *access_; }
    LinkControls& controls() { return controls_; }
    QAction* toolbarButton(const QString& key) const;
    // The link has been shut down and the window has closed for good.
    bool ended() const { return shutDown_; }

    // Child widgets by name, for the layout and the tests.
    TerminalPane* txtTerm = nullptr;
    QToolBar* tbrToolBar = nullptr;
    QTabWidget* SettingsTab = nullptr;
    QList<QWidget*> NetSet;
    QScrollArea* SettingsArea = nullptr;
    QGroupBox* InfoFrame = nullptr;
    QWidget* ConnectionFrame = nullptr;
    QPushButton* ButtonRefresh = nullptr;
    QPushButton* ButtonRSSI = nullptr;
    QPushButton* ButtonZoneData = nullptr;

public slots:
    void onToolbarButton(QAction* button);
    void onRefresh();
    void onRssi();
    void onZoneData();
    // Puts the radio into setup mode and opens the setup window, or brings it to the front.
    void enterSetupMode();
    void onTick();
    // SIGTERM, SIGHUP and SIGINT: the window closes as File, Exit closes it, asking nothing.
    void quitBySignal();
    void showAbout();
    // A guide shipped with the program, in a window of its own beside this one.
    void showGuide(const QString& fileName);
    void showHelp(const QString& fieldName);
    void openPreferences();
    // The port properties dialog; once it closes after a change, a read on the open port or
    // a connect on the new one.
    void openProperties();
    // The store and restore window, over a port of its own while the main port is closed.
    void openConfigRestore();
    // The same, as the menu asks for it: out of setup mode first.
    void requestConfigRestore();
    // Checks a firmware file against the radio and downloads it through the radio's loader.
    void upgradeFirmware();
    // Makes the store and restore window's port: another port object on the same device.
    void setPortMaker(std::function<std::unique_ptr<SerialPort>()> maker) {
        portMaker_ = std::move(maker);
    }
    // Sizes the window for a screen's free area and centres it there: as large as the frames
    // need, within the area, and never below its minimum.
    void placeOn(const QRect& available);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void fitToolbar();
    void wrapToolbar();
    void buildCentralArea();
    void buildStatusBar();
    // The status bar's login panel, as the Login and Logout buttons show the state.
    void showLoginState();
    void load(QSettings& settings);
    void layoutPanes();
    void chainFocus();
    bool goesToRadio(const QKeyEvent& key) const;
    static int designPixels(int pixels);
    int buttonStep() const;
    static QSize connectionFrameSize();
    QSize smallestArea() const;
    QSize wantedArea() const;
    void restoreStoredGeometry();
    QAction* menuItem(QMenu* menu, const char* name, const QString& caption, bool enabled = true);
    // What the user starts that talks to the radio waits for the link's gate.
    void onLink(const QString& key, std::function<void()> action);
    // The diagnostic screens need the port: with it closed the user is told so.
    bool portOpenOrSay();
    void reopenAfterRestore();
    void tellUnfinishedRestore(const RestoreWindow::Unfinished& unfinished);
    // Once the radio was told to leave for its loader, quitting asks first.
    bool stopUpgradeToQuit();
    void quitNow();
    // The upgrade's way back to this window's link.
    FirmwareLink firmwareLink();
    // Opens a live screen on the console, window-modal, and starts its updates; extra are the
    // screen's own needs, given before its parent.
    template <typename Screen, typename... Extra> void openLiveScreen(Extra&... extra);

    static constexpr double TerminalShare = 2.8;
    static constexpr int ButtonPadding = 8;
    static constexpr int ButtonGap = 3;
    // Below the row of buttons, and left of the leftmost one.
    static constexpr int RowMargin = 2;
    static constexpr int EdgeMargin = 4;
    // Design pixels left to the frames at the smallest window: the tab bar and a few rows.
    static constexpr int MinFramesHeight = 120;
    static constexpr const char* GeometryKey = "Window/Geometry";

    SerialPort& port_;
    Clock& clock_;
    QSettings& settings_;
    SharedState state_;
    // The window's questions, counted by the link's gate as waits.
    Prompts prompts_;
    Console console_;
    LinkControls controls_;
    std::unique_ptr<Terminal> terminal_;
    std::unique_ptr<RadioLink> link_;
    std::unique_ptr<SettingsTick> tick_;
    std::unique_ptr<SettingsFields> fields_;
    std::unique_ptr<ReadSequence> reader_;
    std::unique_ptr<ParameterEditor> editor_;
    std::unique_ptr<RadioAccess> access_;
    std::function<std::unique_ptr<SerialPort>()> portMaker_;
    QPointer<SetupWindow> setup_;
    QLabel* loginPanel_ = nullptr;
    // The programming run a lost link cut short, taken up by the next store and restore window.
    RestoreWindow::Unfinished unfinishedRestore_;
    // The toolbar buttons that do not fit the window's width beside the others.
    QToolBar* toolbarRow2_ = nullptr;
    // The width of the toolbar's buttons on one row, as they are on a wide window.
    int oneRowWidth_ = 0;
    bool quitBySignal_ = false;
    // The link is shut down: the next close ends the program.
    bool shutDown_ = false;
};
