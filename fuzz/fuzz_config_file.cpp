// The configuration file reader: any bytes as a file, read against radios of several firmware
// releases and modes, then turned into the commands a restore would send and compared.
#include "FuzzInput.h"
#include "cli/FileDiff.h"
#include "config/ConfigFormat.h"

namespace {

const int Versions[] = {100, 150, 199, 200, 300, 320, 330};
const char* const Modes[] = {"MODE M", "MODE R", "MODE X", ""};

void checkLoaded(const ConfigFormat::Loaded& loaded, const QStringList& lines) {
    for (auto it = loaded.values.begin(); it != loaded.values.end(); ++it) {
        FuzzInput::require(ConfigFormat::row(it.key()) != nullptr);
        FuzzInput::require(!ConfigFormat::commandsFor(it.key(), it.value()).isEmpty());
        ConfigFormat::holdsValue(it.value());
        ConfigFormat::sameSetting(it.value(), it.key());
    }
    for (const int number : loaded.tooLong)
        FuzzInput::require(number >= 1 && number <= lines.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const int version = Versions[data[0] % std::size(Versions)];
    const QString mode = Modes[(data[0] >> 4) % std::size(Modes)];
    const QByteArray file = FuzzInput::bytes(data + 1, size - 1);
    const QStringList lines = ConfigFormat::decode(file);
    // What the writer puts on disk reads back as the same lines.
    FuzzInput::require(ConfigFormat::decode(ConfigFormat::encode(lines)) == lines);
    ConfigFormat::Reader reader(version, mode);
    int filled = 0;
    const ConfigFormat::Loaded loaded =
        reader.read(lines, [&](const QString& query, const ConfigFormat::Loaded&) {
            FuzzInput::require(ConfigFormat::row(query) != nullptr);
            ++filled;
        });
    checkLoaded(loaded, lines);
    // The comparison of files finds a file the same as itself.
    FuzzInput::require(FileDiff::differences(loaded.values, loaded.values).isEmpty());
    return 0;
}
