#include "OptionDialog.h"

#include "core/DialogParts.h"
#include "link/Console.h"
#include "link/SerialPort.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

OptionDialog::OptionDialog(Console& console, const char* name, const QString& caption,
                           QWidget* parent, bool returnOnClose)
    : GatedDialog(console.gate(), parent), console_(console), returnOnClose_(returnOnClose) {
    setObjectName(name);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
}

void OptionDialog::act(const std::function<void()>& commands) {
    runAction(QStringLiteral("program"), commands);
}

bool OptionDialog::send(const QString& command) {
    try {
        console_.sendLine(command);
        return true;
    } catch (const SerialError& error) {
        if (error.endsHandler() && onLinkFailure)
            onLinkFailure();
        return false;
    }
}

void OptionDialog::pause() {
    console_.sleep(100, objectName());
}

QPushButton* OptionDialog::button(const char* name, const QString& caption) {
    return DialogParts::button(this, name, caption);
}

void OptionDialog::closing(int) {
    if (!returnOnClose_)
        return;
    try {
        console_.sendSafeLine(QString());
    } catch (const SerialError&) {
        // A port that is gone has nothing left to end.
    }
}

SwitchDialog::SwitchDialog(Console& console, const char* name, const QString& caption,
                           const QString& info, const QString& what, const QString& fieldText,
                           QWidget* parent)
    : OptionDialog(console, name, caption, parent) {
    InfoLabel = new QLabel(info, this);
    InfoLabel->setObjectName("InfoLabel");
    auto* group = new QButtonGroup(this);
    for (const char* state : {"Enabled", "Disabled"}) {
        auto* option = new QRadioButton(what + ' ' + state, this);
        option->setObjectName(QString("OnOption_%1").arg(OnOption.size()));
        group->addButton(option);
        OnOption.append(option);
    }
    OnOption[fieldText.contains("ON") ? 0 : 1]->setChecked(true);
    OKButton = button("OKButton", "Program Settings");
    OKButton->setDefault(true);
    CancelButton = button("CancelButton", "Cancel");
    connect(OKButton, &QPushButton::clicked, this, [this] { act([this] { programSettings(); }); });
    connect(CancelButton, &QPushButton::clicked, this, &SwitchDialog::reject);
}

void SwitchDialog::layOut(QLayout* value) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(InfoLabel);
    layout->addWidget(OnOption[0]);
    layout->addWidget(OnOption[1]);
    layout->addLayout(value);
    layout->addLayout(DialogParts::buttonRow({OKButton, CancelButton}));
}

bool SwitchDialog::sendSwitch(const QString& keyword) {
    if (!send(keyword + (OnOption[0]->isChecked() ? " on" : " off")))
        return false;
    pause();
    return true;
}
