#include "ConsoleText.h"

#include <QRegularExpression>
#include <algorithm>

namespace ConsoleText {

std::optional<QString> replyCut(const QString& buffer, const QString& word, bool setupMode) {
    const qsizetype p = buffer.indexOf(word, 0, Qt::CaseInsensitive);
    const qsizetype q = buffer.indexOf(setupMode ? QStringLiteral("SETUP>") : QStringLiteral(">"),
                                       0, Qt::CaseInsensitive);
    if (p < 0 || q < 0)
        return std::nullopt;
    // Zero-based start: after the word and its CR LF; length up to the CR LF before the prompt.
    const qsizetype start = p + word.size() + 2;
    const qsizetype length = q - start - 2;
    if (length < 0)
        return std::nullopt;
    return buffer.mid(start, length);
}

bool isRadioText(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c.unicode() >= 0x20 && c.unicode() <= 0x7e) || c == u'\r' || c == u'\n';
    });
}

bool isCleanReply(const QString& buffer, const QString& word, bool setupMode) {
    const std::optional<QString> reply = replyCut(buffer, word, setupMode);
    if (!reply)
        return false;
    const qsizetype start = buffer.indexOf(word, 0, Qt::CaseInsensitive) + word.size();
    const QLatin1String lineEnd("\r\n");
    return buffer.mid(start, 2) == lineEnd && buffer.mid(start + 2 + reply->size(), 2) == lineEnd &&
           isRadioText(*reply);
}

QString hexToBits(const QString& hex) {
    QString bits;
    for (const QChar c : hex) {
        bool ok = false;
        const int value = QString(c).toInt(&ok, 16);
        if (!ok)
            continue;
        for (int bit = 3; bit >= 0; --bit)
            bits += (value >> bit) & 1 ? u'1' : u'0';
    }
    return bits;
}

QString bitsToHex(const QString& bits) {
    QString hex;
    for (qsizetype i = 0; i + 4 <= bits.size(); i += 4) {
        int value = 0;
        bool valid = true;
        for (qsizetype j = i; j < i + 4; ++j) {
            if (bits[j] != u'0' && bits[j] != u'1')
                valid = false;
            value = value * 2 + (bits[j] == u'1' ? 1 : 0);
        }
        if (valid)
            hex += QString::number(value, 16).toUpper();
    }
    return hex;
}

std::optional<int> versionNumberOf(const QString& release) {
    if (release.size() < 5)
        return std::nullopt;
    const QString digits = QString(release[0]) + release[2] + release[4];
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    return digits.toInt();
}

std::optional<QString> rssiReadingOf(const QString& received) {
    // One line: the word, the value and the unit with no line end between them.
    static const QRegularExpression report(QStringLiteral("RSSI ([^\\r\\n]{0,4})[^\\r\\n]*dBm"));
    const QRegularExpressionMatch match = report.match(received);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

int rssiDbmOf(const QString& reading) {
    static const QRegularExpression number(QStringLiteral("^-?\\d+"));
    const QRegularExpressionMatch match = number.match(reading);
    return match.hasMatch() ? match.captured().toInt() : 0;
}

} // namespace ConsoleText
