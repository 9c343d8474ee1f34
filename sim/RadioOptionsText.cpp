#include "RadioOptionsText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <algorithm>
#include <cstdio>

namespace RadioOptionsText {

bool isRelease(const QString& text) {
    static const QRegularExpression release("^[0-9A-Z]\\.[0-9A-Z]\\.[0-9A-Z]$");
    return release.match(text).hasMatch();
}

void addTo(QCommandLineParser& parser) {
    parser.addOptions({
        {"firmware", "Firmware release X.Y.Z (default 3.2.0).", "release", "3.2.0"},
        {"mode", "Radio mode M, R or X (default M).", "mode", "M"},
        {"password", "Customer password set in the radio.", "text"},
        {"setup", "Start in setup mode (prompt SETUP>)."},
        {"loader", "Start in the loader (prompt LOADER>)."},
        {"latency", "Reply latency in milliseconds.", "ms", "0"},
        {"store-latency",
         "Time the radio takes to store a written setting before it answers, in milliseconds "
         "(default 150).",
         "ms", "150"},
        {"silent", "Answer nothing at all."},
        {"noise", "Put a stray character before this percentage of the characters sent.", "percent",
         "0"},
        {"cut", "Cut every reply short: no prompt follows it."},
    });
}

std::optional<RadioOptions> from(const QCommandLineParser& parser, QString& error) {
    RadioOptions options;
    options.firmware = parser.value("firmware");
    if (!isRelease(options.firmware)) {
        error = "--firmware takes a release X.Y.Z (such as 3.3.0), not '" + options.firmware + "'";
        return std::nullopt;
    }
    const QString mode = parser.value("mode").toUpper();
    if (mode != "M" && mode != "R" && mode != "X") {
        error = QStringLiteral("--mode takes M, R or X");
        return std::nullopt;
    }
    options.mode = mode.at(0);
    options.password = parser.value("password");
    options.setup = parser.isSet("setup");
    options.loader = parser.isSet("loader");
    options.latencyMs = std::max(0, parser.value("latency").toInt());
    options.storeMs = std::max(0, parser.value("store-latency").toInt());
    options.silent = parser.isSet("silent");
    options.noisePercent = std::clamp(parser.value("noise").toInt(), 0, 100);
    options.cutReplies = parser.isSet("cut");
    return options;
}

namespace {

std::optional<RadioOptions> fromWords(const QStringList& words, QString& error) {
    QCommandLineParser parser;
    addTo(parser);
    if (!parser.parse(QStringList{"radio"} + words)) {
        error = parser.errorText();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = "'" + parser.positionalArguments().join(u' ') + "' is no option of the radio";
        return std::nullopt;
    }
    return from(parser, error);
}

// The options of a line one by one, each with the words that follow it: "--mode R", "--setup".
QList<QStringList> eachOption(const QStringList& words) {
    QList<QStringList> options;
    for (const QString& word : words)
        if (word.startsWith(u'-') || options.isEmpty())
            options.append({word});
        else
            options.last().append(word);
    return options;
}

} // namespace

std::optional<RadioOptions> fromText(const QString& text, QString& error) {
    return fromWords(QProcess::splitCommand(text), error);
}

RadioOptions builtInOptions(QSettings& settings) {
    QStringList kept;
    for (const QStringList& option :
         eachOption(QProcess::splitCommand(settings.value("Simulator/Options").toString()))) {
        QString error;
        if (fromWords(option, error)) {
            kept << option;
            continue;
        }
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate(
                                    "RadioOptionsText",
                                    "The simulated radio's option '%1' (Simulator/Options) is "
                                    "wrong, and left out: %2")
                                    .arg(option.join(u' '), error)));
    }
    QString error;
    return fromWords(kept, error).value_or(RadioOptions());
}

} // namespace RadioOptionsText
