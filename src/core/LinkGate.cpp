#include "LinkGate.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <exception>

bool LinkGate::exclusive() const {
    return std::any_of(scopes_.begin(), scopes_.end(),
                       [](const Scope* s) { return !s->exclusiveBecause.isEmpty(); });
}

bool LinkGate::runsFor(const QObject* owner) const {
    return owner && std::any_of(scopes_.begin(), scopes_.end(),
                                [owner](const Scope* s) { return s->owner == owner; });
}

bool LinkGate::asks(const QObject* window) const {
    return window && std::any_of(questions_.begin(), questions_.end(),
                                 [window](const Question* q) { return q->asker == window; });
}

LinkGate::Outcome LinkGate::request(const QString& key, QObject* context,
                                    std::function<void()> action) {
    if (shuttingDown_)
        return Outcome::Refused;
    const auto refuse = [this](const QString& why) {
        if (refused)
            refused(why);
        return Outcome::Refused;
    };
    for (const Scope* scope : std::as_const(scopes_))
        if (!scope->exclusiveBecause.isEmpty())
            return refuse(scope->exclusiveBecause);
    if (reservedAgainst(key, context))
        return refuse(reservation_.refusal);
    if (idle() || askedByTheRunningAction(context)) {
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

bool LinkGate::askedByTheRunningAction(const QObject* context) const {
    if (!busy() || waits_ > 0)
        return false;
    const Scope* top = scopes_.last();
    return !top->onCancel || (context && top->owner == context);
}

bool LinkGate::reservedAgainst(const QString& key, const QObject* context) const {
    return reservation_.owner && context != reservation_.owner &&
           !reservation_.admitted.contains(key);
}

void LinkGate::reserve(QObject* owner, const QStringList& admitted, const QString& refusal) {
    reservation_ = {owner, admitted, refusal};
}

void LinkGate::interrupt(const QString& key, QObject* context, std::function<void()> then) {
    if (idle()) {
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
    wake();
    QList<std::function<void()>> enders;
    for (const Question* question : std::as_const(questions_))
        enders << question->answer;
    for (const Scope* scope : std::as_const(scopes_))
        if (scope->onCancel)
            enders << scope->onCancel;
    for (const auto& end : enders)
        end();
}

void LinkGate::wake() {
    for (QEventLoop* loop : std::as_const(loops_))
        if (loop)
            loop->quit();
}

void LinkGate::forget(const QObject* context) {
    queue_.removeIf([context](const Entry& e) { return e.context == context; });
    if (context && reservation_.owner == context)
        reservation_ = {};
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
        // Held before the radio went into a mode of its own: it no longer fits.
        if (!entry.interruption && reservedAgainst(entry.key, entry.context))
            continue;
        runAsAction(entry.context, entry.run);
    }
    running_ = false;
}

LinkBusy::LinkBusy(LinkGate& gate, QObject* owner, const QString& exclusiveBecause,
                   std::function<void()> onCancel)
    : gate_(gate), scope_{owner, exclusiveBecause, std::move(onCancel)} {
    gate_.enter(&scope_);
}

LinkBusy::~LinkBusy() {
    gate_.leave(&scope_);
}

OpenQuestion::OpenQuestion(LinkGate& gate, QObject* asker, const QString& label,
                           std::function<void()> answer)
    : gate_(gate), hold_(gate, asker), question_{asker, [this, answer = std::move(answer)] {
                                                     if (answered_)
                                                         return;
                                                     answered_ = true;
                                                     answer();
                                                 }} {
    gate_.announceWait(LinkGate::Wait::Question, label);
    gate_.questions_.append(&question_);
    gate_.enterWait(nullptr);
}

OpenQuestion::~OpenQuestion() {
    gate_.leaveWait(nullptr);
    gate_.questions_.removeOne(&question_);
}
