// Every flow against ardentix-radio-sim over a real pseudo-terminal, under every way a radio
// or its cable fails: the fault starts in the middle of the flow (the simulator holds it until
// the radio receives a given command line), and each cell states what the user must see. Then
// the fault is lifted and the cell checks what a technician would: the program still answers,
// no file was cut short, the line is back at 19200,N,8,1, and no process was left behind.
#include "BuiltInRadio.h"
#include "ChosenPort.h"
#include "FaultControl.h"
#include "RadioOptionsText.h"
#include "SRecord.h"
#include "SignalHandlers.h"
#include "access/LoginDialog.h"
#include "app/MainWindow.h"
#include "config/RestoreWindow.h"
#include "core/Clock.h"
#include "core/ParameterField.h"
#include "core/Prompts.h"
#include "diag/RssiWindow.h"
#include "diag/SetupWindow.h"
#include "diag/ZoneDataWindow.h"
#include "link/ConsoleText.h"
#include "link/DevicePort.h"
#include "link/PortNames.h"
#include "link/TerminalPane.h"
#include "settings/ReadSequence.h"
#include "settings/SettingsFields.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

enum class Fault { Silence, Late, Noise, CutLine, Vanish, ComeBack };
const Fault Faults[] = {Fault::Silence, Fault::Late,   Fault::Noise,
                        Fault::CutLine, Fault::Vanish, Fault::ComeBack};

QString nameOf(Fault fault) {
    switch (fault) {
    case Fault::Silence:
        return "silence";
    case Fault::Late:
        return "late";
    case Fault::Noise:
        return "noise";
    case Fault::CutLine:
        return "cut mid-line";
    case Fault::Vanish:
        return "vanish";
    case Fault::ComeBack:
        return "come back";
    }
    return QString();
}

// What the simulator is told to start; the time-outs of the program are four seconds at most.
QString controlOf(Fault fault) {
    switch (fault) {
    case Fault::Silence:
        return "silent on";
    case Fault::Late:
        return "latency 6000";
    case Fault::Noise:
        return "noise 10";
    case Fault::CutLine:
        return "cut-line on";
    case Fault::Vanish:
    case Fault::ComeBack:
        return "vanish";
    }
    return QString();
}

const QByteArray OldFile = "the file as it was\r\n";
const QByteArray FullFile = "Created by Quenlar Ardentix Configuration Software Version 2.3.3\r\n"
                            "UNIT 14567\r\nOWN PUMP 4\r\nMODE M\r\nPWR 25\r\nBAUD 9600 8N1\r\n"
                            "FEC OFF\r\nBUFF OFF\r\n";

// The radio a session talks to, told its faults by control lines (sim/README.md).
struct Radio {
    virtual ~Radio() = default;
    // Writes one control line and gives the radio's answer to it, once it came.
    virtual QString ask(const QString& line) = 0;
    // What it printed: "rx: LINE" for each command line it received.
    virtual QString output() = 0;
    virtual void end() {}
    bool tell(const QString& line) {
        const QString answer = ask(line);
        return answer.startsWith("done: ") || answer.startsWith("armed: ");
    }
    // The line as the program left it, in the port settings' words.
    QString lineSettings() { return ask("line").mid(5); }
    // Lifts the faults and waits until what the radio still had to say has gone out.
    bool lift() {
        return tell("clear") &&
               QTest::qWaitFor([this] { return ask("pending") == "pending 0"; }, 60000);
    }
    QString device;
};

// A simulated radio reached through a link path and told its faults through a control pipe,
// both of which a radio started again on the same paths takes over.
struct SimRadio : Radio {
    SimRadio(const QString& link, const QString& control, const QStringList& options)
        : link(link), control(control) {
        sim.start(SIM_PATH, QStringList{"--link", link, "--control", control} + options);
        if (sim.waitForStarted() && sim.waitForReadyRead(5000))
            device = QString::fromLocal8Bit(sim.readLine()).trimmed();
    }
    ~SimRadio() override { end(); }
    void end() override {
        if (sim.state() != QProcess::NotRunning)
            sim.kill();
        sim.waitForFinished();
    }
    QString output() override {
        log += QString::fromLocal8Bit(sim.readAllStandardOutput());
        return log;
    }
    QString ask(const QString& line) override {
        const int pipe = ::open(QFile::encodeName(control).constData(), O_WRONLY | O_NONBLOCK);
        if (pipe < 0)
            return QString();
        const QByteArray bytes = line.toLocal8Bit() + "\n";
        const qsizetype from = output().size();
        const bool written =
            ::write(pipe, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
        ::close(pipe);
        const QString word = line.section(u' ', 0, 0);
        const QStringList answers = {"done: " + line, "armed: " + line, "refused: " + line};
        QString answer;
        const auto answered = [&] {
            for (const QString& said : output().mid(from).split(u'\n'))
                if (answers.contains(said) || said.startsWith(word + u' '))
                    answer = said;
            return !answer.isEmpty();
        };
        return written && QTest::qWaitFor(answered, 5000) ? answer : QString();
    }

    QString link;
    QString control;
    QProcess sim;
    QString log;
};

// The radio built into the program, on the same clock as the window, its faults told in
// process. It has no cable to pull.
struct InBuiltRadio : Radio {
    InBuiltRadio(const QStringList& options, Clock& clock, std::function<QString()> line)
        : radio(optionsOf(options), clock), faults(radio.console()) {
        device = PortNames::BuiltInRadioName;
        faults.lineSettings = std::move(line);
        faults.pendingBytes = [this] { return radio.bytesOnTheWay(); };
    }
    static RadioOptions optionsOf(const QStringList& options) {
        QString error;
        return RadioOptionsText::fromText(options.join(u' '), error).value_or(RadioOptions());
    }
    QString ask(const QString& line) override { return faults.apply(line); }
    QString output() override {
        QString said;
        for (const QString& line : radio.console().lines())
            said += "rx: " + line + "\n";
        return said;
    }

