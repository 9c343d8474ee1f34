#include "RadioConsole.h"

#include "RadioParameters.h"
#include "SRecord.h"

#include <algorithm>

namespace {

int versionNumberOf(const QString& release) {
    QString digits;
    for (const QChar c : release)
        if (c.isDigit())
            digits += c;
    return digits.left(3).toInt();
}

} // namespace

RadioConsole::RadioConsole(const RadioOptions& options)
    : options_(options), version_(versionNumberOf(options.firmware)), password_(options.password),
      loggedIn_(options.password.isEmpty()), setup_(options.setup), loader_(options.loader),
      // A radio that runs its firmware has it stored; one that runs only its loader has none.
      storedRelease_(options.loader ? QString() : options.firmware) {
    for (auto p = RadioParameters::begin(); p != RadioParameters::end(); ++p)
        values_[p->keyword] = QString::fromLatin1(p->initial);
    values_["mode"] = QString(options.mode.toUpper());
}

QString RadioConsole::prompt() const {
    if (statPagesLeft_ > 0)
        return QStringLiteral("MORE>");
    if (loader_)
        return QStringLiteral("LOADER>");
    return setup_ ? QStringLiteral("SETUP>") : QStringLiteral(">");
}

QStringList RadioConsole::commands() const {
    QStringList found;
    for (const QString& line : lines_)
        if (!line.isEmpty())
            found << line;
    return found;
}

void RadioConsole::Output::add(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    if (pieces.isEmpty() || pieces.last().delayMs != delayMs)
        pieces.append({delayMs, QByteArray()});
    pieces.last().bytes += bytes;
}

bool RadioConsole::restarting() const {
    return restartUntil_ >= 0 && now_() < restartUntil_;
}

QList<RadioConsole::ReplyPiece> RadioConsole::respond(const QByteArray& bytes) {
    Output out;
    // A radio restarting into its loader hears nothing.
    if (restarting())
        return {};
    for (const char byte : bytes) {
        // A carriage return ends a running signal-strength report: an empty line heard.
        if (reporting_ && byte == '\r') {
            reporting_ = false;
            lines_ << QString();
            out.add(prompt().toLatin1());
            continue;
        }
        takeByte(byte, out);
    }
    if (options_.silent)
        return {};
    for (ReplyPiece& piece : out.pieces)
        piece.bytes = withFaults(piece.bytes);
    return out.pieces;
}

QByteArray RadioConsole::receive(const QByteArray& bytes) {
    QByteArray all;
    for (const ReplyPiece& piece : respond(bytes))
        all += piece.bytes;
    return all;
}

// A bad line or a failing radio: stray characters, and replies that never reach their prompt.
QByteArray RadioConsole::withFaults(const QByteArray& out) {
    QByteArray faulty;
    for (const char c : out) {
        if (options_.noisePercent > 0 && int(noise_.bounded(100)) < options_.noisePercent)
            faulty += char(noise_.bounded(128, 256));
        faulty += c;
    }
    const QByteArray ending = prompt().toLatin1();
    if ((options_.cutReplies || options_.cutMidLine) && faulty.endsWith(ending)) {
        faulty.chop(ending.size());
        if (options_.cutMidLine)
            cutInsideLastLine(faulty);
    }
    return faulty;
}

// The last line stops halfway: neither the rest of it nor its line end ever comes.
void RadioConsole::cutInsideLastLine(QByteArray& text) {
    if (!text.endsWith("\r\n"))
        return;
    text.chop(2);
    const qsizetype start = text.lastIndexOf('\n') + 1;
    text.chop((text.size() - start + 1) / 2);
}

