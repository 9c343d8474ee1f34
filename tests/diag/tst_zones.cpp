#include "Harness.h"
#include "diag/LevelBar.h"
#include "diag/TrendChart.h"
#include "diag/ZoneDataWindow.h"
#include "diag/ZoneQualityWindow.h"
#include "diag/ZoneReply.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QValueAxis>

namespace {

using Counts = ZoneReply::Counts;

// A "ZONE DATA" reply as the radio writes it, with the echo and the prompt; zones not given
// count 0.
QString zoneReply(const QMap<int, Counts>& zones) {
    QString text = "ZONE DATA\r\n";
    const char* const names[] = {"TX TOTAL", "RX TOTAL", "RX ERROR"};
    for (int zone = 1; zone <= 8; ++zone)
        for (int c = 0; c < 3; ++c)
            text += QString("%1:%2 %3\r\n").arg(zone).arg(names[c]).arg(zones.value(zone)[c], 8);
    return text + ">";
}

// Every zone with the same counters.
QString everyZone(const Counts& counts) {
    QMap<int, Counts> zones;
    for (int zone = 1; zone <= 8; ++zone)
        zones[zone] = counts;
    return zoneReply(zones);
}

// The tests tick the screens by hand; their real timers only report whether they run.
template <typename Screen> Screen* handTicked(Screen* screen) {
    screen->pollTimer->blockSignals(true);
    screen->resetTimer->blockSignals(true);
    return screen;
}

} // namespace

class TestZones : public QObject {
    Q_OBJECT

    static ZoneDataWindow* openZoneData(Harness& h) {
        h.window->onZoneData();
        ZoneDataWindow* screen = h.window->findChild<ZoneDataWindow*>();
        return screen ? handTicked(screen) : nullptr;
    }
    // The screen's next update with this text in the receive buffer.
    template <typename Screen>
    static void tickWith(Harness& h, Screen* screen, const QString& text) {
        h.window->state().receiveBuffer = text;
        screen->onPollTick();
    }
    static ZoneQualityWindow* openQuality(Harness& h, ZoneDataWindow* data) {
        data->showZoneQuality();
        handTicked(data->qualityWindow());
        h.window->state().receiveBuffer.clear();
        return data->qualityWindow();
    }

private slots:
    void replyReading() {
        QCOMPARE(ZoneReply::valueOf("    1234"), 1234);
        QCOMPARE(ZoneReply::valueOf(" 12 34  "), 1234);
        QCOMPARE(ZoneReply::valueOf("  12.9  "), 12);
        QCOMPARE(ZoneReply::valueOf("  ab12  "), 0);
        QCOMPARE(ZoneReply::valueOf(""), 0);

        const QList<ZoneReply::Counter> all{ZoneReply::Transmitted, ZoneReply::Received,
                                            ZoneReply::Errors};
        const QString whole = zoneReply({{3, {30, 20, 2}}});
        QVERIFY(ZoneReply::looksComplete(whole));
        QCOMPARE(whole.size(), ZoneReply::CompleteLength);
        const auto counts = ZoneReply::read(whole, all);
        QVERIFY(counts);
        QCOMPARE((*counts)[2], (Counts{30, 20, 2}));
        // A value cut by a line end, or a zone's line missing, is no reading.
        QVERIFY(!ZoneReply::read(whole.left(whole.size() - 4), all));
        QString noZone7 = whole;
        noZone7.replace("7:RX TOTAL", "7:RX T0TAL");
        QVERIFY(!ZoneReply::read(noZone7, all));
        // The tail of an older reply lends no zone another zone's counter.
        const QString tail = "3:RX ERROR        9\r\n4:TX TOTAL      999\r\n";
        const auto mixed = ZoneReply::read(tail + whole, all);
        QVERIFY(mixed);
        QCOMPARE((*mixed)[2], (Counts{30, 20, 2}));
        QCOMPARE((*mixed)[3][ZoneReply::Transmitted], 999);

        QCOMPARE(ZoneReply::skippedZones(" skip\r\nSKIP 2,5\r\n>"), (QList<int>{2, 5}));
        QCOMPARE(ZoneReply::skippedZones(" skip\r\nSKIP NONE\r\n>"), QList<int>{});
        // A list still arriving, or the echo alone, is not read yet.
        QVERIFY(!ZoneReply::skippedZones(" skip\r\nSKIP 2,"));
        QVERIFY(!ZoneReply::skippedZones("SKIP"));
    }

