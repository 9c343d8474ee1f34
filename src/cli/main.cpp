#include "Arguments.h"
#include "ExitCode.h"
#include "FileDiff.h"
#include "RadioCommands.h"
#include "TerminalPrompts.h"
#include "core/QuitSignals.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

const char* const Commands = R"(Commands:
  read [--json]                 every setting, one "keyword<TAB>value" per line (or JSON)
  save FILE                     the radio's configuration to FILE
  restore FILE [--only KW,KW]   program the radio from FILE, then verify by reading back
  upgrade FIRMWARE.s28 [--yes]  firmware upgrade through the radio's loader
  rssi [--seconds N]            signal strength readings, "seconds<TAB>dBm" a line
  console                       the radio's console on this terminal (Ctrl+] leaves)
  diff FILE1 FILE2              two configuration files, setting by setting (no radio)

Exit status:
  0    done (and verified); diff: the files hold the same settings
  1    diff: the files differ
  2    the command line could not be understood
  3    no radio: the port is missing, in use, or not permitted
  4    the radio does not answer
  5    not logged in: the password is missing or was refused
  6    settings refused by the radio (each named on standard error)
  7    file unreadable, unwritable, or holding no settings
  8    firmware file rejected (the check that failed is named)
  9    firmware transfer failed
  10   declined: a question was answered no, or needs --yes without a terminal
  130  interrupted (SIGINT, SIGTERM): stopped cleanly, the line left at 19200 baud
)";

int usage(const QString& text) {
    std::fprintf(stderr, "ardentix-cli: %s\nTry 'ardentix-cli --help'.\n", qPrintable(text));
    return Usage;
}

int diff(const QStringList& files, bool quiet) {
    const auto first = FileDiff::settingsOf(files.at(0));
    const auto second = FileDiff::settingsOf(files.at(1));
    if (!first || !second)
        return FileProblem;
    const QList<FileDiff::Difference> found = FileDiff::differences(*first, *second);
    for (const FileDiff::Difference& difference : found)
        std::printf("%s\t%s\t%s\n", qPrintable(difference.query), qPrintable(difference.first),
                    qPrintable(difference.second));
    if (!quiet)
        std::fprintf(stderr, "%lld settings differ.\n", qlonglong(found.size()));
    return found.isEmpty() ? Done : FilesDiffer;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("Quenlar Ardentix Configuration");
    QCoreApplication::setOrganizationName("Quenlar");
    QCoreApplication::setApplicationVersion(ARDENTIX_VERSION);

    const Arguments arguments = parseArguments(QCoreApplication::arguments());
    switch (arguments.outcome) {
    case Arguments::Outcome::Usage:
        return usage(arguments.text);
    case Arguments::Outcome::Help:
        std::printf("%s\n%s", qPrintable(arguments.text), Commands);
        return Done;
    case Arguments::Outcome::Version:
        std::printf("ardentix-cli %s\n", ARDENTIX_VERSION);
        return Done;
    case Arguments::Outcome::Run:
        break;
    }
    const QString& command = arguments.command;
    const QStringList& args = arguments.args;
    if (command == "diff")
        return diff(args, arguments.options.quiet);

    TerminalPrompts prompts;
    prompts.assumeYes = arguments.assumeYes;
    prompts.quiet = arguments.options.quiet;

    RadioCommands radio(arguments.options, prompts);
    const QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &radio, &RadioCommands::interrupt);
    if (!arguments.runnable())
        return usage("'" + (QStringList(command) + args).join(u' ') +
                     "' is no command this tool knows.");
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
    return radio.console();
}
