// Memory over a long run, as a technician leaves the program open.
//
// bench_soak [HOURS]: a connected main window, shown, with the keep-alive on, a log open and a
// Refresh every ten minutes, against the in-process simulated radio on the manual clock, so
// that a day (24 hours by default) passes in minutes. Prints, each simulated hour, the resident
// memory, the receive buffer, the terminal pane and the log's size.
//
// bench_soak --live [SECONDS]: the RSSI monitor, the zone data screen and the zone quality
// screen, each shown for SECONDS (3600 by default), against ardentix-radio-sim over a
// pseudo-terminal at 19200 baud, printing resident memory at intervals.
//
// bench_soak --screens [HOURS]: the RSSI monitor, the zone data screen and the zone quality
// screen, each for HOURS simulated hours (24 by default), on the manual clock.
//
// All fail (exit 1) when resident memory grows by more than GrowthBoundKiB after the warm-up.
#include "BenchSupport.h"
#include "RadioConsole.h"
#include "SimulatedPort.h"
#include "diag/RssiWindow.h"
#include "diag/TrendChart.h"
#include "diag/ZoneDataWindow.h"
#include "diag/ZoneQualityWindow.h"
#include "link/TerminalPane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

// A program that keeps nothing without bound settles after its first hour; allocator slack
// and the chart's own caches stay well under this.
constexpr long GrowthBoundKiB = 8 * 1024;

// Resident memory taken at intervals; the first figure after the warm-up is the baseline.
class MemoryWatch {
public:
    long take(bool warmedUp) {
        const long now = residentKiB();
        if (warmedUp && baseline_ == 0)
            baseline_ = now;
        if (baseline_ > 0)
            highest_ = std::max(highest_, now);
        return now;
    }
    long growth() const { return baseline_ > 0 ? highest_ - baseline_ : 0; }
    // Says the verdict; true when the growth stayed within the bound.
    bool judge(const char* what) const {
        const bool bounded = growth() <= GrowthBoundKiB;
        std::printf("%s: grew %ld KiB after warm-up (bound %ld KiB): %s\n", what, growth(),
                    GrowthBoundKiB, bounded ? "bounded" : "UNBOUNDED");
        return bounded;
    }

private:
    long baseline_ = 0;
    long highest_ = 0;
};

int simulatedDay(double hours) {
    RadioConsole radio;
    ManualClock clock;
    SimulatedPort port(radio, clock);
    QTemporaryDir dir;
    QSettings settings(dir.filePath("soak.ini"), QSettings::IniFormat);
    settings.setValue("Preferences/KeepAlive", "True");
    ScriptedPrompts prompts;
    MainWindow window(port, prompts, clock, settings);
    // The bench ticks by hand, on the manual clock, as the tests do.
    window.controls().Timer1->blockSignals(true);
    window.controls().Timer2->blockSignals(true);
    window.show();
    const QString logPath = dir.filePath("soak.log");
    prompts.files << logPath;
    window.terminal().openLog();
    window.link().connectAction();
    if (!port.isOpen()) {
        std::fprintf(stderr, "could not connect to the simulated radio\n");
        return 1;
    }
    int reads = 0;
    const auto read = window.ticker().readSettings;
    window.ticker().readSettings = [&] {
        ++reads;
        read();
    };

    MemoryWatch memory;
    QElapsedTimer wall;
    wall.start();
    const qint64 seconds = qint64(hours * 3600);
    std::printf("hour   rss KiB   buffer    pane    log bytes   reads\n");
    for (qint64 second = 1; second <= seconds; ++second) {
        clock.advance(1000);
        // A technician's Refresh every ten minutes, besides the keep-alive's own reads.
        if (second % 600 == 0)
            window.onRefresh();
        window.onTick();
        QCoreApplication::processEvents();
        if (second % 3600 != 0 && second != seconds)
            continue;
        // What the simulated radio and the scripted prompts record is the bench's, not the
        // program's.
        radio.clearLines();
        prompts.calls.clear();
        const long rss = memory.take(second >= 3600);
        std::printf("%4.0f %9ld %8lld %7d %12lld %7d\n", second / 3600.0, rss,
                    qlonglong(window.state().receiveBuffer.size()), window.txtTerm->length(),
                    qlonglong(QFileInfo(logPath).size()), reads);
        std::fflush(stdout);
    }
    std::printf("%.0f simulated hours in %.0f s\n", hours, wall.elapsed() / 1000.0);
    if (!prompts.messages().isEmpty())
        std::printf("the window said: %s\n", qPrintable(prompts.lastMessage()));
    return memory.judge("simulated day") ? 0 : 1;
}

