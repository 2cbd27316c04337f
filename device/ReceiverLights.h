#pragma once
// The receiver's own lights, outside the record: its light bar (7 bytes), its three indicator LEDs
// (3 bytes) and its status LED (DongleRGB). Like the setting writers, every command first asks whether
// the selected device answers; a refused or failed command raises the offline notice (unless a page is
// loading) and returns false, leaving the caller's buffer as it was.

#include "app/core/DongleRGB.h"

#include <array>
#include <cstdint>

namespace ReceiverLights {

using Bar = std::array<uint8_t, 7>;
using Leds = std::array<uint8_t, 3>;

// Reads fill `out` only when the receiver answered; a failed read leaves it untouched.
bool readBar(Bar& out);
bool readLeds(Leds& out);
bool readStatus(DongleRGB& out);

bool sendBar(const Bar& bar);
bool sendLeds(const Leds& leds);
bool sendStatus(const DongleRGB& value);

} // namespace ReceiverLights