    BuiltInRadio radio;
    FaultControl faults;
};

// What the user saw once the flow was over.
struct Seen {
    QString message; // the last message box, or empty
    bool connected;  // the connection image
    QString status;  // the status bar's status panel
    QString dialog;  // the window left open, by object name, or empty
    QString detail;  // what the flow's own field or window shows
};

// The main window on a real serial port reaching the radio through its link path, or on the
// radio built into the program.
struct Session {
    explicit Session(const QStringList& options, bool builtIn = false) {
        link = dir.filePath("radio");
        control = dir.filePath("faults");
        settings = std::make_unique<QSettings>(dir.filePath("s.ini"), QSettings::IniFormat);
        if (builtIn) {
            auto* inBuilt = new InBuiltRadio(options, clock, [this] { return port->settings(); });
            radio.reset(inBuilt);
            settings->setValue("Properties/CommPort", PortNames::BuiltInRadio);
            portMaker = [this, inBuilt] {
                return std::make_unique<ChosenPort>([](int) { return QString(); }, inBuilt->radio);
            };
        } else {
            radio = std::make_unique<SimRadio>(link, control, options);
            portMaker = [this] {
                return std::make_unique<DevicePort>([this](int) { return link; });
            };
        }
        port = portMaker();
        window = std::make_unique<MainWindow>(*port, prompts, clock, *settings);
        window->setPortMaker(portMaker);
        // The cells run each exchange themselves: no tick may start one inside another.
        window->controls().Timer1->blockSignals(true);
    }
    ~Session() {
        window.reset();
        port.reset();
        radio.reset();
    }

    void connectAndRead() {
        window->link().connectAction();
        if (window->state().refreshRequest) {
            window->state().refreshRequest = false;
            window->reader().run();
        }
    }
    // The radio started again on the same paths, as a device plugged back in.
    void bringBack(const QStringList& options) {
        radio->end();
        radio = std::make_unique<SimRadio>(link, control, options);
    }
    // What the program does once the flow returned: the posted work runs, and the main tick
    // comes round once, as its timer brings it every second.
    bool settle() {
        // A live screen holds the link for as long as it is open.
        const auto rests = [this] {
            return window->state().gate.idle() || shown<RssiWindow>() || shown<ZoneDataWindow>();
        };
        const bool free = QTest::qWaitFor(rests, 60000);
        QCoreApplication::processEvents();
        window->onTick();
        return free && QTest::qWaitFor(rests, 60000);
    }
    Seen seen() const {
        const LinkControls& c = window->controls();
        QString open;
        for (QDialog* dialog : window->findChildren<QDialog*>())
            if (!dialog->isHidden())
                open = dialog->objectName();
        return {prompts.lastMessage(), !c.imgConnected->isHidden(), c.statusPanel->text(), open,
                QString()};
    }
    template <typename T> T* shown() const {
        for (T* dialog : window->findChildren<T*>())
            if (!dialog->isHidden())
                return dialog;
        return nullptr;
    }
    void closeDialogs() {
        for (QDialog* dialog : window->findChildren<QDialog*>())
            if (!dialog->isHidden())
                dialog->close();
        QVERIFY(QTest::qWaitFor([this] { return window->state().gate.idle(); }, 20000));
        QCoreApplication::processEvents();
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }

