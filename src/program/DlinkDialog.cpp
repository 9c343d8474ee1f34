#include "DlinkDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

const QStringList DlinkDialog::Rates = {"1200",  "2400",  "4800",  "9600",
                                        "19200", "38400", "57600", "115200"};

DlinkDialog::DlinkDialog(Console& console, const QString& fieldText, QWidget* parent)
    : SwitchDialog(console, "frmDLINKOptions", "Diagnostic Link Options",
                   "Select the baud rate for the diagnostic link,\nand select if the diagnostic "
                   "link should be enabled.",
                   "Diagnostic Link", fieldText, parent) {
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
    // The first rate the field's text holds, in the order of the list; none when it holds none.
    for (int i = 0; i < Rates.size(); ++i) {
        if (fieldText.contains(Rates[i])) {
            BaudRate[i]->setChecked(true);
            break;
        }
    }
    auto* value = new QVBoxLayout;
    value->addWidget(BaudFrame);
    layOut(value);
}

void DlinkDialog::programSettings() {
    if (sendSwitch("dlink"))
        for (int i = 0; i < BaudRate.size(); ++i)
            if (BaudRate[i]->isChecked())
                send("dlink " + Rates[i]);
    accept();
}
