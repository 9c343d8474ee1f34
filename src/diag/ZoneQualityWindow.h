#pragma once

#include "ZoneScreen.h"

#include <QSet>
#include <array>

class LevelBar;
class QGridLayout;
class QLabel;

// Each zone's share of usable packets, "% Usable", from the radio's receive counters: either
// the share of its own packets received without error, or (blocked frequencies) its error-free
// packets against the average a zone in use receives.
class ZoneQualityWindow : public ZoneScreen {
    Q_OBJECT
public:
    ZoneQualityWindow(Console& console, SharedState& state, QWidget* parent);

    // Why the grace timer runs.
    static QString incompleteZoneData() { return QStringLiteral("incompleteZoneData"); }
    static QString unknownData() { return QStringLiteral("unknownData"); }
    QString resetTag() const { return resetTag_; }
    bool dropNextReply() const { return dropNext_; }

    QList<QLabel*> percentUsable;
    QList<LevelBar*> usableBar;
    QAction* mnuNormalAveraging;
    QAction* mnuBlockedFrequencies;

public slots:
    void onPollTick() override;
    void onResetTick() override;

protected:
    bool tookWholeReply() override;

private:
    void buildMenu();
    void buildPanels();
    QSize wrappedPanels(QGridLayout& panels);
    // A zone data reply in the buffer: read it, drop it, or give it time.
    void takeZoneData();
    // The skipped zones, read and marked; false while their line is not whole.
    bool tookSkippedZones();
    // The totals read and the quality shown; false while the reply is not whole and readable.
    bool tookTotals();
    // Text that is no known reply: one grace period, then it is dropped.
    void awaitUnknown(bool secondChance);
    void startGrace(const QString& tag);
    void showQuality();
    // The figure of one zone before the hold-back; nothing when it cannot be worked out.
    qint64 qualityOf(int zone, double average) const;

    std::array<qint64, ZoneReply::Zones> received_{};
    std::array<qint64, ZoneReply::Zones> errors_{};
    std::array<qint64, ZoneReply::Zones> shown_{};
    std::array<bool, ZoneReply::Zones> jumpPending_{};
    QSet<int> skipped_;
    bool dropNext_ = false;
    QString resetTag_;
};
