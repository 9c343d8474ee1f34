#pragma once

#include "core/GatedDialog.h"
#include "core/Prompts.h"

class QLabel;
class QLineEdit;
class QPushButton;
class RadioAccess;

// The login dialog: a radio password, or (in code mode) the network's encryption code. The
// console's echo is off while it is open, so that what is typed never shows.
class LoginDialog : public GatedDialog {
    Q_OBJECT
public:
    enum class Mode { Password, Code };
    LoginDialog(Mode mode, RadioAccess& access, QWidget* parent);

    Mode mode() const { return mode_; }
    // A password the radio did not judge in time.
    static QString noAnswer() {
        return QStringLiteral("The radio did not answer the password. Check the cable and the "
                              "radio's power, then try again.");
    }

    QLabel* InfoLabel;
    QLabel* Label;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* NoneButton;

public slots:
    void onOK();
    void onUseNone();

protected:
    // Cancel, Esc, the close box and the link's end: the echo comes back on.
    void closing(int result) override;

private:
    void logIn();
    void enterCode();
    // The entry is kept, selected, for another try.
    void tryAgain(const QString& message);
    // Shows the acceptance, turns the echo back on and closes.
    void finish(const QString& banner);

    Mode mode_;
    RadioAccess& access_;
    Prompts prompts_;
};
