#include "RadioLink.h"

#include "Console.h"
#include "LinkControls.h"
#include "PortNames.h"
#include "SerialPort.h"
#include "Terminal.h"
#include "TerminalPane.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/SharedState.h"

#include <QAction>
#include <QLabel>
#include <QTimer>
#include <utility>

namespace {

constexpr double PromptWaitSeconds = 4.0;
constexpr qint64 KeepAliveMs = 240000;
constexpr qint64 DrainMs = 10000;

} // namespace

RadioLink::RadioLink(Console& console, Terminal& terminal, LinkControls& controls,
                     SharedState& state, Prompts& prompts)
    : console_(console), port_(console.port()), clock_(console.clock()), terminal_(terminal),
      controls_(controls), state_(state), prompts_(prompts) {}

bool RadioLink::connected() const {
    return port_.isOpen() && !connectFailed;
}

void RadioLink::reportCommunicationError() {
    // A link the user is closing, or an action that was interrupted, fails quietly.
    if (!state_.closing && !state_.gate.cancelled())
        prompts_.message(Console::communicationError(), "Error", Prompts::Icon::Exclamation);
}

void RadioLink::requestConnect() {
    state_.gate.request(QStringLiteral("connect"), this, [this] { connectAction(); });
}

void RadioLink::requestDisconnect() {
    state_.gate.interrupt(QStringLiteral("disconnect"), this, [this] { disconnectAction(); });
}

void RadioLink::requestPortOpen() {
    state_.gate.interrupt(QStringLiteral("port open"), this, [this] { portOpenAction(); });
}

void RadioLink::connectAction() {
    const LinkBusy busy(state_.gate);
    try {
        for (int i = 0; i < 11; ++i)
            console_.yieldOnce(QStringLiteral("connect"));
        connectFailed = false;
        if (!port_.isOpen())
            portOpenAction();
        if (connectFailed)
            return;
        controls_.disconnectButton->setEnabled(true);
        controls_.connectButton->setEnabled(false);
        showConnectedImages(true);
        startConnectClock();
    } catch (const SerialError& error) {
        if (error.endsHandler())
            reportCommunicationError();
    }
}

void RadioLink::portOpenAction() {
    const LinkBusy busy(state_.gate);
    disconnected = false;
    // What an earlier connection read belongs to a radio that may no longer be there.
    state_.wholeReplies.clear();
    try {
        if (port_.isOpen()) {
            // Windows that left the radio in a special mode restore it while they still can.
            state_.gate.announceEnding();
            sendClosAndClose();
        }
        try {
            port_.setOpen(true);
        } catch (const SerialError& error) {
            if (error.number() == SerialError::PortNotOpen)
                throw;
            failToOpen(error);
            return;
        }
        controls_.mnuOpen->setChecked(true);
        controls_.connectButton->setEnabled(false);
        controls_.disconnectButton->setEnabled(true);
        controls_.settingsPanel->setText("Settings: " + port_.settings());
        wakeUp();
        if (connectFailed || console_.interrupted())
            return;
        openAndGreet();
    } catch (const SerialError& error) {
        if (error.endsHandler() && !connectFailed)
            reportCommunicationError();
    }
}

// Every failure to open the port is a failed connect: one message that names the device and
// the cause, and the disconnected state.
void RadioLink::failToOpen(const SerialError& error) {
    connectFailed = true;
    terminal_.discardInput = false;
    if (!state_.closing)
        prompts_.message("The selected COM port is not available. Please select another port.\r\r" +
                             error.text(),
                         "Error", Prompts::Icon::Exclamation);
    disconnectAction();
}

