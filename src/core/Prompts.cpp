#include "Prompts.h"

#include "LinkGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QStringList>
#include <QTimer>

namespace {

// While a question is open, the window that asked it and the windows around it are not
// deleted: a deferred delete that the question's event loop would deliver is held back and
// asked for again once the question has returned, when the asking code has left the window.
class DeletionHold : public QObject {
public:
    explicit DeletionHold(QObject* asker) {
        for (QObject* window = asker; window; window = window->parent()) {
            window->installEventFilter(this);
            held_.append({window, false});
        }
    }
    ~DeletionHold() override {
        for (const Held& held : std::as_const(held_))
            if (held.window) {
                held.window->removeEventFilter(this);
                if (held.deleted)
                    held.window->deleteLater();
            }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::DeferredDelete)
            return false;
        for (Held& held : held_)
            if (held.window == watched)
                held.deleted = true;
        return true;
    }

private:
    struct Held {
        QPointer<QObject> window;
        bool deleted;
    };
    QList<Held> held_;
};

QString flat(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line.simplified();
}

} // namespace

Prompts Prompts::onGate(LinkGate& gate) const {
    Prompts gated = *this;
    gated.gate_ = &gate;
    return gated;
}

Prompts Prompts::askedBy(QObject* window) const {
    Prompts asked = *this;
    asked.asker_ = window;
    return asked;
}

Prompts::Answer Prompts::safeAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return Ok;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
    case Buttons::RetryCancel:
        return Cancel;
    case Buttons::YesNo:
        return No;
    case Buttons::AbortRetryIgnore:
        return Abort;
    }
    return Cancel;
}

bool Prompts::mayAsk(bool quitsOwn) const {
    if (!gate_)
        return true;
    if (gate_->silenced() || gate_->cancelled())
        return false;
    return quitsOwn || !gate_->shuttingDown();
}

void Prompts::tellUntold(const Question& question) const {
    if (question.kind == Question::Kind::Message && gate_ && gate_->untold)
        gate_->untold(flat(question.caption + ": " + question.text));
}

bool Prompts::ask(Question& question, bool quitsOwn, const std::function<void()>& show) {
    question.asker = asker_;
    if (!mayAsk(quitsOwn)) {
        tellUntold(question);
        return false;
    }
    if (!gate_) {
        show();
        return true;
    }
    const OpenQuestion open(*gate_, asker_, question.caption, [&question] {
        if (question.dismiss)
            question.dismiss();
    });
    // The announcement may have interrupted already.
    if (!mayAsk(quitsOwn) || open.answered()) {
        tellUntold(question);
        return false;
    }
    const DeletionHold hold(asker_);
    show();
    return !open.answered();
}

Prompts::Question Prompts::questionOf(Question::Kind kind, const QString& text,
                                      const QString& caption, Buttons buttons) {
    Question question;
    question.kind = kind;
    question.text = text;
    question.caption = caption;
    question.buttons = buttons;
    return question;
}

Prompts::Answer Prompts::message(const QString& text, const QString& caption, Icon icon,
                                 Buttons buttons, std::optional<Answer> defaultAnswer) {
    Question question = questionOf(Question::Kind::Message, text, caption, buttons);
    question.icon = icon;
    question.defaultAnswer = defaultAnswer;
    Answer answer = safeAnswer(buttons);
    if (ask(question, false, [&] { answer = display_->showMessage(question); }))
        return answer;
    return safeAnswer(buttons);
}

Prompts::Answer Prompts::messageAtQuit(const QString& text, const QString& caption, Icon icon,
                                       Buttons buttons, Answer unattended) {
    Question question = questionOf(Question::Kind::Message, text, caption, buttons);
    question.icon = icon;
    Answer answer = unattended;
    if (ask(question, true, [&] { answer = display_->showMessage(question); }))
        return answer;
    return unattended;
}

std::optional<QString> Prompts::input(const QString& prompt, const QString& title,
                                      const QString& initial) {
    Question question = questionOf(Question::Kind::Input, prompt, title, Buttons::OkCancel);
    question.initial = initial;
    std::optional<QString> answer;
    if (ask(question, false, [&] { answer = display_->showInput(question); }))
        return answer;
    return std::nullopt;
}

