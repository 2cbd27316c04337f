// Fuzz target for the language files: the input is the English JSON file, loaded into the tables, which
// are then read through every kind of lookup the pages use.
#include "app/core/Language.h"
#include "tests/common/QtJsonLeak.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {
QTemporaryDir* g_dir = nullptr;

int depth(const QVector<Language::DelayEntry>& entries) {
    int deepest = 0;
    for (const Language::DelayEntry& e : entries)
        deepest = std::max(deepest, 1 + depth(e.children));
    return deepest;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_dir = new QTemporaryDir; // kept for the whole run
    QDir().mkpath(g_dir->path() + QStringLiteral("/Language"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QFile file(g_dir->path() + QStringLiteral("/Language/en.json"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    {
        const QtJsonLeakPause pause;
        Language::loadFrom(g_dir->path(), {QStringLiteral("English")});
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
