#pragma once

#include "ZoneQualityWindow.h"
#include "core/Prompts.h"

#include <QPointer>
#include <array>

class LevelBar;
class QComboBox;
class QLabel;
class QVBoxLayout;
class TrendChart;

// The radio's per-zone packet counters, live: sent, received and received in error, as
// numbers and as bars on one automatic scale, with a chart of their growth.
class ZoneDataWindow : public ZoneScreen {
    Q_OBJECT
public:
    ZoneDataWindow(Console& console, SharedState& state, Prompts& prompts, QWidget* parent);

    // The value of the scale's top mark: 10, 100, 1000 and so on.
    qint64 scaleTop() const { return scaleTop_; }
    // The scale's top for the largest count shown: grown and shrunk by tens until the count
    // fits in its top tenth; never below 10.
    static qint64 fittedScale(qint64 largest, qint64 top);
    ZoneQualityWindow* qualityWindow() const { return quality_; }
    // The growth chart is a trend over minutes: drawn again once a second, while the counts
    // and bars follow every reply.
    static constexpr double ChartRedrawSeconds = 1.0;

    QList<QLabel*> zoneTXCount, zoneRXCount, zoneErrorsCount;
    QList<LevelBar*> zoneTXBar, zoneRXBar, zoneErrorsBar;
    // Eleven scale marks a zone: index 11 x zone + k shows k tenths of the top.
    QList<QLabel*> labelZone;
    QAction* mnuShowZoneQuality;
    QAction* mnuResetZoneData;
    TrendChart* growthChart;
    QComboBox* chartCounter;

public slots:
    void onPollTick() override;
    void onResetTick() override;
    void showZoneQuality();
    // Asks first: the radio keeps no copy of the counters it clears.
    void resetZoneData();
    // Back from the quality screen, or the window activated again: updates go on unless the
    // user stopped them.
    void onRegainedFocus();

protected:
    void changeEvent(QEvent* event) override;
    bool tookWholeReply() override;

private:
    QVBoxLayout* scrolledColumn();
    void buildPanels();
    void buildMenu();
    QLabel* countLabel(ZoneReply::Counter counter, int zone) const;
    LevelBar* bar(ZoneReply::Counter counter, int zone) const;
    // The counters or the skipped zones from the buffer; false while they are not whole.
    bool tookReply();
    // An incomplete or unreadable reply waits once for its rest, then is dropped.
    void awaitRest(bool secondChance);
    void takeCounts(const std::array<ZoneReply::Counts, ZoneReply::Zones>& counts);
    void chartCounts(const std::array<ZoneReply::Counts, ZoneReply::Zones>& counts);
    void showChartCounter();
    void redrawBars();
    void clearCounters();

    // The counts read at the previous update (not cleared by a reset) and those shown.
    std::array<ZoneReply::Counts, ZoneReply::Zones> previous_{};
    std::array<ZoneReply::Counts, ZoneReply::Zones> shown_{};
    qint64 scaleTop_ = 10;
    // The chart's start: the counts of the first reply since opening or the last reset.
    std::optional<std::array<ZoneReply::Counts, ZoneReply::Zones>> chartBase_;
    qint64 chartStartMs_ = 0;
    QPointer<ZoneQualityWindow> quality_;
    Prompts prompts_;
};
