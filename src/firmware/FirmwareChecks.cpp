#include "FirmwareChecks.h"

#include "core/Prompts.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cctype>

namespace {

constexpr int HeaderBytes = 60;

// Character n (from 1) of a version, upper case; empty where the version has none.
QString part(const QString& version, int n) {
    return version.mid(n - 1, 1).toUpper();
}

// One S-record: "S", its type, then hex pairs: the count of the pairs after it, the address,
// the data and a checksum that makes the count, address and data add up to 0xFF.
bool wholeRecord(const QByteArray& line) {
    if (line.size() < 4 || (line[0] != 'S' && line[0] != 's') || !std::isdigit(uchar(line[1])))
        return false;
    const QByteArray hex = line.mid(2);
    if (hex.size() % 2 != 0 ||
        !std::all_of(hex.begin(), hex.end(), [](char c) { return std::isxdigit(uchar(c)); }))
        return false;
    const QByteArray bytes = QByteArray::fromHex(hex);
    if (uchar(bytes[0]) != bytes.size() - 1)
        return false;
    int sum = 0;
    for (const char byte : bytes)
        sum += uchar(byte);
    return (sum & 0xff) == 0xff;
}

bool yes(Prompts& prompts, const QString& text, const QString& caption, Prompts::Icon icon,
         std::optional<Prompts::Answer> defaultAnswer = std::nullopt) {
    return prompts.message(text, caption, icon, Prompts::Buttons::YesNo, defaultAnswer) ==
           Prompts::Yes;
}

} // namespace

int FirmwareChecks::headerFaults(const QByteArray& head) {
    const QString text = QString::fromLatin1(head);
    int faults = 0;
    if (text.left(2).compare("S0", Qt::CaseInsensitive) != 0)
        ++faults;
    if (text.mid(8, 14).compare("30382D32373237", Qt::CaseInsensitive) != 0)
        ++faults;
    return faults;
}

std::optional<QString> FirmwareChecks::newVersion(const QByteArray& head) {
    const QByteArray digits = head.mid(30, 10);
    if (digits.size() != 10)
        return std::nullopt;
    // Only the digits 0-9, A-F and a-f make a pair: a sign or a blank would pass a number
    // parser and give a character outside the byte's range.
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return std::isxdigit(uchar(c)); }))
        return std::nullopt;
    QString version;
    for (int pair = 0; pair < 5; ++pair)
        version += QChar(digits.mid(pair * 2, 2).toInt(nullptr, 16));
    return version;
}

// For each letter at most one question; the running version's comes first.
bool FirmwareChecks::alphasAccepted(Prompts& prompts, const QString& current, const QString& next) {
    const auto holds = [](const QString& version, const QString& letter) {
        return part(version, 1) == letter || part(version, 3) == letter ||
               part(version, 5) == letter;
    };
    for (char c = 'A'; c <= 'Z'; ++c) {
        const QString letter(QChar::fromLatin1(c));
        QString question;
        if (holds(current, letter))
            question = "WARNING!! The current version contains an alpha: '" + letter +
                       "'. Are you sure you wish to override this?";
        else if (holds(next, letter))
            question = "WARNING!! The firmware you are about to load contains an alpha: '" +
                       letter + "'. Are you sure you wish to install this?";
        if (!question.isEmpty() && !yes(prompts, question, "WARNING", Prompts::Icon::Critical))
            return false;
    }
    return true;
}

bool FirmwareChecks::isOlder(const QString& current, const QString& next) {
    const QString curMajor = part(current, 1), newMajor = part(next, 1);
    const QString curMinor = part(current, 3), newMinor = part(next, 3);
    const QString curBuild = part(current, 5), newBuild = part(next, 5);
    return curMajor > newMajor || (curMajor >= newMajor && curMinor > newMinor) ||
           (curMajor >= newMajor && curMinor >= newMinor && curBuild > newBuild);
}

