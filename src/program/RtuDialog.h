#pragma once

#include "OptionDialog.h"
#include "core/Prompts.h"

class QLineEdit;

// The software RTU: on or off, and its RTU identifier 0 to 80.
class RtuDialog : public SwitchDialog {
    Q_OBJECT
public:
    RtuDialog(Console& console, Prompts& prompts, const QString& fieldText, QWidget* parent);

    // The identifier as the field shows it: characters 5 and 6 ("RTU 15 (OFF)" gives 15),
    // only the first when they hold a blank.
    static QString idOf(const QString& fieldText);

    QLineEdit* RTUID;

public slots:
    void programSettings() override;

private:
    Prompts prompts_;
};
