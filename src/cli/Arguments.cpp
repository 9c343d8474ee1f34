#include "Arguments.h"

#include "config/ConfigFormat.h"
#include "core/QuitSignals.h"
#include "link/PortNaming.h"

#include <QCommandLineParser>

namespace {

const char* const ExitStatus = R"(Exit status:
  0    done (and verified); diff: the files hold the same settings
  1    diff: the files differ
  2    the command line could not be understood
  3    no radio: the port is missing, in use, or not permitted
  4    the radio does not answer, or waits in its loader (only upgrade gives it firmware)
  5    not logged in: the password is missing or was refused
  6    settings refused by the radio (each named on standard error)
  7    file unreadable, unwritable, or holding no settings
  8    firmware file rejected (the check that failed is named), whatever --yes says
  9    firmware transfer failed
  10   declined: a question was answered no, or needs --yes without a terminal
  11   the results could not be written to standard output (full, closed, its reader ended)
  130  interrupted (%1): stopped as the window's Cancel stops,
       the line left at 19200 baud; an upgrade stopped before the erase leaves the radio as it
       was
)";

// A command: the arguments it takes, the options that are its own, and what it does.
struct Command {
    const char* name;
    QStringList args;
    QStringList options;
    const char* does;
};

const QList<Command>& commands() {
    static const QList<Command> all = {
        {"read", {}, {"json"}, "every setting, one \"keyword<TAB>value\" per line (or JSON)"},
        {"save", {"FILE"}, {}, "the radio's configuration to FILE"},
        {"restore", {"FILE"}, {"only"}, "program the radio from FILE, then verify by reading back"},
        {"upgrade", {"FIRMWARE.s28"}, {"yes"}, "firmware upgrade through the radio's loader"},
        {"rssi", {}, {"seconds"}, "signal strength readings, \"seconds<TAB>dBm\" a line"},
        {"console", {}, {}, "the radio's console on this terminal (Ctrl+] leaves)"},
        {"ports", {}, {}, "the serial ports there are, as the window's port list shows them"},
        {"diff", {"FILE1", "FILE2"}, {}, "two configuration files, setting by setting (no radio)"},
        {"help", {}, {}, "this text, or a command's own: help COMMAND"},
    };
    return all;
}

const Command* commandNamed(const QString& name) {
    for (const Command& command : commands())
        if (name == command.name)
            return &command;
    return nullptr;
}

// How a command is written: its options, then its arguments.
QString synopsis(const Command& command) {
    static const QMap<QString, QString> Forms = {{"json", "[--json]"},
                                                 {"only", "[--only KW,KW]"},
                                                 {"yes", "[--yes]"},
                                                 {"seconds", "[--seconds N]"}};
    QStringList words{command.name};
    for (const QString& option : command.options)
        words << Forms.value(option);
    words << command.args;
    return words.join(u' ');
}

Arguments usage(const QString& text) {
    Arguments arguments;
    arguments.text = text;
    return arguments;
}

// The query keywords of --only, each one a row of the configuration file; the first word that
// is none, when there is one.
QStringList onlyKeywords(const QString& list, QString& unknown) {
    QStringList keywords;
    for (const QString& word : list.split(u',', Qt::SkipEmptyParts)) {
        const QString query = word.trimmed().toLower();
        if (query.isEmpty())
            continue;
        if (!ConfigFormat::row(query) && unknown.isEmpty())
            unknown = word.trimmed();
        keywords << query;
    }
    return keywords;
}

// What the tool prints for --help: how it is called (by its own name, wherever it lies),
// its options, and its commands.
QString helpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    const qsizetype lineEnd = text.indexOf(u'\n');
    text.replace(0, lineEnd, QStringLiteral("Usage: ardentix-cli [options] COMMAND [ARGUMENTS]"));
    return text + "\n" + commandSummary() + "\n" + QString(ExitStatus).arg(QuitSignals::named());
}

QString commandHelp(const Command& command) {
    QString text = QString("Usage: ardentix-cli [--port DEVICE|N] [--quiet|--verbose] %1\n\n"
                           "%1: %2.\n")
                       .arg(synopsis(command), command.does);
    if (QStringList{"restore", "upgrade"}.contains(command.name))
        text += "\nThe radio's password: --password PASS, --password-file FILE, the "
                "environment's ARDENTIX_PASSWORD, or asked for (unechoed) on a terminal.\n";
    return text;
}

} // namespace

QString commandSummary() {
    QString text = QStringLiteral("Commands:\n");
    for (const Command& command : commands())
        text += QString("  %1%2\n").arg(synopsis(command), -30).arg(command.does);
    return text;
}

