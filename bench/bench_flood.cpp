// A radio that floods the line with random bytes while each screen is open.
//
// bench_flood [--bytes N] [--baud N] [--screen WORD] [--rounds N]: the program on the slave side of
// a pseudo-terminal pair, this bench on the master side. A thread of the bench plays a console that
// answers every line with its prompt (so that the window connects and the screens open), then sends
// N random bytes (10 MB by default) while a screen is open, as fast as the pseudo-terminal takes
// them (harder than any real line) or, with --baud, at that line's speed. Each screen is measured
// for the longest gap between two passes of its event loop (a 10 ms timer's lateness, counted
// by what the program's thread did in it) and the resident memory; the run fails (exit 1) when a
// gap passes GapBoundMs or memory grows by more than GrowthBoundKiB.
#include "BenchSupport.h"
#include "access/LoginDialog.h"
#include "config/RestoreWindow.h"
#include "diag/RssiWindow.h"
#include "diag/SetupWindow.h"
#include "diag/ZoneDataWindow.h"
#include "diag/ZoneQualityWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// Longer than any blocking pause of an exchange the screens make, far shorter than a user
// takes for a hung window.
constexpr qint64 GapBoundMs = 250;
// The flood is far larger than this: a program that kept what it received would pass it.
constexpr long GrowthBoundKiB = 16 * 1024;

// The radio's side of a pseudo-terminal pair. Its thread answers every line the program sends
// with a prompt ("SETUP>" after "setup"), and while flooding sends random bytes as well.
class RadioSide {
public:
    ~RadioSide() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (slave_ >= 0)
            ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
    }

    // The device path of the slave side, or empty when no pair could be made.
    QString open() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            return QString();
        const char* name = ptsname(master_);
        if (!name)
            return QString();
        // Held open by the bench, so that the line stays up while the program reopens its port.
        slave_ = ::open(name, O_RDWR | O_NOCTTY);
        if (slave_ < 0)
            return QString();
        termios raw{};
        tcgetattr(slave_, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
        thread_ = std::thread([this] { run(); });
        return QString::fromLocal8Bit(name);
    }

    // Starts sending bytes random bytes, at baud (0: as fast as the line takes them).
    void flood(qint64 bytes, int baud) {
        baud_ = baud;
        sent_ = 0;
        floodBytes_ = bytes;
    }
    bool flooding() const { return sent_ < floodBytes_; }
    qint64 sent() const { return sent_; }

private:
    void run() {
        QRandomGenerator random(20261209);
        QByteArray line;
        QByteArray noise(4096, '\0');
        const auto started = std::chrono::steady_clock::now();
        qint64 floodStartNs = 0;
        bool wasFlooding = false;
        while (!stop_) {
            pollfd ready{master_, POLLIN, 0};
            if (flooding() && !paused_)
                ready.events |= POLLOUT;
            ::poll(&ready, 1, 5);
            paused_ = false;
            if (ready.revents & POLLIN)
                answer(line);
            const bool floodingNow = flooding();
            if (!floodingNow) {
                wasFlooding = false;
                continue;
            }
            const qint64 nowNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now() - started)
                                     .count();
            if (!wasFlooding)
                floodStartNs = nowNs;
            wasFlooding = true;
            qint64 allowed = floodBytes_ - sent_;
            if (baud_ > 0)
                allowed = std::min(
                    allowed, qint64(double(nowNs - floodStartNs) / 1e9 * baud_ / 10.0) - sent_);
            allowed = std::min<qint64>(allowed, noise.size());
            // Ahead of the line's pace: the next poll waits for the program's output only.
            paused_ = allowed <= 0;
            if (allowed <= 0 || !(ready.revents & POLLOUT))
                continue;
            random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
            const ssize_t written = ::write(master_, noise.constData(), size_t(allowed));
            if (written > 0)
                sent_ += written;
        }
    }

    // What the program sent, echoed as a console echoes it; each carriage return ends a line,
    // answered with a prompt.
    void answer(QByteArray& line) {
        char bytes[512];
        const ssize_t got = ::read(master_, bytes, sizeof bytes);
        QByteArray reply;
        for (ssize_t i = 0; i < got; ++i) {
            if (bytes[i] != '\r') {
                line += bytes[i];
                reply += bytes[i];
                continue;
            }
            reply += line.trimmed().compare("setup", Qt::CaseInsensitive) == 0
                         ? QByteArray("\r\nSETUP>")
                         : QByteArray("\r\n>");
            line.clear();
        }
        if (!reply.isEmpty())
            ::write(master_, reply.constData(), size_t(reply.size()));
    }

    int master_ = -1;
    int slave_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<qint64> floodBytes_{0};
    std::atomic<qint64> sent_{0};
    std::atomic<int> baud_{0};
    bool paused_ = false;
};

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The longest time between two passes of the event loop, from a 10 ms timer's lateness. On a
// shared machine the thread may simply not have run: a gap counts as the program's by the
// processor time its thread used in it, or whole when the program blocked in a sleep of its
// own. The wait of the program's announced last before the longest gap is named.
class GapMeter {
public:
    explicit GapMeter(LinkGate& gate) : gate_(gate) {
        tick_.setInterval(10);
        QObject::connect(&tick_, &QTimer::timeout, [this] { onTick(); });
        gate_.waitHook = [this](LinkGate::Wait kind, const QString& label, int) {
            lastWait_ = label;
            slept_ |= kind == LinkGate::Wait::Sleep || kind == LinkGate::Wait::MsWait;
        };
    }
    ~GapMeter() { gate_.waitHook = nullptr; }
    void start() {
        longest_ = wallLongest_ = 0;
        since_.start();
        cpuAt_ = threadSeconds();
        tick_.start();
    }
    void stop() { tick_.stop(); }
    // The program's longest gap, and the longest on the wall clock.
    qint64 longest() const { return longest_; }
    qint64 wallLongest() const { return wallLongest_; }
    QString longestAfter() const { return longestAfter_; }

