#pragma once

#include "core/GatedDialog.h"
#include "core/Prompts.h"

#include <QList>

class QLineEdit;
class QPushButton;
class QRadioButton;
class RadioAccess;

// Sets or removes the radio's customer password. Not modal; the console's echo is off while it
// is open.
class PasswordDialog : public GatedDialog {
    Q_OBJECT
public:
    PasswordDialog(RadioAccess& access, QWidget* parent);

    QList<QRadioButton*> PassRadio; // 0 "Use a password:", 1 "Do not use a radio password."
    QLineEdit* Pass1;
    QLineEdit* Pass2;
    QPushButton* OKButton;
    QPushButton* CancelButton;

public slots:
    void onOK();

protected:
    // However it closes, the echo comes back on.
    void closing(int result) override;

private:
    void choose(bool usePassword);
    void removePassword();
    void setPassword();

    RadioAccess& access_;
    Prompts prompts_;
};
