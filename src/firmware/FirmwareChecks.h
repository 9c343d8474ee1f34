#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class Prompts;

// Choosing a firmware file and checking it against the radio before anything is sent: its
// header record, its release, pre-release letters, and older or same releases. Every question
// lets the user stop.
class FirmwareChecks {
public:
    struct Choice {
        QString path;
        QString newVersion;
    };

    // The file to download, or nothing when the user stopped (nothing was sent then).
    static std::optional<Choice> choose(Prompts& prompts, const QString& currentVersion);

    // How the checks on one file ended.
    enum class Verdict {
        Accepted,
        Missing,     // no such file (said)
        Unreadable,  // it could not be opened
        NoVersion,   // its header holds no release
        NotFirmware, // its header is not a firmware file's, and the user stopped
        Declined,    // the user stopped at a question on its release
    };
    struct Examined {
        Verdict verdict;
        std::optional<Choice> choice;
    };
    // The checks and questions on one file, for the choice above and for any other front end.
    static Examined examine(Prompts& prompts, const QString& path, const QString& currentVersion);

    // The whole file, read and checked record by record before anything goes to a radio: why it
    // is no firmware file (the first fault found, in words), or nothing when it is one. Each
    // line is an S-record whose count and checksum agree, the first the firmware header with
    // a release, the last an end record.
    static std::optional<QString> fileFault(const QString& path);
    static std::optional<QString> recordsFault(const QByteArray& bytes);

    // The checks on the first 60 bytes of a file, for the choice above and for tests.
    static int headerFaults(const QByteArray& head); // 0, 1 or 2 validity questions
    static std::optional<QString> newVersion(const QByteArray& head);
    // The alpha questions in alphabetical order; true when the user answered Yes to all.
    static bool alphasAccepted(Prompts& prompts, const QString& current, const QString& next);
    static bool isOlder(const QString& current, const QString& next);
    static bool isSame(const QString& current, const QString& next);
};
