#include "app/core/Language.h"

#include <atomic>

// Minimal tables until the language loader lands: no texts, so the forms keep their defaults.
namespace Language {
static std::atomic<int> g_index{0};
int currentIndex() {
    return g_index.load();
}
void setCurrentIndex(int index) {
    g_index.store(index);
}
QString text(const QString&, const QString&, int) {
    return QString();
}
} // namespace Language
