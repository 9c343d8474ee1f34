#include "ExitCode.h"
#include "FileDiff.h"
#include "RadioCommands.h"
#include "TerminalPrompts.h"
#include "config/ConfigFormat.h"
#include "core/QuitSignals.h"

#include <QCommandLineParser>
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

// The query keywords of --only, each one a row of the configuration file.
std::optional<QStringList> onlyKeywords(const QString& list) {
    QStringList keywords;
    for (const QString& word : list.split(u',', Qt::SkipEmptyParts)) {
        const QString query = word.trimmed().toLower();
        if (!ConfigFormat::row(query))
            return std::nullopt;
        keywords << query;
    }
    return keywords;
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

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Reads, saves, restores and upgrades Quenlar Ardentix radios from a shell.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port("port", "The radio's serial port: a device or a port number.",
                                  "DEVICE|N");
    const QCommandLineOption password("password", "The radio's password (restore, upgrade).",
                                      "PASS");
    const QCommandLineOption quiet({"q", "quiet"}, "Only errors on standard error.");
    const QCommandLineOption verbose("verbose", "Each step on standard error.");
    const QCommandLineOption json("json", "read: the settings as JSON.");
    const QCommandLineOption only("only", "restore: only these settings.", "KW,KW");
    const QCommandLineOption seconds("seconds", "rssi: stop after N seconds.", "N");
    const QCommandLineOption yes("yes", "Answer yes to every question.");
    parser.addOptions({port, password, quiet, verbose, json, only, seconds, yes});
    parser.addPositionalArgument("command", "One of the commands below.");
    if (!parser.parse(QCoreApplication::arguments()))
        return usage(parser.errorText());
    if (parser.isSet("help") || parser.isSet("help-all")) {
        std::printf("%s\n%s", qPrintable(parser.helpText()), Commands);
        return Done;
    }
    if (parser.isSet("version")) {
        std::printf("ardentix-cli %s\n", ARDENTIX_VERSION);
        return Done;
    }

    const QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return usage("no command given.");
    const QString command = words.first();
    const QStringList args = words.mid(1);
    const auto needs = [&](int count) { return args.size() == count; };
    if (command == "diff")
        return needs(2) ? diff(args, parser.isSet(quiet)) : usage("diff needs two files.");

    RadioCommands::Options options;
    options.port = parser.value(port);
    options.password = parser.value(password);
    options.quiet = parser.isSet(quiet);
    options.verbose = parser.isSet(verbose) && !options.quiet;
    options.json = parser.isSet(json);
    if (parser.isSet(only)) {
        const auto keywords = onlyKeywords(parser.value(only));
        if (!keywords || keywords->isEmpty())
            return usage("--only names a setting that no configuration file holds.");
        options.only = *keywords;
    }
    if (parser.isSet(seconds)) {
        bool number = false;
        options.seconds = parser.value(seconds).toInt(&number);
        if (!number || options.seconds <= 0)
            return usage("--seconds needs a number of seconds.");
    }
    TerminalPrompts prompts;
    prompts.assumeYes = parser.isSet(yes);
    prompts.quiet = options.quiet;

    RadioCommands radio(options, prompts);
    const QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &radio, &RadioCommands::interrupt);
    if (command == "read" && needs(0))
        return radio.read();
    if (command == "save" && needs(1))
        return radio.save(args.at(0));
    if (command == "restore" && needs(1))
        return radio.restore(args.at(0));
    if (command == "upgrade" && needs(1))
        return radio.upgrade(args.at(0));
    if (command == "rssi" && needs(0))
        return radio.rssi();
    if (command == "console" && needs(0))
        return radio.console();
    return usage("'" + words.join(u' ') + "' is no command this tool knows.");
}
