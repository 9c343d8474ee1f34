#include "ConfigSession.h"

#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/ConsoleText.h"
#include "link/SerialPort.h"
#include "link/TerminalFilter.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

constexpr double QuerySeconds = 4.0;
constexpr double PromptSeconds = 1.0;
constexpr double PasswordSeconds = 3.0;
// A write is answered once the radio has stored it; the edits of the main window allow as long.
constexpr double AnswerSeconds = 3.0;
constexpr int CommandGapMs = 50;
// Times a query is asked whose answer the line garbles each time.
constexpr int GarbledAttempts = 3;

// The queries of a read, a tenth of the progress after each group.
const QStringList ReadGroups[] = {
    {"unit", "own", "owm"},
    {"mode", "pwr", "baud"},
    {"port", "device", "amask"},
    {"asense", "cts", "ctshold"},
    {"rxtot", "rxd", "sleep", "lpmhold"},
    {"addr", "csaddr", "hoptime", "skip", "lpm"},
    {"repeat", "retry", "fec"},
    {"buff", "saf", "xaddr"},
    {"xmap", "xpri", "xrssi", "xmin", "xmax"},
    {"dtype", "dlink", "rtu"},
};

// The text from the echo of a query on. A prompt still on its way from the step before lands in
// front of the echo, and is no part of the reply.
QString fromEcho(const QString& buffer, const QString& word) {
    const qsizetype echo = buffer.indexOf(word);
    return echo < 0 ? QString() : buffer.mid(echo);
}

} // namespace

ConfigSession::ConfigSession(SerialPort& port, SharedState& state, Clock& clock, Prompts& prompts,
                             QObject* parent)
    : QObject(parent), port_(port), state_(state), prompts_(prompts), console_(port, state, clock),
      random_(quint32(clock.msecs() ^ 0x5eed)) {
    connect(&port_, &SerialPort::commEvent, this, &ConfigSession::onPortEvent);
    connect(&port_, &SerialPort::deviceLost, this, &ConfigSession::onDeviceLost);
}

ConfigSession::~ConfigSession() {
    close();
}

bool ConfigSession::open(int portNumber, const QString& settings) {
    try {
        port_.setSettings(settings);
        port_.setHandshakingNone();
        port_.setPortNumber(portNumber);
        port_.setOpen(true);
        return true;
    } catch (const SerialError& error) {
        prompts_.message(error.text(), "Error", Prompts::Icon::Exclamation);
        return false;
    }
}

void ConfigSession::close() {
    try {
        if (port_.isOpen())
            port_.setOpen(false);
    } catch (const SerialError&) {
        // Closed enough: the port is going away with the window.
    }
}

void ConfigSession::onPortEvent(int code) {
    try {
        if (code == SerialPort::Received) {
            keepReceived(state_.receiveBuffer, QString::fromLatin1(port_.readAll()));
        } else if (code > SerialPort::EndOfFile) {
            prompts_.beep();
            const auto answer = prompts_.message(SerialPort::eventMessage(code),
                                                 "Click Cancel to quit, OK to ignore.",
                                                 Prompts::Icon::None, Prompts::Buttons::OkCancel);
            if (answer == Prompts::Cancel)
                close();
        }
    } catch (const SerialError&) {
        // A port that went away is reported by the step that needs it.
    }
}

// The waiting action gives way at once; the main window's reconnect says what happened.
void ConfigSession::onDeviceLost() {
    state_.restoreLinkFailure = true;
    state_.gate.cancel();
}

bool ConfigSession::wakeUp(const std::function<void(int)>& shown, int attempts) {
    if (!port_.isOpen())
        return false;
    const LinkBusy busy(state_.gate);
    state_.receiveBuffer = QStringLiteral(" ");
    try {
        return console_.wakeUp(
                   random_, [] { return false; },
                   [&](int dots) {
                       if (shown)
                           shown(dots);
                   },
                   true, attempts) == Console::WakeUp::Prompt;
    } catch (const SerialError&) {
        if (!console_.interrupted())
            prompts_.message(Console::communicationError(), "Error", Prompts::Icon::Exclamation);
        return false;
    }
}

// The reply's second line starts with the release: "08-2727A01", then "3.2.0  15Mar2004".
bool ConfigSession::learnVersion() {
    const LinkBusy busy(state_.gate);
    std::optional<QString> reply;
    try {
        reply = ask("srev");
    } catch (const SerialError&) {
        return false;
    }
    if (!reply)
        return false;
    const QStringList lines = reply->split(QRegularExpression("[\r\n]+"), Qt::SkipEmptyParts);
    state_.currentVersion = lines.size() > 1 ? lines[1].trimmed().left(5) : QString();
    const std::optional<int> number = ConsoleText::versionNumberOf(state_.currentVersion);
    state_.versionNumber = number.value_or(0);
    state_.versionKnown = number.has_value();
    return true;
}

