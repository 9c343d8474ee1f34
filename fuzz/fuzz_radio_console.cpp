// The simulated radio's console: any bytes typed at radios of several kinds (the first byte
// chooses), the input cut at each NUL into what arrives at once, time passing between them.
#include "FuzzInput.h"
#include "RadioConsole.h"

namespace {

RadioOptions optionsOf(uint8_t choice) {
    static const char* const Releases[] = {"1.5.0", "2.0.0", "3.2.0", "3.3.0"};
    static const char16_t Modes[] = {u'M', u'R', u'X', u'M'};
    RadioOptions options;
    options.firmware = Releases[choice & 3];
    options.mode = QChar(Modes[(choice >> 2) & 3]);
    options.password = choice & 0x10 ? QStringLiteral("ab12") : QString();
    options.setup = choice & 0x20;
    options.loader = choice & 0x40;
    options.noisePercent = choice & 0x80 ? 5 : 0;
    return options;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    RadioConsole radio(optionsOf(data[0]));
    qint64 now = 0;
    radio.setClock([&now] { return now; });
    for (const QByteArray& part : FuzzInput::parts(data + 1, size - 1)) {
        for (const RadioConsole::ReplyPiece& piece : radio.respond(part))
            FuzzInput::require(piece.delayMs >= 0);
        if (radio.reporting())
            FuzzInput::require(!radio.report().isEmpty());
        now += 1000;
    }
    FuzzInput::require(radio.commands().size() <= radio.lines().size());
    return 0;
}
