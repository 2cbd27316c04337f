// Fuzz target for the decoders of a record's button bytes and for the combination texts handed to the
// encoder. Byte 0 picks the sensor, byte 1 is a debounce byte, the rest fills the record from the first
// button on; the input's lines are also combination texts.
#include "buttons/ButtonFunctions.h"
#include "sensor/SensorCapability.h"

#include <cstdio>
#include <cstdlib>

using namespace Buttons;

static void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    static const QStringList models{"3395", "3950", "3955", "3315", "S312", "OM76", "3370"};
    SensorCapability sensor;
    sensor.SensorModel = models[data[0] % models.size()];
    if (data[0] & 0x80) // a table with a code shared by two values
        sensor.parseHeader("#define SENSOR_" + sensor.SensorModel.toLatin1() +
                           "_DPI_400\t4\n#define SENSOR_" + sensor.SensorModel.toLatin1() +
                           "_DPI_800\t0x04\n");
    FlashDataMap record;
    record.clear();
    const size_t at = offsetof(FlashDataMap, buttons);
    std::memcpy(record.data() + at, data + 2, std::min(size - 2, size_t(FlashDataMap::kSize) - at));
    Debounce::WheelIndex(data[1]);
    Debounce::ReleaseIndex(data[1]);

    for (int i = -1; i <= kButtonCount; ++i) {
        const ButtonAssignment a = record.buttons[qBound(0, i, kButtonCount - 1)];
        const std::optional<QString> label = AssignmentLabel(i, a, record, {99, &sensor, QString()});
        RapidFireStart(ButtonFunction::from(a));
        if (i < 0 || i == kButtonCount) {
            check(!label, "label outside the sixteen buttons");
            continue;
        }
        if (a.bytes[0] == uint8_t(ButtonFunctionType::KeySequence))
            check(label && !label->isEmpty(), "key-sequence label empty");
        // A combination shown on a key encodes back to a block that shows the same text.
        const QString text = CombinationText(record.keyBlocks[i], 99);
        KeySequenceBlock again;
        if (!text.isEmpty() && EncodeCombination(text, again, 99))
            check(CombinationText(again, 99) == text, "shown combination round trip");
    }
    for (int value : DpiLock::kValues)
        if (const auto code = DpiLock::Encode(sensor, value))
            check(DpiLock::Decode(sensor, *code) == value, "DPI lock round trip");

    const QStringList lines = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size)).split('\n');
    for (const QString& line : lines.mid(0, 64)) {
        KeySequenceBlock block, again;
        if (EncodeCombination(line, block, 99))
            check(EncodeCombination(CombinationText(block, 99), again, 99) &&
                      std::memcmp(&again, &block, sizeof(block)) == 0,
                  "encoded combination round trip");
        for (int kind = -1; kind <= 4; ++kind) // code texts as macro files hold them
            KeyName(line, kind, 99);
        if (const auto k = KeyCode(line, 99))
            check(KeyName(CodeText(k->code), int(k->kind), 99) == line, "key name round trip");
        MacroBlock area;
        SetMacroAreaName(area, line);
        check(MacroAreaName(area).size() <= line.size(), "macro name grows");
    }
    return 0;
}
