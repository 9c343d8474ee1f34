#include "MainWindow.h"

#include "GuideWindow.h"
#include "PreferencesDialog.h"
#include "PropertiesDialog.h"
#include "SplashWindow.h"
#include "config/RestoreWindow.h"
#include "core/AppSettings.h"
#include "core/ClickableLabel.h"
#include "core/Clock.h"
#include "core/LinkGate.h"
#include "core/ParameterField.h"
#include "core/ProgressWindow.h"
#include "core/Prompts.h"
#include "diag/RssiWindow.h"
#include "diag/SetupWindow.h"
#include "diag/ZoneDataWindow.h"
#include "firmware/FirmwareChecks.h"
#include "firmware/FirmwareDownload.h"
#include "link/PortNames.h"
#include "link/SerialPort.h"
#include "link/TerminalPane.h"
#include "program/HelpTexts.h"
#include "settings/Catalogue.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <cmath>
#include <utility>

namespace {

// The two connection images: a plug joined to its socket, or pulled apart.
QPixmap connectionImage(bool connected) {
    QPixmap image(48, 32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = connected ? QColor(0, 150, 0) : QColor(190, 0, 0);
    painter.setPen(QPen(colour, 3));
    painter.setBrush(colour);
    const int gap = connected ? 0 : 10;
    painter.drawLine(2, 16, 16 - gap / 2, 16);
    painter.drawRect(16 - gap / 2, 9, 6, 14);
    painter.drawRect(26 + gap / 2, 9, 6, 14);
    painter.drawLine(32 + gap / 2, 16, 46, 16);
    painter.drawLine(22 - gap / 2, 12, 26 + gap / 2 - (connected ? 0 : 3), 12);
    painter.drawLine(22 - gap / 2, 20, 26 + gap / 2 - (connected ? 0 : 3), 20);
    return image;
}

} // namespace

MainWindow::MainWindow(SerialPort& port, Prompts& prompts, Clock& clock, QSettings& settings,
                       QWidget* parent)
    : QMainWindow(parent), port_(port), clock_(clock), settings_(settings),
      prompts_(prompts.onGate(state_.gate).askedBy(this)), console_(port, state_, clock) {
    setObjectName("frmArdentix");
    controls_.window = this;
    buildToolbar();
    buildMenus();
    buildCentralArea();
    buildStatusBar();
    controls_.Timer1 = new QTimer(this);
    controls_.Timer1->setObjectName("Timer1");
    controls_.Timer1->setInterval(1000);
    controls_.Timer2 = new QTimer(this);
    controls_.Timer2->setObjectName("Timer2");
    controls_.Timer2->setInterval(2000);

    terminal_ = std::make_unique<Terminal>(controls_, state_, prompts_);
    link_ = std::make_unique<RadioLink>(console_, *terminal_, controls_, state_, prompts_);
    tick_ = std::make_unique<SettingsTick>(console_, *link_, state_, *controls_.connectTimePanel);
    txtTerm->sendKey = [this](const QString& character) { return link_->typeKey(character); };
    fields_ = std::make_unique<SettingsFields>(InfoFrame, NetSet);
    chainFocus();
    reader_ = std::make_unique<ReadSequence>(console_, *link_, *fields_, controls_, state_,
                                             *ButtonRSSI, *ButtonZoneData);
    // Until a read says otherwise, the fields of the newest firmware are shown.
    reader_->applyVersionLayout(320);
    fields_->awaitRole();
    editor_ = std::make_unique<ParameterEditor>(console_, *fields_, state_, prompts_,
                                                *controls_.statusPanel, this);
    access_ = std::make_unique<RadioAccess>(console_, controls_, state_, prompts_, settings_, this);
    tick_->readSettings = [this] { reader_->run(); };
    connect(fields_.get(), &SettingsFields::fieldClicked, this,
            [this](const QString& field) { editor_->edit(field); });
    connect(fields_.get(), &SettingsFields::labelClicked, this, &MainWindow::showHelp);

    state_.gate.refused = [this](const QString& why) {
        controls_.statusPanel->setText("Status: Not now: " + why + ".");
        prompts_.beep();
    };
    // What nobody may be asked any more still reaches the user, and a log of standard error.
    state_.gate.untold = [this](const QString& text) {
        controls_.statusPanel->setText("Status: " + text);
        qInfo("ardentix: %s", qPrintable(text));
    };
    connect(&port_, &SerialPort::commEvent, link_.get(), &RadioLink::onPortEvent);
    connect(&port_, &SerialPort::deviceLost, link_.get(), &RadioLink::onDeviceLost);
    connect(controls_.Timer1, &QTimer::timeout, this, &MainWindow::onTick);
    connect(controls_.Timer2, &QTimer::timeout, link_.get(), &RadioLink::onStatusClear);
    load(settings);
}

// The windows on the link go before the link's state they hold on to.
MainWindow::~MainWindow() {
    qDeleteAll(findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly));
}

