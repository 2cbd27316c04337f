#include "light/LightRules.h"

#include "device/DeviceTable.h"
#include "device/DpiLightBrightness.h"

#include <cmath>
#include <cstdlib>

namespace LightRules {

namespace {
const uint8_t kLightOff[kLightOffCount] = {1, 3, 6, 30, 60, 90, 120, 150, 180, 210, 240};
const uint8_t kPresets[kPresetCount][3] = {{255, 0, 0},    {0, 255, 255},  {0, 255, 0},     {255, 0, 255},
                                           {255, 255, 0},  {255, 80, 0},   {0, 0, 255},     {227, 0, 127},
                                           {46, 166, 223}, {96, 25, 133},  {255, 255, 255}, {139, 178, 36},
                                           {255, 155, 51}, {208, 113, 173}};

template <size_t N> int nearestIndex(const uint8_t (&table)[N], int value) {
    int best = 0;
    for (int i = 1; i < int(N); ++i)
        if (std::abs(table[i] - value) < std::abs(table[best] - value))
            best = i;
    return best;
}
} // namespace

EffectLook effectLook(int effect) {
    EffectLook look;
    if (effect <= 0 || effect >= kEffectCount)
        return look;
    look.brightness = true;
    look.speed = effect != 3;
    look.colour = effect == 2 || effect == 3;
    look.lastPresetOnly = effect == 6;
    return look;
}

bool dpiShowsBrightness(int effect) {
    return effect == 1;
}

bool dpiShowsSpeed(int effect) {
    return effect == 2;
}

uint8_t dpiBrightnessByte(int step) {
    return DpiLightBrightness::byteOf(step);
}

int dpiBrightnessStep(int byte) {
    return DpiLightBrightness::stepOf(byte);
}

uint8_t lightOffValue(int index) {
    return index >= 0 && index < kLightOffCount ? kLightOff[index] : 0;
}

int lightOffIndex(int value) {
    return nearestIndex(kLightOff, value);
}

QColor presetColour(int index) {
    if (index < 0 || index >= kPresetCount)
        return QColor();
    return QColor(kPresets[index][0], kPresets[index][1], kPresets[index][2]);
}

int stepOfByte(int byte) {
    return qBound(1, byte + 1, kStepCount);
}

MouseLightView viewOf(const FlashDataMap& r) {
    MouseLightView v;
    v.dpiEffect = r.dpiLightOn == 0 ? 0 : qBound(1, int(r.dpiLightEffect), kDpiEffectCount - 1);
    v.dpiSpeed = qBound(1, int(r.dpiLightSpeed), kDpiSpeedSteps);
    v.dpiBrightness = dpiBrightnessStep(r.dpiLightBrightness);
    v.barEffect = r.lightBarOn == 0 ? 0 : qBound(1, int(r.lightBarEffect), kEffectCount - 1);
    v.barBrightness = stepOfByte(r.lightBarBrightness);
    v.barSpeed = stepOfByte(r.lightBarSpeed);
    v.barColour = QColor(r.lightBarColour[0], r.lightBarColour[1], r.lightBarColour[2]);
    v.movingOff = r.movingOffLight != 0;
    v.lightOffIndex = lightOffIndex(r.sleepTime);
    return v;
}

int ReceiverBar::shownEffect() const {
    return bytes[6] == 0 ? 0 : qBound(0, int(bytes[0]), kEffectCount - 1);
}

void ReceiverBar::setEffect(int effect) {
    bytes[0] = uint8_t(qBound(0, effect, kEffectCount - 1));
    bytes[6] = bytes[0] != 0 ? 1 : 0;
}

void ReceiverBar::setColour(const QColor& c) {
    bytes[1] = uint8_t(c.red());
    bytes[2] = uint8_t(c.green());
    bytes[3] = uint8_t(c.blue());
}

int ledModeOf(int byte) {
    return qBound(0, byte, kLedModeCount - 1);
}

int statusBoxOf(int byte) {
    return byte >= 1 && byte <= kStatusBehaviours ? byte - 1 : -1;
}

Sections sectionsOf(const ModelRow& row, bool wired) {
    Sections s;
    s.mouseLight = row.mouseLight;
    s.receiveLight = row.recevieLight;
    s.threeLed = row.threeLed;
    s.oneLed = row.oneLed && !wired && row.adveanced.value(1) != QLatin1String("-1");
    return s;
}

bool previewMoves(int effect) {
    return effect != 0 && effect != 3;
}

double previewPeriodMs(int speedStep) {
    return 6000.0 / qBound(1, speedStep, kStepCount);
}

QColor previewColour(int effect, const QColor& colour, int brightnessStep, int speedStep, qint64 ms,
                     double at) {
    if (effect <= 0 || effect >= kEffectCount)
        return QColor(Qt::black);
    const double level = 0.2 + 0.8 * qBound(1, brightnessStep, kStepCount) / double(kStepCount);
    const double period = previewPeriodMs(speedStep);
    const double phase = std::fmod(double(ms) / period, 1.0);
    const double breath = 0.15 + 0.85 * (0.5 - 0.5 * std::cos(2 * M_PI * phase));
    const auto hsv = [&](double hue, double value) {
        return QColor::fromHsvF(std::fmod(hue + 1.0, 1.0), 1.0, qBound(0.0, value * level, 1.0));
    };
    const auto scaled = [&](const QColor& c, double value) {
        return QColor::fromRgbF(c.redF() * value * level, c.greenF() * value * level,
                                c.blueF() * value * level);
    };
    switch (effect) {
    case 1: // colour flow: the rainbow runs along the bar
        return hsv(at - phase, 1.0);
    case 2: // single-colour breathing
        return scaled(colour, breath);
    case 3: // mixed steady: a still rainbow
        return hsv(at, 1.0);
    case 4: // neon: the whole bar walks through the hues
        return hsv(phase, 1.0);
    case 5: { // mixed breathing: a new hue for every breath
        const double cycle = std::floor(double(ms) / period);
        return hsv(std::fmod(cycle * 0.17, 1.0), breath);
    }
    default: { // custom: a pulse of the chosen colour travels along the bar
        const double d = std::fabs(std::fmod(at - phase + 1.5, 1.0) - 0.5);
        return scaled(colour, qMax(0.1, 1.0 - 3.0 * d));
    }
    }
}

} // namespace LightRules
