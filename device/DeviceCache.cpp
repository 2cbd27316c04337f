#include "device/DeviceCache.h"

#include "app/core/AppPaths.h"
#include "app/core/Logging.h"
#include "device/DeviceTable.h"
#include "device/RecordCheck.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstring>

namespace DeviceCache {

QString fileName(uint8_t cid, uint8_t mid) {
    return QString::asprintf("Device_CID%02X_MID%02X.bin", cid, mid);
}

QString folder() {
    return AppPaths::userDataRoot() + QStringLiteral("/Device_Info");
}

QString filePath(uint8_t cid, uint8_t mid) {
    return folder() + QLatin1Char('/') + fileName(cid, mid);
}

bool save(uint8_t cid, uint8_t mid, const FlashDataMap& record) {
    if (!QDir().mkpath(folder()))
        return false;
    QSaveFile file(filePath(cid, mid));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream stream(&file);
    stream << QByteArray(reinterpret_cast<const char*>(record.data()), FlashDataMap::kSize);
    if (stream.status() != QDataStream::Ok) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool parse(const QByteArray& bytes, FlashDataMap& out) {
    // The raw bytes are read here rather than through QDataStream: a foreign length prefix must not make
    // it allocate or accept a record of the wrong size.
    if (bytes.size() != 4 + FlashDataMap::kSize)
        return false;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData());
    const uint32_t length = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    if (length != uint32_t(FlashDataMap::kSize))
        return false;
    std::memcpy(out.data(), p + 4, FlashDataMap::kSize);
    return true;
}

bool parseChecked(const QByteArray& bytes, uint8_t cid, uint8_t mid, const DeviceTable& table,
                  FlashDataMap& out) {
    FlashDataMap candidate;
    if (!parse(bytes, candidate))
        return false;
    const int index = table.find(cid, mid);
    const QString why = RecordCheck::problem(candidate, index >= 0 ? table.at(index) : ModelRow());
    if (!why.isEmpty()) {
        qCWarning(lcDevice).noquote() << "cache" << fileName(cid, mid) << "refused:" << why;
        return false;
    }
    out = candidate;
    return true;
}

namespace {
// Up to one byte past a whole file, so a longer one is seen as foreign; nothing for a missing one.
QByteArray readFile(uint8_t cid, uint8_t mid) {
    QFile file(filePath(cid, mid));
    return file.open(QIODevice::ReadOnly) ? file.read(4 + FlashDataMap::kSize + 1) : QByteArray();
}
} // namespace

bool load(uint8_t cid, uint8_t mid, FlashDataMap& out) {
    return parse(readFile(cid, mid), out);
}

bool loadChecked(uint8_t cid, uint8_t mid, FlashDataMap& out) {
    return parseChecked(readFile(cid, mid), cid, mid, DeviceTable::load(), out);
}

} // namespace DeviceCache