    // Every reading is kept, but the lines are drawn again only once the readings have moved
    // on by the redraw time; a clear draws the next reading at once.
    void chartIsDrawnAgainOnlyAfterItsRedrawTime() {
        TrendChart chart("growth", {"a", "b"}, nullptr);
        chart.setRedrawEvery(1.0);
        chart.append(0, {1, 2});
        QCOMPARE(chart.drawnCount(0), 1);
        for (const double seconds : {0.27, 0.54, 0.81})
            chart.append(seconds, {3, 4});
        QCOMPARE(chart.pointCount(0), 4);
        QCOMPARE(chart.drawnCount(0), 1);
        chart.append(1.08, {5, 6});
        QCOMPARE(chart.drawnCount(0), 5);
        QCOMPARE(chart.drawnCount(1), 5);
        chart.clear();
        chart.append(0.1, {1, 1});
        QCOMPARE(chart.drawnCount(0), 1);
    }

    // The marks are labelled as whole numbers: they fall on whole numbers from the start.
    void chartMarksFallOnWholeNumbers() {
        TrendChart chart("growth", {"a"}, nullptr);
        const auto wholeSteps = [&chart] {
            const QList<QAbstractAxis*> axes = chart.chart()->axes();
            return !axes.isEmpty() && std::all_of(axes.begin(), axes.end(), [](QAbstractAxis* a) {
                const auto* axis = qobject_cast<QValueAxis*>(a);
                const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
                return step == std::floor(step);
            });
        };
        QVERIFY(wholeSteps());
        chart.append(11, {123});
        QVERIFY(wholeSteps());
    }

    void chartThinsALongRun() {
        TrendChart chart("growth", {"a", "b"}, nullptr);
        for (int second = 0; second <= TrendChart::MaxPoints; ++second)
            chart.append(second, {double(second)});
        QVERIFY(chart.pointCount(0) <= TrendChart::MaxPoints / 2 + 1);
        QCOMPARE(chart.pointCount(1), 0);
        chart.append(1000, {1, 2});
        QCOMPARE(chart.pointCount(1), 1);
        chart.clear();
        QCOMPARE(chart.pointCount(0), 0);

        // The value axis grows to take every reading, keeps its top for smaller ones, and
        // starts again at 10 once cleared.
        QCOMPARE(chart.highestValue(), 10.0);
        chart.append(1, {5, 95});
        const double top = chart.highestValue();
        QVERIFY(top >= 95 * 1.1);
        chart.append(2, {50, 60});
        QCOMPARE(chart.highestValue(), top);
        chart.append(3, {50, 4 * top});
        QVERIFY(chart.highestValue() >= 4 * top * 1.1);
        chart.clear();
        QCOMPARE(chart.highestValue(), 10.0);
    }

    void scaleGrowsAndShrinksByTens() {
        QCOMPARE(ZoneDataWindow::fittedScale(5, 10), 10);
        QCOMPARE(ZoneDataWindow::fittedScale(95, 10), 100);
        QCOMPARE(ZoneDataWindow::fittedScale(240, 100), 1000);
        QCOMPARE(ZoneDataWindow::fittedScale(8, 1000), 10);
        QCOMPARE(ZoneDataWindow::fittedScale(10, 100), 100);
        QCOMPARE(ZoneDataWindow::fittedScale(0, 1000), 1000);
        QCOMPARE(ZoneDataWindow::fittedScale(1, 10), 10);
    }

    // The scale's marks grow from 10 to a million: the window keeps its width, and it opens
    // within the screen, its panels and chart scrolling where they do not fit.
    void zoneDataKeepsItsWidthAndFitsTheScreen() {
        Harness h;
        h.connectAndRead();
        ZoneDataWindow* screen = openZoneData(h);
        QVERIFY(screen);
        const QSize available = screen->screen()->availableGeometry().size();
        QVERIFY(screen->width() <= available.width() && screen->height() <= available.height());
        QVERIFY(screen->findChild<QWidget*>("ZoneContent")->isAncestorOf(screen->growthChart));
        QCoreApplication::processEvents();
        const QWidget* content = screen->findChild<QWidget*>("ZoneContent");
        const int width = screen->width();
        const int needed = content->minimumSizeHint().width();
        // Where the screen has room for every zone, none is cut off.
        if (available.width() > needed + 60)
            QCOMPARE(screen->findChild<QScrollArea*>("ZoneArea")->horizontalScrollBar()->maximum(),
                     0);
        for (qint64 count = 999; screen->scaleTop() < 1000000; count += 999) {
            tickWith(h, screen, everyZone({count, count, 0}));
            QCoreApplication::processEvents();
            QCOMPARE(screen->width(), width);
            QCOMPARE(content->minimumSizeHint().width(), needed);
        }
        QCOMPARE(screen->labelZone.at(10)->text(), QString("1000000"));
    }

