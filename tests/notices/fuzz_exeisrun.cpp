// Fuzz target for the texts of the "already running" notice: the input is read both as one of its small
// XML files and as a language JSON file.
#include "app/notices/ExeIsRun.h"
#include "tests/common/QtJsonLeak.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    ExeIsRun::parseTexts(bytes, false);
    const QtJsonLeakPause pause;
    ExeIsRun::parseTexts(bytes, true);
    return 0;
}
