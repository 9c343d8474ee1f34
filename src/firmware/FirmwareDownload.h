#pragma once

#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <functional>

class Console;
class Prompts;
struct SharedState;

// What the download shows, given by its front end: the main window shows it in its progress
// window, terminal pane and status bar; another front end may print it.
struct FirmwareDisplay {
    // The stages after the radio was told to go: it restarts into its loader, the loader erases
    // the firmware, the file is sent, the loader's verdict is awaited.
    enum class Stage { Restarting, Erasing, Sending, Verifying };
    std::function<void(Stage stage)> stage;
    std::function<void(const QString& caption, const QString& text, int percent)> progress;
    std::function<void()> hideProgress;
    std::function<void(const QString& text)> paneText;
    std::function<void(const QString& text)> paneAppend;
    std::function<void(const QString& text)> settingsText;
    std::function<void(bool enabled)> statusBarEnabled;
};

// What the download asks of the link that holds the radio: the main window's link actions, or
// a front end's own.
struct FirmwareLink {
    // Closes the link (the radio told first, when its console answers). A radio left in its
    // loader is found there by the next connection.
    std::function<void()> disconnect;
    // Opens, wakes and greets the console again, and has the settings read.
    std::function<void()> connect;
    std::function<void()> reportCommunicationError;
    // Whether line events are shown while the file is sent.
    std::function<void(bool shown)> showEvents;
    // The front end stops the upgrade (a Ctrl+C) as the progress window's Cancel would: before
    // the erase the radio is brought back with the firmware it had; after it, the sending
    // stops and the radio waits in its loader for the next upgrade. The front end wakes the
    // gate's waits (LinkGate::wake) as it stops, so that the stop is seen at once.
    std::function<bool()> stopped;
};

// Takes the radio into its loader, has it erase its firmware, sends the firmware file at
// 115200 baud and judges the loader's answer; then returns the port to 19200 baud and connects
// again, so that the window shows the release the radio now runs. It admits no other action on
// the link while it runs. Whatever ends it (Cancel, a serial error, Disconnect, a lost device,
// quitting), the line is back at 19200 baud, and nothing after an interruption is reported as
// its verdict.
class FirmwareDownload : public QObject {
    Q_OBJECT
public:
    FirmwareDownload(Console& console, SharedState& state, Prompts& prompts, FirmwareLink link,
                     FirmwareDisplay display);

    // The piece the file is sent in: one transmit buffer.
    static constexpr int PieceSize = 512;

    // The whole sequence; true when the loader reported the new firmware stored.
    bool run(const QString& path, const QString& newVersion, const QString& currentVersion);

    // Where the radio was left, as far as the download saw it: what a front end tells at the
    // end, however the download was stopped.
    enum class Left {
        Untouched,      // never told to leave its console
        BroughtBack,    // told to go, then back on its console with the firmware it had
        LoaderUnerased, // in its loader, or restarting into it, its firmware not erased
        Loader,         // in its loader, its firmware erased (or not known)
        Upgraded,       // the loader stored the new firmware and was told to start it
    };
    Left left() const { return left_; }

private:
    enum class Entry { Loader, Declined, Restarting, Cancelled, Interrupted };
    Entry enterLoader(const QString& newVersion, const QString& currentVersion);
    bool requestProgram(const QString& newVersion, const QString& currentVersion);
    // False when the user pressed Cancel while the radio restarted.
    bool showErasing();
    bool wakeLoader();
    void leaveLoaderUnchanged(const QString& currentVersion);
    void synchronise();
    bool transfer(const QString& path);
    bool judge();
    void drain();
    // Back to the console's speed, the status bar shown again.
    void restoreLine();
    void finish(bool stored);
    void sayFailed();
    bool userCancelled() const;
    // The progress window's Cancel or the front end's stop.
    bool stopAsked() const;
    bool stopped() const;
    void enter(FirmwareDisplay::Stage stage);

    Console& console_;
    SharedState& state_;
    Prompts& prompts_;
    FirmwareLink link_;
    FirmwareDisplay display_;
    QRandomGenerator random_;
    Left left_ = Left::Untouched;
};
