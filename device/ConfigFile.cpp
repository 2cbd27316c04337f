#include "device/ConfigFile.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>
#include <cstring>

namespace ConfigFile {
namespace {

constexpr char kMagic[] = "Qorix";

// Text up to the first zero byte or the end.
QByteArray untilZero(const QByteArray& field) {
    const int zero = field.indexOf('\0');
    return zero < 0 ? field : field.left(zero);
}

Outcome refuse(int result, const QString& reason) {
    Outcome o;
    o.result = result;
    o.reason = reason;
    return o;
}

} // namespace

QByteArray sensorField(const QString& sensorName) {
    QByteArray utf8 = sensorName.toUtf8();
    if (utf8.size() > kFieldSize - 1) {
        int cut = kFieldSize - 1;
        // Never split a multi-byte character: the import compares the name it can decode.
        while (cut > 0 && (uchar(utf8.at(cut)) & 0xC0) == 0x80)
            --cut;
        utf8.truncate(cut);
    }
    QByteArray field(kFieldSize, '\0');
    std::memcpy(field.data(), utf8.constData(), size_t(utf8.size()));
    return field;
}

QByteArray encode(const FlashDataMap& record, const QString& sensorName) {
    QByteArray magic(kFieldSize, '\0');
    std::memcpy(magic.data(), kMagic, sizeof(kMagic) - 1);
    QByteArray out;
    out.reserve(kFileSize);
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream << magic << sensorField(sensorName)
           << QByteArray(reinterpret_cast<const char*>(record.data()), FlashDataMap::kSize);
    return out;
}

Outcome decode(const QByteArray& bytes, const QString& sensorName, int dpiMaxGrade) {
    if (bytes.size() != kFileSize)
        return refuse(Unreadable,
                      QStringLiteral("file is %1 bytes, not %2").arg(bytes.size()).arg(kFileSize));

    // The size is exact, so three arrays of the expected lengths leave nothing over; check each
    // length before reading so a foreign prefix never makes the stream read or allocate elsewhere.
    QDataStream stream(bytes);
    QByteArray fields[3];
    const int expected[3] = {kFieldSize, kFieldSize, FlashDataMap::kSize};
    for (int i = 0; i < 3; ++i) {
        quint32 length = 0;
        stream >> length;
        if (stream.status() != QDataStream::Ok || length != quint32(expected[i]))
            return refuse(Unreadable, QStringLiteral("field %1 has length %2, not %3")
                                          .arg(i + 1)
                                          .arg(qint64(length))
                                          .arg(expected[i]));
        fields[i].resize(expected[i]);
        if (stream.readRawData(fields[i].data(), expected[i]) != expected[i])
            return refuse(Unreadable, QStringLiteral("field %1 is cut short").arg(i + 1));
    }
    if (stream.status() != QDataStream::Ok || !stream.atEnd())
        return refuse(Unreadable, QStringLiteral("stream is not clean"));

    if (untilZero(fields[0]) != kMagic)
        return refuse(Unreadable, QStringLiteral("magic is not Qorix"));

    const QByteArray fileSensor = untilZero(fields[1]);
    const QByteArray ownSensor = untilZero(sensorField(sensorName));
    if (fileSensor != ownSensor)
        return refuse(Mismatch, QStringLiteral("file is for sensor \"%1\", the device has \"%2\"")
                                    .arg(QString::fromUtf8(fileSensor), QString::fromUtf8(ownSensor)));

    Outcome ok;
    std::memcpy(ok.record.data(), fields[2].constData(), FlashDataMap::kSize);
    const int maxLevels = (dpiMaxGrade >= 1 && dpiMaxGrade <= 8) ? dpiMaxGrade : 8;
    const int count = ok.record.dpiLevelCount;
    if (count < 1 || count > maxLevels)
        return refuse(Mismatch,
                      QStringLiteral("%1 DPI levels, the device holds 1 to %2").arg(count).arg(maxLevels));
    if (ok.record.currentDpiLevel >= count)
        return refuse(Mismatch, QStringLiteral("current DPI level %1 is not below the level count %2")
                                    .arg(ok.record.currentDpiLevel)
                                    .arg(count));
    ok.result = Accepted;
    return ok;
}

Outcome read(const QString& path, const QString& sensorName, int dpiMaxGrade) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(Unreadable, file.errorString());
    // One byte more than a good file tells an oversized one apart without reading it all.
    const QByteArray bytes = file.read(kFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(Unreadable, file.errorString());
    return decode(bytes, sensorName, dpiMaxGrade);
}

bool write(const QString& path, const FlashDataMap& record, const QString& sensorName, QString* reason) {
    QSaveFile file(path);
    const QByteArray bytes = encode(record, sensorName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (reason)
            *reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace ConfigFile
