// Fuzz target for the record cache file ("Device_CIDxx_MIDyy.bin"): the input is the file of the first
// model in the shipped device table, read plainly and through the record check the offline start uses.
#include "app/core/IniStores.h"
#include "device/DeviceCache.h"
#include "device/DeviceTable.h"
#include "device/RecordCheck.h"
#include "sensor/DpiCodec.h"

#include <cstdint>
#include <cstring>

namespace {
const DeviceTable* g_table = nullptr;
uint8_t g_cid = 0, g_mid = 0;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_table = new DeviceTable(DeviceTable::load(IniStore(QStringLiteral(ZF_CONFIG_SOURCE), "UTF-8", false)));
    if (!g_table->rows().isEmpty()) {
        g_cid = g_table->rows().first().cid;
        g_mid = g_table->rows().first().mid;
    }
    RecordCheck::setDpiDecoder(&DpiCodec::decodeForRow);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    FlashDataMap out;
    std::memset(out.data(), 0xA5, FlashDataMap::kSize);
    const bool whole = size == 4 + FlashDataMap::kSize && data[0] == 0 && data[1] == 0 &&
                       data[2] == uint8_t(FlashDataMap::kSize >> 8) &&
                       data[3] == uint8_t(FlashDataMap::kSize);
    const bool loaded = DeviceCache::parse(bytes, out);
    // Only a complete file loads, and a refused one leaves the record as it was.
    if (loaded != whole || (loaded && std::memcmp(out.data(), data + 4, FlashDataMap::kSize) != 0))
        __builtin_trap();
    if (!loaded && out.data()[0] != 0xA5)
        __builtin_trap();
    FlashDataMap checked;
    std::memset(checked.data(), 0x5A, FlashDataMap::kSize);
    if (!DeviceCache::parseChecked(bytes, g_cid, g_mid, *g_table, checked) &&
        checked.data()[FlashDataMap::kSize - 1] != 0x5A)
        __builtin_trap();
    return 0;
}
