#pragma once

#include <QList>
#include <QString>
#include <array>
#include <optional>

// The radio's answers that the zone screens read: the 24 counter lines of "ZONE DATA" and the
// skipped-zones line of "skip". Every cut is checked; nothing here trusts the radio's text.
namespace ZoneReply {

constexpr int Zones = 8;
// A whole reply with its echo and prompt is at least this long.
constexpr int CompleteLength = 516;

// The counter lines by name, as they follow the zone digit and colon.
enum Counter { Transmitted, Received, Errors };
QString nameOf(Counter counter);

// One zone's counters, indexed by Counter.
using Counts = std::array<qint64, 3>;

// Long enough and ending with zone 8's error line: worth reading.
bool looksComplete(const QString& buffer);

// The asked-for counters of all eight zones, or nothing when any is missing or cut short. Each
// counter comes from its own zone's line ("3:RX TOTAL", one separator, eight characters that
// hold no line end), so the tail of an older reply never lends one zone another's value.
std::optional<std::array<Counts, Zones>> read(const QString& buffer,
                                              const QList<Counter>& counters);

// The whole part of a counter's text: blanks are ignored, anything that is not a number
// counts as 0.
qint64 valueOf(const QString& text);

// The zones (1 to 8) the "SKIP" line names; empty for "SKIP NONE"; nothing when no whole
// "SKIP" line follows the echo yet. The list is read as the radio writes it: one digit, then
// one after each comma.
std::optional<QList<int>> skippedZones(const QString& buffer);

} // namespace ZoneReply
