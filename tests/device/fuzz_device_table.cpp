// Fuzz target for the device table (Config.ini rows) and the cache check over what it yields.
// Built with libFuzzer under Clang (ZF_FUZZ=ON); otherwise a driver that runs the inputs named on the
// command line, so the shipped table is fed through the same path in every build.
#include "app/core/IniStores.h"
#include "device/DeviceTable.h"
#include "device/RecordCheck.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QTemporaryFile file;
    if (!file.open())
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    const IniStore store(file.fileName(), "UTF-8", false);
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

#ifndef ZF_LIBFUZZER
int main(int argc, char** argv) {
    // The check's DPI decoding is the sensor layer's; any value will do to walk the range test.
    RecordCheck::setDpiDecoder([](const FlashDataMap& r, const ModelRow&, int level, bool y) {
        return y ? r.dpiLevels[level].yValue : r.dpiLevels[level].xValue;
    });
    for (int i = 1; i < argc; ++i) {
        QFile f(QString::fromLocal8Bit(argv[i]));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        const QByteArray data = f.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()));
    }
    return 0;
}
#endif
