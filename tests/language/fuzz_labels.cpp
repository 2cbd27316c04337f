// Fuzz target for the labels-file reader (Net.xml). Built with libFuzzer under Clang (ZF_FUZZ=ON);
// otherwise a driver that runs the files named on the command line through the same path.
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

#ifndef ZF_LIBFUZZER
int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        QFile f(QString::fromLocal8Bit(argv[i]));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        const QByteArray data = f.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()));
    }
    return 0;
}
#endif
