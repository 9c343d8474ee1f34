#pragma once

#include "OptionDialog.h"

class QGroupBox;

// The diagnostic link: on or off, and its baud rate.
class DlinkDialog : public SwitchDialog {
    Q_OBJECT
public:
    DlinkDialog(Console& console, const QString& fieldText, QWidget* parent);

    static const QStringList Rates;

    QGroupBox* BaudFrame;
    QList<QRadioButton*> BaudRate;

public slots:
    void programSettings() override;
};
