#pragma once

#include "link/Console.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class Prompts;
class QSettings;
class QWidget;
struct SharedState;
struct LinkControls;

// Logging in and out of the radio, its customer password and the network's encryption code.
// The login state is shown (and only kept) by the toolbar's Login and Logout buttons.
class RadioAccess : public QObject {
    Q_OBJECT
public:
    RadioAccess(Console& console, LinkControls& controls, SharedState& state, Prompts& prompts,
                QSettings& settings, QWidget* window);

    // Menu "Enter Radio Password..." and toolbar "Login": the login dialog.
    void openLogin();
    // Toolbar "Logout".
    void logout();
    // Menu "Set Radio's Customer Password...": the password dialog, not modal.
    void openPasswordSetup();
    // Menu "Enter Encryption Code...": checks the login, then the login dialog for the code.
    void enterEncryptionCode();
    // Learns whether the user is logged in by writing back the network address this
    // connection read whole; nothing when there is none.
    std::optional<Console::Verdict> rewriteNetworkAddress();

    // For the dialogs.
    Console& console() { return console_; }
    Prompts& prompts() { return prompts_; }
    SharedState& state() { return state_; }
    bool portOpen() const;
    void showLoggedIn(bool loggedIn);
    void showInPane(const QString& text);
    void savePassEnabled(bool enabled);
    // Runs a step that talks to the radio; a port that fails ends it with the usual message.
    void guarded(const std::function<void()>& step);
    // False, after telling the user, when the port is closed.
    bool portOpenOrSay();

private:
    void openLoginDialog(bool forCode);

    Console& console_;
    LinkControls& controls_;
    SharedState& state_;
    Prompts& prompts_;
    QSettings& settings_;
    QWidget* window_;
};
