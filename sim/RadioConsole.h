#pragma once

#include <QByteArray>
#include <QMap>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

// What a simulated radio is at power-up.
struct RadioOptions {
    QString firmware = QStringLiteral("3.2.0");
    QChar mode = u'M'; // M master, R remote, X extension
    QString password;  // empty: no customer password set
    bool setup = false;
    bool loader = false;
    int latencyMs = 0;
    int storeMs = 150;       // time the radio takes over a write before it answers
    bool silent = false;     // answers nothing at all
    int statPages = 3;       // pages of the "stat" alarm listing
    int noisePercent = 0;    // chance, per character sent, of a stray character before it
    bool cutReplies = false; // replies stop short: no prompt ever follows them
    bool cutMidLine = false; // replies stop inside their last line: no line end, no prompt
    int restartMs = 3000;    // silence while the radio restarts into its loader
};

// The radio's console as a state machine: bytes in, bytes out. It echoes, prompts, keeps every
// parameter with its value rules and firmware gates, and knows login and setup mode.
class RadioConsole {
public:
    explicit RadioConsole(const RadioOptions& options = RadioOptions());

    // A part of what the radio sends back, after delayMs from the arrival of the line.
    struct ReplyPiece {
        int delayMs;
        QByteArray bytes;
    };
    // Takes what arrived on the line and returns what the radio sends back, in the pieces it
    // sends them: a write is answered only once the radio has dealt with it (storeMs).
    QList<ReplyPiece> respond(const QByteArray& bytes);
    // The same, all at once, for a look at the text alone.
    QByteArray receive(const QByteArray& bytes);

    // Every command line received, as typed, bare carriage returns as empty lines.
    const QStringList& lines() const { return lines_; }
    // The command lines that were not empty.
    QStringList commands() const;
    void clearLines() { lines_.clear(); }

    const RadioOptions& options() const { return options_; }
    // The time the radio goes by, in milliseconds: its restart takes a while of it.
    void setClock(std::function<qint64()> now) { now_ = std::move(now); }
    // While "rssi" runs, the radio reports its signal strength every ReportMs until the next
    // carriage return; report() gives the next line.
    static constexpr int ReportMs = 300;
    bool reporting() const { return reporting_; }
    QByteArray report();
    // The release it runs ("3.2.0"); a firmware upgrade changes it.
    QString firmware() const { return options_.firmware; }
    void setSilent(bool silent) { options_.silent = silent; }
    void setNoise(int percent) { options_.noisePercent = percent; }
    void setLatency(int ms) { options_.latencyMs = ms; }
    void setCutReplies(bool cut) { options_.cutReplies = cut; }
    void setCutMidLine(bool cut) { options_.cutMidLine = cut; }
    // Told of each command line as it arrives, before the radio acts on it: a fault that
    // starts there already spoils the answer to that line.
    void setLineHook(std::function<void(const QString&)> hook) { lineHook_ = std::move(hook); }
    int versionNumber() const { return version_; }
    QString value(const QString& keyword) const { return values_.value(keyword); }
    void setValue(const QString& keyword, const QString& value) { values_[keyword] = value; }
    bool echo() const { return echo_; }
    bool loggedIn() const { return loggedIn_; }
    QString password() const { return password_; }
    int encryptionCode() const { return code_; } // 0: none
    bool inSetupMode() const { return setup_; }
    // Setup mode: the transmitter keyed by "KEY", and the test frequencies ("915.000").
    bool keyed() const { return keyed_; }
    QString testFrequency(const QString& keyword) const { return frequencies_.value(keyword); }
    // The per-zone packet counters "ZONE DATA" reports (zone 1 to 8); they grow with the
    // simulated traffic each time they are asked for, except in skipped zones.
    struct ZoneCounters {
        double tx = 0;
        double rx = 0;
        double errors = 0;
    };
    ZoneCounters zoneCounters(int zone) const { return zones_.at(zone - 1); }
    void setZoneCounters(int zone, const ZoneCounters& counters) { zones_[zone - 1] = counters; }
    bool inLoader() const { return loader_; }
    QString prompt() const;

private:
    struct Output {
        QList<ReplyPiece> pieces;
        int delayMs = 0;
        void add(const QByteArray& bytes);
    };
    void takeByte(char byte, Output& out);
    QByteArray execute(const QString& line);
    QByteArray reply(const QString& keyword) const;
    QByteArray write(const QString& keyword, const QString& value);
    QByteArray loaderCommand(const QString& line);
    // A line of the S-record text that follows the loader's PROGRAM.
    QByteArray takeRecord(const QByteArray& line);
    bool restarting() const;
    QByteArray setPassword(const QString& value);
    QByteArray setCode(const QString& value);
    bool hasKeyword(const QString& keyword) const;
    QByteArray statPage(int page) const;
    QByteArray zoneData();
    void addTraffic();
    QByteArray setupCommand(const QString& word, const QString& rest);
    QByteArray withFaults(const QByteArray& out);
    static QByteArray lineOf(const QString& text);
    static void cutInsideLastLine(QByteArray& text);

    RadioOptions options_;
    int version_;
    QMap<QString, QString> values_;
    QStringList lines_;
    QByteArray line_;
    bool echo_ = true;
    QString password_;
    int code_ = 0;
    bool loggedIn_;
    bool setup_;
    bool loader_;
    int statPage_ = 0;
    QRandomGenerator noise_{20041101};
    int statPagesLeft_ = 0;
    bool wrote_ = false; // the last command was a write
    bool reporting_ = false;
    int rssi_ = -85;
    bool keyed_ = false;
    QMap<QString, QString> frequencies_{{"rx", "915.000"}, {"tx", "917.500"}};
    std::array<ZoneCounters, 8> zones_{};
    qint64 trafficAt_ = -1; // when the counters last grew
    std::function<qint64()> now_ = [] { return qint64(0); };
    std::function<void(const QString&)> lineHook_;
    qint64 restartUntil_ = -1;
    bool confirming_ = false; // "ARE YOU SURE?" was asked
    bool erased_ = false;
    bool receiving_ = false; // the loader takes S-record text
    bool imageValid_ = true;
    int dataRecords_ = 0;
    QString headerRelease_;
    QString storedRelease_; // a complete image, booted by EXIT
};
