#pragma once

#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <functional>

class Console;
class Prompts;
class RadioLink;
struct SharedState;

// What the download shows, given by its front end: the main window shows it in its progress
// window, terminal pane and status bar; another front end may print it.
struct FirmwareDisplay {
    std::function<void(const QString& caption, const QString& text, int percent)> progress;
    std::function<void()> hideProgress;
    std::function<void(const QString& text)> paneText;
    std::function<void(const QString& text)> paneAppend;
    std::function<void(const QString& text)> settingsText;
    std::function<void(bool enabled)> statusBarEnabled;
};

// Takes the radio into its loader, has it erase its firmware, sends the firmware file at
// 115200 baud and judges the loader's answer; then returns the port to 19200 baud and the
// window to the disconnected state, as a fresh connection needs it.
class FirmwareDownload : public QObject {
    Q_OBJECT
public:
    FirmwareDownload(Console& console, RadioLink& link, SharedState& state, Prompts& prompts,
                     FirmwareDisplay display);

    // The piece the file is sent in: one transmit buffer.
    static constexpr int PieceSize = 512;

    // The whole sequence; true when the loader reported the new firmware stored.
    bool run(const QString& path, const QString& newVersion, const QString& currentVersion);

private:
    enum class Entry { Loader, Stop };
    Entry requestProgram(const QString& newVersion, const QString& currentVersion);
    void showErasing();
    bool wakeLoader();
    void synchronise();
    bool transfer(const QString& path);
    bool judge();
    void finish();
    void drain();

    Console& console_;
    RadioLink& link_;
    SharedState& state_;
    Prompts& prompts_;
    FirmwareDisplay display_;
    QRandomGenerator random_;
};
