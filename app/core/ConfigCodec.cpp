#include "app/core/ConfigCodec.h"

#include <QByteArray>
#include <QSet>

namespace ConfigCodec {
QString substitute(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        const ushort u = c.unicode();
        if (u >= 'a' && u <= 'z')
            c = QChar('a' + (u - 'a' + 13) % 26);
        else if (u >= 'A' && u <= 'Z')
            c = QChar('A' + (u - 'A' + 13) % 26);
        else if (u >= '0' && u <= '9')
            c = QChar('0' + (u - '0' + 5) % 10);
    }
    return out;
}

QString encode(const QString& plain) {
    return QString::fromLatin1(substitute(plain).toUtf8().toBase64());
}

QString decode(const QString& encoded) {
    const auto result =
        QByteArray::fromBase64Encoding(encoded.trimmed().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return QString();
    return substitute(QString::fromUtf8(*result));
}

bool isPlainKey(const QString& key) {
    static const QSet<QString> plain = {
        "MM",  "DM",      "D2M",          "D4M",           "D8M",           "Sensor",       "CID",
        "VID", "USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID"};
    return plain.contains(key);
}
} // namespace ConfigCodec
