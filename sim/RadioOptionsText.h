#pragma once

#include "RadioConsole.h"

#include <QString>
#include <optional>

class QCommandLineParser;
class QSettings;

// The simulated radio's options in words: as ardentix-radio-sim takes them on its command line,
// and as the program's built-in radio takes them from its settings ("--firmware 3.1.0 --mode R").
namespace RadioOptionsText {

// A release is five characters, X.Y.Z, each a digit or a pre-release letter.
bool isRelease(const QString& text);

// The radio's own options, added to a parser: firmware, mode, password, setup, loader,
// latency, store-latency, silent, noise, cut.
void addTo(QCommandLineParser& parser);
// What the parser was given, or nothing, with why, when a value is wrong.
std::optional<RadioOptions> from(const QCommandLineParser& parser, QString& error);
// The same from one line of options.
std::optional<RadioOptions> fromText(const QString& text, QString& error);
// The programs' built-in radio: the options of the settings key Simulator/Options ("--mode R
// --password ab12"); each option that is wrong is said on standard error and left out, the
// others kept.
RadioOptions builtInOptions(QSettings& settings);

} // namespace RadioOptionsText