QString Prompts::openFile(const QString& title, const QString& filter, const QString& fileName,
                          bool allowCreate, const QString& defaultSuffix) {
    Question question = questionOf(Question::Kind::Open, QString(), title, Buttons::OkCancel);
    question.initial = fileName;
    question.filter = filter;
    question.allowCreate = allowCreate;
    question.defaultSuffix = defaultSuffix;
    return askForFile(question);
}

QString Prompts::saveFile(const QString& title, const QString& filter, const QString& fileName,
                          const QString& defaultSuffix) {
    Question question = questionOf(Question::Kind::Save, QString(), title, Buttons::OkCancel);
    question.initial = fileName;
    question.filter = filter;
    question.defaultSuffix = defaultSuffix;
    return askForFile(question);
}

QString Prompts::askForFile(Question& question) {
    QString path;
    if (ask(question, false, [&] { path = display_->showFile(question); }))
        return path;
    return QString();
}

void Prompts::beep() {
    display_->soundBeep();
}

QString Prompts::dialogFilter(const QString& pairs) {
    const QStringList parts = pairs.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        const qsizetype open = name.indexOf(u'(');
        if (open >= 0)
            name.truncate(open);
        filters << name.trimmed() + " (" + parts[i + 1].split(u';').join(u' ') + ")";
    }
    return filters.join(";;");
}

Prompts::Answer ScriptedPrompts::firstButton(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Ok;
    case Buttons::AbortRetryIgnore:
        return Abort;
    case Buttons::YesNoCancel:
    case Buttons::YesNo:
        return Yes;
    case Buttons::RetryCancel:
        return Retry;
    }
    return Ok;
}

// A dialog's event loop, cut short: what was posted before it, or from inside it, runs, and so
// do the deferred deletes that this posts in turn, as a box that stays up a moment would let.
bool ScriptedPrompts::stayOpen(Question& question) {
    QEventLoop loop;
    question.dismiss = [&] {
        question.dismissed = true;
        loop.quit();
    };
    int rounds = 0;
    QTimer round;
    round.setInterval(0);
    QObject::connect(&round, &QTimer::timeout, &loop, [&] {
        if (++rounds == 3)
            loop.quit();
    });
    round.start();
    askers.append(question.asker);
    if (whileShown && question.kind == Question::Kind::Message)
        whileShown(calls.constLast());
    loop.exec();
    askers.removeLast();
    question.dismiss = nullptr;
    return !question.dismissed;
}

Prompts::Answer ScriptedPrompts::showMessage(Question& question) {
    calls.append({"message", question.text, question.caption, question.icon, question.buttons,
                  question.defaultAnswer});
    if (!stayOpen(question))
        return safeAnswer(question.buttons);
    return answers.isEmpty() ? firstButton(question.buttons) : answers.takeFirst();
}

std::optional<QString> ScriptedPrompts::showInput(Question& question) {
    calls.append({"input", question.text, question.caption, Icon::None, Buttons::OkCancel, {}});
    if (!stayOpen(question))
        return std::nullopt;
    return texts.isEmpty() ? std::nullopt : texts.takeFirst();
}

QString ScriptedPrompts::showFile(Question& question) {
    const bool open = question.kind == Question::Kind::Open;
    calls.append({open ? "open" : "save",
                  question.defaultSuffix,
                  question.caption,
                  Icon::None,
                  Buttons::OkCancel,
                  {}});
    if (!stayOpen(question))
        return QString();
    return files.isEmpty() ? QString() : files.takeFirst();
}

void ScriptedPrompts::soundBeep() {
    calls.append({"beep", {}, {}, Icon::None, Buttons::Ok, {}});
}

QList<ScriptedPrompts::Call> ScriptedPrompts::messages() const {
    QList<Call> found;
    for (const Call& call : calls)
        if (call.kind == "message")
            found.append(call);
    return found;
}

QString ScriptedPrompts::lastMessage() const {
    const auto found = messages();
    return found.isEmpty() ? QString() : found.constLast().text;
}
