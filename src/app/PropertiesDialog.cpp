#include "PropertiesDialog.h"

#include "core/DialogParts.h"
#include "core/LinkGate.h"
#include "core/Prompts.h"
#include "link/PortNames.h"
#include "link/SerialPort.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>

PropertiesDialog::PropertiesDialog(SerialPort& port, Prompts& prompts, QSettings& settings,
                                   const QStringList& systemPorts, LinkGate& gate, QWidget* parent)
    : QDialog(parent), port_(port), prompts_(prompts.askedBy(this)), settings_(settings) {
    setObjectName("frmProperties");
    setWindowTitle("Setup");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QLabel("Please select the Com Port you would like to use for diagnostic "
                            "communication with the Ardentix radio:",
                            this);
    text->setWordWrap(true);
    cboPort = new QComboBox(this);
    cboPort->setObjectName("cboPort");
    auto* portLabel = new QLabel("Port:", this);
    portLabel->setBuddy(cboPort);
    cmdOK = DialogParts::button(this, "cmdOK", "OK");
    cmdOK->setDefault(true);
    cmdCancel = DialogParts::button(this, "cmdCancel", "Cancel");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    auto* row = new QHBoxLayout;
    row->addWidget(portLabel);
    row->addWidget(cboPort, 1);
    layout->addLayout(row);
    layout->addLayout(DialogParts::buttonRow({cmdOK, cmdCancel}));
    resize(420, sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // A newly plugged adapter gets its number now, so that it can be chosen.
    PortNames::numberAdapters(settings_, PortNames::systemAdapters());
    for (const PortNames::Port& each : PortNames::availablePorts(settings_, systemPorts)) {
        cboPort->addItem(PortNames::describe(each), each.number);
        if (each.number == port_.portNumber())
            cboPort->setCurrentIndex(cboPort->count() - 1);
    }
    if (cboPort->findData(port_.portNumber()) < 0)
        cboPort->setCurrentIndex(-1);
    connect(cmdOK, &QPushButton::clicked, this, [this, &gate] {
        gate.request(QStringLiteral("properties"), this, [this] { onOK(); });
    });
    connect(cmdCancel, &QPushButton::clicked, this, &PropertiesDialog::reject);
}

void PropertiesDialog::onOK() {
    if (cboPort->currentIndex() < 0) {
        reject();
        return;
    }
    const int chosen = cboPort->currentData().toInt();
    if (chosen != port_.portNumber()) {
        if (port_.isOpen()) {
            const auto answer = prompts_.message(
                "Warning: The COM port is already open. Changing the COM port will close the "
                "current session,\rpossibly interupting a connection with a radio.\r\rDo you "
                "wish to continue and switch COM ports?",
                "Warning", Prompts::Icon::Exclamation, Prompts::Buttons::YesNo);
            if (answer != Prompts::Yes) {
                reject();
                return;
            }
            if (endConnection)
                endConnection();
        }
        if (!changePort(chosen))
            return;
    }
    settings_.setValue("Properties/CommPort", QString::number(port_.portNumber()));
    portChanged = true;
    accept();
}

// A number the port refuses leaves it on the old one.
bool PropertiesDialog::changePort(int number) {
    try {
        port_.setPortNumber(number);
        return true;
    } catch (const SerialError& error) {
        prompts_.message(error.text(), "Setup", Prompts::Icon::Exclamation);
        return false;
    }
}

void PropertiesDialog::reject() {
    portChanged = false;
    QDialog::reject();
}
