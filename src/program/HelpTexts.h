#pragma once

#include <QString>
#include <optional>

struct SharedState;

// The fixed explanation behind each parameter label.
struct HelpText {
    QString title;
    QString text;
};

// The help of a label, by the label's name; the Extension Address text follows the firmware
// version of the last read.
std::optional<HelpText> helpFor(const QString& labelName, const SharedState& state);
