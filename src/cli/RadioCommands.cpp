#include "RadioCommands.h"

#include "ConfigFile.h"
#include "ExitCode.h"
#include "Output.h"
#include "RadioOptionsText.h"
#include "TerminalIo.h"
#include "TerminalPrompts.h"
#include "config/ConfigFormat.h"
#include "core/SettingsFile.h"
#include "firmware/FirmwareChecks.h"
#include "firmware/FirmwareDownload.h"
#include "link/ConsoleText.h"
#include "link/PortNames.h"
#include "link/PortNaming.h"

#include <QDate>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <cstdio>

namespace {

const QString ConsoleSettings = QStringLiteral("19200,N,8,1");
// A report line comes about once a second; this long without one, the radio sends none.
constexpr double RssiSilenceSeconds = 5.0;
// Piped keys end; the radio's answer to the last line still comes to the terminal.
constexpr double LastAnswerSeconds = 1.0;
constexpr char LeaveKey = 0x1d; // Ctrl+]
// A terminal's Backspace is DEL; the radio's console, as the window's pane, takes BS.
constexpr char TerminalBackspace = 0x7f;
constexpr char ConsoleBackspace = 0x08;
// A radio that answers none of these wake-up attempts (under ten seconds) is not there.
constexpr int WakeAttempts = 6;
// In a log a step is a line at its start and at its end; between them, only a step that takes
// this long says at a quarter how far it got.
constexpr qint64 SignOfLifeMs = 10000;

void fail(const QString& text) {
    std::fprintf(stderr, "ardentix-cli: %s\n", qPrintable(text));
}

} // namespace

RadioCommands::RadioCommands(Options options, TerminalPrompts& prompts)
    : options_(std::move(options)), prompts_(prompts), settings_(openAppSettings()),
      runPort_(runPort()), builtInRadio_(RadioOptionsText::builtInOptions(*settings_), clock_),
      port_([this](int number) { return runPort_.deviceOf(*settings_, number); }, builtInRadio_),
      session_(port_, state_, clock_, prompts_) {
    PortNames::numberAdapters(*settings_, PortNames::systemAdapters());
}

RadioCommands::~RadioCommands() = default;

// Once the radio was told to leave for its loader, the first interruption stops the upgrade as
// the window's Cancel does (the radio brought back, or left in its loader for the next upgrade);
// a second one stops at once.
void RadioCommands::interrupt() {
    if (state_.upgradeCommitted && !stopRequested_) {
        stopRequested_ = true;
        say("Stopping the upgrade where the radio can be left safely (Ctrl+C again stops at "
            "once).");
        state_.gate.wake();
        return;
    }
    interrupted_ = true;
    state_.gate.cancel();
    if (onInterrupt_)
        onInterrupt_();
}

PortNames::RunPort RadioCommands::runPort() const {
    PortNaming::Named named;
    if (options_.port.isEmpty() ||
        !PortNaming::parse(PortNaming::systemScheme(), options_.port, named))
        return {settings_->value("Properties/CommPort", "1").toString().trimmed().toInt(), {}};
    return PortNames::forRun(*settings_, named);
}

int RadioCommands::portNumber() const {
    return runPort_.number;
}

QString RadioCommands::device() const {
    return runPort_.deviceOf(*settings_, runPort_.number);
}

