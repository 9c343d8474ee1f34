#include "ZoneDataWindow.h"

#include "LevelBar.h"
#include "TrendChart.h"
#include "ZoneQualityWindow.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/ScreenFit.h"
#include "link/Console.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

using ZoneReply::Counter;

namespace {
constexpr int Marks = 11;
// The radio's counts have 8 digits; the widest mark is the top of a scale over them.
constexpr qint64 WidestCount = 99999999;
constexpr qint64 WidestMark = WidestCount + 1;
// A count is taken as traffic only while it grows by less than this between updates.
constexpr qint64 GrowthLimit = 1000;
const Counter AllCounters[] = {Counter::Transmitted, Counter::Received, Counter::Errors};
} // namespace

ZoneDataWindow::ZoneDataWindow(Console& console, SharedState& state, Prompts& prompts,
                               QWidget* parent)
    : ZoneScreen(console, state, "frmZoneData", "Zone Data", 2000, parent),
      prompts_(prompts.askedBy(this)) {
    buildMenu();
    buildPanels();
    redrawBars();
}

// The panels and the chart scroll when the screen is too small for them, so that nothing falls
// below its edge.
QVBoxLayout* ZoneDataWindow::scrolledColumn() {
    auto* content = new QWidget;
    content->setObjectName("ZoneContent");
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("ZoneArea");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    layout()->addWidget(scroll);
    return column;
}

void ZoneDataWindow::buildMenu() {
    QMenuBar* bar = addMenuBar();
    addToggleItem(bar);
    mnuShowZoneQuality =
        addItem(bar, "mnuShowZoneQuality", "Show Zone &Quality", [this] { showZoneQuality(); });
    mnuResetZoneData =
        addItem(bar, "mnuResetZoneData", "Reset &Zone Data", [this] { resetZoneData(); });
    addExitItem(bar);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(bar);
}

