#include "RadioParameters.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <iterator>

namespace RadioParameters {

namespace {

const Parameter Table[] = {
    {"ser", "", "01234567", 0, 0, false},
    {"unit", "UNIT ", "14567", 0, 0, true},
    {"srev", "", "", 0, 0, false},
    {"own", "", "QUENLAR FIELD RADIO", 0, 0, true},
    {"owm", "", "TANK FARM NORTH", 0, 0, true},
    {"temp", "TEMP ", "31C", 0, 0, false},
    {"alrm", "ALARMS ", "NONE", 0, 0, false},
    {"mode", "MODE ", "R", 0, 0, true},
    {"pwr", "PWR ", "30", 0, 0, true},
    {"baud", "BAUD ", "9600 8N1", 0, 0, true},
    {"port", "PORT ", "RS232", 0, 0, true},
    {"device", "DEVICE ", "DCE", 0, 0, true},
    {"amask", "MASK: ", "FFFF FFFF", 0, 0, true},
    {"asense", "ALARM ACTIVE ", "HI", 0, 0, true},
    {"cts", "CTS ", "0", 0, 0, true},
    {"ctshold", "CTSHOLD ", "0", 0, 0, true},
    {"rxtot", "RXTOT ", "NONE", 0, 0, true},
    {"rxd", "RXD ", "0", 300, 0, true},
    {"sleep", "SLEEP ", "OFF", 0, 0, true},
    {"lpmhold", "LPMHOLD ", "0", 320, 0, true},
    {"addr", "ADDR ", "1234", 0, 0, true},
    {"csaddr", "CSADDR ", "1234", 300, 0, true},
    {"hoptime", "HOPTIME ", "7", 0, 0, true},
    {"skip", "SKIP ", "NONE", 0, 0, true},
    {"lpm", "LPM ", "0", 320, 0, true},
    {"repeat", "REPEAT ", "3", 0, 0, true},
    {"retry", "RETRY ", "10", 0, 0, true},
    {"fec", "FEC ", "ON", 0, 0, true},
    {"buff", "BUFF ", "ON", 0, 0, true},
    {"saf", "SAF ", "OFF", 0, 0, true},
    {"xaddr", "XADDR ", "0", 0, 0, true},
    {"xmin", "XMIN ", "0", 0, 199, true},
    {"xmax", "XMAX ", "63", 0, 199, true},
    {"xpri", "XPRI ", "NONE", 200, 0, true},
    {"xrssi", "XRSSI ", "-100", 200, 0, true},
    {"xmap", "XMAP ", "FFFFFFFF", 200, 0, true},
    {"show sync", "", "", 0, 0, false},
    {"dtype", "DTYPE ", "NODE", 200, 0, true},
    {"dlink", "DLINK ", "19200 (ON)", 200, 0, true},
    {"rtu", "RTU ", "15 (OFF)", 200, 0, true},
    {"options", "", "ENC ON, SAF ON, DIAG ON, RTU ON", 0, 0, false},
};

std::optional<QString> number(const QString& value, int low, int high) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < low || n > high)
        return std::nullopt;
    return QString::number(n);
}

std::optional<QString> oneOf(const QString& value, const QStringList& words) {
    const QString upper = value.toUpper();
    if (words.contains(upper))
        return upper;
    return std::nullopt;
}

std::optional<QString> numberOrNone(const QString& value, int low, int high) {
    if (value.compare("NONE", Qt::CaseInsensitive) == 0)
        return QStringLiteral("NONE");
    return number(value, low, high);
}

std::optional<QString> hexDigits(const QString& value, int count) {
    QString digits = value.toUpper();
    digits.remove(u' ');
    static const QRegularExpression hex("^[0-9A-F]+$");
    if (digits.size() != count || !hex.match(digits).hasMatch())
        return std::nullopt;
    return digits;
}

std::optional<QString> baud(const QString& value, const QString& current) {
    const QStringList parts = value.toUpper().split(u' ', Qt::SkipEmptyParts);
    static const QStringList rates = {"1200",  "2400",  "4800",  "9600",
                                      "19200", "38400", "57600", "115200"};
    static const QRegularExpression format("^[78][NOE][12]$");
    if (parts.isEmpty() || parts.size() > 2 || !rates.contains(parts[0]))
        return std::nullopt;
    const QString frame = parts.size() == 2 ? parts[1] : current.section(u' ', 1);
    if (!format.match(frame).hasMatch())
        return std::nullopt;
    return parts[0] + u' ' + frame;
}