    // The processor time of the program's thread (the window's), leaving out the bench's own.
    static double threadSeconds() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
    }

private:
    void onTick() {
        const qint64 wall = since_.restart();
        const double cpuNow = threadSeconds();
        const qint64 used = slept_ ? wall : qint64((cpuNow - cpuAt_) * 1000);
        cpuAt_ = cpuNow;
        wallLongest_ = std::max(wallLongest_, wall);
        if (used > longest_) {
            longest_ = used;
            longestAfter_ = lastWait_;
        }
        lastWait_ = QStringLiteral("none");
        slept_ = false;
    }

    LinkGate& gate_;
    QTimer tick_;
    QElapsedTimer since_;
    double cpuAt_ = 0;
    qint64 longest_ = 0;
    qint64 wallLongest_ = 0;
    bool slept_ = false;
    QString lastWait_ = QStringLiteral("none");
    QString longestAfter_;
};

// What the program read from the line, on the main window's port and on the store and restore
// window's own.
struct Taken {
    CountingPort& main;
    QPointer<CountingPort> restore;
    qint64 total() const { return main.received + (restore ? restore->received : 0); }
};

struct Screen {
    const char* name;
    std::function<bool()> open; // false when the screen did not open
    std::function<void()> close;
    // What the screen is asked to do once the flood has started (its open, for one that
    // reads the radio as it opens, would end before the flood began).
    std::function<void()> underFlood = [] {};
};

// Floods the line while the screen is open; true when it stayed responsive and bounded.
bool floodWhileOpen(RadioSide& radio, MainWindow& window, const Taken& taken, const Screen& screen,
                    qint64 bytes, int baud) {
    if (!screen.open()) {
        std::printf("%-28s did not open\n", screen.name);
        return false;
    }
    runFor(500);
    const long before = residentKiB();
    long peak = before;
    GapMeter gaps(window.state().gate);
    QElapsedTimer wall;
    wall.start();
    const double cpuStart = GapMeter::threadSeconds();
    const qint64 takenBefore = taken.total();
    gaps.start();
    radio.flood(bytes, baud);
    QTimer::singleShot(50, screen.underFlood);
    while (radio.flooding()) {
        runFor(100);
        peak = std::max(peak, residentKiB());
    }
    runFor(500); // what is still on its way
    peak = std::max(peak, residentKiB());
    gaps.stop();
    const qint64 gap = gaps.longest();
    const double seconds = wall.elapsed() / 1000.0;
    const double cpu = 100 * (GapMeter::threadSeconds() - cpuStart) / seconds;
    const bool fine = gap <= GapBoundMs && peak - before <= GrowthBoundKiB;
    std::printf("%-26s %5.1f s %8.0f B/s (read %lld)  cpu %3.0f%%  gap %4lld ms (wall %4lld, last "
                "wait: %s)  rss %ld -> peak %ld KiB  buffer %lld  %s\n",
                screen.name, seconds, radio.sent() / seconds,
                qlonglong(taken.total() - takenBefore), cpu, qlonglong(gap),
                qlonglong(gaps.wallLongest()), qPrintable(gaps.longestAfter()), before, peak,
                qlonglong(window.state().receiveBuffer.size()), fine ? "ok" : "FAILED");
    std::fflush(stdout);
    screen.close();
    // The closing screens' own exchanges, and any read they ask for, end before the next.
    QElapsedTimer settling;
    settling.start();
    while (!window.state().gate.idle() && settling.elapsed() < 60000)
        runFor(50);
    window.state().refreshRequest = false;
    runFor(300);
    return fine;
}

