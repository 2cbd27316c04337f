#pragma once
// Language tables: one key-to-text map per (section, group) and language, filled from the JSON files
// under the application folder's "/Language/". A missing key yields an empty text.

#include <QString>

namespace Language {
// The process language index (position among the enabled languages).
int currentIndex();
void setCurrentIndex(int index);
// Text of `key` in the mouse section's `group` for language `index`; empty when unknown.
QString text(const QString& group, const QString& key, int index);
inline QString text(const QString& group, const QString& key) {
    return text(group, key, currentIndex());
}
} // namespace Language
