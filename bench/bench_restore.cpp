// Saving a 3.2.0 master's configuration and programming all of it into a second radio, each
// over a pseudo-terminal at 19200 baud with the store and restore window shown (off-screen).
// Prints the wall time of each against its floor: the characters on the line, the pauses the
// sequence mandates and the time the radio takes over its writes.
#include "BenchSupport.h"
#include "config/RestoreWindow.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/SharedState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr double SecondsPerCharacter = 10.0 / 19200.0; // 8N1: ten bits a character
constexpr int StoreMs = 150;

// A store and restore window on its own counting port, awake and read.
struct Session {
    explicit Session(const QString& device) {
        auto counting = std::make_unique<CountingPort>([device](int) { return device; });
        port = counting.get();
        state.versionNumber = 320;
        window = std::make_unique<RestoreWindow>(std::move(counting), 1, "19200,N,8,1", state,
                                                 clock, prompts, nullptr);
        window->show();
        window->start();
        QElapsedTimer limit;
        limit.start();
        while (!window->toolbarButton("SaveConfig")->isEnabled() && limit.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    // Sending and receiving overlap on the line: the floor counts what is received, plus the
    // one character of each write that must cross before its echo can come back.
    void report(const char* what, double seconds, double pauses) {
        const double floor = double(port->writes + port->received) * SecondsPerCharacter + pauses;
        std::printf("%-28s %8.3f %8.3f %8.3f\n", what, seconds, floor, seconds / floor);
        port->writes = 0;
        port->received = 0;
    }
    SharedState state;
    SystemClock clock;
    ScriptedPrompts prompts;
    CountingPort* port;
    std::unique_ptr<RestoreWindow> window;
};

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SimulatedRadio from;
    SimulatedRadio to;
    const QStringList options = {"--store-latency", QString::number(StoreMs)};
    if (!from.start(options) || !to.start(options))
        return 1;
    QTemporaryDir dir;
    const QString path = dir.filePath("radio.txt");
    std::printf("store and restore, firmware 3.2.0 master, 19200 baud, store time %d ms\n",
                StoreMs);
    std::printf("%-28s %8s %8s %8s\n", "", "wall s", "floor s", "ratio");

    Session saving(from.device);
    saving.port->writes = saving.port->received = 0;
    QElapsedTimer wall;
    wall.start();
    saving.window->session().read();
    saving.report("read (every row)", wall.nsecsElapsed() / 1e9, 10 * 0.080);
    wall.restart();
    const QString failure = saving.window->session().save(path, "1/1/2026");
    saving.report("save (ser, srev, file)", wall.nsecsElapsed() / 1e9, 0);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "not saved: %s\n", qPrintable(failure));
        return 1;
    }

    Session programming(to.device);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QStringList lines = ConfigFormat::decode(file.readAll());
    const ConfigFormat::Loaded loaded = ConfigFormat::Reader(320, "MODE M").read(lines);
    const QStringList rows = loaded.values.keys();
    int commands = 0;
    for (const QString& query : rows)
        commands += int(ConfigFormat::commandsFor(query, loaded.values.value(query)).size());
    programming.port->writes = programming.port->received = 0;
    wall.restart();
    programming.window->session().program(rows, loaded.values);
    // Each command waits out the radio's store time (longer than the mandated 50 ms gap)
    // before the next prompt.
    programming.report(
        qPrintable(QString("program %1 rows, %2 commands").arg(rows.size()).arg(commands)),
        wall.nsecsElapsed() / 1e9, commands * std::max(StoreMs, 50) / 1000.0);
    return 0;
}
