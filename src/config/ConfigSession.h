#pragma once

#include "ConfigFormat.h"
#include "link/Console.h"

#include <QMap>
#include <QObject>
#include <QRandomGenerator>
#include <QStringList>
#include <functional>

class Prompts;
class SerialPort;

// The store and restore window's talk with the radio, through a port of its own: wake the
// console, read the settings, save them to a file, program settings from a file. It shows
// nothing itself but the messages every link action shows; the window (or any other front
// end) shows its results. A console that stops answering, or a device that goes away, raises
// the restore link failure: the main window then closes the window and reopens its own link.
class ConfigSession : public QObject {
    Q_OBJECT
public:
    ConfigSession(SerialPort& port, SharedState& state, Clock& clock, Prompts& prompts,
                  QObject* parent = nullptr);
    ~ConfigSession() override;

    SerialPort& port() { return port_; }
    Console& console() { return console_; }

    // Opens the port as the main window's was set up; false (the failure said) when it fails.
    bool open(int portNumber, const QString& settings);
    void close();
    // Wakes the console; shown(dots) as it tries, attempts as Console::wakeUp takes them. True
    // once it answered with a prompt, its loader's included (atLoader()).
    bool wakeUp(const std::function<void(int dots)>& shown = {},
                int attempts = Console::WakeAttempts);
    bool atLoader() const { return console_.atLoader(); }

    // The radio's replies by query keyword, "n/a" until read.
    QMap<QString, QString> current;
    QString value(const QString& query) const { return current.value(query, "n/a"); }
    // Asks the radio for its firmware release, which decides the rows it has; without a main
    // window's read before it, a session learns it here. False when the radio did not answer.
    bool learnVersion();
    // The radio's serial number, or nothing when it did not say.
    std::optional<QString> serialNumber();

    // Logs in with the radio's password, the console echo off meanwhile.
    enum class Login { Accepted, Refused, NoAnswer };
    Login logIn(const QString& password);
    // "PASS NONE": the radio refuses changes again.
    void logOut();

    // Which rows the connected radio has, by its firmware version number.
    int versionNumber() const;

    // Reads every row the radio has; progress(percent) at each tenth. False when it did not
    // get to its end, a reply the line garbled every time it was asked included.
    bool read(const std::function<void(int percent)>& progress = {});
    // The query whose reply came garbled each time it was asked, or empty; and that in words.
    QString garbledReply() const { return garbled_; }
    QString garbledReason() const;
    // Saves the current values; an empty text when saved, else why not (any earlier file of
    // that name is then left as it was, and an interrupted save writes nothing).
    QString save(const QString& path, const QString& date);

    // How a programming run ended.
    struct Programmed {
        enum class End { Done, NoAnswer, PortClosed, Interrupted } end = End::Done;
        QStringList rows; // the rows whose commands all went to the radio
        int sent = 0;     // settings sent
        int total = 0;    // settings there were to send
        // By row, the radio's words to its command up to the prompt ("PROGRAMMED OK", "ACCESS
        // DENIED", empty for a bare prompt); of a row of two commands the first other than
        // "PROGRAMMED OK". A sent row is missing when a command of it had no prompt in time.
        QMap<QString, QString> answers;
        static QString confirmation() { return QStringLiteral("PROGRAMMED OK"); }
    };
    // Programs the rows named, in the fixed order, from the file values; a row that holds no
    // value is never sent. It stops at the first failure of the link. sent(done, total) after
    // each row.
    Programmed program(const QStringList& ticked, const QMap<QString, QString>& fileValues,
                       const std::function<void(int sent, int total)>& sent = {});
    // The programmed rows whose radio value (after a read) is not the file's.
    QStringList notTaken(const QStringList& programmed,
                         const QMap<QString, QString>& fileValues) const;

private:
    enum class Step { Sent, NoAnswer, PortClosed, Interrupted };
    void onPortEvent(int code);
    void onDeviceLost();
    // Makes sure the console shows its prompt, then sends the command (not awaiting a reply).
    Step sendStep(const QString& command);
    bool promptShown();
    // The console stopped answering: said once, and the main window takes over.
    void consoleFailed();
    // One query: the reply cut when the echo and the prompt arrived in time, asked again while
    // the line garbles it.
    std::optional<QString> ask(const QString& word);
    struct Answer {
        std::optional<QString> reply;
        bool garbled = false; // the line put bytes no radio sends into it, or into its echo
    };
    Answer askOnce(const QString& word);
    // The radio's words to a command just sent, once its prompt follows the echo.
    std::optional<QString> answerTo(const QString& command, const QString& label);

    SerialPort& port_;
    SharedState& state_;
    Prompts& prompts_;
    Console console_;
    QRandomGenerator random_;
    QString garbled_;
};
