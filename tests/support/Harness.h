#pragma once

#include "BuiltInRadio.h"
#include "RadioConsole.h"
#include "SimulatedPort.h"
#include "app/MainWindow.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "link/PortNames.h"
#include "link/TerminalPane.h"

#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

// The main window wired to an in-process simulated radio, a manual clock, scripted prompts and
// a private settings file. The radio answers at once, or, as the programs' built-in radio,
// through ports it makes itself that pace their replies as a cable does.
struct Harness {
    enum class Line { Instant, BuiltIn };
    explicit Harness(const RadioOptions& options = RadioOptions(),
                     const QMap<QString, QString>& stored = {}, Line line = Line::Instant)
        : builtIn(options, clock), radio(builtIn.console()), line(line), mainPort(makePort()),
          port(*mainPort) {
        settings = std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat);
        if (line == Line::BuiltIn)
            settings->setValue("Properties/CommPort", PortNames::BuiltInRadio);
        for (auto it = stored.begin(); it != stored.end(); ++it)
            settings->setValue(it.key(), it.value());
        window = std::make_unique<MainWindow>(port, prompts, clock, *settings);
        window->setPortMaker([this] {
            std::unique_ptr<SimulatedPort> made = makePort();
            ownPorts << made.get();
            return made;
        });
        // Tests tick by hand, on the manual clock; the real timers only report whether they run.
        window->controls().Timer1->blockSignals(true);
        window->controls().Timer2->blockSignals(true);
    }

    std::unique_ptr<SimulatedPort> makePort() {
        return line == Line::BuiltIn ? builtIn.port() : std::make_unique<SimulatedPort>(radio, clock);
    }
    QString pane() const { return window->txtTerm->text(); }
    QStringList commands() const { return radio.commands(); }
    // Connects and clears what the radio received, so a test sees only what follows.
    void connectRadio() {
        window->link().connectAction();
        QVERIFY(port.isOpen());
        radio.clearLines();
    }
    // Connected and read, with nothing recorded yet of what follows.
    void connectAndRead() {
        connectRadio();
        window->onTick();
        radio.clearLines();
        prompts.calls.clear();
        window->state().refreshRequest = false;
    }
    QString message() const { return prompts.lastMessage(); }
    // Lets what was held for the link, and the interruptions, run.
    void settle() {
        QVERIFY(QTest::qWaitFor([this] { return window->state().gate.idle(); }, 10000));
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    ManualClock clock;
    BuiltInRadio builtIn;
    RadioConsole& radio;
    const Line line;
    std::unique_ptr<SimulatedPort> mainPort;
    SimulatedPort& port;
    // The ports of store and restore windows, each on the same radio.
    QList<QPointer<SimulatedPort>> ownPorts;
    ScriptedPrompts prompts;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<MainWindow> window;
};
