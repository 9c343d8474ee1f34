#pragma once

#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <functional>

class Console;
class Prompts;
class ProgressWindow;
class QFile;
class RadioLink;
class QWidget;
struct LinkControls;
struct SharedState;

// Takes the radio into its loader, has it erase its firmware, sends the firmware file at
// 115200 baud and judges the loader's answer; then returns the port to 19200 baud and the
// window to the disconnected state, as a fresh connection needs it.
class FirmwareDownload : public QObject {
    Q_OBJECT
public:
    FirmwareDownload(Console& console, RadioLink& link, LinkControls& controls, SharedState& state,
                     Prompts& prompts, QWidget* window);

    // The piece the file is sent in: one transmit buffer.
    static constexpr int PieceSize = 512;

    // The whole sequence; true when the loader reported the new firmware stored.
    bool run(const QString& path, const QString& newVersion, const QString& currentVersion);

    // Progress of the transfer in percent (the share of whole pieces sent before the current).
    std::function<void(int percent)> progressed;

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
    LinkControls& controls_;
    SharedState& state_;
    Prompts& prompts_;
    QWidget* window_;
    QRandomGenerator random_;
    ProgressWindow* progress_ = nullptr;
};
