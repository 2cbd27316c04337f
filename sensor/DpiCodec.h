#pragma once
// DPI value <-> DPI level entry codes. Model "3955" uses the wide 16-bit codes (entry bytes 6-9, flags
// byte 10); every other model the narrow codes (bytes 0-1, flags byte 2, code bits 8-9 in bits 2-3 of
// each nibble for the models that carry them). The pure functions take the capability to use; the
// level functions use SensorCapability::current() and the current record.

#include "app/core/FlashDataMap.h"
#include "device/DeviceTable.h"

#include <cstdint>

class SensorCapability;

namespace DpiCodec {

struct Scale {
    int flags = 0;   // F: 0, 0x11, 0x22 or 0x33
    int divisor = 1; // D: 1, 2 or 4
};

struct Code {
    int code = 0;      // narrow: written as its low 8 bits; wide: 16 bits
    uint8_t flags = 0; // the whole flag byte to store (both nibbles)
};

bool usesWideCodes(const SensorCapability& cap);

Scale scaleFor(const SensorCapability& cap, int value, bool wide);

// currentFlags: the level's flag byte before the write (it picks the fallback code for table misses).
Code encodeNarrow(const SensorCapability& cap, int value, uint8_t currentFlags);
Code encodeWide(const SensorCapability& cap, int value, uint8_t currentFlags);

int decodeNarrow(const SensorCapability& cap, int code, uint8_t flags);
int decodeWide(const SensorCapability& cap, int code, uint8_t flags);

// Display values of a level of a record (0 for a level outside 0 … 7).
int decodeX(const SensorCapability& cap, const FlashDataMap& record, int level);
int decodeY(const SensorCapability& cap, const FlashDataMap& record, int level);

// A level of a record from outside the mouse (a cache file) as the sensor page would show it for that
// row: the installed decoder of the device link's record check. Uses the define table of the
// capability header as the sensor page loaded it (read once, never changed afterwards).
int decodeForRow(const FlashDataMap& record, const ModelRow& row, int level, bool yAxis);

// Whether the first `count` levels of a record hold X and Y apart (codes or scale nibbles differ):
// the record's own X–Y separate state.
bool levelsSeparate(const SensorCapability& cap, const FlashDataMap& record, int count);

// Encode into entry `level` of the current record through the setting writers (online test, push).
// Level -1 (no level) does nothing and returns false.
bool encodeX(int level, int value, bool xOnly);
bool encodeY(int level, int value);
// The same against the current record.
int decodeX(int level);
int decodeY(int level);

} // namespace DpiCodec
