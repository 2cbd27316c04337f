#pragma once
// The lighting page's byte rules, without widgets: which controls an effect uses, the brightness and
// light-off tables, the preset colours, how a record or a receiver buffer is shown, and the sections a
// model has. A byte outside its table is shown as the nearest entry and never written back by showing it.

#include "app/core/FlashDataMap.h"

#include <QColor>
#include <array>
#include <cstdint>

struct ModelRow;

namespace LightRules {

constexpr int kEffectCount = 7;      // light-bar effects 0 (off) … 6
constexpr int kDpiEffectCount = 3;   // DPI light: off, steady, breathing
constexpr int kStepCount = 10;       // brightness and speed sliders 1 … 10
constexpr int kDpiSpeedSteps = 5;    // DPI light speed 1 … 5
constexpr int kLightOffCount = 11;   // light-off chooser entries
constexpr int kPresetCount = 14;     // preset buttons A … N
constexpr int kLedModeCount = 3;     // indicator LED modes
constexpr int kStatusBehaviours = 3; // status-LED behaviours 1 … 3

// Controls a light-bar effect shows.
struct EffectLook {
    bool colour = false;         // RGB boxes, steppers and all presets
    bool lastPresetOnly = false; // only preset N (the custom effect)
    bool brightness = false;
    bool speed = false;
};
EffectLook effectLook(int effect);

// DPI light: effect 1 (steady) shows brightness only, 2 (breathing) speed only, 0 neither.
bool dpiShowsBrightness(int effect);
bool dpiShowsSpeed(int effect);

// DPI light brightness: slider step 1 … 10 ↔ record byte.
uint8_t dpiBrightnessByte(int step); // steps outside are clamped
// A byte of the table gives its step; 1 … 10 are older records that stored the step itself; any other
// byte shows the step of the nearest table byte.
int dpiBrightnessStep(int byte);

// Light-off chooser: index 0 … 10 ↔ stored value (units of 10 s) in bytes 0x08 and 0x0D.
uint8_t lightOffValue(int index); // 0 outside
int lightOffIndex(int value);     // exact entry, else the nearest (the sensor page's times differ)

// Preset i (0 = A … 13 = N).
QColor presetColour(int index);

// What the page shows for the record's mouse lights.
struct MouseLightView {
    int dpiEffect = 0;     // 0 … 2
    int dpiSpeed = 1;      // 1 … 5
    int dpiBrightness = 1; // step 1 … 10
    int barEffect = 0;     // 0 … 6
    int barBrightness = 1; // slider 1 … 10
    int barSpeed = 1;      // slider 1 … 10
    QColor barColour;
    bool movingOff = false;
    int lightOffIndex = 0;
};
MouseLightView viewOf(const FlashDataMap& record);
// Slider value 1 … 10 of a stored 0 … 9 byte (clamped).
int stepOfByte(int byte);

// The receiver's light-bar buffer: effect, R, G, B, speed, brightness, on.
struct ReceiverBar {
    std::array<uint8_t, 7> bytes{};
    int shownEffect() const; // byte 0 when byte 6 is set (0 … 6, nearest), else 0
    QColor colour() const { return QColor(bytes[1], bytes[2], bytes[3]); }
    int brightnessStep() const { return stepOfByte(bytes[5]); }
    int speedStep() const { return stepOfByte(bytes[4]); }
    void setEffect(int effect); // byte 0 and the on byte
    void setColour(const QColor& c);
    void setBrightnessStep(int step) { bytes[5] = uint8_t(qBound(1, step, kStepCount) - 1); }
    void setSpeedStep(int step) { bytes[4] = uint8_t(qBound(1, step, kStepCount) - 1); }
    bool operator==(const ReceiverBar& o) const { return bytes == o.bytes; }
};

// Indicator LED mode shown for a stored byte (nearest mode).
int ledModeOf(int byte);
// Status-LED check box (0 … 2) for DongleRGB byte 0; -1 when it names no behaviour.
int statusBoxOf(int byte);

// Sections the selected model has, from its device-table row.
struct Sections {
    bool mouseLight = false;
    bool receiveLight = false;
    bool oneLed = false;
    bool threeLed = false;
};
Sections sectionsOf(const ModelRow& row, bool wired);

// Colour of the preview at `ms` milliseconds for position `at` (0 … 1 along the bar). Off is black.
QColor previewColour(int effect, const QColor& colour, int brightnessStep, int speedStep, qint64 ms,
                     double at);
// Whether the preview of an effect changes over time.
bool previewMoves(int effect);
// One cycle of a moving preview at a speed step: 6 s at step 1, 0.6 s at step 10.
double previewPeriodMs(int speedStep);

} // namespace LightRules
