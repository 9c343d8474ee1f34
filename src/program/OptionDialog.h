#pragma once

#include "core/GatedDialog.h"

#include <functional>

class Console;
class QPushButton;
class QRadioButton;

// The common ground of the option dialogs: commands go straight to the radio (the settings
// read that follows the dialog shows the result), and for the diagnostic options a carriage
// return goes out whenever the dialog closes, however it closes.
class OptionDialog : public GatedDialog {
    Q_OBJECT
public:
    OptionDialog(Console& console, const char* name, const QString& caption, QWidget* parent,
                 bool returnOnClose = true);

    // Reports a port that failed while the dialog talked to the radio.
    std::function<void()> onLinkFailure;

protected:
    // A button's commands, as the dialog's action on the link.
    void act(const std::function<void()>& commands);
    // Sends a command line; false when the port failed (and that was reported).
    bool send(const QString& command);
    void pause();
    QPushButton* button(const char* name, const QString& caption);
    void closing(int result) override;

    Console& console_;

private:
    bool returnOnClose_;
};

class QLabel;
class QLayout;

// An option dialog that switches a diagnostic option on or off ("ON" in the field's text, in
// exactly this case, preselects on) and sets one more value of it.
class SwitchDialog : public OptionDialog {
    Q_OBJECT
public:
    QLabel* InfoLabel;
    QList<QRadioButton*> OnOption; // 0 enabled, 1 disabled
    QPushButton* OKButton;
    QPushButton* CancelButton;

public slots:
    virtual void programSettings() = 0;

protected:
    SwitchDialog(Console& console, const char* name, const QString& caption, const QString& info,
                 const QString& what, const QString& fieldText, QWidget* parent);
    // The switch, the value's controls below it, and the buttons.
    void layOut(QLayout* value);
    // Sends "keyword on" or "keyword off" and pauses; false when the port failed.
    bool sendSwitch(const QString& keyword);
};
