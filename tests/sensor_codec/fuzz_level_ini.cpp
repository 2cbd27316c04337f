// Fuzz target for "Level.ini", the DPI editor's level count before any device data arrives.
#include "app/core/AppPaths.h"
#include "sensor/SensorCapability.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {
QTemporaryDir* g_home = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_home = new QTemporaryDir; // kept for the whole run
    qputenv("HOME", g_home->path().toLocal8Bit());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString folder = AppPaths::userDataRoot() + QStringLiteral("/usersetting/SensorPage");
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/Level.ini"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    const int count = readLevelIniCount();
    if (count < 1 || count > 8) // the editor indexes eight levels
        __builtin_trap();
    return 0;
}
