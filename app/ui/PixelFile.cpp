#include "app/ui/PixelFile.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <cstring>

namespace {
constexpr char kMagic[8] = {'Z', 'F', 'P', 'I', 'X', 'E', 'L', '1'};
constexpr qint64 kHeader = 16;
constexpr quint32 kMaxSide = 16384; // far above any window; keeps width * height * 4 within qint64

void closeMapping(void* file) {
    delete static_cast<QFile*>(file); // unmaps as it closes
}
} // namespace

namespace PixelFile {

QImage map(const QString& path) {
#if Q_BYTE_ORDER != Q_LITTLE_ENDIAN
    Q_UNUSED(path);
    return QImage(); // the pixels are stored little-endian: such a machine reads the PNG
#else
    auto* file = new QFile(path);
    char header[kHeader];
    if (!file->open(QIODevice::ReadOnly) || file->read(header, kHeader) != kHeader ||
        memcmp(header, kMagic, sizeof kMagic) != 0) {
        delete file;
        return QImage();
    }
    const quint32 width = qFromLittleEndian<quint32>(header + 8);
    const quint32 height = qFromLittleEndian<quint32>(header + 12);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
        file->size() != kHeader + qint64(width) * height * 4) {
        delete file;
        return QImage();
    }
    const uchar* pixels = file->map(kHeader, file->size() - kHeader);
    if (!pixels) {
        delete file;
        return QImage();
    }
    // Read-only data: a painter never writes to it, and a change would detach a copy first.
    return QImage(pixels, int(width), int(height), int(width) * 4, QImage::Format_ARGB32_Premultiplied,
                  &closeMapping, file);
#endif
}

bool write(const QImage& image, const QString& path) {
    if (image.isNull() || quint32(image.width()) > kMaxSide || quint32(image.height()) > kMaxSide)
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QByteArray out(kMagic, sizeof kMagic);
    char size[8];
    qToLittleEndian<quint32>(quint32(argb.width()), size);
    qToLittleEndian<quint32>(quint32(argb.height()), size + 4);
    out.append(size, 8);
    out.reserve(int(kHeader) + argb.width() * argb.height() * 4);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            char pixel[4];
            qToLittleEndian<quint32>(row[x], pixel);
            out.append(pixel, 4);
        }
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.commit();
}

QString besidePng(const QString& png) {
    QString path = png;
    if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        path.chop(4);
    return path + QStringLiteral(".pixels");
}

} // namespace PixelFile
