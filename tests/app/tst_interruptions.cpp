// Every flow that talks to the radio, interrupted from inside each of its waits, in each way
// the user, the radio or the system can interrupt it. A flow is first run whole to count its
// waits; then, for every wait, a fresh window runs it again and the interruption comes from
// inside that wait. Each cell then checks what a technician would check: nothing freed under
// its own wait, nothing sent after the interruption but what leaves the radio safe, a window
// that tells the truth, no truncated file, the line at 19200 baud, and a program that quits.
#include "Harness.h"
#include "SRecord.h"
#include "access/LoginDialog.h"
#include "access/PasswordDialog.h"
#include "config/RestoreWindow.h"
#include "core/ClickableLabel.h"
#include "core/GatedDialog.h"
#include "core/ProgressWindow.h"
#include "diag/RssiWindow.h"
#include "diag/SetupWindow.h"
#include "diag/ZoneDataWindow.h"
#include "program/DlinkDialog.h"
#include "program/XmapDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThread>

namespace {

enum class Way { OwnClose, MainClose, Signal, DeviceLost, Disconnect, PortOpen, SecondAction };
const Way Ways[] = {Way::OwnClose,   Way::MainClose, Way::Signal,      Way::DeviceLost,
                    Way::Disconnect, Way::PortOpen,  Way::SecondAction};

QString nameOf(Way way) {
    switch (way) {
    case Way::OwnClose:
        return "own close";
    case Way::MainClose:
        return "main close";
    case Way::Signal:
        return "signal";
    case Way::DeviceLost:
        return "device lost";
    case Way::Disconnect:
        return "Disconnect";
    case Way::PortOpen:
        return "Port Open";
    case Way::SecondAction:
        return "second action";
    }
    return QString();
}

// What leaves the radio safe, and may follow any interruption.
const QStringList Safe = {"DKEY", "quit", "QUIT", "EXIT", "PASS NONE", "eeco", "NO"};
// The second action: the Unit Address field clicked, "12345" typed.
const QString SecondCommand = QStringLiteral("unit 12345");
const QByteArray OldFile = "the file as it was\r\n";

QStringList collectedWarnings;

void keepWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtWarningMsg &&
        (text.startsWith("Refused a command") || text.startsWith("An action on the link")))
        collectedWarnings << text;
}

struct Cell {
    Cell(const RadioOptions& options, Harness::Line line) : h(options, {}, line) {}
    Harness h;
    int waits = 0;
    int target = -1;
    bool scheduled = false;
    bool setupAtStart = false; // the radio was in setup mode before the program acted
    LinkGate::Wait last = LinkGate::Wait::Yield;
    qsizetype linesAt = -1;
    qsizetype callsAt = -1;
    // What reached the radio while it was in setup mode, and does not belong there.
    QStringList intoSetupMode;
    QStringList problems;
    QString file; // a file the flow writes, with OldFile in it before
    QList<QObject*> watched;

    SharedState& state() { return h.window->state(); }
    template <typename T> T* shown() const {
        for (T* window : h.window->findChildren<T*>())
            if (!window->isHidden())
                return window;
        return nullptr;
    }
    void problem(const QString& what) { problems << what; }
};

struct Flow {
    QString name;
    RadioOptions options = {};
    std::function<void(Cell&)> setUp = {};
    std::function<void(Cell&)> run = {};
    // Closes the flow's own window; false while it has none (empty: the flow never has one).
    std::function<bool(Cell&)> closeOwn = {};
    // What the flow itself still sends once its own window was closed.
    QStringList afterOwnClose = {};
    Harness::Line line = Harness::Line::Instant;
    // How many of its waits are interrupted, spread evenly; none: every one. A line paced as a
    // cable is has many more waits to the same code, each of them a few characters on the way.
    int sampled = 0;
};

// The flows that open a port of their own, once more on the radio built into the programs,
// whose ports come and go while it stays.
QList<Flow> onTheBuiltInRadio(QList<Flow> flows) {
    for (Flow& flow : flows) {
        flow.name += " on the built-in radio";
        flow.line = Harness::Line::BuiltIn;
        flow.sampled = 12;
    }
    return flows;
}

void settle(Cell& cell) {
    for (int round = 0; round < 50; ++round) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (cell.state().gate.idle())
            break;
        QTest::qWait(1);
    }
    QCoreApplication::processEvents();
}

