#pragma once
// Key events and the key block of a button (keyboard combination or multimedia key): the encoders that
// the button page writes with, and the decoders that read a record's blocks back. Everything read from
// a record is bounded here, so a corrupt count never reaches past the six event slots.

#include "app/core/FlashDataMap.h"
#include "buttons/KeyTables.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace Buttons {

constexpr int kKeyBlockEvents = 6;      // event slots of a key block
constexpr int kMaxCombinationKeys = 3;  // keys of one combination
constexpr uint32_t kKeyBlockDelay = 10; // ms after every event the program writes
constexpr int kMacroNameBytes = 30;

// The fields of an eight-byte key event (action 0 press, 1 release; kind a KeyEventKind).
struct KeyEventFields {
    uint8_t action = 0;
    uint8_t kind = 0;
    uint16_t code = 0;
    uint32_t delay = 0;
    bool operator==(const KeyEventFields& o) const {
        return action == o.action && kind == o.kind && code == o.code && delay == o.delay;
    }
};
KeyEventFields ReadKeyEvent(const KeyEvent& event);
KeyEvent MakeKeyEvent(const KeyEventFields& fields);

// The count byte as stored, and the number of events it allows to be read (at most the six slots).
int KeyBlockCount(const KeySequenceBlock& block);
int KeyBlockReadableEvents(const KeySequenceBlock& block);
// Slot 0 … 5; a slot outside gives an empty event.
KeyEventFields KeyBlockEvent(const KeySequenceBlock& block, int slot);

// A multimedia key: press and release of the consumer code, 10 ms each.
KeySequenceBlock EncodeConsumer(uint16_t code);

// The names of a combination text ("Ctrl+Num+" is "Ctrl" and "Num+"); empty parts are kept, so that
// "A++B" can be refused.
QStringList SplitCombination(const QString& text);

// Encodes key names joined by "+": presses in the order written, releases in reverse, 10 ms each.
// Names: "Shift", "Ctrl", "Alt", "Win" (the left modifiers), the modifier names "LCtrl" … "RWin", the
// key table's names, mouse-button names, and "0x" with two upper-case hex digits for a keyboard usage
// without a name (as labels show one). An empty text, more than three names or a name that is none of
// these leaves `block` untouched and returns false.
bool EncodeCombination(const QString& text, KeySequenceBlock& block, int languageIndex = -1);

// The name of one pressed key in a combination label: the modifier words for the left modifiers,
// "RCtrl" … for the right ones, key-table names, mouse-button names; a code without a name is shown as
// its hexadecimal code ("0x58"; other kinds "0x0003"), never as an empty name.
QString CombinationKeyName(const KeyEventFields& event, int languageIndex = -1);

// The consumer code of a block whose first event is a consumer event; none otherwise.
std::optional<uint16_t> BlockConsumerCode(const KeySequenceBlock& block);
// The names of the pressed keys (the first half of the readable events) joined by "+"; empty when the
// block holds no press.
QString CombinationText(const KeySequenceBlock& block, int languageIndex = -1);

// The macro name of a macro area: at most 30 bytes, up to the length byte or the first zero byte,
// in the local 8-bit encoding.
QString MacroAreaName(const MacroBlock& area);
// Writes the name field: length byte, the name's bytes cut to 30 at a whole character, zero fill.
void SetMacroAreaName(MacroBlock& area, const QString& name);

} // namespace Buttons