QAction* MainWindow::menuItem(QMenu* menu, const char* name, const QString& caption, bool enabled) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setEnabled(enabled);
    return item;
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    controls_.mnuOpenLog = menuItem(file, "mnuOpenLog", "&Open Log File...");
    controls_.mnuCloseLog = menuItem(file, "mnuCloseLog", "&Close Log File", false);
    controls_.mnuSendText = menuItem(file, "mnuSendText", "&Radio Firmware Upgrade...", false);
    file->addSeparator();
    QAction* exit = menuItem(file, "mnuFileExit", "E&xit");
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* commPort = menuBar()->addMenu("&CommPort");
    controls_.mnuOpen = menuItem(commPort, "mnuOpen", "Port &Open");
    controls_.mnuOpen->setCheckable(true);
    // The toolbar's own actions: the menu items are enabled exactly when the buttons are.
    controls_.connectButton->setText("&Connect...");
    controls_.disconnectButton->setText("&Disconnect...");
    commPort->addAction(controls_.connectButton);
    commPort->addAction(controls_.disconnectButton);
    QAction* refresh = menuItem(commPort, "mnuRefresh", "&Refresh");
    refresh->setShortcut(Qt::Key_F5);
    commPort->addSeparator();
    QAction* properties = menuItem(commPort, "mnuProperties", "&Setup...");

    QMenu* special = menuBar()->addMenu("&Special");
    QAction* preferences = menuItem(special, "mnuPreferences", "Application &Preferences...");
    QMenu* passwords = special->addMenu("Radio Pass&words...");
    controls_.mnuRadioPassSub = passwords->menuAction();
    controls_.mnuRadioPassSub->setObjectName("mnuRadioPassSub");
    controls_.mnuRadioPassSub->setEnabled(false);
    controls_.mnuSetPass =
        menuItem(passwords, "mnuSetPass", "&Set Radio's Customer Password...", false);
    controls_.mnuAccessCode =
        menuItem(passwords, "mnuAccessCode", "&Enter Radio Password...", false);
    controls_.mnuEncryptCode =
        menuItem(special, "mnuEncryptCode", "Enter &Encryption Code...", false);
    controls_.mnuSetupMode = menuItem(special, "mnuSetupMode", "Enter Setup &Mode...", false);
    controls_.mnuConfigRestore =
        menuItem(special, "mnuConfigRestore", "Open Configuration Store/&Restore Window...", false);

    // The guides and About under Help, where both systems keep them.
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* userGuide = menuItem(help, "mnuUserGuide", tr("&User's Guide"));
    QAction* cliGuide = menuItem(help, "mnuCliGuide", tr("&Command Line Guide"));
    help->addSeparator();
    QAction* about = menuItem(help, "mnuAbout", tr("&About"));

    connect(controls_.mnuOpenLog, &QAction::triggered, this, [this] { terminal_->openLog(); });
    connect(controls_.mnuCloseLog, &QAction::triggered, this, [this] { terminal_->closeLog(); });
    connect(controls_.mnuSendText, &QAction::triggered, this,
            [this] { onLink("firmware", [this] { upgradeFirmware(); }); });
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(controls_.mnuOpen, &QAction::triggered, this, [this] {
        // The check mark follows the port, not the click.
        controls_.mnuOpen->setChecked(port_.isOpen());
        link_->requestPortOpen();
    });
    connect(refresh, &QAction::triggered, this, &MainWindow::onRefresh);
    connect(properties, &QAction::triggered, this, &MainWindow::openProperties);
    connect(preferences, &QAction::triggered, this, &MainWindow::openPreferences);
    connect(controls_.mnuAccessCode, &QAction::triggered, this,
            [this] { onLink("login", [this] { access_->openLogin(); }); });
    connect(controls_.mnuSetPass, &QAction::triggered, this,
            [this] { onLink("password", [this] { access_->openPasswordSetup(); }); });
    connect(controls_.mnuEncryptCode, &QAction::triggered, this,
            [this] { onLink("code", [this] { access_->enterEncryptionCode(); }); });
    connect(controls_.mnuSetupMode, &QAction::triggered, this,
            [this] { onLink("setup", [this] { enterSetupMode(); }); });
    connect(controls_.mnuConfigRestore, &QAction::triggered, this,
            &MainWindow::requestConfigRestore);
    connect(userGuide, &QAction::triggered, this, [this] { showGuide("user-guide.md"); });
    connect(cliGuide, &QAction::triggered, this, [this] { showGuide("command-line.md"); });
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::buildToolbar() {
    tbrToolBar = addToolBar("Toolbar");
    tbrToolBar->setObjectName("tbrToolBar");
    tbrToolBar->setMovable(false);
    tbrToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    struct Button {
        const char* key;
        const char* caption;
        const char* tip;
        QStyle::StandardPixmap icon;
        QAction** into;
    };
    const Button buttons[] = {
        {"Connect", "Connect...", "", QStyle::SP_DialogYesButton, &controls_.connectButton},
        {"Disconnect", "Disconnect...", "", QStyle::SP_DialogNoButton, &controls_.disconnectButton},
        {"Login", "Login...", "Login with a radio password...", QStyle::SP_DialogOkButton,
         &controls_.loginButton},
        {"Logout", "Logout...", "Logout of the radio to prevent unauthorized changes...",
         QStyle::SP_DialogCancelButton, &controls_.logoutButton},
        {"OpenLogFile", "Open log file...", "", QStyle::SP_DialogOpenButton,
         &controls_.openLogButton},
        {"CloseLogFile", "Close log file", "", QStyle::SP_DialogCloseButton,
         &controls_.closeLogButton},
        {"TransmitTextFile", "Transmit Text File...", "Upgrade radio firmware...",
         QStyle::SP_ArrowUp, &controls_.transmitButton},
        {"Properties", "Setup...", "", QStyle::SP_ComputerIcon, nullptr},
    };
    for (const Button& button : buttons) {
        QAction* action = tbrToolBar->addAction(style()->standardIcon(button.icon), button.caption);
        action->setObjectName(button.key);
        action->setData(QString::fromLatin1(button.key));
        // The button shows its caption whole; Qt would drop the trailing dots.
        action->setIconText(button.caption);
        if (*button.tip)
            action->setToolTip(button.tip);
        if (button.into)
            *button.into = action;
        // However the action is triggered (button, menu), it is dispatched once, by its key.
        connect(action, &QAction::triggered, this, [this, action] { onToolbarButton(action); });
    }
    controls_.disconnectButton->setEnabled(false);
    controls_.transmitButton->setEnabled(false);
    controls_.closeLogButton->setEnabled(false);
    oneRowWidth_ = tbrToolBar->sizeHint().width();
    addToolBarBreak();
    toolbarRow2_ = addToolBar(tr("Toolbar, second row"));
    toolbarRow2_->setObjectName("tbrToolBarRow2");
    toolbarRow2_->setMovable(false);
    toolbarRow2_->setToolButtonStyle(tbrToolBar->toolButtonStyle());
    toolbarRow2_->toggleViewAction()->setVisible(false);
    toolbarRow2_->hide();
}