QString writeFirmware(Cell& cell, const QString& release) {
    const QString path = cell.h.dir.filePath("fw.s28");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(SRecord::makeFirmware(release, 1500));
    return path;
}

QString writeConfig(Cell& cell, const QByteArray& bytes) {
    const QString path = cell.h.dir.filePath("in.txt");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

const QByteArray FullFile = "Created by Quenlar Ardentix Configuration Software Version 2.3.3\r\n"
                            "UNIT 14567\r\nOWN PUMP 4\r\nMODE M\r\nPWR 25\r\nBAUD 9600 8N1\r\n"
                            "FEC OFF\r\nBUFF OFF\r\nDLINK 9600\r\nDLINK ON\r\n";

// A file that meets every notice of a load: a release line of the oldest firmware, a line no
// setting is that long, and no setting at all.
const QByteArray NoticeFile = "08-2727\r\n1.9.0\r\n" + QByteArray(300, 'x') + "\r\n";

// Closes the flow's window by its close box (the progress window by its Cancel).
template <typename T> bool closeShown(Cell& cell, bool cancel = false) {
    T* window = cell.shown<T>();
    if (!window)
        return false;
    if constexpr (std::is_same_v<T, ProgressWindow>)
        if (cancel)
            window->Command1->click();
    if (!cancel)
        window->close();
    return true;
}

RestoreWindow* openRestore(Cell& cell) {
    cell.h.window->openConfigRestore();
    settle(cell);
    return cell.h.window->findChild<RestoreWindow*>();
}

// Its close box, even while the window hides behind its "Saving..." display.
bool closeRestore(Cell& cell) {
    auto* window = cell.h.window->findChild<RestoreWindow*>();
    if (!window)
        return false;
    window->close();
    return true;
}

// A radio that takes its time over a write, so that a wait sees the echo before the answer.
RadioOptions slowStore() {
    RadioOptions options;
    options.storeMs = 400;
    return options;
}

// One that answers everything late, in the edit and login flows, where it costs little.
RadioOptions late(RadioOptions options = slowStore()) {
    options.latencyMs = 30;
    return options;
}

RadioOptions withPassword() {
    RadioOptions options = late();
    options.password = "ab12";
    return options;
}

// A file loaded into the store and restore window.
Flow loadFlow(const QString& name, const QByteArray& file) {
    return {name, slowStore(),
            [](Cell& c) {
                c.h.connectAndRead();
                openRestore(c);
            },
            [file](Cell& c) {
                c.h.prompts.files = {writeConfig(c, file)};
                if (auto* window = c.h.window->findChild<RestoreWindow*>())
                    window->toolbarButton("OpenConfig")->trigger();
            },
            closeRestore};
}

// An upgrade to a file of this release; the radio runs 3.2.0.
Flow upgradeFlow(const QString& name, const QString& release) {
    return {name,
            {},
            [](Cell& c) {
                c.h.connectAndRead();
                // The pieces take their time on the line, so that the transfer waits.
                c.h.port.setPacedOutput(true);
            },
            [release](Cell& c) {
                c.h.prompts.files = {writeFirmware(c, release)};
                c.h.window->controls().mnuSendText->trigger();
            },
            [](Cell& c) { return closeShown<ProgressWindow>(c, true); },
            {"EXIT", "CLOS", "OPEN"}};
}

QList<Flow> flows() {
    QList<Flow> all;
    all << Flow{"connect", {}, {}, [](Cell& c) {
                    c.h.window->link().requestConnect();
                    settle(c);
                    c.h.window->onTick();
                }};
    all << Flow{"read", slowStore(), [](Cell& c) { c.h.connectRadio(); },
                [](Cell& c) { c.h.window->onTick(); }};
    all << Flow{"read from a late radio", late(), [](Cell& c) { c.h.connectRadio(); },
                [](Cell& c) { c.h.window->onTick(); }};
    RadioOptions inSetup;
    inSetup.setup = true;
    all << Flow{"connect to a radio in setup mode", inSetup, {}, [](Cell& c) {
                    c.h.window->link().requestConnect();
                }};
    all << Flow{"edit", late(), [](Cell& c) { c.h.connectAndRead(); },
                [](Cell& c) {
                    c.h.prompts.texts = {QString("27")};
                    c.h.window->editor().edit("PowerLevel");
                }};
    all << Flow{"alarm listing", late(), [](Cell& c) { c.h.connectAndRead(); },
                [](Cell& c) { c.h.window->editor().edit("AlarmInfo"); }};
    all << Flow{"login", withPassword(),
                [](Cell& c) {
                    c.h.connectAndRead();
                    c.h.window->onToolbarButton(c.h.window->toolbarButton("Login"));
                },
                [](Cell& c) {
                    if (auto* login = c.shown<LoginDialog>()) {
                        login->txtPassword->setText("ab12");
                        login->cmdOK->click();
                    }
                },
                [](Cell& c) { return closeShown<LoginDialog>(c); }};
    all << Flow{"encryption code", slowStore(), [](Cell& c) { c.h.connectAndRead(); },
                [](Cell& c) {
                    c.h.window->controls().mnuEncryptCode->trigger();
                    settle(c);
                    if (auto* code = c.shown<LoginDialog>()) {
                        code->txtPassword->setText("12");
                        code->cmdOK->click();
                    }
                },
                [](Cell& c) { return closeShown<LoginDialog>(c); }};
    all << Flow{"password", slowStore(),
                [](Cell& c) {
                    c.h.connectAndRead();
                    c.h.window->controls().mnuSetPass->trigger();
                },
                [](Cell& c) {
                    if (auto* password = c.shown<PasswordDialog>()) {
                        password->PassRadio[0]->click();
                        password->Pass1->setText("zx9");
                        password->Pass2->setText("zx9");
                        password->OKButton->click();
                    }
                },
                [](Cell& c) { return closeShown<PasswordDialog>(c); }};
    all << Flow{"diagnostic link", slowStore(),
                [](Cell& c) {
                    c.h.connectAndRead();
                    c.h.window->editor().edit("DLINK");
                },
                [](Cell& c) {
                    if (auto* dlink = c.shown<DlinkDialog>())
                        dlink->OKButton->click();
                },
                [](Cell& c) { return closeShown<DlinkDialog>(c); }};
    all << Flow{"extension map", slowStore(), [](Cell& c) { c.h.connectAndRead(); },
                [](Cell& c) {
                    c.h.window->editor().edit("XMAP");
                    settle(c);
                    if (auto* map = c.shown<XmapDialog>())
                        map->ProgramButton->click();
                },
                [](Cell& c) { return closeShown<XmapDialog>(c); }};
    QList<Flow> ownPort;
    ownPort << Flow{"store and restore read", slowStore(), [](Cell& c) { c.h.connectAndRead(); },
                    [](Cell& c) { c.h.window->controls().mnuConfigRestore->trigger(); },
                    closeRestore};
    ownPort << Flow{"store and restore save", slowStore(),
                [](Cell& c) {
                    c.h.connectAndRead();
                    openRestore(c);
                    c.file = c.h.dir.filePath("saved.txt");
                    QFile old(c.file);
                    old.open(QIODevice::WriteOnly);
                    old.write(OldFile);
                },
                [](Cell& c) {
                    c.h.prompts.files = {c.file};
                    if (auto* window = c.h.window->findChild<RestoreWindow*>())
                        window->toolbarButton("SaveConfig")->trigger();
                },
                closeRestore};
    ownPort << loadFlow("store and restore load", FullFile);
    ownPort << Flow{"store and restore programming", slowStore(),
                [](Cell& c) {
                    c.h.connectAndRead();
                    RestoreWindow* window = openRestore(c);
                    c.h.prompts.files = {writeConfig(c, FullFile)};
                    window->toolbarButton("OpenConfig")->trigger();
                    settle(c);
                    window->CheckAllButton->click();
                },
                [](Cell& c) {
                    if (auto* window = c.h.window->findChild<RestoreWindow*>())
                        window->toolbarButton("ProgramRadio")->trigger();
                },
                closeRestore};
    ownPort << loadFlow("store and restore load notices", NoticeFile);
    all << ownPort << onTheBuiltInRadio(ownPort);
    all << upgradeFlow("firmware upgrade", "3.3.0");
    all << upgradeFlow("firmware upgrade to an older release", "3.1.0");
    all << Flow{"help box",
                {},
                [](Cell& c) { c.h.connectAndRead(); },
                [](Cell& c) { c.h.window->showHelp("PowerLevel"); }};
    all << Flow{"communication error message",
                {},
                [](Cell& c) { c.h.connectAndRead(); },
                [](Cell& c) { c.h.port.vanish(); }};
    all << Flow{"opening a log",
                {},
                [](Cell& c) { c.h.connectAndRead(); },
                [](Cell& c) {
                    c.h.prompts.files = {c.h.dir.filePath("traffic.log")};
                    c.h.window->controls().mnuOpenLog->trigger();
                }};
    all << Flow{"a log that cannot be written",
                {},
                [](Cell& c) {
                    c.h.connectAndRead();
                    c.h.prompts.files = {QStringLiteral("/dev/full")};
                    c.h.prompts.answers = {Prompts::No}; // appended to, not replaced
                    c.h.window->controls().mnuOpenLog->trigger();
                },
                [](Cell& c) {
                    c.h.prompts.answers = {Prompts::Retry, Prompts::Cancel};
                    c.h.window->terminal().append("from the radio");
                }};
    RadioOptions remote;
    remote.mode = u'R';
    all << Flow{"RSSI monitor", remote, [](Cell& c) { c.h.connectAndRead(); },
                [](Cell& c) { c.h.window->onRssi(); },
                [](Cell& c) { return closeShown<RssiWindow>(c); }};
    all << Flow{"zone data",
                {},
                [](Cell& c) { c.h.connectAndRead(); },
                [](Cell& c) {
                    c.h.window->onZoneData();
                    if (auto* zones = c.shown<ZoneDataWindow>())
                        zones->onPollTick();
                },
                [](Cell& c) { return closeShown<ZoneDataWindow>(c); }};
    all << Flow{"reset zone data",
                {},
                [](Cell& c) {
                    c.h.connectAndRead();
                    c.h.window->onZoneData();
                },
                [](Cell& c) {
                    c.h.prompts.answers = {Prompts::Yes};
                    if (auto* zones = c.shown<ZoneDataWindow>())
                        zones->mnuResetZoneData->trigger();
                },
                [](Cell& c) { return closeShown<ZoneDataWindow>(c); }};
    all << Flow{"setup mode", slowStore(), [](Cell& c) { c.h.connectAndRead(); },
                [](Cell& c) {
                    c.h.prompts.answers = {Prompts::Yes};
                    c.h.window->controls().mnuSetupMode->trigger();
                },
                [](Cell& c) { return closeShown<SetupWindow>(c); }};
    all << Flow{"setup mode programming", late(),
                [](Cell& c) {
                    c.h.connectAndRead();
                    c.h.prompts.answers = {Prompts::Yes};
                    c.h.window->controls().mnuSetupMode->trigger();
                    settle(c);
                    if (auto* setup = c.shown<SetupWindow>())
                        setup->Key->click();
                },
                [](Cell& c) {
                    c.h.prompts.texts = {QString("RX 902.500")};
                    if (auto* setup = c.shown<SetupWindow>())
                        setup->programFrequency("rx");
                },
                [](Cell& c) { return closeShown<SetupWindow>(c); }};
    all << Flow{"setup help box", slowStore(),
                [](Cell& c) {
                    c.h.connectAndRead();
                    c.h.prompts.answers = {Prompts::Yes};
                    c.h.window->controls().mnuSetupMode->trigger();
                },
                [](Cell& c) {
                    // Clicked as a person clicks: the label's own handler is on the stack.
                    if (auto* setup = c.shown<SetupWindow>())
                        QTest::mouseClick(setup->RxLabel, Qt::LeftButton);
                },
                [](Cell& c) { return closeShown<SetupWindow>(c); }};
    return all;
}

void interrupt(Cell& cell, const Flow& flow, Way way) {
    cell.linesAt = cell.h.radio.lines().size();
    cell.callsAt = cell.h.prompts.calls.size();
    MainWindow& window = *cell.h.window;
    switch (way) {
    case Way::OwnClose:
        // With no window of the flow's yet, there is nothing to interrupt.
        if (!flow.closeOwn(cell))
            cell.linesAt = -1;
        break;
    case Way::MainClose:
        window.close();
        break;
    case Way::Signal:
        window.quitBySignal();
        break;
    case Way::DeviceLost:
        for (SimulatedPort* port : cell.h.ownPorts)
            if (port && port->isOpen())
                port->vanish();
        if (cell.h.port.isOpen())
            cell.h.port.vanish();
        cell.h.port.setMissing(true);
        break;
    case Way::Disconnect:
        window.onToolbarButton(window.toolbarButton("Disconnect"));
        break;
    case Way::PortOpen:
        window.controls().mnuOpen->trigger();
        break;
    case Way::SecondAction:
        cell.h.prompts.texts.append(QString("12345"));
        window.editor().edit("UnitAddr");
        break;
    }
}

// Windows on the link must never be freed while one of their own actions is on the stack.
void watchWindows(Cell& cell) {
    QList<QObject*> windows;
    for (QDialog* window : cell.h.window->findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
        windows << window;
        for (QObject* inner : window->findChildren<ZoneScreen*>(Qt::FindDirectChildrenOnly))
            windows << inner;
    }
    for (QObject* window : std::as_const(windows)) {
        if (cell.watched.contains(window))
            continue;
        cell.watched << window;
        const QString name = window->objectName();
        QObject::connect(window, &QObject::destroyed, [&cell, name](QObject* gone) {
            if (cell.state().gate.runsFor(gone) && cell.state().gate.waitDepth() > 0)
                cell.problem(name + " was freed under its own wait");
            if (cell.h.prompts.askers.contains(gone))
                cell.problem(name + " was freed under its own question");
        });
    }
}

QStringList commandsSince(const Cell& cell) {
    QStringList sent;
    const QStringList& lines = cell.h.radio.lines();
    for (qsizetype i = std::max<qsizetype>(cell.linesAt, 0); i < lines.size(); ++i)
        if (!lines.at(i).isEmpty())
            sent << lines.at(i);
    return sent;
}

void checkCommands(Cell& cell, const Flow& flow, Way way) {
    if (cell.linesAt < 0 || way == Way::SecondAction) {
        if (cell.h.radio.commands().count(SecondCommand) > 1)
            cell.problem("the second action ran twice");
        return;
    }
    QStringList allowed = Safe;
    if (way == Way::Disconnect || way == Way::PortOpen)
        allowed << "CLOS";
    if (way == Way::PortOpen)
        allowed << "OPEN";
    if (way == Way::OwnClose)
        allowed << flow.afterOwnClose;
    QStringList sent = commandsSince(cell);
    // A connection made again reads the radio afresh.
    if (way == Way::PortOpen && sent.contains("OPEN"))
        sent = sent.mid(0, sent.lastIndexOf("OPEN"));
    for (const QString& command : std::as_const(sent))
        if (!allowed.contains(command))
            cell.problem("\"" + command + "\" reached the radio after the interruption");
}

// Once interrupted, a flow asks nothing more; a lost device is told once, and quitting tells
// nothing. What the flow's own close says is the flow's.
void checkQuestions(Cell& cell, Way way) {
    if (cell.callsAt < 0 || way == Way::SecondAction || way == Way::OwnClose)
        return;
    int losses = 0;
    for (const ScriptedPrompts::Call& call : cell.h.prompts.calls.mid(cell.callsAt)) {
        if (call.kind == "beep")
            continue;
        if (way == Way::DeviceLost && call.text == Console::communicationError() && !losses++)
            continue;
        // The port was gone before the flow opened it.
        if (way == Way::DeviceLost && call.text.startsWith("The selected COM port is not"))
            continue;
        // Quitting during an upgrade asks whether to stop it, before the quit begins.
        if (way == Way::MainClose && call.caption == "Quit")
            continue;
        // Connected again, the radio is found where the flow left it: in its loader.
        if (way == Way::PortOpen && call.caption == "Radio Error")
            continue;
        cell.problem(QString("asked after the interruption: %1 \"%2\"")
                         .arg(call.kind, call.text.left(60).replace(u'\r', u' ')));
    }
}

void checkWindow(Cell& cell) {
    const LinkControls& c = cell.h.window->controls();
    const bool restoreOpen = cell.shown<RestoreWindow>() != nullptr;
    if (!cell.h.port.isOpen() && !restoreOpen && !c.imgConnected->isHidden())
        cell.problem("shown connected on a closed port");
    if (c.logoutButton->isEnabled() && !cell.h.radio.loggedIn())
        cell.problem("shown logged in, the radio says not");
}

// A radio the program lost may be left as it was, keyed or in setup mode; the device back and
// connected again, the radio is in its normal mode.
void comeBack(Cell& cell) {
    if (!cell.h.window->ended()) {
        checkWindow(cell);
        if (!cell.h.port.isOpen() && cell.h.window->controls().imgConnected->isHidden()) {
            cell.h.port.setMissing(false);
            cell.h.window->link().connectAction();
            settle(cell);
        }
    }
    if (cell.h.radio.inSetupMode() || cell.h.radio.keyed() || !cell.h.radio.echo())
        if (cell.h.port.isOpen())
            cell.problem("connected again, the radio was not put back to normal");
}

void checkTruth(Cell& cell, Way way) {
    if (cell.h.port.settings() != "19200,N,8,1")
        cell.problem("the port was left at " + cell.h.port.settings());
    // A window that quit shows nothing any more.
    if (!cell.h.window->ended())
        checkWindow(cell);
    if (way == Way::DeviceLost)
        comeBack(cell);
    SetupWindow* setup = cell.shown<SetupWindow>();
    if (cell.h.radio.keyed() && !(setup && setup->DKey->isEnabled()))
        cell.problem("the transmitter is keyed with no way to de-key it");
    if (cell.h.radio.inSetupMode() && !setup && !cell.state().gate.busy() && !cell.setupAtStart)
        cell.problem("the radio stays in setup mode with no setup window");
    if (cell.state().setupMode && !setup && !cell.state().gate.busy() &&
        !cell.h.radio.inSetupMode())
        cell.problem("the setup-mode flag stays set with no setup window");
    for (const QString& command : std::as_const(cell.intoSetupMode))
        cell.problem("\"" + command + "\" reached the radio in setup mode");
    if (!cell.h.radio.echo())
        cell.problem("the console's echo was left off");
    if (!cell.file.isEmpty()) {
        QFile file(cell.file);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        if (bytes != OldFile && !bytes.endsWith("RTU OFF\r\n"))
            cell.problem("the saved file was cut short");
    }
}

// After a lost device, the quit comes by a signal, with nobody to answer: it asks nothing.
void checkQuit(Cell& cell, Way way) {
    const qsizetype calls = cell.h.prompts.calls.size();
    if (way == Way::DeviceLost && !cell.h.window->ended())
        cell.h.window->quitBySignal();
    else
        cell.h.window->close();
    if (!QTest::qWaitFor([&] { return cell.h.window->ended(); }, 10000))
        cell.problem("the program did not quit");
    if (cell.h.port.settings() != "19200,N,8,1")
        cell.problem("the port was left at " + cell.h.port.settings() + " at quit");
    if (way == Way::DeviceLost)
        for (const ScriptedPrompts::Call& call : cell.h.prompts.calls.mid(calls))
            if (call.kind != "beep")
                cell.problem("asked after a quit signal: " + call.text.left(60));
}

// The built-in radio outlives the ports its windows made: its zone traffic still grows by its
// owner's clock once they are gone.
void checkTraffic(Cell& cell) {
    const double before = cell.h.radio.zoneCounters(1).tx;
    cell.h.radio.receive("ZONE DATA\r");
    cell.h.clock.advance(1000);
    cell.h.radio.receive("ZONE DATA\r");
    if (cell.h.radio.zoneCounters(1).tx <= before)
        cell.problem("the built-in radio's traffic stood still");
}

// The commands a radio in setup mode takes: its own, the terminal's RSSI, and the way out.
bool belongsToSetupMode(const QString& line) {
    static const QStringList Words = {"rx",   "tx",    "key",  "dkey", "quit",
                                      "rssi", "setup", "eeco", "pass"};
    return line.isEmpty() || Words.contains(line.section(u' ', 0, 0).toLower());
}

// One cell: the flow, interrupted from inside its wait number target (none: a whole run).
QStringList runCell(const Flow& flow, Way way, int target, int* waits = nullptr) {
    Cell cell(flow.options, flow.line);
    if (flow.setUp)
        flow.setUp(cell);
    settle(cell);
    cell.h.radio.clearLines();
    cell.h.prompts.calls.clear();
    cell.target = target;
    cell.setupAtStart = cell.h.radio.inSetupMode();
    cell.h.radio.setLineHook([&cell](const QString& line) {
        if (cell.h.radio.inSetupMode() && !cell.setupAtStart && !belongsToSetupMode(line))
            cell.intoSetupMode << line;
        // Held actions run from the top of the event loop; one sent from inside another's wait
        // or question ran within it.
        if (line == SecondCommand && QThread::currentThread()->loopLevel() > 0)
            cell.problem("the second action ran inside the flow's wait");
    });
    collectedWarnings.clear();
    const QtMessageHandler before = qInstallMessageHandler(keepWarnings);
    cell.state().gate.waitHook = [&](LinkGate::Wait kind, const QString&, int) {
        watchWindows(cell);
        // The first sleep of a wait for the radio is that wait itself: an interruption from
        // inside either comes in the same event loop.
        const bool same = kind == LinkGate::Wait::Event && cell.last == LinkGate::Wait::Until;
        cell.last = kind;
        // A flow whose tail runs after it returned (the reconnect after an upgrade) may reach
        // its target once the interruption was already sent for a flow that seemed to be over.
        if (same || cell.waits++ != cell.target || cell.scheduled)
            return;
        cell.scheduled = true;
        QTimer::singleShot(0, cell.h.window.get(),
                           [&cell, &flow, way] { interrupt(cell, flow, way); });
    };
    flow.run(cell);
    if (cell.target >= 0 && !cell.scheduled) { // the flow ended before the wait came round
        cell.scheduled = true;
        QTimer::singleShot(0, cell.h.window.get(), [&] { interrupt(cell, flow, way); });
    }
    settle(cell);
    watchWindows(cell);
    cell.state().gate.waitHook = nullptr;
    if (waits)
        *waits = cell.waits;
    if (target >= 0) {
        checkCommands(cell, flow, way);
        checkQuestions(cell, way);
        checkTruth(cell, way);
    }
    checkQuit(cell, target >= 0 ? way : Way::MainClose);
    if (flow.line == Harness::Line::BuiltIn)
        checkTraffic(cell);
    qInstallMessageHandler(before);
    cell.problems << collectedWarnings;
    return cell.problems;
}

} // namespace

