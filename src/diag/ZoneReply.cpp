#include "ZoneReply.h"

#include <QRegularExpression>
#include <algorithm>

namespace ZoneReply {

namespace {
// The value starts one separator after the eight-letter counter name.
constexpr int ValueOffset = 9;
constexpr int ValueLength = 8;

bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}
} // namespace

QString nameOf(Counter counter) {
    switch (counter) {
    case Transmitted:
        return QStringLiteral("TX TOTAL");
    case Received:
        return QStringLiteral("RX TOTAL");
    case Errors:
        break;
    }
    return QStringLiteral("RX ERROR");
}

bool looksComplete(const QString& buffer) {
    return buffer.size() >= CompleteLength && buffer.contains(QStringLiteral("8:RX ERROR"));
}

qint64 valueOf(const QString& text) {
    QString compact = text;
    compact.remove(u' ').remove(u'\t');
    static const QRegularExpression number(QStringLiteral("^[+-]?\\d{1,15}"));
    const QRegularExpressionMatch match = number.match(compact);
    return match.hasMatch() ? match.captured().toLongLong() : 0;
}

std::optional<std::array<Counts, Zones>> read(const QString& buffer,
                                              const QList<Counter>& counters) {
    std::array<Counts, Zones> all{};
    for (int zone = 1; zone <= Zones; ++zone) {
        const QString start = QString::number(zone) + u':';
        qsizetype from = buffer.indexOf(start);
        if (from < 0)
            return std::nullopt;
        for (const Counter counter : counters) {
            const qsizetype at = buffer.indexOf(start + nameOf(counter), from);
            if (at < 0)
                return std::nullopt;
            const QString value = buffer.mid(at + start.size() + ValueOffset, ValueLength);
            if (value.size() < ValueLength || std::any_of(value.begin(), value.end(), isLineEnd))
                return std::nullopt;
            all[zone - 1][counter] = valueOf(value);
            from = at;
        }
    }
    return all;
}

std::optional<QList<int>> skippedZones(const QString& buffer) {
    // Looked for past the echo of "skip", which the buffer's first characters hold.
    const qsizetype at = buffer.indexOf(QStringLiteral("SKIP"), 4);
    if (at < 0)
        return std::nullopt;
    const qsizetype end =
        std::find_if(buffer.begin() + at, buffer.end(), isLineEnd) - buffer.begin();
    if (end >= buffer.size())
        return std::nullopt;
    const QString line = buffer.mid(at, end - at);
    QList<int> zones;
    if (line.contains(QStringLiteral("NONE")))
        return zones;
    qsizetype next = line.indexOf(u' ');
    while (next >= 0 && next + 1 < line.size()) {
        const QChar digit = line.at(next + 1);
        if (digit >= u'1' && digit <= u'8' && !zones.contains(digit.digitValue()))
            zones << digit.digitValue();
        next = line.indexOf(u',', next + 1);
    }
    return zones;
}

} // namespace ZoneReply
