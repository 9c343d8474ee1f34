#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QEventLoop;

// The keys of what may run beside a window that keeps the radio in a mode of its own.
namespace LinkKeys {
inline const QString TypedKeys = QStringLiteral("keys");
inline const QString Rssi = QStringLiteral("rssi");
} // namespace LinkKeys

// The one way to the radio. One action at a time owns the link, from its start (its questions
// included) until it returns. What the user starts meanwhile is held and run, in order, once
// the link is free; while an action runs that admits nothing beside it (the firmware
// download), it is refused. An interruption (disconnecting, reconnecting, quitting, a lost
// device, a window closed) cancels the running action: its waits end at once, its questions
// are answered with their safe answer, and it sends nothing more than what leaves the radio
// safe; the interruption runs as soon as it has returned, so no window is ever deleted under
// its own wait.
//
// A question (a message, an input, a file dialog) is a wait too: asked inside an action it is
// one of its waits; asked outside any, it holds the link for the window that asked until it
// returns.
class LinkGate : public QObject {
    Q_OBJECT
public:
    enum class Wait { Until, Event, Yield, Sleep, MsWait, Question };
    enum class Outcome { Ran, Held, Refused };

    // An action holds the link (it may be asking the user something).
    bool busy() const { return !scopes_.isEmpty(); }
    // Nothing holds the link and nothing waits for it.
    bool idle() const { return scopes_.isEmpty() && queue_.isEmpty(); }
    // Idle, and no window keeps the radio in a mode of its own: the tick may use the link.
    bool free() const { return idle() && !reservation_.owner; }
    // The running action was interrupted: it unwinds without another command or question.
    bool cancelled() const { return cancelled_; }
    // An action runs that admits nothing beside it.
    bool exclusive() const;
    // An action of this window is on the stack, or a question it asked is open.
    bool runsFor(const QObject* owner) const;
    // A question this window asked is open.
    bool asks(const QObject* window) const;
    // How many waits are on the stack, questions included: a command from inside one would cut
    // into an exchange.
    int waitDepth() const { return waits_; }

    // Runs the action now when the link is free, or as a part of the running action when that
    // one asks (no wait of it is on the stack); else holds it (one held action per key, for as
    // long as context lives). Refused, after telling the user, while an exclusive action runs
    // or while a window that keeps the radio in a mode of its own does not admit it, and
    // quietly once the program is quitting.
    Outcome request(const QString& key, QObject* context, std::function<void()> action);
    // Cancels the running action and drops what was held; then runs first once the link is
    // free (at once when it is).
    void interrupt(const QString& key, QObject* context, std::function<void()> then);
    // Ends every wait of the running action at once and answers every open question.
    void cancel();
    // Ends the event-loop waits early without cancelling: each looks again at what it waits
    // for, so that a Cancel pressed or a stop asked for is seen at once.
    void wake();
    // Drops what a window asked for and did not get, and the link it kept: it has closed.
    void forget(const QObject* context);
    // From now on nothing new starts: the program is quitting.
    void shutDown() { shuttingDown_ = true; }
    void resume() { shuttingDown_ = false; }
    bool shuttingDown() const { return shuttingDown_; }
    // From now on nothing asks, not even the quit itself: a quit signal ends the program with
    // nobody to answer.
    void silence() { silenced_ = true; }
    bool silenced() const { return silenced_; }

    // While the owner (the setup window) is open the radio is in a mode of its own: the link is
    // the owner's and what it admits (typed keys, the RSSI monitor); everything else that
    // talks to the radio is refused, saying why. Interruptions still run.
    void reserve(QObject* owner, const QStringList& admitted, const QString& refusal);

    // The link is about to end (disconnect, reconnect, quit): every window that talks to the
    // radio closes now, leaving the radio as it found it, while the port is still open.
    void announceEnding() { emit ending(); }

    // The console's side: every wait is announced; an event-loop wait is woken by a cancel.
    void announceWait(Wait kind, const QString& label);
    void enterWait(QEventLoop* loop);
    void leaveWait(QEventLoop* loop);

    // Tells the user why what they started was refused.
    std::function<void(const QString& why)> refused;
    // Says what a question would have said when nothing may ask (quitting, an interrupted
    // action): the status bar, standard error.
    std::function<void(const QString& text)> untold;
    // Called at every wait, with its kind, the caller's label and how many waits are already
    // on the stack: a test interrupts a flow from inside its Nth wait.
    std::function<void(Wait kind, const QString& label, int depth)> waitHook;

signals:
    void ending();

private:
    friend class LinkBusy;
    friend class OpenQuestion;
    struct Scope {
        QObject* owner;
        // Not empty for an action that admits nothing beside it: why, for the user.
        QString exclusiveBecause;
        // A live screen holds the link for as long as it is open, with no action on the stack:
        // it ends itself when the link is interrupted.
        std::function<void()> onCancel;
    };
    struct Question {
        QObject* asker;
        std::function<void()> answer;
    };
    struct Reservation {
        QPointer<QObject> owner;
        QStringList admitted;
        QString refusal;
    };
    // The code asking is the running action's own (nothing waits, and no live screen holds the
    // link on its own), or the live screen's that holds it.
    bool askedByTheRunningAction(const QObject* context) const;
    // What the reservation keeps out: neither its owner's nor admitted.
    bool reservedAgainst(const QString& key, const QObject* context) const;
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
    QList<Question*> questions_;
    QList<Entry> queue_;
    QList<QEventLoop*> loops_;
    Reservation reservation_;
    int waits_ = 0;
    bool cancelled_ = false;
    bool running_ = false;
    bool shuttingDown_ = false;
    bool silenced_ = false;
};

// Holds the link for one action, or for as long as a live screen is open. The outermost
// holder names the window the action belongs to; onCancel lets a holder with no wait on the
// stack (a live screen) end itself when the link is interrupted.
class LinkBusy {
public:
    explicit LinkBusy(LinkGate& gate, QObject* owner = nullptr,
                      const QString& exclusiveBecause = QString(),
                      std::function<void()> onCancel = {});
    ~LinkBusy();
    LinkBusy(const LinkBusy&) = delete;
    LinkBusy& operator=(const LinkBusy&) = delete;

private:
    LinkGate& gate_;
    LinkGate::Scope scope_;
};

// One open question, from the moment it is shown until it returns: a wait of the running
// action, or a hold on the link for the window that asked. An interruption calls answer, which
// must end the question at once; answered() then tells the asker to take the safe answer.
class OpenQuestion {
public:
    OpenQuestion(LinkGate& gate, QObject* asker, const QString& label,
                 std::function<void()> answer);
    ~OpenQuestion();
    OpenQuestion(const OpenQuestion&) = delete;
    OpenQuestion& operator=(const OpenQuestion&) = delete;
    bool answered() const { return answered_; }

private:
    LinkGate& gate_;
    LinkBusy hold_;
    LinkGate::Question question_;
    bool answered_ = false;
};
