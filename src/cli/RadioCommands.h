#pragma once

#include "BuiltInRadio.h"
#include "ChosenPort.h"
#include "RadioConsole.h"
#include "config/ConfigSession.h"
#include "core/Clock.h"
#include "core/SharedState.h"
#include "firmware/FirmwareDownload.h"
#include "link/PortNames.h"

#include <QSettings>
#include <QStringList>
#include <memory>

class TerminalPrompts;

// The radio commands of the command-line tool, each on a link of its own: the same session,
// checks and download the windows use, reporting on the terminal. Each returns its exit code.
class RadioCommands : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString port; // a device or a number; empty for the window's port
        QString password;
        bool quiet = false;
        bool verbose = false;
        bool json = false;
        QStringList only;   // query keywords a restore is limited to
        double seconds = 0; // how long the signal strength is shown; 0 until interrupted
    };
    RadioCommands(Options options, TerminalPrompts& prompts);
    ~RadioCommands() override;

    int read();
    int save(const QString& path);
    int restore(const QString& path);
    int upgrade(const QString& path);
    int rssi();
    int console();
    // The ports the window's port list offers, "Com3 (/dev/ttyUSB0)" a line.
    int ports();

    // SIGINT and the like: the running step stops as the window's Cancel stops it.
    void interrupt();

private:
    // What a radio at its loader's prompt is good for: only the upgrade gives it firmware, and
    // the console shows it.
    enum class AtLoader { Refuse, Upgrade, Look };
    int connect(AtLoader atLoader = AtLoader::Refuse);
    int openPort();
    int openConsole();
    FirmwareLink firmwareLink();
    FirmwareDisplay firmwareDisplay(const QString& current, const QString& next);
    int readSettings(const QString& step);
    int connectAndRead();
    int logIn();
    // The exit code once a command ends, logged out again and closed.
    int finish(int code);
    void say(const QString& text) const;
    void detail(const QString& text) const;
    void progress(const QString& step, int percent) const;
    bool worthALine(const QString& step, int percent) const;
    void endProgress() const;
    QString device() const;
    int portNumber() const;
    // The port of --port, for this run only; without it, the window's stored port.
    PortNames::RunPort runPort() const;

    Options options_;
    TerminalPrompts& prompts_;
    std::unique_ptr<QSettings> settings_;
    PortNames::RunPort runPort_;
    SystemClock clock_;
    SharedState state_;
    // The radio built into the tool (--port simulated), as the window's: one for the run.
    BuiltInRadio builtInRadio_;
    ChosenPort port_;
    ConfigSession session_;
    bool interrupted_ = false;
    bool loggedIn_ = false;
    bool atLoader_ = false;
    // The upgrade: the user stopped it, the firmware was erased.
    bool stopRequested_ = false;
    bool erased_ = false;
    QString stage_;
    // How far a command got, for the word it ends with when interrupted.
    QString interruptedAt_;
    std::function<void()> onInterrupt_;
    // The progress step last shown; in a log, its percentage then and when it was shown.
    mutable QString shownStep_;
    mutable int shownPercent_ = -1;
    mutable qint64 shownAtMs_ = 0;
};
