#pragma once
// Between macro items and what the user sees and types: key names in the current language, names back
// to codes, the recorder's virtual keys, and the recorder's rule for gaps and repeats.
#include "macro/core/MacroExport.h"
#include "macro/core/MacroFile.h"

#include <QElapsedTimer>
#include <QString>

#include <optional>

namespace MacroKeys {

// The name a key item shows; a code without a name shows as its code text, so nothing is lost.
QString displayName(const MacroFormat::MacroItem& item, int languageIndex = -1);
// The text of a list row: the key name, or the delay as "<ms>ms".
QString displayText(const MacroFormat::MacroItem& item, int languageIndex = -1);
// A key item from a name; mouse-button names are taken in any loaded language. None for unknown names.
std::optional<MacroFormat::MacroItem> keyItem(const QString& name, bool release);
// The recorder's name of a Windows virtual key: the combination dialog's names, with the modifiers by
// side ("LShift", "RCtrl", …). Empty for keys it does not take.
QString recorderKeyName(int virtualKey);

// Export records from and to the file model. Items whose names no table knows are dropped on import
// and counted in `dropped`.
MacroExport::Record toExport(const QString& name, const MacroFormat::MacroData& macro,
                             int languageIndex = -1);
MacroFormat::MacroData fromExport(const MacroExport::Record& record, int* dropped = nullptr);

// The recorder's rule: one key event per real press or release, a delay item between events (measured,
// or the fixed value), repeats of a held key dropped.
class Recorder {
public:
    void start(bool measured, int fixedMs);
    void stop();
    bool active() const { return m_active; }
    // The items a key callback adds (none, a key item, or a delay and a key item).
    QVector<MacroFormat::MacroItem> onKey(int virtualKey, bool down, bool repeat);
    // Items for an event that is not a key (a mouse click on the page): the same delay rule.
    QVector<MacroFormat::MacroItem> onEvent(const MacroFormat::MacroItem& item);

private:
    bool m_active = false;
    bool m_measured = true;
    int m_fixedMs = 10;
    bool m_first = true;
    int m_lastKey = -1;
    QElapsedTimer m_timer;
};

} // namespace MacroKeys
