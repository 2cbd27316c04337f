#include "buttons/KeySequence.h"

#include <QRegularExpression>

#include <cstring>

namespace Buttons {

namespace {

// The key block as the device sees it: count byte, three zero bytes, six eight-byte events.
constexpr int kEventsOffset = 4;

uint8_t* blockBytes(KeySequenceBlock& b) {
    return reinterpret_cast<uint8_t*>(&b);
}
const uint8_t* blockBytes(const KeySequenceBlock& b) {
    return reinterpret_cast<const uint8_t*>(&b);
}

void setEvent(KeySequenceBlock& block, int slot, const KeyEventFields& f) {
    const KeyEvent e = MakeKeyEvent(f);
    std::memcpy(blockBytes(block) + kEventsOffset + 8 * slot, &e, sizeof(e));
}

struct Word {
    const char* name;
    uint8_t bit;
};
// The combination dialog's modifier words; they stand for the left modifiers.
const Word kWords[4] = {{"Ctrl", 0x01}, {"Shift", 0x02}, {"Alt", 0x04}, {"Win", 0x08}};

std::optional<KeyCodeResult> combinationName(const QString& name, int languageIndex) {
    for (const Word& w : kWords)
        if (name == QLatin1String(w.name))
            return KeyCodeResult{KeyEventKind::Modifier, w.bit};
    if (const auto k = KeyCode(name, languageIndex))
        return k;
    static const QRegularExpression hex(QStringLiteral("^0x[0-9A-F]{2}$"));
    if (hex.match(name).hasMatch()) {
        const uint16_t code = uint16_t(name.mid(2).toUInt(nullptr, 16));
        if (code != 0)
            return KeyCodeResult{KeyEventKind::Keyboard, code};
    }
    return std::nullopt;
}

} // namespace

KeyEventFields ReadKeyEvent(const KeyEvent& event) {
    const uint8_t* b = event.bytes;
    KeyEventFields f;
    f.action = b[0];
    f.kind = b[1];
    f.code = uint16_t(b[2] | (b[3] << 8));
    f.delay = uint32_t(b[4]) | (uint32_t(b[5]) << 8) | (uint32_t(b[6]) << 16) | (uint32_t(b[7]) << 24);
    return f;
}

KeyEvent MakeKeyEvent(const KeyEventFields& f) {
    KeyEvent e;
    e.bytes[0] = f.action;
    e.bytes[1] = f.kind;
    e.bytes[2] = uint8_t(f.code);
    e.bytes[3] = uint8_t(f.code >> 8);
    for (int i = 0; i < 4; ++i)
        e.bytes[4 + i] = uint8_t(f.delay >> (8 * i));
    return e;
}

int KeyBlockCount(const KeySequenceBlock& block) {
    return blockBytes(block)[0];
}

int KeyBlockReadableEvents(const KeySequenceBlock& block) {
    return qMin(KeyBlockCount(block), kKeyBlockEvents);
}

KeyEventFields KeyBlockEvent(const KeySequenceBlock& block, int slot) {
    if (slot < 0 || slot >= kKeyBlockEvents)
        return KeyEventFields();
    KeyEvent e;
    std::memcpy(&e, blockBytes(block) + kEventsOffset + 8 * slot, sizeof(e));
    return ReadKeyEvent(e);
}

KeySequenceBlock EncodeConsumer(uint16_t code) {
    KeySequenceBlock block;
    std::memset(&block, 0, sizeof(block));
    blockBytes(block)[0] = 2;
    const uint8_t kind = uint8_t(KeyEventKind::Consumer);
    setEvent(block, 0, {0, kind, code, kKeyBlockDelay});
    setEvent(block, 1, {1, kind, code, kKeyBlockDelay});
    return block;
}

QStringList SplitCombination(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('+'));
    QStringList names;
    for (int i = 0; i < parts.size(); ++i) {
        // "Num+" is the only name holding the separator: it shows as "Num" and an empty part.
        if (parts[i] == QLatin1String("Num") && i + 1 < parts.size() && parts[i + 1].isEmpty()) {
            names << QStringLiteral("Num+");
            ++i;
        } else {
            names << parts[i];
        }
    }
    return names;
}

