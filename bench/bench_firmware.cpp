// The transfer of a 256 KiB firmware file through the radio's loader over a pseudo-terminal
// paced at 115200 baud, with the main window shown (off-screen). Prints the throughput against
// the line rate (11 520 bytes a second) and the processor time the program used meanwhile.
#include "BenchSupport.h"
#include "SRecord.h"
#include "firmware/FirmwareDownload.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr double LineRate = 115200.0 / 10.0; // bytes a second, 8N1

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int kib = argc > 1 ? std::max(1, atoi(argv[1])) : 256;

    SimulatedRadio radio;
    if (!radio.start({"--loader"}))
        return 1;
    QTemporaryDir dir;
    const QString path = dir.filePath("firmware.s28");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    const qint64 bytes = file.write(SRecord::makeFirmware("3.3.0", kib * 1024));
    file.close();

    BenchWindow bench(radio.device);
    ScriptedPrompts& prompts = bench.prompts;
    MainWindow& window = *bench.window;
    window.show();
    window.link().connectAction(); // a radio in its loader: "Radio Error", and connected

    // The transfer starts with the first whole piece and ends with the loader's verdict, which
    // it gives once the last record has arrived. The upgrade runs as from the menu.
    QElapsedTimer wall;
    double cpuStart = 0;
    double seconds = 0;
    double cpu = 0;
    bench.port.written = [&](const QByteArray& bytes) {
        if (bytes.size() == FirmwareDownload::PieceSize && !wall.isValid()) {
            wall.start();
            cpuStart = processSeconds();
        }
    };
    prompts.whileShown = [&](const ScriptedPrompts::Call&) {
        if (wall.isValid() && seconds == 0) {
            seconds = wall.nsecsElapsed() / 1e9;
            cpu = processSeconds() - cpuStart;
        }
    };
    prompts.files = {path};
    window.upgradeFirmware();
    const bool stored = prompts.lastMessage() == "Radio programming was successful.";
    if (!stored || seconds == 0) {
        for (const auto& call : prompts.calls)
            std::fprintf(stderr, "shown: %s\n", qPrintable(call.text.left(80)));
        return 1;
    }
    const double rate = double(bytes) / seconds;
    std::printf("firmware transfer, %lld bytes at 115200 baud\n", static_cast<long long>(bytes));
    std::printf("%8s %10s %8s %8s %8s\n", "wall s", "bytes/s", "of line", "cpu s", "cpu %");
    std::printf("%8.2f %10.0f %8.3f %8.3f %7.1f%%\n", seconds, rate, rate / LineRate, cpu,
                100 * cpu / seconds);
    std::printf("targets: at least 0.950 of the line rate, cpu under 10%%\n");
    return 0;
}
