#include "ConfigFormat.h"

#include "link/ConsoleText.h"

#include <algorithm>
#include <iterator>

namespace ConfigFormat {

namespace {

using enum Access;

const Row Rows[] = {
    {"unit", "Unit Address", "UnitAddr", "NewUnitAddr", "UnitCheck", 1, 0, 0, Any, false},
    {"own", "Owner's Name", "OwnerName", "NewOwnerName", "OwnCheck", 1, 0, 0, Any, false},
    {"owm", "Owner's Msg.", "OwnerMessage", "NewOwnerMessage", "OwmCheck", 1, 0, 0, Any, false},
    {"mode", "Radio Mode", "Mode", "NewMode", "ModeCheck", 2, 0, 0, Any, false},
    {"pwr", "Power Level", "PowerLevel", "NewPowerLevel", "PowerCheck", 2, 0, 0, Any, false},
    {"baud", "Data Baud Rate", "BaudRate", "NewBaudRate", "DataBaudCheck", 2, 0, 0, Any, false},
    {"port", "Port", "Port", "NewPort", "PortCheck", 2, 0, 0, Any, false},
    {"device", "Device Type", "DeviceType", "NewDeviceType", "DevCheck", 2, 0, 0, Any, false},
    {"amask", "Alarm Mask", "AlarmMask", "NewAlarmMask", "AlarmMaskCheck", 2, 0, 0, Any, false},
    {"asense", "Alarm Sense", "AlarmSense", "NewAlarmSense", "AlrsCheck", 2, 0, 0, Any, false},
    {"cts", "CTS Delay", "CTSdelay", "NewCTSdelay", "CTSDelayCheck", 3, 0, 0, Any, false},
    {"ctshold", "CTSHOLD Delay", "CTSHOLDdelay", "NewCTSHOLDdelay", "CTSHoldCheck", 3, 0, 0, Any,
     false},
    {"rxtot", "Rx. Time Out Timer", "RxTimeOut", "NewRxTimeOut", "RxtoCheck", 3, 0, 0, Any, true},
    {"rxd", "Rx. Data Holdover", "RXD", "NewRXD", "RXDCheck", 3, 300, 0, Any, false},
    {"sleep", "Sleep Mode", "SleepMode", "NewSleepMode", "SleepCheck", 3, 0, 0, NotAtMaster, false},
    {"lpmhold", "Low Power Mode HOLD", "LPMHOLD", "NewLPMHOLD", "LPMHOLDCheck", 3, 320, 0, Any,
     false},
    {"addr", "Network Address", "NetworkAddress", "NewNetworkAddress", "NetAddrCheck", 4, 0, 0, Any,
     false},
    {"csaddr", "Clock Sync Address", "CSADDR", "NewCSADDR", "CSADDRCheck", 4, 300, 0, MasterOnly,
     true},
    {"hoptime", "Hop Time", "HopTime", "NewHopTime", "HopCheck", 4, 0, 0, MasterOnly, true},
    {"skip", "Skipped Zones", "SkippedZones", "NewSkippedZones", "SkipCheck", 4, 0, 0, MasterOnly,
     true},
    {"lpm", "Low Power Mode", "LPM", "NewLPM", "LPMCheck", 4, 320, 0, MasterOnly, true},
    {"repeat", "Repeat Count", "RepeatCount", "NewRepeatCount", "RptctCheck", 5, 0, 0, MasterOnly,
     true},
    {"retry", "Retry Count", "RetryCount", "NewRetryCount", "RetryCheck", 5, 0, 0, MasterOnly,
     true},
    {"fec", "Forward Error Correction", "FEC", "NewFEC", "FECCheck", 5, 0, 0, MasterOnly, true},
    {"buff", "Data Buffering", "DataBuff", "NewDataBuff", "BuffCheck", 5, 0, 0, MasterOnly, true},
    {"saf", "Store and Forward", "StoreAndForward", "NewStoreAndForward", "SAFCheck", 6, 0, 0,
     MasterOnly, true},
    {"xaddr", "Extension Address", "XADDR", "NewXADDR", "XADDRCheck", 6, 0, 0, NotAtRemote, false},
    {"xmin", "XMIN", "XMIN", "NewXMIN", "XMINCheck", 6, 0, 200, Any, false},
    {"xmax", "XMAX", "XMAX", "NewXMAX", "XMAXCheck", 6, 0, 200, Any, false},
    {"xmap", "Extension MAP", "XMAP", "NewXMAP", "XMAPCheck", 6, 200, 0, Any, false},
    {"xpri", "Primary Extension Addr.", "XPRI", "NewXPRI", "XPRICheck", 6, 200, 0, Any, false},
    {"xrssi", "Extension RSSI", "XRSSI", "NewXRSSI", "XRSSICheck", 6, 200, 0, Any, false},
    {"dtype", "DTYPE", "DTYPE", "NewDTYPE", "DTYPECheck", 7, 200, 0, Any, false},
    {"dlink", "DLINK", "DLINK", "NewDLINK", "DLINKCheck", 7, 200, 0, Any, false},
    {"rtu", "Software RTU", "SoftRTU", "NewSoftRTU", "SoftRTUCheck", 7, 200, 0, Any, false},
};

const QString NotKnown = QStringLiteral("n/a");

// A value the radio did not give (never read, or "n/a" by the radio itself) is not saved.
bool known(const QString& value) {
    return !value.contains("NOT AVAILABLE", Qt::CaseInsensitive) &&
           !value.contains(NotKnown, Qt::CaseInsensitive);
}

// The rate or identifier inside "DLINK 19200 (ON)" or "RTU 15 (OFF)": from after the keyword
// and its blank (found in lower case, so the reply's own upper-case word counts as at the
// start) up to the blank before "("; empty when the text has no such shape.
QString switchedValue(const QString& text, const QString& keyword) {
    const qsizetype start = text.indexOf(keyword) + 1 + keyword.size() + 1;
    const qsizetype open = text.indexOf(u'(');
    const qsizetype blank = text.indexOf(u' ');
    const qsizetype length = open - blank - 2;
    if (open < 0 || blank < 0 || length <= 0 || start >= text.size())
        return QString();
    return text.mid(start, length);
}

// The text before the blank that precedes the first "(": "DLINK 19200" of "DLINK 19200 (ON)".
std::optional<QString> beforeSwitch(const QString& value) {
    const qsizetype open = value.indexOf(u'(');
    if (open < 1)
        return std::nullopt;
    return value.left(open - 1);
}

} // namespace

std::span<const Row> rows() {
    return Rows;
}

const Row* row(const QString& query) {
    const auto found = std::find_if(std::begin(Rows), std::end(Rows),
                                    [&](const Row& r) { return query == QLatin1String(r.query); });
    return found == std::end(Rows) ? nullptr : found;
}

bool hasRow(const Row& row, int versionNumber) {
    return versionNumber >= row.fromVersion &&
           (row.belowVersion == 0 || versionNumber < row.belowVersion);
}

bool isMaster(const QString& modeText) {
    return modeText.indexOf(u'M', 1) >= 1;
}

QStringList write(const Header& header, const QMap<QString, QString>& current, int versionNumber) {
    QStringList lines;
    lines << "Created by Quenlar Ardentix Configuration Software Version " + header.programVersion;
    lines << "On " + header.date;
    if (header.serialNumber)
        lines << "From Radio, serial number: " + *header.serialNumber;
    if (header.firmware)
        lines << "With Firmware Version: " << header.firmware->split("\r\n");
    lines << QString() << QString();
    const bool master = isMaster(current.value("mode", NotKnown));
    for (const Row& r : Rows) {
        const QString query = r.query;
        const QString value = current.value(query, NotKnown);
        if (!hasRow(r, versionNumber) || (r.savedAtMasterOnly && !master))
            continue;
        if (query == "dlink" || query == "rtu") {
            const QString keyword = query.toUpper();
            const bool settings = known(value);
            if (settings)
                lines << keyword + ' ' + switchedValue(value, query);
            // The link's state line goes out even without its settings line; the RTU's not.
            if (settings || query == "dlink")
                lines << keyword + (value.contains("ON") ? " ON" : " OFF");
            continue;
        }
        if (!known(value))
            continue;
        if (query == "own" || query == "owm")
            lines << query.toUpper() + ' ' + value;
        else if (query == "amask")
            lines << "AMASK " + value.right(9);
        else
            lines << value;
    }
    return lines;
}

QByteArray encode(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

// A file edited on another system ends its lines with LF or CR alone; each is one line end.
QStringList decode(const QByteArray& bytes) {
    QStringList lines;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = at;
        while (end < bytes.size() && bytes.at(end) != '\r' && bytes.at(end) != '\n')
            ++end;
        lines << QString::fromLatin1(bytes.mid(at, end - at));
        const bool crlf =
            end + 1 < bytes.size() && bytes.at(end) == '\r' && bytes.at(end + 1) == '\n';
        at = end + (crlf ? 2 : 1);
    }
    return lines;
}

bool holdsValue(const QString& fileValue) {
    const QString value = fileValue.trimmed();
    return !value.isEmpty() && value.compare(NotKnown, Qt::CaseInsensitive) != 0;
}

bool sameSetting(const QString& first, const QString& second) {
    return first.simplified().compare(second.simplified(), Qt::CaseInsensitive) == 0;
}

Loaded Reader::read(const QStringList& lines, const Filled& filled) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        // The part number of the header is followed by the release the file was saved from.
        if (line.contains("08-2727") && i + 1 < lines.size()) {
            line = lines.at(++i);
            if (line.startsWith(u'1') && version_ >= 200)
                loaded_.versionNotice = true;
        }
        if (line.size() > LongestLine) {
            loaded_.tooLong << int(i + 1);
            continue;
        }
        if (!ConsoleText::isRadioText(line)) {
            loaded_.garbled << int(i + 1);
            continue;
        }
        const QString query = dispatch(line);
        if (!query.isEmpty() && filled)
            filled(query, loaded_);
    }
    return loaded_;
}