    QTemporaryDir dir;
    QString link;
    QString control;
    SystemClock clock;
    std::unique_ptr<Radio> radio;
    std::unique_ptr<QSettings> settings;
    std::function<std::unique_ptr<SerialPort>()> portMaker;
    std::unique_ptr<SerialPort> port;
    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> window;
};

RestoreWindow* openRestore(Session& s) {
    s.prompts.answers = {Prompts::Yes};
    s.window->openConfigRestore();
    RestoreWindow* restore = s.shown<RestoreWindow>();
    if (restore &&
        !QTest::qWaitFor([restore] { return restore->ProgressLabel->text() == "100%"; }, 30000))
        return nullptr;
    return restore;
}

struct Flow {
    QString name;
    QStringList options;
    // The command line with which the fault starts.
    QString startsAt;
    std::function<void(Session&)> prepare;
    std::function<void(Session&)> run;
    // What the flow's own field or window shows once it is over.
    std::function<QString(Session&)> detail;
    // A file the flow writes, with OldFile in it before.
    QString file = {};
};

// The pane's last line: what the link said last.
QString paneLine(Session& s) {
    const QStringList lines =
        s.window->txtTerm->text().split(QRegularExpression("[\r\n]+"), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last();
}

QString field(Session& s, const QString& name) {
    return s.window->fields().text(name);
}

QString fileState(Session& s) {
    QFile file(s.dir.filePath("saved.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return "no file";
    const QByteArray bytes = file.readAll();
    return bytes == OldFile ? "old file" : bytes.startsWith("Created by") ? "saved" : "other";
}

QList<Flow> flows() {
    QList<Flow> all;
    all << Flow{"connect", {}, "OPEN", {}, [](Session& s) { s.connectAndRead(); }, paneLine};
    all << Flow{"settings read",
                {},
                "pwr",
                [](Session& s) { s.connectAndRead(); },
                [](Session& s) { s.window->reader().run(); },
                [](Session& s) { return field(s, "PowerLevel"); }};
    all << Flow{"edit",
                {},
                "pwr 27",
                [](Session& s) { s.connectAndRead(); },
                [](Session& s) {
                    s.prompts.texts = {QString("27")};
                    s.window->editor().edit("PowerLevel");
                },
                [](Session& s) { return field(s, "PowerLevel"); }};
    all << Flow{"login",
                {"--password", "ab12"},
                "pass",
                [](Session& s) {
                    s.connectAndRead();
                    s.window->onToolbarButton(s.window->toolbarButton("Login"));
                },
                [](Session& s) {
                    if (auto* login = s.shown<LoginDialog>()) {
                        login->txtPassword->setText("ab12");
                        login->cmdOK->click();
                    }
                },
                [](Session& s) { return s.window->findChild<QLabel*>("LoginState")->text(); }};
    all << Flow{"store and restore save",
                {},
                "ser",
                [](Session& s) {
                    s.connectAndRead();
                    openRestore(s);
                },
                [](Session& s) {
                    s.prompts.files = {s.dir.filePath("saved.txt")};
                    if (auto* restore = s.shown<RestoreWindow>())
                        restore->toolbarButton("SaveConfig")->trigger();
                },
                fileState,
                "saved.txt"};
    all << Flow{"store and restore program",
                {},
                "pwr 2",
                [](Session& s) {
                    s.connectAndRead();
                    RestoreWindow* restore = openRestore(s);
                    s.prompts.files = {s.writeFile("in.txt", FullFile)};
                    if (restore) {
                        restore->toolbarButton("OpenConfig")->trigger();
                        restore->CheckAllButton->click();
                    }
                },
                [](Session& s) {
                    if (auto* restore = s.shown<RestoreWindow>())
                        restore->toolbarButton("ProgramRadio")->trigger();
                },
                [](Session& s) {
                    auto* restore = s.shown<RestoreWindow>();
                    return restore ? restore->StatusLabel->text() : QString();
                }};
    all << Flow{"firmware upgrade",
                {},
                "ERASE",
                [](Session& s) { s.connectAndRead(); },
                [](Session& s) {
                    const QString path =
                        s.writeFile("fw.s28", SRecord::makeFirmware("3.3.0", 4000));
                    s.prompts.files = {path};
                    s.prompts.answers = {Prompts::Yes};
                    s.window->upgradeFirmware();
                },
                paneLine};
    all << Flow{"RSSI monitor",
                {"--mode", "R"},
                "rssi",
                [](Session& s) { s.connectAndRead(); },
                [](Session& s) {
                    s.window->onRssi();
                    // The monitor runs on its own timer: it is watched for a while.
                    QTest::qWait(4000);
                },
                [](Session& s) {
                    auto* monitor = s.shown<RssiWindow>();
                    return monitor ? monitor->Text1->text() : QString();
                }};
    all << Flow{"zone data screen",
                {},
                "ZONE DATA",
                [](Session& s) { s.connectAndRead(); },
                [](Session& s) {
                    s.window->onZoneData();
                    QTest::qWait(6000);
                },
                [](Session& s) {
                    auto* zones = s.shown<ZoneDataWindow>();
                    return zones ? zones->zoneRXCount.at(0)->text() : QString();
                }};
    all << Flow{"setup mode",
                {},
                "rx",
                [](Session& s) { s.connectAndRead(); },
                [](Session& s) {
                    s.prompts.answers = {Prompts::Yes};
                    s.window->enterSetupMode();
                },
                [](Session& s) {
                    auto* setup = s.shown<SetupWindow>();
                    return setup ? setup->RxFrequency->text() : QString();
                }};
    return all;
}

const Flow* flowNamed(const QList<Flow>& all, const QString& name) {
    for (const Flow& flow : all)
        if (flow.name == name)
            return &flow;
    return nullptr;
}

// The children this test process has: none may be left once a cell's radios are gone.
QStringList childProcesses() {
    QStringList found;
    const QDir tasks(QString("/proc/%1/task").arg(::getpid()));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile list(tasks.filePath(task + "/children"));
        if (list.open(QIODevice::ReadOnly))
            found << QString::fromLatin1(list.readAll()).split(u' ', Qt::SkipEmptyParts);
    }
    return found;
}

bool fileIsWhole(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    // Whole, and nothing of the line's noise in it.
    return bytes == OldFile || (bytes.startsWith("Created by") && bytes.endsWith("RTU OFF\r\n") &&
                                ConsoleText::isRadioText(QString::fromLatin1(bytes)));
}

bool matches(const QString& pattern, const QString& text) {
    const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern),
                                   QRegularExpression::DotMatchesEverythingOption);
    return whole.match(text).hasMatch();
}

constexpr int Either = -1;

// What the user sees, cell by cell. The texts are the program's own.
#define FAILED_IN_LOADER                                                                           \
    "Radio programming FAILED\\. The radio waits in its loader: upgrade it again to bring it "     \
    "back\\."
#define COMM "There was an error communicating with the radio\\. Please reconnect and try again"
#define NO_PORT "The selected COM port is not available\\..*"
#define ENDED "Status: The read was ended: the radio gave no answer to three settings in a row.*"
#define SILENT "Status: The radio did not answer\\..*"
#define NO_PROMPT                                                                                  \
    "Status: No answer (on Com[0-9]+|from the built-in radio) \\(no prompt after 30 tries\\).*"
#define NOT_SAVED "The configuration file was not saved \\(the radio did not answer when asked.*"
#define NOT_SAVED_GARBLED                                                                          \
    "The configuration file was not saved \\(the radio's answer to \\w+ came garbled on the "      \
    "line, 3 times.*"
#define STOPPED "The radio stopped answering: 4 of 7 settings were sent, the rest were not\\..*"
#define NO_PASSWORD "The radio did not answer the password\\..*"
#define SETUP_ASKED "Setup mode is intended for bench testing only\\..*"
struct Cell {
    const char* flow;
    Fault fault;
    const char* message;
    int connected;
    const char* status;
    const char* dialog;
    const char* detail;
};
const Cell Cells[] = {
    // Silent from OPEN on: either the read finds no prompt and the wake-up gives up, saying so,
    // or a prompt that came before the silence lets the read start, and it hears nothing.
    {"connect", Fault::Silence, "", Either, "(Status: |" SILENT "|" NO_PROMPT ")", "", ".*"},
    {"connect", Fault::Late, "", 1, SILENT, "", ".*"},
    {"connect", Fault::Noise, "", 1, ".*", "", ".*"},
    {"connect", Fault::CutLine, "", 1, SILENT, "", ".*"},
    {"connect", Fault::Vanish, COMM, 0, "Status: ", "", "Disconnected"},
    {"connect", Fault::ComeBack, COMM, 0, "Status: ", "", "Disconnected"},
    {"settings read", Fault::Silence, "", 1, ENDED, "", "PWR 30"},
    {"settings read", Fault::Late, "", 1, ENDED, "", "PWR 30"},
    // A value garbled on the way shows as it came.
    {"settings read", Fault::Noise, "", 1, ".*", "", ".*"},
    {"settings read", Fault::CutLine, "", 1, ENDED, "", "PWR 30"},
    {"settings read", Fault::Vanish, COMM, 0, "Status: ", "", "PWR 30"},
    {"settings read", Fault::ComeBack, COMM, 0, "Status: ", "", "PWR 30"},
    // The write's verdict lost, the next tick's read wakes a radio that is silent, or whose
    // prompt never comes: disconnected, "Error. Please reconnect." in the pane.
    {"edit", Fault::Silence, "", 0, NO_PROMPT, "", "PWR 30"},
    {"edit", Fault::Late, "", 1, SILENT, "", "PWR 30"},
    {"edit", Fault::Noise, "", 1, ".*", "", ".*"},
    {"edit", Fault::CutLine, "", 0, NO_PROMPT, "", "PWR 30"},
    {"edit", Fault::Vanish, COMM, 0, "Status: ", "", "PWR 30"},
    {"edit", Fault::ComeBack, COMM, 0, "Status: ", "", "PWR 30"},
    {"login", Fault::Silence, NO_PASSWORD, 1, "Status: ", "frmLogin", "Not logged in"},
    {"login", Fault::Late, NO_PASSWORD, 1, "Status: ", "frmLogin", "Not logged in"},
    {"login", Fault::Noise, "(Invalid Password, try again!|" NO_PASSWORD "|)", 1, ".*",
     "(frmLogin|)", "(Not logged in|Logged in)"},
    {"login", Fault::CutLine, NO_PASSWORD, 1, "Status: ", "frmLogin", "Not logged in"},
    {"login", Fault::Vanish, COMM, 0, "Status: ", "", ""},
    {"login", Fault::ComeBack, COMM, 0, "Status: ", "", ""},
    {"store and restore save", Fault::Silence, COMM, 0, NO_PROMPT, "", "old file"},
    // The late answer to one question may come in time to pass for the prompt of the next.
    {"store and restore save", Fault::Late, "(" COMM "|" NOT_SAVED ")", Either, "Status: .*",
     "(frmRestore|)", "old file"},
    // A reply garbled three times is named, and saves nothing.
    {"store and restore save", Fault::Noise, "(" NOT_SAVED "|" NOT_SAVED_GARBLED "|)", 1,
     "Status: ", "(frmRestore|)", "(old file|saved)"},
    {"store and restore save", Fault::CutLine, COMM, 0, NO_PROMPT, "", "old file"},
    {"store and restore save", Fault::Vanish, NO_PORT, 0, "Status: ", "", "old file"},
    {"store and restore save", Fault::ComeBack, NO_PORT, 0, "Status: ", "", "old file"},
    {"store and restore program", Fault::Silence, STOPPED, 0, NO_PROMPT, "", ""},
    {"store and restore program", Fault::Late, STOPPED, 1, "Status: ", "", ""},
    {"store and restore program", Fault::Noise, ".*", 1, ".*", "(frmRestore|)", ".*"},
    {"store and restore program", Fault::CutLine, STOPPED, 0, NO_PROMPT, "", ""},
    {"store and restore program", Fault::Vanish, NO_PORT, 0, "Status: ", "", ""},
    {"store and restore program", Fault::ComeBack, NO_PORT, 0, "Status: ", "", ""},
    {"firmware upgrade", Fault::Silence, FAILED_IN_LOADER, 0, "Status: ", "", ".*"},
    {"firmware upgrade", Fault::Late, "Radio programming was successful\\.", 1, ".*", "", ".*"},
    {"firmware upgrade", Fault::Noise, "(" FAILED_IN_LOADER "|Radio programming was successful\\.)",
     Either, ".*", "", ".*"},
    {"firmware upgrade", Fault::CutLine, FAILED_IN_LOADER, 0, "Status: ", "", ".*"},
    {"firmware upgrade", Fault::Vanish, COMM, 0, "Status: ", "", "Disconnected"},
    {"firmware upgrade", Fault::ComeBack, COMM, 0, "Status: ", "", "Disconnected"},
    {"RSSI monitor", Fault::Silence, "", 1, "Status: ", "frmRSSI", "n/a"},
    {"RSSI monitor", Fault::Late, "", 1, "Status: ", "frmRSSI", ".*"},
    {"RSSI monitor", Fault::Noise, "", 1, "Status: ", "frmRSSI", ".*"},
    {"RSSI monitor", Fault::CutLine, "", 1, "Status: ", "frmRSSI", "n/a"},
    {"RSSI monitor", Fault::Vanish, COMM, 0, "Status: ", "", ""},
    {"RSSI monitor", Fault::ComeBack, COMM, 0, "Status: ", "", ""},
    {"zone data screen", Fault::Silence, "", 1, "Status: ", "frmZoneData", ".*"},
    {"zone data screen", Fault::Late, "", 1, "Status: ", "frmZoneData", ".*"},
    {"zone data screen", Fault::Noise, "", 1, "Status: ", "frmZoneData", ".*"},
    {"zone data screen", Fault::CutLine, "", 1, "Status: ", "frmZoneData", ".*"},
    {"zone data screen", Fault::Vanish, COMM, 0, "Status: ", "", ""},
    {"zone data screen", Fault::ComeBack, COMM, 0, "Status: ", "", ""},
    {"setup mode", Fault::Silence, SETUP_ASKED, 1, "Status: ", "frmSetup", ".*"},
    {"setup mode", Fault::Late, SETUP_ASKED, 1, "Status: ", "frmSetup", "n/a"},
    {"setup mode", Fault::Noise, SETUP_ASKED, 1, "Status: ", "frmSetup", ".*"},
    {"setup mode", Fault::CutLine, SETUP_ASKED, 1, "Status: ", "frmSetup", ".*"},
    {"setup mode", Fault::Vanish, COMM, 0, "Status: ", "", ""},
    {"setup mode", Fault::ComeBack, COMM, 0, "Status: ", "", ""},
};

struct CliCell {
    Fault fault;
    const char* code; // the exit codes (ExitCode) it may end with, as a pattern
    const char* err;
};
#define CLI_STOPPED "ardentix-cli: the radio stopped answering: 4 of 7 settings were sent\\."
const CliCell CliCells[] = {
    {Fault::Silence, "4", CLI_STOPPED},
    {Fault::Late, "4", CLI_STOPPED},
    // Replies garbled on the way: settings not taken (6), or taken for refused for want of a
    // login (5), each named with what the radio answered; or a check read garbled three times
    // (4), named.
    {Fault::Noise, "(4|5|6)",
     "ardentix-cli: (.* was not taken: .*|the radio's answer to \\w+ came garbled on the line, "
     "3 times: check the cable and its connectors\\.)"},
    {Fault::CutLine, "4", CLI_STOPPED},
    {Fault::Vanish, "3", "ardentix-cli: the port closed during the restore\\."},
    {Fault::ComeBack, "3", "ardentix-cli: the port closed during the restore\\."},
};

// The radio in its loader (the simulator's --loader): every command but upgrade says so, exits
// 4 and writes nothing; the upgrade gives it firmware at once, asking nothing; the console shows
// it, and sends it no word of logging in or out.
#define AT_LOADER                                                                                  \
    "ardentix-cli: the radio waits in its loader: run `ardentix-cli upgrade FILE` to give it "     \
    "firmware\\."
struct LoaderCell {
    const char* command; // the tool's arguments after --port, FILE and FW the paths
    int code;
    const char* err; // the last line on standard error, as a pattern
};
const LoaderCell LoaderCells[] = {
    {"read", 4, AT_LOADER},
    {"read --json", 4, AT_LOADER},
    {"save FILE", 4, AT_LOADER},
    {"restore FILE", 4, AT_LOADER},
    {"rssi --seconds 2", 4, AT_LOADER},
    {"--password ab12 console", 0,
     "ardentix-cli: the radio waits in its loader: `ardentix-cli upgrade FILE` gives it "
     "firmware\\."},
    {"upgrade FW", 0, "The radio runs release 3\\.3\\.0\\."},
    {"--password ab12 upgrade FW", 0, "The radio runs release 3\\.3\\.0\\."},
};

// An upgrade interrupted by Ctrl+C at each of its stages, the moment told by the line the radio
// has just received: before the erase the radio keeps its firmware, after it the radio waits
// in its loader and the next upgrade brings it back; once the file was sent, the upgrade ends.
// A second Ctrl+C, once the tool took the first, stops at once, wherever the radio then is.
struct StopCell {
    const char* stage;
    // What the Ctrl+C follows: "rx: LINE" the radio received, or what the tool said; empty:
    // as soon as the tool takes the signal.
    const char* heard;
    bool password;
    int code;
    const char* after;       // "old", "loader" or "new"
    int presses = 1;         // how many times Ctrl+C is pressed
    const char* unsent = ""; // a line the radio must not receive after the one heard
};
const StopCell StopCells[] = {
    {"file check", "", false, 130, "old"},
    {"login", "rx: pass ab12", true, 130, "old"},
    {"the loader question", "rx: PROGRAM", false, 130, "old"},
    {"the loader question", "rx: PROGRAM", true, 130, "old"},
    {"the restart", "rx: YES", false, 130, "old"},
    {"the restart", "rx: YES", true, 130, "old"},
    {"the restart, stopped twice", "rx: YES", false, 130, "loader", 2},
    {"erase", "rx: ERASE", false, 130, "loader", 1, "rx: PROGRAM"},
    {"download", "Sending 30%", false, 130, "loader"},
    {"download", "Sending 30%", true, 130, "loader"},
    {"the verdict", "Verifying", false, 0, "new"},
};

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    // ARDENTIX_MATRIX_SHARE "k/n" runs the kth of n shares of the faults.
    static bool inShare(int index) {
        const QStringList share = qEnvironmentVariable("ARDENTIX_MATRIX_SHARE", "0/1").split(u'/');
        const int parts = std::max(1, share.value(1).toInt());
        return index % parts == share.value(0).toInt();
    }

