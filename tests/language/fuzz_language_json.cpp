// Fuzz target for the language files: the input is the English JSON file, loaded into the tables, which
// are then read through every kind of lookup the pages use.
#include "app/core/Language.h"
#include "tests/common/QtJsonLeak.h"

#include <QByteArray>

#include <cstdint>

namespace {
int depth(const QVector<Language::DelayEntry>& entries) {
    int deepest = 0;
    for (const Language::DelayEntry& e : entries)
        deepest = std::max(deepest, 1 + depth(e.children));
    return deepest;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString english = QStringLiteral("English");
    {
        const QtJsonLeakPause pause;
        Language::loadFromData(
            {english}, {{english, QByteArray(reinterpret_cast<const char*>(data), int(size))}}, QByteArray());
        Language::text(QStringLiteral("sensor"), QStringLiteral("DPI"),
                       0); // the file is parsed at its first lookup
    }
    if (Language::loadedCount() != 1) // a broken file still takes its index
        __builtin_trap();
    for (const Language::Section s : {Language::Section::Mouse, Language::Section::Keyboard})
        for (const char* list :
             {"KeyOptions", "ReportRates", "tabsList", "keyboardTabList", "StatusDescriptionList"})
            Language::options(s, QLatin1String(list), 0);
    Language::text(QStringLiteral("sensor"), QStringLiteral("DPI"), 0);
    Language::text(QStringLiteral("sensor"), QStringLiteral("DPI"), 1); // beyond the loaded languages
    Language::receiverStatus(0);
    depth(Language::randomDelays(0));
    for (int type = 0; type <= 10; ++type)
        Language::keyboardKeyFunctions(QString::asprintf("0x%02X", type), 0);
    return 0;
}
