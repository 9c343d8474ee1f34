#include "Arguments.h"
#include "ExitCode.h"
#include "FileDiff.h"
#include "Output.h"
#include "RadioCommands.h"
#include "TerminalIo.h"
#include "TerminalPrompts.h"
#include "core/QuitSignals.h"
#include "link/SerialPort.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {

int usage(const Arguments& arguments) {
    const QString more =
        arguments.command.isEmpty() ? QStringLiteral("--help") : "help " + arguments.command;
    std::fprintf(stderr, "ardentix-cli: %s\nTry 'ardentix-cli %s'.\n", qPrintable(arguments.text),
                 qPrintable(more));
    return Usage;
}

// The radio's password: the command line, a file, the environment, or asked for on a terminal
// with its echo off, for the commands that change the radio. Nothing when none was given.
std::optional<QString> password(const Arguments& arguments, bool& unreadable) {
    if (!arguments.options.password.isEmpty())
        return arguments.options.password;
    if (!arguments.passwordFile.isEmpty()) {
        QFile file(arguments.passwordFile);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "ardentix-cli: the password file %s cannot be read: %s\n",
                         qPrintable(arguments.passwordFile), qPrintable(file.errorString()));
            unreadable = true;
            return std::nullopt;
        }
        return QString::fromLocal8Bit(file.readLine()).trimmed();
    }
    if (qEnvironmentVariableIsSet("ARDENTIX_PASSWORD"))
        return qEnvironmentVariable("ARDENTIX_PASSWORD");
    if ((arguments.command == "restore" || arguments.command == "upgrade") &&
        TerminalIo::isTerminal(stdin)) {
        std::fputs("Password of the radio (Enter for none): ", stderr);
        std::fflush(stderr);
        return QString::fromLocal8Bit(TerminalIo::readHiddenLine());
    }
    return std::nullopt;
}

int diff(const QStringList& files, bool quiet) {
    const auto first = FileDiff::settingsOf(files.at(0));
    const auto second = FileDiff::settingsOf(files.at(1));
    if (!first || !second)
        return FileProblem;
    const QList<FileDiff::Difference> found = FileDiff::differences(*first, *second);
    for (const FileDiff::Difference& difference : found)
        Output::print(
            (difference.query + u'\t' + difference.first + u'\t' + difference.second + u'\n')
                .toLocal8Bit());
    if (!quiet)
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate(
                         "ardentix-cli", "Settings that differ: %n.", nullptr, int(found.size()))));
    return found.isEmpty() ? Done : FilesDiffer;
}

// The commands whose results go to standard output, for which a closed one leaves no point in
// waking the radio.
bool printsResults(const QString& command) {
    return !QStringList{"save", "restore", "upgrade"}.contains(command);
}

int run(const Arguments& arguments) {
    switch (arguments.outcome) {
    case Arguments::Outcome::Usage:
        return usage(arguments);
    case Arguments::Outcome::Help:
        Output::print(arguments.text.toLocal8Bit());
        return Done;
    case Arguments::Outcome::Version:
        Output::print("ardentix-cli " ARDENTIX_VERSION "\n");
        return Done;
    case Arguments::Outcome::Run:
        break;
    }
    const QString& command = arguments.command;
    if (printsResults(command) && !Output::usable())
        return OutputFailed;
    const QStringList& args = arguments.args;
    if (command == "diff")
        return diff(args, arguments.options.quiet);

    TerminalPrompts prompts;
    prompts.assumeYes = arguments.assumeYes;
    prompts.quiet = arguments.options.quiet;
    setOtherPortAdvice(QStringLiteral("name another port with --port"));

    RadioCommands::Options options = arguments.options;
    bool unreadable = false;
    options.password = password(arguments, unreadable).value_or(QString());
    if (unreadable)
        return FileProblem;
    RadioCommands radio(options, prompts);
    const QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &radio, &RadioCommands::interrupt);
    if (command == "read")
        return radio.read();
    if (command == "save")
        return radio.save(args.at(0));
    if (command == "restore")
        return radio.restore(args.at(0));
    if (command == "upgrade")
        return radio.upgrade(args.at(0));
    if (command == "rssi")
        return radio.rssi();
    if (command == "ports")
        return radio.ports();
    return radio.console();
}

} // namespace

int main(int argc, char* argv[]) {
    if (TerminalIo::prepareStandardStreams())
        Output::markClosed();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("Quenlar Ardentix Configuration");
    QCoreApplication::setOrganizationName("Quenlar");
    QCoreApplication::setApplicationVersion(ARDENTIX_VERSION);

    const int code = run(parseArguments(QCoreApplication::arguments()));
    // Results that could not be written make a success none, whatever the command did.
    if (!Output::failed())
        return code;
    Output::sayFailure();
    return code == Done || code == FilesDiffer ? OutputFailed : code;
}