void RadioConsole::takeByte(char byte, Output& out) {
    if (receiving_) {
        // S-record text: a record a line, no echo, until the termination record. An escape
        // (a program waking the console) abandons the image.
        if (byte == '\x1b') {
            receiving_ = false;
            line_.clear();
            out.add(lineOf("PROGRAM ABORTED") + prompt().toLatin1());
        } else if (byte == '\r' || byte == '\n') {
            if (!line_.isEmpty())
                out.add(takeRecord(line_));
            line_.clear();
        } else {
            line_ += byte;
        }
        return;
    }
    switch (byte) {
    case '\x1b': // the wake-up's escape, and a stray one, are ignored
    case '\n':
        return;
    case '\b':
        if (!line_.isEmpty()) {
            line_.chop(1);
            if (echo_)
                out.add("\b \b");
        }
        return;
    case '\r': {
        if (echo_)
            out.add("\r\n");
        const QString line = QString::fromLatin1(line_);
        line_.clear();
        lines_ << line;
        if (lineHook_)
            lineHook_(line);
        wrote_ = false;
        const QByteArray reply = execute(line);
        if (wrote_)
            out.delayMs += options_.storeMs;
        // A radio that has begun its restart, or its report, prompts no more.
        out.add(reply + (restarting() || reporting_ ? QByteArray() : prompt().toLatin1()));
        return;
    }
    default:
        line_ += byte;
        if (echo_)
            out.add(QByteArray(1, byte));
    }
}

// A plausible drift of a few decibels about the radio's own level.
QByteArray RadioConsole::report() {
    rssi_ = std::clamp(rssi_ + int(noise_.bounded(7)) - 3, -118, -52);
    if (options_.silent)
        return {};
    QByteArray line = withFaults(lineOf(QString("RSSI %1 dBm").arg(rssi_)));
    if (options_.cutMidLine)
        cutInsideLastLine(line);
    return line;
}

QByteArray RadioConsole::lineOf(const QString& text) {
    return text.toLatin1() + "\r\n";
}

QByteArray RadioConsole::execute(const QString& typed) {
    const QString line = typed.simplified();
    if (statPagesLeft_ > 0) {
        // At "MORE>" a bare line asks for the next page; anything else ends the listing.
        if (line.isEmpty()) {
            --statPagesLeft_;
            return statPage(++statPage_);
        }
        statPagesLeft_ = 0;
    }
    if (line.isEmpty())
        return {};
    const QString word = line.section(u' ', 0, 0).toLower();
    const QString rest = line.section(u' ', 1);
    if (loader_)
        return loaderCommand(line.toUpper());
    if (confirming_) {
        confirming_ = false;
        if (line.compare("YES", Qt::CaseInsensitive) == 0) {
            // The radio restarts into its loader, silent for a while.
            loader_ = true;
            erased_ = false;
            restartUntil_ = now_() + options_.restartMs;
            return {};
        }
        if (line.compare("NO", Qt::CaseInsensitive) == 0)
            return {};
    }
    if (line.compare("PROGRAM", Qt::CaseInsensitive) == 0) {
        confirming_ = true;
        return lineOf("ARE YOU SURE?");
    }
    if (line == "OPEN" || line == "CLOS")
        return {};
    if (line.compare("QUIT", Qt::CaseInsensitive) == 0) {
        // Leaving setup mode stops any test transmission.
        setup_ = false;
        keyed_ = false;
        return {};
    }
    if (word == "deco" || word == "eeco") {
        echo_ = word == "eeco";
        return {};
    }
    if (word == "pass") {
        if (rest == "NONE") {
            loggedIn_ = password_.isEmpty();
            return {};
        }
        // Without a customer password the console stays open whatever is typed.
        const bool matches = !password_.isEmpty() && rest == password_;
        loggedIn_ = matches || password_.isEmpty();
        return lineOf(matches ? "PASSWORD OK" : "PASSWORD INVALID");
    }
    if (word == "rssi" && rest.isEmpty()) {
        reporting_ = true;
        return {};
    }
    if (line.compare("ZONE DATA", Qt::CaseInsensitive) == 0)
        return zoneData();
    if (line.compare("ZONE CLEAR", Qt::CaseInsensitive) == 0) {
        zones_ = {};
        return {};
    }
    if (word == "setup" && rest.isEmpty()) {
        if (!loggedIn_)
            return lineOf("ACCESS DENIED");
        setup_ = true;
        return {};
    }
    if (setup_ && (word == "rx" || word == "tx" || word == "key" || word == "dkey"))
        return setupCommand(word, rest);
    if (word == "k7q2")
        return setPassword(rest);
    if (word == "code")
        return rest.isEmpty() ? lineOf(code_ > 0 ? "CODE SET" : "CODE NONE") : setCode(rest);
    if (word == "stat" && rest.isEmpty()) {
        statPage_ = 1;
        statPagesLeft_ = options_.statPages - 1;
        return statPage(1);
    }
    if (line.compare("show sync", Qt::CaseInsensitive) == 0)
        return reply("show sync");
    if (!hasKeyword(word))
        return lineOf("UNKNOWN COMMAND");
    if (rest.isEmpty())
        return reply(word);
    return write(word, rest);
}

