#include "BuiltInRadio.h"

#include "core/Clock.h"
#include "link/PortNames.h"

BuiltInRadio::BuiltInRadio(const RadioOptions& options, Clock& clock)
    : console_(options), clock_(clock) {
    console_.setClock([&clock] { return clock.msecs(); });
}

std::unique_ptr<SimulatedPort> BuiltInRadio::port() {
    auto made = std::make_unique<SimulatedPort>(console_, clock_);
    made->setPacedOutput(true);
    made->setPacedInput(true);
    made->setPortNumber(PortNames::BuiltInRadio);
    ports_.removeAll(nullptr);
    ports_ << made.get();
    return made;
}

void BuiltInRadio::vanish() {
    for (SimulatedPort* port : std::as_const(ports_))
        if (port && port->isOpen())
            port->vanish();
}

qsizetype BuiltInRadio::bytesOnTheWay() const {
    qsizetype bytes = 0;
    for (const SimulatedPort* port : ports_)
        if (port)
            bytes += port->bytesOnTheWay();
    return bytes;
}
