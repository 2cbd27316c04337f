#include "macro/core/MacroExport.h"

#include <QDataStream>
#include <QIODevice>

namespace MacroExport {

namespace {

constexpr QDataStream::Version kVersion = QDataStream::Qt_5_0;

QByteArray padded(const QByteArray& text, int length) {
    QByteArray field = text.left(length - 1);
    field.append(QByteArray(length - field.size(), '\0'));
    return field;
}

QByteArray untilZero(const QByteArray& field) {
    const int zero = field.indexOf('\0');
    return zero < 0 ? field : field.left(zero);
}

// UTF-8 cut to at most `max` bytes without splitting a character.
QByteArray utf8Within(const QString& text, int max) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= max)
        return bytes;
    int cut = max;
    while (cut > 0 && (uchar(bytes.at(cut)) & 0xC0) == 0x80)
        --cut;
    return bytes.left(cut);
}

bool readBytes(QDataStream& in, QByteArray& out) {
    in >> out;
    return in.status() == QDataStream::Ok;
}

// A PNG stream as Qt writes it inside an image record: the signature, then chunks up to IEND. Only the
// length is needed here, to step over it.
bool skipPng(QIODevice* dev) {
    static const char signature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    if (dev->read(8) != QByteArray(signature, 8))
        return false;
    for (;;) {
        const QByteArray head = dev->read(8);
        if (head.size() != 8)
            return false;
        const quint32 length = quint32(uchar(head[0])) << 24 | quint32(uchar(head[1])) << 16 |
                               quint32(uchar(head[2])) << 8 | quint32(uchar(head[3]));
        if (length > 0x7FFFFFFFu || qint64(length) + 4 > dev->bytesAvailable())
            return false;
        if (!dev->seek(dev->pos() + length + 4))
            return false;
        if (head.mid(4) == "IEND")
            return true;
    }
}

// The icon record: the engine's key, then what that engine writes. Pixmap icons (each image, file name,
// size, mode and state) and theme icons (a name) are stepped over; other engines cannot be.
bool skipIcon(QDataStream& in) {
    QString key;
    in >> key;
    if (in.status() != QDataStream::Ok)
        return false;
    if (key.isEmpty())
        return true;
    if (key == QLatin1String("QIconLoaderEngine")) {
        QString iconName;
        in >> iconName;
        return in.status() == QDataStream::Ok;
    }
    if (key != QLatin1String("QPixmapIconEngine"))
        return false;
    qint32 entries = 0;
    in >> entries;
    if (in.status() != QDataStream::Ok || entries < 0 || entries > 64)
        return false;
    for (int i = 0; i < entries; ++i) {
        qint32 hasImage = 0;
        in >> hasImage;
        if (in.status() != QDataStream::Ok || (hasImage != 0 && hasImage != 1))
            return false;
        if (hasImage && !skipPng(in.device()))
            return false;
        QString fileName;
        qint32 width = 0, height = 0;
        quint32 mode = 0, state = 0;
        in >> fileName >> width >> height >> mode >> state;
        if (in.status() != QDataStream::Ok)
            return false;
    }
    return true;
}

} // namespace

QByteArray write(const Record& record) {
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setVersion(kVersion);
    s << padded("Qorix", kMagicLength);
    s << padded(utf8Within(record.name, kNameLength - 1), kNameLength);
    s << padded(record.cycle.toLatin1(), kCycleLength);
    s << qint32(record.items.size());
    for (const Item& item : record.items) {
        s << item.text;
        s << QString(); // an empty icon record: the page sets its own icons
        if (item.isKey())
            s << padded(item.release ? "1" : "0", kFlagLength);
    }
    return out;
}

ReadResult read(const QByteArray& bytes, Record& out) {
    QDataStream in(bytes);
    in.setVersion(kVersion);
    QByteArray magic, name, cycle;
    // Whatever does not open with the magic is some other file, however it fails.
    if (!readBytes(in, magic) || untilZero(magic) != "Qorix")
        return ReadResult::Foreign;
    if (!readBytes(in, name) || !readBytes(in, cycle))
        return ReadResult::Truncated;
    qint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok)
        return ReadResult::Truncated;
    if (count < 0 || count > kMaxItems)
        return ReadResult::Malformed;
    Record record;
    record.name = QString::fromUtf8(untilZero(name));
    record.cycle = QString::fromLatin1(untilZero(cycle));
    for (qint32 i = 0; i < count; ++i) {
        Item item;
        in >> item.text;
        if (in.status() != QDataStream::Ok)
            return ReadResult::Truncated;
        if (!skipIcon(in))
            return in.atEnd() ? ReadResult::Truncated : ReadResult::Malformed;
        if (item.isKey()) {
            QByteArray flag;
            if (!readBytes(in, flag))
                return ReadResult::Truncated;
            item.release = !flag.startsWith('0');
        }
        record.items << item;
    }
    out = record;
    return ReadResult::Ok;
}

} // namespace MacroExport
