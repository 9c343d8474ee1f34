#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QEventLoop;

// The one way to the radio. One action at a time owns the link, from its start (its questions
// included) until it returns. What the user starts meanwhile is held and run, in order, once
// the link is free; while an action runs that admits nothing beside it (the firmware
// download), it is refused. An interruption (disconnecting, reconnecting, quitting, a lost
// device, a window closed) cancels the running action: its waits end at once and it sends
// nothing more than what leaves the radio safe; the interruption runs as soon as it has
// returned, so no window is ever deleted under its own wait.
class LinkGate : public QObject {
    Q_OBJECT
public:
    enum class Wait { Until, Event, Yield, Sleep, MsWait };
    enum class Outcome { Ran, Held, Refused };

    // An action holds the link (it may be asking the user something).
    bool busy() const { return !scopes_.isEmpty(); }
    // Nothing holds the link and nothing waits for it: the tick may use it.
    bool free() const { return scopes_.isEmpty() && queue_.isEmpty(); }
    // The running action was interrupted: it unwinds without another command.
    bool cancelled() const { return cancelled_; }
    // An action runs that admits nothing beside it.
    bool exclusive() const;
    // An action of this window is on the stack.
    bool runsFor(const QObject* owner) const;
    // How many waits are on the stack: a command from inside one would cut into an exchange.
    int waitDepth() const { return waits_; }

    // Runs the action now when the link is free, or as a part of the running action when that
    // one asks (no wait of it is on the stack); else holds it (one held action per key, for as
    // long as context lives). Refused, after telling the user, while an exclusive action runs,
    // and quietly once the program is quitting.
    Outcome request(const QString& key, QObject* context, std::function<void()> action);
    // Cancels the running action and drops what was held; then runs first once the link is
    // free (at once when it is).
    void interrupt(const QString& key, QObject* context, std::function<void()> then);
    // Ends every wait of the running action at once.
    void cancel();
    // Drops what a window asked for and did not get: it has closed.
    void forget(const QObject* context);
    // From now on nothing new starts: the program is quitting.
    void shutDown() { shuttingDown_ = true; }
    void resume() { shuttingDown_ = false; }
    bool shuttingDown() const { return shuttingDown_; }

    // The link is about to end (disconnect, reconnect, quit): every window that talks to the
    // radio closes now, leaving the radio as it found it, while the port is still open.
    void announceEnding() { emit ending(); }

    // The console's side: every wait is announced; an event-loop wait is woken by a cancel.
    void announceWait(Wait kind, const QString& label);
    void enterWait(QEventLoop* loop);
    void leaveWait(QEventLoop* loop);

    // Tells the user that what they started was refused.
    std::function<void()> refused;
    // Called at every wait, with its kind, the caller's label and how many waits are already
    // on the stack: a test interrupts a flow from inside its Nth wait.
    std::function<void(Wait kind, const QString& label, int depth)> waitHook;

signals:
    void ending();

private:
    friend class LinkBusy;
    struct Scope {
        QObject* owner;
        bool exclusive;
        // A live screen holds the link for as long as it is open, with no action on the stack:
        // it ends itself when the link is interrupted.
        std::function<void()> onCancel;
    };
    // The code asking is the running action's own: nothing waits, and no live screen holds the
    // link on its own.
    bool askedByTheRunningAction() const;
    struct Entry {
        QString key;
        QPointer<QObject> context;
        bool bound; // it belongs to a context, and is dropped with it
        bool interruption;
        std::function<void()> run;
    };
    void enter(Scope* scope);
    void leave(Scope* scope);
    void runAsAction(QObject* owner, const std::function<void()>& action);
    void scheduleHeld();
    void runHeld();

    QList<Scope*> scopes_;
    QList<Entry> queue_;
    QList<QEventLoop*> loops_;
    int waits_ = 0;
    bool cancelled_ = false;
    bool running_ = false;
    bool shuttingDown_ = false;
};

// Holds the link for one action, or for as long as a live screen is open. The outermost
// holder names the window the action belongs to; onCancel lets a holder with no wait on the
// stack (a live screen) end itself when the link is interrupted.
class LinkBusy {
public:
    explicit LinkBusy(LinkGate& gate, QObject* owner = nullptr, bool exclusive = false,
                      std::function<void()> onCancel = {});
    ~LinkBusy();
    LinkBusy(const LinkBusy&) = delete;
    LinkBusy& operator=(const LinkBusy&) = delete;

private:
    LinkGate& gate_;
    LinkGate::Scope scope_;
};
