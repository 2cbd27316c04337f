// Fuzz target for the configuration exchange file: any bytes, checked against two sensors and several
// level limits. An accepted record must be the file's last 10544 bytes and must survive a re-export.
#include "device/ConfigFile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    for (const char* name : {"3395", "PAW3950-long-name"}) {
        const QString sensor = QString::fromLatin1(name);
        for (int grade : {0, 4, 8}) {
            const ConfigFile::Outcome o = ConfigFile::decode(bytes, sensor, grade);
            if (o.result != ConfigFile::Accepted)
                continue;
            const int recordAt = ConfigFile::kFileSize - FlashDataMap::kSize;
            if (std::memcmp(o.record.data(), data + recordAt, FlashDataMap::kSize) != 0)
                std::abort();
            if (ConfigFile::decode(ConfigFile::encode(o.record, sensor), sensor, grade).result !=
                ConfigFile::Accepted)
                std::abort();
        }
    }
    return 0;
}
