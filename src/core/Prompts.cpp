#include "Prompts.h"

#include <QStringList>

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

Prompts::Answer ScriptedPrompts::message(const QString& text, const QString& caption, Icon icon,
                                         Buttons buttons, std::optional<Answer> defaultAnswer) {
    calls.append({"message", text, caption, icon, buttons, defaultAnswer});
    if (whileShown)
        whileShown(calls.constLast());
    return answers.isEmpty() ? firstButton(buttons) : answers.takeFirst();
}

std::optional<QString> ScriptedPrompts::input(const QString& prompt, const QString& title,
                                              const QString&) {
    calls.append({"input", prompt, title, Icon::None, Buttons::OkCancel, {}});
    return texts.isEmpty() ? std::nullopt : texts.takeFirst();
}

QString ScriptedPrompts::openFile(const QString& title, const QString&, const QString&, bool) {
    calls.append({"open", QString(), title, Icon::None, Buttons::OkCancel, {}});
    return files.isEmpty() ? QString() : files.takeFirst();
}

QString ScriptedPrompts::saveFile(const QString& title, const QString&, const QString&,
                                  const QString& defaultSuffix) {
    calls.append({"save", defaultSuffix, title, Icon::None, Buttons::OkCancel, {}});
    return files.isEmpty() ? QString() : files.takeFirst();
}

void ScriptedPrompts::beep() {
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
