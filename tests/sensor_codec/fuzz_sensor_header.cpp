// Fuzz target for the sensor header and "DPIRange" parsers, and the codec over what they produce.
#include "sensor/DpiCodec.h"
#include "sensor/SensorCapability.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), int(size));
    SensorCapability cap;
    cap.parseHeader(text);
    // The first line doubles as a "DPIRange" list and the second as a model name.
    const QList<QByteArray> lines = text.split('\n');
    cap.ranges.parse(QString::fromLatin1(lines.value(0)).split(','));
    cap.SensorModel = QString::fromLatin1(lines.value(1)).left(8);
    for (const char* flag : SupportFlags::kNames)
        cap.isSupported(QLatin1String(flag));
    for (int j = 0; j < cap.ranges.count; ++j)
        for (int v : {cap.ranges.minimums[j], cap.ranges.maximums[j]}) {
            const DpiCodec::Code n = DpiCodec::encodeNarrow(cap, v, uint8_t(v));
            DpiCodec::decodeNarrow(cap, n.code & 0xFF, n.flags);
            const DpiCodec::Code w = DpiCodec::encodeWide(cap, v, uint8_t(v));
            DpiCodec::decodeWide(cap, w.code, w.flags);
        }
    return 0;
}
