#include "XmapDialog.h"

#include "link/ConsoleText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int Addresses = 32;
} // namespace

XmapDialog::XmapDialog(Console& console, const std::optional<QString>& map, QWidget* parent)
    : OptionDialog(console, "frmXMAP", "XMAP Configuration", parent, false),
      map_(map.value_or(QString())) {
    Label1 = new QLabel("Choose the extension addresses that the remote will be allowed to "
                        "communicate with:",
                        this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    StatusLabel = new QLabel(map ? QString() : "The map could not be read from the radio.", this);
    StatusLabel->setObjectName("StatusLabel");
    StatusLabel->setVisible(!map);
    auto* boxes = new QGridLayout;
    for (int k = 0; k < Addresses; ++k) {
        auto* box = new QCheckBox(QString::number(k), this);
        box->setObjectName(QString("Check1_%1").arg(k));
        boxes->addWidget(box, k / 8, k % 8);
        Check1.append(box);
    }
    CurrentButton = button("CurrentButton", "Current");
    ProgramButton = button("ProgramButton", "Program Settings");
    CheckAllButton = button("CheckAllButton", "Check All");
    UnCheckAllButton = button("UnCheckAllButton", "Uncheck All");
    CloseButton = button("CloseButton", "Close");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(StatusLabel);
    layout->addLayout(boxes);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* each :
         {CurrentButton, CheckAllButton, UnCheckAllButton, ProgramButton, CloseButton})
        buttons->addWidget(each);
    layout->addLayout(buttons);

    connect(CurrentButton, &QPushButton::clicked, this, &XmapDialog::showCurrent);
    connect(ProgramButton, &QPushButton::clicked, this,
            [this] { act([this] { programSettings(); }); });
    connect(CheckAllButton, &QPushButton::clicked, this, [this] { checkAll(true); });
    connect(UnCheckAllButton, &QPushButton::clicked, this, [this] { checkAll(false); });
    connect(CloseButton, &QPushButton::clicked, this, &XmapDialog::reject);
    showCurrent();
}

// Box k is the bit text's character 32 - k; boxes the text does not reach keep their state.
void XmapDialog::showCurrent() {
    const QString bits = ConsoleText::hexToBits(map_);
    for (int k = 0; k < Addresses; ++k) {
        const qsizetype at = Addresses - 1 - k;
        if (at >= bits.size())
            continue;
        if (bits.at(at) == u'0')
            Check1[k]->setChecked(false);
        else if (bits.at(at) == u'1')
            Check1[k]->setChecked(true);
    }
}

void XmapDialog::checkAll(bool ticked) {
    for (QCheckBox* box : std::as_const(Check1))
        box->setChecked(ticked);
}

void XmapDialog::programSettings() {
    QString bits;
    for (int k = Addresses - 1; k >= 0; --k)
        bits += Check1[k]->isChecked() ? u'1' : u'0';
    if (send("xmap " + ConsoleText::bitsToHex(bits)) && programmed)
        programmed();
    accept();
}
