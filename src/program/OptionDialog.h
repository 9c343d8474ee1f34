#pragma once

#include <QDialog>
#include <functional>

class Console;
class QPushButton;
class QRadioButton;

// The common ground of the option dialogs: commands go straight to the radio (the settings
// read that follows the dialog shows the result), and for the diagnostic options a carriage
// return goes out whenever the dialog closes, however it closes.
class OptionDialog : public QDialog {
    Q_OBJECT
public:
    OptionDialog(Console& console, const char* name, const QString& caption, QWidget* parent,
                 bool returnOnClose = true);

    // Reports a port that failed while the dialog talked to the radio.
    std::function<void()> onLinkFailure;

public slots:
    void done(int result) override;

protected:
    // Sends a command line; false when the port failed (and that was reported).
    bool send(const QString& command);
    void pause();
    // The two exclusive options "...Enabled" and "...Disabled", named name_0 and name_1.
    QList<QRadioButton*> onOffOptions(const QString& name, const QString& what);
    QPushButton* button(const char* name, const QString& caption);

    Console& console_;

private:
    bool closed_;
};
