#include "FirmwareDownload.h"

#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/SerialPort.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr double ProgramReplySeconds = 3.0;
// The loader checks and stores the image before it answers; a bounded wait, not one look.
constexpr double ResultSeconds = 15.0;
constexpr double DrainStepSeconds = 0.2;
// The loader's time to erase before it takes the file.
constexpr double EraseSeconds = 2.0;
const QString TransferSettings = QStringLiteral("115200,N,8,1");
const QString ConsoleSettings = QStringLiteral("19200,N,8,1");
const QString Label = QStringLiteral("firmware");

} // namespace

FirmwareDownload::FirmwareDownload(Console& console, SharedState& state, Prompts& prompts,
                                   FirmwareLink link, FirmwareDisplay display)
    : console_(console), state_(state), prompts_(prompts), link_(std::move(link)),
      display_(std::move(display)), random_(quint32(console.clock().msecs() ^ 0xf17e)) {}

bool FirmwareDownload::run(const QString& path, const QString& newVersion,
                           const QString& currentVersion) {
    const LinkBusy busy(state_.gate, nullptr,
                        QStringLiteral("the radio's firmware is being upgraded"));
    bool stored = false;
    try {
        const Entry entry = console_.buffer().endsWith("LOADER>", Qt::CaseInsensitive)
                                ? Entry::Loader
                                : enterLoader(newVersion, currentVersion);
        // Found in its loader, not sent there: whether it still holds firmware is not known.
        if (entry == Entry::Loader && left_ == Left::Untouched)
            left_ = Left::Loader;
        if (entry == Entry::Cancelled)
            leaveLoaderUnchanged(currentVersion);
        if (entry == Entry::Restarting)
            link_.disconnect();
        if (entry != Entry::Loader) {
            state_.upgradeCommitted = false;
            return false;
        }
        // Stopped at the loader's prompt: nothing was erased yet.
        if (stopped()) {
            leaveLoaderUnchanged(currentVersion);
            state_.upgradeCommitted = false;
            return false;
        }
        synchronise();
        // A transfer cut short cannot have stored anything: no need to wait for the loader.
        stored = transfer(path) && judge();
        if (stored) {
            console_.sendSafeLine("EXIT");
            left_ = Left::Upgraded;
        }
        if (!console_.interrupted()) {
            if (stored)
                prompts_.message("Radio programming was successful.", "Programmed OK",
                                 Prompts::Icon::Information);
            // A stop asked for is no failure: the front end says where it left the radio.
            else if (!stopped())
                sayFailed();
        }
        // Interrupted, even while the verdict was shown (a Disconnect): the interruption has
        // the link next, and no reconnection comes before it.
        if (console_.interrupted())
            restoreLine();
        else
            finish(stored);
    } catch (const SerialError& error) {
        // The radio is somewhere between its console and its loader: say so, and leave the
        // window disconnected at the console's speed.
        restoreLine();
        if (error.endsHandler())
            link_.reportCommunicationError();
        else if (!console_.interrupted())
            sayFailed();
    }
    state_.upgradeCommitted = false;
    return stored;
}

// From the console into the loader: the radio's question, the user's, the restart.
FirmwareDownload::Entry FirmwareDownload::enterLoader(const QString& newVersion,
                                                      const QString& currentVersion) {
    if (!requestProgram(newVersion, currentVersion))
        return console_.interrupted() ? Entry::Interrupted : Entry::Declined;
    if (!console_.holds("ARE YOU SURE?")) {
        // The radio would not go: its loader may still answer, as when it runs nothing else.
        if (console_.buffer().endsWith("LOADER>", Qt::CaseInsensitive))
            return Entry::Loader;
        prompts_.message("The radio did not reach its loader: nothing was changed. Please "
                         "reconnect and try again.",
                         "Radio Error", Prompts::Icon::Exclamation);
        return Entry::Declined;
    }
    const bool erasing = showErasing();
    if (console_.interrupted())
        return Entry::Interrupted;
    if (!wakeLoader())
        return Entry::Interrupted;
    if (!erasing || stopped())
        return Entry::Cancelled;
    if (!console_.buffer().endsWith("LOADER>", Qt::CaseInsensitive)) {
        prompts_.message("The radio did not answer with its loader's prompt. It may still be "
                         "restarting, or be waiting in its loader: connect again to see which.",
                         "Radio Error", Prompts::Icon::Exclamation);
        return Entry::Restarting;
    }
    return Entry::Loader;
}

