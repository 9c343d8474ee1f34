#include "ConfigSession.h"

#include "core/Clock.h"
#include "core/LinkBusy.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/RadioLink.h"
#include "link/SerialPort.h"
#include "link/TerminalFilter.h"

#include <QSaveFile>

namespace {

constexpr double QuerySeconds = 4.0;
constexpr double PromptSeconds = 1.0;
constexpr int CommandGapMs = 50;

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

// A setting as the radio reports it, for comparing: blanks folded, case ignored.
QString comparable(const QString& value) {
    return value.simplified().toUpper();
}

} // namespace

ConfigSession::ConfigSession(SerialPort& port, SharedState& state, Clock& clock, Prompts& prompts,
                             QObject* parent)
    : QObject(parent), port_(port), state_(state), prompts_(prompts), console_(port, state, clock),
      random_(quint32(clock.msecs() ^ 0x5eed)) {
    connect(&port_, &SerialPort::commEvent, this, &ConfigSession::onPortEvent);
    connect(&port_, &SerialPort::deviceLost, this, [this] {
        if (consoleFailed)
            consoleFailed();
    });
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
            const auto answer = prompts_.message(RadioLink::eventMessage(code),
                                                 "Click Cancel to quit, OK to ignore.",
                                                 Prompts::Icon::None, Prompts::Buttons::OkCancel);
            if (answer == Prompts::Cancel)
                close();
        }
    } catch (const SerialError&) {
        // A port that went away is reported by the step that needs it.
    }
}

bool ConfigSession::wakeUp() {
    if (!port_.isOpen())
        return false;
    const LinkBusy busy(state_);
    state_.receiveBuffer = QStringLiteral(" ");
    try {
        return console_.wakeUp(
                   random_, [this] { return state_.closing; }, [](int) {}, true) ==
               Console::WakeUp::Prompt;
    } catch (const SerialError&) {
        prompts_.message(RadioLink::communicationError(), "Error", Prompts::Icon::Exclamation);
        return false;
    }
}

int ConfigSession::versionNumber() const {
    return state_.versionNumber;
}

bool ConfigSession::promptShown() {
    state_.receiveBuffer.clear();
    console_.sendRaw("\r");
    return console_.waitUntil([this] { return console_.buffer().endsWith(u'>'); }, PromptSeconds);
}

// A console that shows no prompt after two carriage returns has stopped answering: said once
// here, and the main window reopens its own link.
bool ConfigSession::sendStep(const QString& command) {
    if (!port_.isOpen()) {
        prompts_.message("Error: Port is not open", "Error", Prompts::Icon::Critical);
        return false;
    }
    if (!promptShown() && !promptShown()) {
        prompts_.message(RadioLink::communicationError(), "Error", Prompts::Icon::Exclamation);
        state_.restoreLinkFailure = true;
        if (consoleFailed)
            consoleFailed();
        return false;
    }
    console_.resetBuffer();
    console_.sendLine(command);
    return true;
}

std::optional<QString> ConfigSession::ask(const QString& word) {
    if (!sendStep(word))
        return std::nullopt;
    const bool answered = console_.waitUntil(
        [&] { return console_.holdsExact(word) && console_.holdsExact(">"); }, QuerySeconds);
    return answered ? console_.cut(word) : std::nullopt;
}

void ConfigSession::read(const std::function<void(int)>& progress) {
    const LinkBusy busy(state_);
    try {
        int percent = 0;
        for (const QStringList& group : ReadGroups) {
            for (const QString& query : group) {
                if (state_.restoreLinkFailure || !port_.isOpen())
                    return;
                if (!ConfigFormat::hasRow(*ConfigFormat::row(query), versionNumber()))
                    continue;
                if (const auto reply = ask(query))
                    current[query] = query == "repeat" && console_.holds("PROGRAMMABLE ONLY")
                                         ? QStringLiteral("MASTER ONLY")
                                         : *reply;
            }
            console_.msWait(80);
            console_.yieldOnce();
            percent += 10;
            if (progress)
                progress(percent);
        }
    } catch (const SerialError& error) {
        if (error.number() == SerialError::PortAlreadyOpen)
            prompts_.message("The selected COM port is not available. Please select another port.",
                             "Error", Prompts::Icon::Exclamation);
    }
}

QString ConfigSession::save(const QString& path, const QString& date) {
    const LinkBusy busy(state_);
    ConfigFormat::Header header;
    header.programVersion = QStringLiteral(ARDENTIX_VERSION);
    header.date = date;
    try {
        header.serialNumber = ask("ser");
        header.firmware = ask("srev");
    } catch (const SerialError&) {
        // Reported below: the port is gone.
    }
    if (!port_.isOpen())
        return QStringLiteral("the link to the radio was lost");
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

void ConfigSession::program(const QStringList& ticked, const QMap<QString, QString>& fileValues) {
    const LinkBusy busy(state_);
    try {
        for (const QString& query : ConfigFormat::programmingOrder()) {
            if (!ticked.contains(query))
                continue;
            for (const QString& command :
                 ConfigFormat::commandsFor(query, fileValues.value(query))) {
                if (!port_.isOpen())
                    return;
                sendStep(command);
                console_.msWait(CommandGapMs);
            }
        }
    } catch (const SerialError& error) {
        if (error.endsHandler())
            prompts_.message(RadioLink::communicationError(), "Error", Prompts::Icon::Exclamation);
    }
}

QStringList ConfigSession::notTaken(const QStringList& programmed,
                                    const QMap<QString, QString>& fileValues) const {
    QStringList names;
    for (const QString& query : ConfigFormat::programmingOrder())
        if (programmed.contains(query) &&
            comparable(value(query)) != comparable(fileValues.value(query)))
            names << ConfigFormat::row(query)->name;
    return names;
}
