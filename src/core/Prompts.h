#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// Every question, message, file dialog and beep the user meets goes through this seam.
class Prompts {
public:
    enum class Icon { None, Critical, Question, Exclamation, Information };
    enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
    enum Answer { Ok = 1, Cancel, Abort, Retry, Ignore, Yes, No };

    virtual ~Prompts() = default;
    // defaultAnswer is the button Enter presses; without one it is the first.
    virtual Answer message(const QString& text, const QString& caption, Icon icon = Icon::None,
                           Buttons buttons = Buttons::Ok,
                           std::optional<Answer> defaultAnswer = std::nullopt) = 0;
    // The text the user typed, or nothing when cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& initial = QString()) = 0;
    // A chosen path, or empty when cancelled. The filter is "Name (*.ext)|*.ext|..." pairs.
    virtual QString openFile(const QString& title, const QString& filter, const QString& fileName,
                             bool allowCreate) = 0;
    // defaultSuffix ("CFG") is added to a typed name that has no extension of its own.
    virtual QString saveFile(const QString& title, const QString& filter, const QString& fileName,
                             const QString& defaultSuffix = QString()) = 0;
    virtual void beep() = 0;

    // The caption of a message box that names none.
    static QString applicationTitle() { return QStringLiteral("Quenlar Ardentix Configuration"); }
    // "Log Files (*.LOG)|*.log|..." as a file dialog filter list.
    static QString dialogFilter(const QString& pairs);
};

// Answers from a queue and records every call, so a test can assert what the user was shown.
class ScriptedPrompts : public Prompts {
public:
    struct Call {
        QString kind; // "message", "input", "open", "save", "beep"
        QString text; // the message or prompt; a save dialog's default suffix
        QString caption;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        std::optional<Answer> defaultAnswer;
    };

    Answer message(const QString& text, const QString& caption, Icon icon, Buttons buttons,
                   std::optional<Answer> defaultAnswer) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& initial) override;
    QString openFile(const QString& title, const QString& filter, const QString& fileName,
                     bool allowCreate) override;
    QString saveFile(const QString& title, const QString& filter, const QString& fileName,
                     const QString& defaultSuffix) override;
    void beep() override;

    // Queued answers, taken in order; an empty queue answers with the first button, a cancelled
    // input and a cancelled file dialog.
    QList<Answer> answers;
    QList<std::optional<QString>> texts;
    QList<QString> files;
    QList<Call> calls;
    // Runs while a message is shown, before it is answered: what happens behind the box.
    std::function<void(const Call&)> whileShown;

    QList<Call> messages() const;
    QString lastMessage() const;

private:
    static Answer firstButton(Buttons buttons);
};
