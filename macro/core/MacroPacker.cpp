#include "macro/core/MacroPacker.h"

#include "app/core/EncodedText.h"

#include <QTextCodec>

#include <algorithm>

namespace MacroPacker {

using MacroFormat::kMaxEvents;
using MacroFormat::kMaxNameBytes;
using MacroFormat::MacroData;
using MacroFormat::MacroItem;

namespace {

QTextCodec* localCodec(QTextCodec* codec) {
    return codec ? codec : QTextCodec::codecForLocale();
}

uint8_t* slot(MacroBlock& block, int e) {
    return block.bytes + kEventsOffset + e * kEventSize;
}

void putU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void putU32(uint8_t* p, uint32_t v) {
    for (int b = 0; b < 4; ++b)
        p[b] = uint8_t(v >> (8 * b));
}

uint32_t getU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

void setName(MacroBlock& block, const QString& text, QTextCodec* codec) {
    codec = localCodec(codec);
    const QByteArray bytes =
        codec->fromUnicode(EncodedText::leadingWithin(text, codec, kMaxNameBytes)).left(kMaxNameBytes);
    std::fill(block.bytes + kNameLengthOffset, block.bytes + kCountOffset, uint8_t(0));
    block.bytes[kNameLengthOffset] = uint8_t(bytes.size());
    std::copy(bytes.begin(), bytes.end(), block.bytes + kNameOffset);
}

QString name(const MacroBlock& block, QTextCodec* codec) {
    const int limit = std::min<int>(
        block.bytes[kNameLengthOffset] ? block.bytes[kNameLengthOffset] : kMaxNameBytes, kMaxNameBytes);
    int n = 0;
    while (n < limit && block.bytes[kNameOffset + n] != 0)
        ++n;
    return localCodec(codec)->toUnicode(reinterpret_cast<const char*>(block.bytes + kNameOffset), n);
}

int eventCount(const MacroBlock& block) {
    return std::min<int>(block.bytes[kCountOffset], kMaxEvents);
}

Packed pack(const QString& macroName, const MacroData& macro, QTextCodec* codec) {
    Packed out;
    if (macro.keyEvents() > kMaxEvents) {
        out.fits = false;
        return out;
    }
    setName(out.block, macroName, codec);
    int e = 0;
    for (const MacroItem& item : macro.items) {
        if (item.isKey()) {
            uint8_t* s = slot(out.block, e++);
            s[0] = item.release ? 1 : 0;
            s[1] = item.kind;
            putU16(s + 2, item.code);
        } else if (e > 0) {
            uint8_t* s = slot(out.block, e - 1);
            const uint64_t sum = uint64_t(getU32(s + 4)) + item.delay;
            putU32(s + 4, uint32_t(std::min<uint64_t>(sum, 0xFFFFFFFFu)));
        }
    }
    out.block.bytes[kCountOffset] = uint8_t(e);
    out.events = e;
    return out;
}

MacroData unpack(const MacroBlock& block, int cycle) {
    MacroData macro;
    macro.cycle = MacroFormat::normalisedCycle(cycle);
    const int n = eventCount(block);
    for (int e = 0; e < n; ++e) {
        const uint8_t* s = block.bytes + kEventsOffset + e * kEventSize;
        macro.items << MacroItem::key(s[1], uint16_t(s[2] | s[3] << 8), s[0] != 0);
        const uint32_t delay = getU32(s + 4);
        if (e + 1 < n || delay != 0)
            macro.items << MacroItem::pause(delay);
    }
    return macro;
}

} // namespace MacroPacker
