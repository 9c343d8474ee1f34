// The diagnostic screens' readers on any received text: the zone counters (the counters asked
// for chosen by the first byte), the skipped-zones line and the signal-strength report.
#include "FuzzInput.h"
#include "diag/RssiWindow.h"
#include "diag/ZoneReply.h"
#include "link/ConsoleText.h"

namespace {

QList<ZoneReply::Counter> countersOf(uint8_t choice) {
    QList<ZoneReply::Counter> counters;
    for (const ZoneReply::Counter counter :
         {ZoneReply::Transmitted, ZoneReply::Received, ZoneReply::Errors})
        if (choice & (1 << counter))
            counters << counter;
    return counters;
}

void checkSkipped(const QString& buffer) {
    const auto zones = ZoneReply::skippedZones(buffer);
    if (!zones)
        return;
    for (qsizetype i = 0; i < zones->size(); ++i) {
        FuzzInput::require(zones->at(i) >= 1 && zones->at(i) <= ZoneReply::Zones);
        FuzzInput::require(zones->indexOf(zones->at(i)) == i);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const QString buffer = FuzzInput::text(data + 1, size - 1);
    ZoneReply::looksComplete(buffer);
    if (const auto counts = ZoneReply::read(buffer, countersOf(data[0])))
        for (const ZoneReply::Counts& zone : *counts)
            for (const qint64 value : zone)
                FuzzInput::require(value > -1000000000000000 && value < 1000000000000000);
    ZoneReply::valueOf(buffer);
    checkSkipped(buffer);
    if (const auto reading = ConsoleText::rssiReadingOf(buffer))
        FuzzInput::require(RssiWindow::barOf(*reading) >= 50 && RssiWindow::barOf(*reading) <= 120);
    return 0;
}
