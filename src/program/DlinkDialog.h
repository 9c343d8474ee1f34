#pragma once

#include "OptionDialog.h"

class QGroupBox;
class QLabel;

// The diagnostic link: on or off, and its baud rate.
class DlinkDialog : public OptionDialog {
    Q_OBJECT
public:
    DlinkDialog(Console& console, const QString& fieldText, QWidget* parent);

    static const QStringList Rates;

    QLabel* InfoLabel;
    QList<QRadioButton*> OnOption; // 0 enabled, 1 disabled
    QGroupBox* BaudFrame;
    QList<QRadioButton*> BaudRate;
    QPushButton* OKButton;
    QPushButton* CancelButton;

public slots:
    void programSettings();
};