// Steps after a successful wake-up: leave setup mode (its transmitter de-keyed first), re-open
// quietly, say OPEN, and ask for a read unless the radio runs only its loader.
void RadioLink::openAndGreet() {
    if (console_.endsWith("SETUP>")) {
        console_.sendLine("DKEY");
        console_.sendLine("QUIT");
    }
    controls_.txtTerm->setText(QString());
    terminal_.discardInput = true;
    console_.resetBuffer();
    try {
        port_.setOpen(false);
        console_.sleep(100, QStringLiteral("reopen"));
        port_.setOpen(true);
        console_.sleep(100, QStringLiteral("reopen"));
        console_.sendRaw("\r");
        console_.sendLine("OPEN");
        // A console left without its echo (a link lost while a password was typed) answers
        // no exchange of the read; it gets it back.
        console_.setEcho(true);
    } catch (const SerialError& error) {
        failToOpen(error);
        return;
    }
    controls_.txtTerm->setText("Connected");
    controls_.transmitButton->setEnabled(true);
    controls_.loginButton->setEnabled(true);
    setConnectedMenus(true);
    showConnectedImages(true);
    console_.sendRaw("\r");
    firstRead = true;
    terminal_.discardInput = false;
    nextKeepAliveMs = clock_.msecs() + KeepAliveMs;
    startConnectClock();
    console_.resetBuffer();
    console_.waitUntil([this] { return console_.holds(">"); }, PromptWaitSeconds,
                       QStringLiteral("connected"));
    if (console_.interrupted())
        return;
    if (console_.atLoader()) {
        prompts_.message(
            "ERROR - This radio needs software!\r\rUse the 'Radio Firmware Upgrade' option to "
            "upload a .s28 firmware file to the radio.\r\rVisit Quenlar's FTP site to obtain the "
            "most recent release of firmware.",
            "Radio Error", Prompts::Icon::Critical);
        return;
    }
    state_.refreshRequest = true;
}

void RadioLink::wakeUp() {
    console_.buffer().clear();
    terminal_.showData = false;
    if (connectFailed) {
        terminal_.showData = true;
        return;
    }
    const Console::WakeUp outcome = console_.wakeUp(
        random_, [this] { return disconnected; },
        [this](int dots) { controls_.txtTerm->setText("Connecting" + QString(dots, u'.')); },
        false);
    if (outcome == Console::WakeUp::Stopped) {
        controls_.txtTerm->setText("Disconnected");
        connectFailed = true;
        return;
    }
    if (outcome == Console::WakeUp::Prompt) {
        terminal_.showData = true;
        return;
    }
    disconnectAction();
    controls_.txtTerm->setText("Error. Please reconnect.");
    // The pane's words say nothing of where to look; the status bar says it as the tool does.
    // The built-in radio has no cable, power or baud rate to check.
    controls_.statusPanel->setText(
        port_.portNumber() == PortNames::BuiltInRadio
            ? tr("Status: No answer from the built-in radio (no prompt after %1 tries): "
                 "disconnect and connect again.")
                  .arg(Console::WakeAttempts)
            : tr("Status: No answer on Com%1 (no prompt after %2 tries): check the cable and "
                 "power, the port and the baud rate (%3).")
                  .arg(port_.portNumber())
                  .arg(Console::WakeAttempts)
                  .arg(port_.settings()));
    connectFailed = true;
}

void RadioLink::disconnectAction() {
    try {
        stopConnectClock();
        disconnected = true;
        state_.wholeReplies.clear();
        state_.echoOff = false;
        controls_.txtTerm->setText(QString());
        state_.gate.announceEnding();
        if (port_.isOpen())
            sendClosAndClose();
        controls_.mnuSendText->setEnabled(false);
        controls_.transmitButton->setEnabled(false);
        controls_.disconnectButton->setEnabled(false);
        controls_.loginButton->setEnabled(false);
        controls_.logoutButton->setEnabled(false);
        controls_.connectButton->setEnabled(true);
        controls_.settingsPanel->setText("Settings: ");
        controls_.mnuOpen->setChecked(false);
        showConnectedImages(false);
        setConnectedMenus(false);
        controls_.txtTerm->appendText("Disconnected");
        controls_.statusPanel->setText("Status: ");
        connectFailed = true;
    } catch (const SerialError& error) {
        if (error.endsHandler())
            reportCommunicationError();
    }
}

void RadioLink::sendClosAndClose() {
    console_.sendLine("CLOS");
    controls_.txtTerm->appendText(closNotice());
    port_.setOpen(false);
}

void RadioLink::startConnectClock() {
    connectTime = clock_.now();
    controls_.Timer1->start();
}

void RadioLink::stopConnectClock() {
    controls_.Timer1->stop();
    controls_.connectTimePanel->setText(QString());
}

void RadioLink::showConnectedImages(bool connected) {
    controls_.imgConnected->setVisible(connected);
    controls_.imgNotConnected->setVisible(!connected);
}

void RadioLink::setConnectedMenus(bool enabled) {
    for (QAction* item : {controls_.mnuSendText, controls_.mnuAccessCode, controls_.mnuEncryptCode,
                          controls_.mnuSetupMode, controls_.mnuConfigRestore,
                          controls_.mnuRadioPassSub, controls_.mnuSetPass})
        item->setEnabled(enabled);
}

