// Fuzz target for the record cache file ("Device_CIDxx_MIDyy.bin"): the input is the file of the first
// model in the shipped device table, read plainly and through the record check the offline start uses.
#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"
#include "device/DeviceCache.h"
#include "device/DeviceTable.h"
#include "device/RecordCheck.h"
#include "sensor/DpiCodec.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdint>
#include <cstring>

namespace {
QTemporaryDir* g_dir = nullptr;
uint8_t g_cid = 0, g_mid = 0;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_dir = new QTemporaryDir; // kept for the whole run: HOME and the application folder
    qputenv("HOME", g_dir->path().toLocal8Bit());
    qputenv("ZF_APP_DIR", g_dir->path().toLocal8Bit());
    QDir().mkpath(g_dir->path() + QStringLiteral("/usersetting"));
    // The shipped table, encoded as the program reads it.
    const IniStore source(QStringLiteral(ZF_CONFIG_SOURCE), "UTF-8", false);
    IniStore shipped(g_dir->path() + QStringLiteral("/usersetting/Config.ini"), "UTF8", true);
    QSettings keys(QStringLiteral(ZF_CONFIG_SOURCE), QSettings::IniFormat);
    for (const QString& group : source.groups()) {
        keys.beginGroup(group);
        for (const QString& key : keys.childKeys())
            shipped.setList(group, key, source.list(group, key));
        keys.endGroup();
    }
    shipped.sync();
    ConfigIniStore::resetForTests();
    const DeviceTable table = DeviceTable::load();
    if (!table.rows().isEmpty()) {
        g_cid = table.rows().first().cid;
        g_mid = table.rows().first().mid;
    }
    RecordCheck::setDpiDecoder(&DpiCodec::decodeForRow);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QDir().mkpath(DeviceCache::folder());
    QFile file(DeviceCache::filePath(g_cid, g_mid));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();

    FlashDataMap out;
    std::memset(out.data(), 0xA5, FlashDataMap::kSize);
    const bool whole = size == 4 + FlashDataMap::kSize && data[0] == 0 && data[1] == 0 &&
                       data[2] == uint8_t(FlashDataMap::kSize >> 8) &&
                       data[3] == uint8_t(FlashDataMap::kSize);
    const bool loaded = DeviceCache::load(g_cid, g_mid, out);
    // Only a complete file loads, and a refused one leaves the record as it was.
    if (loaded != whole || (loaded && std::memcmp(out.data(), data + 4, FlashDataMap::kSize) != 0))
        __builtin_trap();
    if (!loaded && out.data()[0] != 0xA5)
        __builtin_trap();
    FlashDataMap checked;
    std::memset(checked.data(), 0x5A, FlashDataMap::kSize);
    if (!DeviceCache::loadChecked(g_cid, g_mid, checked) && checked.data()[FlashDataMap::kSize - 1] != 0x5A)
        __builtin_trap();
    return 0;
}
