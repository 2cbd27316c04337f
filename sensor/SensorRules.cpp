#include "sensor/SensorRules.h"

#include "sensor/SensorCapability.h"

#include <algorithm>

namespace SensorRules {
namespace {
const int kRates[kRateCount] = {125, 250, 500, 1000, 2000, 4000, 8000};
const int kCodes[kRateCount] = {8, 4, 2, 1, 16, 32, 64};
const int kSleepValues[kSleepCount] = {1, 3, 6, 12, 18, 30, 60, 90, 180, 210, 240};
} // namespace

int rateAt(int index) {
    return index >= 0 && index < kRateCount ? kRates[index] : 0;
}

int rateCodeAt(int index) {
    return index >= 0 && index < kRateCount ? kCodes[index] : 0;
}

int rateIndexOfCode(int code) {
    for (int i = 0; i < kRateCount; ++i)
        if (kCodes[i] == code)
            return i;
    return -1;
}

int rateModeForKind(int kind) {
    switch (kind) {
    case 1:
        return 1;
    case 4:
        return 2;
    case 3:
    case 5:
        return 3;
    default:
        return 0;
    }
}

bool rateOffered(int mode, int index) {
    switch (index) {
    case 0:
    case 1:
    case 2:
    case 3:
        return true;
    case 4:
        return mode >= 1;
    case 5:
        return mode == 1 || mode == 3;
    case 6:
        return mode == 3;
    default:
        return false;
    }
}

LodSet lodSetForModel(const QString& model) {
    if (model == QLatin1String("3955"))
        return LodSet::Five;
    if (model == QLatin1String("3950"))
        return LodSet::Three;
    return LodSet::Two;
}

QStringList lodTexts(LodSet set) {
    switch (set) {
    case LodSet::Five:
        return {QStringLiteral("0.7mm"), QStringLiteral("0.9mm"), QStringLiteral("1.2mm"),
                QStringLiteral("1.4mm"), QStringLiteral("1.6mm")};
    case LodSet::Three:
        return {QStringLiteral("0.7mm"), QStringLiteral("1mm"), QStringLiteral("2mm")};
    case LodSet::Two:
        break;
    }
    return {QStringLiteral("1mm"), QStringLiteral("2mm")};
}

QVector<int> lodCodes(LodSet set) {
    switch (set) {
    case LodSet::Five:
        return {1, 2, 3, 4, 5};
    case LodSet::Three:
        return {3, 1, 2}; // 0.7 mm was added after 1 mm and 2 mm had their codes
    case LodSet::Two:
        break;
    }
    return {1, 2};
}

QStringList lodKeys(LodSet set) {
    // The language files' "LODOptions" list is keyed by tenths of a millimetre.
    switch (set) {
    case LodSet::Five:
        return {QStringLiteral("7"), QStringLiteral("9"), QStringLiteral("12"), QStringLiteral("14"),
                QStringLiteral("16")};
    case LodSet::Three:
        return {QStringLiteral("7"), QStringLiteral("10"), QStringLiteral("20")};
    case LodSet::Two:
        break;
    }
    return {QStringLiteral("10"), QStringLiteral("20")};
}

int sleepValue(int index) {
    return index >= 0 && index < kSleepCount ? kSleepValues[index] : 0;
}

int sleepIndexOfValue(int value) {
    for (int i = 0; i < kSleepCount; ++i)
        if (kSleepValues[i] == value)
            return i;
    return -1;
}

int snapDpi(const DpiRanges& r, int value, int* pageStep) {
    for (int j = 0; j < r.count; ++j) {
        if (value >= r.minimums[j] && value <= r.maximums[j]) {
            const int step = r.steps[j];
            if (step <= 0)
                return value; // no snapping in a range without a step
            if (pageStep)
                *pageStep = step;
            return std::max(r.minimums[j], value - value % step);
        }
        if (j + 1 < r.count && value > r.maximums[j] && value < r.minimums[j + 1]) {
            if (pageStep && r.steps[j + 1] > 0)
                *pageStep = r.steps[j + 1];
            return r.minimums[j + 1];
        }
    }
    return value;
}

int stepDpiUp(const DpiRanges& r, int value) {
    for (int j = 0; j < r.count; ++j) {
        if (j + 1 < r.count && value >= r.maximums[j] && value < r.minimums[j + 1])
            return r.minimums[j + 1];
        if (value >= r.minimums[j] && value <= r.maximums[j])
            return value + r.steps[j];
    }
    return value;
}

int stepDpiDown(const DpiRanges& r, int value) {
    for (int j = 0; j < r.count; ++j) {
        // A value in a gap steps down to the end of the range below it, never up.
        if (j + 1 < r.count && value > r.maximums[j] && value < r.minimums[j + 1])
            return r.maximums[j];
        if (value >= r.minimums[j] && value <= r.maximums[j]) {
            const int down = value - r.steps[j];
            // From the start of a range, the next value down is the end of the range below.
            return j > 0 && down < r.minimums[j] ? r.maximums[j - 1] : down;
        }
    }
    return value;
}

} // namespace SensorRules
