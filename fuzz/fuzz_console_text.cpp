// The console's text rules on any received text: the reply cut for a word (the first part of
// the input), the hexadecimal and bit conversions, the release number and the signal reading.
#include "FuzzInput.h"
#include "link/ConsoleText.h"

namespace {

// The hexadecimal digits of a text, upper case: what a round trip through bits keeps.
QString hexDigitsOf(const QString& text) {
    QString digits;
    for (const QChar c : text)
        if ((c >= u'0' && c <= u'9') || (c.toUpper() >= u'A' && c.toUpper() <= u'F'))
            digits += c.toUpper();
    return digits;
}

void checkConversions(const QString& text) {
    const QString bits = ConsoleText::hexToBits(text);
    FuzzInput::require(bits.size() % 4 == 0);
    FuzzInput::require(ConsoleText::bitsToHex(bits) == hexDigitsOf(text));
    const QString hex = ConsoleText::bitsToHex(text);
    FuzzInput::require(hex.size() <= text.size() / 4);
    FuzzInput::require(ConsoleText::bitsToHex(ConsoleText::hexToBits(hex)) == hex);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input = FuzzInput::text(data, size);
    const qsizetype split = input.indexOf(QChar(0));
    const QString word = split < 0 ? QStringLiteral("unit") : input.left(split);
    const QString buffer = input.mid(split + 1);
    for (const bool setup : {false, true})
        if (const auto cut = ConsoleText::replyCut(buffer, word, setup))
            FuzzInput::require(cut->size() <= buffer.size());
    checkConversions(buffer);
    if (const auto number = ConsoleText::versionNumberOf(buffer))
        FuzzInput::require(*number >= 0 && *number <= 999);
    if (const auto reading = ConsoleText::rssiReadingOf(buffer)) {
        FuzzInput::require(reading->size() <= 4);
        ConsoleText::rssiDbmOf(*reading);
    }
    ConsoleText::rssiDbmOf(buffer);
    return 0;
}