// The live screens on the manual clock: their timers are driven by hand, as the tests do, so
// that hours of updates pass in minutes.
struct SimulatedScreens {
    SimulatedScreens() : radio(remote()), port(radio, clock) {
        // The zone counters grow with the time this bench lets pass.
        radio.setClock([this] { return clock.msecs(); });
        settings = std::make_unique<QSettings>(dir.filePath("screens.ini"), QSettings::IniFormat);
        settings->setValue("Preferences/KeepAlive", "False");
        window = std::make_unique<MainWindow>(port, prompts, clock, *settings);
        window->controls().Timer1->blockSignals(true);
        window->controls().Timer2->blockSignals(true);
        window->show();
        window->link().connectAction();
        window->onTick();
    }
    static RadioOptions remote() {
        RadioOptions options;
        options.mode = u'R';
        return options;
    }
    // Lets ms of simulated time pass in steps, calling step after each.
    void pass(qint64 ms, int stepMs, const std::function<void()>& step) {
        for (qint64 done = 0; done < ms; done += stepMs) {
            clock.advance(stepMs);
            QCoreApplication::processEvents();
            step();
        }
        radio.clearLines();
        prompts.calls.clear();
    }

    QTemporaryDir dir;
    ManualClock clock;
    RadioConsole radio;
    SimulatedPort port;
    ScriptedPrompts prompts;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<MainWindow> window;
};

// A zone screen's poll and grace timers, run by hand in steps of the poll's own interval.
constexpr int ZoneStepMs = 50;
class ZoneTimers {
public:
    explicit ZoneTimers(ZoneScreen& screen) : screen_(&screen) {
        screen.pollTimer->blockSignals(true);
        screen.resetTimer->blockSignals(true);
    }
    void operator()() {
        if (screen_->resetTimer->isActive()) {
            graceMs_ += ZoneStepMs;
            if (graceMs_ >= screen_->resetTimer->interval()) {
                graceMs_ = 0;
                screen_->onResetTick();
            }
        } else {
            graceMs_ = 0;
        }
        pollMs_ += ZoneStepMs;
        if (screen_->pollTimer->isActive() && pollMs_ >= screen_->pollTimer->interval()) {
            pollMs_ = 0;
            screen_->onPollTick();
        }
    }

private:
    ZoneScreen* screen_;
    int graceMs_ = 0;
    int pollMs_ = 0;
};

// Every ten simulated minutes of a screen, its memory and what it keeps.
bool simulatedScreen(const char* name, SimulatedScreens& run, double hours, int stepMs,
                     const std::function<void()>& step, const std::function<QString()>& kept) {
    MemoryWatch memory;
    std::printf("%s, %.1f simulated hours\n", name, hours);
    const int tenMinutes = 600000;
    for (int taken = 1; taken <= int(hours * 6); ++taken) {
        run.pass(tenMinutes, stepMs, step);
        const long rss = memory.take(taken >= 6);
        std::printf("  %5.0f min  rss %ld KiB  %s\n", taken * 10.0, rss, qPrintable(kept()));
        std::fflush(stdout);
    }
    return memory.judge(name);
}

