#pragma once

#include "OptionDialog.h"

class QLabel;
class QLineEdit;
class Prompts;

// The software RTU: on or off, and its RTU identifier 0 to 80.
class RtuDialog : public OptionDialog {
    Q_OBJECT
public:
    RtuDialog(Console& console, Prompts& prompts, const QString& fieldText, QWidget* parent);

    // The identifier as the field shows it: characters 5 and 6 ("RTU 15 (OFF)" gives 15),
    // only the first when they hold a blank.
    static QString idOf(const QString& fieldText);

    QLabel* InfoLabel;
    QList<QRadioButton*> OnOption; // 0 enabled, 1 disabled
    QLineEdit* RTUID;
    QPushButton* OKButton;
    QPushButton* CancelButton;

public slots:
    void programSettings();

private:
    Prompts& prompts_;
};
