#pragma once

#include "core/Prompts.h"

// The prompts of the windows, on a terminal: messages go to standard error; a question is asked
// on the terminal, answered yes by --yes, and declined when standard input is no terminal.
class TerminalPrompts : public PromptDisplay, public Prompts {
public:
    TerminalPrompts() : Prompts(static_cast<PromptDisplay&>(*this)) {}
    bool assumeYes = false;
    bool quiet = false;
    // The path a file dialog of a session answers with.
    QString file;
    // A question was answered no (by the user, or for want of a terminal).
    bool declined = false;

    Answer showMessage(Question& question) override;
    std::optional<QString> showInput(Question& question) override;
    QString showFile(Question& question) override;
    void soundBeep() override {}

    // The windows' texts break lines with CR and indent with tabs; a terminal wants neither.
    static QString plain(const QString& text);
    // The windows' advice to their user ("Please reconnect and try again") as the tool's.
    static QString inToolWords(const QString& text);

private:
    bool ask(const QString& question);
};