int simulatedLiveScreens(double hours) {
    SimulatedScreens run;
    if (!run.port.isOpen()) {
        std::fprintf(stderr, "could not connect to the simulated radio\n");
        return 1;
    }
    MainWindow& window = *run.window;
    window.onRssi();
    auto* rssi = window.findChild<RssiWindow*>();
    rssi->Timer1->blockSignals(true);
    bool bounded = simulatedScreen(
        "RSSI monitor", run, hours, 100, [rssi] { rssi->onTick(); },
        [&] {
            return QString("buffer %1  chart %2 points")
                .arg(window.state().receiveBuffer.size())
                .arg(rssi->trendChart->pointCount(0));
        });
    rssi->reject();
    run.pass(1000, 100, [] {});

    window.onZoneData();
    auto* zones = window.findChild<ZoneDataWindow*>();
    bounded &= simulatedScreen("zone data screen", run, hours, ZoneStepMs, ZoneTimers(*zones), [&] {
        return QString("buffer %1  chart %2 points")
            .arg(window.state().receiveBuffer.size())
            .arg(zones->growthChart->pointCount(0));
    });
    zones->mnuShowZoneQuality->trigger();
    bounded &= simulatedScreen(
        "zone quality screen", run, hours, ZoneStepMs, ZoneTimers(*zones->qualityWindow()),
        [&] { return QString("buffer %1").arg(window.state().receiveBuffer.size()); });
    zones->reject();
    return bounded ? 0 : 1;
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Watches a screen for the seconds given, printing memory and what it keeps at intervals.
bool watch(const char* name, double seconds, const std::function<QString()>& kept) {
    const int intervalMs = int(std::clamp(seconds / 10, 5.0, 300.0) * 1000);
    MemoryWatch memory;
    QElapsedTimer wall;
    wall.start();
    std::printf("%s, %.0f s\n", name, seconds);
    for (int taken = 1; wall.elapsed() < seconds * 1000; ++taken) {
        runFor(intervalMs);
        const long rss = memory.take(taken >= 2);
        std::printf("  %6.0f s  rss %ld KiB  %s\n", wall.elapsed() / 1000.0, rss,
                    qPrintable(kept()));
        std::fflush(stdout);
    }
    return memory.judge(name);
}

int liveScreens(double seconds) {
    SimulatedRadio radio;
    if (!radio.start({"--mode", "R"}))
        return 1;
    BenchWindow bench(radio.device);
    MainWindow& window = *bench.window;
    if (!showConnectedAndRead(bench, radio.device))
        return 1;
    const auto buffer = [&window] {
        return QString("buffer %1").arg(window.state().receiveBuffer.size());
    };
    bool bounded = true;

    window.ButtonRSSI->click();
    auto* rssi = window.findChild<RssiWindow*>();
    bounded &= watch("RSSI monitor", seconds, [&] {
        return buffer() + QString("  chart %1 points").arg(rssi->trendChart->pointCount(0));
    });
    rssi->reject();
    runFor(500);

    window.ButtonZoneData->click();
    auto* zones = window.findChild<ZoneDataWindow*>();
    bounded &= watch("zone data screen", seconds, [&] {
        return buffer() + QString("  chart %1 points").arg(zones->growthChart->pointCount(0));
    });
    zones->mnuShowZoneQuality->trigger();
    bounded &= watch("zone quality screen", seconds, buffer);
    if (ZoneQualityWindow* quality = zones->qualityWindow())
        quality->reject();
    zones->reject();
    runFor(500);
    return bounded ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--screens") == 0)
        return simulatedLiveScreens(argc > 2 ? std::max(1.0, std::atof(argv[2])) : 24.0);
    if (argc > 1 && std::strcmp(argv[1], "--live") == 0)
        return liveScreens(argc > 2 ? std::max(10.0, std::atof(argv[2])) : 3600.0);
    return simulatedDay(argc > 1 ? std::max(2.0, std::atof(argv[1])) : 24.0);
}