// A window too narrow for the toolbar's buttons on one row shows them smaller, each caption
// beside a small icon, on two rows rather than behind an extension arrow; a wider window shows
// them as they were.
void MainWindow::fitToolbar() {
    const bool compact = oneRowWidth_ > width();
    const Qt::ToolButtonStyle look =
        compact ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonTextUnderIcon;
    if (tbrToolBar->toolButtonStyle() != look) {
        const int small = style()->pixelMetric(QStyle::PM_SmallIconSize);
        for (QToolBar* row : {tbrToolBar, toolbarRow2_}) {
            row->setToolButtonStyle(look);
            row->setIconSize(compact ? QSize(small, small) : QSize());
        }
    }
    wrapToolbar();
}

// The last buttons that do not fit the first row go on the second, and come back once they fit.
void MainWindow::wrapToolbar() {
    const int room = width();
    const auto fitsFirstRow = [this, room](QAction* action) {
        return tbrToolBar->sizeHint().width() + tbrToolBar->layout()->spacing() +
                   toolbarRow2_->widgetForAction(action)->sizeHint().width() <=
               room;
    };
    while (!toolbarRow2_->actions().isEmpty() && fitsFirstRow(toolbarRow2_->actions().first())) {
        QAction* action = toolbarRow2_->actions().first();
        toolbarRow2_->removeAction(action);
        tbrToolBar->addAction(action);
    }
    while (tbrToolBar->actions().size() > 1 && tbrToolBar->sizeHint().width() > room) {
        QAction* action = tbrToolBar->actions().last();
        tbrToolBar->removeAction(action);
        toolbarRow2_->insertAction(toolbarRow2_->actions().value(0), action);
    }
    toolbarRow2_->setVisible(tbrToolBar->isVisibleTo(this) && !toolbarRow2_->actions().isEmpty());
}

