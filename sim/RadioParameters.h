#pragma once

#include <QString>
#include <optional>

// The radio's own rules for its parameters: which firmware has them, how they are reported,
// and which written values it accepts.
namespace RadioParameters {

struct Parameter {
    const char* keyword;
    const char* prefix;  // reported before the value ("PWR ")
    const char* initial; // factory value
    int minVersion;      // lowest firmware version number that has it, 0 for all
    int maxVersion;      // highest, 0 for no limit
    bool writable;
};

const Parameter* find(const QString& keyword);
const Parameter* begin();
const Parameter* end();

// The value as the radio stores it, or nothing when the radio refuses it.
std::optional<QString> accept(const QString& keyword, const QString& value, int version,
                              const QString& current);

} // namespace RadioParameters
