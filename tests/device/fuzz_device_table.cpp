// Fuzz target for the device table (Config.ini rows) and the cache check over what it yields.
#include "app/core/IniStores.h"
#include "device/DeviceTable.h"
#include "device/RecordCheck.h"
#include "tests/common/MemoryFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile file;
    if (!file.set(data, size))
        return 0;
    const IniStore store(file.path(), "UTF-8", false);
    const DeviceTable table = DeviceTable::load(store);
    // The input's first bytes double as a cache record's head: the check reads only the record.
    FlashDataMap record;
    record.clear();
    std::memcpy(record.data(), data, std::min<size_t>(size, 64));
    for (const ModelRow& row : table.rows()) {
        RecordCheck::problem(record, row);
        row.listPicture(true);
        for (int k = 0; k <= ModelRow::kKeyCount + 1; ++k)
            row.keyIsSequence(k);
        row.dpiInRange(row.highestDpi());
    }
    return 0;
}

// The check's DPI decoding is the sensor layer's; the stored value will do to walk the range test.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    RecordCheck::setDpiDecoder([](const FlashDataMap& r, const ModelRow&, int level, bool y) {
        return y ? r.dpiLevels[level].yValue : r.dpiLevels[level].xValue;
    });
    return 0;
}
