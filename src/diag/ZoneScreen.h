#pragma once

#include "ZoneReply.h"

#include <QDialog>
#include <functional>
#include <memory>

class Console;
class LinkBusy;
class QAction;
class QGroupBox;
class QMenuBar;
class QTimer;
struct SharedState;

// What the zone data and zone quality screens share: they ask the radio for its skipped zones
// once and then for its zone counters over and over, through the main window's console, on a
// poll timer with a grace timer for replies that arrive slowly. A reply that becomes whole
// while the grace timer runs is taken as it arrives, and the next is asked for at once, so the
// updates keep the line's pace. While one is open it holds the link, so no keep-alive or read
// comes between a request and its reply.
class ZoneScreen : public QDialog {
    Q_OBJECT
public:
    ZoneScreen(Console& console, SharedState& state, const QString& name, const QString& caption,
               int pollMs, QWidget* parent);
    ~ZoneScreen() override;

    // On load: a fresh buffer, the skipped-zones request, then the updates.
    void start();
    bool updating() const;

    // Characters the port holds back for the rest of a reply come at least this long before a
    // timer of the screen looks at the buffer.
    static constexpr int HeldMarginMs = 10;

    static QString stopCaption() { return QStringLiteral("&Stop Zone Updates"); }
    static QString startCaption() { return QStringLiteral("&Start Zone Updates"); }

    QList<QGroupBox*> frameZone;
    QTimer* pollTimer;
    QTimer* resetTimer;
    QAction* mnuToggleZoneUpdates = nullptr;
    QAction* mnuExitScreen = nullptr;

public slots:
    virtual void onPollTick() = 0;
    virtual void onResetTick() = 0;
    // Stop and Start, one menu item.
    void toggleUpdates();
    // However the screen closes, its timers end; nothing is sent.
    void done(int result) override;

protected:
    // Sends a command line; a port that fails pauses the updates rather than failing on every
    // tick.
    void send(const QString& command);
    // An empty buffer means the last reply was taken: the next is asked for. True when asked.
    bool askedForCounters();
    // The echo of a counter reset is no reply: the buffer is emptied. True when it was.
    bool droppedResetEcho();
    // The reply in the buffer, taken and shown if it is whole and readable; true when it was.
    // Asked on each arrival during the grace time; the buffer holds no reset echo then.
    virtual bool tookWholeReply() = 0;
    void pause();
    void resume();
    void enablePolling();
    // Titles the panels of the zones the radio skips.
    void markSkipped(const QList<int>& zones);
    QGroupBox* addZonePanel(int zone);
    // A menu bar command; the screens' menus are commands on the bar itself.
    QAction* addItem(QMenuBar* bar, const char* name, const QString& caption,
                     const std::function<void()>& run);
    QMenuBar* addMenuBar();
    void addToggleItem(QMenuBar* bar);
    void addExitItem(QMenuBar* bar);

    Console& console_;
    SharedState& state_;

private:
    void onPortEvent(int code);
    void expectRestOfReply();
    bool resting() const;

    std::unique_ptr<LinkBusy> busy_;
    bool closed_ = false;
};
