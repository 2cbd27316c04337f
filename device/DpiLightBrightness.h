#pragma once
// The DPI light's brightness: slider steps 1 … 10 and the record byte of each. One table for the
// lighting page and zentrafoxctl, so both show the same step for a byte.
#include <cstdint>
#include <cstdlib>

namespace DpiLightBrightness {

constexpr int kSteps = 10;
constexpr uint8_t kBytes[kSteps] = {16, 30, 60, 90, 128, 150, 180, 210, 230, 255};

// Steps outside 1 … 10 are clamped.
inline uint8_t byteOf(int step) {
    return kBytes[(step < 1 ? 1 : step > kSteps ? kSteps : step) - 1];
}

// A byte of the table gives its step; 1 … 10 count as the step itself; any other byte the nearest entry.
inline int stepOf(int byte) {
    for (int i = 0; i < kSteps; ++i)
        if (kBytes[i] == byte)
            return i + 1;
    if (byte >= 1 && byte <= kSteps)
        return byte;
    int best = 0;
    for (int i = 1; i < kSteps; ++i)
        if (std::abs(kBytes[i] - byte) < std::abs(kBytes[best] - byte))
            best = i;
    return best + 1;
}

} // namespace DpiLightBrightness
