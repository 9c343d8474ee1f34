#pragma once

#include "RadioConsole.h"
#include "SimulatedPort.h"

#include <QList>
#include <QPointer>
#include <memory>

class Clock;

// The radio built into the programs (the port "simulated"), there for the whole run. Its time is
// its owner's clock, and it makes the ports that reach it: those come and go (the store and
// restore window's goes with the window), so none of them may hold the radio's clock or traffic.
class BuiltInRadio {
public:
    BuiltInRadio(const RadioOptions& options, Clock& clock);

    RadioConsole& console() { return console_; }
    // A port to it that answers as a radio on a cable does: late, in pieces, at the line's pace.
    std::unique_ptr<SimulatedPort> port();
    // The cable pulled: every open port to it loses its device.
    void vanish();
    // What it has sent that has not arrived yet, on any port.
    qsizetype bytesOnTheWay() const;

private:
    RadioConsole console_;
    Clock& clock_;
    QList<QPointer<SimulatedPort>> ports_;
};
