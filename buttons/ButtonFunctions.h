#pragma once
// The functions a mouse button can hold: the three-byte assignment, the on-screen key to button index
// mapping, the fixed function table with its label keys, rapid fire, DPI lock, the debounce indexes,
// the restore defaults, and the label a key shows for an assignment of a record. No widgets: the
// button page is built on these.

#include "app/core/FlashDataMap.h"
#include "buttons/KeySequence.h"

#include <QString>

#include <cstdint>
#include <optional>

class SensorCapability;

namespace Buttons {

enum class ButtonFunctionType : uint8_t {
    Disabled = 0,
    MouseButton = 1,     // param1: button bit 1, 2, 4, 8, 16
    DpiAction = 2,       // param1: 1 cycle, 2 up, 3 down
    HorizontalWheel = 3, // param1: 1 left, 2 right
    RapidFire = 4,       // param1: interval ms, param2: repeat count
    KeySequence = 5,     // the button's key block decides
    Macro = 6,           // param1: the button index, param2: cycle value
    ReportRateSwitch = 7,
    LightingToggle = 8, // param1: 0 all, 1 DPI light, 3 light strip, 4 next strip effect
    ProfileSwitch = 9,
    DpiLock = 10,       // param1: the sensor's code of the locked DPI
    VerticalWheel = 11, // param1: 1 up, 2 down
};

constexpr int kButtonCount = 16;

struct ButtonFunction {
    uint8_t type = 0;
    uint8_t param1 = 0;
    uint8_t param2 = 0;

    ButtonFunction() = default;
    constexpr ButtonFunction(uint8_t t, uint8_t p1, uint8_t p2 = 0) : type(t), param1(p1), param2(p2) {}
    ButtonFunction(ButtonFunctionType t, uint8_t p1 = 0, uint8_t p2 = 0)
        : type(uint8_t(t)), param1(p1), param2(p2) {}
    static ButtonFunction from(const ButtonAssignment& a) { return {a.bytes[0], a.bytes[1], a.bytes[2]}; }
    ButtonAssignment assignment() const { return ButtonAssignment{{type, param1, param2}}; }
    bool is(ButtonFunctionType t) const { return type == uint8_t(t); }
    bool operator==(const ButtonFunction& o) const {
        return type == o.type && param1 == o.param1 && param2 == o.param2;
    }
    bool operator!=(const ButtonFunction& o) const { return !(*this == o); }
};

// On-screen keys 1 … 16 address button indices 0 … 15, except keys 4 and 5 (indices 4 and 3).
// Anything outside gives -1.
int ButtonIndexForKey(int key);
int KeyForButtonIndex(int index);
// The number of buttons a record may be read for, from a "KeyNumber" value: at most the sixteen.
int BoundedKeyNumber(int keyNumber);

// The assignment of button `index` in a record; none for an index outside 0 … 15.
std::optional<ButtonFunction> RecordButton(const FlashDataMap& record, int index);

// Functions with fixed parameters, and the label key and built-in text of each. Types 0, 7 and 9 match
// whatever their unused param1 holds.
struct FunctionRow {
    ButtonFunction function;
    const char* labelKey;
    const char* defaultText; // UTF-8
};
const FunctionRow* FixedFunctionTable();
int FixedFunctionCount();
const FunctionRow* FindFixedFunction(const ButtonFunction& f);

// Label keys of the function groups and of the functions with free parameters.
namespace LabelKeys {
constexpr const char* kDisabled = "0";
constexpr const char* kDpiGroup = "2";
constexpr const char* kHorizontalWheelGroup = "3";
constexpr const char* kRapidFire = "4";
constexpr const char* kCombination = "5";
constexpr const char* kMultimedia = "1005";
constexpr const char* kMacro = "6";
constexpr const char* kLightingGroup = "8";
constexpr const char* kDpiLock = "DPI Lock";
constexpr const char* kVerticalWheelGroup = "B";
} // namespace LabelKeys

// The text of a label key (list "KeyOptions", or a consumer key "0x00CD") in a language (default: the
// current one); the built-in Chinese text where the language has none.
QString FunctionText(const QString& labelKey, int languageIndex = -1);
// The DPI-lock label: the language's own text in "cn" and "cntr", "DPI Lock" in every other language,
// the built-in text while no language is loaded.
QString DpiLockText(int languageIndex = -1);
// The macro label prefix (key "MacroSeond").
QString MacroPrefix(int languageIndex = -1);

// Rapid fire: interval 10 … 255 ms, repeat count 0 … 3 (0 repeats while held).
constexpr int kFireIntervalMin = 10;
constexpr int kFireIntervalMax = 255;
constexpr int kFireCountMax = 3;
constexpr int kFireIntervalDefault = 10;
constexpr int kFireCountDefault = 3;
struct RapidFireSetting {
    int interval = kFireIntervalDefault;
    int count = kFireCountDefault;
    bool operator==(const RapidFireSetting& o) const { return interval == o.interval && count == o.count; }
};
// The assignment of a rapid-fire setting, its values brought into range.
ButtonFunction RapidFire(const RapidFireSetting& setting);
// What the rapid-fire dialog starts with for a button: its own values when it holds rapid fire
// (brought into range), the defaults otherwise.
RapidFireSetting RapidFireStart(const ButtonFunction& current);

// DPI lock: one rule per sensor for both directions. A value the sensor's rule cannot hold in one byte,
// or its DPI table does not give back unchanged, has no code and is not offered.
namespace DpiLock {
constexpr int kValueCount = 12;
constexpr int kValues[kValueCount] = {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100, 1200};
std::optional<uint8_t> Encode(const SensorCapability& sensor, int value);
// The DPI of a stored code; 0 when the sensor's DPI table has no entry for it.
int Decode(const SensorCapability& sensor, int code);
ButtonFunction Assignment(uint8_t code);
} // namespace DpiLock

// Debounce combos: release index i (0 … 30) is i ms in record byte 44; wheel index i (0 … 9) is
// (i + 1) · 10 ms in record byte 43. A stored byte no item shows gives index -1.
namespace Debounce {
constexpr int kReleaseItems = 31;
constexpr int kWheelItems = 10;
constexpr int kRestoreIndex = 2;
uint8_t ReleaseByte(int index);
int ReleaseIndex(uint8_t byte);
uint8_t WheelByte(int index);
int WheelIndex(uint8_t byte);
} // namespace Debounce

// The assignments a restore to defaults gives the sixteen buttons, by button index.
const ButtonFunction* DefaultAssignments();

struct LabelContext {
    int languageIndex = -1;                   // -1: the current language
    const SensorCapability* sensor = nullptr; // DPI-lock labels; nullptr: SensorCapability::current()
    QString macroPrefix;                      // empty: MacroPrefix(languageIndex)
};

// The text the key of button `buttonIndex` shows for `assignment`, reading the record's key block and
// macro area of that button where the type needs them. None where the label rules leave the key's text
// as it is (a parameter no function has, an unknown type, an index outside 0 … 15).
std::optional<QString> AssignmentLabel(int buttonIndex, const ButtonAssignment& assignment,
                                       const FlashDataMap& record, const LabelContext& context = {});

} // namespace Buttons
