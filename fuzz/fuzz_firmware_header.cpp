// The firmware file's header checks: the first 60 bytes of any file, and the release it names
// compared with the release a radio reports (the part before the first NUL).
#include "FuzzApp.h"
#include "FuzzInput.h"
#include "core/Prompts.h"
#include "firmware/FirmwareChecks.h"
#include "link/ConsoleText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A scripted question holds its box open in an event loop, which needs the application.
    FuzzApp::instance();
    const QByteArray input = FuzzInput::bytes(data, size);
    const qsizetype split = input.indexOf('\0');
    const QString current = QString::fromLatin1(split < 0 ? QByteArray() : input.left(split));
    const QByteArray head = input.mid(split + 1, 60);

    const int faults = FirmwareChecks::headerFaults(head);
    FuzzInput::require(faults >= 0 && faults <= 2);
    const std::optional<QString> next = FirmwareChecks::newVersion(head);
    const QString release = next.value_or(QString::fromLatin1(head));
    if (const auto number = ConsoleText::versionNumberOf(release))
        FuzzInput::require(*number >= 0 && *number <= 999);
    const bool older = FirmwareChecks::isOlder(current, release);
    const bool same = FirmwareChecks::isSame(current, release);
    FuzzInput::require(!(older && same));
    ScriptedPrompts prompts;
    prompts.answers = {Prompts::Yes, Prompts::No, Prompts::Yes};
    FirmwareChecks::alphasAccepted(prompts, current, release);
    return 0;
}