    void zoneDataShowsGrowthBelowAThousand() {
        Harness h;
        h.connectAndRead();
        QPointer<ZoneDataWindow> screen = openZoneData(h);
        QVERIFY(screen);
        QCOMPARE(screen->windowTitle(), QString("Zone Data"));
        QCOMPARE(h.commands(), QStringList{"skip"});
        QCOMPARE(screen->pollTimer->interval(), 2000);
        QVERIFY(screen->pollTimer->isActive() && !screen->resetTimer->isActive());
        // No keep-alive or read comes between the screen's requests and replies.
        h.window->state().refreshRequest = true;
        h.window->onTick();
        QCOMPARE(h.commands(), QStringList{"skip"});

        tickWith(h, screen.data(), " skip\r\nSKIP 2,5\r\n>");
        QCOMPARE(screen->pollTimer->interval(), 50);
        QCOMPARE(screen->frameZone.at(1)->title(), QString("Zone 2 (skipped)"));
        QCOMPARE(screen->frameZone.at(4)->title(), QString("Zone 5 (skipped)"));
        QCOMPARE(screen->frameZone.at(2)->title(), QString("Zone 3"));
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        screen->onPollTick();
        QCOMPARE(h.commands(), (QStringList{"skip", "ZONE DATA"}));

        // Counts of 0 change nothing; a first 1500 is remembered, not shown; 1600 is.
        tickWith(h, screen.data(), everyZone({0, 0, 0}));
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("0"));
        tickWith(h, screen.data(), zoneReply({{1, {1500, 5, 0}}}));
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("0"));
        QCOMPARE(screen->zoneRXCount.at(0)->text(), QString("5"));
        QCOMPARE(screen->scaleTop(), 10);
        QCOMPARE(screen->labelZone.at(10)->text(), QString("10"));
        tickWith(h, screen.data(), zoneReply({{1, {1600, 5, 0}}}));
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("1600"));
        // A count that stands still keeps its label.
        QCOMPARE(screen->zoneRXCount.at(0)->text(), QString("5"));
        QCOMPARE(screen->scaleTop(), 10000);
        QCOMPARE(screen->labelZone.at(11 * 7 + 10)->text(), QString("10000"));
        QCOMPARE(screen->labelZone.at(11 * 3 + 4)->text(), QString("4000"));
        QCOMPARE(screen->labelZone.at(11 * 3)->text(), QString("0"));
        QCOMPARE(screen->zoneTXBar.at(0)->heightUnits(), 578); // 1600 x 3615 / 10000
        QCOMPARE(screen->zoneTXBar.at(0)->topUnits(), 4455 - 578);
        QCOMPARE(screen->zoneRXBar.at(0)->heightUnits(), 2);
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        QCOMPARE(screen->growthChart->pointCount(0), 3);

        // Reset asks first, and No (what Enter answers) keeps the radio's counters and the
        // screen as they were.
        const QStringList sentBefore = h.commands();
        h.prompts.answers = {Prompts::No};
        screen->mnuResetZoneData->trigger();
        const ScriptedPrompts::Call question = h.prompts.messages().last();
        QCOMPARE(question.caption, QString("Reset Zone Data"));
        QCOMPARE(question.buttons, Prompts::Buttons::YesNo);
        QCOMPARE(question.defaultAnswer, std::optional(Prompts::No));
        QCOMPARE(h.commands(), sentBefore);
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("1600"));
        QCOMPARE(screen->scaleTop(), 10000);

        // Yes: counters cleared in the radio, labels and scale back at their start; the echo
        // empties the buffer; a lower count shows only from the update after.
        h.prompts.answers = {Prompts::Yes};
        screen->mnuResetZoneData->trigger();
        QCOMPARE(h.commands().last(), QString("zone clear"));
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("0"));
        QCOMPARE(screen->scaleTop(), 10);
        QCOMPARE(screen->zoneTXBar.at(0)->heightUnits(), 0);
        QCOMPARE(screen->growthChart->pointCount(0), 0);
        tickWith(h, screen.data(), " zone clear\r\n");
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        tickWith(h, screen.data(), zoneReply({{1, {20, 0, 0}}}));
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("0"));
        tickWith(h, screen.data(), zoneReply({{1, {45, 0, 0}}}));
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("45"));
        QCOMPARE(screen->scaleTop(), 100);

        const QStringList before = h.commands();
        screen->mnuExitScreen->trigger();
        QTRY_VERIFY(!screen);
        QCOMPARE(h.commands(), before); // nothing is sent on closing
    }

    void slowRepliesGetOneGracePeriod() {
        Harness h;
        h.connectAndRead();
        ZoneDataWindow* screen = openZoneData(h);
        const QString whole = everyZone({10, 10, 1});
        // Half a reply: the polls pause for the grace time, then resume for its second chance.
        tickWith(h, screen, whole.left(300));
        QVERIFY(screen->resetTimer->isActive() && !screen->pollTimer->isActive());
        screen->onResetTick();
        QVERIFY(screen->pollTimer->isActive() && screen->resetTimer->isActive());
        h.window->state().receiveBuffer = whole;
        screen->onPollTick();
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("10"));
        QVERIFY(!screen->resetTimer->isActive());

        // Still incomplete at the second chance: dropped, and the next tick asks again.
        h.radio.clearLines();
        tickWith(h, screen, whole.left(300));
        screen->onResetTick();
        screen->onPollTick();
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        QVERIFY(!screen->resetTimer->isActive());
        screen->onPollTick();
        QCOMPARE(h.commands(), QStringList{"ZONE DATA"});

        // A reply that looks whole but cannot be read is not read for ever: it is dropped too.
        QString broken = everyZone({20, 20, 2});
        broken.replace("7:", "7;");
        tickWith(h, screen, broken);
        QVERIFY(screen->resetTimer->isActive());
        screen->onResetTick();
        screen->onPollTick();
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("10"));
    }

    void replyFromTheSimulatedRadioIsTakenAsItCompletes_data() {
        QTest::addColumn<bool>("held");
        QTest::newRow("every piece announced") << false;
        QTest::newRow("arrivals held back as asked") << true;
    }

    // The radio's reply comes in pieces over 0.27 s: the update that finds it still arriving
    // does not wait out the grace time once it is whole, and the next request follows at once.
    // Where the port holds arrivals back until the rest is in, the reply is announced a few
    // times instead of once for every eight characters, and taken just as soon.
    void replyFromTheSimulatedRadioIsTakenAsItCompletes() {
        QFETCH(bool, held);
        Harness h;
        h.connectAndRead();
        h.port.setPacedInput(true);
        h.port.setHeldArrivals(held);
        ZoneDataWindow* screen = openZoneData(h);
        h.clock.advance(200);
        QCoreApplication::processEvents();
        screen->onPollTick(); // the skipped zones
        screen->onPollTick();
        const qint64 asked = h.clock.msecs();
        const int announcedBefore = h.port.announcements();
        QCOMPARE(h.commands(), (QStringList{"skip", "ZONE DATA"}));
        h.clock.advance(50);
        QCoreApplication::processEvents();
        screen->onPollTick();
        QVERIFY(screen->resetTimer->isActive() && !screen->pollTimer->isActive());
        const qint64 graceStart = h.clock.msecs();
        while (screen->resetTimer->isActive() && h.clock.msecs() < graceStart + 500) {
            QCOMPARE(screen->growthChart->pointCount(0), 0);
            h.clock.advance(5);
            QCoreApplication::processEvents();
        }
        // 516 characters at ten bits each took the line 269 ms, well inside the grace time.
        QVERIFY(h.clock.msecs() >= asked + 269 && h.clock.msecs() < graceStart + 500);
        if (held)
            QVERIFY(h.clock.msecs() <= asked + 275 &&
                    h.port.announcements() - announcedBefore < 12);
        QCOMPARE(screen->growthChart->pointCount(0), 1);
        QVERIFY(screen->zoneRXCount.at(0)->text().toInt() > 0);
        QVERIFY(screen->pollTimer->isActive() && !screen->resetTimer->isActive());
        QCOMPARE(h.commands(), (QStringList{"skip", "ZONE DATA", "ZONE DATA"}));
    }

    // Characters held back for the rest of a reply come before a timer of the screen looks at
    // the buffer: an echo alone is no missing reply, and a reply cut short is dropped as before.
    void heldArrivalsComeBeforeTheScreenLooks() {
        Harness h;
        h.connectAndRead();
        h.port.setHeldArrivals(true);
        ZoneDataWindow* screen = openZoneData(h);
        h.clock.advance(200);
        QCoreApplication::processEvents();
        screen->onPollTick();    // the skipped zones
        h.radio.setSilent(true); // the test delivers the reply itself
        screen->onPollTick();
        QCOMPARE(h.commands(), (QStringList{"skip", "ZONE DATA"}));
        const QString whole = everyZone({5, 6, 0});
        h.port.deliver(whole.left(11).toLatin1());
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        h.clock.advance(screen->pollTimer->remainingTime());
        QCoreApplication::processEvents();
        QCOMPARE(h.window->state().receiveBuffer, whole.left(11));
        screen->onPollTick();
        QVERIFY(screen->resetTimer->isActive());
        QCOMPARE(h.commands(), (QStringList{"skip", "ZONE DATA"}));

        // The radio stops after half its reply: what came is in the buffer when the grace
        // time ends, and the update after it drops it.
        h.port.deliver(whole.mid(11, 200).toLatin1());
        QCOMPARE(h.window->state().receiveBuffer, whole.left(211));
        h.port.deliver(whole.mid(211, 40).toLatin1());
        QCOMPARE(h.window->state().receiveBuffer, whole.left(211));
        h.clock.advance(screen->resetTimer->remainingTime());
        QCoreApplication::processEvents();
        QCOMPARE(h.window->state().receiveBuffer, whole.left(251));
        screen->onResetTick();
        screen->onPollTick();
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        QCOMPARE(screen->zoneRXCount.at(0)->text(), QString("0"));

        // Closing the screen ends a hold: the next arrival is announced at once.
        screen->onPollTick();
        h.port.deliver(whole.left(11).toLatin1());
        screen->reject();
        QCoreApplication::processEvents();
        h.port.deliver(QByteArray("x"));
        QVERIFY(h.window->state().receiveBuffer.endsWith(u'x'));
    }

    // What arrives during the grace time is taken only when it is a whole, readable reply;
    // anything else keeps the grace time's rules.
    void arrivalsDuringTheGraceTime() {
        Harness h;
        h.connectAndRead();
        ZoneDataWindow* screen = openZoneData(h);
        h.radio.clearLines();
        const QByteArray whole = everyZone({10, 10, 1}).toLatin1();
        // The skipped-zones line completed during the grace time.
        tickWith(h, screen, " skip\r\nSKIP 2,");
        QVERIFY(screen->resetTimer->isActive());
        h.port.deliver("5\r\n>");
        QCOMPARE(screen->frameZone.at(4)->title(), QString("Zone 5 (skipped)"));
        QCOMPARE(h.commands(), QStringList{"ZONE DATA"});
        QVERIFY(h.window->state().receiveBuffer.isEmpty());

        // Counters completed in the second chance, after the grace tick.
        h.radio.clearLines();
        h.port.deliver(whole.left(300));
        screen->onPollTick();
        screen->onResetTick();
        h.port.deliver(whole.mid(300, 200));
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("0"));
        QVERIFY(h.radio.lines().isEmpty());
        h.port.deliver(whole.mid(500));
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("10"));
        QCOMPARE(h.commands(), QStringList{"ZONE DATA"});

        // Whole-looking but unreadable: dropped at the second chance, as before.
        h.window->state().receiveBuffer.clear();
        QString broken = everyZone({20, 20, 2});
        broken.replace("7:", "7;");
        h.port.deliver(broken.left(300).toLatin1());
        screen->onPollTick();
        h.port.deliver(broken.mid(300).toLatin1());
        QVERIFY(screen->resetTimer->isActive() && !screen->pollTimer->isActive());
        screen->onResetTick();
        screen->onPollTick();
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("10"));

        // A reset's echo after the reply: the tick drops both, nothing is read.
        const QByteArray later = everyZone({30, 30, 3}).toLatin1();
        h.port.deliver(later.left(300));
        screen->onPollTick();
        h.port.deliver(later.mid(300) + " zone clear\r\n>");
        QVERIFY(screen->resetTimer->isActive());
        QCOMPARE(screen->zoneTXCount.at(7)->text(), QString("10"));
        screen->onResetTick();
        screen->onPollTick();
        QVERIFY(h.window->state().receiveBuffer.isEmpty());

        // Stopped during the grace time: the rest that arrives is not shown, nothing is asked.
        h.radio.clearLines();
        h.port.deliver(later.left(300));
        screen->onPollTick();
        screen->mnuToggleZoneUpdates->trigger();
        h.port.deliver(later.mid(300));
        QCOMPARE(screen->zoneTXCount.at(7)->text(), QString("10"));
        QVERIFY(!screen->updating());
        QVERIFY(h.radio.lines().isEmpty());
    }

    // Noise that keeps coming holds the requests back (the buffer is never empty), but each
    // grace time drops what came, so the buffer stays small; once the line is quiet the screen
    // asks again and shows the radio's counts.
    void noiseIsDroppedAndTheScreenAsksAgain() {
        Harness h;
        h.connectAndRead();
        ZoneDataWindow* screen = openZoneData(h);
        tickWith(h, screen, everyZone({10, 10, 1}));
        h.radio.clearLines();
        QRandomGenerator noise(5);
        QByteArray bytes(16 * 1024, '\0');
        for (int burst = 0; burst < 40; ++burst) {
            for (char& c : bytes)
                c = char(noise.bounded(256));
            h.port.deliver(bytes);
            screen->onPollTick();
            if (screen->resetTimer->isActive() && !screen->pollTimer->isActive())
                screen->onResetTick();
            QVERIFY(h.window->state().receiveBuffer.size() <= 2 * bytes.size());
        }
        QVERIFY(h.commands().isEmpty());
        // Quiet: a second chance drops what is left, and an update asks.
        for (int poll = 0; poll < 2 && h.commands().isEmpty(); ++poll)
            screen->onPollTick();
        QCOMPARE(h.commands(), QStringList{"ZONE DATA"});
        tickWith(h, screen, everyZone({20, 30, 2}));
        QCOMPARE(screen->zoneTXCount.at(0)->text(), QString("20"));
        QCOMPARE(screen->zoneRXCount.at(7)->text(), QString("30"));
    }

    void countsFromTheSimulatedRadio() {
        RadioOptions options;
        options.latencyMs = 120; // the radio answers late, and in pieces
        Harness h(options);
        h.connectAndRead();
        h.radio.setValue("skip", "2,5");
        ZoneDataWindow* screen = openZoneData(h);
        for (int tick = 0; tick < 40; ++tick) {
            h.clock.advance(50);
            QCoreApplication::processEvents();
            screen->onPollTick();
            if (screen->resetTimer->isActive() && !screen->pollTimer->isActive()) {
                h.clock.advance(500);
                QCoreApplication::processEvents();
                screen->onResetTick();
            }
        }
        QCOMPARE(screen->frameZone.at(4)->title(), QString("Zone 5 (skipped)"));
        QVERIFY(screen->zoneRXCount.at(0)->text().toInt() > 0);
        QCOMPARE(screen->zoneRXCount.at(1)->text(), QString("0"));
        QVERIFY(screen->zoneErrorsBar.at(5)->heightUnits() > 0);
        QVERIFY(h.commands().count("ZONE DATA") >= 3);
    }

    void menuStopsStartsAndShowsQuality() {
        Harness h;
        h.connectAndRead();
        QPointer<ZoneDataWindow> screen = openZoneData(h);
        screen->mnuToggleZoneUpdates->trigger();
        QCOMPARE(screen->mnuToggleZoneUpdates->text(), QString("&Start Zone Updates"));
        QVERIFY(!screen->updating());
        // Paused, the window regaining focus does not restart it.
        screen->onRegainedFocus();
        QVERIFY(!screen->updating());
        h.window->state().receiveBuffer = "stale";
        screen->mnuToggleZoneUpdates->trigger();
        QCOMPARE(screen->mnuToggleZoneUpdates->text(), QString("&Stop Zone Updates"));
        QVERIFY(screen->pollTimer->isActive());
        QVERIFY(h.window->state().receiveBuffer.isEmpty());

        h.radio.clearLines();
        QPointer<ZoneQualityWindow> quality = openQuality(h, screen);
        QCOMPARE(quality->windowTitle(), QString("Zone Quality"));
        QVERIFY(!screen->updating());
        QCOMPARE(h.commands(), QStringList{"skip"});
        QCOMPARE(quality->pollTimer->interval(), 150);
        quality->mnuExitScreen->trigger();
        QTRY_VERIFY(!quality);
        QVERIFY(screen->pollTimer->isActive());
    }

    void quittingClosesTheScreens() {
        Harness h;
        h.connectAndRead();
        QPointer<ZoneDataWindow> data = openZoneData(h);
        QPointer<ZoneQualityWindow> quality = openQuality(h, data);
        h.radio.clearLines();
        h.window->close();
        QTRY_COMPARE(h.commands(), QStringList{"PASS NONE"});
        QVERIFY(!data || !data->isVisible());
        QVERIFY(!quality || !quality->isVisible());
    }

    void closedPortOpensNoScreen() {
        Harness h;
        h.window->ButtonZoneData->click();
        QCOMPARE(h.message(), QString("Please Toggle COMM Port open first."));
        QCOMPARE(h.prompts.calls.last().caption, QString("User Help"));
        QVERIFY(!h.window->findChild<ZoneDataWindow*>());
        QVERIFY(h.radio.lines().isEmpty());
    }

    void qualityHoldsBackJumps() {
        Harness h;
        h.connectAndRead();
        ZoneDataWindow* data = openZoneData(h);
        ZoneQualityWindow* quality = openQuality(h, data);
        QVERIFY(quality->mnuNormalAveraging->isChecked());
        QVERIFY(!quality->mnuBlockedFrequencies->isChecked());
        // 95 is a jump of more than 10 from the 0 shown: it waits one reply.
        tickWith(h, quality, everyZone({0, 1000, 50}));
        QCOMPARE(quality->percentUsable.at(0)->text(), QString("0"));
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        tickWith(h, quality, everyZone({0, 1000, 50}));
        QCOMPARE(quality->percentUsable.at(0)->text(), QString("95"));
        QCOMPARE(quality->usableBar.at(0)->heightUnits(), 3434); // 95 x 3615 / 100
        // A small change shows at once; a zone with nothing received shows 0 at once.
        tickWith(h, quality, zoneReply({{1, {0, 1000, 100}}, {2, {0, 1000, 50}}}));
        QCOMPARE(quality->percentUsable.at(0)->text(), QString("90"));
        QCOMPARE(quality->percentUsable.at(2)->text(), QString("0"));
        // Choosing the marked filter leaves it marked.
        quality->mnuNormalAveraging->trigger();
        QVERIFY(quality->mnuNormalAveraging->isChecked());
    }

    void blockedFrequenciesCompareWithTheAverage() {
        Harness h;
        h.connectAndRead();
        ZoneQualityWindow* quality = openQuality(h, openZoneData(h));
        tickWith(h, quality, " skip\r\nSKIP 2,5\r\n>");
        QCOMPARE(quality->frameZone.at(1)->title(), QString("Zone 2 (skipped)"));
        quality->mnuBlockedFrequencies->trigger();
        QVERIFY(!quality->mnuNormalAveraging->isChecked());
        const QString reply = zoneReply({{1, {0, 600, 0}},
                                         {3, {0, 600, 0}},
                                         {4, {0, 600, 0}},
                                         {6, {0, 600, 0}},
                                         {7, {0, 600, 0}},
                                         {8, {0, 300, 0}}});
        tickWith(h, quality, reply);
        tickWith(h, quality, reply);
        // The average over the six zones in use is 550: 600 gives 109, shown as 100.
        QCOMPARE(quality->percentUsable.at(0)->text(), QString("100"));
        QCOMPARE(quality->usableBar.at(0)->heightUnits(), 3615);
        QCOMPARE(quality->percentUsable.at(7)->text(), QString("54"));
        QCOMPARE(quality->percentUsable.at(1)->text(), QString("0"));
    }

    void noZoneInUseAndNonsenseAreZero() {
        Harness h;
        h.connectAndRead();
        ZoneQualityWindow* quality = openQuality(h, openZoneData(h));
        tickWith(h, quality, " skip\r\nSKIP 1,2,3,4,5,6,7,8\r\n>");
        quality->mnuBlockedFrequencies->trigger();
        tickWith(h, quality, everyZone({0, 500, 5}));
        tickWith(h, quality, everyZone({0, 500, 5}));
        for (QLabel* percent : quality->percentUsable)
            QCOMPARE(percent->text(), QString("0"));
        QString nonsense = everyZone({0, 500, 5});
        nonsense.replace("     500", "  ab!?cd");
        tickWith(h, quality, nonsense);
        QCOMPARE(quality->percentUsable.at(3)->text(), QString("0"));
        // Eight-digit counters do not overflow the percentage.
        quality->mnuNormalAveraging->trigger();
        tickWith(h, quality, everyZone({0, 99999999, 1}));
        tickWith(h, quality, everyZone({0, 99999999, 1}));
        QCOMPARE(quality->percentUsable.at(0)->text(), QString("99"));
    }

    void qualityGraceForSlowAndUnknownText() {
        Harness h;
        h.connectAndRead();
        ZoneQualityWindow* quality = openQuality(h, openZoneData(h));
        // An incomplete reply: the polls go on, and after the grace time it is dropped.
        tickWith(h, quality, everyZone({0, 10, 0}).left(200));
        QCOMPARE(quality->resetTag(), ZoneQualityWindow::incompleteZoneData());
        QVERIFY(quality->resetTimer->isActive() && quality->pollTimer->isActive());
        quality->onPollTick(); // a poll does not lengthen the grace time
        quality->onResetTick();
        QVERIFY(quality->dropNextReply());
        quality->onPollTick();
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        QVERIFY(!quality->dropNextReply() && !quality->resetTimer->isActive());

        // Unknown text stops the polls for the grace time and is dropped if still unknown.
        tickWith(h, quality, "NOISE");
        QCOMPARE(quality->resetTag(), ZoneQualityWindow::unknownData());
        QVERIFY(!quality->pollTimer->isActive());
        quality->onResetTick();
        QVERIFY(quality->pollTimer->isActive());
        quality->onPollTick();
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        QVERIFY(!quality->resetTimer->isActive());

        // The echo of a reset empties the buffer.
        tickWith(h, quality, " zone clear\r\n>");
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
    }

    // The quality screen takes a reply as it becomes whole too, whichever grace time runs,
    // except one whose grace time has run out.
    void qualityTakesAReplyAsItCompletes() {
        Harness h;
        h.connectAndRead();
        ZoneQualityWindow* quality = openQuality(h, openZoneData(h));
        const QByteArray whole = everyZone({0, 1000, 0}).toLatin1();
        h.radio.clearLines();
        h.port.deliver(whole.left(200));
        quality->onPollTick();
        QCOMPARE(quality->resetTag(), ZoneQualityWindow::incompleteZoneData());
        h.port.deliver(whole.mid(200));
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        QVERIFY(!quality->resetTimer->isActive() && quality->pollTimer->isActive());
        QCOMPARE(h.commands(), QStringList{"ZONE DATA"});

        // Only the echo yet: unknown text, the polls stop; the rest brings the next figures.
        h.port.deliver(whole.left(11));
        quality->onPollTick();
        QCOMPARE(quality->resetTag(), ZoneQualityWindow::unknownData());
        QVERIFY(!quality->pollTimer->isActive());
        h.port.deliver(whole.mid(11));
        QCOMPARE(quality->percentUsable.at(0)->text(), QString("100"));
        QVERIFY(!quality->resetTimer->isActive() && quality->pollTimer->isActive());
        QCOMPARE(h.commands(), (QStringList{"ZONE DATA", "ZONE DATA"}));

        // The grace time ran out before the rest came: it is dropped at the next tick.
        h.radio.clearLines();
        h.port.deliver(whole.left(200));
        quality->onPollTick();
        quality->onResetTick();
        h.port.deliver(whole.mid(200));
        QVERIFY(quality->dropNextReply() && quality->resetTimer->isActive());
        quality->onPollTick();
        QVERIFY(h.window->state().receiveBuffer.isEmpty());
        QVERIFY(h.radio.lines().isEmpty());
    }
};

QTEST_MAIN(TestZones)
#include "tst_zones.moc"
