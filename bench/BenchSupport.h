#pragma once

// What the benchmarks share: a simulated radio on a pseudo-terminal, the real serial port
// counting what crosses the line, the main window on it, and the process's processor time.
#include "app/MainWindow.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "link/DevicePort.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>

// The real serial port, counting what crosses the line: every write (whose first character
// must cross before its echo can return) and every character received.
class CountingPort : public DevicePort {
public:
    using DevicePort::DevicePort;
    void write(const QByteArray& bytes) override {
        ++writes;
        if (written)
            written(bytes);
        DevicePort::write(bytes);
    }
    QByteArray readAll() override {
        const QByteArray bytes = DevicePort::readAll();
        received += bytes.size();
        return bytes;
    }
    qint64 writes = 0;
    qint64 received = 0;
    std::function<void(const QByteArray&)> written;
};

inline double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// A figure of /proc/self/status in KiB ("VmRSS" resident now, "VmHWM" the peak); 0 when
// unreadable.
inline long statusKiB(const char* field) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    long kib = 0;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, field, length) == 0 && line[length] == ':')
            kib = std::atol(line + length + 1);
    std::fclose(status);
    return kib;
}

inline long residentKiB() {
    return statusKiB("VmRSS");
}

// ardentix-radio-sim with the options given, ended with the benchmark.
struct SimulatedRadio {
    QProcess sim;
    QString device;
    // False, and said, when it did not start.
    bool start(const QStringList& options) {
        sim.start(QCoreApplication::applicationDirPath() + "/../sim/ardentix-radio-sim",
                  QStringList{"--quiet"} + options);
        if (!sim.waitForStarted() || !sim.waitForReadyRead(5000)) {
            std::fprintf(stderr, "the simulated radio did not start\n");
            return false;
        }
        device = QString::fromLocal8Bit(sim.readLine()).trimmed();
        return true;
    }
    ~SimulatedRadio() {
        sim.kill();
        sim.waitForFinished();
    }
};

// The main window on a counting port to the device, in a private settings file with no
// keep-alive to disturb the figures.
struct BenchWindow {
    explicit BenchWindow(const QString& device)
        : settings(dir.filePath("bench.ini"), QSettings::IniFormat),
          port([device](int) { return device; }) {
        settings.setValue("Preferences/KeepAlive", "False");
        window = std::make_unique<MainWindow>(port, prompts, clock, settings);
    }
    QTemporaryDir dir;
    QSettings settings;
    CountingPort port;
    SystemClock clock;
    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> window;
};

// The window shown, connected to the device and read once, as a technician starts; false (and
// said on standard error) when the port did not open.
inline bool showConnectedAndRead(BenchWindow& bench, const QString& device) {
    bench.window->show();
    bench.window->link().connectAction();
    if (!bench.port.isOpen()) {
        std::fprintf(stderr, "could not connect to %s\n", qPrintable(device));
        return false;
    }
    bench.window->reader().run();
    return true;
}