    static int shareOf(Fault fault) {
        return int(std::find(std::begin(Faults), std::end(Faults), fault) - std::begin(Faults));
    }

    static void checkAfterwards(Session& s, const Flow& flow, Fault fault) {
        if (!flow.file.isEmpty())
            QVERIFY2(fileIsWhole(s.dir.filePath(flow.file)), "the saved file was cut short");
        s.closeDialogs();
        if (fault == Fault::Vanish) {
            QVERIFY(!s.port->isOpen());
            // The window still answers: a click on Connect tells that there is no radio there.
            const qsizetype told = s.prompts.messages().size();
            s.window->link().connectAction();
            QVERIFY(!s.port->isOpen());
            QVERIFY2(s.prompts.messages().size() > told &&
                         (matches(NO_PORT, s.prompts.lastMessage()) ||
                          matches(COMM, s.prompts.lastMessage())),
                     qPrintable(s.prompts.lastMessage()));
            QVERIFY(!s.window->controls().imgNotConnected->isHidden());
            // The next device opened on this port starts at the console's speed.
            QCOMPARE(s.port->settings(), QString("19200,N,8,1"));
            QVERIFY(s.window->controls().connectButton->isEnabled());
            return;
        }
        if (fault == Fault::ComeBack)
            s.bringBack(flow.options);
        else
            QVERIFY2(s.radio->lift(), qPrintable(s.radio->output().right(300)));
        if (!s.port->isOpen() || s.window->controls().imgConnected->isHidden()) {
            if (s.port->isOpen())
                s.window->link().disconnectAction();
            s.window->link().connectAction();
        }
        QVERIFY2(s.port->isOpen(), "the link could not be opened again");
        // An upgrade cut short leaves the radio in its loader: the next one brings it back. A
        // loaded machine may make the loader miss a time-out, so the user may try once more, as
        // the failure's message says.
        if (s.prompts.lastMessage().startsWith("ERROR - This radio needs software!")) {
            const QString programmed = QStringLiteral("Radio programming was successful.");
            for (int attempt = 0; attempt < 2 && s.prompts.lastMessage() != programmed; ++attempt) {
                if (!s.port->isOpen())
                    s.window->link().connectAction();
                s.prompts.files = {s.dir.filePath("fw.s28")};
                s.prompts.answers = {Prompts::Yes};
                s.window->upgradeFirmware();
            }
            QVERIFY2(s.prompts.lastMessage() == programmed,
                     qPrintable(s.prompts.lastMessage() + "\nThe radio heard:\n" +
                                s.radio->output().right(1500)));
        }
        // Refresh clicked: the next tick reads the radio afresh. A loaded machine may make one
        // answer miss its time-out, so the user may click once more.
        s.window->fields().setText("PowerLevel", QString());
        for (int click = 0; click < 2 && !field(s, "PowerLevel").startsWith("PWR "); ++click) {
            s.window->ButtonRefresh->click();
            QVERIFY(s.settle());
        }
        QVERIFY2(s.window->fields().text("PowerLevel").startsWith("PWR "),
                 qPrintable("a fresh read shows " + s.window->fields().text("PowerLevel") + "; " +
                            s.window->controls().statusPanel->text() + "; pane " +
                            s.window->txtTerm->text().right(80) + "; open " +
                            QString::number(s.port->isOpen()) + "; refresh " +
                            QString::number(s.window->state().refreshRequest) + "; echo off " +
                            QString::number(s.window->state().echoOff) + "; setup " +
                            QString::number(s.window->state().setupMode) + "; unit " +
                            field(s, "UnitAddr") + "; " + s.radio->output().right(200)));
        QVERIFY(!s.window->controls().imgConnected->isHidden());
        QCOMPARE(s.port->settings(), QString("19200,N,8,1"));
        QCOMPARE(s.radio->lineSettings(), QString("19200,N,8,1"));
    }

