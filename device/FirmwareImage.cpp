#include "device/FirmwareImage.h"

#include "app/core/AppPaths.h"

#include <QDir>
#include <QFile>

namespace FirmwareImage {

bool parseHeader(const QByteArray& image, Header& out) {
    if (image.size() < kHeaderSize)
        return false;
    const auto* h = reinterpret_cast<const uint8_t*>(image.constData());
    out.version = uint16_t(h[16] | (h[17] << 8));
    out.type = h[20];
    out.cid = h[21];
    out.mid = h[22];
    const QByteArray rawName = image.mid(kNameOffset, kNameSize);
    const int end = rawName.indexOf('\0');
    out.name = QString::fromLocal8Bit(end < 0 ? rawName : rawName.left(end));
    return true;
}

QString versionText(uint16_t version) {
    return QString::asprintf("%d.%02X", version >> 8, version & 0xFF);
}

QString normalisedVersion(const QString& text) {
    QString version = text.trimmed();
    if (version.startsWith(QLatin1Char('v')) || version.startsWith(QLatin1Char('V')))
        version.remove(0, 1);
    return version;
}

QString folder() {
    // Tests that write images of their own point this elsewhere, so the shipped ones are never touched.
    const QByteArray own = qgetenv("ZF_FIRMWARE_DIR");
    return own.isEmpty() ? AppPaths::appDir() + QStringLiteral("/bin") : QString::fromLocal8Bit(own);
}

namespace {
bool accepts(const Header& h, uint8_t type, const QString& modelName, uint8_t cid, uint8_t mid,
             const QString& current) {
    return h.type == type && h.cid == cid && h.mid == mid && h.name == modelName &&
           (current.isEmpty() || versionText(h.version) != current);
}
} // namespace

QString find(uint8_t type, const QString& modelName, uint8_t cid, uint8_t mid,
             const QString& currentVersion) {
    const QDir dir(folder());
    if (modelName.isEmpty() || !dir.exists())
        return QString();
    const QString current = normalisedVersion(currentVersion);
    QString chosen;
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name)) {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        Header header;
        if (parseHeader(file.read(kHeaderSize), header) &&
            accepts(header, type, modelName, cid, mid, current))
            chosen = info.filePath();
    }
    return chosen;
}

Image load(uint8_t type, const QString& modelName, uint8_t cid, uint8_t mid, const QString& currentVersion) {
    Image image;
    image.path = find(type, modelName, cid, mid, currentVersion);
    QFile file(image.path);
    if (image.path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return Image();
    image.data = file.readAll();
    // The file may have changed since the listing: it must still be the image that was chosen.
    if (!parseHeader(image.data, image.header) ||
        !accepts(image.header, type, modelName, cid, mid, normalisedVersion(currentVersion)))
        return Image();
    return image;
}
} // namespace FirmwareImage
