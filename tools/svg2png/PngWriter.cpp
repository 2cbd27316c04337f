#include "PngWriter.h"

#include <QByteArray>
#include <QImage>
#include <QSaveFile>
#include <QtEndian>
#include <array>
#include <cstdint>

namespace {

uint32_t crc32(const QByteArray& data) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (char byte : data)
        c = table[(c ^ uint8_t(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void appendChunk(QByteArray& out, const char* type, const QByteArray& body) {
    char length[4];
    qToBigEndian<quint32>(quint32(body.size()), length);
    out.append(length, 4);
    QByteArray typed = QByteArray(type, 4) + body;
    out.append(typed);
    char crc[4];
    qToBigEndian<quint32>(crc32(typed), crc);
    out.append(crc, 4);
}

} // namespace

bool writeFastPng(const QImage& image, const QString& path) {
    if (image.isNull())
        return false;
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    const int width = rgba.width(), height = rgba.height(), stride = width * 4;

    // Unfiltered rows: each starts with filter type 0 and holds the pixels as they are.
    QByteArray raw;
    raw.reserve((stride + 1) * height);
    for (int y = 0; y < height; ++y) {
        raw.append('\0');
        raw.append(reinterpret_cast<const char*>(rgba.constScanLine(y)), stride);
    }

    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(width), header.data());
    qToBigEndian<quint32>(quint32(height), header.data() + 4);
    header[8] = 8; // bits per channel
    header[9] = 6; // RGBA; compression, filter method and interlace stay 0

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", qCompress(raw, 9).mid(4)); // qCompress puts the length before the zlib stream
    appendChunk(png, "IEND", QByteArray());

    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(png) == png.size() && file.commit();
}
