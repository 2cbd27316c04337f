#pragma once
// Whether a record from outside the mouse (a cache file) can be shown as a model's settings: checked
// like an imported configuration, so a file of the right length with nonsense in it is refused.

#include "device/DeviceTable.h"
#include "app/core/FlashDataMap.h"

#include <QString>
#include <functional>

namespace RecordCheck {
// The DPI value shown for one axis of one level. Decoding needs the sensor's code tables, which the
// sensor layer owns, so it installs the decoder; without one the values are not checked.
using DpiDecoder = std::function<int(const FlashDataMap& record, const ModelRow& row, int level, bool yAxis)>;
void setDpiDecoder(DpiDecoder decoder); // any thread; an empty function removes it

// Empty when the record fits the row: level count 1 … 8 (and at most the row's "DPIMaxGrade"),
// current level below the count, every used level's X and Y value inside the row's DPI span.
// Otherwise a short English reason for the log.
QString problem(const FlashDataMap& record, const ModelRow& row);
} // namespace RecordCheck
