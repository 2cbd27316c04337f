#include "sensor/SensorCapability.h"

#include "app/core/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

const char* const SupportFlags::kNames[SupportFlags::kCount] = {
    "SUPPORT_SENSOR_MODE_SEL", "SUPPORT_LOD_CAL",     "SUPPORT_RIPPLE",
    "SUPPORT_FIXLINE",         "SUPPORT_MOTION_SYNC", "SUPPORT_MOUSEPAD_CAL",
};

namespace SensorFlags {
std::atomic<bool> Armed{false};
std::atomic<bool> XYSeparate{false};
} // namespace SensorFlags

QString SupportFlags::value(const QString& flag) const {
    for (int i = 0; i < kCount; ++i)
        if (flag == QLatin1String(kNames[i]))
            return values[i];
    return QString();
}

namespace {

// Header numbers: hexadecimal when the text holds "0x", decimal otherwise; unparsable gives 0.
qint32 headerNumber(QString text, bool hexWhenMarked) {
    text = text.trimmed();
    bool ok = false;
    qint64 v = 0;
    if (hexWhenMarked && text.contains(QLatin1String("0x"))) {
        QString digits = text;
        const bool negative = digits.startsWith('-');
        if (negative)
            digits.remove(0, 1);
        if (digits.startsWith(QLatin1String("0x")))
            digits.remove(0, 2);
        v = digits.toLongLong(&ok, 16);
        if (negative)
            v = -v;
    } else {
        v = text.toLongLong(&ok, 10);
    }
    if (!ok || v < INT32_MIN || v > INT32_MAX)
        return 0;
    return qint32(v);
}

int decimal(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    return ok ? v : 0;
}

} // namespace

void DpiRanges::clear() {
    triplesText.clear();
    triples.clear();
    minimums.clear();
    maximums.clear();
    steps.clear();
    count = 0;
    mode = 0;
}

void DpiRanges::parse(const QStringList& items) {
    clear();
    // 3k + 1 items, k = 1 … 4; fewer than four items describe no range at all.
    const int k = std::min(4, (int(items.size()) - 1) / 3);
    if (k < 1)
        return;
    count = k;
    for (int i = 0; i < 3 * k; ++i) {
        triplesText << items[i].trimmed();
        triples << decimal(items[i]);
    }
    for (int j = 0; j < k; ++j) {
        minimums << triples[3 * j];
        maximums << triples[3 * j + 1];
        steps << std::max(0, triples[3 * j + 2]);
    }
    bool ok = false;
    mode = items.last().trimmed().toInt(&ok, 16); // the last item, even after an unused one
    if (!ok)
        mode = 0;
}

SensorCapability& SensorCapability::current() {
    static SensorCapability instance;
    return instance;
}

void SensorCapability::parseHeader(const QByteArray& text) {
    int start = 0;
    while (start < text.size()) {
        int end = text.indexOf('\n', start);
        end = end < 0 ? text.size() : end + 1; // each line keeps its line-feed
        const QString line = QString::fromUtf8(text.mid(start, end - start));
        start = end;

        const QStringList parts = line.split(' ', Qt::SkipEmptyParts);
        if (parts.size() == 2) {
            bool flagLine = false;
            for (int f = 0; f < SupportFlags::kCount; ++f) {
                if (!parts[1].contains(QLatin1String(SupportFlags::kNames[f])))
                    continue;
                flagLine = true;
                const QStringList pieces = parts[1].split('\t', Qt::SkipEmptyParts);
                // A flag line without its tab piece sets nothing.
                if (pieces.size() >= 2) {
                    QString value = pieces[1];
                    value.remove('\n');
                    flags.values[f] = value;
                }
                break;
            }
            if (flagLine || parts[0] != QLatin1String("#define"))
                continue;
            const QStringList pieces = parts[1].split('\t', Qt::SkipEmptyParts);
            if (pieces.size() < 2 || !pieces[1].contains('\n'))
                continue; // no value piece, or a last line without line end
            QString value = pieces[1];
            value.remove('\n');
            defines.names << pieces[0];
            defines.values << headerNumber(value, true);
        } else if (parts.size() == 3 && (parts[2].contains(QLatin1String("//")) || parts[2].contains('\n'))) {
            const QStringList pieces = parts[1].split('\t', Qt::SkipEmptyParts);
            if (pieces.size() == 2) {
                defines.names << pieces[0];
                defines.values << headerNumber(pieces[1], false);
            } else if (pieces.size() == 1) {
                defines.names << pieces[0];
                defines.values << headerNumber(parts[2], true);
            }
        }
    }
}

bool SensorCapability::loadCapabilityHeader() {
    QFile file(AppPaths::appDir() + QStringLiteral("/driver_sensor.h"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The file's tables replace what an earlier page read: each page built would otherwise append
    // the whole table once more.
    SensorCapability read;
    read.parseHeader(file.readAll());
    defines = std::move(read.defines);
    flags = std::move(read.flags);
    return true;
}

void SensorCapability::loadRow(const ModelRow& row) {
    SensorModel = row.sensor;
    dpiMaxGrade = row.dpiMaxGrade;
    xIn1 = row.xIn1;
    if (row.dpiRangeText.isEmpty())
        ranges.clear();
    else
        ranges.parse(row.dpiRangeText + QStringList{QString::number(row.rangeMode, 16)});
}

bool SensorCapability::isSupported(const QString& flag) const {
    // An empty name is contained in every text: it must not switch every control on.
    if (SensorModel.isEmpty())
        return false;
    return flags.value(flag).contains(SensorModel, Qt::CaseSensitive);
}

int SensorCapability::defineIndex(const QString& name) const {
    return int(defines.names.indexOf(name));
}

bool SensorCapability::hasDpiTable() const {
    const QString stem = QStringLiteral("SENSOR_") + SensorModel + QStringLiteral("_DPI");
    for (const QString& n : defines.names)
        if (n.contains(stem))
            return true;
    return false;
}

std::optional<qint32> SensorCapability::tableCode(int value) const {
    const int i = defineIndex(QStringLiteral("SENSOR_") + SensorModel + QStringLiteral("_DPI_") +
                              QString::number(value));
    if (i < 0 || i >= defines.values.size())
        return std::nullopt;
    return defines.values[i];
}

QVector<int> SensorCapability::tableValuesForCode(qint32 code) const {
    // The DPI is the number after the model's "…_DPI" stem and the one character that follows it.
    const QString stem = QStringLiteral("SENSOR_") + SensorModel + QStringLiteral("_DPI");
    static const QRegularExpression leadingDigits(QStringLiteral("^\\d+"));
    QVector<int> found;
    const int n = std::min(int(defines.names.size()), int(defines.values.size()));
    for (int i = 0; i < n; ++i) {
        if (defines.values[i] != code)
            continue;
        const QString& name = defines.names[i];
        const int at = int(name.indexOf(stem));
        if (at < 0)
            continue;
        const QRegularExpressionMatch m = leadingDigits.match(name.mid(at + stem.size() + 1));
        found << (m.hasMatch() ? m.captured(0).toInt() : 0);
    }
    return found;
}

int readLevelIniCount() {
    const QString folder = AppPaths::userDataRoot() + QStringLiteral("/usersetting/SensorPage");
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/Level.ini"));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    return levelIniCount(file);
}

int levelIniCount(QIODevice& file) {
    const QByteArray first = file.readLine(64).trimmed();
    bool ok = false;
    const int count = first.toInt(&ok, 10);
    if (!ok)
        return 1;
    return std::clamp(count, 1, 8);
}
