// A full settings read against ardentix-radio-sim over a pseudo-terminal at 19200 baud, with
// the main window hidden and then shown (off-screen platform, painted as on a screen).
// Prints the wall time, the physical floor and their ratio, and the processor time the
// program used while it read.
#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace {

constexpr double SecondsPerCharacter = 10.0 / 19200.0; // 8N1: ten bits a character
constexpr double PauseSeconds = 11 * 0.080;

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int latencyMs = 0;

    SimulatedRadio radio;
    if (!radio.start({"--latency", QString::number(latencyMs)}))
        return 1;
    BenchWindow bench(radio.device);
    CountingPort& port = bench.port;
    MainWindow& window = *bench.window;
    window.link().connectAction();
    if (!port.isOpen()) {
        std::fprintf(stderr, "could not connect to %s\n", qPrintable(radio.device));
        return 1;
    }

    for (const bool shown : {false, true}) {
        if (shown) {
            window.show();
            QCoreApplication::processEvents();
        }
        std::printf("full settings read, firmware 3.2.0 master, 19200 baud, window %s, %d rounds\n",
                    shown ? "shown" : "hidden", rounds);
        std::printf("%8s %8s %8s %8s %8s\n", "wall s", "floor s", "ratio", "cpu s", "cpu %");
        double worstRatio = 0;
        double worstCpu = 0;
        for (int round = 0; round < rounds; ++round) {
            // Let the line fall quiet (and the window finish painting) before timing.
            QEventLoop settle;
            QTimer::singleShot(300, &settle, &QEventLoop::quit);
            settle.exec();
            port.writes = 0;
            port.received = 0;
            const double cpuStart = processSeconds();
            QElapsedTimer wall;
            wall.start();
            window.reader().run();
            // A shown window paints what the read changed before the technician sees it.
            QCoreApplication::processEvents();
            const double seconds = wall.nsecsElapsed() / 1e9;
            const double cpu = processSeconds() - cpuStart;
            // Each exchange costs its received characters plus the one that carries the
            // command's last character before the echo can return; the echo of the rest
            // overlaps the sending.
            const double floor = double(port.received + port.writes) * SecondsPerCharacter +
                                 PauseSeconds + port.writes * latencyMs / 1000.0;
            worstRatio = std::max(worstRatio, seconds / floor);
            worstCpu = std::max(worstCpu, cpu / seconds);
            std::printf("%8.3f %8.3f %8.3f %8.3f %7.1f%%\n", seconds, floor, seconds / floor, cpu,
                        100 * cpu / seconds);
        }
        std::printf("worst ratio %.3f (target 1.15), worst cpu %.1f%% (target 3%%)\n\n", worstRatio,
                    100 * worstCpu);
    }
    return 0;
}
