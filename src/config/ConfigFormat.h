#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <span>

// The configuration file: one radio's settings as the radio's own reply lines, which the radio
// also takes back as commands. The writer and the reader see the same 35 rows.
namespace ConfigFormat {

// Who may change a row's setting, as the reader enables it against the connected radio.
enum class Access { Any, MasterOnly, NotAtMaster, NotAtRemote };

struct Row {
    const char* query;   // console keyword ("unit"); also the row's key
    const char* name;    // "Unit Address"
    const char* current; // current-value field
    const char* file;    // file-value field
    const char* check;   // check box
    int tab;             // 1 to 7
    int fromVersion;     // lowest firmware version number that has it, 0 for all
    int belowVersion;    // firmware version numbers from this on lack it, 0 for none
    Access access;
    bool savedAtMasterOnly; // the writer leaves it out of a remote's file
};

// The rows in the order they are shown and saved.
std::span<const Row> rows();
const Row* row(const QString& query);
bool hasRow(const Row& row, int versionNumber);

// Whether a mode text ("MODE M") is a master's, as the writer decides it.
bool isMaster(const QString& modeText);

struct Header {
    QString programVersion; // "2.3.3"
    QString date;
    std::optional<QString> serialNumber;
    std::optional<QString> firmware; // the whole "srev" reply, its line break included
};

// The file's lines (without line ends) from the radio's current values, by query keyword.
QStringList write(const Header& header, const QMap<QString, QString>& current, int versionNumber);
// The bytes on disk: 8-bit text, every line ended by CR LF, on every platform.
QByteArray encode(const QStringList& lines);
// The lines of a file, each ended by CR LF, LF or CR, any bytes at all.
QStringList decode(const QByteArray& bytes);

// No configuration comes near these: a longer line is no setting, a larger file no
// configuration file.
constexpr int LongestLine = 256;
constexpr qint64 LargestFile = 64 * 1024;

// A file value there is something to program from: not empty, not "n/a".
bool holdsValue(const QString& fileValue);
// Two values of a setting say the same, letter case and runs of blanks aside (as the radio
// reads them back).
bool sameSetting(const QString& first, const QString& second);
// A setting's value without the reply's own keyword: "PWR 27" is 27, "MASK: 0F0F FFFF" is
// 0F0F FFFF; a reply that starts with no keyword of its row (an owner's name) is the value.
QString valueOf(const QString& query, const QString& reply);

struct Loaded {
    QMap<QString, QString> values; // file values by query keyword; missing rows stay "n/a"
    QSet<QString> enabled;         // rows whose check box the file enables
    bool versionNotice = false;    // the file came from an older firmware than the radio's
    int parameterLines = 0;        // lines that filled a row
    QList<int> tooLong;            // numbers (from 1) of the lines left out for their length
    // Numbers of the lines left out for characters no radio sends (a NUL, a control character,
    // line noise saved with the reply): sent, they would not be the setting the file shows.
    QList<int> garbled;
};

// Reads the lines against the connected radio: its version number and its current mode text.
// Keyword tests are case-sensitive and the first that matches decides.
class Reader {
public:
    Reader(int versionNumber, const QString& currentMode)
        : version_(versionNumber), mode_(currentMode) {}
    // Reads every line; filled(query, so far) runs after each line that filled a row (the
    // window shows it and lets a moment pass there).
    using Filled = std::function<void(const QString& query, const Loaded& sofar)>;
    Loaded read(const QStringList& lines, const Filled& filled = {});

private:
    // Takes a line into its row; the row's query keyword, or nothing when no row took it.
    QString dispatch(const QString& line);
    void fill(const char* query, const QString& value, bool enable = true);
    void fillByAccess(const char* query, const QString& value);
    void takeSwitched(const char* query, const QString& line);
    void buildExtensionMap();

    int version_;
    QString mode_;
    Loaded loaded_;
    QString lower_;
    QString upper_;
    QString bits_ = QString(32, u'0');
};

// The commands that program a row from its file value, in order.
QStringList commandsFor(const QString& query, const QString& fileValue);

// The order in which the restore visits the rows: XMAX before XMIN.
QStringList programmingOrder();

} // namespace ConfigFormat
