#pragma once

#include <QString>
#include <optional>

// Pure text rules of the radio console.
namespace ConsoleText {

// The value of a query: everything after the echoed word and its CR LF, up to the CR LF
// before the first prompt. Nothing when the word is absent or the reply is too short to cut.
std::optional<QString> replyCut(const QString& buffer, const QString& word, bool setupMode);

// A radio of this family sends printable ASCII, CR and LF and nothing else: a reply (or a file
// line taken from one) that holds any other character was garbled on the way, and is no value
// to save, program or print.
bool isRadioText(QStringView text);
// The cut of a reply as a radio frames it: radio text, with the CR LF after the echoed word and
// before the prompt where the cut skips them. A stray character there would slip past the cut
// and leave a line break in the value.
bool isCleanReply(const QString& buffer, const QString& word, bool setupMode);

// The firmware version number of a five-character release text ("3.2.0" gives 320), or
// nothing when its characters 1, 3 and 5 are not digits.
std::optional<int> versionNumberOf(const QString& release);

// The reading of the first whole signal-strength report line in the text ("RSSI -105 dBm"):
// the four characters after "RSSI ", exact case; nothing while no line is whole.
std::optional<QString> rssiReadingOf(const QString& received);
// The number a reading starts with, in dBm; 0 when it starts with none.
int rssiDbmOf(const QString& reading);

// Each hexadecimal digit as four bit characters, most significant first; others skipped.
QString hexToBits(const QString& hex);
// Each whole group of four bit characters as one upper-case hexadecimal digit.
QString bitsToHex(const QString& bits);

} // namespace ConsoleText