std::optional<QString> ConfigSession::serialNumber() {
    const LinkBusy busy(state_.gate);
    try {
        return ask("ser");
    } catch (const SerialError&) {
        return std::nullopt;
    }
}

ConfigSession::Login ConfigSession::logIn(const QString& password) {
    const LinkBusy busy(state_.gate);
    try {
        console_.setEcho(false);
        console_.resetBuffer();
        console_.sendLine("pass " + password);
        const bool answered = console_.waitUntil(
            [this] {
                return console_.holdsExact("PASSWORD OK") ||
                       console_.holdsExact("PASSWORD INVALID");
            },
            PasswordSeconds, QStringLiteral("pass"));
        const bool accepted = console_.holdsExact("PASSWORD OK");
        console_.sendSafeRaw("\r");
        console_.setEcho(true);
        // Let the echo's prompt pass before the next exchange looks for one.
        console_.waitUntil([this] { return console_.buffer().endsWith(u'>'); }, PromptSeconds,
                           QStringLiteral("eeco"));
        return accepted ? Login::Accepted : answered ? Login::Refused : Login::NoAnswer;
    } catch (const SerialError&) {
        return Login::NoAnswer;
    }
}

// The radio's answer is awaited, so that it does not greet the next session on this port.
void ConfigSession::logOut() {
    try {
        if (!port_.isOpen())
            return;
        console_.resetBuffer();
        console_.sendSafeLine("PASS NONE");
        console_.waitUntil([this] { return console_.buffer().endsWith(u'>'); }, PromptSeconds,
                           QStringLiteral("logout"));
    } catch (const SerialError&) {
        // The port is gone: there is nothing left to log out of.
    }
}

int ConfigSession::versionNumber() const {
    return state_.versionNumber;
}

bool ConfigSession::promptShown() {
    state_.receiveBuffer.clear();
    console_.sendRaw("\r");
    return console_.waitUntil([this] { return console_.buffer().endsWith(u'>'); }, PromptSeconds,
                              QStringLiteral("prompt"));
}

void ConfigSession::consoleFailed() {
    prompts_.message(Console::communicationError(), "Error", Prompts::Icon::Exclamation);
    state_.restoreLinkFailure = true;
}

// A console that shows no prompt after two carriage returns has stopped answering. A device that
// went away cancels the wait it ended; it is told as the closed port it is, not as an interruption
// by the user.
ConfigSession::Step ConfigSession::sendStep(const QString& command) {
    if (!port_.isOpen())
        return Step::PortClosed;
    if (console_.interrupted() || state_.restoreLinkFailure)
        return Step::Interrupted;
    if (!promptShown() && !promptShown())
        return console_.interrupted() ? Step::Interrupted : Step::NoAnswer;
    console_.resetBuffer();
    console_.sendLine(command);
    return Step::Sent;
}

// A reply the line garbled is asked for again, as a technician would; one garbled every time is
// no value, and the setting is named.
std::optional<QString> ConfigSession::ask(const QString& word) {
    for (int attempt = 0; attempt < GarbledAttempts; ++attempt) {
        const Answer answer = askOnce(word);
        if (!answer.garbled)
            return answer.reply;
        if (console_.interrupted())
            return std::nullopt;
    }
    garbled_ = word;
    return std::nullopt;
}

ConfigSession::Answer ConfigSession::askOnce(const QString& word) {
    switch (sendStep(word)) {
    case Step::Sent:
        break;
    case Step::PortClosed:
        prompts_.message("Error: Port is not open", "Error", Prompts::Icon::Critical);
        return {};
    case Step::NoAnswer:
        consoleFailed();
        return {};
    case Step::Interrupted:
        return {};
    }
    // A prompt after bytes no radio sends, the echo garbled among them, is not waited out.
    const auto garbledPrompt = [this] {
        return console_.buffer().contains(u'>') && !ConsoleText::isRadioText(console_.buffer());
    };
    const bool answered = console_.waitUntil(
        [&] { return fromEcho(console_.buffer(), word).contains(u'>') || garbledPrompt(); },
        QuerySeconds, word);
    if (!answered)
        return {};
    const QString received = fromEcho(console_.buffer(), word);
    const std::optional<QString> reply = ConsoleText::replyCut(received, word, state_.setupMode);
    return {reply,
            reply ? !ConsoleText::isCleanReply(received, word, state_.setupMode) : garbledPrompt()};
}

std::optional<QString> ConfigSession::answerTo(const QString& command, const QString& label) {
    const QString echo = QString::fromLatin1(Console::lineOf(command).chopped(1));
    if (!console_.waitUntil([&] { return fromEcho(console_.buffer(), echo).contains(u'>'); },
                            AnswerSeconds, label))
        return std::nullopt;
    return ConsoleText::replyCut(fromEcho(console_.buffer(), echo), echo, state_.setupMode)
        .value_or(QString())
        .simplified();
}

