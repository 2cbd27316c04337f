#include "device/DeviceTable.h"

#include "app/core/IniStores.h"

#include <QMutex>
#include <QRegularExpression>
#include <algorithm>

namespace {
const QString kOption = QStringLiteral("Option");

int decimal(const QString& text, bool* ok) {
    return text.trimmed().toInt(ok, 10);
}

QStringList trimmedList(const IniStore& store, const QString& group, const char* key) {
    QStringList items = store.list(group, QLatin1String(key));
    for (QString& item : items)
        item = item.trimmed();
    return items;
}

// A number key: `fallback` when missing; a problem noted when present but not a number.
int number(const IniStore& store, const QString& group, const char* key, int fallback,
           QStringList& problems) {
    const QString text = store.value(group, QLatin1String(key)).trimmed();
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const int v = decimal(text, &ok);
    if (!ok) {
        problems << QStringLiteral("\"%1\" is not a number").arg(QLatin1String(key));
        return fallback;
    }
    return v;
}

QVector<int> numberList(const QStringList& items, const char* key, QStringList& problems) {
    QVector<int> values;
    for (const QString& item : items) {
        bool ok = false;
        values << decimal(item, &ok);
        if (!ok) {
            problems << QStringLiteral("\"%1\" holds a non-number").arg(QLatin1String(key));
            values.last() = 0;
        }
    }
    return values;
}

void parseRanges(const QStringList& items, ModelRow& row) {
    if (items.isEmpty() || (items.size() == 1 && items.first().isEmpty())) {
        row.problems << QStringLiteral("no \"DPIRange\"");
        return;
    }
    // 3k + 1 items, k = 1 … 4: the last item is the mode, even after an unused one.
    const int k = std::min(ModelRow::kMaxRanges, (int(items.size()) - 1) / 3);
    if (k < 1) {
        row.problems << QStringLiteral("\"DPIRange\" has fewer than four items");
        return;
    }
    bool ok = true;
    for (int j = 0; j < k; ++j) {
        DpiRange r;
        bool a = false, b = false, c = false;
        r.min = decimal(items[3 * j], &a);
        r.max = decimal(items[3 * j + 1], &b);
        r.step = decimal(items[3 * j + 2], &c);
        ok = ok && a && b && c;
        if (!a || !b || !c || r.min < 1 || r.max < r.min || r.step < 0)
            row.problems << QStringLiteral("\"DPIRange\" range %1 is not a valid min, max, step").arg(j + 1);
        if (j > 0 && r.min <= row.dpiRanges.last().max)
            row.problems
                << QStringLiteral("\"DPIRange\" range %1 overlaps or precedes the one before").arg(j + 1);
        r.step = std::max(0, r.step);
        row.dpiRanges << r;
        row.dpiRangeText << items[3 * j] << items[3 * j + 1] << items[3 * j + 2];
    }
    bool modeOk = false;
    row.rangeMode = items.last().toInt(&modeOk, 16);
    if (!modeOk) {
        row.rangeMode = 0;
        row.problems << QStringLiteral("\"DPIRange\" mode is not hexadecimal");
    }
}
} // namespace

QString ModelRow::group(int32_t index) {
    return QStringLiteral("Drive%1").arg(qint64(index) + 1);
}

QStringList ModelRow::keyParam(int key) const {
    if (key < 1 || key > keyParams.size())
        return {};
    return keyParams.at(key - 1);
}

bool ModelRow::keyIsSequence(int key) const {
    const QStringList param = keyParam(key);
    return !param.isEmpty() && param.first().compare(QLatin1String("0x05"), Qt::CaseInsensitive) == 0;
}

int ModelRow::longRangeChoice() const {
    bool ok = false;
    const int v = adveanced.size() > 0 ? adveanced.at(0).toInt(&ok, 0) : -1;
    return ok ? v : -1;
}

int ModelRow::receiverRgbValue() const {
    bool ok = false;
    const int v = adveanced.size() > 1 ? adveanced.at(1).toInt(&ok, 0) : -1;
    return ok ? v : -1;
}

QString ModelRow::receiverImage(int receiverClass) const {
    switch (receiverClass) {
    case 1:
        return receiverImages[0];
    case 2:
        return receiverImages[1];
    case 4:
        return receiverImages[2];
    case 8:
        return receiverImages[3];
    default:
        return QString();
    }
}

