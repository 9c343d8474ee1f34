#include "DtypeDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

DtypeDialog::DtypeDialog(Console& console, QWidget* parent)
    : OptionDialog(console, "frmDTYPEOptions", "Diagnostic Type Options", parent) {
    InfoLabel = new QLabel("Select the diagnostic type", this);
    InfoLabel->setObjectName("InfoLabel");
    NodeButton = button("NodeButton", "Node");
    RootButton = button("RootButton", "Root");
    CancelButton = button("CancelButton", "Cancel");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(InfoLabel);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* each : {NodeButton, RootButton, CancelButton})
        buttons->addWidget(each);
    layout->addLayout(buttons);
    for (auto [choice, command] : {std::pair{NodeButton, "dtype node"}, {RootButton, "dtype root"}})
        connect(choice, &QPushButton::clicked, this, [this, command = command] {
            act([this, command] {
                send(command);
                accept();
            });
        });
    connect(CancelButton, &QPushButton::clicked, this, &DtypeDialog::reject);
}
