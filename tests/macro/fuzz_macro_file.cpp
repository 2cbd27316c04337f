// Fuzz target for the macro file reader and what follows a read: writing it back must read the same,
// and packing it never leaves the 592-byte area (the area's own decoder is fed the input too).
#include "macro/core/MacroFile.h"
#include "macro/core/MacroPacker.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace MacroFormat;

static void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const MacroData macro = parse(bytes);
    check(validCycle(macro.cycle), "cycle is a rule");
    check(parse(serialise(macro)) == macro, "written file reads back");
    const MacroPacker::Packed packed = MacroPacker::pack(QString::fromUtf8(bytes.left(40)), macro);
    check(packed.fits == (macro.keyEvents() <= kMaxEvents), "fits");
    if (packed.fits) {
        check(MacroPacker::eventCount(packed.block) == macro.keyEvents(), "count");
        check(MacroPacker::unpack(packed.block, macro.cycle).keyEvents() == macro.keyEvents(), "unpack");
    }
    MacroBlock area{};
    std::memcpy(area.bytes, data, size < sizeof area.bytes ? size : sizeof area.bytes);
    const MacroData back = MacroPacker::unpack(area, size ? data[0] : 0);
    check(back.keyEvents() <= kMaxEvents, "device count bounded");
    check(MacroPacker::name(area).size() <= 30, "name bounded");
    return 0;
}
