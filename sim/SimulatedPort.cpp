#include "SimulatedPort.h"

#include "RadioConsole.h"
#include "core/Clock.h"

SimulatedPort::SimulatedPort(RadioConsole& radio, Clock& clock, QObject* parent)
    : SerialPort(parent), radio_(radio), clock_(clock) {}

void SimulatedPort::setPortNumber(int number) {
    if (open_)
        throw SerialError(SerialError::PortAlreadyOpen, "Port already open");
    if (number < 1 || number > 255)
        throw SerialError(SerialError::InvalidPortNumber, "Invalid port number");
    number_ = number;
}

void SimulatedPort::setOpen(bool open) {
    if (open && open_)
        throw SerialError(SerialError::PortAlreadyOpen, "Port already open");
    if (open && busy_)
        throw openFailureError(number_, "simulated radio", OpenFailure::InUse);
    if (open && missingAfter_ >= 0 && opens_ >= missingAfter_)
        throw openFailureError(number_, "simulated radio", OpenFailure::Missing);
    if (open)
        ++opens_;
    open_ = open;
    if (!open) {
        endHold();
        inbox_.clear();
        queuedOut_ = 0;
        inUntilUs_ = 0;
        ++generation_;
    }
}

void SimulatedPort::write(const QByteArray& bytes) {
    if (!open_)
        throw SerialError(SerialError::PortNotOpen, "Operation valid only when the port is open");
    emit written(bytes);
    if (paced_)
        queueOutput(bytes.size());
    // The radio takes a line up only once it has answered the one before, as one that is
    // still storing a setting does.
    const qint64 sent = std::max(clock_.msecs() + radio_.options().latencyMs, answeredUntil_);
    const int generation = generation_;
    const bool wasReporting = radio_.reporting();
    for (const RadioConsole::ReplyPiece& piece : radio_.respond(bytes)) {
        answeredUntil_ = std::max(answeredUntil_, sent + piece.delayMs);
        if (pacedInput_)
            scheduleOnLine(sent + piece.delayMs, piece.bytes, generation);
        else
            scheduleArrival(sent + piece.delayMs, piece.bytes, generation);
    }
    if (radio_.reporting() && !wasReporting)
        scheduleReport(generation);
}

void SimulatedPort::scheduleArrival(qint64 dueMs, const QByteArray& bytes, int generation) {
    onTheWay_ += bytes.size();
    clock_.at(dueMs, this, [this, generation, bytes] {
        onTheWay_ -= bytes.size();
        if (generation == generation_)
            deliver(bytes);
    });
}

// Ten bits a character, in pieces of eight as a serial adapter hands them on; what the radio
// sends while the line is still busy follows what is on it.
void SimulatedPort::scheduleOnLine(qint64 dueMs, const QByteArray& bytes, int generation) {
    constexpr qsizetype PieceSize = 8;
    qint64 micros = std::max(dueMs * 1000, inUntilUs_);
    for (qsizetype at = 0; at < bytes.size(); at += PieceSize) {
        const QByteArray piece = bytes.mid(at, PieceSize);
        micros += piece.size() * 10000000 / baud();
        scheduleArrival((micros + 999) / 1000, piece, generation);
    }
    inUntilUs_ = micros;
}

qint64 SimulatedPort::baud() const {
    return std::max(1, settings_.section(u',', 0, 0).toInt());
}

// Ten bits a character at the port's speed; the port says so once it has sent everything.
void SimulatedPort::queueOutput(qint64 bytes) {
    queuedOut_ += bytes;
    outUntil_ = std::max(outUntil_, clock_.msecs()) + std::max<qint64>(1, bytes * 10000 / baud());
    const int generation = generation_;
    const int outputGeneration = outputGeneration_;
    clock_.at(outUntil_, this, [this, bytes, generation, outputGeneration] {
        if (generation != generation_ || outputGeneration != outputGeneration_)
            return;
        queuedOut_ -= bytes;
        if (queuedOut_ == 0)
            emit sent();
    });
}

void SimulatedPort::discardOutput() {
    stuckOut_ = 0;
    queuedOut_ = 0;
    outUntil_ = 0;
    ++outputGeneration_;
}

void SimulatedPort::scheduleReport(int generation) {
    clock_.at(clock_.msecs() + RadioConsole::ReportMs, this, [this, generation] {
        if (generation != generation_ || !radio_.reporting())
            return;
        const QByteArray line = radio_.report();
        if (!line.isEmpty())
            deliver(line);
        scheduleReport(generation);
    });
}

void SimulatedPort::deliver(const QByteArray& bytes) {
    if (!open_)
        return;
    inbox_ += bytes;
    if (inbox_.size() >= holdFor_)
        announce();
}

// The system counts to 255 at most; the hold ends with the first announcement unless the
// program asks again while handling it.
void SimulatedPort::expectCharacters(int count, int withinMs) {
    hinted_ = true;
    const bool wasHeld = holdFor_ > 0;
    endHold();
    if (holds_ && open_ && count >= 2 && withinMs > 0) {
        holdFor_ = std::min(count, 255);
        const int hold = holdGeneration_;
        clock_.at(clock_.msecs() + withinMs, this, [this, hold] {
            if (hold != holdGeneration_)
                return;
            endHold();
            if (open_ && !inbox_.isEmpty())
                announce();
        });
    }
    // What was held and is no longer is announced at the next turn of the event loop, as a
    // device that becomes readable is.
    if (wasHeld && !inbox_.isEmpty() && inbox_.size() >= holdFor_)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (open_ && !inbox_.isEmpty())
                    announce();
            },
            Qt::QueuedConnection);
}

void SimulatedPort::endHold() {
    holdFor_ = 0;
    ++holdGeneration_;
}

void SimulatedPort::announce() {
    hinted_ = false;
    ++announcements_;
    emit commEvent(Received);
    if (!hinted_)
        endHold();
}

QByteArray SimulatedPort::readAll() {
    if (!open_)
        throw SerialError(SerialError::PortNotOpen, "Operation valid only when the port is open");
    QByteArray taken;
    taken.swap(inbox_);
    return taken;
}

void SimulatedPort::vanish() {
    open_ = false;
    endHold();
    inbox_.clear();
    emit deviceLost();
}
