#pragma once

#include "core/Prompts.h"

#include <QDialog>
#include <functional>

class LinkGate;
class QComboBox;
class QPushButton;
class QSettings;
class SerialPort;

// The serial port to use, chosen from the ports that exist. Building the list never touches
// the open port; changing the port of an open connection ends that connection first, once the
// link is free.
class PropertiesDialog : public QDialog {
    Q_OBJECT
public:
    PropertiesDialog(SerialPort& port, Prompts& prompts, QSettings& settings,
                     const QStringList& systemPorts, LinkGate& gate, QWidget* parent);

    QComboBox* cboPort;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // Ends the open connection before its port changes.
    std::function<void()> endConnection;
    // Set by OK: the menu action that opened the dialog acts on it.
    bool portChanged = false;

public slots:
    void onOK();
    void reject() override;

private:
    // False, after telling the user, when the port refuses the number.
    bool changePort(int number);

    SerialPort& port_;
    Prompts prompts_;
    QSettings& settings_;
};