void ZoneDataWindow::buildPanels() {
    QVBoxLayout* content = scrolledColumn();
    // Two rows of four: the window fits a laptop screen whatever the scale's width.
    auto* panels = new QGridLayout();
    const struct {
        QList<QLabel*>* counts;
        QList<LevelBar*>* bars;
        const char* name;
        const char* caption;
        QColor colour;
    } columns[] = {{&zoneTXCount, &zoneTXBar, "zoneTX", "Tx.", QColor(0, 110, 200)},
                   {&zoneRXCount, &zoneRXBar, "zoneRX", "Rx.", QColor(0, 150, 60)},
                   {&zoneErrorsCount, &zoneErrorsBar, "zoneErrors", "Errors", QColor(200, 40, 30)}};
    for (int zone = 1; zone <= ZoneReply::Zones; ++zone) {
        QGroupBox* panel = addZonePanel(zone);
        auto* grid = new QGridLayout(panel);
        grid->setHorizontalSpacing(4);
        auto* scale = new QVBoxLayout();
        scale->setSpacing(0);
        QList<QLabel*> marks;
        for (int k = 0; k < Marks; ++k) {
            auto* mark = new QLabel(QString::number(k), panel);
            mark->setObjectName(QString("labelZone_%1").arg(labelZone.size()));
            mark->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // As wide as the widest mark from the start: the window keeps its width as the
            // scale grows.
            mark->setMinimumWidth(
                mark->fontMetrics().horizontalAdvance(QString::number(WidestMark)));
            labelZone << mark;
            marks.prepend(mark);
        }
        for (QLabel* mark : marks)
            scale->addWidget(mark);
        grid->addLayout(scale, 0, 0);
        // The counts read as a list below the bars, each caption in its bar's colour.
        int row = 1;
        for (const auto& kind : columns) {
            auto* bar = new LevelBar(kind.colour, panel);
            bar->setObjectName(QString("%1Bar_%2").arg(kind.name).arg(zone - 1));
            *kind.bars << bar;
            grid->addWidget(bar, 0, row, Qt::AlignHCenter);
            auto* caption = new QLabel(kind.caption, panel);
            caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            QPalette colours = caption->palette();
            colours.setColor(QPalette::WindowText, kind.colour.darker(120));
            caption->setPalette(colours);
            auto* count = new QLabel("0", panel);
            count->setObjectName(QString("%1Count_%2").arg(kind.name).arg(zone - 1));
            count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // As wide as the radio's largest count from the start, as the marks are, and of a
            // fixed size: a new count then repaints its label without laying out the window.
            count->setFixedSize(
                count->fontMetrics().horizontalAdvance(QString::number(WidestCount)),
                count->sizeHint().height());
            count->setAutoFillBackground(true);
            *kind.counts << count;
            grid->addWidget(caption, row, 0);
            grid->addWidget(count, row, 1, 1, 3, Qt::AlignRight);
            ++row;
        }
        panels->addWidget(panel, (zone - 1) / 4, (zone - 1) % 4);
    }
    content->addLayout(panels);

    // Eight lines a counter; the chooser shows one counter's eight.
    QStringList lines;
    for (int i = 0; i < 3 * ZoneReply::Zones; ++i)
        lines << QString("Zone %1").arg(i % ZoneReply::Zones + 1);
    growthChart = new TrendChart("Growth since the screen opened or was reset", lines, this);
    growthChart->setObjectName("growthChart");
    growthChart->setRedrawEvery(ChartRedrawSeconds);
    chartCounter = new QComboBox(this);
    chartCounter->setObjectName("chartCounter");
    chartCounter->addItems({"Tx.", "Rx.", "Errors"});
    chartCounter->setCurrentIndex(Counter::Received);
    connect(chartCounter, &QComboBox::currentIndexChanged, this, &ZoneDataWindow::showChartCounter);
    auto* chartRow = new QHBoxLayout();
    auto* chartLabel = new QLabel("Chart:", this);
    chartLabel->setBuddy(chartCounter);
    chartRow->addWidget(chartLabel);
    chartRow->addWidget(chartCounter);
    chartRow->addStretch();
    content->addLayout(chartRow);
    content->addWidget(growthChart);
    // Sixteen lines high: room for the time axis' marks and title under the title and above
    // the legend, and still on a small screen.
    growthChart->setMinimumHeight(16 * fontMetrics().lineSpacing());
    showChartCounter();
    // Room for a scroll bar too: on a screen too low for the chart, the panels keep their width.
    ensurePolished();
    const QMargins margins = layout()->contentsMargins();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    fitToScreen(*this, content->parentWidget()->sizeHint() +
                           QSize(margins.left() + margins.right() + scrollBar,
                                 margins.top() + margins.bottom() +
                                     layout()->menuBar()->sizeHint().height()));
}

QLabel* ZoneDataWindow::countLabel(Counter counter, int zone) const {
    const QList<QLabel*>* lists[] = {&zoneTXCount, &zoneRXCount, &zoneErrorsCount};
    return lists[counter]->at(zone);
}

LevelBar* ZoneDataWindow::bar(Counter counter, int zone) const {
    const QList<LevelBar*>* lists[] = {&zoneTXBar, &zoneRXBar, &zoneErrorsBar};
    return lists[counter]->at(zone);
}

void ZoneDataWindow::onPollTick() {
    // Only the first update waits two seconds: the skipped-zones reply has come by then.
    pollTimer->setInterval(50);
    // A tick while the grace timer runs is the reply's second chance.
    const bool secondChance = resetTimer->isActive();
    resetTimer->stop();
    if (askedForCounters())
        return;
    if (!droppedResetEcho() && !tookReply())
        awaitRest(secondChance);
    redrawBars();
}

bool ZoneDataWindow::tookReply() {
    QString& buffer = console_.buffer();
    if (buffer.contains(QStringLiteral("SKIP"))) {
        const auto zones = ZoneReply::skippedZones(buffer);
        if (!zones)
            return false;
        markSkipped(*zones);
    } else {
        const auto counts =
            ZoneReply::looksComplete(buffer)
                ? ZoneReply::read(buffer, {std::begin(AllCounters), std::end(AllCounters)})
                : std::nullopt;
        if (!counts)
            return false;
        takeCounts(*counts);
    }
    buffer.clear();
    return true;
}

bool ZoneDataWindow::tookWholeReply() {
    if (!tookReply())
        return false;
    redrawBars();
    return true;
}

