#pragma once
// The value forms of the command line: switches, numbers with an optional unit, colours and times.

#include <QString>
#include <cstdint>

namespace Ctl {

// "on", "1", "true" / "off", "0", "false", any case.
bool parseSwitch(const QString& text, uint8_t& out);
// A decimal number, the unit (any case) allowed after it: "500", "500Hz".
bool parseInt(QString text, int& out, const QString& unit = QString());
// "RRGGBB", "#RRGGBB" or "R,G,B" with each part 0 … 255.
bool parseColour(const QString& text, int rgb[3]);
// Seconds as "300", "300s" or "5min".
bool parseSeconds(const QString& text, int& seconds);

} // namespace Ctl
