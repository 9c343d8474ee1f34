#include "TerminalPrompts.h"

#include "TerminalIo.h"

#include <QCoreApplication>
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

// What the windows tell their user to do, as the tool's user does it.
QString TerminalPrompts::inToolWords(const QString& text) {
    static const std::pair<const char*, const char*> Advice[] = {
        {"Please reconnect and try again",
         QT_TRANSLATE_NOOP("TerminalPrompts",
                           "Check the radio's power and cable, then run the command again")},
        {"connect again to see which",
         QT_TRANSLATE_NOOP("TerminalPrompts", "`ardentix-cli read` tells which")},
    };
    QString words = text;
    for (const auto& [window, tool] : Advice)
        words.replace(QLatin1String(window), QCoreApplication::translate("TerminalPrompts", tool));
    return words;
}

// The window's captions ("Warning!", "Error") say nothing on a terminal: an error is marked
// with the tool's name, as its own errors are.
Prompts::Answer TerminalPrompts::showMessage(Question& question) {
    const bool error = question.icon == Icon::Critical || question.icon == Icon::Exclamation;
    const QString text = plain(inToolWords(question.text));
    const QString shown = error ? "ardentix-cli: " + text : text;
    switch (question.buttons) {
    case Buttons::Ok:
        if (!quiet || error)
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
