#include "Arguments.h"

#include "config/ConfigFormat.h"

#include <QCommandLineParser>
#include <QMap>

namespace {

Arguments usage(const QString& text) {
    Arguments arguments;
    arguments.text = text;
    return arguments;
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

} // namespace

bool Arguments::runnable() const {
    static const QMap<QString, int> Counts = {{"read", 0},    {"save", 1}, {"restore", 1},
                                              {"upgrade", 1}, {"rssi", 0}, {"console", 0},
                                              {"diff", 2}};
    const auto found = Counts.find(command);
    return outcome == Outcome::Run && found != Counts.end() && args.size() == *found;
}

Arguments parseArguments(const QStringList& commandLine) {
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
    if (!parser.parse(commandLine))
        return usage(parser.errorText());

    Arguments arguments;
    if (parser.isSet("help") || parser.isSet("help-all")) {
        arguments.outcome = Arguments::Outcome::Help;
        arguments.text = parser.helpText();
        return arguments;
    }
    if (parser.isSet("version")) {
        arguments.outcome = Arguments::Outcome::Version;
        return arguments;
    }
    const QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return usage("no command given.");
    arguments.command = words.first();
    arguments.args = words.mid(1);
    arguments.options.quiet = parser.isSet(quiet);
    // A comparison of two files takes none of the radio's options, and is not failed by them.
    if (arguments.command == "diff") {
        if (arguments.args.size() != 2)
            return usage("diff needs two files.");
        arguments.outcome = Arguments::Outcome::Run;
        return arguments;
    }

    RadioCommands::Options& options = arguments.options;
    options.port = parser.value(port);
    options.password = parser.value(password);
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
    arguments.assumeYes = parser.isSet(yes);
    arguments.outcome = Arguments::Outcome::Run;
    return arguments;
}
