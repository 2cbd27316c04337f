#pragma once
// Per-model copy of the last record: "Device_CIDxx_MIDyy.bin" under the user data folder's
// "Device_Info". The file is a Qt data-stream byte array (big-endian length 10544, then the record).

#include "app/core/FlashDataMap.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

class DeviceTable;

namespace DeviceCache {
QString fileName(uint8_t cid, uint8_t mid);
QString folder();
QString filePath(uint8_t cid, uint8_t mid);
// Written atomically; false when the folder or the file cannot be written.
bool save(uint8_t cid, uint8_t mid, const FlashDataMap& record);
// true only for a complete, well-formed file; a missing, short or foreign file leaves `out` untouched.
bool load(uint8_t cid, uint8_t mid, FlashDataMap& out);
// load(), and the record must pass RecordCheck against the table row of that model; a refused file
// leaves `out` untouched and is logged with the reason.
bool loadChecked(uint8_t cid, uint8_t mid, FlashDataMap& out);
// The same over a file's bytes already read, the check against `table`: what load() and loadChecked() use.
bool parse(const QByteArray& bytes, FlashDataMap& out);
bool parseChecked(const QByteArray& bytes, uint8_t cid, uint8_t mid, const DeviceTable& table,
                  FlashDataMap& out);
} // namespace DeviceCache
