#pragma once
// A macro as stored on disk: the repeat rule and the ordered key and delay items. One text file per
// macro (line 1 the cycle value, then one line per item), written in one piece so a failed write keeps
// the previous file. No widgets and no key tables: items carry the codes the file holds.

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cstdint>

namespace MacroFormat {

constexpr int kMaxEvents = 70;    // key events one button's area holds, and the recorder's stop
constexpr int kMaxNameBytes = 30; // name bytes the area holds, in the locale encoding
constexpr int kDefaultCycle = 1;
constexpr int kCycleCountMax = 250;
constexpr int kUntilPressedAgain = 253;
constexpr int kUntilReleased = 254;
constexpr int kUntilAnyPressed = 255;

// 1 … 250 play that many times, 253 … 255 repeat until an event; nothing else is a rule.
bool validCycle(int value);
// A stored value that is no rule reads as the default rule, so it is never written to a device.
int normalisedCycle(int value);

struct MacroItem {
    enum Type : uint8_t { Key, Delay };
    Type type = Delay;
    uint8_t kind = 0;  // key event kind: 0 modifier bit, 1 keyboard usage, 4 mouse-button bit
    uint16_t code = 0; // as the file's code text gives it
    bool release = false;
    uint32_t delay = 0; // milliseconds

    static MacroItem key(uint8_t kind, uint16_t code, bool release) {
        MacroItem i;
        i.type = Key;
        i.kind = kind;
        i.code = code;
        i.release = release;
        return i;
    }
    static MacroItem pause(uint32_t ms) {
        MacroItem i;
        i.delay = ms;
        return i;
    }
    bool isKey() const { return type == Key; }
    bool operator==(const MacroItem& o) const {
        return type == o.type &&
               (type == Delay ? delay == o.delay : kind == o.kind && code == o.code && release == o.release);
    }
    bool operator!=(const MacroItem& o) const { return !(*this == o); }
};

struct MacroData {
    int cycle = kDefaultCycle;
    QVector<MacroItem> items;
    int keyEvents() const;
    bool operator==(const MacroData& o) const { return cycle == o.cycle && items == o.items; }
};

// The text of one item line without its "\n": "0x04 1 0" or "10ms".
QByteArray itemLine(const MacroItem& item);
// Parses a file's bytes. Lines that are neither a key (code, kind, action) nor a delay are skipped.
MacroData parse(const QByteArray& text);
QByteArray serialise(const MacroData& macro);

// A missing or unreadable file reads as an empty macro.
MacroData readFile(const QString& path);
// Atomic: true only when the new file is in place; otherwise the old one is unchanged.
bool writeFile(const QString& path, const MacroData& macro);
bool writeBytes(const QString& path, const QByteArray& bytes);
// The cycle value of line 1; false when the file is missing or unreadable.
bool readCycle(const QString& path, int& cycle);

} // namespace MacroFormat
