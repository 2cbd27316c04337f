#pragma once
// The mouse's whole configuration: one fixed 10544-byte little-endian record shared byte for byte
// with the device library. Offsets and widths are binding; unnamed bytes belong to the library and
// are carried unchanged.

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "FlashDataMap maps its multi-byte fields directly and needs a little-endian host"
#endif

#pragma pack(push, 1)

struct ButtonAssignment {
    uint8_t bytes[3];
};

struct KeyEvent {
    uint8_t bytes[8];
};

// Three 16-byte parts, then a 32-bit word.
struct KeySequenceBlock {
    uint8_t part[3][16];
    uint32_t word;
};

struct MacroBlock {
    uint8_t bytes[592];
};

struct TouchKeyEntry {
    uint8_t mode;
    uint8_t a; // bit 7 switch A, bits 0-6 value A
    uint8_t b; // bit 7 switch B, bits 0-6 value B
};

struct DpiLevelEntry {
    uint8_t xCode;
    uint8_t yCode;
    uint8_t nibbles; // low nibble X, high nibble Y
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint16_t xValue;
    uint16_t yValue;
    uint8_t wideFlags;
    uint8_t reserved;
};

struct CurvePoint {
    uint16_t value;
    uint8_t byte;
    uint8_t reserved;
};

struct FlashDataMap {
    uint8_t reportRate;
    uint8_t dpiLevelCount;
    uint8_t currentDpiLevel;
    uint8_t unnamed3;
    uint8_t triggerBits;
    uint8_t lod;
    uint8_t debounceTime;
    uint8_t motionSync;
    uint8_t sleepTime;
    uint8_t straightLine;
    uint8_t rippleControl;
    uint8_t movingOffLight;
    uint8_t fullPerformance;
    uint8_t sleepTimeCopy;
    uint8_t sensorMode;
    uint8_t angle;
    uint8_t angleEnable;
    uint8_t unnamed17[25];
    uint8_t fps20k;
    uint8_t buttonOptionA;
    uint8_t buttonOptionB;
    uint8_t unnamed45[7];
    TouchKeyEntry touchKeys[2];
    DpiLevelEntry dpiLevels[8];
    uint8_t dpiLightEffect;
    uint8_t dpiLightBrightness;
    uint8_t dpiLightSpeed;
    uint8_t dpiLightOn;
    uint8_t lightBarEffect;
    uint8_t lightBarColour[3];
    uint8_t lightBarSpeed;
    uint8_t lightBarBrightness;
    uint8_t lightBarOn;
    ButtonAssignment buttons[16];
    uint8_t unnamed213[3];
    KeySequenceBlock keyBlocks[16];
    MacroBlock macros[16];
    uint8_t advancedValue;
    uint8_t curveMode;
    CurvePoint curve[5];
    uint8_t virtualPointValue;
    uint8_t virtualPointLevel;

    static constexpr int kSize = 10544;

    void clear() { std::memset(this, 0, sizeof(*this)); }
    uint8_t* data() { return reinterpret_cast<uint8_t*>(this); }
    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(this); }
    bool operator==(const FlashDataMap& o) const { return std::memcmp(this, &o, sizeof(*this)) == 0; }
    bool operator!=(const FlashDataMap& o) const { return !(*this == o); }
};

#pragma pack(pop)

static_assert(sizeof(ButtonAssignment) == 3, "button assignment");
static_assert(sizeof(KeyEvent) == 8, "key event");
static_assert(sizeof(KeySequenceBlock) == 52, "key block");
static_assert(sizeof(MacroBlock) == 592, "macro block");
static_assert(sizeof(DpiLevelEntry) == 12, "DPI level entry");
static_assert(sizeof(CurvePoint) == 4, "curve point");
static_assert(sizeof(FlashDataMap) == FlashDataMap::kSize, "record size");

static_assert(offsetof(DpiLevelEntry, nibbles) == 2 && offsetof(DpiLevelEntry, red) == 3 &&
                  offsetof(DpiLevelEntry, xValue) == 6 && offsetof(DpiLevelEntry, yValue) == 8 &&
                  offsetof(DpiLevelEntry, wideFlags) == 10,
              "DPI level entry layout");
static_assert(offsetof(FlashDataMap, reportRate) == 0x00, "");
static_assert(offsetof(FlashDataMap, dpiLevelCount) == 0x01, "");
static_assert(offsetof(FlashDataMap, currentDpiLevel) == 0x02, "");
static_assert(offsetof(FlashDataMap, triggerBits) == 0x04, "");
static_assert(offsetof(FlashDataMap, lod) == 0x05, "");
static_assert(offsetof(FlashDataMap, debounceTime) == 0x06, "");
static_assert(offsetof(FlashDataMap, motionSync) == 0x07, "");
static_assert(offsetof(FlashDataMap, sleepTime) == 0x08, "");
static_assert(offsetof(FlashDataMap, straightLine) == 0x09, "");
static_assert(offsetof(FlashDataMap, rippleControl) == 0x0a, "");
static_assert(offsetof(FlashDataMap, movingOffLight) == 0x0b, "");
static_assert(offsetof(FlashDataMap, fullPerformance) == 0x0c, "");
static_assert(offsetof(FlashDataMap, sleepTimeCopy) == 0x0d, "");
static_assert(offsetof(FlashDataMap, sensorMode) == 0x0e, "");
static_assert(offsetof(FlashDataMap, angle) == 0x0f, "");
static_assert(offsetof(FlashDataMap, angleEnable) == 0x10, "");
static_assert(offsetof(FlashDataMap, fps20k) == 0x2a, "");
static_assert(offsetof(FlashDataMap, buttonOptionA) == 0x2b, "");
static_assert(offsetof(FlashDataMap, buttonOptionB) == 0x2c, "");
static_assert(offsetof(FlashDataMap, touchKeys) == 0x34, "");
static_assert(offsetof(FlashDataMap, dpiLevels) == 0x3a, "");
static_assert(offsetof(FlashDataMap, dpiLightEffect) == 0x9a, "");
static_assert(offsetof(FlashDataMap, dpiLightBrightness) == 0x9b, "");
static_assert(offsetof(FlashDataMap, dpiLightSpeed) == 0x9c, "");
static_assert(offsetof(FlashDataMap, dpiLightOn) == 0x9d, "");
static_assert(offsetof(FlashDataMap, lightBarEffect) == 0x9e, "");
static_assert(offsetof(FlashDataMap, lightBarColour) == 0x9f, "");
static_assert(offsetof(FlashDataMap, lightBarSpeed) == 0xa2, "");
static_assert(offsetof(FlashDataMap, lightBarBrightness) == 0xa3, "");
static_assert(offsetof(FlashDataMap, lightBarOn) == 0xa4, "");
static_assert(offsetof(FlashDataMap, buttons) == 0xa5, "");
static_assert(offsetof(FlashDataMap, keyBlocks) == 0xd8, "");
static_assert(offsetof(FlashDataMap, macros) == 0x418, "");
static_assert(offsetof(FlashDataMap, advancedValue) == 0x2918, "");
static_assert(offsetof(FlashDataMap, curveMode) == 0x2919, "");
static_assert(offsetof(FlashDataMap, curve) == 0x291a, "");
static_assert(offsetof(FlashDataMap, virtualPointValue) == 0x292e, "");
static_assert(offsetof(FlashDataMap, virtualPointLevel) == 0x292f, "");
