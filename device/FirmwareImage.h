#pragma once
// Firmware images in the program's "/bin" folder: "*.bin" files whose 856-byte header names the image
// type, the model's CID and MID, its name and its version.

#include <QString>
#include <cstdint>

namespace FirmwareImage {
constexpr uint8_t kMouseImage = 211;
constexpr uint8_t kReceiverImage = 210;
constexpr int kHeaderSize = 856;

QString folder(); // the program's "/bin"
// The last file in listing order whose header has the type, CID, MID and model name and whose version
// differs from `currentVersion` ("v1.05" or "1.05"; any version when it is empty). Empty when there is
// none, no folder, or no model name.
QString find(uint8_t type, const QString& modelName, uint8_t cid, uint8_t mid, const QString& currentVersion);
} // namespace FirmwareImage
