#include "ZoneQualityWindow.h"

#include "LevelBar.h"
#include "core/ScreenFit.h"
#include "link/Console.h"

#include <QAction>
#include <QActionGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

using ZoneReply::Counter;

namespace {
// A change of more than this many points waits one reply before it is shown.
constexpr qint64 JumpPoints = 10;
} // namespace

ZoneQualityWindow::ZoneQualityWindow(Console& console, SharedState& state, QWidget* parent)
    : ZoneScreen(console, state, "frmZoneQuality", "Zone Quality", 150, parent) {
    buildMenu();
    buildPanels();
}

void ZoneQualityWindow::buildMenu() {
    QMenuBar* bar = addMenuBar();
    QMenu* filter = bar->addMenu("Select &Filter");
    auto* choices = new QActionGroup(this);
    mnuNormalAveraging = filter->addAction("&Normal Averaging");
    mnuNormalAveraging->setObjectName("mnuNormalAveraging");
    mnuBlockedFrequencies = filter->addAction("&Blocked Frequencies");
    mnuBlockedFrequencies->setObjectName("mnuBlockedFrequencies");
    for (QAction* choice : {mnuNormalAveraging, mnuBlockedFrequencies}) {
        choice->setCheckable(true);
        choices->addAction(choice);
    }
    mnuNormalAveraging->setChecked(true);
    addToggleItem(bar);
    addExitItem(bar);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(bar);
}

void ZoneQualityWindow::buildPanels() {
    auto* panels = new QGridLayout();
    for (int zone = 1; zone <= ZoneReply::Zones; ++zone) {
        QGroupBox* panel = addZonePanel(zone);
        auto* grid = new QGridLayout(panel);
        auto* top = new QLabel("100", panel);
        top->setObjectName(QString("scaleLabel_%1").arg(zone - 1));
        grid->addWidget(top, 0, 0, Qt::AlignTop | Qt::AlignRight);
        auto* bar = new LevelBar(QColor(0, 150, 60), panel);
        bar->setObjectName(QString("usableBar_%1").arg(zone - 1));
        usableBar << bar;
        grid->addWidget(bar, 0, 1, Qt::AlignHCenter);
        auto* percent = new QLabel("0", panel);
        percent->setObjectName(QString("percentUsable_%1").arg(zone - 1));
        percent->setAlignment(Qt::AlignCenter);
        percentUsable << percent;
        grid->addWidget(percent, 1, 0, 1, 2);
        auto* caption = new QLabel("% Usable", panel);
        caption->setAlignment(Qt::AlignCenter);
        grid->addWidget(caption, 2, 0, 1, 2);
        panels->addWidget(panel, 0, zone - 1);
    }
    layout()->addItem(panels);
    ensurePolished();
    fitToScreen(*this, wrappedPanels(*panels));
}

// The zones on one row where the screen is wide enough for it, otherwise on two rows of four
// (a large scale); the size the window wants.
QSize ZoneQualityWindow::wrappedPanels(QGridLayout& panels) {
    const QSize oneRow = sizeHint();
    if (oneRow.width() <= screenRoom(*this).width())
        return oneRow;
    for (int zone = 0; zone < ZoneReply::Zones; ++zone) {
        panels.removeWidget(frameZone.at(zone));
        panels.addWidget(frameZone.at(zone), zone / 4, zone % 4);
    }
    return sizeHint();
}

void ZoneQualityWindow::onPollTick() {
    const bool graceWasRunning = resetTimer->isActive();
    bool secondChance = false;
    if (graceWasRunning && resetTag_ == unknownData()) {
        resetTimer->stop();
        secondChance = true;
    }
    if (askedForCounters() || droppedResetEcho())
        return;
    const QString& buffer = console_.buffer();
    if (buffer.contains(QStringLiteral("SKIP"))) {
        if (tookSkippedZones())
            return;
    } else if (buffer.contains(QStringLiteral("1:"))) {
        takeZoneData();
        return;
    }
    awaitUnknown(secondChance);
}

bool ZoneQualityWindow::tookSkippedZones() {
    QString& buffer = console_.buffer();
    const auto zones = ZoneReply::skippedZones(buffer);
    if (!zones)
        return false;
    markSkipped(*zones);
    for (const int zone : *zones)
        skipped_.insert(zone);
    buffer.clear();
    return true;
}

void ZoneQualityWindow::takeZoneData() {
    if (dropNext_) {
        console_.buffer().clear();
        resetTimer->stop();
        dropNext_ = false;
        return;
    }
    // The polls go on; when the grace time ends the reply is dropped at the next one.
    if (!tookTotals())
        startGrace(incompleteZoneData());
}

bool ZoneQualityWindow::tookTotals() {
    QString& buffer = console_.buffer();
    const auto totals = ZoneReply::looksComplete(buffer)
                            ? ZoneReply::read(buffer, {Counter::Received, Counter::Errors})
                            : std::nullopt;
    if (!totals)
        return false;
    resetTimer->stop();
    for (int zone = 0; zone < ZoneReply::Zones; ++zone) {
        received_[zone] = (*totals)[zone][Counter::Received];
        errors_[zone] = (*totals)[zone][Counter::Errors];
    }
    buffer.clear();
    showQuality();
    return true;
}

// A reply the grace time has run out for is dropped at the next tick, whole or not.
bool ZoneQualityWindow::tookWholeReply() {
    const QString& buffer = console_.buffer();
    if (dropNext_)
        return false;
    if (buffer.contains(QStringLiteral("SKIP")))
        return tookSkippedZones();
    return buffer.contains(QStringLiteral("1:")) && tookTotals();
}

void ZoneQualityWindow::awaitUnknown(bool secondChance) {
    if (secondChance) {
        console_.buffer().clear();
        return;
    }
    startGrace(unknownData());
    pollTimer->stop();
}

void ZoneQualityWindow::startGrace(const QString& tag) {
    resetTag_ = tag;
    // A grace period under way is not lengthened by every poll.
    if (!resetTimer->isActive())
        resetTimer->start();
}

void ZoneQualityWindow::onResetTick() {
    if (resetTag_ != unknownData())
        dropNext_ = true;
    else
        enablePolling();
}

qint64 ZoneQualityWindow::qualityOf(int zone, double average) const {
    const double usable = double(received_[zone] - errors_[zone]) * 100.0;
    const double base = mnuNormalAveraging->isChecked() ? double(received_[zone]) : average;
    return qint64(std::floor(usable / base));
}

void ZoneQualityWindow::showQuality() {
    const qsizetype inUse = ZoneReply::Zones - skipped_.size();
    qint64 sum = 0;
    for (const qint64 total : received_)
        sum += total;
    const double average = inUse > 0 ? double(sum) / double(inUse) : 0.0;
    for (int zone = 0; zone < ZoneReply::Zones; ++zone) {
        qint64 shown = shown_[zone];
        // No packets, or no zone in use to compare with: nothing is usable.
        if (received_[zone] <= 0 || (mnuBlockedFrequencies->isChecked() && average <= 0)) {
            shown = 0;
        } else {
            const qint64 q = qualityOf(zone, average);
            const bool jump = q < shown - JumpPoints || q > shown + JumpPoints;
            if (jump && !jumpPending_[zone]) {
                jumpPending_[zone] = true;
            } else {
                jumpPending_[zone] = false;
                shown = q;
            }
        }
        shown_[zone] = std::clamp<qint64>(shown, 0, 100);
        percentUsable.at(zone)->setText(QString::number(shown_[zone]));
        usableBar.at(zone)->setValue(shown_[zone], 100);
    }
}