bool FirmwareChecks::isSame(const QString& current, const QString& next) {
    return part(current, 1) == part(next, 1) && part(current, 3) == part(next, 3) &&
           part(current, 5) == part(next, 5) && !part(current, 1).isEmpty();
}

std::optional<FirmwareChecks::Choice> FirmwareChecks::choose(Prompts& prompts,
                                                             const QString& currentVersion) {
    for (;;) {
        const QString path =
            prompts.openFile("Firmware Upgrade File Selection",
                             "S28 Files (*.S28)|*.s28|All Files (*.*)|*.*", QString(), false);
        if (path.isEmpty())
            return std::nullopt;
        const Examined examined = examine(prompts, path, currentVersion);
        switch (examined.verdict) {
        case Verdict::Accepted:
            return examined.choice;
        case Verdict::Missing:
        case Verdict::Unreadable:
        case Verdict::NoVersion:
            continue; // the user may pick another file
        case Verdict::NotFirmware:
        case Verdict::Declined:
            return std::nullopt;
        }
    }
}

FirmwareChecks::Examined FirmwareChecks::examine(Prompts& prompts, const QString& path,
                                                 const QString& currentVersion) {
    if (!QFileInfo::exists(path)) {
        prompts.message(path + " not found!", Prompts::applicationTitle(),
                        Prompts::Icon::Exclamation);
        return {Verdict::Missing, std::nullopt};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {Verdict::Unreadable, std::nullopt};
    const QByteArray head = file.read(HeaderBytes);
    for (int fault = headerFaults(head); fault > 0; --fault)
        if (!yes(prompts,
                 "Error: This Does not appear to be a valid firmware file. Continue working "
                 "with it?",
                 "Error", Prompts::Icon::Critical))
            return {Verdict::NotFirmware, std::nullopt};
    const std::optional<QString> next = newVersion(head);
    if (!next)
        return {Verdict::NoVersion, std::nullopt};
    if (!alphasAccepted(prompts, currentVersion, *next))
        return {Verdict::Declined, std::nullopt};
    // Going back may lose what the newer release gave the radio: Enter answers No.
    if (isOlder(currentVersion, *next) &&
        !yes(prompts,
             "WARNING!! The firmware you are about to load into the radio, version " + *next +
                 "\ris older than the version currently installed, version " + currentVersion +
                 ".\r\r\t      Are you sure you wish to continue?",
             "Warning!", Prompts::Icon::Exclamation, Prompts::No))
        return {Verdict::Declined, std::nullopt};
    if (isSame(currentVersion, *next) &&
        !yes(prompts,
             "WARNING!! The firmware you are about to load into the radio, version " + *next +
                 "\rappears to be the same version as the one currently installed, also "
                 "version " +
                 currentVersion + ".\r\r\t           Are you sure you wish to continue?",
             "Warning!", Prompts::Icon::Exclamation))
        return {Verdict::Declined, std::nullopt};
    return {Verdict::Accepted, Choice{path, *next}};
}

std::optional<QString> FirmwareChecks::fileFault(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return QStringLiteral("there is no such file");
    if (!file.open(QIODevice::ReadOnly))
        return "it cannot be read (" + file.errorString() + ")";
    return recordsFault(file.readAll());
}

std::optional<QString> FirmwareChecks::recordsFault(const QByteArray& bytes) {
    if (headerFaults(bytes.left(HeaderBytes)) > 0)
        return QStringLiteral("its first record is not the header of a firmware file");
    if (!newVersion(bytes.left(HeaderBytes)))
        return QStringLiteral("its header names no release");
    int number = 0;
    QByteArray last;
    for (const QByteArray& line : bytes.split('\n')) {
        ++number;
        const QByteArray record = line.trimmed();
        if (record.isEmpty())
            continue;
        if (!wholeRecord(record))
            return QString("line %1 is not a whole S-record (its count or checksum is wrong)")
                .arg(number);
        last = record;
    }
    if (last.size() < 2 || !QByteArrayLiteral("789").contains(last[1]))
        return QStringLiteral("it has no end record: the file was cut short");
    return std::nullopt;
}
