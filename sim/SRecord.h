#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Motorola S-record firmware images as the radio's loader takes them.
namespace SRecord {

// A firmware image of the release ("3.3.0") of about size bytes of text: an S0 header naming
// the part number and the release, S2 data records, an S8 termination record; CR LF line ends.
QByteArray makeFirmware(const QString& release, int size);

// One record line (without its line end): checked for its type, its count and its checksum.
struct Record {
    char type;       // '0' to '9'
    QByteArray data; // the data bytes, address excluded
};
std::optional<Record> parse(const QByteArray& line);

// The release named by an S0 header's data: the five characters after the part number and
// four more bytes ("08-2727" + 4 bytes + "3.3.0").
QString releaseOf(const Record& header);

} // namespace SRecord
