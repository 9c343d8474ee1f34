#pragma once

#include "RadioCommands.h"

#include <QString>
#include <QStringList>

// What a command line asks the tool to do, understood without doing any of it.
struct Arguments {
    enum class Outcome {
        Run,     // the command below
        Help,    // print text, exit 0
        Version, // print the version, exit 0
        Usage,   // text says what could not be understood; exit 2
    };
    Outcome outcome = Outcome::Usage;
    QString text;
    QString command; // "read", "diff", ...
    QStringList args;
    RadioCommands::Options options;
    bool assumeYes = false;

    // The command is one this tool runs, with the number of arguments it takes.
    bool runnable() const;
};

// The whole command line, the program's name first.
Arguments parseArguments(const QStringList& arguments);
