#pragma once
// A joint X/Y DPI write into a level entry, coded by the model's rules, without the device link.
#include "sensor/DpiCodec.h"
#include "sensor/SensorCapability.h"

inline void encodeJoint(const SensorCapability& cap, DpiLevelEntry& e, int value) {
    if (DpiCodec::usesWideCodes(cap)) {
        const DpiCodec::Code c = DpiCodec::encodeWide(cap, value, e.wideFlags);
        e.xValue = e.yValue = uint16_t(c.code);
        e.wideFlags = c.flags;
    } else {
        const DpiCodec::Code c = DpiCodec::encodeNarrow(cap, value, e.nibbles);
        e.xCode = e.yCode = uint8_t(c.code);
        e.nibbles = c.flags;
    }
}
