#pragma once
// Every language the program offers, by its option key, and those loaded from the shipped files.
#include "app/core/Language.h"

namespace AllLanguages {

inline QStringList keys() {
    QStringList out;
    for (const Language::LanguageInfo& l : Language::allLanguages())
        out << QLatin1String(l.optionKey);
    return out;
}

// Loads all of them from `folder` (default: the source tree's resources); returns how many loaded.
inline int load(const QString& folder = qEnvironmentVariable("ZF_SOURCE_DIR") + "/resources") {
    Language::loadFrom(folder, keys());
    return Language::loadedCount();
}

} // namespace AllLanguages
