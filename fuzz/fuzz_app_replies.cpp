// The main window on fuzzed radio replies: a connect and settings read, a store and restore
// window that reads the radio and loads a file, and a zone data screen. The input cut at each
// NUL: the configuration file first, then the radio's reply to each write in turn (an empty
// one is silence, and once they run out the radio is silent).
//
// ARDENTIX_FUZZ_RECORD=FILE makes a seed instead: the simulated radio answers, and FILE gets
// the input's file followed by the radio's replies, in the same form.
#include "FuzzApp.h"
#include "FuzzInput.h"
#include "RadioConsole.h"
#include "app/MainWindow.h"
#include "config/RestoreWindow.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "diag/ZoneDataWindow.h"
#include "link/LinkControls.h"
#include "link/RadioLink.h"
#include "link/SerialPort.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

namespace {

// Where the replies come from: the input, or (recording) the simulated radio.
struct Replies {
    QList<QByteArray> queued;
    std::unique_ptr<RadioConsole> radio;
    QList<QByteArray> recorded;

    QByteArray next(const QByteArray& written) {
        if (radio) {
            recorded << radio->receive(written);
            return recorded.last();
        }
        return queued.isEmpty() ? QByteArray() : queued.takeFirst();
    }
};

// A port whose every write is answered by the next reply, a moment later.
class ReplyPort : public SerialPort {
public:
    ReplyPort(Replies& replies, Clock& clock) : replies_(replies), clock_(clock) {}

    int portNumber() const override { return 1; }
    void setPortNumber(int) override {}
    QString settings() const override { return settings_; }
    void setSettings(const QString& settings) override { settings_ = settings; }
    void setHandshakingNone() override {}
    bool isOpen() const override { return open_; }
    void setOpen(bool open) override {
        open_ = open;
        inbox_.clear();
        ++generation_;
    }
    void write(const QByteArray& bytes) override {
        if (!open_)
            throw SerialError(SerialError::PortNotOpen, "Port not open");
        const QByteArray reply = replies_.next(bytes);
        if (reply.isEmpty())
            return;
        clock_.at(clock_.msecs() + 1, this, [this, reply, generation = generation_] {
            if (!open_ || generation != generation_)
                return;
            inbox_ += reply;
            emit commEvent(Received);
        });
    }
    QByteArray readAll() override {
        if (!open_)
            throw SerialError(SerialError::PortNotOpen, "Port not open");
        return std::exchange(inbox_, QByteArray());
    }
    qint64 bytesToSend() const override { return 0; }

private:
    Replies& replies_;
    Clock& clock_;
    QString settings_ = QStringLiteral("19200,N,8,1");
    QByteArray inbox_;
    int generation_ = 0;
    bool open_ = false;
};

// The tests' clock, its expired waits armed for no real time at all: an input runs in a few
// milliseconds however long the radio keeps the program waiting.
class InstantClock : public ManualClock {
public:
    int realWaitMs(qint64) const override { return 0; }
};

struct Rig {
    Rig() : port(replies, clock) {
        settings = std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat);
        window = std::make_unique<MainWindow>(port, prompts, clock, *settings);
        window->setPortMaker([this] { return std::make_unique<ReplyPort>(replies, clock); });
        window->controls().Timer1->blockSignals(true);
        window->controls().Timer2->blockSignals(true);
    }

    // Lets what waits for the link run; a reply that never comes expires on the clock.
    void settle() {
        for (int round = 0; round < 200 && !window->state().gate.idle(); ++round) {
            QCoreApplication::processEvents();
            clock.advance(50);
        }
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Lets the clock and the events run a while, for a screen that holds the link while open.
    void pump(int rounds) {
        for (int round = 0; round < rounds; ++round) {
            QCoreApplication::processEvents();
            clock.advance(50);
        }
    }
    template <typename T> T* shown() const {
        for (T* each : window->findChildren<T*>())
            if (!each->isHidden())
                return each;
        return nullptr;
    }

    QTemporaryDir dir;
    InstantClock clock;
    Replies replies;
    ReplyPort port;
    ScriptedPrompts prompts;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<MainWindow> window;
};

void connectAndRead(Rig& rig) {
    rig.window->link().connectAction();
    rig.settle();
    rig.window->onTick();
    rig.settle();
}

void loadFile(Rig& rig, const QByteArray& file) {
    const QString path = rig.dir.filePath("in.cfg");
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(file) != file.size())
        return;
    out.close();
    rig.window->openConfigRestore();
    rig.settle();
    if (auto* restore = rig.shown<RestoreWindow>()) {
        rig.prompts.files = {path};
        restore->toolbarButton("OpenConfig")->trigger();
        rig.settle();
        restore->close();
        rig.settle();
    }
}

void watchZones(Rig& rig) {
    rig.window->onZoneData();
    rig.pump(3);
    if (auto* zones = rig.shown<ZoneDataWindow>()) {
        // The skipped zones taken, the counters asked for, their reply taken, and once more.
        for (int tick = 0; tick < 4; ++tick) {
            rig.pump(3);
            zones->onPollTick();
        }
        zones->close();
        rig.settle();
    }
}

// Whatever the radio said, Disconnect closes the port and the window stops showing it open.
void disconnect(Rig& rig) {
    if (rig.port.isOpen()) {
        rig.window->link().disconnectAction();
        rig.settle();
    }
    FuzzInput::require(!rig.port.isOpen() && rig.window->controls().imgConnected->isHidden());
}

// The window lives as long as the process; its settings and files go when the process ends.
Rig& sharedRig() {
    static Rig* made = [] {
        auto* rig = new Rig;
        static const QString folder = rig->dir.path();
        std::atexit([] { QDir(folder).removeRecursively(); });
        return rig;
    }();
    return *made;
}

void record(const Rig& rig, const QByteArray& file, const QString& path) {
    QFile out(path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write((QList<QByteArray>{file} + rig.replies.recorded).join('\0'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzApp::instance();
    Rig* const rig = &sharedRig();
    QList<QByteArray> parts = FuzzInput::parts(data, size);
    const QByteArray file = parts.takeFirst();
    const QString recording = qEnvironmentVariable("ARDENTIX_FUZZ_RECORD");
    rig->replies.queued = parts;
    if (!recording.isEmpty())
        rig->replies.radio = std::make_unique<RadioConsole>();
    rig->prompts.calls.clear();
    connectAndRead(*rig);
    loadFile(*rig, file);
    watchZones(*rig);
    disconnect(*rig);
    if (!recording.isEmpty())
        record(*rig, file, recording);
    rig->replies.queued.clear();
    rig->replies.radio.reset();
    rig->replies.recorded.clear();
    return 0;
}