std::optional<QString> skip(const QString& value) {
    if (value.compare("NONE", Qt::CaseInsensitive) == 0)
        return QStringLiteral("NONE");
    QString digits = value;
    digits.remove(u' ').remove(u',');
    static const QRegularExpression zones("^[1-8]{1,4}$");
    if (!zones.match(digits).hasMatch())
        return std::nullopt;
    QStringList sorted;
    for (const QChar c : digits)
        if (!sorted.contains(QString(c)))
            sorted << QString(c);
    std::sort(sorted.begin(), sorted.end());
    return sorted.join(u',');
}

std::optional<QString> switchedRate(const QString& value, const QString& current, int low,
                                    int high) {
    // "ON"/"OFF" switch; a number sets the rate or address and keeps the switch.
    const QString state = current.section(u'(', 1).section(u')', 0, 0);
    const QString amount = current.section(u' ', 0, 0);
    if (auto word = oneOf(value, {"ON", "OFF"}))
        return amount + " (" + *word + ")";
    if (auto n = number(value, low, high))
        return *n + " (" + state + ")";
    return std::nullopt;
}

} // namespace

const Parameter* begin() {
    return std::begin(Table);
}
const Parameter* end() {
    return std::end(Table);
}

const Parameter* find(const QString& keyword) {
    const auto found = std::find_if(begin(), end(), [&](const Parameter& p) {
        return keyword.compare(QLatin1String(p.keyword), Qt::CaseInsensitive) == 0;
    });
    return found == end() ? nullptr : found;
}

std::optional<QString> accept(const QString& keyword, const QString& value, int version,
                              const QString& current) {
    if (keyword == "unit")
        return number(value, 10000, 65000);
    if (keyword == "own" || keyword == "owm")
        return value.size() <= 30 ? std::optional<QString>(value) : std::nullopt;
    if (keyword == "mode")
        return oneOf(value, {"M", "R", "X"});
    if (keyword == "pwr")
        return number(value, 20, 30);
    if (keyword == "baud")
        return baud(value, current);
    if (keyword == "port")
        return oneOf(value, {"RS232", "RS485"});
    if (keyword == "device")
        return oneOf(value, {"DCE", "CTS KEY"});
    if (keyword == "amask") {
        const auto digits = hexDigits(value, 8);
        return digits ? std::optional<QString>(digits->left(4) + u' ' + digits->mid(4))
                      : std::nullopt;
    }
    if (keyword == "asense")
        return oneOf(value, {"HI", "LO"});
    if (keyword == "cts" || keyword == "rxd")
        return number(value, 0, 255);
    if (keyword == "ctshold")
        return number(value, 0, 6000);
    if (keyword == "rxtot")
        return numberOrNone(value, 1, 1440);
    if (keyword == "sleep" || keyword == "fec" || keyword == "buff" || keyword == "saf")
        return oneOf(value, {"ON", "OFF"});
    if (keyword == "lpmhold")
        return number(value, 0, 1000);
    if (keyword == "addr")
        return numberOrNone(value, 1, 65000);
    if (keyword == "csaddr")
        return number(value, 1, 65000);
    if (keyword == "hoptime")
        return oneOf(value, {"7", "28"});
    if (keyword == "skip")
        return skip(value);
    if (keyword == "lpm")
        return oneOf(value, {"0", "1"});
    if (keyword == "repeat" || keyword == "retry")
        return number(value, 0, 10);
    if (keyword == "xaddr")
        return number(value, 0, version < 200 ? 63 : 31);
    if (keyword == "xmin" || keyword == "xmax")
        return number(value, 0, 63);
    if (keyword == "xpri")
        return numberOrNone(value, 0, 31);
    if (keyword == "xrssi")
        return number(value, -120, -40);
    if (keyword == "xmap")
        return hexDigits(value, 8);
    if (keyword == "dtype")
        return oneOf(value, {"ROOT", "NODE"});
    if (keyword == "dlink") {
        const auto rate = baud(value, "19200 8N1");
        return switchedRate(rate ? rate->section(u' ', 0, 0) : value, current, 1200, 115200);
    }
    if (keyword == "rtu")
        return switchedRate(value, current, 0, 80);
    return std::nullopt;
}

} // namespace RadioParameters