// The screen of that kind that is shown: one closed before may wait to be deleted still.
template <typename Dialog> Dialog* opened(MainWindow& window) {
    runFor(300);
    for (Dialog* dialog : window.findChildren<Dialog*>())
        if (dialog->isVisible())
            return dialog;
    return nullptr;
}

template <typename Dialog> void rejectOpen(MainWindow& window) {
    if (auto* dialog = opened<Dialog>(window))
        dialog->reject();
    runFor(300);
}

QList<Screen> screens(MainWindow& window, ScriptedPrompts& prompts, const QString& device,
                      Taken& taken) {
    return {
        {"main window, terminal pane", [] { return true; }, [] {}},
        {"RSSI monitor",
         [&] {
             window.onRssi();
             return opened<RssiWindow>(window) != nullptr;
         },
         [&] { rejectOpen<RssiWindow>(window); }},
        {"zone data",
         [&] {
             window.onZoneData();
             return opened<ZoneDataWindow>(window) != nullptr;
         },
         [&] { rejectOpen<ZoneDataWindow>(window); }},
        {"zone quality",
         [&] {
             window.onZoneData();
             auto* zones = opened<ZoneDataWindow>(window);
             if (!zones)
                 return false;
             zones->mnuShowZoneQuality->trigger();
             return zones->qualityWindow() != nullptr;
         },
         [&] {
             rejectOpen<ZoneQualityWindow>(window);
             rejectOpen<ZoneDataWindow>(window);
         }},
        {"setup mode",
         [&] {
             prompts.answers << Prompts::Yes;
             window.enterSetupMode();
             return opened<SetupWindow>(window) != nullptr;
         },
         [&] {
             if (auto* setup = opened<SetupWindow>(window))
                 setup->close();
             runFor(300);
         }},
        {"login dialog",
         [&] {
             window.access().openLogin();
             return opened<LoginDialog>(window) != nullptr;
         },
         [&] { rejectOpen<LoginDialog>(window); }},
        {"edit wait (Unit Address)", [] { return true; }, [] {},
         [&] {
             // The new value is typed at once; the flood then fills the wait for the verdict.
             prompts.texts << QStringLiteral("1234");
             window.editor().edit(QStringLiteral("UnitAddr"));
         }},
        {"store and restore",
         [&, device] {
             window.setPortMaker([device, &taken] {
                 auto port = std::make_unique<CountingPort>([device](int) { return device; });
                 taken.restore = port.get();
                 return port;
             });
             // Not logged in: the window still opens, to save.
             prompts.answers << Prompts::Yes;
             window.openConfigRestore();
             return opened<RestoreWindow>(window) != nullptr;
         },
         [&] { rejectOpen<RestoreWindow>(window); },
         [&] {
             if (auto* restore = opened<RestoreWindow>(window))
                 restore->requestRead();
         }},
    };
}

QString argOf(int argc, char* argv[], const char* name) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return QString::fromLocal8Bit(argv[i + 1]);
    return QString();
}

qint64 option(int argc, char* argv[], const char* name, qint64 fallback) {
    const QString value = argOf(argc, argv, name);
    return value.isEmpty() ? fallback : std::max<qint64>(0, value.toLongLong());
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 bytes = option(argc, argv, "--bytes", 10 * 1000 * 1000);
    const int baud = int(option(argc, argv, "--baud", 0));

    RadioSide radio;
    const QString device = radio.open();
    if (device.isEmpty()) {
        std::fprintf(stderr, "could not make a pseudo-terminal pair\n");
        return 1;
    }
    BenchWindow bench(device);
    MainWindow& window = *bench.window;
    window.show();
    bench.prompts.files << bench.dir.filePath("flood.log");
    window.terminal().openLog();
    window.link().connectAction();
    if (!bench.port.isOpen()) {
        std::fprintf(stderr, "could not connect to %s\n", qPrintable(device));
        return 1;
    }
    window.state().refreshRequest = false;
    std::printf("%lld random bytes a screen, %s; bounds: gap %lld ms, growth %ld KiB\n",
                qlonglong(bytes), baud > 0 ? qPrintable(QString("%1 baud").arg(baud)) : "unpaced",
                qlonglong(GapBoundMs), GrowthBoundKiB);
    // --screen WORD: only the screens whose name holds it.
    const QString only = argOf(argc, argv, "--screen");
    // --rounds N: every screen N times, so that what a closed screen leaves behind shows.
    const qint64 rounds = std::max<qint64>(1, option(argc, argv, "--rounds", 1));
    Taken taken{bench.port, nullptr};
    bool fine = true;
    for (qint64 round = 0; round < rounds; ++round)
        for (const Screen& screen : screens(window, bench.prompts, device, taken))
            if (QString(screen.name).contains(only))
                fine &= floodWhileOpen(radio, window, taken, screen, bytes, baud);
    std::printf("peak resident memory %ld KiB\n", statusKiB("VmHWM"));
    return fine ? 0 : 1;
}