QAction* MainWindow::toolbarButton(const QString& key) const {
    for (QAction* action : tbrToolBar->actions() + toolbarRow2_->actions())
        if (action->data().toString().compare(key, Qt::CaseInsensitive) == 0)
            return action;
    return nullptr;
}

void MainWindow::buildCentralArea() {
    auto* area = new QWidget(this);
    area->setObjectName("MainArea");
    setCentralWidget(area);
    area->installEventFilter(this);

    txtTerm = new TerminalPane(area);
    txtTerm->setAccessibleName("Radio console");
    txtTerm->installEventFilter(this);
    controls_.txtTerm = txtTerm;

    // The frames scroll when the window is too small for them, so that nothing is cut off.
    SettingsArea = new QScrollArea(area);
    SettingsArea->setObjectName("SettingsArea");
    SettingsArea->setFrameShape(QFrame::NoFrame);
    SettingsArea->setWidgetResizable(true);
    auto* panel = new QWidget;
    panel->setObjectName("SettingsPanel");
    auto* frames = new QHBoxLayout(panel);
    frames->setContentsMargins(4, 4, 4, 4);
    frames->setSpacing(6);
    SettingsArea->setWidget(panel);

    InfoFrame = new QGroupBox("Information", panel);
    InfoFrame->setObjectName("InfoFrame");
    frames->addWidget(InfoFrame, 0);

    SettingsTab = new QTabWidget(panel);
    SettingsTab->setObjectName("SettingsTab");
    // Whole captions, scrolled when they do not fit, rather than cut to "...".
    SettingsTab->setElideMode(Qt::ElideNone);
    SettingsTab->setUsesScrollButtons(true);
    frames->addWidget(SettingsTab, 1);
    for (int i = 0; i < 6; ++i) {
        auto* frame = new QWidget;
        frame->setObjectName(QString("NetSet%1").arg(i));
        frame->setProperty("index", i);
        SettingsTab->addTab(frame, Catalogue::tabCaption(i + 1));
        NetSet.append(frame);
    }

    ConnectionFrame = new QGroupBox(area);
    ConnectionFrame->setObjectName("ConnectionFrame");
    auto* connected = new ClickableLabel(ConnectionFrame);
    connected->setObjectName("imgConnected");
    connected->setToolTip("Click to disconnect...");
    connected->setAccessibleName("Connected");
    connected->setPixmap(connectionImage(true));
    auto* notConnected = new ClickableLabel(ConnectionFrame);
    notConnected->setObjectName("imgNotConnected");
    notConnected->setToolTip("Click to connect...");
    notConnected->setAccessibleName("Not connected");
    notConnected->setPixmap(connectionImage(false));
    for (QLabel* image : {static_cast<QLabel*>(connected), static_cast<QLabel*>(notConnected)}) {
        image->setGeometry(11, 12, 48, 32);
        image->setCursor(Qt::PointingHandCursor);
        image->setFocusPolicy(Qt::StrongFocus);
    }
    controls_.imgConnected = connected;
    controls_.imgNotConnected = notConnected;
    connect(connected, &ClickableLabel::clicked, this, [this] { link_->requestDisconnect(); });
    connect(notConnected, &ClickableLabel::clicked, this, [this] { link_->requestConnect(); });

    ButtonRefresh = new QPushButton("Refresh", area);
    ButtonRefresh->setObjectName("ButtonRefresh");
    ButtonRefresh->setToolTip("Click to refresh the screen information.");
    ButtonRSSI = new QPushButton("RSSI", area);
    ButtonRSSI->setObjectName("ButtonRSSI");
    ButtonZoneData = new QPushButton("Zone Data", area);
    ButtonZoneData->setObjectName("ButtonZoneData");
    ButtonZoneData->setToolTip("Click to get Zone Data statistics.");
    connect(ButtonRefresh, &QPushButton::clicked, this, &MainWindow::onRefresh);
    connect(ButtonRSSI, &QPushButton::clicked, this, &MainWindow::onRssi);
    connect(ButtonZoneData, &QPushButton::clicked, this, &MainWindow::onZoneData);
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("sbrStatus");
    bar->setSizeGripEnabled(true);
    struct Panel {
        const char* key;
        const char* text;
        const char* tip;
        int stretch;
        QLabel** into;
    };
    const Panel panels[] = {
        {"Status", "Status: ", "Communications Port Status", 2, &controls_.statusPanel},
        {"Settings", "Settings: ", "Communications Port Settings", 2, &controls_.settingsPanel},
        {"ConnectTime", "", "Connect Time", 1, &controls_.connectTimePanel},
        {"LoginState", "", "Whether you are logged in to the radio", 1, &loginPanel_},
    };
    for (const Panel& panel : panels) {
        auto* label = new QLabel(panel.text, bar);
        label->setObjectName(panel.key);
        label->setToolTip(panel.tip);
        label->setFrameShape(QFrame::StyledPanel);
        bar->addPermanentWidget(label, panel.stretch);
        *panel.into = label;
    }
    // Whatever learns the login state shows it by the Login and Logout buttons; the panel
    // follows them.
    for (QAction* button : {controls_.loginButton, controls_.logoutButton})
        connect(button, &QAction::enabledChanged, this, &MainWindow::showLoginState);
}

