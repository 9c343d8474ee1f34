#include "RadioAccess.h"

#include "LoginDialog.h"
#include "PasswordDialog.h"
#include "core/AppSettings.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/LinkControls.h"
#include "link/RadioLink.h"
#include "link/SerialPort.h"
#include "link/TerminalPane.h"

#include <QAction>
#include <QSettings>

namespace {
constexpr double ReplySeconds = 3.0;
} // namespace

RadioAccess::RadioAccess(Console& console, LinkControls& controls, SharedState& state,
                         Prompts& prompts, QSettings& settings, QWidget* window)
    : console_(console), controls_(controls), state_(state), prompts_(prompts), settings_(settings),
      window_(window) {}

bool RadioAccess::portOpen() const {
    return console_.port().isOpen();
}

bool RadioAccess::portOpenOrSay() {
    if (portOpen())
        return true;
    prompts_.message("Please Toggle COMM Port open first.", "User Help");
    return false;
}

void RadioAccess::showLoggedIn(bool loggedIn) {
    controls_.loginButton->setEnabled(!loggedIn);
    controls_.logoutButton->setEnabled(loggedIn);
}

void RadioAccess::showInPane(const QString& text) {
    controls_.txtTerm->setText(text);
}

void RadioAccess::savePassEnabled(bool enabled) {
    state_.passEnabled = enabled;
    settings_.setValue("Preferences/PassEnabled", yesNoText(enabled));
}

void RadioAccess::guarded(const std::function<void()>& step) {
    try {
        step();
    } catch (const SerialError& error) {
        if (error.endsHandler() && !state_.closing && !console_.interrupted())
            prompts_.message(Console::communicationError(), "Error", Prompts::Icon::Exclamation);
    }
}

void RadioAccess::openLogin() {
    if (portOpenOrSay())
        openLoginDialog(false);
}

void RadioAccess::openLoginDialog(bool forCode) {
    guarded([&] {
        console_.resetBuffer();
        console_.setEcho(false);
        auto* dialog = new LoginDialog(
            forCode ? LoginDialog::Mode::Code : LoginDialog::Mode::Password, *this, window_);
        dialog->open();
    });
}

void RadioAccess::logout() {
    guarded([&] {
        console_.sendLine("PASS NONE");
        showLoggedIn(false);
        showInPane("*** LOGGED OUT ***");
    });
}

void RadioAccess::openPasswordSetup() {
    if (!portOpenOrSay())
        return;
    guarded([&] {
        auto* dialog = new PasswordDialog(*this, window_);
        dialog->show();
        console_.setEcho(false);
    });
}

// Only a logged-in user may rewrite the network address: the radio's answer to writing back
// the address it reported tells whether the code can be entered. Only an address this
// connection read whole is written back, and only "PROGRAMMED OK" counts.
std::optional<Console::Verdict> RadioAccess::rewriteNetworkAddress() {
    if (!state_.wholeReplies.contains("addr"))
        return std::nullopt;
    console_.setEcho(false);
    const Console::Verdict verdict =
        console_.write(state_.wholeReplies.value("addr"), ReplySeconds);
    showInPane(QString());
    console_.setEcho(true);
    // The answer is a login probe of its own: the buttons learn from it too, unless the link
    // ended meanwhile.
    if (!console_.interrupted() &&
        (verdict == Console::Verdict::Accepted || verdict == Console::Verdict::Denied))
        showLoggedIn(verdict == Console::Verdict::Accepted);
    return verdict;
}

void RadioAccess::enterEncryptionCode() {
    if (!portOpenOrSay())
        return;
    guarded([&] {
        const std::optional<Console::Verdict> verdict = rewriteNetworkAddress();
        if (console_.interrupted())
            return;
        if (!verdict) {
            prompts_.message("The login state could not be confirmed: the network address of "
                             "this radio has not been read yet. Click Refresh, then try again.",
                             "Error!", Prompts::Icon::Critical);
            return;
        }
        if (*verdict == Console::Verdict::Denied) {
            prompts_.message("Error! You are not currently logged in, and therefore will not be "
                             "able to enter in an encryption code.",
                             "Error!", Prompts::Icon::Critical);
            return;
        }
        if (*verdict != Console::Verdict::Accepted) {
            prompts_.message(
                "The login state could not be confirmed: " + Console::reasonOf(*verdict) + ".",
                "Error!", Prompts::Icon::Critical);
            return;
        }
        openLoginDialog(true);
    });
}
