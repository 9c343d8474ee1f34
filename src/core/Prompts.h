#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class LinkGate;
class PromptDisplay;
class QObject;

// Every question, message, file dialog and beep the user meets goes through this seam. A
// question is a wait like a console wait: the gate counts it (what the user starts meanwhile is
// held), the window that asked is not deleted while it is open, an interruption answers it at
// once with its safe answer, and once nothing may ask (quitting, an interrupted action) it is
// answered at once and what it would have said goes to the gate's untold.
class Prompts {
public:
    enum class Icon { None, Critical, Question, Exclamation, Information };
    enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
    enum Answer { Ok = 1, Cancel, Abort, Retry, Ignore, Yes, No };

    // One question as a display shows it.
    struct Question {
        enum class Kind { Message, Input, Open, Save };
        Kind kind = Kind::Message;
        QString text; // the message or prompt
        QString caption;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        // The button Enter presses; without one it is the first.
        std::optional<Answer> defaultAnswer;
        QString initial; // an input's text, a file dialog's file name
        QString filter;
        QString defaultSuffix;
        bool allowCreate = false;
        // The window that asked: the box is its own, and gives the focus back to it.
        QObject* asker = nullptr;
        // Set by the display while the question is shown: ends it at once, and says so.
        std::function<void()> dismiss;
        bool dismissed = false;
    };

    explicit Prompts(PromptDisplay& display) : display_(&display) {}

    // The same prompts, with the gate that counts their questions as waits.
    Prompts onGate(LinkGate& gate) const;
    // The same prompts, for the questions one window asks.
    Prompts askedBy(QObject* window) const;

    Answer message(const QString& text, const QString& caption, Icon icon = Icon::None,
                   Buttons buttons = Buttons::Ok,
                   std::optional<Answer> defaultAnswer = std::nullopt);
    // The text the user typed, or nothing when cancelled.
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& initial = QString());
    // A chosen path, or empty when cancelled. The filter is "Name (*.ext)|*.ext|..." pairs;
    // defaultSuffix ("CFG") is added to a typed name of a new file that has no extension.
    QString openFile(const QString& title, const QString& filter, const QString& fileName,
                     bool allowCreate, const QString& defaultSuffix = QString());
    QString saveFile(const QString& title, const QString& filter, const QString& fileName,
                     const QString& defaultSuffix = QString());
    void beep();
    // A step of the quit itself: asked while a person quits (File, Exit, the close box), and
    // answered unattended at once when nobody is there to answer (a quit signal).
    Answer messageAtQuit(const QString& text, const QString& caption, Icon icon, Buttons buttons,
                         Answer unattended);

    // What an interruption answers: Cancel, No or Abort where the box has one, else OK.
    static Answer safeAnswer(Buttons buttons);
    // The caption of a message box that names none.
    static QString applicationTitle() { return QStringLiteral("Quenlar Ardentix Configuration"); }
    // "Log Files (*.LOG)|*.log|..." as a file dialog filter list.
    static QString dialogFilter(const QString& pairs);

private:
    // Shows the question unless nothing may ask now; false when it was answered without the
    // user (at once, or by an interruption while it was shown).
    bool ask(Question& question, bool quitsOwn, const std::function<void()>& show);
    bool mayAsk(bool quitsOwn) const;
    QString askForFile(Question& question);
    static Question questionOf(Question::Kind kind, const QString& text, const QString& caption,
                               Buttons buttons);
    void tellUntold(const Question& question) const;

    PromptDisplay* display_;
    LinkGate* gate_ = nullptr;
    QObject* asker_ = nullptr;
};

// What shows a question: the widgets, a terminal, or the tests' script. A display runs its
// own event loop while the question is open, as a modal dialog does, and sets the question's
// dismiss for as long as it is shown.
class PromptDisplay {
public:
    virtual ~PromptDisplay() = default;
    virtual Prompts::Answer showMessage(Prompts::Question& question) = 0;
    virtual std::optional<QString> showInput(Prompts::Question& question) = 0;
    // An open or a save dialog, as its kind says.
    virtual QString showFile(Prompts::Question& question) = 0;
    virtual void soundBeep() = 0;
};

// Answers from a queue and records every question shown, so a test can assert what the user
// was shown. Like a dialog, each question runs a short nested event loop, which delivers
// posted events and deferred deletes: an interruption posted from inside it arrives there.
class ScriptedPrompts : public PromptDisplay, public Prompts {
public:
    struct Call {
        QString kind; // "message", "input", "open", "save", "beep"
        QString text; // the message or prompt; a file dialog's default suffix
        QString caption;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        std::optional<Answer> defaultAnswer;
    };

    ScriptedPrompts() : Prompts(static_cast<PromptDisplay&>(*this)) {}

    Answer showMessage(Question& question) override;
    std::optional<QString> showInput(Question& question) override;
    QString showFile(Question& question) override;
    void soundBeep() override;

    // Queued answers, taken in order; an empty queue answers with the first button, a cancelled
    // input and a cancelled file dialog. A question dismissed by an interruption takes none.
    QList<Answer> answers;
    QList<std::optional<QString>> texts;
    QList<QString> files;
    QList<Call> calls;
    // Runs while a message is shown, before it is answered: what happens behind the box.
    std::function<void(const Call&)> whileShown;
    // The windows that asked the questions open now, innermost last.
    QList<const QObject*> askers;

    QList<Call> messages() const;
    QString lastMessage() const;

private:
    // True when the question was left open to the end, false when it was dismissed.
    bool stayOpen(Question& question);
    static Answer firstButton(Buttons buttons);
};