QString ModelRow::listPicture(bool online) const {
    if (pictureNumber < 0)
        return QStringLiteral("Unknow.png");
    return (online ? QStringLiteral("OnLine") : QStringLiteral("DisOnLine")) +
           QString::number(pictureNumber) + QStringLiteral(".png");
}

int ModelRow::lowestDpi() const {
    return dpiRanges.isEmpty() ? 0 : dpiRanges.first().min;
}

int ModelRow::highestDpi() const {
    return dpiRanges.isEmpty() ? 0 : dpiRanges.last().max;
}

bool ModelRow::dpiInRange(int value) const {
    return std::any_of(dpiRanges.begin(), dpiRanges.end(),
                       [value](const DpiRange& r) { return value >= r.min && value <= r.max; });
}

ModelRow ModelRow::read(const IniStore& store, int32_t index) {
    if (index >= 0 && store.groups().contains(group(index)))
        return readGroup(store, index);
    ModelRow row;
    row.index = index;
    row.problems << QStringLiteral("no group \"%1\"").arg(group(index));
    return row;
}

ModelRow ModelRow::readGroup(const IniStore& store, int32_t index) {
    ModelRow row;
    row.index = index;
    const QString g = group(index);
    row.present = true;

    bool okC = false, okM = false;
    const int cid = decimal(store.value(g, QStringLiteral("CID")), &okC);
    row.midText = store.value(g, QStringLiteral("MID"));
    const int mid = decimal(row.midText, &okM);
    row.idsValid = okC && okM && cid >= 0 && cid <= 255 && mid >= 0 && mid <= 255;
    if (row.idsValid) {
        row.cid = uint8_t(cid);
        row.mid = uint8_t(mid);
    } else {
        row.problems << QStringLiteral("\"CID\" and \"MID\" must be numbers 0 to 255");
    }

    row.name = store.value(g, QStringLiteral("Name")).trimmed();
    row.sensor = store.value(g, QStringLiteral("Sensor")).trimmed();
    if (row.sensor.isEmpty())
        row.problems << QStringLiteral("no \"Sensor\"");
    row.pictureNumber = number(store, g, "DisOnLine", -1, row.problems);
    if (row.pictureNumber < -1) {
        row.problems << QStringLiteral("\"DisOnLine\" is negative");
        row.pictureNumber = -1;
    }

    parseRanges(trimmedList(store, g, "DPIRange"), row);
    row.dpiMaxGrade = number(store, g, "DPIMaxGrade", 0, row.problems);
    if (row.dpiMaxGrade < 1 || row.dpiMaxGrade > kMaxLevels)
        row.problems << QStringLiteral("\"DPIMaxGrade\" must be 1 to %1").arg(kMaxLevels);
    row.xIn1 = number(store, g, "XIn1", 0, row.problems);
    row.dpiMin = number(store, g, "DPIMin", 0, row.problems);
    row.dpiMax = number(store, g, "DPIMax", 0, row.problems);
    if (!row.dpiRanges.isEmpty() && (row.dpiMin > row.dpiMax || row.dpiMax > row.highestDpi()))
        row.problems << QStringLiteral("\"DPIMin\"/\"DPIMax\" outside the ranges");
    row.currentPos = number(store, g, "CurrentPos", 0, row.problems);
    row.currentDpi = number(store, g, "CurrentDPI", 0, row.problems);
    row.dpiColor = numberList(trimmedList(store, g, "DPIColor"), "DPIColor", row.problems);
    row.dpiGrade = numberList(trimmedList(store, g, "DPIGrade"), "DPIGrade", row.problems);

    static const QRegularExpression hexCode(QStringLiteral("^0[xX][0-9A-Fa-f]{1,2}$"));
    for (int k = 1; k <= kKeyCount; ++k) {
        QStringList param = trimmedList(store, g, qPrintable(QStringLiteral("KeyParam%1").arg(k)));
        if (param.size() == 1 && param.first().isEmpty())
            param.clear();
        if (!param.isEmpty() && !hexCode.match(param.first()).hasMatch())
            row.problems << QStringLiteral("\"KeyParam%1\" does not start with a function code").arg(k);
        row.keyParams << param;
    }
    row.adveanced = trimmedList(store, g, "Adveanced");
    row.keyNumber = number(store, g, "KeyNumber", kKeyCount, row.problems);
    if (row.keyNumber < 1 || row.keyNumber > kKeyCount) {
        row.problems << QStringLiteral("\"KeyNumber\" must be 1 to %1").arg(kKeyCount);
        row.keyNumber = qBound(1, row.keyNumber, int(kKeyCount));
    }
    row.realKey = number(store, g, "RealKey", 6, row.problems) == 5 ? 5 : 6;
    row.debounceTime = qBound(0, number(store, g, "DebunceTime", 0, row.problems), 255);

    const auto shows = [&](const char* key) { return store.value(g, QLatin1String(key)).trimmed() == "1"; };
    row.mouseLight = shows("MouseLight");
    row.recevieLight = shows("RecevieLight");
    row.oneLed = shows("OneLed");
    row.threeLed = shows("ThreeLed");

    row.mouseImage = store.value(g, QStringLiteral("MM")).trimmed();
    const char* const receiverKeys[4] = {"DM", "D2M", "D4M", "D8M"};
    for (int i = 0; i < 4; ++i)
        row.receiverImages[i] = store.value(g, QLatin1String(receiverKeys[i])).trimmed();
    return row;
}

