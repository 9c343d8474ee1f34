// The S-record reader the simulated radio's loader uses: any text, one record a line.
#include "FuzzInput.h"
#include "SRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> lines = FuzzInput::bytes(data, size).split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        const std::optional<SRecord::Record> record = SRecord::parse(line);
        if (!record)
            continue;
        FuzzInput::require(record->type >= '0' && record->type <= '9');
        FuzzInput::require(record->data.size() < line.size() / 2);
        if (record->type == '0')
            SRecord::releaseOf(*record);
    }
    return 0;
}
