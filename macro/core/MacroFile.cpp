#include "macro/core/MacroFile.h"

#include <QFile>
#include <QList>
#include <QSaveFile>

namespace MacroFormat {

bool validCycle(int value) {
    return (value >= 1 && value <= kCycleCountMax) ||
           (value >= kUntilPressedAgain && value <= kUntilAnyPressed);
}

int normalisedCycle(int value) {
    return validCycle(value) ? value : kDefaultCycle;
}

int MacroData::keyEvents() const {
    int n = 0;
    for (const MacroItem& i : items)
        n += i.isKey();
    return n;
}

QByteArray itemLine(const MacroItem& item) {
    if (!item.isKey())
        return QByteArray::number(item.delay) + "ms";
    const int digits = item.code > 0xFF ? 4 : 2;
    return "0x" + QByteArray::number(item.code, 16).toUpper().rightJustified(digits, '0') + ' ' +
           QByteArray::number(item.kind) + ' ' + (item.release ? '1' : '0');
}

namespace {

bool parseKey(const QList<QByteArray>& parts, MacroItem& out) {
    const QByteArray& codeText = parts.at(0);
    if (!codeText.startsWith("0x") && !codeText.startsWith("0X"))
        return false;
    bool okCode = false, okKind = false;
    const uint code = codeText.mid(2).toUInt(&okCode, 16);
    const uint kind = parts.at(1).toUInt(&okKind, 10);
    if (!okCode || !okKind || codeText.size() < 3 || code > 0xFFFF || kind > 0xFF)
        return false;
    const QByteArray action = parts.at(2);
    if (action != "0" && action != "1")
        return false;
    out = MacroItem::key(uint8_t(kind), uint16_t(code), action == "1");
    return true;
}

bool parseDelay(QByteArray part, MacroItem& out) {
    if (!part.endsWith("ms"))
        return false;
    part.chop(2);
    bool ok = false;
    const qulonglong ms = part.toULongLong(&ok, 10);
    if (!ok || part.isEmpty() || part.startsWith('+') || ms > 0xFFFFFFFFull)
        return false;
    out = MacroItem::pause(uint32_t(ms));
    return true;
}

} // namespace

MacroData parse(const QByteArray& text) {
    MacroData macro;
    QList<QByteArray> lines = text.split('\n');
    if (text.isEmpty())
        return macro;
    bool ok = false;
    const int cycle = lines.first().trimmed().toInt(&ok);
    macro.cycle = ok ? normalisedCycle(cycle) : kDefaultCycle;
    for (int l = 1; l < lines.size(); ++l) {
        QByteArray line = lines.at(l);
        if (line.endsWith('\r'))
            line.chop(1);
        QList<QByteArray> parts = line.split(' ');
        parts.removeAll(QByteArray());
        MacroItem item;
        if ((parts.size() == 3 && parseKey(parts, item)) ||
            (parts.size() == 1 && parseDelay(parts.first(), item)))
            macro.items << item;
    }
    return macro;
}

QByteArray serialise(const MacroData& macro) {
    QByteArray out = QByteArray::number(macro.cycle) + '\n';
    for (const MacroItem& item : macro.items)
        out += itemLine(item) + '\n';
    return out;
}

MacroData readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // A macro file is a few kilobytes; anything far larger is not one of ours.
    return parse(f.read(1 << 20));
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    // Unbuffered, so a short write (a full disk) shows here: a buffered flush drops it silently and the
    // commit would put a cut file in place.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

bool writeFile(const QString& path, const MacroData& macro) {
    return writeBytes(path, serialise(macro));
}

bool readCycle(const QString& path, int& cycle) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const int value = f.readLine(64).trimmed().toInt(&ok);
    cycle = ok ? normalisedCycle(value) : kDefaultCycle;
    return true;
}

} // namespace MacroFormat