namespace {
// Row number n of a "Drive" + n group, 0 for any other group.
int driveNumber(const QString& group) {
    static const QRegularExpression drive(QStringLiteral("^Drive([1-9][0-9]{0,8})$"));
    const QRegularExpressionMatch m = drive.match(group);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}
} // namespace

int DeviceTable::rowCount(const IniStore& store, const QStringList& groups) {
    const int total = std::max(0, store.intValue(kOption, QStringLiteral("DeviceTotal")));
    // Only groups that exist count: a huge total must not make every caller walk empty rows.
    int highest = 0;
    for (const QString& g : groups)
        highest = std::max(highest, driveNumber(g));
    return std::min(total, highest);
}

namespace {
// The table of the store last asked for: the rows are read for every device found, card and page.
struct TableCache {
    QMutex mutex;
    const IniStore* store = nullptr;
    quint64 revision = 0; // unique per store and write, so a store made at a freed one's address is new
    DeviceTable table;
};
TableCache& tableCache() {
    static TableCache cache;
    return cache;
}
} // namespace

DeviceTable DeviceTable::load(const IniStore& store) {
    TableCache& cache = tableCache();
    QMutexLocker lock(&cache.mutex);
    const quint64 revision = store.revision(); // before parsing: a write meanwhile parses again next time
    if (cache.store != &store || cache.revision != revision) {
        cache.table = parse(store);
        cache.store = &store;
        cache.revision = revision;
    }
    return cache.table;
}

int DeviceTable::rowCount(const IniStore& store) {
    return load(store).size();
}

int DeviceTable::rowCount() {
    return rowCount(ConfigIniStore::instance());
}

ModelRow DeviceTable::row(const IniStore& store, int32_t index) {
    const DeviceTable table = load(store);
    if (index < 0 || index >= table.size()) {
        ModelRow outside;
        outside.index = index;
        outside.problems << QStringLiteral("row %1 is outside the table").arg(qint64(index) + 1);
        return outside;
    }
    const ModelRow row = table.at(index);
    return row.present ? row : ModelRow::read(store, index); // a gap in the rows says which group is missing
}

ModelRow DeviceTable::row(int32_t index) {
    return row(ConfigIniStore::instance(), index);
}

DeviceTable DeviceTable::parse(const IniStore& store) {
    DeviceTable table;
    const QStringList groups = store.groups();
    table.m_count = rowCount(store, groups);
    // Only the groups present are parsed: a table of a few rows stays a few rows whatever it claims.
    QList<int> present;
    for (const QString& g : groups) {
        const int n = driveNumber(g);
        if (n >= 1 && n <= table.m_count)
            present << n - 1;
    }
    std::sort(present.begin(), present.end());
    for (int index : present)
        table.m_rows << ModelRow::readGroup(store, index);
    return table;
}

ModelRow DeviceTable::at(int index) const {
    const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), index,
                                     [](const ModelRow& r, int i) { return r.index < i; });
    if (it != m_rows.end() && it->index == index)
        return *it;
    ModelRow missing;
    missing.index = index;
    missing.problems << QStringLiteral("no row %1 in the table").arg(qint64(index) + 1);
    return missing;
}

DeviceTable DeviceTable::load() {
    return load(ConfigIniStore::instance());
}

int DeviceTable::find(uint8_t cid, uint8_t mid) const {
    for (const ModelRow& r : m_rows)
        if (r.matches(cid, mid))
            return r.index;
    return -1;
}

bool DeviceTable::hasCid(uint8_t cid) const {
    return std::any_of(m_rows.begin(), m_rows.end(),
                       [cid](const ModelRow& r) { return r.valid() && r.cid == cid; });
}
