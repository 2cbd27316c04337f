// Fuzz target for what the lighting page shows of bytes that come from the device: the record's light
// fields (from 0x9A, then moving-off and the light-off time), the receiver's bar, LED and status buffers,
// and the preview drawn from them. Every shown value must fall inside its control's range.
#include "light/LightRules.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace LightRules;

static void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

static bool inRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t in[13 + 7 + 3 + 8 + 4] = {};
    std::memcpy(in, data, std::min(size, sizeof in));

    FlashDataMap r;
    r.clear();
    std::memcpy(r.data() + 0x9a, in, 11);
    r.movingOffLight = in[11];
    r.sleepTime = r.sleepTimeCopy = in[12];
    const MouseLightView v = viewOf(r);
    check(inRange(v.dpiEffect, 0, kDpiEffectCount - 1) && (v.dpiEffect == 0) == (r.dpiLightOn == 0),
          "dpi effect");
    check(inRange(v.dpiSpeed, 1, kDpiSpeedSteps) && inRange(v.dpiBrightness, 1, kStepCount), "dpi steps");
    check(inRange(v.barEffect, 0, kEffectCount - 1) && (v.barEffect == 0) == (r.lightBarOn == 0),
          "bar effect");
    check(inRange(v.barBrightness, 1, kStepCount) && inRange(v.barSpeed, 1, kStepCount), "bar steps");
    check(inRange(v.lightOffIndex, 0, kLightOffCount - 1), "light-off index");
    // The entry shown writes a byte that shows the same entry again.
    check(dpiBrightnessStep(dpiBrightnessByte(v.dpiBrightness)) == v.dpiBrightness, "brightness table");
    check(lightOffIndex(lightOffValue(v.lightOffIndex)) == v.lightOffIndex, "light-off table");

    ReceiverBar bar;
    std::memcpy(bar.bytes.data(), in + 13, 7);
    const ReceiverBar read = bar;
    check(inRange(bar.shownEffect(), 0, kEffectCount - 1), "receiver effect");
    check(inRange(bar.brightnessStep(), 1, kStepCount) && inRange(bar.speedStep(), 1, kStepCount),
          "receiver steps");
    check(bar == read, "showing changed the buffer");
    bar.setEffect(bar.shownEffect());
    check((bar.bytes[6] != 0) == (bar.bytes[0] != 0), "on byte");
    for (int i = 0; i < 3; ++i)
        check(inRange(ledModeOf(in[20 + i]), 0, kLedModeCount - 1), "led mode");
    check(inRange(statusBoxOf(in[23]), -1, kStatusBehaviours - 1), "status box");

    const QColor c = previewColour(in[31] % 9 - 1, QColor(in[14], in[15], in[16]), in[32] % 12, in[33] % 12,
                                   qint64(in[34]) * 9973, in[31] / 255.0);
    check(c.isValid(), "preview colour");
    return 0;
}