    struct Run {
        int code = -1;
        QString err;
        bool ended = false;
        QString out;
    };
    static Run cli(const QStringList& args, const QString& home) {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home);
        env.remove("DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        tool.setProcessEnvironment(env);
        tool.start(CLI_PATH, args);
        if (!tool.waitForStarted())
            return {};
        tool.closeWriteChannel();
        const bool ended = tool.waitForFinished(180000);
        if (!ended) {
            tool.kill();
            tool.waitForFinished();
        }
        return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
                QString::fromLocal8Bit(tool.readAllStandardError()), ended,
                QString::fromLocal8Bit(tool.readAllStandardOutput())};
    }

    // Waits until the radio has received a line that starts with text ("rx: LINE"), or the
    // tool has said it.
    static bool heard(Radio& radio, QProcess& tool, QByteArray& said, const QString& text) {
        return QTest::qWaitFor(
            [&] {
                said += tool.readAllStandardError();
                if (said.contains(text.toLocal8Bit()))
                    return true;
                for (const QString& line : radio.output().split(u'\n'))
                    if (line.startsWith(text))
                        return true;
                return false;
            },
            60000);
    }

    // The tool's last line for a radio that runs this ("3.2.0", "3.3.0" or "loader"), as a
    // pattern: the upgrade says where it left the radio, however it was stopped.
    static QString toldOf(const QString& runs) {
        if (runs == "3.3.0")
            return "The radio runs release 3\\.3\\.0\\.";
        if (runs == "loader")
            return "ardentix-cli: interrupted: the radio (was not erased, but )?waits in its "
                   "loader: run the upgrade again to bring it back\\.";
        return "ardentix-cli: interrupted(: the radio was not erased and runs its firmware as "
               "before)?\\.";
    }

    // Whether the radio received a line starting with text after the line starting with from.
    static bool receivedAfter(Radio& radio, const QString& from, const QString& text) {
        const QStringList lines = radio.output().split(u'\n');
        const auto start = std::find_if(lines.begin(), lines.end(),
                                        [&](const QString& line) { return line.startsWith(from); });
        return std::any_of(start, lines.end(),
                           [&](const QString& line) { return line.startsWith(text); });
    }

    // The firmware the radio runs now, as ardentix-cli read tells it, or "loader".
    static QString firmwareOf(const QString& link, const QString& home) {
        const Run read = cli({"--quiet", "--port", link, "read", "--json"}, home);
        if (read.code == 4 && read.err.contains("waits in its loader"))
            return "loader";
        const QRegularExpressionMatch found =
            QRegularExpression("\"firmware\": \"([^\"]*)\"").match(read.out);
        return found.hasMatch() ? found.captured(1) : "code " + QString::number(read.code);
    }

