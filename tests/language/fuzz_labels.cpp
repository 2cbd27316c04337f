// Fuzz target for the labels-file reader (Net.xml).
#include "app/core/Language.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QHash<QString, QStringList> labels;
    QString error;
    const bool ok =
        Language::parseLabels(QByteArray(reinterpret_cast<const char*>(data), int(size)), labels, error);
    if (ok == !error.isEmpty() || (!ok && !labels.isEmpty()))
        __builtin_trap(); // a refusal always says why and leaves no labels behind
    return 0;
}