void RadioLink::onPortEvent(int code) {
    try {
        if (code == SerialPort::Received) {
            terminal_.append(QString::fromLatin1(port_.readAll()));
        } else if (code == SerialPort::TransmitThreshold) {
            return;
        } else if (code >= SerialPort::CtsChanged && code <= SerialPort::EndOfFile) {
            showLineEvent(SerialPort::eventMessage(code));
        } else {
            showErrorEvent(SerialPort::eventMessage(code));
        }
    } catch (const SerialError& error) {
        if (error.endsHandler())
            reportCommunicationError();
    }
}

void RadioLink::showLineEvent(const QString& message) {
    if (showEvents)
        controls_.statusPanel->setText("Status: " + message);
    controls_.Timer2->start();
}

void RadioLink::showErrorEvent(const QString& message) {
    if (showEvents)
        controls_.statusPanel->setText("Status: " + message);
    prompts_.beep();
    const auto answer = prompts_.message(message, "Click Cancel to quit, OK to ignore.",
                                         Prompts::Icon::None, Prompts::Buttons::OkCancel);
    if (answer == Prompts::Cancel)
        requestDisconnect();
    controls_.Timer2->start();
}

// Said once; the waiting action then gives way at once, and the disconnected state follows
// once it has.
void RadioLink::onDeviceLost() {
    // The loss reported again while its message is open is the same loss.
    if (tellingLoss_)
        return;
    tellingLoss_ = true;
    reportCommunicationError();
    tellingLoss_ = false;
    requestDisconnect();
}

void RadioLink::onStatusClear() {
    if (port_.isOpen())
        controls_.statusPanel->setText("Status: ");
    controls_.Timer2->stop();
}

// Keys typed while an action holds the link wait for it, as a terminal's type-ahead does;
// during the firmware transfer they are refused, never put into the transfer.
bool RadioLink::typeKey(const QString& character) {
    if (!port_.isOpen())
        return false;
    if (character.isEmpty())
        return true;
    typeAhead_ += character.toLatin1();
    if (state_.gate.request(LinkKeys::TypedKeys, this, [this] { sendTypedKeys(); }) ==
        LinkGate::Outcome::Refused)
        typeAhead_.clear();
    return true;
}

void RadioLink::sendTypedKeys() {
    const QByteArray keys = std::exchange(typeAhead_, QByteArray());
    if (keys.isEmpty() || !port_.isOpen())
        return;
    try {
        console_.sendRaw(keys);
    } catch (const SerialError& error) {
        if (error.endsHandler())
            reportCommunicationError();
    }
}

bool RadioLink::shutdown(bool mayAsk) {
    const LinkBusy busy(state_.gate);
    state_.gate.announceEnding();
    if (state_.logoutOnQuit && !logOutAtQuit())
        prompts_.messageAtQuit("There was an error communicating with the radio. You may not have "
                               "logged out completely.",
                               "Error", Prompts::Icon::Exclamation, Prompts::Buttons::Ok,
                               Prompts::Ok);
    try {
        if (port_.isOpen()) {
            if (!drainOutput(mayAsk))
                return false;
            port_.setOpen(false);
        }
    } catch (const SerialError&) {
        // A port that fails while closing is closed enough for a program that ends.
    }
    if (terminal_.log().isOpen())
        terminal_.closeLog();
    return true;
}

// Any failure (a device gone, a port taken) may leave the radio logged in.
bool RadioLink::logOutAtQuit() {
    try {
        if (!port_.isOpen())
            port_.setOpen(true);
        console_.sendLine("PASS NONE");
        return true;
    } catch (const SerialError&) {
        return false;
    }
}

// Waits for the output to leave the port; false when the user aborts the quit.
bool RadioLink::drainOutput(bool mayAsk) {
    for (;;) {
        if (console_.drain(DrainMs / 1000.0, QStringLiteral("quit")) || console_.interrupted() ||
            !port_.isOpen() || !mayAsk)
            return true;
        // Nobody there to answer (a quit signal): the output is given up and the program ends.
        const auto answer = prompts_.messageAtQuit(
            "Data cannot be sent", Prompts::applicationTitle(), Prompts::Icon::Question,
            Prompts::Buttons::AbortRetryIgnore, Prompts::Ignore);
        if (answer == Prompts::Abort)
            return false;
        if (answer == Prompts::Ignore)
            return true;
    }
}
