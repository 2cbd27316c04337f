#include "sensor/DpiCodec.h"

#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "sensor/SensorCapability.h"

#include <algorithm>

namespace DpiCodec {

namespace {

bool coarse(int flags) {
    return (flags & 0x22) != 0;
}

bool doubled(int flags) {
    return (flags & 0x11) != 0;
}

// Code bits 8-9 go into bits 2-3 of both nibbles.
int highBits(int n) {
    return n < 0 ? 0 : (n / 256) & 0x3;
}

// S312 counts in steps of 50 and doubles with bit 0: a code written at D = 2 carries 0x11 and one at
// D = 4 carries 0x33 (x 4), so the stored flags alone give the scale back for any ranges.
int decodeS312(int n, int flags) {
    switch (flags & 0x33) {
    case 0x33:
        return n * 200;
    case 0x11:
        return n * 100;
    default:
        return n * 50;
    }
}

} // namespace

bool usesWideCodes(const SensorCapability& cap) {
    return cap.SensorModel == QLatin1String("3955");
}

Scale scaleFor(const SensorCapability& cap, int value, bool wide) {
    const DpiRanges& r = cap.ranges;
    const bool aboveFirst = r.count > 0 && value > r.maximums.first();
    if (r.mode == 0x33) {
        if (!wide && cap.SensorModel == QLatin1String("OM76")) {
            if (value >= 30200)
                return {0x33, 4};
            if (aboveFirst)
                return {0x22, 2};
            return {0, 1};
        }
        int j = -1;
        for (int i = r.count - 1; i >= 0; --i)
            if (r.minimums[i] <= value) {
                j = i;
                break;
            }
        switch (j) {
        case 3:
            return {0x33, 4};
        case 2:
            return {0x11, 2};
        case 1:
            return {0x22, 2};
        default:
            return {0, 1};
        }
    }
    if ((r.mode == 0x22 || r.mode == 0x11) && aboveFirst)
        return {r.mode, 2};
    return {0, 1};
}

Code encodeWide(const SensorCapability& cap, int value, uint8_t currentFlags) {
    const Scale s = scaleFor(cap, value, true);
    const int fallback = coarse(currentFlags) ? value / 2 : value;
    int code;
    if (cap.hasDpiTable())
        code = cap.tableCode(value / s.divisor).value_or(fallback);
    else
        code = value / s.divisor - 1;
    return {std::clamp(code, 0, 0xFFFF), uint8_t(s.flags)};
}

Code encodeNarrow(const SensorCapability& cap, int value, uint8_t currentFlags) {
    const Scale s = scaleFor(cap, value, false);
    const QString& model = cap.SensorModel;
    int flags = s.flags;
    if (cap.hasDpiTable()) {
        const int fallback = coarse(currentFlags) ? value / 100 : value / 50;
        int key = value / s.divisor;
        if (model == QLatin1String("3315"))
            key = (s.flags == 0x11 || s.flags == 0x33) ? value / 2 : value;
        return {cap.tableCode(key).value_or(fallback), uint8_t(flags)};
    }
    int code;
    if (model == QLatin1String("OM76")) {
        const int n = s.divisor == 2 ? value / 100 : s.divisor == 4 ? value / 200 : value / 10 - 1;
        const int h = highBits(n);
        code = n - 256 * h;
        flags += h * 0x44;
    } else if (model == QLatin1String("S312")) {
        // A D = 2 write always stores the doubling flag: the mode's F = 0x11 would otherwise become 0
        // and read back as half the value.
        const int n = value / (50 * s.divisor);
        code = n;
        if (s.divisor == 2)
            flags = 0x11;
        flags += highBits(n) * 0x44;
    } else if (model == QLatin1String("3395") || model == QLatin1String("3950")) {
        const int n = value / (50 * s.divisor) - 1;
        code = n;
        flags += highBits(n) * 0x44;
    } else {
        code = value / (50 * s.divisor) - 1;
    }
    return {code, uint8_t(flags)};
}

int decodeNarrow(const SensorCapability& cap, int code, uint8_t flags) {
    const QString& model = cap.SensorModel;
    if (cap.hasDpiTable()) {
        const QVector<int> found = cap.tableValuesForCode(code);
        if (!found.isEmpty()) {
            int dpi = found.first();
            if (coarse(flags)) {
                if (model == QLatin1String("3315"))
                    dpi = found.size() > 1 ? found[1] : dpi;
                else
                    dpi *= 2;
            }
            return doubled(flags) ? dpi * 2 : dpi;
        }
    }
    const int wideCode = code + 256 * (flags / 64);
    int dpi;
    if (model == QLatin1String("3395") || model == QLatin1String("3950")) {
        dpi = (wideCode + 1) * (coarse(flags) ? 100 : 50);
    } else if (model == QLatin1String("S312")) {
        return decodeS312(wideCode, flags);
    } else if (model == QLatin1String("OM76")) {
        if (coarse(flags))
            dpi = wideCode * 100;
        else if (doubled(flags))
            dpi = wideCode * 50; // F = 0x11 stored v / 100
        else
            dpi = (wideCode + 1) * 10;
    } else {
        dpi = (code + 1) * (coarse(flags) ? 100 : 50);
    }
    return doubled(flags) ? dpi * 2 : dpi;
}

int decodeWide(const SensorCapability& cap, int code, uint8_t flags) {
    int dpi;
    if (cap.hasDpiTable()) {
        const QVector<int> found = cap.tableValuesForCode(code);
        dpi = found.isEmpty() ? 0 : found.first();
        if (coarse(flags))
            dpi *= 2;
    } else {
        dpi = coarse(flags) ? 2 * code + 2 : code + 1;
    }
    return doubled(flags) ? dpi * 2 : dpi;
}

// Wide single-axis writes put their flags into the narrow flag byte; joint writes into the wide one.
static int wideNibble(const DpiLevelEntry& e, bool yAxis) {
    const uint8_t flags = SensorFlags::XYSeparate ? e.nibbles : e.wideFlags;
    return yAxis ? flags >> 4 : flags & 0x0F;
}

// Each axis is decoded with its own nibble (in both halves), so a level edited per axis shows each
// axis as written; with X and Y together both nibbles are equal and this is the whole flag byte.
static int decodeAxis(const SensorCapability& cap, const FlashDataMap& record, int level, bool yAxis) {
    if (level < 0 || level > 7)
        return 0;
    const DpiLevelEntry& e = record.dpiLevels[level];
    if (usesWideCodes(cap))
        return decodeWide(cap, yAxis ? e.yValue : e.xValue, uint8_t(wideNibble(e, yAxis) * 0x11));
    const int nibble = yAxis ? e.nibbles >> 4 : e.nibbles & 0x0F;
    return decodeNarrow(cap, yAxis ? e.yCode : e.xCode, uint8_t(nibble * 0x11));
}

int decodeX(const SensorCapability& cap, const FlashDataMap& record, int level) {
    return decodeAxis(cap, record, level, false);
}

int decodeY(const SensorCapability& cap, const FlashDataMap& record, int level) {
    return decodeAxis(cap, record, level, true);
}

bool levelsSeparate(const SensorCapability& cap, const FlashDataMap& record, int count) {
    const bool wide = usesWideCodes(cap);
    for (int i = 0; i < std::min(count, 8); ++i) {
        const DpiLevelEntry& e = record.dpiLevels[i];
        const bool codesDiffer = wide ? e.xValue != e.yValue : e.xCode != e.yCode;
        if (codesDiffer || (e.nibbles & 0x0F) != (e.nibbles >> 4))
            return true;
    }
    return false;
}

bool encodeX(int level, int value, bool xOnly) {
    if (level < 0 || level > 7)
        return false;
    const SensorCapability& cap = SensorCapability::current();
    const DpiLevelEntry e = CurrentRecord::snapshot().dpiLevels[level];
    if (usesWideCodes(cap)) {
        const Code c = encodeWide(cap, value, e.wideFlags);
        return SetDpiLevelValue(level, uint16_t(c.code), uint16_t(c.code), c.flags, xOnly);
    }
    const Code c = encodeNarrow(cap, value, e.nibbles);
    return SetDpiLevelCode(level, uint8_t(c.code), uint8_t(c.code), c.flags, xOnly);
}

bool encodeY(int level, int value) {
    if (level < 0 || level > 7)
        return false;
    const SensorCapability& cap = SensorCapability::current();
    const DpiLevelEntry e = CurrentRecord::snapshot().dpiLevels[level];
    if (usesWideCodes(cap)) {
        const Code c = encodeWide(cap, value, e.wideFlags);
        return SetDpiLevelValueY(level, uint16_t(c.code), c.flags);
    }
    const Code c = encodeNarrow(cap, value, e.nibbles);
    return SetDpiLevelCodeY(level, uint8_t(c.code), c.flags);
}

int decodeX(int level) {
    return decodeX(SensorCapability::current(), CurrentRecord::snapshot(), level);
}

int decodeY(int level) {
    return decodeY(SensorCapability::current(), CurrentRecord::snapshot(), level);
}

} // namespace DpiCodec

int DpiCodec::decodeForRow(const FlashDataMap& record, const ModelRow& row, int level, bool yAxis) {
    SensorCapability cap;
    cap.defines = SensorCapability::current().defines;
    cap.loadRow(row);
    return yAxis ? decodeY(cap, record, level) : decodeX(cap, record, level);
}
