#pragma once

#include <QString>
#include <span>

// The radio's parameters, as the whole program knows them: console keyword, main-window field,
// label, place, value prefix, who may change them and which firmware has them.
namespace Catalogue {

enum class ChangeRule { Never, Always, MasterOnly, NotAtMaster, MasterOrExtension, Dialog };
enum class Role { None, Master, Remote, Extension };

// The frame a field sits on: the "Information" frame or settings tab 1 to 6.
constexpr int InfoFrame = 0;

struct Parameter {
    const char* keyword; // empty for the extension map, which no read asks for
    const char* field;
    const char* labelName;
    const char* caption;
    int place;
    const char* prefix; // the reported text an edit removes from a typed answer
    ChangeRule rule;
    int minVersion; // lowest firmware version number that has it, 0 for all
    int maxVersion; // highest, 0 for no limit
    const char* tip;
};

std::span<const Parameter> all();
const Parameter* byKeyword(const QString& keyword);
const Parameter* byField(const QString& field);

// The text a field shows before any read.
QString startingText(const Parameter& parameter);
// The radio's role from the Mode field's text, compared whole and ignoring case.
Role roleOf(const QString& modeText);
// Whether the firmware of this version number has the parameter.
bool admits(const Parameter& parameter, int versionNumber);

// Captions of the six settings tabs.
QString tabCaption(int tab);

} // namespace Catalogue
