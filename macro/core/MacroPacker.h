#pragma once
// A macro in one button's 592-byte area of the record: name length and 30 name bytes (locale
// encoding), the event count, then 70 eight-byte key events (action, kind, u16 code, u32 delay after
// the event). Packing never writes past the area; unpacking never reads past it.
#include "app/core/FlashDataMap.h"
#include "macro/core/MacroFile.h"

#include <QString>

class QTextCodec;

namespace MacroPacker {

constexpr int kNameLengthOffset = 0;
constexpr int kNameOffset = 1;
constexpr int kCountOffset = 31;
constexpr int kEventsOffset = 32;
constexpr int kEventSize = 8;

struct Packed {
    MacroBlock block{};
    int events = 0;   // key events packed
    bool fits = true; // false: the macro holds more than 70 key events and was refused
};

// Key items become events in order; a delay item adds to the delay of the event before it (delays
// ahead of the first event have none to follow). A macro of more than 70 events is not packed.
Packed pack(const QString& name, const MacroFormat::MacroData& macro, QTextCodec* codec = nullptr);

// The name field: the bytes cut at a character boundary to 30, the length byte, zero fill.
void setName(MacroBlock& block, const QString& name, QTextCodec* codec = nullptr);
// The stored name: up to the first zero of the 30 bytes, never beyond the length byte's count.
QString name(const MacroBlock& block, QTextCodec* codec = nullptr);
// The event count, read as at most the 70 slots the area has.
int eventCount(const MacroBlock& block);
// The events back as items: a key item per event, its delay after it when not zero (always between
// events, so the list alternates as a recording does).
MacroFormat::MacroData unpack(const MacroBlock& block, int cycle);

} // namespace MacroPacker