void MainWindow::showLoginState() {
    if (controls_.logoutButton->isEnabled())
        loginPanel_->setText("Logged in");
    else if (controls_.loginButton->isEnabled())
        loginPanel_->setText("Not logged in");
    else
        loginPanel_->clear();
}

void MainWindow::load(QSettings& settings) {
    link_->seed(quint32(clock_.msecs() ^ QDateTime::currentMSecsSinceEpoch()));
    setWindowTitle(caption());
    try {
        port_.setSettings("19200,N,8,1");
        port_.setHandshakingNone();
        const StoredPreferences prefs = loadPreferences(settings);
        state_.passEnabled = prefs.passEnabled;
        txtTerm->setText(QString());
        txtTerm->setLook(prefs.boldText, prefs.textColor, prefs.backColor);
        state_.connectOnLaunch = prefs.connectOnLaunch;
        state_.keepAlive = prefs.keepAlive;
        state_.logoutOnQuit = prefs.logoutOnQuit;
        port_.setPortNumber(prefs.commPort);
    } catch (const SerialError& error) {
        if (error.endsHandler()) {
            link_->reportCommunicationError();
            return;
        }
    }
    controls_.imgNotConnected->show();
    controls_.imgConnected->hide();
    controls_.loginButton->setEnabled(false);
    controls_.logoutButton->setEnabled(false);
    layoutPanes();
    if (const QScreen* screen = this->screen())
        placeOn(screen->availableGeometry());
    restoreStoredGeometry();
    SettingsTab->setCurrentIndex(0);
    tick_->launchConnectRequest = state_.connectOnLaunch;
    controls_.Timer1->start();
}

void MainWindow::onLink(const QString& key, std::function<void()> action) {
    state_.gate.request(key, this, std::move(action));
}

void MainWindow::onToolbarButton(QAction* button) {
    const QString key = button->data().toString().toLower();
    if (key == "openlogfile")
        terminal_->openLog();
    else if (key == "closelogfile")
        terminal_->closeLog();
    else if (key == "connect")
        link_->requestConnect();
    else if (key == "disconnect")
        link_->requestDisconnect();
    else if (key == "login")
        onLink("login", [this] { access_->openLogin(); });
    else if (key == "logout")
        onLink("logout", [this] { access_->logout(); });
    else if (key == "properties")
        openProperties();
    else if (key == "transmittextfile")
        onLink("firmware", [this] { upgradeFirmware(); });
}

void MainWindow::onRefresh() {
    if (port_.isOpen())
        state_.refreshRequest = true;
    else
        link_->requestConnect();
}

bool MainWindow::portOpenOrSay() {
    if (port_.isOpen())
        return true;
    prompts_.message("Please Toggle COMM Port open first.", "User Help");
    return false;
}

template <typename Screen, typename... Extra> void MainWindow::openLiveScreen(Extra&... extra) {
    if (!portOpenOrSay())
        return;
    auto* screen = new Screen(console_, state_, extra..., this);
    screen->open();
    screen->start();
}

void MainWindow::onRssi() {
    onLink(LinkKeys::Rssi, [this] { openLiveScreen<RssiWindow>(); });
}

void MainWindow::onZoneData() {
    onLink("zone data", [this] { openLiveScreen<ZoneDataWindow>(prompts_); });
}