bool RadioConsole::hasKeyword(const QString& keyword) const {
    const RadioParameters::Parameter* p = RadioParameters::find(keyword);
    if (!p)
        return false;
    return version_ >= p->minVersion && (p->maxVersion == 0 || version_ <= p->maxVersion);
}

QByteArray RadioConsole::statPage(int page) const {
    static const char* const Events[] = {"MAJOR: NONE", "MINOR: NONE", "RSSI OK",
                                         "SYNTHESIZER LOCKED", "NO RX TIMEOUT"};
    return lineOf(QString("ALARM STATUS, PAGE %1 OF %2").arg(page).arg(options_.statPages)) +
           lineOf(QString::fromLatin1(Events[(page - 1) % 5]));
}

// Setup mode's bench commands: the test frequencies (902.200 to 927.600 MHz) and the
// transmitter key.
QByteArray RadioConsole::setupCommand(const QString& word, const QString& rest) {
    if (word == "key" || word == "dkey") {
        keyed_ = word == "key";
        return {};
    }
    if (rest.isEmpty())
        return lineOf(word.toUpper() + u' ' + frequencies_.value(word));
    wrote_ = true;
    bool number = false;
    const double mhz = rest.toDouble(&number);
    if (!number || mhz < 902.2 - 1e-9 || mhz > 927.6 + 1e-9)
        return lineOf("INVALID ENTRY");
    frequencies_[word] = QString::number(mhz, 'f', 3);
    return lineOf("PROGRAMMED OK");
}

// Each zone's traffic since the counters were last asked for: a few dozen packets a second,
// some zones noisier than others.
void RadioConsole::addTraffic() {
    static constexpr double ErrorShare[8] = {0.01, 0.02, 0.12, 0.01, 0.03, 0.25, 0.02, 0.01};
    const qint64 now = now_();
    const double seconds = trafficAt_ < 0 ? 1.0 : (now - trafficAt_) / 1000.0;
    trafficAt_ = now;
    const QString skipped = values_.value("skip");
    for (int zone = 1; zone <= 8; ++zone) {
        if (skipped.contains(QChar(u'0' + zone)))
            continue;
        ZoneCounters& counters = zones_[zone - 1];
        const double load = seconds * (0.7 + noise_.bounded(0.6));
        const double received = load * (28 + 3 * zone);
        counters.tx += load * (30 + 4 * zone);
        counters.rx += received;
        counters.errors += received * ErrorShare[zone - 1];
    }
}

// Three lines a zone: the zone digit, the counter's name and its value in eight characters.
QByteArray RadioConsole::zoneData() {
    addTraffic();
    QByteArray out;
    for (int zone = 1; zone <= 8; ++zone) {
        const ZoneCounters& c = zones_[zone - 1];
        const std::pair<const char*, double> lines[] = {
            {"TX TOTAL", c.tx}, {"RX TOTAL", c.rx}, {"RX ERROR", c.errors}};
        for (const auto& [name, value] : lines)
            out +=
                lineOf(QString("%1:%2 %3").arg(zone).arg(name).arg(qint64(value) % 100000000, 8));
    }
    return out;
}