bool ConfigSession::read(const std::function<void(int)>& progress) {
    const LinkBusy busy(state_.gate);
    garbled_.clear();
    try {
        int percent = 0;
        for (const QStringList& group : ReadGroups) {
            for (const QString& query : group) {
                if (state_.restoreLinkFailure || !port_.isOpen() || console_.interrupted())
                    return false;
                if (!ConfigFormat::hasRow(*ConfigFormat::row(query), versionNumber()))
                    continue;
                if (const auto reply = ask(query))
                    current[query] = query == "repeat" && console_.holds("PROGRAMMABLE ONLY")
                                         ? QStringLiteral("MASTER ONLY")
                                         : *reply;
                if (!garbled_.isEmpty())
                    return false;
            }
            console_.msWait(80, QStringLiteral("read pause"));
            console_.yieldOnce(QStringLiteral("read pause"));
            percent += 10;
            if (progress)
                progress(percent);
        }
        return true;
    } catch (const SerialError& error) {
        if (error.number() == SerialError::PortAlreadyOpen)
            prompts_.message("The selected COM port is not available. Please select another port.",
                             "Error", Prompts::Icon::Exclamation);
        return false;
    }
}

QString ConfigSession::garbledReason() const {
    return QCoreApplication::translate("ConfigSession",
                                       "the radio's answer to %1 came garbled on the line, %2 "
                                       "times: check the cable and its connectors")
        .arg(garbled_)
        .arg(GarbledAttempts);
}

QString ConfigSession::save(const QString& path, const QString& date) {
    const LinkBusy busy(state_.gate);
    ConfigFormat::Header header;
    header.programVersion = QStringLiteral(ARDENTIX_VERSION);
    header.date = date;
    try {
        header.serialNumber = ask("ser");
        header.firmware = ask("srev");
    } catch (const SerialError&) {
        // Reported below: the port is gone.
    }
    if (console_.interrupted())
        return QStringLiteral("the save was interrupted");
    if (!port_.isOpen())
        return QStringLiteral("the link to the radio was lost");
    if (!garbled_.isEmpty())
        return garbledReason();
    // A file that cannot say which radio it came from, and with which firmware, is no save.
    if (!header.serialNumber || !header.firmware)
        return QStringLiteral(
            "the radio did not answer when asked for its serial number and firmware release");
    // Unbuffered, so that a write the disk cut short is seen here and not taken for whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const QByteArray bytes =
        ConfigFormat::encode(ConfigFormat::write(header, current, versionNumber()));
    for (qsizetype written = 0; written < bytes.size();) {
        const qint64 taken = file.write(bytes.constData() + written, bytes.size() - written);
        if (taken <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return reason;
        }
        written += taken;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

ConfigSession::Programmed ConfigSession::program(const QStringList& ticked,
                                                 const QMap<QString, QString>& fileValues,
                                                 const std::function<void(int, int)>& sent) {
    const LinkBusy busy(state_.gate);
    Programmed run;
    QStringList rows;
    for (const QString& query : ConfigFormat::programmingOrder())
        if (ticked.contains(query) && ConfigFormat::holdsValue(fileValues.value(query)))
            rows << query;
    run.total = int(rows.size());
    try {
        for (const QString& query : std::as_const(rows)) {
            bool unanswered = false;
            for (const QString& command :
                 ConfigFormat::commandsFor(query, fileValues.value(query))) {
                switch (sendStep(command)) {
                case Step::Sent:
                    break;
                case Step::NoAnswer:
                    state_.restoreLinkFailure = true;
                    run.end = Programmed::End::NoAnswer;
                    return run;
                case Step::PortClosed:
                    run.end = Programmed::End::PortClosed;
                    return run;
                case Step::Interrupted:
                    run.end = Programmed::End::Interrupted;
                    return run;
                }
                const std::optional<QString> answer = answerTo(command, query);
                if (!answer)
                    unanswered = true;
                else if (run.answers.value(query, Programmed::confirmation()) ==
                         Programmed::confirmation())
                    run.answers[query] = *answer;
                console_.msWait(CommandGapMs, query);
            }
            if (unanswered)
                run.answers.remove(query);
            run.rows << query;
            ++run.sent;
            if (sent)
                sent(run.sent, run.total);
        }
    } catch (const SerialError&) {
        run.end = Programmed::End::PortClosed;
    }
    return run;
}

QStringList ConfigSession::notTaken(const QStringList& programmed,
                                    const QMap<QString, QString>& fileValues) const {
    QStringList names;
    for (const QString& query : ConfigFormat::programmingOrder())
        if (programmed.contains(query) &&
            !ConfigFormat::sameSetting(value(query), fileValues.value(query)))
            names << ConfigFormat::row(query)->name;
    return names;
}