class TestInterruptions : public QObject {
    Q_OBJECT

    // Every wait of the flow (or those sampled), in every way; the failures, one line each.
    // ARDENTIX_MATRIX_SHARE "k/n": of every flow, the cells of every nth wait from the kth, so
    // that n runs share the matrix evenly whatever the flows weigh.
    static std::pair<int, int> share() {
        const QStringList share = qEnvironmentVariable("ARDENTIX_MATRIX_SHARE", "0/1").split(u'/');
        return {share.value(0).toInt(), std::max(1, share.value(1).toInt())};
    }

    static void runFlow(const QString& name) {
        const auto [part, parts] = share();
        const QList<Flow> all = flows();
        const auto flow =
            std::find_if(all.begin(), all.end(), [&](const Flow& f) { return f.name == name; });
        QVERIFY(flow != all.end());
        int waits = 0;
        const QStringList whole = runCell(*flow, Way::MainClose, -1, &waits);
        QVERIFY2(whole.isEmpty(), qPrintable(whole.join("; ")));
        QStringList failures;
        int cells = 0;
        const int stride = flow->sampled > 0 ? std::max(1, waits / flow->sampled) : 1;
        for (const Way way : Ways) {
            if (way == Way::OwnClose && !flow->closeOwn)
                continue;
            for (int target = part * stride; target < std::max(waits, 1);
                 target += parts * stride) {
                ++cells;
                for (const QString& problem : runCell(*flow, way, target))
                    failures << QString("%1, %2 at wait %3: %4")
                                    .arg(name, nameOf(way))
                                    .arg(target)
                                    .arg(problem);
            }
        }
        qInfo("%s: %d waits, %d cells", qPrintable(name), waits, cells);
        failures.removeDuplicates();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 40).join("\n")));
    }

private slots:
    void matrix_data() {
        QTest::addColumn<QString>("flow");
        for (const Flow& flow : flows())
            QTest::newRow(qPrintable(flow.name)) << flow.name;
    }
    void matrix() {
        QFETCH(QString, flow);
        runFlow(flow);
    }
};

QTEST_MAIN(TestInterruptions)
#include "tst_interruptions.moc"
