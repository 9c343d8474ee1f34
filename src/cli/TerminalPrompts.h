#pragma once

#include "core/Prompts.h"

// The prompts of the windows, on a terminal: messages go to standard error; a question is asked
// on the terminal, answered yes by --yes, and declined when standard input is no terminal.
class TerminalPrompts : public Prompts {
public:
    bool assumeYes = false;
    bool quiet = false;
    // The path a file dialog of a session answers with.
    QString file;
    // A question was answered no (by the user, or for want of a terminal).
    bool declined = false;

    Answer message(const QString& text, const QString& caption, Icon icon, Buttons buttons,
                   std::optional<Answer> defaultAnswer) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& initial) override;
    QString openFile(const QString& title, const QString& filter, const QString& fileName,
                     bool allowCreate) override;
    QString saveFile(const QString& title, const QString& filter, const QString& fileName,
                     const QString& defaultSuffix) override;
    void beep() override {}

    // The windows' texts break lines with CR and indent with tabs; a terminal wants neither.
    static QString plain(const QString& text);

private:
    bool ask(const QString& question, bool yesByDefault);
};
