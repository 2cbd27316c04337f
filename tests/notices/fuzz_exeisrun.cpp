// Fuzz target for the texts of the "already running" notice: the input is read both as one of its small
// XML files and as a language JSON file.
#include "app/notices/ExeIsRun.h"
#include "tests/common/QtJsonLeak.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {
QTemporaryDir* g_dir = nullptr;

QHash<QString, QString> readAs(const char* name, const uint8_t* data, size_t size) {
    const QString path = g_dir->path() + QLatin1Char('/') + QLatin1String(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    return ExeIsRun::readTexts(path);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_dir = new QTemporaryDir; // kept for the whole run
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    readAs("3-Korea.xml", data, size);
    const QtJsonLeakPause pause;
    readAs("en.json", data, size);
    return 0;
}
