// The command-line tool's arguments: the input cut at each NUL is the argument list.
#include "FuzzInput.h"
#include "cli/Arguments.h"
#include "config/ConfigFormat.h"

#include <QCoreApplication>

namespace {

void checkRun(const Arguments& arguments) {
    // A command runs only with the arguments it takes: a comparison with its two files.
    FuzzInput::require(arguments.command != "diff" || arguments.args.size() == 2);
    FuzzInput::require(arguments.command != "read" || arguments.args.isEmpty());
    FuzzInput::require(arguments.options.seconds >= 0);
    FuzzInput::require(!arguments.options.json || arguments.command == "read");
    for (const QString& query : arguments.options.only)
        FuzzInput::require(ConfigFormat::row(query) != nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "ardentix-cli";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    Q_UNUSED(app);
    QStringList commandLine{QStringLiteral("ardentix-cli")};
    for (const QByteArray& part : FuzzInput::parts(data, size))
        commandLine << QString::fromLocal8Bit(part);
    const Arguments arguments = parseArguments(commandLine);
    if (arguments.outcome == Arguments::Outcome::Run)
        checkRun(arguments);
    else
        FuzzInput::require(arguments.outcome != Arguments::Outcome::Usage ||
                           !arguments.text.isEmpty());
    return 0;
}
