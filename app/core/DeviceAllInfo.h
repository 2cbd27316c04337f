#pragma once
#include <QList>
#include <QMetaType>
#include <QString>
#include <cstdint>

// One found device. The selected device is one process-wide instance (see SelectedDevice).
struct DeviceAllInfo {
    QString path;       // empty = no device selected
    QString vid;        // vendor id text it was found under
    QString pid;        // product id text it was found under
    uint8_t cid = 0;    // model class id
    uint8_t mid = 0;    // model id
    uint16_t kind = 0;  // connection kind; wired when (kind & 0xFA) != 0
    int32_t row = 0;    // 0-based device-table row; == DeviceTotal when no row matches
    uint8_t online = 0; // 1 when the mouse answers
    uint8_t wired = 0;  // 1 for a cable connection
    QString firmware;   // USB device (for a receiver connection: the receiver) version text
    QString mouseVersion;
    QList<uint8_t> address; // receiver address, 3 bytes

    static bool isWiredKind(uint16_t k) { return (k & 0xFA) != 0; }
};
Q_DECLARE_METATYPE(DeviceAllInfo)