void MainWindow::enterSetupMode() {
    if (setup_) {
        setup_->raise();
        setup_->activateWindow();
        return;
    }
    if (!portOpenOrSay())
        return;
    try {
        if (!SetupWindow::enter(console_, state_, prompts_))
            return;
    } catch (const SerialError& error) {
        state_.setupMode = false;
        if (error.endsHandler() && !state_.closing)
            link_->reportCommunicationError();
        return;
    }
    setup_ = new SetupWindow(
        console_, state_, prompts_, *ButtonRSSI, [this] { return fields_->text("Mode"); }, this);
    setup_->onLinkFailure = [this] { link_->reportCommunicationError(); };
    setup_->show();
    setup_->start();
}

void MainWindow::onTick() {
    tick_->tick();
}

void MainWindow::openPreferences() {
    (new PreferencesDialog(*txtTerm, state_, settings_, this))->open();
}

void MainWindow::openProperties() {
    auto* dialog = new PropertiesDialog(port_, prompts_, settings_, PortNames::systemPorts(),
                                        state_.gate, this);
    dialog->endConnection = [this] { link_->disconnectAction(); };
    // A change is made by OK as an action on the link, which goes on with the connect.
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        if (!dialog->portChanged)
            return;
        if (port_.isOpen())
            state_.refreshRequest = true;
        else
            link_->connectAction();
    });
    dialog->open();
}

// The store and restore window takes the radio out of setup mode first: once the setup window
// has closed, the link is no longer kept for it.
void MainWindow::requestConfigRestore() {
    const auto open = [this] { onLink("restore", [this] { openConfigRestore(); }); };
    if (!setup_) {
        open();
        return;
    }
    connect(setup_, &QDialog::finished, this, open, Qt::SingleShotConnection);
    setup_->close();
}

void MainWindow::openConfigRestore() {
    if (!portMaker_)
        return;
    try {
        if (port_.isOpen()) {
            const auto verdict = access_->rewriteNetworkAddress();
            if (console_.interrupted())
                return;
            if (verdict != Console::Verdict::Accepted &&
                prompts_.message(
                    "Warning! You are not currently logged in, and therefore will not be able to "
                    "reconfigure the radio.\rYou will, however, be able to save a configuration "
                    "file based off of the current settings.\r\rWould you like to continue?",
                    "Warning!", Prompts::Icon::Exclamation,
                    Prompts::Buttons::YesNo) != Prompts::Yes) {
                state_.refreshRequest = true;
                return;
            }
            // The main link rests while the window has its own: windows on it leave the radio
            // as they found it first.
            state_.gate.announceEnding();
            port_.setOpen(false);
        }
    } catch (const SerialError& error) {
        if (error.endsHandler())
            link_->reportCommunicationError();
        return;
    }
    auto* window = new RestoreWindow(portMaker_(), port_.portNumber(), port_.settings(), state_,
                                     clock_, prompts_, this);
    tick_->closeRestoreWindow = [window = QPointer<RestoreWindow>(window)] {
        if (window)
            window->close();
    };
    window->resume(std::exchange(unfinishedRestore_, {}));
    connect(window, &QDialog::finished, this, [this, window] {
        tick_->closeRestoreWindow = nullptr;
        tellUnfinishedRestore(window->unfinished());
        reopenAfterRestore();
    });
    window->open();
    window->start();
}

// A programming run that the link cut short is told once the window has gone, and its file and
// ticks wait for the next window.
void MainWindow::tellUnfinishedRestore(const RestoreWindow::Unfinished& unfinished) {
    unfinishedRestore_ = unfinished;
    if (!unfinished.report.isEmpty() && !state_.closing)
        prompts_.message(unfinished.report, "Configuration Store/Restore",
                         Prompts::Icon::Exclamation);
}

// The main port takes the link back; a port that will not open shows the disconnected state
// (when the window failed on a lost link, the tick's reconnect tells the user).
void MainWindow::reopenAfterRestore() {
    try {
        if (!port_.isOpen())
            port_.setOpen(true);
    } catch (const SerialError&) {
        if (!state_.restoreLinkFailure) {
            link_->reportCommunicationError();
            link_->disconnectAction();
        }
        return;
    }
    if (!state_.closing)
        state_.refreshRequest = true;
}

