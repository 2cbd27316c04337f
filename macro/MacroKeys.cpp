#include "macro/MacroKeys.h"

#include "app/core/Language.h"
#include "buttons/KeyTables.h"

using MacroFormat::MacroData;
using MacroFormat::MacroItem;

namespace MacroKeys {

QString displayName(const MacroItem& item, int languageIndex) {
    const QString name = Buttons::KeyName(Buttons::CodeText(item.code), item.kind, languageIndex);
    return name.isEmpty() ? Buttons::WideCodeText(item.code) : name;
}

QString displayText(const MacroItem& item, int languageIndex) {
    return item.isKey() ? displayName(item, languageIndex)
                        : QString::number(item.delay) + QStringLiteral("ms");
}

std::optional<MacroItem> keyItem(const QString& name, bool release) {
    std::optional<Buttons::KeyCodeResult> code = Buttons::KeyCode(name);
    for (int lang = 0; !code && lang < Language::loadedCount(); ++lang)
        code = Buttons::KeyCode(name, lang);
    if (!code) {
        // The built-in texts of the mouse buttons, as a file from a program without languages has them.
        const QStringList builtIn = Buttons::MouseButtonNames(1 << 20);
        const int i = builtIn.indexOf(name);
        if (i >= 0)
            code = Buttons::KeyCodeResult{Buttons::KeyEventKind::MouseButton, Buttons::kMouseButtonCodes[i]};
    }
    if (!code)
        return std::nullopt;
    return MacroItem::key(uint8_t(code->kind), code->code, release);
}

QString recorderKeyName(int vk) {
    switch (vk) {
    case 160:
        return QStringLiteral("LShift");
    case 161:
        return QStringLiteral("RShift");
    case 162:
        return QStringLiteral("LCtrl");
    case 163:
        return QStringLiteral("RCtrl");
    case 164:
        return QStringLiteral("LAlt");
    case 165:
        return QStringLiteral("RAlt");
    case 91:
        return QStringLiteral("LWin");
    case 92:
        return QStringLiteral("RWin");
    case 144:
        return QStringLiteral("NumLock");
    default:
        return Buttons::VirtualKeyName(vk);
    }
}

MacroExport::Record toExport(const QString& name, const MacroData& macro, int languageIndex) {
    MacroExport::Record r;
    r.name = name;
    r.cycle = QString::number(macro.cycle);
    for (const MacroItem& item : macro.items)
        r.items << MacroExport::Item{displayText(item, languageIndex), item.isKey() && item.release};
    return r;
}

MacroData fromExport(const MacroExport::Record& record, int* dropped) {
    MacroData macro;
    bool ok = false;
    macro.cycle = MacroFormat::normalisedCycle(record.cycle.trimmed().toInt(&ok));
    int lost = 0;
    for (const MacroExport::Item& item : record.items) {
        if (!item.isKey()) {
            QString ms = item.text;
            ms.remove(QLatin1String("ms"));
            const qulonglong value = ms.trimmed().toULongLong(&ok);
            if (ok && value <= 0xFFFFFFFFull)
                macro.items << MacroItem::pause(uint32_t(value));
            else
                ++lost;
        } else if (const std::optional<MacroItem> key = keyItem(item.text, item.release)) {
            macro.items << *key;
        } else {
            ++lost;
        }
    }
    if (dropped)
        *dropped = lost;
    return macro;
}

void Recorder::start(bool measured, int fixedMs) {
    m_active = true;
    m_measured = measured;
    m_fixedMs = fixedMs;
    m_first = true;
    m_lastKey = -1;
}

void Recorder::stop() {
    m_active = false;
    m_lastKey = -1;
}

QVector<MacroItem> Recorder::onKey(int vk, bool down, bool repeat) {
    if (!m_active)
        return {};
    if (vk == m_lastKey) {
        if (down && repeat)
            return {};
        if (!down)
            m_lastKey = -1;
    } else {
        m_lastKey = down ? vk : -1;
    }
    const std::optional<MacroItem> key = keyItem(recorderKeyName(vk), !down);
    if (!key)
        return {};
    return onEvent(*key);
}

QVector<MacroItem> Recorder::onEvent(const MacroItem& item) {
    if (!m_active)
        return {};
    QVector<MacroItem> out;
    if (m_first) {
        m_first = false;
    } else {
        out << MacroItem::pause(m_measured ? uint32_t(qMax<qint64>(0, m_timer.elapsed()))
                                           : uint32_t(m_fixedMs));
    }
    m_timer.restart();
    out << item;
    return out;
}

} // namespace MacroKeys
