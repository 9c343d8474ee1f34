#include "RadioOptionsText.h"

#include <QCommandLineParser>
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

std::optional<RadioOptions> fromText(const QString& text, QString& error) {
    QCommandLineParser parser;
    addTo(parser);
    if (!parser.parse(QStringList{"radio"} + QProcess::splitCommand(text))) {
        error = parser.errorText();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = "'" + parser.positionalArguments().join(u' ') + "' is no option of the radio";
        return std::nullopt;
    }
    return from(parser, error);
}

RadioOptions builtInOptions(QSettings& settings) {
    const QString text = settings.value("Simulator/Options").toString();
    QString error;
    if (const std::optional<RadioOptions> options = fromText(text, error))
        return *options;
    std::fprintf(stderr, "The simulated radio's options (Simulator/Options) are wrong: %s\n",
                 qPrintable(error));
    return RadioOptions();
}

} // namespace RadioOptionsText