void MainWindow::upgradeFirmware() {
    for (QAction* control : {controls_.mnuSendText, controls_.transmitButton})
        control->setEnabled(false);
    if (const auto choice = FirmwareChecks::choose(prompts_, state_.currentVersion)) {
        ProgressWindow progress(state_, this);
        FirmwareDisplay display;
        display.progress = [&](const QString& caption, const QString& text, int percent) {
            progress.setWindowTitle(caption);
            progress.Label1->setText(text);
            progress.ProgressBar1->setValue(percent);
            progress.show();
        };
        display.hideProgress = [&] { progress.hide(); };
        display.paneText = [this](const QString& text) { txtTerm->setText(text); };
        display.paneAppend = [this](const QString& text) { txtTerm->appendText(text); };
        display.settingsText = [this](const QString& text) {
            controls_.settingsPanel->setText(text);
        };
        display.statusBarEnabled = [this](bool enabled) { statusBar()->setEnabled(enabled); };
        FirmwareDownload(console_, state_, prompts_, firmwareLink(), display)
            .run(choice->path, choice->newVersion, state_.currentVersion);
    }
    // Available again whichever way the upgrade ended, as every connected-only control is.
    for (QAction* control : {controls_.mnuSendText, controls_.transmitButton})
        control->setEnabled(link_->connected());
}

FirmwareLink MainWindow::firmwareLink() {
    FirmwareLink link;
    link.disconnect = [this] { link_->disconnectAction(); };
    link.connect = [this] { link_->connectAction(); };
    link.reportCommunicationError = [this] { link_->reportCommunicationError(); };
    link.showEvents = [this](bool shown) { link_->showEvents = shown; };
    return link;
}

void MainWindow::showAbout() {
    auto* about = new AboutDialog(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void MainWindow::showGuide(const QString& fileName) {
    const QString path = GuideWindow::installedPath(fileName);
    if (path.isEmpty()) {
        prompts_.message(tr("The guide %1 is not installed; it was looked for in:\n%2")
                             .arg(fileName, GuideWindow::folders().join(u'\n')),
                         Prompts::applicationTitle(), Prompts::Icon::Exclamation);
        return;
    }
    auto* guide = new GuideWindow(path, this);
    guide->show();
}

void MainWindow::showHelp(const QString& fieldName) {
    const QString labelName = fields_->label(fieldName)->objectName();
    if (const auto help = helpFor(labelName, state_))
        prompts_.message(help->text, help->title);
}

// Quitting interrupts whatever holds the link; once it has given way, the windows on the link
// close (leaving the radio as they found it), the user is logged out and the program ends.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (shutDown_) {
        settings_.setValue(GeometryKey, saveGeometry());
        event->accept();
        return;
    }
    event->ignore();
    // Quitting already: a signal meanwhile ends what the quit waits for (quitBySignal).
    if (state_.gate.shuttingDown())
        return;
    if (state_.upgradeCommitted && !quitBySignal_ && !stopUpgradeToQuit())
        return;
    state_.closing = true;
    controls_.statusPanel->setText("Status: Closing...");
    state_.gate.shutDown();
    state_.gate.interrupt("quit", this, [this] { quitNow(); });
}

bool MainWindow::stopUpgradeToQuit() {
    return prompts_.message(
               "The radio's firmware is being upgraded. Quitting now stops the upgrade: the "
               "radio then stays in its loader, perhaps without firmware, until it is upgraded "
               "again.\r\rStop the upgrade and quit?",
               "Quit", Prompts::Icon::Exclamation, Prompts::Buttons::YesNo) == Prompts::Yes;
}

void MainWindow::quitNow() {
    if (!link_->shutdown(!quitBySignal_)) {
        // The user chose to keep the program running.
        state_.closing = false;
        quitBySignal_ = false;
        state_.gate.resume();
        controls_.statusPanel->setText("Status: ");
        return;
    }
    shutDown_ = true;
    QTimer::singleShot(0, this, &QWidget::close);
}

