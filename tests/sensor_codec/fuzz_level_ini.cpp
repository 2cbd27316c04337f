// Fuzz target for "Level.ini", the DPI editor's level count before any device data arrives.
#include "sensor/SensorCapability.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const int count = levelIniCount(file);
    if (count < 1 || count > 8) // the editor indexes eight levels
        __builtin_trap();
    return 0;
}
