#include "SRecord.h"

#include <cctype>

namespace SRecord {

namespace {

// Address lengths in bytes by record type.
int addressBytes(char type) {
    switch (type) {
    case '0':
    case '1':
    case '5':
    case '9':
        return 2;
    case '2':
    case '6':
    case '8':
        return 3;
    case '3':
    case '7':
        return 4;
    default:
        return -1;
    }
}

QByteArray record(char type, quint32 address, const QByteArray& data) {
    const int addressLength = addressBytes(type);
    QByteArray body;
    for (int i = addressLength - 1; i >= 0; --i)
        body += char((address >> (8 * i)) & 0xff);
    body += data;
    const int count = int(body.size()) + 1;
    int sum = count;
    for (const char byte : body)
        sum += uchar(byte);
    body.prepend(char(count));
    body += char(~sum & 0xff);
    return "S" + QByteArray(1, type) + body.toHex().toUpper() + "\r\n";
}

} // namespace

QByteArray makeFirmware(const QString& release, int size) {
    QByteArray image = record('0', 0, "08-2727" + QByteArray("A01 ") + release.toLatin1().left(5));
    constexpr int Chunk = 32;
    quint32 address = 0;
    while (image.size() < size) {
        QByteArray data;
        for (int i = 0; i < Chunk; ++i)
            data += char((address + i) * 37 & 0xff);
        image += record('2', address, data);
        address += Chunk;
    }
    image += record('8', 0, QByteArray());
    return image;
}

std::optional<Record> parse(const QByteArray& line) {
    if (line.size() < 4 || (line[0] != 'S' && line[0] != 's'))
        return std::nullopt;
    const char type = line[1];
    const int addressLength = addressBytes(type);
    const QByteArray hex = line.mid(2);
    if (addressLength < 0 || hex.size() % 2 != 0)
        return std::nullopt;
    for (const char c : hex)
        if (!std::isxdigit(uchar(c)))
            return std::nullopt;
    const QByteArray bytes = QByteArray::fromHex(hex);
    const int count = uchar(bytes[0]);
    if (count != bytes.size() - 1 || count < addressLength + 1)
        return std::nullopt;
    int sum = 0;
    for (qsizetype i = 0; i < bytes.size() - 1; ++i)
        sum += uchar(bytes[i]);
    if ((~sum & 0xff) != uchar(bytes.back()))
        return std::nullopt;
    return Record{type, bytes.mid(1 + addressLength, count - addressLength - 1)};
}

QString releaseOf(const Record& header) {
    return QString::fromLatin1(header.data.mid(11, 5));
}

} // namespace SRecord
