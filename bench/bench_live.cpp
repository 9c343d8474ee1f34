// The live screens as a technician watches them: the zone data screen (bars and growth chart)
// and the RSSI monitor (bar and strip chart), shown (off-screen platform, painted), against
// ardentix-radio-sim over a pseudo-terminal at 19200 baud. Prints how often the screen asked
// for the counters against what the line allows, and the processor time the program used. A
// reply takes 0.27 s on the line; the screen takes it as soon as it is whole and asks for the
// next at once, so the requests come close to the line's limit.
#include "BenchSupport.h"
#include "diag/RssiWindow.h"
#include "diag/ZoneDataWindow.h"
#include "diag/ZoneReply.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

namespace {

constexpr double SecondsPerCharacter = 10.0 / 19200.0; // 8N1: ten bits a character

void runFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

struct Measure {
    double wall = 0;
    double cpu = 0;
};

template <typename Watch> Measure measure(double seconds, Watch&& watch) {
    const double cpuStart = processSeconds();
    QElapsedTimer wall;
    wall.start();
    watch(seconds);
    return {wall.nsecsElapsed() / 1e9, processSeconds() - cpuStart};
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(2.0, atof(argv[1])) : 20.0;

    SimulatedRadio radio;
    if (!radio.start({"--mode", "R"}))
        return 1;
    BenchWindow bench(radio.device);
    MainWindow& window = *bench.window;
    if (!showConnectedAndRead(bench, radio.device))
        return 1;

    qint64 requests = 0;
    bench.port.written = [&requests](const QByteArray& bytes) {
        if (bytes.startsWith("ZONE DATA"))
            ++requests;
    };
    window.ButtonZoneData->click();
    auto* zones = window.findChild<ZoneDataWindow*>();
    runFor(2.5); // the first update waits two seconds
    requests = 0;
    const Measure z = measure(seconds, runFor);
    const double perSecond = requests / z.wall;
    // A whole reply with its echo is 516 characters, the request one more to cross.
    const double lineRate = 1.0 / ((ZoneReply::CompleteLength + 1) * SecondsPerCharacter);
    std::printf("zone data screen shown, %.0f s\n", z.wall);
    std::printf("  requests %.2f/s, the line allows %.2f/s, ratio to the line's limit %.2f "
                "(target 0.9), cpu %.1f%% (target 3%%)\n",
                perSecond, lineRate, perSecond / lineRate, 100 * z.cpu / z.wall);
    zones->reject();
    runFor(0.5);

    window.ButtonRSSI->click();
    auto* rssi = window.findChild<RssiWindow*>();
    runFor(1);
    const Measure r = measure(seconds, runFor);
    std::printf("RSSI monitor shown, %.0f s: reading %s, cpu %.1f%%\n", r.wall,
                qPrintable(rssi->Text1->text()), 100 * r.cpu / r.wall);
    rssi->reject();
    runFor(0.5);
    return 0;
}
