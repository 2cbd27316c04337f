#pragma once
// The macro exchange file: a Qt data stream (big-endian) of the magic "Qorix", the name, the cycle value
// (each a zero-padded byte array of fixed length), the item count and the items, each its display text,
// an icon record and, for key items, a two-byte press/release flag. Key items carry display names;
// turning them into codes is the caller's business.
#include <QByteArray>
#include <QString>
#include <QVector>

namespace MacroExport {

constexpr int kMagicLength = 12;
constexpr int kNameLength = 48; // 47 bytes of UTF-8 name at most
constexpr int kCycleLength = 12;
constexpr int kFlagLength = 2;
constexpr int kMaxItems = 100000; // far above any macro; a larger count is a broken file

struct Item {
    QString text; // key name, or the delay as "<ms>ms"
    bool release = false;
    bool isKey() const { return !text.contains(QLatin1String("ms")); }
    bool operator==(const Item& o) const { return text == o.text && release == o.release; }
};

struct Record {
    QString name;
    QString cycle; // decimal text
    QVector<Item> items;
};

QByteArray write(const Record& record);

enum class ReadResult { Ok, Truncated, Foreign, Malformed };
// Reads the whole file before anything is used: on any result but Ok, `out` is left unchanged.
ReadResult read(const QByteArray& bytes, Record& out);

} // namespace MacroExport
