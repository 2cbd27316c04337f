// Fuzz target for the macro exchange stream: any input reads as a record or a failure, never past its
// end; a record read writes and reads back unchanged.
#include "macro/core/MacroExport.h"

#include <cstdio>
#include <cstdlib>

static void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    MacroExport::Record record;
    record.name = QStringLiteral("untouched");
    const MacroExport::ReadResult result = MacroExport::read(bytes, record);
    if (result != MacroExport::ReadResult::Ok) {
        check(record.name == QLatin1String("untouched"), "failure leaves the record");
        return 0;
    }
    // The writer pads fixed fields, so compare what the fields hold after a second pass.
    MacroExport::Record again;
    check(MacroExport::read(MacroExport::write(record), again) == MacroExport::ReadResult::Ok, "re-read");
    check(again.items == record.items, "items survive");
    MacroExport::Record third;
    check(MacroExport::read(MacroExport::write(again), third) == MacroExport::ReadResult::Ok, "stable");
    check(third.name == again.name && third.cycle == again.cycle, "fields stable");
    return 0;
}
