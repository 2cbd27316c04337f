#include "app/update/UpdateRules.h"

#include <QRegularExpression>
#include <QStringList>

namespace UpdateRules {

QString fileNamePattern() {
    return QStringLiteral("Zentrafox_v(\\d+\\.\\d+\\.\\d+\\.\\d+)_\\d+\\.\\d+\\.\\d+_setup\\.exe");
}

bool isNewerVersion(const QString& current, const QString& candidate) {
    const QStringList a = current.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    const QStringList b = candidate.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    const int n = std::max(a.size(), b.size());
    for (int i = 0; i < n; ++i) {
        // Parts beyond 64 bits are not numbers and count 0, like any other part that is not one.
        const qulonglong x = a.value(i).toULongLong();
        const qulonglong y = b.value(i).toULongLong();
        if (x < y)
            return true;
        if (x > y)
            return false;
    }
    return false;
}

Listing parseListing(const QByteArray& body) {
    static const QRegularExpression re(fileNamePattern(), QRegularExpression::CaseInsensitiveOption);
    const QString text = QString::fromUtf8(body).trimmed();
    Listing kept;
    auto it = re.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (kept.empty() || isNewerVersion(kept.version, m.captured(1)))
            kept = Listing{m.captured(1), m.captured(0)};
    }
    return kept;
}

QUrl listingUrl(const QString& base) {
    return QUrl(base + QLatin1Char('/'));
}

QUrl fileUrl(const QString& base, const QString& fileName) {
    return QUrl(base + QLatin1Char('/') + fileName);
}

QUrl checksumUrl(const QString& base, const QString& fileName) {
    return QUrl(base + QLatin1Char('/') + fileName + QStringLiteral(".sha256"));
}

bool secureForDownload(const QUrl& url) {
    return url.isValid() && url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 &&
           !url.host().isEmpty();
}

QByteArray parseChecksum(const QByteArray& body, const QString& fileName) {
    if (body.size() > kMaxChecksumBytes)
        return {};
    const QList<QByteArray> lines = body.trimmed().split('\n');
    if (lines.isEmpty())
        return {};
    const QByteArray line = lines.first().trimmed();
    const int space = line.indexOf(' ');
    const QByteArray hex = space < 0 ? line : line.left(space);
    if (hex.size() != 64)
        return {};
    for (char c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
    if (space >= 0) {
        QByteArray name = line.mid(space).trimmed();
        if (name.startsWith('*'))
            name.remove(0, 1);
        if (QString::fromUtf8(name) != fileName)
            return {};
    }
    return QByteArray::fromHex(hex);
}

} // namespace UpdateRules