void Reader::fill(const char* query, const QString& value, bool enable) {
    loaded_.values.insert(query, value);
    if (enable)
        loaded_.enabled.insert(query);
    else
        loaded_.enabled.remove(query);
    ++loaded_.parameterLines;
}

void Reader::fillByAccess(const char* query, const QString& value) {
    const Access access = row(query)->access;
    const bool enable = access == MasterOnly    ? mode_ == "MODE M"
                        : access == NotAtMaster ? mode_ != "MODE M"
                        : access == NotAtRemote ? mode_ != "MODE R"
                                                : true;
    fill(query, value, enable);
}

// The first line of a pair gives the value, the second its state: "DLINK 19200 (ON)".
void Reader::takeSwitched(const char* query, const QString& line) {
    const QString current = loaded_.values.value(query, NotKnown);
    if (current == NotKnown)
        fill(query, line);
    else
        fill(query, current + (line.contains("ON") ? " (ON)" : " (OFF)"));
}

// XMIN and XMAX of an older file become the extension map of a newer radio.
void Reader::buildExtensionMap() {
    if (!lower_.isEmpty()) {
        bool lowOk = false;
        bool highOk = false;
        const int low = lower_.trimmed().toShort(&lowOk);
        const int high = upper_.trimmed().toShort(&highOk);
        if (lowOk && highOk)
            for (int n = std::max(low, 0); n <= std::min(high, 31); ++n)
                bits_[31 - n] = u'1';
    }
    fill("xmap", "XMAP " + ConsoleText::bitsToHex(bits_));
}

