#pragma once

#include "core/GatedDialog.h"
#include "core/Prompts.h"

#include <functional>

class ClickableLabel;
class Console;
class ParameterField;
class QLabel;
class QPushButton;
struct SharedState;

// The radio's bench-test mode: the fixed test receive and transmit frequencies, read and
// programmed, and the transmitter keyed and de-keyed by hand. The window does not block the
// main window, whose terminal stays in use. However it closes (Exit, Esc, the close box, the
// link ending, quitting), the transmitter is de-keyed and the radio leaves setup mode.
class SetupWindow : public GatedDialog {
    Q_OBJECT
public:
    // The main window's RSSI button, enabled in setup mode, and the text of its mode field.
    SetupWindow(Console& console, SharedState& state, Prompts& prompts, QPushButton& rssiButton,
                std::function<QString()> modeText, QWidget* parent);

    // Asks the user, then puts the radio into setup mode; true when the radio answered with
    // its setup prompt. Every other outcome has been told to the user. Throws SerialError.
    static bool enter(Console& console, SharedState& state, Prompts& prompts);

    // Opening: the de-keyed state, both frequencies read, the RSSI button enabled.
    void start();
    // Asks for a new frequency and programs it ("rx" or "tx").
    void programFrequency(const QString& keyword);
    // Key (true) or De-Key: only by the button that is enabled, and only on an open port.
    void setKeyed(bool keyed);

    // Runs when a command fails on the port.
    std::function<void()> onLinkFailure;

    ParameterField* RxFrequency;
    ParameterField* TxFrequency;
    ClickableLabel* RxLabel;
    ClickableLabel* TxLabel;
    QPushButton* Key;
    QPushButton* DKey;
    QLabel* Label1;
    QPushButton* ExitButton;

protected:
    // The orderly way out, whichever way the window closes: the RSSI button's rule, DKEY
    // (whoever keyed the transmitter, the window or the terminal) and "quit", a read of all
    // settings, and the setup-mode flag cleared.
    void closing(int result) override;

private:
    // Reads "rx" or "tx" into its field.
    void readFrequency(const QString& keyword);
    void program(const QString& keyword);
    ParameterField* fieldOf(const QString& keyword) const;
    // Exactly one of Key and De-Key is enabled.
    void showKeyed(bool keyed);
    void showHelp(const QString& keyword);
    void failed();

    Console& console_;
    SharedState& state_;
    Prompts prompts_;
    QPushButton& rssiButton_;
    std::function<QString()> modeText_;
};
