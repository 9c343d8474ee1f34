#include "RadioCommands.h"

#include "ExitCode.h"
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
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

namespace {

const QString ConsoleSettings = QStringLiteral("19200,N,8,1");
// A report line comes about once a second; this long without one, the radio sends none.
constexpr double RssiSilenceSeconds = 5.0;
// Piped keys end; the radio's answer to the last line still comes to the terminal.
constexpr double LastAnswerSeconds = 1.0;
constexpr char LeaveKey = 0x1d; // Ctrl+]

void fail(const QString& text) {
    std::fprintf(stderr, "ardentix-cli: %s\n", qPrintable(text));
}

} // namespace

RadioCommands::RadioCommands(Options options, TerminalPrompts& prompts)
    : options_(std::move(options)), prompts_(prompts), settings_(openAppSettings()),
      runPort_(runPort()),
      port_([this](int number) { return runPort_.deviceOf(*settings_, number); }),
      session_(port_, state_, clock_, prompts_) {
    PortNames::numberAdapters(*settings_, PortNames::systemAdapters());
}

RadioCommands::~RadioCommands() = default;

void RadioCommands::interrupt() {
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

// A bar on a terminal; elsewhere (a log) a line at each tenth.
void RadioCommands::progress(const QString& step, int percent) const {
    if (options_.quiet)
        return;
    if (TerminalIo::isTerminal(stderr)) {
        const int filled = std::clamp(percent, 0, 100) / 5;
        std::fprintf(stderr, "\r%-12s [%s%s] %3d%%", qPrintable(step),
                     QByteArray(filled, '#').constData(), QByteArray(20 - filled, ' ').constData(),
                     percent);
        std::fflush(stderr);
    } else if (step != shownStep_ || percent / 10 != shownTenth_) {
        std::fprintf(stderr, "%s %d%%\n", qPrintable(step), percent);
    }
    shownStep_ = step;
    shownTenth_ = percent / 10;
}

void RadioCommands::endProgress() const {
    const bool shown = !shownStep_.isEmpty();
    shownStep_.clear();
    shownTenth_ = -1;
    if (shown && !options_.quiet && TerminalIo::isTerminal(stderr))
        std::fprintf(stderr, "\n");
}

int RadioCommands::finish(int code) {
    endProgress();
    if (interrupted_)
        fail("interrupted.");
    if (loggedIn_)
        session_.logOut();
    loggedIn_ = false;
    session_.close();
    return interrupted_ ? Interrupted : code;
}

// Opened, the console answering, its release known.
int RadioCommands::connect() {
    const int number = portNumber();
    if (number <= 0) {
        fail("'" + options_.port + "' names no serial port here.");
        return NoRadio;
    }
    detail("Opening " + device() + " (port " + QString::number(number) + ")");
    if (!session_.open(number, ConsoleSettings))
        return NoRadio;
    if (!session_.wakeUp()) {
        if (!interrupted_)
            fail("the radio on " + device() + " does not answer.");
        return NotAnswering;
    }
    if (!session_.learnVersion()) {
        if (!interrupted_)
            fail("the radio on " + device() + " did not say its firmware release.");
        return NotAnswering;
    }
    detail("Firmware release " + state_.currentVersion);
    return Done;
}

int RadioCommands::readSettings(const QString& step) {
    const bool whole = session_.read([&](int percent) { progress(step, percent); });
    endProgress();
    if (whole && !state_.restoreLinkFailure)
        return Done;
    if (!interrupted_)
        fail("the radio stopped answering during the read.");
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

int RadioCommands::read() {
    const LinkBusy busy(state_.gate);
    if (const int code = connectAndRead(); code != Done)
        return finish(code);
    QJsonArray settings;
    for (const ConfigFormat::Row& row : ConfigFormat::rows()) {
        if (!ConfigFormat::hasRow(row, session_.versionNumber()))
            continue;
        const QString value = session_.value(row.query);
        if (options_.json)
            settings.append(
                QJsonObject{{"keyword", row.query}, {"name", row.name}, {"value", value}});
        else
            std::printf("%s\t%s\n", row.query, qPrintable(value));
    }
    if (options_.json) {
        const QJsonObject radio{
            {"port", device()}, {"firmware", state_.currentVersion}, {"settings", settings}};
        std::printf("%s", QJsonDocument(radio).toJson().constData());
    }
    return finish(Done);
}

int RadioCommands::save(const QString& path) {
    const LinkBusy busy(state_.gate);
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

namespace {

// The file's bytes, or why there are none to restore from.
std::optional<QByteArray> configurationBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(path + ": " + file.errorString());
        return std::nullopt;
    }
    if (file.size() > ConfigFormat::LargestFile) {
        fail(path + " is larger than any configuration file.");
        return std::nullopt;
    }
    return file.readAll();
}

} // namespace

int RadioCommands::restore(const QString& path) {
    const LinkBusy busy(state_.gate);
    const std::optional<QByteArray> bytes = configurationBytes(path);
    if (!bytes)
        return FileProblem;
    if (const int code = connectAndRead(); code != Done)
        return finish(code);
    ConfigFormat::Reader reader(session_.versionNumber(), session_.value("mode"));
    const ConfigFormat::Loaded loaded = reader.read(ConfigFormat::decode(*bytes));
    if (loaded.parameterLines == 0) {
        fail(path + " holds no radio settings.");
        return finish(FileProblem);
    }
    QStringList ticked;
    for (const QString& query : loaded.enabled)
        if (options_.only.isEmpty() || options_.only.contains(query))
            ticked << query;
    if (const int code = logIn(); code != Done)
        return finish(code);
    const ConfigSession::Programmed run = session_.program(ticked, loaded.values);
    switch (run.end) {
    case ConfigSession::Programmed::End::Done:
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
            fail(options_.password.isEmpty() ? "not logged in: give the radio's password with "
                                               "--password."
                                             : "the radio refused the changes: not logged in.");
        return finish(denied ? NotLoggedIn : SettingsRefused);
    }
    say(QString("%1 settings programmed from %2 and verified.").arg(run.sent).arg(path));
    return finish(Done);
}

namespace {

QString rejection(FirmwareChecks::Verdict verdict) {
    switch (verdict) {
    case FirmwareChecks::Verdict::Missing:
        return QStringLiteral("there is no such file");
    case FirmwareChecks::Verdict::Unreadable:
        return QStringLiteral("it cannot be read");
    case FirmwareChecks::Verdict::NoVersion:
        return QStringLiteral("its header holds no release");
    case FirmwareChecks::Verdict::NotFirmware:
        return QStringLiteral("its header is not a firmware file's");
    case FirmwareChecks::Verdict::Accepted:
    case FirmwareChecks::Verdict::Declined:
        break;
    }
    return QString();
}

} // namespace

int RadioCommands::upgrade(const QString& path) {
    const LinkBusy busy(state_.gate);
    int code = connect();
    if (code == Done)
        code = logIn();
    if (code != Done)
        return finish(code);
    const QString current = state_.currentVersion;
    const FirmwareChecks::Examined examined = FirmwareChecks::examine(prompts_, path, current);
    if (examined.verdict == FirmwareChecks::Verdict::Declined)
        return finish(Declined);
    if (!examined.choice) {
        fail(path + " was rejected: " + rejection(examined.verdict) + ".");
        return finish(FirmwareRejected);
    }
    const QString next = examined.choice->newVersion;
    say("Upgrading the radio on " + device() + " from " + current + " to " + next + ".");
    FirmwareLink link;
    const int number = portNumber();
    link.disconnect = [this] { session_.close(); };
    link.portOpen = [this, number] { session_.open(number, ConsoleSettings); };
    link.connect = [this, number] {
        if (session_.open(number, ConsoleSettings) && session_.wakeUp())
            session_.learnVersion();
    };
    link.reportCommunicationError = [] { fail(Console::communicationError()); };
    link.showEvents = [](bool) {};
    FirmwareDisplay display;
    display.progress = [this](const QString& caption, const QString&, int percent) {
        progress(caption.section(u' ', 0, 0).remove(u'.'), percent);
    };
    display.hideProgress = [this] { endProgress(); };
    display.paneText = [this](const QString& text) {
        if (!text.isEmpty())
            detail(text);
    };
    display.paneAppend = [](const QString&) {};
    display.settingsText = [this](const QString& text) { detail(text); };
    display.statusBarEnabled = [](bool) {};
    state_.currentVersion.clear();
    const bool stored = FirmwareDownload(session_.console(), state_, prompts_, link, display)
                            .run(path, next, current);
    if (interrupted_) {
        fail("if the firmware was being erased, the radio now waits in its loader: run the "
             "upgrade again to bring it back.");
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
            std::printf("%.1f\t%d\n", elapsed(), ConsoleText::rssiDbmOf(*reading));
            std::fflush(stdout);
            ++readings;
        }
        console.sendSafeRaw("\r");
    } catch (const SerialError& error) {
        fail(error.text());
        return finish(NoRadio);
    }
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

// The radio's console on this terminal: keys go to the radio, its text to standard output.
int RadioCommands::console() {
    const LinkBusy busy(state_.gate);
    const int number = portNumber();
    if (number <= 0) {
        fail("'" + options_.port + "' names no serial port.");
        return NoRadio;
    }
    if (!session_.open(number, ConsoleSettings))
        return finish(NoRadio);
    // Whatever the user typed, the radio is left logged out, as the window leaves it at quit.
    loggedIn_ = true;
    const bool keys = TerminalIo::isTerminal(stdin);
    say("Connected to " + device() + (keys ? "; Ctrl+] leaves." : "."));
    QEventLoop loop;
    const auto show = [this] {
        std::fputs(state_.receiveBuffer.toLatin1().constData(), stdout);
        std::fflush(stdout);
        state_.receiveBuffer.clear();
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
    QSocketNotifier input(TerminalIo::inputDescriptor(), QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &loop, [&] {
        char bytes[256];
        const qint64 got = TerminalIo::readInput(bytes, sizeof bytes);
        if (got <= 0) {
            // Piped keys have ended: the last answer still arrives, then the console ends.
            input.setEnabled(false);
            QTimer::singleShot(int(LastAnswerSeconds * 1000), &loop, [&] { loop.exit(Done); });
            return;
        }
        QByteArray typed(bytes, int(got));
        if (typed.contains(LeaveKey)) {
            typed.truncate(typed.indexOf(LeaveKey));
            loop.exit(Done);
        }
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
    std::printf("\n");
    if (code == Interrupted)
        return finish(Interrupted);
    interrupted_ = false;
    return finish(code);
}