namespace {

// What the reader looks for, in the rows' order: the row's keyword in capitals ("ALARM ACTIVE"
// for the alarm sense).
QString keywordOf(const Row& row) {
    const QString query = QString::fromLatin1(row.query);
    return query == "asense" ? QStringLiteral("ALARM ACTIVE") : query.toUpper();
}

// A line that holds a keyword somewhere is that row's, unless it holds one of these as well.
QStringList longerKeywords(const Row& row) {
    const QLatin1String query(row.query);
    if (query == "cts")
        return {"CTSHOLD"};
    if (query == "addr")
        return {"XADDR", "CSADDR"};
    if (query == "lpm")
        return {"LPMHOLD"};
    return {};
}

bool heldAnywhere(const QString& line, const Row& row) {
    if (!line.contains(keywordOf(row)))
        return false;
    const QStringList longer = longerKeywords(row);
    return std::none_of(longer.begin(), longer.end(),
                        [&](const QString& other) { return line.contains(other); });
}

// The row a line is for: the one whose keyword it starts with (followed by a blank), as every
// line this program writes does; only a line that starts with none goes to the first keyword it
// holds anywhere. Keyword tests are case-sensitive.
const Row* rowOfLine(const QString& line) {
    for (const Row& row : Rows)
        if (line.startsWith(keywordOf(row) + u' '))
            return &row;
    for (const Row& row : Rows)
        if (heldAnywhere(line, row))
            return &row;
    return nullptr;
}

} // namespace

QString valueOf(const QString& query, const QString& reply) {
    const Row* found = row(query);
    const QString keyword = !found             ? QString()
                            : query == "amask" ? QStringLiteral("MASK:")
                                               : keywordOf(*found);
    if (keyword.isEmpty() || !reply.startsWith(keyword + u' '))
        return reply;
    return reply.mid(keyword.size() + 1).trimmed();
}

QString Reader::dispatch(const QString& line) {
    const Row* found = rowOfLine(line);
    if (!found)
        return QString();
    const QString query = found->query;
    const char* q = found->query;
    const bool from200 = version_ >= 200;
    if (query == "own" || query == "owm")
        fill(q, line.mid(4));
    else if (query == "amask")
        fill(q, "MASK: " + line.mid(5));
    else if (query == "xmin" || query == "xmax") {
        if (!from200) {
            fill(q, line);
        } else if (query == "xmin") {
            lower_ = line.mid(5);
            return QString();
        } else {
            upper_ = line.mid(5);
            buildExtensionMap();
            return QStringLiteral("xmap");
        }
    } else if (!hasRow(*found, version_)) {
        return QString(); // a setting the connected radio's firmware lacks
    } else if (query == "dlink" || query == "rtu")
        takeSwitched(q, line);
    else if (found->access != Any)
        fillByAccess(q, line);
    else
        fill(q, line);
    return query;
}

QStringList commandsFor(const QString& query, const QString& value) {
    if (query == "own" || query == "owm")
        return {query + ' ' + value};
    if (query == "amask")
        return {"amask " + value.mid(5)};
    if (query == "asense")
        return {"asense " + value.mid(13)};
    if (query == "dlink" || query == "rtu") {
        QStringList commands;
        // A value without "(" has no settings line to send; its state still goes.
        if (const auto settings = beforeSwitch(value))
            commands << *settings;
        commands << query.toUpper() + (value.contains("ON") ? " ON" : " OFF");
        return commands;
    }
    return {value};
}

QStringList programmingOrder() {
    QStringList order;
    for (const Row& r : Rows)
        order << r.query;
    order.swapItemsAt(order.indexOf("xmin"), order.indexOf("xmax"));
    return order;
}

} // namespace ConfigFormat
