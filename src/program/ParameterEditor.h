#pragma once

#include "link/Console.h"

#include <QString>
#include <optional>

class OptionDialog;
class QLabel;
class QWidget;
class Prompts;
class SettingsFields;
struct SharedState;
struct InputMember;
struct ToggleMember;

// Changes one parameter when its field is clicked: asks for the new value, sends the set
// command, waits briefly for the radio, and asks for a read so the field shows what the radio
// holds; the main window's status panel says what the radio answered. Also fetches the alarm
// listing and the Show Sync value, and opens the dialogs of the diagnostic options and the
// extension map.
class ParameterEditor {
public:
    ParameterEditor(Console& console, SettingsFields& fields, SharedState& state, Prompts& prompts,
                    QLabel& statusPanel, QWidget* window)
        : console_(console), fields_(fields), state_(state), prompts_(prompts),
          statusPanel_(statusPanel), window_(window) {}

    // The click on a field; an exchange already waiting on the radio holds it until it ends.
    void edit(const QString& field);

    // The answer as sent after the keyword: the prefix removed, and the member's own rules.
    static QString commandFor(const QString& field, QString answer);
    static QString extensionAddressPrompt(const SharedState& state);
    // The map cut from the buffer an "xmap" exchange left: after the echo line and the five
    // characters "XMAP ", up to the line end before the prompt that follows; nothing without
    // echo or prompt.
    static std::optional<QString> extensionMapOf(const QString& buffer);
    // What became of an edit, for the status panel: the setting's name, the radio's verdict
    // and its own words before the prompt (empty when none could be cut).
    static QString outcomeOf(const QString& name, Console::Verdict verdict, const QString& answer);

private:
    void editNow(const QString& field);
    void editByInput(const InputMember& member);
    void editByToggle(const ToggleMember& member);
    void editLowPowerMode();
    void editDeviceType();
    void listAlarms();
    void refreshShowSync();
    void openOptionDialog(const QString& field);
    std::optional<QString> readExtensionMap();
    // Opens a dialog over the main window, reporting a link failure the usual way.
    void showDialog(OptionDialog* dialog);
    bool guardPasses(int guard) const;
    // False, after telling the user, when the port is closed.
    bool portOpenOrSay();
    // Sends a set command and waits for the radio's confirmation; then asks for a read and
    // tells the user what the radio answered.
    void program(const QString& field, const QString& command, bool promptAlone = false);
    Console::Verdict writeAwaitingPrompt(const QString& command);
    void tellOutcome(const QString& field, const QString& command, Console::Verdict verdict);

    Console& console_;
    SettingsFields& fields_;
    SharedState& state_;
    Prompts& prompts_;
    QLabel& statusPanel_;
    QWidget* window_;
};
