#pragma once

#include <QString>

class Console;
class Prompts;
class SettingsFields;
struct SharedState;
struct InputMember;
struct ToggleMember;

// Changes one parameter when its field is clicked: asks for the new value, sends the set
// command, waits briefly for the radio, and asks for a read so the field shows what the radio
// holds. Also fetches the alarm listing and the Show Sync value.
class ParameterEditor {
public:
    ParameterEditor(Console& console, SettingsFields& fields, SharedState& state, Prompts& prompts)
        : console_(console), fields_(fields), state_(state), prompts_(prompts) {}

    // The click on a field; an exchange already waiting on the radio holds it until it ends.
    void edit(const QString& field);

    // The answer as sent after the keyword: the prefix removed, and the member's own rules.
    static QString commandFor(const QString& field, QString answer);
    static QString extensionAddressPrompt(const SharedState& state);

private:
    void editNow(const QString& field);
    void editByInput(const InputMember& member);
    void editByToggle(const ToggleMember& member);
    void editLowPowerMode();
    void editDeviceType();
    void listAlarms();
    void refreshShowSync();
    bool guardPasses(int guard) const;
    // False, after telling the user, when the port is closed.
    bool portOpenOrSay();
    // Sends a set command and waits for the radio's confirmation; then asks for a read.
    void program(const QString& command, bool promptAlone = false);

    Console& console_;
    SettingsFields& fields_;
    SharedState& state_;
    Prompts& prompts_;
};
