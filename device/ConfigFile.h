#pragma once
// Whole-configuration exchange file (".bin"): three Qt data-stream byte arrays — a 12-byte magic
// "Qorix", the 12-byte sensor name and the 10544-byte record — 10580 bytes in all. No widgets and
// no notices: callers get a result code and a short English reason, and show what they like.

#include "app/core/FlashDataMap.h"

#include <QByteArray>
#include <QString>

namespace ConfigFile {

enum Result : int {
    Accepted = 0,   // the record may replace the device's
    Unreadable = 1, // cannot be opened, wrong size or layout, magic not "Qorix"
    Mismatch = 2,   // another sensor, or DPI levels the device cannot hold
};

constexpr int kFieldSize = 12;
constexpr int kFileSize = 3 * 4 + kFieldSize + kFieldSize + FlashDataMap::kSize; // 10580

struct Outcome {
    int result = Unreadable;
    QString reason;      // empty when accepted
    FlashDataMap record; // meaningful only when accepted
};

// The sensor name as stored: UTF-8, cut at a character boundary to at most 11 bytes, then zeros.
QByteArray sensorField(const QString& sensorName);

// The complete file image for a record taken from a device with that sensor.
QByteArray encode(const FlashDataMap& record, const QString& sensorName);

// Checks in this order: size 10580 and array lengths 12/12/10544 (1), magic (1), sensor name (2),
// DPI level count 1 … dpiMaxGrade (8 when dpiMaxGrade is not 1 … 8) and current level below it (2).
Outcome decode(const QByteArray& bytes, const QString& sensorName, int dpiMaxGrade);

// decode() of a file; a missing, unreadable or oversized file is Unreadable without being read whole.
Outcome read(const QString& path, const QString& sensorName, int dpiMaxGrade);

// Written atomically (QSaveFile): on false the previous file, if any, is untouched and `reason`
// (when given) says why.
bool write(const QString& path, const FlashDataMap& record, const QString& sensorName,
           QString* reason = nullptr);

} // namespace ConfigFile
