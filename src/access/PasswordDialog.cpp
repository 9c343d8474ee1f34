#include "PasswordDialog.h"

#include "RadioAccess.h"
#include "core/DialogParts.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/Console.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr double ReplySeconds = 3.0;
constexpr int PauseMs = 100;
} // namespace

PasswordDialog::PasswordDialog(RadioAccess& access, QWidget* parent)
    : GatedDialog(access.state().gate, parent), access_(access),
      prompts_(access.prompts().askedBy(this)) {
    setObjectName("frmSetPass");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Radio Password Setup");
    const char* options[] = {"Use a password:", "Do not use a radio password."};
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(options[i], this);
        option->setObjectName(QString("PassRadio_%1").arg(i));
        PassRadio.append(option);
    }
    auto* info = new QLabel("Enter the password to use for authorized radio configuration. "
                            "(Enter twice for verification).",
                            this);
    info->setWordWrap(true);
    Pass1 = new QLineEdit(this);
    Pass1->setObjectName("Pass1");
    Pass2 = new QLineEdit(this);
    Pass2->setObjectName("Pass2");
    for (QLineEdit* box : {Pass1, Pass2}) {
        box->setEchoMode(QLineEdit::Password);
        box->setMaxLength(4);
    }
    OKButton = DialogParts::button(this, "OKButton", "OK");
    OKButton->setDefault(true);
    CancelButton = DialogParts::button(this, "CancelButton", "Cancel");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PassRadio[0]);
    layout->addWidget(info);
    layout->addWidget(Pass1);
    layout->addWidget(Pass2);
    layout->addWidget(PassRadio[1]);
    layout->addLayout(DialogParts::buttonRow({OKButton, CancelButton}));

    choose(access_.state().passEnabled);
    connect(PassRadio[0], &QRadioButton::clicked, this, [this] {
        choose(true);
        Pass1->setFocus();
    });
    connect(PassRadio[1], &QRadioButton::clicked, this, [this] { choose(false); });
    connect(OKButton, &QPushButton::clicked, this, &PasswordDialog::onOK);
    connect(CancelButton, &QPushButton::clicked, this, &PasswordDialog::reject);
}

void PasswordDialog::choose(bool usePassword) {
    PassRadio[usePassword ? 0 : 1]->setChecked(true);
    Pass1->setEnabled(usePassword);
    Pass2->setEnabled(usePassword);
}

void PasswordDialog::onOK() {
    runAction(QStringLiteral("ok"), [this] {
        access_.guarded([this] { PassRadio[0]->isChecked() ? setPassword() : removePassword(); });
    });
}

void PasswordDialog::removePassword() {
    Console& console = access_.console();
    const Console::Verdict verdict = console.write("k7q2", ReplySeconds);
    if (console.interrupted())
        return;
    if (verdict == Console::Verdict::Denied) {
        prompts_.message("You must be logged in to disable password protection.", "Error!",
                         Prompts::Icon::Critical);
    } else if (verdict != Console::Verdict::Accepted) {
        prompts_.message("The password was not removed: " + Console::reasonOf(verdict) + ".",
                         "Error!", Prompts::Icon::Critical);
    } else {
        // Without a password the radio is open, but the program logs out all the same.
        console.sendLine("PASS NONE");
        console.sleep(PauseMs, QStringLiteral("k7q2"));
        access_.showInPane("*** PASSWORD REMOVED ***");
        console.sendRaw("\r");
        access_.showLoggedIn(false);
        access_.savePassEnabled(false);
    }
    close();
}

// The new password is in use only once the radio has said so.
void PasswordDialog::setPassword() {
    if (Pass1->text() != Pass2->text()) {
        prompts_.message("The two passwords do not match!\rPlease reenter the password.", "Error!",
                         Prompts::Icon::Critical);
        Pass1->setFocus();
        return;
    }
    // "k7q2" with nothing after it would remove the password instead.
    if (Pass1->text().isEmpty()) {
        prompts_.message("Please enter a password of one to four characters.", "Error!",
                         Prompts::Icon::Critical);
        Pass1->setFocus();
        return;
    }
    const Console::Verdict verdict = access_.console().write("k7q2 " + Pass1->text(), ReplySeconds);
    if (access_.console().interrupted())
        return;
    if (verdict != Console::Verdict::Accepted) {
        prompts_.message("The radio did not take the new password: " + Console::reasonOf(verdict) +
                             ".",
                         "Error!", Prompts::Icon::Critical);
        Pass1->setFocus();
        return;
    }
    access_.showInPane("*** NEW PASSWORD ACCEPTED ***");
    access_.showLoggedIn(true);
    access_.savePassEnabled(true);
    close();
}

void PasswordDialog::closing(int) {
    if (!access_.portOpen())
        return;
    access_.guarded([this] {
        Console& console = access_.console();
        console.sleep(PauseMs, QStringLiteral("eeco"));
        console.setEcho(true);
        console.sleep(PauseMs, QStringLiteral("eeco"));
    });
}
