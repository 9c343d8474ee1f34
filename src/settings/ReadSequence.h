#pragma once

#include <QString>
#include <optional>

class Console;
class RadioLink;
class SettingsFields;
struct LinkControls;
struct SharedState;
class QPushButton;

// Reads every setting of the radio into the main window, one exchange at a time, learning the
// firmware version, the setup mode, the login state and the radio's role on the way.
class ReadSequence {
public:
    ReadSequence(Console& console, RadioLink& link, SettingsFields& fields, LinkControls& controls,
                 SharedState& state, QPushButton& rssiButton, QPushButton& zoneDataButton);

    void run();

    // The status of a read that ended early: the radio fell silent, or answers too late or too
    // garbled to be of use.
    static QString stoppedAnswering() {
        return QStringLiteral("Status: The read was ended: the radio gave no answer to three "
                              "settings in a row, and the fields show what it said before. Check "
                              "the cable and the radio's power, then click Refresh.");
    }

    // Applies the field layout of a firmware version number; nothing means not known.
    void applyVersionLayout(std::optional<int> version);
    void applyRoleLayout();

private:
    enum class Gate { Always, From200, From300, From320, Below200, KnownFrom200, NotRemote };
    struct Step {
        const char* keyword;
        const char* field;
        Gate gate;
        bool pauseAfter;
    };
    static const Step Steps[];

    bool admits(Gate gate) const;
    void startSequence();
    enum class Heard { Answered, Never, Stopped };
    void sayWhetherTheRadioAnswered(Heard heard);
    // True when the radio answered in time.
    bool readOne(const Step& step);
    bool isWhole(const std::optional<QString>& value) const;
    void afterStep(const Step& step);
    void learnVersion();
    void loginProbe();
    void pause();
    bool stopped() const;

    Console& console_;
    RadioLink& link_;
    SettingsFields& fields_;
    LinkControls& controls_;
    SharedState& state_;
    QPushButton& rssiButton_;
    QPushButton& zoneDataButton_;
    std::optional<int> version_;
};
