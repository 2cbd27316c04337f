#pragma once
// The fixed key vocabularies of button assignments and macros: HID keyboard usages and their names,
// the modifier bits, the multimedia (consumer) functions and the mouse buttons as key events, with
// the lookups between names, code texts and codes. Pure tables; the mouse-button names and the
// labels follow the loaded language tables.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace Buttons {

// Key event kinds; the same numbers are the "type" field of a macro file line.
enum class KeyEventKind : uint8_t { Modifier = 0, Keyboard = 1, Consumer = 2, MouseButton = 4 };

struct KeyCodeEntry {
    uint8_t code;     // HID keyboard usage
    const char* name; // UTF-8
};
// Every named keyboard usage in code order, 0x00 (the empty name) first.
const KeyCodeEntry* KeyCodeTable();
int KeyCodeTableSize();

struct ModifierEntry {
    uint8_t bit;
    const char* name; // "LCtrl" … "RWin"
};
// The HID modifier-byte bits 0x01 … 0x80 in bit order.
const ModifierEntry* ModifierBits();
constexpr int kModifierCount = 8;

struct ConsumerFunction {
    uint16_t code;           // HID consumer usage; "0x%04X" of it is the label key
    const char* defaultText; // UTF-8, shown while no language applies
};
const ConsumerFunction* ConsumerFunctionTable();
constexpr int kConsumerFunctionCount = 18;
// The row of a consumer code, matched on the low byte as stored blocks are; -1 for none.
int ConsumerRow(uint16_t code);
// Label key of a row ("0x00CD"); empty for a row outside the table.
QString ConsumerKey(int row);

// Mouse buttons as key events (kind 4), in the order of these codes.
constexpr uint8_t kMouseButtonCodes[5] = {0x01, 0x02, 0x04, 0x08, 0x10};
// Their names as the macro editor shows them in language `languageIndex` (default: the current one),
// the built-in texts where the language has none.
QStringList MouseButtonNames(int languageIndex = -1);

// "0x" and two upper-case hex digits: the code text of keyboard, modifier and mouse codes.
QString CodeText(int code);
// "0x" and four upper-case hex digits: consumer label keys, and codes shown without a name.
QString WideCodeText(int code);

// The name of a code text for a kind; empty for an unknown kind or a code text missing from its table.
// Code texts are compared exactly ("0x04", never "0x4").
QString KeyName(const QString& codeText, KeyEventKind kind, int languageIndex = -1);
QString KeyName(const QString& codeText, int kind, int languageIndex = -1);

struct KeyCodeResult {
    KeyEventKind kind;
    uint16_t code;
    bool operator==(const KeyCodeResult& o) const { return kind == o.kind && code == o.code; }
};
// The inverse of KeyName: an exact, case-sensitive name of the key table, the modifier bits or the
// mouse buttons; none for anything else.
std::optional<KeyCodeResult> KeyCode(const QString& name, int languageIndex = -1);

// The key name of a Windows virtual-key code as the combination dialog captures it; empty for codes
// it does not take.
QString VirtualKeyName(int virtualKey);

} // namespace Buttons