// Asks the console for its loader; false when the radio did not ask, or the user said no.
bool FirmwareDownload::requestProgram(const QString& newVersion, const QString& currentVersion) {
    console_.resetBuffer();
    console_.sendLine("PROGRAM");
    console_.waitUntil([this] { return console_.holds("ARE YOU SURE?") && console_.holds(">"); },
                       ProgramReplySeconds, QStringLiteral("PROGRAM"));
    const bool asked = console_.holds("ARE YOU SURE?");
    if (console_.interrupted()) {
        if (asked)
            console_.sendSafeLine("NO");
        return false;
    }
    if (!asked)
        return true;
    // Erasing cannot be undone: Enter answers No.
    const auto answer = prompts_.message(
        "Ready to erase the current firmware, version " + currentVersion +
            ", and install version " + newVersion + ".\r\r\t\tAre you sure you wish to continue?",
        "Erase Current Firmware?", Prompts::Icon::None, Prompts::Buttons::YesNo, Prompts::No);
    if (answer != Prompts::Yes || console_.interrupted()) {
        console_.sendSafeLine("NO");
        state_.cancelRequested = true;
        return false;
    }
    console_.sendLine("YES");
    left_ = Left::LoaderUnerased;
    state_.upgradeCommitted = true;
    console_.msWait(2000, Label);
    return true;
}

// A radio left in its loader is said to be there, and how to bring it back.
void FirmwareDownload::sayFailed() {
    const bool inLoader = left_ == Left::Loader || left_ == Left::LoaderUnerased;
    prompts_.message(
        "Radio programming FAILED." +
            (inLoader
                 ? " " + tr("The radio waits in its loader: upgrade it again to bring it back.")
                 : QString()),
        "Radio Error", Prompts::Icon::Exclamation);
}

bool FirmwareDownload::userCancelled() const {
    return stopAsked() && !console_.interrupted();
}

bool FirmwareDownload::stopAsked() const {
    return state_.cancelRequested || stopped();
}

bool FirmwareDownload::stopped() const {
    return link_.stopped && link_.stopped();
}

void FirmwareDownload::enter(FirmwareDisplay::Stage stage) {
    if (display_.stage)
        display_.stage(stage);
}

// The radio restarts into its loader meanwhile; Cancel is honoured once it answers there.
bool FirmwareDownload::showErasing() {
    state_.cancelRequested = false;
    enter(FirmwareDisplay::Stage::Restarting);
    display_.progress("Erasing...", QString(), 0);
    console_.sleep(1000, Label);
    bool cancelled = false;
    for (int step = 0; step < 10 && !cancelled && !console_.interrupted(); ++step) {
        display_.progress("Erasing...", "Erasing current firmware...", step * 10);
        console_.yieldOnce(Label);
        cancelled = userCancelled();
        console_.sleep(500, Label);
    }
    state_.cancelRequested = true;
    display_.hideProgress();
    return !cancelled;
}

// The restarted radio answers with its loader's prompt; thirty tries, then disconnected. False
// when interrupted, or disconnected after thirty tries.
bool FirmwareDownload::wakeLoader() {
    console_.buffer().clear();
    const Console::WakeUp outcome = console_.wakeUp(
        random_, [] { return false; }, [this](int) { display_.paneAppend(">"); }, false);
    if (outcome == Console::WakeUp::Stopped)
        return false;
    if (outcome == Console::WakeUp::Prompt) {
        console_.sleep(1000, Label);
        console_.yieldOnce(Label);
        return !console_.interrupted();
    }
    link_.disconnect();
    display_.paneText("Error. Please reconnect.");
    return false;
}

