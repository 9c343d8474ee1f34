#include "FirmwareDownload.h"

#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/RadioLink.h"
#include "link/SerialPort.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr double ProgramReplySeconds = 3.0;
// The loader checks and stores the image before it answers; a bounded wait, not one look.
constexpr double ResultSeconds = 15.0;
constexpr double DrainStepSeconds = 0.2;
const QString TransferSettings = QStringLiteral("115200,N,8,1");
const QString ConsoleSettings = QStringLiteral("19200,N,8,1");

} // namespace

FirmwareDownload::FirmwareDownload(Console& console, RadioLink& link, SharedState& state,
                                   Prompts& prompts, FirmwareDisplay display)
    : console_(console), link_(link), state_(state), prompts_(prompts),
      display_(std::move(display)), random_(quint32(console.clock().msecs() ^ 0xf17e)) {}

bool FirmwareDownload::run(const QString& path, const QString& newVersion,
                           const QString& currentVersion) {
    bool stored = false;
    try {
        if (!console_.buffer().endsWith("LOADER>", Qt::CaseInsensitive) &&
            requestProgram(newVersion, currentVersion) == Entry::Stop)
            return false;
        if (!console_.buffer().endsWith("LOADER>", Qt::CaseInsensitive)) {
            prompts_.message("The radio did not reach its loader: nothing was changed. Please "
                             "reconnect and try again.",
                             "Radio Error", Prompts::Icon::Exclamation);
            return false;
        }
        synchronise();
        // A transfer cut short cannot have stored anything: no need to wait for the loader.
        stored = transfer(path) && judge();
        if (stored) {
            console_.yieldOnce();
            console_.sendLine("EXIT");
        }
        prompts_.message(stored ? "Radio programming was successful." : "Radio programming FAILED.",
                         stored ? "Programmed OK" : "Radio Error", Prompts::Icon::Exclamation);
        finish();
    } catch (const SerialError& error) {
        // The radio is somewhere between its console and its loader: say so, and leave the
        // window disconnected at the console's speed.
        display_.hideProgress();
        display_.statusBarEnabled(true);
        link_.showEvents = true;
        if (error.endsHandler())
            link_.reportCommunicationError();
        else
            prompts_.message("Radio programming FAILED.", "Radio Error",
                             Prompts::Icon::Exclamation);
    }
    return stored;
}

// Asks the console for its loader; Stop when the radio or the user says no.
FirmwareDownload::Entry FirmwareDownload::requestProgram(const QString& newVersion,
                                                         const QString& currentVersion) {
    console_.resetBuffer();
    console_.sendLine("PROGRAM");
    console_.waitUntil([this] { return console_.holds("ARE YOU SURE?") && console_.holds(">"); },
                       ProgramReplySeconds);
    // No question: the loader check that follows tells the user.
    if (!console_.holds("ARE YOU SURE?"))
        return Entry::Loader;
    const auto answer = prompts_.message(
        "Ready to erase the current firmware, version " + currentVersion +
            ", and install version " + newVersion + ".\r\r\t\tAre you sure you wish to continue?",
        "Erase Current Firmware?", Prompts::Icon::None, Prompts::Buttons::YesNo);
    if (answer != Prompts::Yes) {
        console_.sendLine("NO");
        state_.cancelRequested = true;
        return Entry::Stop;
    }
    console_.sendLine("YES");
    console_.msWait(2000);
    showErasing();
    return wakeLoader() ? Entry::Loader : Entry::Stop;
}

void FirmwareDownload::showErasing() {
    display_.progress("Erasing...", QString(), 0);
    console_.sleep(1000);
    for (int step = 0; step < 10; ++step) {
        display_.progress("Erasing...", "Erasing current firmware...", step * 10);
        console_.yieldOnce();
        console_.sleep(500);
    }
    state_.cancelRequested = true;
    display_.hideProgress();
}

// The restarted radio answers with its loader's prompt; thirty tries, then disconnected.
bool FirmwareDownload::wakeLoader() {
    console_.buffer().clear();
    const Console::WakeUp outcome = console_.wakeUp(
        random_, [] { return false; }, [this](int) { display_.paneAppend(">"); }, false);
    if (outcome == Console::WakeUp::Prompt) {
        console_.sleep(1000);
        console_.yieldOnce();
        return true;
    }
    link_.disconnectAction();
    display_.paneText("Error. Please reconnect.");
    return false;
}

void FirmwareDownload::synchronise() {
    SerialPort& port = console_.port();
    port.setSettings(TransferSettings);
    display_.settingsText("Settings are FORCED to " + port.settings() + " for programming.");
    console_.sendRaw("\r");
    for (int i = 0; i < 20; ++i) {
        console_.sendRaw("\r\r");
        console_.sleep(20);
    }
}

// Sends the file piece by piece, each once the last has left; false when it was cut short.
bool FirmwareDownload::transfer(const QString& path) {
    console_.sendLine("ERASE");
    display_.paneText(QString());
    console_.resetBuffer();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        prompts_.message(file.errorString(), Prompts::applicationTitle(),
                         Prompts::Icon::Exclamation);
        return false;
    }
    state_.cancelRequested = false;
    const QString caption = QStringLiteral("Downloading Firmware to the radio...");
    const QString text = "Transmitting S28 File - " + QFileInfo(path).fileName();
    display_.progress(caption, text, 0);
    const qint64 length = file.size();
    console_.sleep(2000);
    console_.sendLine("PROGRAM");
    display_.statusBarEnabled(false);
    link_.showEvents = false;
    qint64 pieces = 0;
    while (!file.atEnd() && !state_.cancelRequested) {
        if (length - file.pos() > PieceSize) {
            const int percent = int(pieces * PieceSize * 100 / length);
            display_.progress(caption, text, percent);
            ++pieces;
        }
        console_.sendRaw(file.read(PieceSize));
        drain();
    }
    const bool whole = file.atEnd();
    state_.cancelRequested = true;
    display_.hideProgress();
    return whole;
}

// Sleeps until the port has sent what it holds, or the user cancels.
void FirmwareDownload::drain() {
    SerialPort& port = console_.port();
    while (port.bytesToSend() > 0 && !state_.cancelRequested)
        console_.waitUntil([&] { return port.bytesToSend() == 0 || state_.cancelRequested; },
                           DrainStepSeconds);
}

bool FirmwareDownload::judge() {
    console_.waitUntil(
        [this] {
            return console_.holds("PROGRAMMED OK") || console_.holds("FAILED") ||
                   console_.holds("ABORTED") || console_.holds("ERROR");
        },
        ResultSeconds);
    return console_.holds("PROGRAMMED OK");
}

// Back to the console's speed and the disconnected state; the port stays open for the next
// connection.
void FirmwareDownload::finish() {
    state_.cancelRequested = true;
    SerialPort& port = console_.port();
    port.setSettings(ConsoleSettings);
    display_.settingsText("Settings: " + port.settings());
    display_.statusBarEnabled(true);
    link_.disconnectAction();
    link_.showEvents = true;
    console_.sleep(500);
    link_.portOpenAction();
}
