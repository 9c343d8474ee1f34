#pragma once

#include "RadioCommands.h"

#include <QString>
#include <QStringList>

// What a command line asks the tool to do, understood without doing any of it.
struct Arguments {
    enum class Outcome {
        Run,     // the command below, with its arguments and options in order
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
    // --password-file: the password is the file's first line.
    QString passwordFile;
};

// The whole command line, the program's name first.
Arguments parseArguments(const QStringList& arguments);

// The commands, a line each, for the tool's help.
QString commandSummary();
