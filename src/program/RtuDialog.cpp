#include "RtuDialog.h"

#include "core/Prompts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

RtuDialog::RtuDialog(Console& console, Prompts& prompts, const QString& fieldText, QWidget* parent)
    : SwitchDialog(console, "frmRTUOptions", "Software RTU Options",
                   "Select if software RTU should be enabled,\nand what RTU id should be used.",
                   "Software RTU", fieldText, parent),
      prompts_(prompts.askedBy(this)) {
    auto* idLabel = new QLabel("Enter the RTU ID (0 - 80):", this);
    RTUID = new QLineEdit(idOf(fieldText), this);
    RTUID->setObjectName("RTUID");
    RTUID->setMaxLength(2);
    idLabel->setBuddy(RTUID);
    auto* value = new QHBoxLayout;
    value->addWidget(idLabel);
    value->addWidget(RTUID);
    layOut(value);
}

QString RtuDialog::idOf(const QString& fieldText) {
    const QString id = fieldText.mid(4, 2);
    return id.contains(u' ') ? id.left(1) : id;
}

// The switch goes out first, so a refused identifier still changes it.
void RtuDialog::programSettings() {
    if (sendSwitch("rtu")) {
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
