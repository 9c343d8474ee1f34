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

// The window's captions ("Warning!", "Error") say nothing on a terminal: the tool's name does.
Prompts::Answer TerminalPrompts::showMessage(Question& question) {
    const QString shown = "ardentix-cli: " + plain(question.text);
    switch (question.buttons) {
    case Buttons::Ok:
        if (!quiet || question.icon == Icon::Critical || question.icon == Icon::Exclamation)
            std::fprintf(stderr, "%s\n", qPrintable(shown));
        return Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return ask(shown) ? Yes : No;
    case Buttons::OkCancel:
        return ask(shown) ? Ok : Cancel;
    case Buttons::RetryCancel:
        return ask(shown) ? Retry : Cancel;
    case Buttons::AbortRetryIgnore:
        return ask(shown) ? Retry : Abort;
    }
    return Cancel;
}

// Only a person answers a question: without a terminal, and without --yes, it is declined.
// Every question of the tool risks the radio, so Enter alone answers no.
bool TerminalPrompts::ask(const QString& question) {
    if (assumeYes) {
        if (!quiet)
            std::fprintf(stderr, "%s yes (--yes)\n", qPrintable(question));
        return true;
    }
    if (!TerminalIo::isTerminal(stdin)) {
        std::fprintf(stderr,
                     "%s\nardentix-cli: declined: no terminal to ask on (--yes answers "
                     "yes).\n",
                     qPrintable(question));
        declined = true;
        return false;
    }
    std::fprintf(stderr, "%s [y/N] ", qPrintable(question));
    std::fflush(stderr);
    QTextStream in(stdin);
    const bool yes = in.readLine().trimmed().toLower().startsWith(u'y');
    declined = declined || !yes;
    return yes;
}

std::optional<QString> TerminalPrompts::showInput(Question&) {
    return std::nullopt;
}

QString TerminalPrompts::showFile(Question&) {
    return std::exchange(file, QString());
}
