// Fuzz target for the raw pixel pictures the device list maps at start.
#include "app/ui/PixelFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {
QTemporaryDir* g_dir = nullptr;
volatile quint32 g_sink = 0; // keeps the reads of every pixel
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_dir = new QTemporaryDir; // kept for the whole run
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = g_dir->filePath(QStringLiteral("p.pixels"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    const QImage image = PixelFile::map(path);
    if (image.isNull())
        return 0;
    // A mapped picture covers exactly the file: every pixel is read, as drawing it would.
    if (qint64(size) != 16 + qint64(image.width()) * image.height() * 4)
        __builtin_trap();
    quint32 sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            sum += row[x];
    }
    g_sink = sum;
    return 0;
}
