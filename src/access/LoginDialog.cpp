#include "LoginDialog.h"

#include "RadioAccess.h"
#include "core/DialogParts.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/Console.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr double ReplySeconds = 3.0;
constexpr double PromptSeconds = 0.5;
} // namespace

LoginDialog::LoginDialog(Mode mode, RadioAccess& access, QWidget* parent)
    : GatedDialog(access.state().gate, parent), mode_(mode), access_(access),
      prompts_(access.prompts().askedBy(this)) {
    setObjectName("frmLogin");
    setAttribute(Qt::WA_DeleteOnClose);
    const bool code = mode == Mode::Code;
    setWindowTitle(code ? "Enter Encryption Code:" : "Enter Password:");
    InfoLabel = new QLabel(code ? "Please enter an encryption code (1-255), or click 'None' not "
                                  "to use an encryption code:"
                                : "Please enter a radio password:",
                           this);
    InfoLabel->setObjectName("InfoLabel");
    InfoLabel->setWordWrap(true);
    Label = new QLabel(code ? "&Code:" : "&Password:", this);
    Label->setObjectName("Label");
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName("txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setMaxLength(code ? 3 : 4);
    Label->setBuddy(txtPassword);
    cmdOK = DialogParts::button(this, "cmdOK", "OK");
    cmdOK->setDefault(true);
    cmdCancel = DialogParts::button(this, "cmdCancel", "Cancel");
    NoneButton = DialogParts::button(this, "NoneButton", "Use None");
    NoneButton->setVisible(code);

    auto* layout = new QGridLayout(this);
    layout->addWidget(InfoLabel, 0, 0, 1, 2);
    layout->addWidget(Label, 1, 0);
    layout->addWidget(txtPassword, 1, 1);
    layout->addLayout(DialogParts::buttonRow({cmdOK, cmdCancel, NoneButton}), 2, 0, 1, 2);
    resize(360, sizeHint().height());

    connect(cmdOK, &QPushButton::clicked, this, &LoginDialog::onOK);
    connect(cmdCancel, &QPushButton::clicked, this, &LoginDialog::reject);
    connect(NoneButton, &QPushButton::clicked, this, &LoginDialog::onUseNone);
}

void LoginDialog::onOK() {
    if (!access_.portOpen())
        return;
    runAction(QStringLiteral("ok"),
              [this] { access_.guarded([this] { mode_ == Mode::Code ? enterCode() : logIn(); }); });
}

// Only "PASSWORD OK" in exactly this case is a login.
void LoginDialog::logIn() {
    Console& console = access_.console();
    {
        const LinkBusy busy(console.gate());
        console.resetBuffer();
        console.sendLine("pass " + txtPassword->text());
        console.waitUntil(
            [&] {
                return console.holdsExact("PASSWORD OK") || console.holdsExact("PASSWORD INVALID");
            },
            ReplySeconds, QStringLiteral("pass"));
    }
    if (console.interrupted())
        return;
    if (!console.holdsExact("PASSWORD OK")) {
        // With no word back on it the radio never judged the password: no reason to doubt it.
        tryAgain(console.holds("PASSWORD") ? QStringLiteral("Invalid Password, try again!")
                                           : noAnswer());
        return;
    }
    access_.showLoggedIn(true);
    // A radio may tell a logged-in user more than it told before: the fields are read again.
    access_.state().refreshRequest = true;
    finish("*** PASSWORD ACCEPTED ***");
}

void LoginDialog::enterCode() {
    const Console::Verdict verdict =
        access_.console().write("code " + txtPassword->text(), ReplySeconds);
    if (access_.console().interrupted())
        return;
    if (verdict == Console::Verdict::Accepted)
        finish("*** ENCRYPTION CODE ACCEPTED ***");
    else if (verdict == Console::Verdict::Refused)
        tryAgain("Invalid Encryption Code.");
    else
        tryAgain("The encryption code was not entered: " + Console::reasonOf(verdict) + ".");
}

// "No encryption code" is reported accepted only when the radio says so.
void LoginDialog::onUseNone() {
    if (!access_.portOpen())
        return;
    runAction(QStringLiteral("none"), [this] {
        access_.guarded([this] {
            const Console::Verdict verdict = access_.console().write("code none", ReplySeconds);
            if (access_.console().interrupted())
                return;
            if (verdict == Console::Verdict::Accepted)
                finish("*** ENCRYPTION CODE ACCEPTED ***");
            else
                tryAgain("The radio kept its encryption code: " + Console::reasonOf(verdict) + ".");
        });
    });
}

void LoginDialog::tryAgain(const QString& message) {
    prompts_.message(message, "Login");
    txtPassword->setFocus();
    txtPassword->selectAll();
}

void LoginDialog::finish(const QString& banner) {
    access_.showInPane(banner);
    access_.console().sendRaw("\r");
    access_.console().setEcho(true);
    accept();
}

void LoginDialog::closing(int result) {
    if (result == Accepted || !access_.portOpen())
        return;
    access_.guarded([this] {
        Console& console = access_.console();
        const LinkBusy busy(console.gate(), this);
        console.resetBuffer();
        console.setEcho(true);
        // Lets the radio's answer in before the dialog goes.
        console.waitUntil([&] { return console.holds(">"); }, PromptSeconds,
                          QStringLiteral("eeco"));
    });
}
