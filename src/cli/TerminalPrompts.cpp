#include "TerminalPrompts.h"

#include "TerminalIo.h"

#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>

QString TerminalPrompts::plain(const QString& text) {
    QString lines = text;
    lines.replace(QRegularExpression("\\r\\n?"), "\n");
    lines.replace(QRegularExpression("\\n[\\t ]+"), "\n");
    lines.replace(u'\t', u' ');
    return lines.trimmed();
}

Prompts::Answer TerminalPrompts::showMessage(Question& question) {
    const QString shown = question.caption + ": " + plain(question.text);
    const std::optional<Answer> defaultAnswer = question.defaultAnswer;
    switch (question.buttons) {
    case Buttons::Ok:
        if (!quiet || question.icon == Icon::Critical || question.icon == Icon::Exclamation)
            std::fprintf(stderr, "%s\n", qPrintable(shown));
        return Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return ask(shown, defaultAnswer != No) ? Yes : No;
    case Buttons::OkCancel:
        return ask(shown, defaultAnswer != Cancel) ? Ok : Cancel;
    case Buttons::RetryCancel:
        return ask(shown, defaultAnswer != Cancel) ? Retry : Cancel;
    case Buttons::AbortRetryIgnore:
        return ask(shown, false) ? Retry : Abort;
    }
    return Cancel;
}

// Only a person answers a question: without a terminal, and without --yes, it is declined.
bool TerminalPrompts::ask(const QString& question, bool yesByDefault) {
    if (assumeYes) {
        if (!quiet)
            std::fprintf(stderr, "%s yes (--yes)\n", qPrintable(question));
        return true;
    }
    if (!TerminalIo::isTerminal(stdin)) {
        std::fprintf(stderr, "%s\nDeclined: no terminal to ask on (--yes answers yes).\n",
                     qPrintable(question));
        declined = true;
        return false;
    }
    std::fprintf(stderr, "%s %s ", qPrintable(question), yesByDefault ? "[Y/n]" : "[y/N]");
    std::fflush(stderr);
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    const bool yes = answer.isEmpty() ? yesByDefault : answer.startsWith(u'y');
    declined = declined || !yes;
    return yes;
}

std::optional<QString> TerminalPrompts::showInput(Question&) {
    return std::nullopt;
}

QString TerminalPrompts::showFile(Question&) {
    return std::exchange(file, QString());
}
