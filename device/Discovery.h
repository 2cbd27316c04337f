#pragma once
// Finding the supported devices of the device table and identifying each one by its CID and MID.

#include "app/core/DeviceAllInfo.h"

#include <QList>
#include <QString>
#include <QStringList>

class DeviceTable;

namespace Discovery {
enum class Finder { Default, ByDeviceId };

// The cable list first, then the receiver lists; duplicates dropped, first occurrence kept.
QStringList mergedPidList();
int deviceTotal();               // rows of the device table (DeviceTable::rowCount)
QString driveGroup(int32_t row); // "Drive" + (row + 1)

// 0 no answer in ten tries, 1 table model, 2 CID known but MID not, 3 unknown CID.
int identify(DeviceAllInfo& info);
// The same against a given selection (an empty path = nothing selected); the selected device is
// replaced when `info` carries its path.
int identify(DeviceAllInfo& info, const DeviceAllInfo& selected);
int identify(DeviceAllInfo& info, const DeviceAllInfo& selected, const DeviceTable& table);
// Runs the finder over every VID and PID of the table. The chooser (Default) lists every supported
// device; the device pages (ByDeviceId) with a device selected keep only the selected model's entries
// and refresh the selected device from its own entry.
// A library stuck in the scan is waited for at most DeviceSession::kScanWaitMs: scan() is then false and
// leaves `out` alone, enumerate() finds nothing.
bool scan(Finder finder, QList<DeviceAllInfo>& out);
QList<DeviceAllInfo> enumerate(Finder finder);
// Online mark and receiver address from the library; offline when it does not answer in time.
void markOnline(DeviceAllInfo& info);
// Picture file name for an entry: "OnLine"/"DisOnLine" + the row's "DisOnLine" number, or "Unknow.png".
QString pictureName(const DeviceAllInfo& info, bool online);
int pictureNumber(const DeviceAllInfo& info); // -1 without a row
// More than one found device of the same model and connection.
bool hasIdenticalDevices(const QList<DeviceAllInfo>& devices);
// Receiver class from the connection kind: 0 -> 1, 4 -> 2, 1 -> 4, 5 -> 8, otherwise 0.
int receiverClass(uint16_t kind);
QString versionText(uint16_t version);
} // namespace Discovery
