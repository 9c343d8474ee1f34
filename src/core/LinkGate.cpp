#include "LinkGate.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <exception>

bool LinkGate::exclusive() const {
    return std::any_of(scopes_.begin(), scopes_.end(), [](const Scope* s) { return s->exclusive; });
}

bool LinkGate::runsFor(const QObject* owner) const {
    return owner && std::any_of(scopes_.begin(), scopes_.end(),
                                [owner](const Scope* s) { return s->owner == owner; });
}

LinkGate::Outcome LinkGate::request(const QString& key, QObject* context,
                                    std::function<void()> action) {
    if (shuttingDown_)
        return Outcome::Refused;
    if (exclusive()) {
        if (refused)
            refused();
        return Outcome::Refused;
    }
    if (free() || askedByTheRunningAction()) {
        runAsAction(context, action);
        return Outcome::Ran;
    }
    const bool waiting = std::any_of(queue_.begin(), queue_.end(), [&](const Entry& e) {
        return e.key == key && !e.interruption && e.context == context;
    });
    if (!waiting)
        queue_.append({key, context, context != nullptr, false, std::move(action)});
    return Outcome::Held;
}

bool LinkGate::askedByTheRunningAction() const {
    return busy() && waits_ == 0 && !scopes_.last()->onCancel;
}

void LinkGate::interrupt(const QString& key, QObject* context, std::function<void()> then) {
    if (free()) {
        runAsAction(context, then);
        return;
    }
    cancel();
    queue_.removeIf([](const Entry& e) { return !e.interruption; });
    const bool waiting =
        std::any_of(queue_.begin(), queue_.end(), [&](const Entry& e) { return e.key == key; });
    if (!waiting)
        queue_.append({key, context, context != nullptr, true, std::move(then)});
    if (!busy())
        scheduleHeld();
}

void LinkGate::cancel() {
    if (!busy())
        return;
    cancelled_ = true;
    for (QEventLoop* loop : std::as_const(loops_))
        if (loop)
            loop->quit();
    QList<std::function<void()>> enders;
    for (const Scope* scope : std::as_const(scopes_))
        if (scope->onCancel)
            enders << scope->onCancel;
    for (const auto& end : enders)
        end();
}

void LinkGate::forget(const QObject* context) {
    queue_.removeIf([context](const Entry& e) { return e.context == context; });
}

void LinkGate::announceWait(Wait kind, const QString& label) {
    if (waitHook)
        waitHook(kind, label, waits_);
}

void LinkGate::enterWait(QEventLoop* loop) {
    loops_.append(loop);
    ++waits_;
}

void LinkGate::leaveWait(QEventLoop* loop) {
    loops_.removeOne(loop);
    --waits_;
}

void LinkGate::enter(Scope* scope) {
    scopes_.append(scope);
}

void LinkGate::leave(Scope* scope) {
    scopes_.removeOne(scope);
    if (!scopes_.isEmpty())
        return;
    cancelled_ = false;
    if (!queue_.isEmpty())
        scheduleHeld();
}

// An action that lets a failure escape would otherwise end the program from inside the event
// loop; it is said and the link goes on.
void LinkGate::runAsAction(QObject* owner, const std::function<void()>& action) {
    const LinkBusy busy(*this, owner);
    try {
        action();
    } catch (const std::exception& failure) {
        qWarning("An action on the link failed: %s", failure.what());
    }
}

// Held actions start from the event loop, never from deep inside the one that just ended.
void LinkGate::scheduleHeld() {
    QTimer::singleShot(0, this, &LinkGate::runHeld);
}

void LinkGate::runHeld() {
    if (running_)
        return;
    running_ = true;
    while (!busy() && !queue_.isEmpty()) {
        const Entry entry = queue_.takeFirst();
        if (entry.bound && entry.context.isNull())
            continue;
        runAsAction(entry.context, entry.run);
    }
    running_ = false;
}

LinkBusy::LinkBusy(LinkGate& gate, QObject* owner, bool exclusive, std::function<void()> onCancel)
    : gate_(gate), scope_{owner, exclusive, std::move(onCancel)} {
    gate_.enter(&scope_);
}

LinkBusy::~LinkBusy() {
    gate_.leave(&scope_);
}
