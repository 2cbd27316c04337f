#include "device/FirmwareImage.h"

#include "app/core/AppPaths.h"

#include <QDir>
#include <QFile>

namespace FirmwareImage {
namespace {
QString normalised(QString version) {
    version = version.trimmed();
    if (version.startsWith(QLatin1Char('v')) || version.startsWith(QLatin1Char('V')))
        version.remove(0, 1);
    return version;
}
} // namespace

QString folder() {
    return AppPaths::appDir() + QStringLiteral("/bin");
}

QString find(uint8_t type, const QString& modelName, uint8_t cid, uint8_t mid,
             const QString& currentVersion) {
    const QDir dir(folder());
    if (modelName.isEmpty() || !dir.exists())
        return QString();
    const QString current = normalised(currentVersion);
    QString chosen;
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name)) {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray image = file.readAll();
        if (image.size() < kHeaderSize)
            continue; // too short to carry a header: not an image
        const auto* h = reinterpret_cast<const uint8_t*>(image.constData());
        if (h[20] != type || h[21] != cid || h[22] != mid)
            continue;
        const QByteArray rawName = image.mid(87, 64);
        const int end = rawName.indexOf('\0');
        if (QString::fromLocal8Bit(end < 0 ? rawName : rawName.left(end)) != modelName)
            continue;
        const uint16_t version = uint16_t(h[16] | (h[17] << 8));
        const QString text = QString::asprintf("%d.%02X", version >> 8, version & 0xFF);
        if (current.isEmpty() || text != current)
            chosen = info.filePath();
    }
    return chosen;
}
} // namespace FirmwareImage