// A signal quits as File, Exit does, but nobody is there to answer: the open questions get
// their safe answers, nothing asks any more, and a quit already under way stops waiting.
void MainWindow::quitBySignal() {
    quitBySignal_ = true;
    state_.gate.silence();
    state_.gate.cancel();
    close();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        fitToolbar();
        layoutPanes();
    }
    if (watched == txtTerm && event->type() == QEvent::ShortcutOverride &&
        goesToRadio(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The pane sends Ctrl with a letter as that letter's control character (Ctrl+Q is XON, Ctrl+C
// breaks off a listing): while the port is open no shortcut takes one from the pane.
bool MainWindow::goesToRadio(const QKeyEvent& key) const {
    return port_.isOpen() && key.modifiers() == Qt::ControlModifier && key.key() >= Qt::Key_A &&
           key.key() <= Qt::Key_Z;
}

// The terminal, the "Information" fields, the tabs with their fields, then the buttons and the
// connection image from left to right.
void MainWindow::chainFocus() {
    fields_->chainFocus(txtTerm, SettingsTab->tabBar());
    QWidget* previous = fields_->inFocusOrder(NetSet.last()).last();
    for (QWidget* next :
         {static_cast<QWidget*>(ButtonZoneData), static_cast<QWidget*>(ButtonRSSI),
          static_cast<QWidget*>(ButtonRefresh), static_cast<QWidget*>(controls_.imgNotConnected),
          static_cast<QWidget*>(controls_.imgConnected)}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

int MainWindow::designPixels(int pixels) {
    return qRound(pixels * SettingsFields::fontScale());
}

// 1000 twips between the buttons' left edges, widened when a caption would not fit.
int MainWindow::buttonStep() const {
    int widest = 0;
    for (const QPushButton* button : {ButtonRefresh, ButtonRSSI, ButtonZoneData})
        widest = std::max(widest, button->fontMetrics().horizontalAdvance(button->text()));
    return std::max(designPixels(67), widest + 2 * ButtonPadding + ButtonGap);
}

QSize MainWindow::connectionFrameSize() {
    return {designPixels(70), designPixels(58)};
}

// Below the terminal's share: the frames with at least a few rows, the row of buttons.
QSize MainWindow::smallestArea() const {
    const QSize frame = connectionFrameSize();
    const int width = 4 * buttonStep() + int(1.5 * frame.width()) + EdgeMargin;
    const int below = designPixels(MinFramesHeight) + frame.height() + RowMargin;
    return {width, int(std::ceil(below * TerminalShare / (TerminalShare - 1)))};
}

// The area in which the frames need no scrolling.
QSize MainWindow::wantedArea() const {
    const QSize frames = SettingsArea->widget()->minimumSizeHint();
    const int below = frames.height() + connectionFrameSize().height() + RowMargin;
    return QSize(frames.width(), int(std::ceil(below * TerminalShare / (TerminalShare - 1))))
        .expandedTo(smallestArea());
}

void MainWindow::placeOn(const QRect& available) {
    centralWidget()->setMinimumSize(smallestArea());
    layout()->activate();
    const QSize chrome = size() - centralWidget()->size();
    // Until the window is shown its frame is unknown: a title bar and thin borders are assumed.
    const QSize frame = isVisible() ? frameGeometry().size() - size()
                                    : QSize(8, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    const QSize room = available.size() - frame;
    const QSize wanted =
        (wantedArea() + chrome).expandedTo(QSize(designPixels(1180), designPixels(720)));
    resize(wanted.boundedTo(room).expandedTo(minimumSizeHint()));
    const QPoint centred = available.center() - QRect(QPoint(), size() + frame).center();
    move(std::max(centred.x(), available.left()), std::max(centred.y(), available.top()));
}

// The size and place of the last run, where they still fall on a screen of this one.
void MainWindow::restoreStoredGeometry() {
    const QByteArray stored = settings_.value(GeometryKey).toByteArray();
    if (stored.isEmpty())
        return;
    const QRect placed = geometry();
    if (!restoreGeometry(stored))
        return;
    const QScreen* screen = QGuiApplication::screenAt(geometry().center());
    if (!screen || !screen->availableGeometry().contains(geometry().center()) ||
        geometry().width() > screen->availableGeometry().width() ||
        geometry().height() > screen->availableGeometry().height())
        setGeometry(placed);
}

// The terminal takes 1/2.8 of the space between toolbar and status bar; the connection frame
// sits at 1.5 of its width from the right edge, the three buttons at steps left of it, and the
// frames fill what is between.
void MainWindow::layoutPanes() {
    QWidget* area = centralWidget();
    const int width = area->width();
    const int height = area->height();
    const int paneHeight = int(height / TerminalShare);
    txtTerm->setGeometry(0, 0, width, paneHeight);

    const QSize frame = connectionFrameSize();
    const int rowTop = height - frame.height() - RowMargin;
    const int frameLeft = width - int(1.5 * frame.width());
    ConnectionFrame->setGeometry(QRect(QPoint(frameLeft, rowTop), frame));
    const int step = buttonStep();
    const int buttonHeight = std::max(designPixels(28), ButtonRefresh->sizeHint().height());
    const int buttonTop = rowTop + (frame.height() - buttonHeight) / 2;
    // Two steps from the frame to Refresh, one between the buttons.
    int left = frameLeft - step;
    for (QPushButton* button : {ButtonRefresh, ButtonRSSI, ButtonZoneData}) {
        left -= step;
        button->setGeometry(left, buttonTop, step - ButtonGap, buttonHeight);
    }
    SettingsArea->setGeometry(0, paneHeight, width, std::max(0, rowTop - paneHeight));
}
