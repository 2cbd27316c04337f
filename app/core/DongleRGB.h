#pragma once
#include <cstdint>

// Receiver status-LED value: byte 0 is the behaviour (1, 2 or 3; 0 = none), the rest is carried unchanged.
struct DongleRGB {
    uint8_t bytes[8];
};
static_assert(sizeof(DongleRGB) == 8, "DongleRGB");
