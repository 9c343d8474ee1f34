#include "RtuDialog.h"

#include "core/Prompts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

RtuDialog::RtuDialog(Console& console, Prompts& prompts, const QString& fieldText, QWidget* parent)
    : OptionDialog(console, "frmRTUOptions", "Software RTU Options", parent), prompts_(prompts) {
    InfoLabel = new QLabel(
        "Select if software RTU should be enabled,\nand what RTU id should be used.", this);
    InfoLabel->setObjectName("InfoLabel");
    OnOption = onOffOptions("OnOption", "Software RTU");
    auto* idLabel = new QLabel("Enter the RTU ID (0 - 80):", this);
    RTUID = new QLineEdit(this);
    RTUID->setObjectName("RTUID");
    RTUID->setMaxLength(2);
    idLabel->setBuddy(RTUID);
    OKButton = button("OKButton", "Program Settings");
    OKButton->setDefault(true);
    CancelButton = button("CancelButton", "Cancel");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(InfoLabel);
    layout->addWidget(OnOption[0]);
    layout->addWidget(OnOption[1]);
    auto* id = new QHBoxLayout;
    id->addWidget(idLabel);
    id->addWidget(RTUID);
    layout->addLayout(id);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);

    OnOption[fieldText.contains("ON") ? 0 : 1]->setChecked(true);
    RTUID->setText(idOf(fieldText));
    connect(OKButton, &QPushButton::clicked, this, &RtuDialog::programSettings);
    connect(CancelButton, &QPushButton::clicked, this, &RtuDialog::reject);
}

QString RtuDialog::idOf(const QString& fieldText) {
    const QString id = fieldText.mid(4, 2);
    return id.contains(u' ') ? id.left(1) : id;
}

// The switch goes out first, so a refused identifier still changes it.
void RtuDialog::programSettings() {
    if (send(OnOption[0]->isChecked() ? "rtu on" : "rtu off")) {
        pause();
        bool number = false;
        const int id = RTUID->text().toInt(&number);
        if (!number || id < 0 || id > 80)
            prompts_.message("The RTU ID must be a number between 0 and 80, inclusive.", "Error",
                             Prompts::Icon::Information);
        else
            send("rtu " + RTUID->text());
    }
    accept();
}
