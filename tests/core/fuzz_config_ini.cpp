// Fuzz target for Config.ini: the INI reader with its encoded values, and the value codec on its own.
#include "app/core/ConfigCodec.h"
#include "app/core/IniStores.h"
#include "tests/common/MemoryFile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));

    // A stored value of any shape decodes to some text or to nothing; what the codec writes reads back.
    const QString text = QString::fromUtf8(bytes);
    ConfigCodec::decode(text);
    if (!text.contains(QChar::ReplacementCharacter) && ConfigCodec::decode(ConfigCodec::encode(text)) != text)
        __builtin_trap();

    static MemoryFile file;
    if (!file.set(data, size))
        return 0;
    const IniStore store(file.path(), "UTF8", true);
    QSettings keys(file.path(), QSettings::IniFormat);
    for (const QString& group : store.groups()) {
        keys.beginGroup(group);
        for (const QString& key : keys.childKeys()) {
            store.list(group, key);
            store.intValue(group, key, -1);
        }
        keys.endGroup();
    }
    return 0;
}