Arguments parseArguments(const QStringList& given) {
    // "/?" is how Windows users ask a program for its help.
    QStringList commandLine = given;
    std::replace(commandLine.begin(), commandLine.end(), QStringLiteral("/?"),
                 QStringLiteral("--help"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Reads, saves, restores and upgrades Quenlar Ardentix radios from a shell.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port("port", "The radio's serial port: a device or a port number.",
                                  "DEVICE|N");
    const QCommandLineOption password("password", "The radio's password (restore, upgrade).",
                                      "PASS");
    const QCommandLineOption passwordFile("password-file",
                                          "The radio's password: the first line of FILE.", "FILE");
    const QCommandLineOption quiet({"q", "quiet"}, "Only errors on standard error.");
    const QCommandLineOption verbose("verbose", "Each step on standard error.");
    const QCommandLineOption json("json", "read: the settings as JSON.");
    const QCommandLineOption only("only", "restore: only these settings.", "KW,KW");
    const QCommandLineOption seconds("seconds", "rssi: stop after N seconds (decimals allowed).",
                                     "N");
    const QCommandLineOption yes("yes", "upgrade: answer yes to the routine questions.");
    parser.addOptions({port, password, passwordFile, quiet, verbose, json, only, seconds, yes});
    parser.addPositionalArgument("command", "One of the commands below.");
    if (!parser.parse(commandLine))
        return usage(parser.errorText());

    Arguments arguments;
    const QStringList words = parser.positionalArguments();
    const Command* command = words.isEmpty() ? nullptr : commandNamed(words.first());
    const bool helpAsked = parser.isSet("help") || parser.isSet("help-all");
    // "help read", and "read --help", are the command's own help.
    const Command* helped = command && command->name == QStringLiteral("help")
                                ? (words.size() > 1 ? commandNamed(words.at(1)) : nullptr)
                                : (helpAsked ? command : nullptr);
    if (helpAsked || (command && command->name == QStringLiteral("help"))) {
        if (command && command->name == QStringLiteral("help") && words.size() > 1 && !helped)
            return usage("'" + words.at(1) + "' is no command of this tool.");
        arguments.outcome = Arguments::Outcome::Help;
        arguments.text = helped ? commandHelp(*helped) : helpText(parser);
        return arguments;
    }
    if (parser.isSet("version")) {
        arguments.outcome = Arguments::Outcome::Version;
        return arguments;
    }
    if (words.isEmpty())
        return usage("no command given.");
    if (!command)
        return usage("'" + words.first() + "' is no command of this tool; the commands are " +
                     "read, save, restore, upgrade, rssi, console, ports, diff and help.");
    arguments.command = words.first();
    arguments.args = words.mid(1);
    const QString form = "ardentix-cli " + synopsis(*command);
    // What is wrong with a command's line is told with the way to its own help.
    const auto usage = [&](const QString& text) {
        Arguments refused = ::usage(text);
        refused.command = arguments.command;
        return refused;
    };
    if (arguments.args.size() < command->args.size())
        return usage(
            QString("%1 needs %2: %3").arg(command->name, command->args.join(" and "), form));
    if (arguments.args.size() > command->args.size())
        return usage(QString("%1 takes %2, not '%3': %4")
                         .arg(command->name,
                              command->args.isEmpty() ? QStringLiteral("no arguments")
                                                      : command->args.join(" and "),
                              arguments.args.mid(command->args.size()).join(u' '), form));
    // An option of another command is a mistake worth telling, not something to ignore.
    for (const QString& name : QStringList{"json", "only", "yes", "seconds"})
        if (parser.isSet(name) && !command->options.contains(name)) {
            QString owner;
            for (const Command& other : commands())
                if (other.options.contains(name))
                    owner = other.name;
            return usage(
                QString("--%1 is an option of %2, not of %3.").arg(name, owner, command->name));
        }

    RadioCommands::Options& options = arguments.options;
    PortNaming::Named named;
    if (parser.isSet(port) &&
        !PortNaming::parse(PortNaming::systemScheme(), parser.value(port), named))
        return usage(PortNaming::refusal(PortNaming::systemScheme(), parser.value(port)));
    options.quiet = parser.isSet(quiet);
    options.port = parser.value(port);
    options.password = parser.value(password);
    arguments.passwordFile = parser.value(passwordFile);
    options.verbose = parser.isSet(verbose) && !options.quiet;
    options.json = parser.isSet(json);
    if (parser.isSet(only)) {
        QString unknown;
        options.only = onlyKeywords(parser.value(only), unknown);
        if (!unknown.isEmpty())
            return usage("--only: '" + unknown + "' is no setting of a configuration file.");
        if (options.only.isEmpty())
            return usage("--only needs the keywords of the settings to restore (--only PWR,SKIP).");
    }
    if (parser.isSet(seconds)) {
        bool number = false;
        options.seconds = parser.value(seconds).toDouble(&number);
        if (!number || !(options.seconds > 0) || options.seconds > 86400 * 365)
            return usage("--seconds needs a number of seconds greater than 0 (such as 30 or 1.5).");
    }
    arguments.assumeYes = parser.isSet(yes);
    arguments.outcome = Arguments::Outcome::Run;
    return arguments;
}