QByteArray RadioConsole::reply(const QString& keyword) const {
    const RadioParameters::Parameter* p = RadioParameters::find(keyword);
    const QString value = values_.value(keyword);
    const QChar mode = values_.value("mode").at(0);
    if (keyword == "srev")
        return lineOf("08-2727A01") + lineOf(options_.firmware + "  15Mar2004");
    if (keyword == "ctshold" && values_.value("device") == "DCE")
        return lineOf("CTSHOLD n/a");
    if (keyword == "csaddr" && mode != u'M')
        return lineOf("CSADDR n/a");
    if ((keyword == "repeat" || keyword == "xaddr") && mode == u'R')
        return lineOf(keyword == "repeat" ? "PROGRAMMABLE ONLY AT MASTER" : "XADDR n/a");
    if (keyword == "show sync")
        return lineOf(mode == u'X' ? "DEPTH 1 UNIT 10001 XADDR 0" : "NOT AVAILABLE");
    return lineOf(QString::fromLatin1(p->prefix) + value);
}

// "k7q2" alone removes the customer password, "k7q2 X" sets X (one to four characters, no
// blank); either only for a logged-in user, who stays logged in.
QByteArray RadioConsole::setPassword(const QString& value) {
    wrote_ = true;
    if (!loggedIn_)
        return lineOf("ACCESS DENIED");
    if (value.size() > 4 || value.contains(u' '))
        return lineOf("INVALID ENTRY");
    password_ = value;
    return lineOf("PROGRAMMED OK");
}

// The encryption code of the network: 1 to 255, or NONE; it is never reported back.
QByteArray RadioConsole::setCode(const QString& value) {
    wrote_ = true;
    if (!loggedIn_)
        return lineOf("ACCESS DENIED");
    if (value.compare("NONE", Qt::CaseInsensitive) == 0) {
        code_ = 0;
        return lineOf("PROGRAMMED OK");
    }
    bool number = false;
    const int code = value.toInt(&number);
    if (!number || code < 1 || code > 255)
        return lineOf("INVALID ENTRY");
    code_ = code;
    return lineOf("PROGRAMMED OK");
}

// The loader: ERASE, then PROGRAM and the image's S-record text, then EXIT to boot it.
QByteArray RadioConsole::loaderCommand(const QString& line) {
    if (line == "ERASE") {
        erased_ = true;
        storedRelease_.clear();
        return lineOf("ERASED");
    }
    if (line == "PROGRAM") {
        if (!erased_)
            return lineOf("ERROR: NOT ERASED");
        receiving_ = true;
        imageValid_ = true;
        dataRecords_ = 0;
        headerRelease_.clear();
        return {};
    }
    if (line == "EXIT") {
        if (storedRelease_.isEmpty())
            return lineOf("ERROR: NO FIRMWARE");
        loader_ = false;
        options_.firmware = storedRelease_;
        version_ = versionNumberOf(storedRelease_);
        return {};
    }
    return lineOf("UNKNOWN COMMAND");
}

QByteArray RadioConsole::takeRecord(const QByteArray& line) {
    const auto record = SRecord::parse(line);
    if (!record) {
        imageValid_ = false;
        return {};
    }
    if (record->type == '0')
        headerRelease_ = SRecord::releaseOf(*record);
    else if (record->type >= '1' && record->type <= '3')
        ++dataRecords_;
    if (record->type < '7')
        return {};
    // The termination record: the image is stored only when it came whole and valid.
    receiving_ = false;
    if (!imageValid_ || dataRecords_ == 0 || headerRelease_.isEmpty())
        return lineOf("PROGRAM FAILED") + prompt().toLatin1();
    storedRelease_ = headerRelease_;
    return lineOf("PROGRAMMED OK") + prompt().toLatin1();
}

QByteArray RadioConsole::write(const QString& keyword, const QString& value) {
    // Access, value and storing are all settled before the radio says anything.
    wrote_ = true;
    const RadioParameters::Parameter* p = RadioParameters::find(keyword);
    if (!p->writable)
        return lineOf("INVALID ENTRY");
    if (!loggedIn_)
        return lineOf("ACCESS DENIED");
    const auto accepted = RadioParameters::accept(keyword, value, version_, values_.value(keyword));
    if (!accepted)
        return lineOf("INVALID ENTRY");
    values_[keyword] = *accepted;
    return lineOf("PROGRAMMED OK");
}
