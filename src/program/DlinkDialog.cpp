#include "DlinkDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

const QStringList DlinkDialog::Rates = {"1200",  "2400",  "4800",  "9600",
                                        "19200", "38400", "57600", "115200"};

DlinkDialog::DlinkDialog(Console& console, const QString& fieldText, QWidget* parent)
    : OptionDialog(console, "frmDLINKOptions", "Diagnostic Link Options", parent) {
    InfoLabel = new QLabel("Select the baud rate for the diagnostic link,\nand select if the "
                           "diagnostic link should be enabled.",
                           this);
    InfoLabel->setObjectName("InfoLabel");
    OnOption = onOffOptions("OnOption", "Diagnostic Link");
    BaudFrame = new QGroupBox("Baud Rate", this);
    BaudFrame->setObjectName("BaudFrame");
    auto* rates = new QGridLayout(BaudFrame);
    auto* group = new QButtonGroup(this);
    for (const QString& rate : Rates) {
        auto* option = new QRadioButton(rate, BaudFrame);
        option->setObjectName(QString("BaudRate_%1").arg(BaudRate.size()));
        group->addButton(option);
        rates->addWidget(option, int(BaudRate.size() % 4), int(BaudRate.size() / 4));
        BaudRate.append(option);
    }
    OKButton = button("OKButton", "Program Settings");
    OKButton->setDefault(true);
    CancelButton = button("CancelButton", "Cancel");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(InfoLabel);
    layout->addWidget(OnOption[0]);
    layout->addWidget(OnOption[1]);
    layout->addWidget(BaudFrame);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);

    // "ON" in exactly this case; the first rate the text holds, in the order of the list.
    OnOption[fieldText.contains("ON") ? 0 : 1]->setChecked(true);
    for (int i = 0; i < Rates.size(); ++i) {
        if (fieldText.contains(Rates[i])) {
            BaudRate[i]->setChecked(true);
            break;
        }
    }
    connect(OKButton, &QPushButton::clicked, this, &DlinkDialog::programSettings);
    connect(CancelButton, &QPushButton::clicked, this, &DlinkDialog::reject);
}

void DlinkDialog::programSettings() {
    if (send(OnOption[0]->isChecked() ? "dlink on" : "dlink off")) {
        pause();
        for (int i = 0; i < BaudRate.size(); ++i)
            if (BaudRate[i]->isChecked())
                send("dlink " + Rates[i]);
    }
    accept();
}
