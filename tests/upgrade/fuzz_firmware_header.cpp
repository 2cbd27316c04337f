// Firmware image headers and the unfinished-upgrade record come from files a user can replace or damage.
#include "device/FirmwareImage.h"
#include "device/FirmwareUpgrade.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    FirmwareImage::Header header;
    if (FirmwareImage::parseHeader(bytes, header) && (size < 856u || header.name.size() > 64))
        __builtin_trap();
    Upgrade::FailInfo info;
    if (Upgrade::parseFailInfo(QString::fromUtf8(bytes), info) &&
        (info.type < 0 || info.type > 255 || info.mid < 0 || info.mid > 255))
        __builtin_trap();
    return 0;
}
