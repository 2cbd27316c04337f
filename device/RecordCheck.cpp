#include "device/RecordCheck.h"

#include <mutex>

namespace RecordCheck {
namespace {
std::mutex& decoderMutex() {
    static std::mutex m;
    return m;
}
DpiDecoder& decoderSlot() {
    static DpiDecoder d;
    return d;
}
} // namespace

void setDpiDecoder(DpiDecoder decoder) {
    std::lock_guard<std::mutex> lock(decoderMutex());
    decoderSlot() = std::move(decoder);
}

QString problem(const FlashDataMap& record, const ModelRow& row) {
    const int count = record.dpiLevelCount;
    int maxLevels = ModelRow::kMaxLevels;
    if (row.dpiMaxGrade >= 1 && row.dpiMaxGrade <= ModelRow::kMaxLevels)
        maxLevels = row.dpiMaxGrade;
    if (count < 1 || count > maxLevels)
        return QStringLiteral("DPI level count %1 is not 1 to %2").arg(count).arg(maxLevels);
    if (record.currentDpiLevel >= count)
        return QStringLiteral("current DPI level %1 is not below the count %2")
            .arg(record.currentDpiLevel)
            .arg(count);

    DpiDecoder decode;
    {
        std::lock_guard<std::mutex> lock(decoderMutex());
        decode = decoderSlot();
    }
    // The span, not each range: a value in a gap is odd but harmless, one beyond the sensor is not.
    if (!decode || row.dpiRanges.isEmpty())
        return QString();
    for (int level = 0; level < count; ++level) {
        for (bool y : {false, true}) {
            const int value = decode(record, row, level, y);
            if (value < row.lowestDpi() || value > row.highestDpi())
                return QStringLiteral("DPI level %1 %2 value %3 is outside %4 to %5")
                    .arg(level + 1)
                    .arg(y ? QLatin1Char('Y') : QLatin1Char('X'))
                    .arg(value)
                    .arg(row.lowestDpi())
                    .arg(row.highestDpi());
        }
    }
    return QString();
}
} // namespace RecordCheck
