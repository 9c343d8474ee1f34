#include "ZoneScreen.h"

#include "core/SharedState.h"
#include "link/Console.h"
#include "link/SerialPort.h"

#include <QAction>
#include <QGroupBox>
#include <QMenuBar>
#include <QTimer>
#include <limits>

ZoneScreen::ZoneScreen(Console& console, SharedState& state, const QString& name,
                       const QString& caption, int pollMs, QWidget* parent)
    : QDialog(parent), pollTimer(new QTimer(this)), resetTimer(new QTimer(this)), console_(console),
      state_(state),
      // An interrupted link (a lost device, quitting) closes the screen.
      busy_(std::make_unique<LinkBusy>(state.gate, this, QString(), [this] {
          QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
      })) {
    setObjectName(name);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    pollTimer->setObjectName("pollTimer");
    pollTimer->setInterval(pollMs);
    resetTimer->setObjectName("resetTimer");
    resetTimer->setInterval(500);
    // While a question is open nothing may talk to the radio: the updates rest.
    connect(pollTimer, &QTimer::timeout, this, [this] {
        if (!resting())
            onPollTick();
    });
    connect(resetTimer, &QTimer::timeout, this, [this] {
        if (!resting())
            onResetTick();
    });
    // Connected after the main window's receive path, so the arrival is in the buffer already.
    connect(&console.port(), &SerialPort::commEvent, this, &ZoneScreen::onPortEvent);
}

ZoneScreen::~ZoneScreen() = default;

void ZoneScreen::start() {
    console_.resetBuffer();
    send(QStringLiteral("skip"));
    pollTimer->start();
}

bool ZoneScreen::updating() const {
    return pollTimer->isActive() || resetTimer->isActive();
}

void ZoneScreen::toggleUpdates() {
    if (updating()) {
        pause();
        return;
    }
    console_.buffer().clear();
    resume();
}

void ZoneScreen::pause() {
    pollTimer->stop();
    resetTimer->stop();
    console_.port().expectCharacters(0, 0);
    mnuToggleZoneUpdates->setText(startCaption());
}

void ZoneScreen::resume() {
    enablePolling();
    mnuToggleZoneUpdates->setText(stopCaption());
}

void ZoneScreen::enablePolling() {
    // A timer that runs already keeps its rhythm.
    if (!pollTimer->isActive())
        pollTimer->start();
}

bool ZoneScreen::resting() const {
    return state_.gate.waitDepth() > 0;
}

void ZoneScreen::done(int result) {
    if (closed_)
        return;
    // Closed under its own question (the link interrupted): once the question has returned.
    if (state_.gate.asks(this)) {
        state_.gate.interrupt(objectName() + ":close", this, [this, result] { done(result); });
        return;
    }
    closed_ = true;
    pollTimer->stop();
    resetTimer->stop();
    console_.port().expectCharacters(0, 0);
    busy_.reset();
    QDialog::done(result);
}

void ZoneScreen::send(const QString& command) {
    try {
        console_.sendLine(command);
    } catch (const SerialError&) {
        pause();
    }
}

bool ZoneScreen::askedForCounters() {
    if (!console_.buffer().isEmpty())
        return false;
    send(QStringLiteral("ZONE DATA"));
    expectRestOfReply();
    return true;
}

// Waiting out the grace time for a reply that is already whole would slow the updates to a
// third of what the line carries.
void ZoneScreen::onPortEvent(int code) {
    if (code != SerialPort::Received || !resetTimer->isActive() || resting() ||
        console_.buffer().contains(QStringLiteral("zone clear")))
        return;
    if (!tookWholeReply()) {
        expectRestOfReply();
        return;
    }
    resetTimer->stop();
    // The poll rhythm starts again from the request, which need not wait for a tick.
    pollTimer->start();
    askedForCounters();
}

// Woken once the rest of the counters is in rather than for every few characters (a reply is
// over a hundred arrivals otherwise), and always before a timer of the screen looks at the
// buffer, so that nothing held back is taken for a missing reply.
void ZoneScreen::expectRestOfReply() {
    const QString& buffer = console_.buffer();
    const qsizetype missing = ZoneReply::CompleteLength - buffer.size();
    if (missing <= 0 || buffer.contains(QStringLiteral("SKIP")))
        return;
    int untilLook = std::numeric_limits<int>::max();
    for (const QTimer* timer : {pollTimer, resetTimer})
        if (timer->isActive())
            untilLook = std::min(untilLook, timer->remainingTime());
    console_.port().expectCharacters(int(missing), untilLook - HeldMarginMs);
}

bool ZoneScreen::droppedResetEcho() {
    if (!console_.buffer().contains(QStringLiteral("zone clear")))
        return false;
    console_.buffer().clear();
    return true;
}

void ZoneScreen::markSkipped(const QList<int>& zones) {
    for (const int zone : zones)
        frameZone.at(zone - 1)->setTitle(QString("Zone %1 (skipped)").arg(zone));
}

QGroupBox* ZoneScreen::addZonePanel(int zone) {
    auto* panel = new QGroupBox(QString("Zone %1").arg(zone), this);
    panel->setObjectName(QString("frameZone_%1").arg(zone - 1));
    frameZone << panel;
    return panel;
}

QAction* ZoneScreen::addItem(QMenuBar* bar, const char* name, const QString& caption,
                             const std::function<void()>& run) {
    auto* item = new QAction(caption, this);
    item->setObjectName(name);
    connect(item, &QAction::triggered, this, run);
    bar->addAction(item);
    return item;
}

QMenuBar* ZoneScreen::addMenuBar() {
    auto* bar = new QMenuBar(this);
    bar->setNativeMenuBar(false);
    return bar;
}

void ZoneScreen::addToggleItem(QMenuBar* bar) {
    mnuToggleZoneUpdates =
        addItem(bar, "mnuToggleZoneUpdates", stopCaption(), [this] { toggleUpdates(); });
}

void ZoneScreen::addExitItem(QMenuBar* bar) {
    mnuExitScreen = addItem(bar, "mnuExitScreen", "&Exit Screen", [this] { reject(); });
}
