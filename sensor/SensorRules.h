#pragma once
// The sensor settings' value rules without their widgets: report-rate codes and which rates a
// connection carries, the lift-off-distance item sets, the sleep-time choices and DPI value snapping.
// The sensor widgets show these; zentrafoxctl applies the same rules from a terminal.

#include <QString>
#include <QStringList>
#include <QVector>

struct DpiRanges;

namespace SensorRules {

// Report rate: index 0 … 6 is 125 … 8000 Hz.
constexpr int kRateCount = 7;
int rateAt(int index);         // Hz, 0 for an index outside 0-6
int rateCodeAt(int index);     // record code, 0 outside 0-6
int rateIndexOfCode(int code); // -1 for an unknown code
// Rate mode from the connection kind: 0 or 2 -> 0, 1 -> 1, 4 -> 2, 3 or 5 -> 3, others 0.
int rateModeForKind(int kind);
// Whether a rate mode offers rate `index`: 0 up to 1000 Hz; 1 also 2000 and 4000; 2 also 2000; 3 all.
bool rateOffered(int mode, int index);

// Lift-off distance: the item set of a sensor model and each item's text, stored code and language key.
enum class LodSet { Two, Three, Five };
LodSet lodSetForModel(const QString& model);
QStringList lodTexts(LodSet set);
QVector<int> lodCodes(LodSet set);
QStringList lodKeys(LodSet set); // "LODOptions" keys: tenths of a millimetre

// Sleep time: eleven choices, each stored in units of 10 seconds.
constexpr int kSleepCount = 11;
int sleepValue(int index);        // 0 outside 0-10
int sleepIndexOfValue(int value); // -1 when no choice stores it

// DPI value snapping on the ranges: inside range j down to a multiple of its step, in the gap after
// range j up to the start of range j + 1; a value outside every range is left as it is. pageStep
// receives the step of the range used (when not null).
int snapDpi(const DpiRanges& ranges, int value, int* pageStep = nullptr);
// The next value up or down by the step buttons' rules.
int stepDpiUp(const DpiRanges& ranges, int value);
int stepDpiDown(const DpiRanges& ranges, int value);

} // namespace SensorRules