// Cancelled before the erase: the loader boots the firmware the radio had, and the window
// connects to it again.
void FirmwareDownload::leaveLoaderUnchanged(const QString& currentVersion) {
    if (console_.buffer().endsWith("LOADER>", Qt::CaseInsensitive)) {
        console_.resetBuffer();
        console_.sendSafeLine("EXIT");
        console_.waitUntil([this] { return console_.holds(">"); }, ProgramReplySeconds, Label);
    }
    if (console_.interrupted())
        return;
    const bool running = !console_.holds("ERROR") && !console_.holds("LOADER>");
    if (running)
        left_ = Left::BroughtBack;
    prompts_.message(running ? "The upgrade was cancelled before the firmware was erased: the "
                               "radio runs version " +
                                   currentVersion + " as before."
                             : QStringLiteral("The upgrade was cancelled. The radio stays in its "
                                              "loader: upgrade it again to bring it back."),
                     "Firmware Upgrade", Prompts::Icon::Information);
    if (console_.interrupted())
        restoreLine();
    else
        finish(running);
}

void FirmwareDownload::synchronise() {
    SerialPort& port = console_.port();
    port.setSettings(TransferSettings);
    display_.settingsText("Settings are FORCED to " + port.settings() + " for programming.");
    console_.sendRaw("\r");
    for (int i = 0; i < 20; ++i) {
        console_.sendRaw("\r\r");
        console_.sleep(20, Label);
    }
}

// Sends the file piece by piece, each once the last has left; false when it was cut short.
bool FirmwareDownload::transfer(const QString& path) {
    console_.sendLine("ERASE");
    left_ = Left::Loader;
    enter(FirmwareDisplay::Stage::Erasing);
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
    // The loader erases meanwhile, the window shown with its Cancel. A stop ends the wait at
    // once, and the loader is left at its prompt, taking no file.
    console_.waitUntil([this] { return stopAsked(); }, EraseSeconds,
                       QStringLiteral("firmware erase"));
    if (stopAsked() || console_.interrupted()) {
        display_.hideProgress();
        return false;
    }
    enter(FirmwareDisplay::Stage::Sending);
    console_.sendLine("PROGRAM");
    display_.statusBarEnabled(false);
    link_.showEvents(false);
    qint64 pieces = 0;
    while (!file.atEnd() && !stopAsked() && !console_.interrupted()) {
        if (length - file.pos() > PieceSize) {
            const int percent = int(pieces * PieceSize * 100 / length);
            display_.progress(caption, text, percent);
            ++pieces;
        }
        console_.sendRaw(file.read(PieceSize));
        drain();
    }
    const bool whole = file.atEnd() && !console_.interrupted();
    // A transfer stopped part way: what the line still holds of it would keep the loader busy
    // long after, and the next wake-up behind it.
    if (!whole)
        console_.port().discardOutput();
    state_.cancelRequested = true;
    display_.hideProgress();
    return whole;
}

// Lets the window paint and see its Cancel once a piece, even on a port that takes each piece
// at once; then sleeps until the port has sent what it holds, or the user stops.
void FirmwareDownload::drain() {
    const QString label = QStringLiteral("firmware drain");
    console_.yieldOnce(label);
    SerialPort& port = console_.port();
    while (port.bytesToSend() > 0 && !stopAsked() && !console_.interrupted())
        console_.waitUntil([&] { return port.bytesToSend() == 0 || stopAsked(); }, DrainStepSeconds,
                           label);
}

bool FirmwareDownload::judge() {
    enter(FirmwareDisplay::Stage::Verifying);
    console_.waitUntil(
        [this] {
            return console_.holds("PROGRAMMED OK") || console_.holds("FAILED") ||
                   console_.holds("ABORTED") || console_.holds("ERROR");
        },
        ResultSeconds, QStringLiteral("firmware result"));
    return console_.holds("PROGRAMMED OK");
}

void FirmwareDownload::restoreLine() {
    state_.cancelRequested = true;
    display_.hideProgress();
    SerialPort& port = console_.port();
    port.setSettings(ConsoleSettings);
    display_.settingsText("Settings: " + (port.isOpen() ? port.settings() : QString()));
    display_.statusBarEnabled(true);
    link_.showEvents(true);
}

// Back to the console's speed. A radio that runs its new firmware is connected again and read;
// one left in its loader is left disconnected, every control saying so, for the next
// connection to find it there.
void FirmwareDownload::finish(bool stored) {
    restoreLine();
    link_.disconnect();
    if (!stored)
        return;
    console_.sleep(500, Label);
    link_.connect();
}