private slots:
    // One row a cell: what the user must see. message, status and detail are whole-text patterns
    // (the last message box, the status panel, the flow's own field or window); connected is the
    // connection image (Either where the fault may leave it either way); dialog the window left
    // open, by name.
    void window_data() {
        QTest::addColumn<QString>("flow");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("connected");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<bool>("builtIn");
        for (const Cell& cell : Cells) {
            if (!inShare(shareOf(cell.fault)))
                continue;
            const QString name = QString(cell.flow) + ", " + nameOf(cell.fault);
            const auto row = [&](const QString& rowName, bool builtIn) {
                QTest::newRow(qPrintable(rowName))
                    << QString(cell.flow) << int(cell.fault) << QString(cell.message)
                    << int(cell.connected) << QString(cell.status) << QString(cell.dialog)
                    << QString(cell.detail) << builtIn;
            };
            row(name, false);
            // The windows with a port of their own, once more on the radio built into the
            // program, which has no cable to pull.
            if (QString(cell.flow).startsWith("store and restore") && cell.fault != Fault::Vanish &&
                cell.fault != Fault::ComeBack)
                row(name + ", built-in radio", true);
        }
    }

    void window() {
        QFETCH(QString, flow);
        QFETCH(int, fault);
        QFETCH(QString, message);
        QFETCH(int, connected);
        QFETCH(QString, status);
        QFETCH(QString, dialog);
        QFETCH(QString, detail);
        QFETCH(bool, builtIn);
        const QList<Flow> all = flows();
        const Flow* f = flowNamed(all, flow);
        QVERIFY(f);
        const Fault kind = Fault(fault);
        {
            Session s(f->options, builtIn);
            QVERIFY(!s.radio->device.isEmpty());
            if (!f->file.isEmpty())
                s.writeFile(f->file, OldFile);
            if (f->prepare)
                f->prepare(s);
            s.prompts.calls.clear();
            QVERIFY(s.radio->tell("after " + f->startsAt + ": " + controlOf(kind)));
            f->run(s);
            QVERIFY2(s.settle(), "the link was never free again");
            Seen seen = s.seen();
            seen.detail = f->detail(s);
            qInfo("SEEN %s | %s | message=\"%s\" connected=%d status=\"%s\" dialog=\"%s\" "
                  "detail=\"%s\"",
                  qPrintable(flow), qPrintable(nameOf(kind)), qPrintable(seen.message),
                  seen.connected, qPrintable(seen.status), qPrintable(seen.dialog),
                  qPrintable(seen.detail));
            QVERIFY2(matches(message, seen.message), qPrintable("message: " + seen.message));
            if (connected != Either)
                QCOMPARE(int(seen.connected), connected);
            QVERIFY2(matches(status, seen.status), qPrintable("status: " + seen.status));
            QVERIFY2(matches(dialog, seen.dialog), qPrintable("window open: " + seen.dialog));
            QVERIFY2(matches(detail, seen.detail), qPrintable("shows: " + seen.detail));
            checkAfterwards(s, *f, kind);
        }
        QVERIFY2(childProcesses().isEmpty(),
                 qPrintable("left running: " + childProcesses().join(' ')));
    }

    // The loader column: each command of the tool, and the window's connect, to a radio that
    // runs only its loader.
    void loader_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err");
        int index = 0;
        for (const LoaderCell& cell : LoaderCells)
            if (inShare(index++))
                QTest::newRow(cell.command)
                    << QString(cell.command) << cell.code << QString(cell.err);
        if (inShare(index))
            QTest::newRow("the window's connect") << QString() << 0 << QString();
    }
    void loader() {
        QFETCH(QString, command);
        QFETCH(int, code);
        QFETCH(QString, err);
        {
            const QStringList loader{"--loader", "--password", "ab12"};
            Session s(loader);
            const QString file = s.writeFile("in.txt", FullFile);
            const QString firmware = s.writeFile("fw.s28", SRecord::makeFirmware("3.3.0", 4000));
            const QString home = s.dir.filePath("home");
            if (command.isEmpty()) {
                s.connectAndRead();
                QVERIFY(s.settle());
                QVERIFY2(s.prompts.lastMessage().startsWith("ERROR - This radio needs software!"),
                         qPrintable(s.prompts.lastMessage()));
                QVERIFY(!s.window->controls().imgConnected->isHidden());
                QCOMPARE(field(s, "PowerLevel"), QString("n/a"));
                QVERIFY(!s.radio->output().contains("rx: pwr"));
                // The window's upgrade gives it firmware at once.
                s.prompts.files = {firmware};
                s.prompts.answers = {};
                const qsizetype asked = s.prompts.messages().size();
                s.window->upgradeFirmware();
                QCOMPARE(s.prompts.lastMessage(), QString("Radio programming was successful."));
                QCOMPARE(s.prompts.messages().size(), asked + 1);
            } else {
                const QString saved = s.dir.filePath("saved.txt");
                QStringList args{"--port", s.link};
                for (const QString& word : command.split(u' '))
                    args << (word == "FILE" ? (command.startsWith("save") ? saved : file)
                             : word == "FW" ? firmware
                                            : word);
                const Run run = cli(args, home);
                qInfo("SEEN loader | %s | code=%d err=\"%s\"", qPrintable(command), run.code,
                      qPrintable(run.err));
                QCOMPARE(run.code, code);
                QVERIFY2(matches(err, run.err.trimmed().section(u'\n', -1)), qPrintable(run.err));
                QVERIFY2(!QFile::exists(saved), "a file was written for a radio in its loader");
                if (command.contains("upgrade")) {
                    QCOMPARE(firmwareOf(s.link, home), QString("3.3.0"));
                } else {
                    // All the radio heard is in its output once it has answered a question.
                    QVERIFY(!s.radio->ask("pending").isEmpty());
                    QVERIFY2(!s.radio->output().contains("rx: PASS NONE") &&
                                 !s.radio->output().contains("rx: pass "),
                             "the loader was spoken to as a console");
                }
            }
        }
        QVERIFY2(childProcesses().isEmpty(),
                 qPrintable("left running: " + childProcesses().join(' ')));
    }

    // ardentix-cli upgrade stopped by Ctrl+C at each of its stages.
    void cliUpgradeInterrupted_data() {
        QTest::addColumn<QString>("heard");
        QTest::addColumn<bool>("password");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("unsent");
        int index = 0;
        for (const StopCell& cell : StopCells)
            if (inShare(index++))
                QTest::newRow(
                    qPrintable(QString(cell.stage) + (cell.password ? ", with a password" : "")))
                    << QString(cell.heard) << cell.password << cell.code << QString(cell.after)
                    << cell.presses << QString(cell.unsent);
    }
    void cliUpgradeInterrupted() {
        QFETCH(QString, heard);
        QFETCH(bool, password);
        QFETCH(int, code);
        QFETCH(QString, after);
        QFETCH(int, presses);
        QFETCH(QString, unsent);
        {
            Session s(password ? QStringList{"--password", "ab12"} : QStringList());
            const QString home = s.dir.filePath("home");
            const QString firmware = s.writeFile("fw.s28", SRecord::makeFirmware("3.3.0", 60000));
            // --verbose: the log shows each tenth of the sending, which a cell may wait for.
            QStringList args{"--port", s.link, "--verbose", "--yes", "upgrade", firmware};
            if (password)
                args << "--password"
                     << "ab12";
            QProcess tool;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("XDG_CONFIG_HOME", home);
            tool.setProcessEnvironment(env);
            tool.start(CLI_PATH, args);
            QVERIFY(tool.waitForStarted());
            QByteArray said;
            if (heard.isEmpty())
                QVERIFY(QTest::qWaitFor([&] { return catchesSignal(tool.processId(), SIGINT); },
                                        20000));
            else
                QVERIFY2(this->heard(*s.radio, tool, said, heard),
                         qPrintable(s.radio->output().right(300) + said));
            for (int press = 1; press <= presses; ++press) {
                // The tool took the Ctrl+C before: it said that it is stopping.
                if (press > 1)
                    QVERIFY2(this->heard(*s.radio, tool, said, "Stopping the upgrade"),
                             qPrintable(said));
                ::kill(pid_t(tool.processId()), SIGINT);
            }
            QVERIFY(tool.waitForFinished(120000));
            const QString err = QString::fromLocal8Bit(said + tool.readAllStandardError());
            qInfo("SEEN upgrade stopped | %s | code=%d err=\"%s\"", qPrintable(heard),
                  tool.exitCode(), qPrintable(err.right(300)));
            QCOMPARE(tool.exitCode(), code);
            QVERIFY(s.radio->lift());
            if (!unsent.isEmpty())
                QVERIFY2(!receivedAfter(*s.radio, heard, unsent),
                         qPrintable(s.radio->output().right(300)));
            const QString runs = firmwareOf(s.link, home);
            const QString told = err.trimmed().section(u'\n', -1);
            QVERIFY2(matches(toldOf(runs), told),
                     qPrintable("the radio runs " + runs + ": " + told));
            QCOMPARE(runs, after == "old"   ? QString("3.2.0")
                           : after == "new" ? QString("3.3.0")
                                            : QString("loader"));
            QCOMPARE(s.radio->lineSettings(), QString("19200,N,8,1"));
            if (after == "loader") {
                QStringList again = args;
                QCOMPARE(cli(again, home).code, 0);
                QCOMPARE(firmwareOf(s.link, home), QString("3.3.0"));
            }
        }
        QVERIFY2(childProcesses().isEmpty(),
                 qPrintable("left running: " + childProcesses().join(' ')));
    }

    // ardentix-cli restore, the fault starting once programming has begun.
    void cliRestore_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("err");
        for (const CliCell& cell : CliCells)
            if (inShare(shareOf(cell.fault)))
                QTest::newRow(qPrintable(nameOf(cell.fault)))
                    << int(cell.fault) << QString(cell.code) << QString(cell.err);
    }
    void cliRestore() {
        QFETCH(int, fault);
        QFETCH(QString, code);
        QFETCH(QString, err);
        const Fault kind = Fault(fault);
        {
            Session s({});
            const QString file = s.writeFile("in.txt", FullFile);
            const QString home = s.dir.filePath("home");
            QVERIFY(s.radio->tell("after pwr 2: " + controlOf(kind)));
            const Run run = cli({"--quiet", "--port", s.link, "restore", file}, home);
            qInfo("SEEN cli | %s | code=%d err=\"%s\"", qPrintable(nameOf(kind)), run.code,
                  qPrintable(run.err));
            QVERIFY2(run.ended, "the command-line tool did not end");
            QVERIFY2(matches(code, QString::number(run.code)), qPrintable(run.err));
            QVERIFY2(matches(err, run.err.trimmed()), qPrintable(run.err));
            if (kind == Fault::Vanish) {
                QCOMPARE(cli({"--quiet", "--port", s.link, "read"}, home).code, 3);
            } else {
                if (kind == Fault::ComeBack)
                    s.bringBack({});
                else
                    QVERIFY(s.radio->lift());
                QCOMPARE(s.radio->lineSettings(), QString("19200,N,8,1"));
                const Run again = cli({"--quiet", "--port", s.link, "restore", file}, home);
                QCOMPARE(again.code, 0);
            }
        }
        QVERIFY2(childProcesses().isEmpty(),
                 qPrintable("left running: " + childProcesses().join(' ')));
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