bool EncodeCombination(const QString& text, KeySequenceBlock& block, int languageIndex) {
    if (text.isEmpty())
        return false;
    const QStringList names = SplitCombination(text);
    if (names.size() > kMaxCombinationKeys)
        return false;
    QVector<KeyCodeResult> keys;
    for (const QString& name : names) {
        const auto k = combinationName(name, languageIndex);
        if (!k)
            return false;
        keys << *k;
    }
    const int n = keys.size();
    KeySequenceBlock out;
    std::memset(&out, 0, sizeof(out));
    blockBytes(out)[0] = uint8_t(2 * n);
    for (int j = 0; j < n; ++j) {
        const uint8_t kind = uint8_t(keys[j].kind);
        setEvent(out, j, {0, kind, keys[j].code, kKeyBlockDelay});
        setEvent(out, 2 * n - 1 - j, {1, kind, keys[j].code, kKeyBlockDelay});
    }
    block = out;
    return true;
}

QString CombinationKeyName(const KeyEventFields& e, int languageIndex) {
    QString name;
    switch (e.kind) {
    case uint8_t(KeyEventKind::Modifier):
        for (const Word& w : kWords)
            if (e.code == w.bit)
                return QLatin1String(w.name);
        if (e.code <= 0xFF)
            name = KeyName(CodeText(e.code), KeyEventKind::Modifier);
        break;
    case uint8_t(KeyEventKind::Keyboard):
    case uint8_t(KeyEventKind::MouseButton):
        if (e.code <= 0xFF)
            name = KeyName(CodeText(e.code), KeyEventKind(e.kind), languageIndex);
        if (name.isEmpty() && e.kind == uint8_t(KeyEventKind::Keyboard) && e.code <= 0xFF)
            return CodeText(e.code);
        break;
    default:
        break;
    }
    if (!name.isEmpty())
        return name;
    return WideCodeText(e.code);
}

std::optional<uint16_t> BlockConsumerCode(const KeySequenceBlock& block) {
    const KeyEventFields first = KeyBlockEvent(block, 0);
    if (first.kind != uint8_t(KeyEventKind::Consumer))
        return std::nullopt;
    return first.code;
}

QString CombinationText(const KeySequenceBlock& block, int languageIndex) {
    QStringList names;
    const int presses = KeyBlockReadableEvents(block) / 2;
    for (int j = 0; j < presses; ++j)
        names << CombinationKeyName(KeyBlockEvent(block, j), languageIndex);
    return names.join(QLatin1Char('+'));
}

QString MacroAreaName(const MacroBlock& area) {
    const int length = qMin<int>(area.bytes[0], kMacroNameBytes);
    const char* name = reinterpret_cast<const char*>(area.bytes + 1);
    const int used = int(strnlen(name, size_t(length)));
    return QString::fromLocal8Bit(name, used);
}

void SetMacroAreaName(MacroBlock& area, const QString& name) {
    // Every character takes at least one byte, so no more than 30 characters can fit.
    QString cut = name.left(kMacroNameBytes);
    QByteArray bytes = cut.toLocal8Bit();
    while (bytes.size() > kMacroNameBytes) {
        cut.chop(cut.size() >= 2 && cut.at(cut.size() - 1).isLowSurrogate() ? 2 : 1);
        bytes = cut.toLocal8Bit();
    }
    std::memset(area.bytes, 0, 1 + kMacroNameBytes);
    area.bytes[0] = uint8_t(bytes.size());
    std::memcpy(area.bytes + 1, bytes.constData(), size_t(bytes.size()));
}

} // namespace Buttons