void RadioCommands::say(const QString& text) const {
    if (!options_.quiet)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

void RadioCommands::detail(const QString& text) const {
    if (options_.verbose)
        say(text);
}

// A bar on a terminal; elsewhere (a log) a few lines a step.
void RadioCommands::progress(const QString& step, int percent) const {
    if (options_.quiet)
        return;
    if (TerminalIo::isTerminal(stderr)) {
        const int filled = std::clamp(percent, 0, 100) / 5;
        std::fprintf(stderr, "\r%-12s [%s%s] %3d%%", qPrintable(step),
                     QByteArray(filled, '#').constData(), QByteArray(20 - filled, ' ').constData(),
                     percent);
        std::fflush(stderr);
        shownStep_ = step;
    } else if (worthALine(step, percent)) {
        std::fprintf(stderr, "%s %d%%\n", qPrintable(step), percent);
        shownStep_ = step;
        shownPercent_ = percent;
        shownAtMs_ = clock_.msecs();
    }
}

// The step's first line and its end; a quarter further only once the last line is a while ago;
// with --verbose, each tenth.
bool RadioCommands::worthALine(const QString& step, int percent) const {
    if (step != shownStep_)
        return true;
    if (percent >= 100)
        return shownPercent_ < 100;
    if (options_.verbose)
        return percent / 10 > shownPercent_ / 10;
    return percent / 25 > shownPercent_ / 25 && clock_.msecs() - shownAtMs_ >= SignOfLifeMs;
}

void RadioCommands::endProgress() const {
    const bool shown = !shownStep_.isEmpty();
    shownStep_.clear();
    shownPercent_ = -1;
    if (shown && !options_.quiet && TerminalIo::isTerminal(stderr))
        std::fprintf(stderr, "\n");
}

int RadioCommands::finish(int code) {
    endProgress();
    if (interrupted_)
        fail(interruptedAt_.isEmpty() ? QStringLiteral("interrupted.")
                                      : "interrupted: " + interruptedAt_ + ".");
    if (loggedIn_)
        session_.logOut();
    loggedIn_ = false;
    session_.close();
    return interrupted_ ? Interrupted : code;
}

// Opened, the console answering, its release known. A radio that runs only its loader is said
// so and nothing more is done with it, unless it is to be given firmware.
int RadioCommands::connect(AtLoader atLoader) {
    if (const int code = openPort(); code != Done)
        return code;
    const bool terminal = TerminalIo::isTerminal(stderr) && !options_.quiet;
    const bool awake = session_.wakeUp(
        [terminal](int) {
            if (terminal) {
                std::fputc('.', stderr);
                std::fflush(stderr);
            }
        },
        WakeAttempts);
    if (terminal)
        std::fputc('\n', stderr);
    if (!awake) {
        if (!interrupted_)
            fail(QString("the radio on %1 does not answer (no prompt after %2 tries).")
                     .arg(device())
                     .arg(WakeAttempts));
        return NotAnswering;
    }
    if (session_.atLoader()) {
        atLoader_ = true;
        if (atLoader != AtLoader::Refuse)
            return Done;
        fail("the radio waits in its loader: run `ardentix-cli upgrade FILE` to give it "
             "firmware.");
        return NotAnswering;
    }
    if (!session_.learnVersion()) {
        if (!interrupted_)
            fail(session_.garbledReply().isEmpty()
                     ? "the radio on " + device() + " did not say its firmware release."
                     : session_.garbledReason() + ".");
        return NotAnswering;
    }
    detail("Firmware release " + state_.currentVersion);
    return Done;
}

// The port opened, about to wake the radio on it.
int RadioCommands::openPort() {
    // Interrupted before any command began: the radio is not even woken.
    if (interrupted_)
        return Interrupted;
    const int number = portNumber();
    if (number <= 0) {
        fail("'" + options_.port + "' names no serial port here.");
        return NoRadio;
    }
    if (!session_.open(number, ConsoleSettings))
        return NoRadio;
    say("Waking the radio on " + device() + " ...");
    return Done;
}

int RadioCommands::readSettings(const QString& step) {
    progress(step, 0);
    const bool whole = session_.read([&](int percent) { progress(step, percent); });
    endProgress();
    if (whole && !state_.restoreLinkFailure)
        return Done;
    if (!interrupted_)
        fail(session_.garbledReply().isEmpty()
                 ? QStringLiteral("the radio stopped answering during the read.")
                 : session_.garbledReason() + ".");
    return NotAnswering;
}

int RadioCommands::connectAndRead() {
    const int code = connect();
    return code == Done ? readSettings("Reading") : code;
}

int RadioCommands::logIn() {
    if (options_.password.isEmpty())
        return Done;
    switch (session_.logIn(options_.password)) {
    case ConfigSession::Login::Accepted:
        loggedIn_ = true;
        detail("Logged in");
        return Done;
    case ConfigSession::Login::Refused:
        fail("the radio refused the password.");
        return NotLoggedIn;
    case ConfigSession::Login::NoAnswer:
        break;
    }
    if (!interrupted_)
        fail("the radio did not answer the password.");
    return NotAnswering;
}

// The radio first (the inventory a script keeps per site), then every setting's value; JSON
// keeps each reply as the radio worded it beside its value.
int RadioCommands::read() {
    const LinkBusy busy(state_.gate);
    if (const int code = connect(); code != Done)
        return finish(code);
    const std::optional<QString> serial = session_.serialNumber();
    if (!serial && !session_.garbledReply().isEmpty()) {
        fail(session_.garbledReason() + ".");
        return finish(NotAnswering);
    }
    if (const int code = readSettings("Reading"); code != Done)
        return finish(code);
    const QString mode = ConfigFormat::valueOf("mode", session_.value("mode"));
    QJsonArray settings;
    if (!options_.json)
        Output::print("serial\t" + serial.value_or(QString()).toLocal8Bit() + "\nfirmware\t" +
                      state_.currentVersion.toLocal8Bit() + "\n");
    for (const ConfigFormat::Row& row : ConfigFormat::rows()) {
        if (!ConfigFormat::hasRow(row, session_.versionNumber()))
            continue;
        const QString reply = session_.value(row.query);
        const QString value = ConfigFormat::valueOf(row.query, reply);
        if (options_.json)
            settings.append(QJsonObject{
                {"keyword", row.query}, {"name", row.name}, {"value", value}, {"reply", reply}});
        else
            Output::print(QByteArray(row.query) + "\t" + value.toLocal8Bit() + "\n");
    }
    if (options_.json) {
        const QJsonObject radio{{"port", device()},
                                {"serial", serial.value_or(QString())},
                                {"firmware", state_.currentVersion},
                                {"mode", mode},
                                {"settings", settings}};
        Output::print(QJsonDocument(radio).toJson());
    }
    return finish(Done);
}

int RadioCommands::save(const QString& path) {
    const LinkBusy busy(state_.gate);
    // Where the file cannot go is found before the whole radio is read for it.
    if (!ConfigFile::maySave(path))
        return FileProblem;
    if (const int code = connectAndRead(); code != Done)
        return finish(code);
    const QString failure =
        session_.save(path, QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    if (!failure.isEmpty()) {
        if (!interrupted_)
            fail(path + " was not saved (" + failure +
                 "); any earlier file of that name is "
                 "unchanged.");
        return finish(FileProblem);
    }
    say("Saved the radio's settings to " + path + ".");
    return finish(Done);
}

// The file is read and checked before the radio is woken: one that holds no setting, or a line
// the reader refuses, programs nothing.
int RadioCommands::restore(const QString& path) {
    const LinkBusy busy(state_.gate);
    const std::optional<ConfigFile::Read> file = ConfigFile::read(path);
    if (!file)
        return FileProblem;
    // A wrong password is found before the whole radio is read.
    if (const int code = connect(); code != Done)
        return finish(code);
    if (const int code = logIn(); code != Done)
        return finish(code);
    if (const int code = readSettings("Reading"); code != Done)
        return finish(code);
    ConfigFormat::Reader reader(session_.versionNumber(), session_.value("mode"));
    const ConfigFormat::Loaded loaded = reader.read(file->lines);
    if (loaded.parameterLines == 0) {
        fail(path + " holds no radio settings.");
        return finish(FileProblem);
    }
    QStringList ticked;
    for (const QString& query : loaded.enabled)
        if (options_.only.isEmpty() || options_.only.contains(query))
            ticked << query;
    const auto sent = [this](int done, int total) {
        interruptedAt_ = QString("%1 of %2 settings were sent").arg(done).arg(total);
        progress("Sending", total > 0 ? done * 100 / total : 100);
    };
    interruptedAt_ = QStringLiteral("no setting was sent");
    progress("Sending", 0);
    const ConfigSession::Programmed run = session_.program(ticked, loaded.values, sent);
    endProgress();
    switch (run.end) {
    case ConfigSession::Programmed::End::Done:
        interruptedAt_ =
            QString("all %1 settings were sent, before they were read back").arg(run.sent);
        break;
    case ConfigSession::Programmed::End::NoAnswer:
        fail(QString("the radio stopped answering: %1 of %2 settings were sent.")
                 .arg(run.sent)
                 .arg(run.total));
        return finish(NotAnswering);
    case ConfigSession::Programmed::End::PortClosed:
        fail("the port closed during the restore.");
        return finish(NoRadio);
    case ConfigSession::Programmed::End::Interrupted:
        return finish(Interrupted);
    }
    if (const int code = readSettings("Verifying"); code != Done)
        return finish(code);
    const QStringList missed = session_.notTaken(run.rows, loaded.values);
    bool denied = false;
    for (const QString& query : run.rows) {
        const ConfigFormat::Row* row = ConfigFormat::row(query);
        if (!missed.contains(row->name))
            continue;
        const QString answer = run.answers.value(query);
        // A radio that says nothing to a change it refuses most likely wants a login.
        denied = denied || answer.contains("ACCESS DENIED") ||
                 (answer.isEmpty() && options_.password.isEmpty());
        fail(QString("%1 (%2) was not taken: the radio %3.")
                 .arg(row->name, query,
                      answer.isEmpty() ? "did not say why" : "answered " + answer));
    }
    if (!missed.isEmpty()) {
        if (denied)
            fail(options_.password.isEmpty()
                     ? tr("not logged in: give the radio's password with --password-file FILE or "
                          "in the environment's ARDENTIX_PASSWORD.")
                     : QStringLiteral("the radio refused the changes: not logged in."));
        return finish(denied ? NotLoggedIn : SettingsRefused);
    }
    say(tr("Settings programmed from %1 and verified: %n.", nullptr, run.sent).arg(path));
    return finish(Done);
}

namespace {

// Where an interrupted upgrade left the radio, in the words that end the tool's output.
QString leftWords(FirmwareDownload::Left left, const QString& next) {
    using Left = FirmwareDownload::Left;
    switch (left) {
    case Left::Untouched:
        break;
    case Left::BroughtBack:
        return QStringLiteral("the radio was not erased and runs its firmware as before");
    case Left::LoaderUnerased:
        return RadioCommands::tr("the radio was not erased, but waits in its loader: "
                                 "run the upgrade again to bring it back");
    case Left::Loader:
        return QStringLiteral("the radio waits in its loader: run the upgrade again to bring it "
                              "back");
    case Left::Upgraded:
        return RadioCommands::tr("the loader stored release %1 and the radio starts it").arg(next);
    }
    return QString();
}

} // namespace

// The file is read and checked whole before any radio is asked anything: one that fails is
// refused whatever --yes says, which answers only the routine questions (an older, the same or
// a pre-release, the erase). A radio at its loader's prompt is given the firmware at once: it
// has no release to compare, and its loader asks for no password.
int RadioCommands::upgrade(const QString& path) {
    const LinkBusy busy(state_.gate);
    if (const std::optional<QString> fault = FirmwareChecks::fileFault(path)) {
        fail(path + " was rejected: " + *fault + ".");
        return FirmwareRejected;
    }
    int code = connect(AtLoader::Upgrade);
    if (code == Done && !atLoader_)
        code = logIn();
    if (code != Done)
        return finish(code);
    const QString current = atLoader_ ? QString() : state_.currentVersion;
    const FirmwareChecks::Examined examined = FirmwareChecks::examine(prompts_, path, current);
    if (examined.verdict == FirmwareChecks::Verdict::Declined)
        return finish(Declined);
    if (!examined.choice) {
        fail(path + " was rejected: its header is not a firmware file's.");
        return finish(FirmwareRejected);
    }
    const QString next = examined.choice->newVersion;
    FirmwareDownload download(session_.console(), state_, prompts_, firmwareLink(),
                              firmwareDisplay(current, next));
    const bool stored = download.run(path, next, current);
    // Stopped once the whole file was sent: the loader stored it, the upgrade is done.
    if (stopRequested_ && stored && !interrupted_) {
        stopRequested_ = false;
        say("The stop came after the whole firmware had been sent.");
    }
    // However many signals came, the last word is where the radio was left.
    if (interrupted_ || stopRequested_) {
        // Stopped before the erase, and not cut short, the download said itself where it left
        // the radio: the closing line does not say it twice.
        const bool saidByDownload = !interrupted_ && !erased_;
        interrupted_ = true;
        interruptedAt_ = saidByDownload ? QString() : leftWords(download.left(), next);
        return finish(Interrupted);
    }
    if (prompts_.declined)
        return finish(Declined);
    if (!stored)
        return finish(TransferFailed);
    if (state_.currentVersion != next) {
        fail(state_.currentVersion.isEmpty()
                 ? QStringLiteral("the loader stored the firmware, but the radio did not answer "
                                  "after its restart.")
                 : "the loader stored the firmware, but the radio now reports release " +
                       state_.currentVersion + ".");
        return finish(TransferFailed);
    }
    say("The radio runs release " + next + ".");
    return finish(Done);
}

// The link the download takes and gives back: this session's port, opened and woken again.
FirmwareLink RadioCommands::firmwareLink() {
    FirmwareLink link;
    const int number = portNumber();
    link.disconnect = [this] { session_.close(); };
    link.connect = [this, number] {
        state_.currentVersion.clear();
        if (session_.open(number, ConsoleSettings) && session_.wakeUp({}, WakeAttempts))
            session_.learnVersion();
    };
    link.reportCommunicationError = [] {
        fail(TerminalPrompts::inToolWords(Console::communicationError()));
    };
    link.showEvents = [](bool) {};
    link.stopped = [this] { return stopRequested_; };
    return link;
}

// Each stage by its true name; the upgrade is said once the radio has been told to go.
FirmwareDisplay RadioCommands::firmwareDisplay(const QString& current, const QString& next) {
    using Stage = FirmwareDisplay::Stage;
    FirmwareDisplay display;
    display.stage = [this, current, next](Stage stage) {
        erased_ = erased_ || stage == Stage::Erasing;
        static const QMap<Stage, QString> Names = {{Stage::Restarting, "Restarting"},
                                                   {Stage::Erasing, "Erasing"},
                                                   {Stage::Sending, "Sending"},
                                                   {Stage::Verifying, "Verifying"}};
        if (stage == Stage::Restarting || (stage == Stage::Erasing && current.isEmpty()))
            say(current.isEmpty() ? "Upgrading the radio on " + device() + " to " + next + "."
                                  : "Upgrading the radio on " + device() + " from " + current +
                                        " to " + next + ".");
        endProgress();
        stage_ = Names.value(stage);
        // The restart and the sending take their time in steps; the erase and the verdict do not.
        if (stage == Stage::Restarting || stage == Stage::Sending)
            progress(stage_, 0);
        else
            say(stage_ + " ...");
    };
    display.progress = [this](const QString&, const QString&, int percent) {
        progress(stage_, percent);
    };
    display.hideProgress = [this] { endProgress(); };
    display.paneText = [this](const QString& text) {
        if (!text.isEmpty())
            detail(text);
    };
    display.paneAppend = [](const QString&) {};
    display.settingsText = [this](const QString& text) { detail(text); };
    display.statusBarEnabled = [](bool) {};
    return display;
}

// Readings until the time is up or the user interrupts; a CR ends the radio's report.
int RadioCommands::rssi() {
    const LinkBusy busy(state_.gate);
    if (const int code = connect(); code != Done)
        return finish(code);
    Console& console = session_.console();
    const qint64 start = clock_.msecs();
    const auto elapsed = [&] { return (clock_.msecs() - start) / 1000.0; };
    int readings = 0;
    try {
        console.resetBuffer();
        console.sendLine("rssi");
        while (!console.interrupted() && (options_.seconds == 0 || elapsed() < options_.seconds)) {
            std::optional<QString> reading;
            const bool arrived = console.waitUntil(
                [&] {
                    return (reading = ConsoleText::rssiReadingOf(console.buffer())).has_value();
                },
                RssiSilenceSeconds, QStringLiteral("rssi"));
            if (!arrived || (options_.seconds > 0 && elapsed() > options_.seconds))
                break;
            console.resetBuffer();
            const QString line =
                QString::asprintf("%.1f\t%d\n", elapsed(), ConsoleText::rssiDbmOf(*reading));
            if (!Output::print(line.toLocal8Bit()))
                break;
            ++readings;
        }
        console.sendSafeRaw("\r");
    } catch (const SerialError& error) {
        fail(error.text());
        return finish(NoRadio);
    }
    // The readings have nowhere to go (`| head` has all it wanted): the report ends here.
    if (Output::failed())
        return finish(OutputFailed);
    if (console.interrupted()) {
        // Interrupting an open-ended report is its normal end.
        if (options_.seconds == 0 && readings > 0) {
            interrupted_ = false;
            return finish(Done);
        }
        return finish(Interrupted);
    }
    if (options_.seconds > 0 && elapsed() > options_.seconds)
        return finish(Done);
    fail("the radio sent no signal strength report.");
    return finish(NotAnswering);
}

int RadioCommands::ports() {
    for (const PortNames::Port& port :
         PortNames::availablePorts(*settings_, PortNames::systemPorts()))
        Output::print(PortNames::describe(port).toLocal8Bit() + "\n");
    return Done;
}

namespace {

// Whether the last prompt in the radio's latest text is its loader's.
bool atLoaderPrompt(const QString& latest) {
    const qsizetype end = latest.lastIndexOf(u'>');
    return end >= 0 && latest.left(end + 1).endsWith(QLatin1String("LOADER>"), Qt::CaseInsensitive);
}

} // namespace

// Ready for the keys: with a password the radio is woken as for the other commands and logged
// into, unless it runs only its loader, which takes none; without one a carriage return, as
// Enter would, has it show its prompt, whether or not it answers.
int RadioCommands::openConsole() {
    if (options_.password.isEmpty())
        return openPort();
    if (const int code = connect(AtLoader::Look); code != Done)
        return code;
    return atLoader_ ? Done : logIn();
}

// The radio's console on this terminal: keys go to the radio, its text to standard output.
int RadioCommands::console() {
    const LinkBusy busy(state_.gate);
    if (const int code = openConsole(); code != Done)
        return finish(code);
    const bool keys = TerminalIo::isTerminal(stdin);
    say("Connected to " + device() + (keys ? "; Ctrl+] leaves." : "."));
    QEventLoop loop;
    bool loaderSaid = false;
    // The end of the radio's text so far, where its latest prompt is.
    QString latest;
    const auto show = [&] {
        if (!Output::print(state_.receiveBuffer.toLatin1()))
            loop.exit(OutputFailed);
        latest = (latest + state_.receiveBuffer).right(32);
        state_.receiveBuffer.clear();
        // The console is a way to look at a loader by hand; firmware it takes from upgrade.
        if (!loaderSaid && atLoaderPrompt(latest)) {
            loaderSaid = true;
            fail("the radio waits in its loader: `ardentix-cli upgrade FILE` gives it firmware.");
        }
    };
    QObject::connect(&port_, &SerialPort::commEvent, &loop, [&](int code) {
        if (code == SerialPort::Received)
            show();
    });
    QObject::connect(&port_, &SerialPort::deviceLost, &loop, [&] {
        fail("the radio's port went away.");
        loop.exit(NoRadio);
    });
    state_.receiveBuffer.clear();
    try {
        port_.write("\r");
    } catch (const SerialError& error) {
        fail(error.text());
        return finish(NoRadio);
    }
    TerminalIo::InputWatch input;
    // Piped keys have ended: the last answer still arrives, then the console ends.
    QObject::connect(&input, &TerminalIo::InputWatch::ended, &loop, [&] {
        QTimer::singleShot(int(LastAnswerSeconds * 1000), &loop, [&] { loop.exit(Done); });
    });
    QObject::connect(&input, &TerminalIo::InputWatch::arrived, &loop, [&](QByteArray typed) {
        if (typed.contains(LeaveKey)) {
            typed.truncate(typed.indexOf(LeaveKey));
            loop.exit(Done);
        }
        if (keys)
            typed.replace(TerminalBackspace, ConsoleBackspace);
        // A line from a pipe ends with LF; the console takes CR.
        if (!keys)
            typed.replace('\n', '\r');
        try {
            port_.write(typed);
        } catch (const SerialError& error) {
            fail(error.text());
            loop.exit(NoRadio);
        }
    });
    onInterrupt_ = [&] { loop.exit(Interrupted); };
    if (keys)
        TerminalIo::enterRawMode();
    const int code = loop.exec();
    TerminalIo::restoreMode();
    onInterrupt_ = nullptr;
    Output::print("\n");
    // Whatever the user typed, the radio is left logged out, as the window leaves it at quit;
    // a loader has no login to leave, and refuses the word.
    loggedIn_ = !atLoaderPrompt(latest);
    if (code == Interrupted)
        return finish(Interrupted);
    interrupted_ = false;
    return finish(code);
}
