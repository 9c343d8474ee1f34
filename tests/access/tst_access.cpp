#include "Harness.h"
#include "access/LoginDialog.h"
#include "access/PasswordDialog.h"
#include "settings/SettingsFields.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

RadioOptions withPassword(const QString& password) {
    RadioOptions options;
    options.password = password;
    return options;
}

template <typename Dialog> QPointer<Dialog> shown(Harness& h) {
    for (Dialog* dialog : h.window->findChildren<Dialog*>())
        if (dialog->isVisible())
            return dialog;
    return nullptr;
}

bool loggedInShown(Harness& h) {
    const LinkControls& c = h.window->controls();
    return c.logoutButton->isEnabled() && !c.loginButton->isEnabled();
}

} // namespace

class TestAccess : public QObject {
    Q_OBJECT

    static QPointer<LoginDialog> openLogin(Harness& h) {
        h.window->onToolbarButton(h.window->toolbarButton("Login"));
        return shown<LoginDialog>(h);
    }
    static void logIn(Harness& h, const QString& password) {
        const QPointer<LoginDialog> dialog = openLogin(h);
        QVERIFY(dialog);
        dialog->txtPassword->setText(password);
        dialog->cmdOK->click();
    }

private slots:
    void loginLogoutAndAnEditThatTakes() {
        Harness h(withPassword("ab12"));
        h.connectAndRead();
        QVERIFY(!loggedInShown(h));
        QPointer<LoginDialog> dialog = openLogin(h);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Enter Password:"));
        QCOMPARE(dialog->InfoLabel->text(), QString("Please enter a radio password:"));
        QCOMPARE(dialog->Label->text(), QString("&Password:"));
        QCOMPARE(dialog->txtPassword->maxLength(), 4);
        QCOMPARE(dialog->txtPassword->echoMode(), QLineEdit::Password);
        QVERIFY(dialog->NoneButton->isHidden());
        QVERIFY(!h.radio.echo());

        dialog->txtPassword->setText("zz");
        dialog->cmdOK->click();
        QCOMPARE(h.message(), QString("Invalid Password, try again!"));
        QCOMPARE(h.prompts.messages().last().caption, QString("Login"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->txtPassword->selectedText(), QString("zz"));
        QVERIFY(!h.radio.echo());

        dialog->txtPassword->setText("ab12");
        dialog->cmdOK->click();
        QVERIFY(!dialog || !dialog->isVisible());
        QVERIFY(h.pane().startsWith("*** PASSWORD ACCEPTED ***"));
        QVERIFY(loggedInShown(h));
        QVERIFY(h.radio.loggedIn() && h.radio.echo());
        // Logged in, the window reads the radio again: what it tells a logged-in user shows
        // without a Refresh.
        h.radio.setValue("ser", "76543210");
        h.window->onTick();
        QCOMPARE(h.window->fields().text("SerialNumber"), QString("76543210"));

        h.prompts.texts = {QString("25")};
        h.window->editor().edit("PowerLevel");
        QCOMPARE(h.radio.value("pwr"), QString("25"));

        h.window->onToolbarButton(h.window->toolbarButton("Logout"));
        QCOMPARE(h.commands().last(), QString("PASS NONE"));
        QCOMPARE(h.pane(), QString("*** LOGGED OUT ***"));
        QVERIFY(!loggedInShown(h) && h.window->controls().loginButton->isEnabled());
        QVERIFY(!h.radio.loggedIn());
    }

    // The status bar says whether the user is logged in, kept true by every way the program
    // learns it: the read's probe, login, logout, the probe before the encryption code, and
    // the end of the link.
    void statusBarShowsTheLoginState() {
        Harness h(withPassword("ab12"));
        const auto panel = [&] { return h.window->findChild<QLabel*>("LoginState")->text(); };
        QCOMPARE(panel(), QString());
        h.connectAndRead();
        QCOMPARE(panel(), QString("Not logged in"));
        logIn(h, "ab12");
        QCOMPARE(panel(), QString("Logged in"));
        h.window->onToolbarButton(h.window->toolbarButton("Logout"));
        QCOMPARE(panel(), QString("Not logged in"));
        // Logged in from the terminal, behind the buttons' back: the next probe finds it.
        h.window->console().sendLine("pass ab12");
        QTRY_VERIFY(h.radio.loggedIn());
        h.window->controls().mnuEncryptCode->trigger();
        QCOMPARE(panel(), QString("Logged in"));
        QPointer<LoginDialog> dialog = shown<LoginDialog>(h);
        QVERIFY(dialog);
        dialog->cmdCancel->click();
        h.window->link().disconnectAction();
        QCOMPARE(panel(), QString());

        // A radio with no customer password is always open: its probe says so.
        Harness open;
        open.connectAndRead();
        QCOMPARE(open.window->findChild<QLabel*>("LoginState")->text(), QString("Logged in"));
    }

    void onlyTheExactReplyWordLogsIn() {
        Harness h(withPassword("abc"));
        h.connectAndRead();
        // A three-character password goes out as typed.
        logIn(h, "abc");
        QVERIFY(h.commands().contains("pass abc"));
        QVERIFY(loggedInShown(h));

        Harness lower(withPassword("abc"));
        lower.connectAndRead();
        connect(&lower.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes.startsWith("pass ")) {
                lower.radio.setSilent(true);
                QTimer::singleShot(0, this, [&] { lower.port.deliver("password ok\r\n>"); });
            }
        });
        logIn(lower, "abc");
        QCOMPARE(lower.message(), QString("Invalid Password, try again!"));
        QVERIFY(!loggedInShown(lower));
    }

    // A radio that says nothing to the password has not refused it: the user is told it did
    // not answer, and may try again once it does.
    void unansweredPasswordIsNotCalledInvalid() {
        Harness h(withPassword("ab12"));
        h.connectAndRead();
        QPointer<LoginDialog> dialog = openLogin(h);
        h.radio.setSilent(true);
        dialog->txtPassword->setText("ab12");
        dialog->cmdOK->click();
        QCOMPARE(h.message(), LoginDialog::noAnswer());
        QVERIFY(!loggedInShown(h));
        QVERIFY(dialog && !dialog->isHidden());
        h.radio.setSilent(false);
        dialog->cmdOK->click();
        QVERIFY(loggedInShown(h));
    }

    void cancelTurnsTheEchoBackOn() {
        Harness h(withPassword("ab12"));
        h.connectAndRead();
        QPointer<LoginDialog> dialog = openLogin(h);
        QVERIFY(!h.radio.echo());
        // While the password is typed the tick leaves the link alone, whatever it has due.
        const QStringList before = h.commands();
        h.window->state().refreshRequest = true;
        h.clock.advance(300000);
        h.window->onTick();
        QCOMPARE(h.commands(), before);
        h.window->state().refreshRequest = false;
        dialog->cmdCancel->click();
        QVERIFY(h.radio.echo());
        QVERIFY(!dialog || !dialog->isVisible());
        QCOMPARE(h.commands(), (QStringList{"deco", "eeco"}));

        // With the port closed there is no dialog at all.
        h.window->link().disconnectAction();
        h.prompts.calls.clear();
        h.window->access().openLogin();
        QCOMPARE(h.message(), QString("Please Toggle COMM Port open first."));
        QCOMPARE(h.prompts.messages().last().caption, QString("User Help"));
        QVERIFY(!shown<LoginDialog>(h));
    }

    // The password reaches neither the pane nor the log.
    void passwordsNeverShow() {
        Harness h(withPassword("ab12"));
        h.connectAndRead();
        const QString path = h.dir.filePath("traffic.log");
        h.prompts.files = {path};
        h.window->terminal().openLog();
        logIn(h, "ab12");
        h.window->controls().mnuSetPass->trigger();
        QPointer<PasswordDialog> setup = shown<PasswordDialog>(h);
        QVERIFY(setup);
        setup->PassRadio[0]->click();
        setup->Pass1->setText("zx9");
        setup->Pass2->setText("zx9");
        setup->OKButton->click();
        QCOMPARE(h.radio.password(), QString("zx9"));
        h.window->terminal().closeLog();
        QFile log(path);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray traffic = log.readAll();
        QVERIFY(!traffic.isEmpty());
        QVERIFY(!traffic.contains("ab12") && !traffic.contains("zx9"));
        QVERIFY(!h.pane().contains("ab12") && !h.pane().contains("zx9"));
    }

    void newPasswordOnlyWhenTheRadioTakesIt() {
        Harness h;
        h.connectAndRead();
        h.window->controls().mnuSetPass->trigger();
        QPointer<PasswordDialog> dialog = shown<PasswordDialog>(h);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Radio Password Setup"));
        QVERIFY(dialog->PassRadio[1]->isChecked() && !dialog->Pass1->isEnabled());
        QVERIFY(!h.radio.echo());
        dialog->PassRadio[0]->click();
        QVERIFY(dialog->Pass1->isEnabled() && dialog->Pass2->isEnabled());

        dialog->Pass1->setText("ab12");
        dialog->Pass2->setText("ab13");
        dialog->OKButton->click();
        QCOMPARE(h.message(),
                 QString("The two passwords do not match!\rPlease reenter the password."));
        QCOMPARE(h.prompts.messages().last().icon, Prompts::Icon::Critical);
        QVERIFY(dialog->isVisible());
        QVERIFY(!h.commands().join(' ').contains("k7q2"));

        // Empty, the command alone would remove the radio's password: nothing is sent.
        dialog->Pass1->clear();
        dialog->Pass2->clear();
        dialog->OKButton->click();
        QCOMPARE(h.message(), QString("Please enter a password of one to four characters."));
        QVERIFY(dialog->isVisible());
        QVERIFY(!h.commands().join(' ').contains("k7q2"));
        QVERIFY(!h.pane().contains("NEW PASSWORD ACCEPTED"));

        dialog->Pass1->setText("ab12");
        dialog->Pass2->setText("ab12");
        dialog->OKButton->click();
        QVERIFY(h.commands().contains("k7q2 ab12"));
        QCOMPARE(h.radio.password(), QString("ab12"));
        QVERIFY(h.pane().startsWith("*** NEW PASSWORD ACCEPTED ***"));
        QVERIFY(loggedInShown(h));
        QVERIFY(h.window->state().passEnabled);
        QCOMPARE(h.settings->value("Preferences/PassEnabled").toString(), QString("True"));
        QVERIFY(!dialog || !dialog->isVisible());
        QVERIFY(h.radio.echo());

        // Not logged in: the radio refuses, and that is what the user is told.
        Harness locked(withPassword("zz"));
        locked.connectAndRead();
        locked.window->access().openPasswordSetup();
        QPointer<PasswordDialog> refused = shown<PasswordDialog>(locked);
        refused->PassRadio[0]->click();
        refused->Pass1->setText("ab12");
        refused->Pass2->setText("ab12");
        refused->OKButton->click();
        QVERIFY(locked.message().contains("ACCESS DENIED"));
        QCOMPARE(locked.radio.password(), QString("zz"));
        QVERIFY(!locked.window->state().passEnabled);
        QVERIFY(!locked.settings->contains("Preferences/PassEnabled"));
        QVERIFY(refused->isVisible());
        QVERIFY(!locked.pane().contains("NEW PASSWORD ACCEPTED"));
    }

    void removingThePasswordLogsOut() {
        Harness h(withPassword("ab12"));
        h.connectAndRead();
        h.window->access().openPasswordSetup();
        QPointer<PasswordDialog> denied = shown<PasswordDialog>(h);
        denied->PassRadio[1]->click();
        denied->OKButton->click();
        QCOMPARE(h.message(), QString("You must be logged in to disable password protection."));
        QCOMPARE(h.prompts.messages().last().caption, QString("Error!"));
        QCOMPARE(h.radio.password(), QString("ab12"));

        logIn(h, "ab12");
        h.window->state().passEnabled = true;
        h.radio.clearLines();
        h.window->access().openPasswordSetup();
        QPointer<PasswordDialog> dialog = shown<PasswordDialog>(h);
        QVERIFY(dialog->PassRadio[0]->isChecked() && dialog->Pass1->isEnabled());
        dialog->PassRadio[1]->click();
        QVERIFY(!dialog->Pass1->isEnabled());
        dialog->OKButton->click();
        QCOMPARE(h.commands(), (QStringList{"deco", "k7q2", "PASS NONE", "eeco"}));
        QVERIFY(h.radio.password().isEmpty());
        QVERIFY(h.pane().startsWith("*** PASSWORD REMOVED ***"));
        QVERIFY(!loggedInShown(h));
        QCOMPARE(h.settings->value("Preferences/PassEnabled").toString(), QString("False"));
    }

    void encryptionCodeNeedsALogin() {
        Harness h(withPassword("ab12"));
        h.connectAndRead();
        h.window->controls().mnuEncryptCode->trigger();
        QCOMPARE(h.message(), QString("Error! You are not currently logged in, and therefore will "
                                      "not be able to enter in an encryption code."));
        QVERIFY(!shown<LoginDialog>(h));
        QVERIFY(h.commands().contains("ADDR 1234"));
        QVERIFY(h.radio.echo());

        // An address this connection has not read is never written back.
        Harness fresh;
        fresh.connectRadio();
        fresh.window->controls().mnuEncryptCode->trigger();
        QVERIFY(fresh.message().startsWith("The login state could not be confirmed"));
        QVERIFY(fresh.radio.commands().isEmpty());
    }

    void encryptionCodeEntered() {
        Harness h;
        h.connectAndRead();
        h.window->controls().mnuEncryptCode->trigger();
        QPointer<LoginDialog> dialog = shown<LoginDialog>(h);
        QVERIFY(dialog);
        QCOMPARE(dialog->mode(), LoginDialog::Mode::Code);
        QCOMPARE(dialog->windowTitle(), QString("Enter Encryption Code:"));
        QCOMPARE(dialog->Label->text(), QString("&Code:"));
        QCOMPARE(dialog->txtPassword->maxLength(), 3);
        QVERIFY(!dialog->NoneButton->isHidden());

        dialog->txtPassword->setText("300");
        dialog->cmdOK->click();
        QCOMPARE(h.message(), QString("Invalid Encryption Code."));
        QVERIFY(dialog->isVisible());
        dialog->txtPassword->setText("12");
        dialog->cmdOK->click();
        QCOMPARE(h.radio.encryptionCode(), 12);
        QVERIFY(h.pane().startsWith("*** ENCRYPTION CODE ACCEPTED ***"));
        QVERIFY(h.radio.echo());

        h.window->controls().mnuEncryptCode->trigger();
        dialog = shown<LoginDialog>(h);
        dialog->NoneButton->click();
        QCOMPARE(h.radio.encryptionCode(), 0);
        QVERIFY(h.commands().contains("code none"));
        QVERIFY(!dialog || !dialog->isVisible());
    }

    void noEncryptionCodeRefusedIsSaid() {
        Harness h(withPassword("ab12"));
        h.connectAndRead();
        logIn(h, "ab12");
        h.window->controls().mnuEncryptCode->trigger();
        QPointer<LoginDialog> dialog = shown<LoginDialog>(h);
        QVERIFY(dialog);
        h.radio.receive("PASS NONE\r"); // logged out behind the program's back
        h.prompts.calls.clear();
        dialog->NoneButton->click();
        QVERIFY(h.message().contains("ACCESS DENIED"));
        QVERIFY(dialog->isVisible());
        QVERIFY(!h.pane().contains("ENCRYPTION CODE ACCEPTED"));
    }

    // Cancel while the radio checks the password: the wait ends, the dialog goes once it has,
    // the echo is back on and nothing calls the password invalid.
    void cancelDuringThePasswordWait() {
        RadioOptions slow = withPassword("ab12");
        slow.latencyMs = 500;
        Harness h(slow);
        h.connectAndRead();
        QPointer<LoginDialog> dialog = openLogin(h);
        h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
            if (label == "pass" && dialog)
                QTimer::singleShot(0, dialog, [&] { dialog->cmdCancel->click(); });
        };
        dialog->txtPassword->setText("ab12");
        h.prompts.calls.clear();
        dialog->cmdOK->click();
        h.window->state().gate.waitHook = nullptr;
        QTRY_VERIFY(!dialog);
        QVERIFY(h.prompts.messages().isEmpty());
        QTRY_VERIFY(h.radio.echo());
        QVERIFY(!h.window->state().echoOff);
    }

    // The login dialog closes with the link, turning the echo back on while it can; a lost
    // device is said once.
    void loginDialogClosesWithTheLink() {
        for (const bool lost : {false, true}) {
            Harness h(withPassword("ab12"));
            h.connectAndRead();
            QPointer<LoginDialog> dialog = openLogin(h);
            QVERIFY(!h.radio.echo());
            h.prompts.calls.clear();
            if (lost)
                h.port.vanish();
            else
                h.window->onToolbarButton(h.window->toolbarButton("Disconnect"));
            QTRY_VERIFY(!dialog);
            QCOMPARE(h.prompts.messages().size(), lost ? 1 : 0);
            if (!lost)
                QVERIFY(h.radio.echo());
        }
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