void ZoneDataWindow::onResetTick() {
    // The grace timer stays on, so that the next update knows the reply had its chance.
    enablePolling();
}

void ZoneDataWindow::awaitRest(bool secondChance) {
    if (secondChance) {
        console_.buffer().clear();
        return;
    }
    resetTimer->start();
    pollTimer->stop();
}

void ZoneDataWindow::takeCounts(const std::array<ZoneReply::Counts, ZoneReply::Zones>& counts) {
    for (int zone = 0; zone < ZoneReply::Zones; ++zone) {
        for (const Counter counter : AllCounters) {
            const qint64 value = counts[zone][counter];
            qint64& previous = previous_[zone][counter];
            if (value > previous && value < previous + GrowthLimit) {
                shown_[zone][counter] = value;
                countLabel(counter, zone)->setText(QString::number(value));
            }
            previous = value;
        }
    }
    chartCounts(counts);
}

void ZoneDataWindow::chartCounts(const std::array<ZoneReply::Counts, ZoneReply::Zones>& counts) {
    const qint64 now = console_.clock().msecs();
    if (!chartBase_) {
        chartBase_ = counts;
        chartStartMs_ = now;
    }
    QList<double> growth;
    for (const Counter counter : AllCounters)
        for (int zone = 0; zone < ZoneReply::Zones; ++zone)
            growth << double(counts[zone][counter] - (*chartBase_)[zone][counter]);
    growthChart->append((now - chartStartMs_) / 1000.0, growth);
}

void ZoneDataWindow::showChartCounter() {
    const int shown = chartCounter->currentIndex();
    for (const Counter counter : AllCounters)
        for (int zone = 0; zone < ZoneReply::Zones; ++zone)
            growthChart->setSeriesVisible(counter * ZoneReply::Zones + zone, counter == shown);
}

qint64 ZoneDataWindow::fittedScale(qint64 largest, qint64 top) {
    constexpr qint64 HighestTop = qint64(1) << 58;
    while (largest > top && top < HighestTop)
        top *= 10;
    while (largest > 0 && largest < HighestTop && 10 * largest < top && top > 10)
        top /= 10;
    return top;
}

void ZoneDataWindow::redrawBars() {
    qint64 largest = 0;
    for (const ZoneReply::Counts& zone : shown_)
        for (const qint64 count : zone)
            largest = std::max(largest, count);
    scaleTop_ = fittedScale(largest, scaleTop_);
    for (int i = 0; i < labelZone.size(); ++i)
        labelZone.at(i)->setText(QString::number(i % Marks * (scaleTop_ / 10)));
    for (int zone = 0; zone < ZoneReply::Zones; ++zone)
        for (const Counter counter : AllCounters)
            bar(counter, zone)->setValue(shown_[zone][counter], scaleTop_);
}

void ZoneDataWindow::showZoneQuality() {
    pollTimer->stop();
    resetTimer->stop();
    quality_ = new ZoneQualityWindow(console_, state_, this);
    connect(quality_, &QDialog::finished, this, &ZoneDataWindow::onRegainedFocus);
    quality_->open();
    quality_->start();
}

void ZoneDataWindow::resetZoneData() {
    if (prompts_.message("Reset the zone counters in the radio?\r\rEvery zone's counts of "
                         "packets sent, received and received in error go back to 0; the counts "
                         "so far are lost.",
                         "Reset Zone Data", Prompts::Icon::Question, Prompts::Buttons::YesNo,
                         Prompts::No) == Prompts::Yes)
        clearCounters();
}

void ZoneDataWindow::clearCounters() {
    scaleTop_ = 10;
    shown_ = {};
    for (QList<QLabel*>* counts : {&zoneTXCount, &zoneRXCount, &zoneErrorsCount})
        for (QLabel* count : *counts)
            count->setText("0");
    send(QStringLiteral("zone clear"));
    chartBase_.reset();
    growthChart->clear();
    redrawBars();
}

void ZoneDataWindow::onRegainedFocus() {
    if (quality_ && quality_->isVisible())
        return;
    if (mnuToggleZoneUpdates->text() == stopCaption() && !updating())
        enablePolling();
}

void ZoneDataWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        onRegainedFocus();
    ZoneScreen::changeEvent(event);
}
