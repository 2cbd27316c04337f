// Fuzz target for the decoders of a record's button bytes (assignments, key blocks, macro names) and
// for the combination texts the page and the device information file hand to the encoder.
// Input: byte 0 picks the sensor, byte 1 the debounce bytes, the rest fills the record from the first
// button assignment on; the whole input is also read as lines of text. Built with libFuzzer under
// Clang (ZF_FUZZ=ON); otherwise a driver that runs the seed files named on the command line.
#include "buttons/ButtonFunctions.h"
#include "sensor/SensorCapability.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace Buttons;

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

const SensorCapability& sensorFor(uint8_t selector) {
    static const QStringList models{"3395", "3950", "3311", "3955", "3315", "S312", "OM76", "3370"};
    static QVector<SensorCapability> caps;
    if (caps.isEmpty()) {
        for (int table = 0; table < 2; ++table)
            for (const QString& model : models) {
                SensorCapability cap;
                cap.SensorModel = model;
                if (table) // a table with a code shared by two values, as coarse steps have
                    cap.parseHeader("#define SENSOR_" + model.toLatin1() + "_DPI_100\t0x01\n#define SENSOR_" +
                                    model.toLatin1() + "_DPI_400\t4\n#define SENSOR_" + model.toLatin1() +
                                    "_DPI_800\t0x04\n");
                caps << cap;
            }
    }
    return caps[selector % caps.size()];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const SensorCapability& sensor = sensorFor(data[0]);
    FlashDataMap record;
    record.clear();
    const size_t at = offsetof(FlashDataMap, buttons);
    std::memcpy(record.data() + at, data + 2, std::min(size - 2, size_t(FlashDataMap::kSize) - at));
    Debounce::WheelIndex(data[1]);
    Debounce::ReleaseIndex(data[1]);

    const LabelContext context{99, &sensor, QString()};
    for (int i = -1; i <= kButtonCount; ++i) {
        const ButtonAssignment a = record.buttons[qBound(0, i, kButtonCount - 1)];
        const std::optional<QString> label = AssignmentLabel(i, a, record, context);
        check(i >= 0 && i < kButtonCount ? true : !label, "label outside the sixteen buttons");
        RapidFireStart(ButtonFunction::from(a));
        if (i < 0 || i >= kButtonCount)
            continue;
        const KeySequenceBlock& block = record.keyBlocks[i];
        check(KeyBlockReadableEvents(block) <= kKeyBlockEvents, "readable events");
        if (a.bytes[0] == uint8_t(ButtonFunctionType::KeySequence))
            check(label && !label->isEmpty(), "key-sequence label empty");
        // A combination shown on a key encodes back to a block that shows the same text.
        const QString text = CombinationText(block, 99);
        KeySequenceBlock again;
        if (!text.isEmpty() && EncodeCombination(text, again, 99))
            check(CombinationText(again, 99) == text, "combination text round trip");
    }
    for (int value : DpiLock::kValues)
        if (const auto code = DpiLock::Encode(sensor, value))
            check(DpiLock::Decode(sensor, *code) == value, "DPI lock round trip");

    const QStringList lines = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size)).split('\n');
    for (const QString& line : lines.mid(0, 64)) {
        KeySequenceBlock block;
        std::memset(&block, 0x5A, sizeof(block));
        if (EncodeCombination(line, block, 99)) {
            check(KeyBlockCount(block) >= 2 && KeyBlockCount(block) <= kKeyBlockEvents, "encoded count");
            KeySequenceBlock again;
            check(EncodeCombination(CombinationText(block, 99), again, 99) &&
                      std::memcmp(&again, &block, sizeof(block)) == 0,
                  "encoded block round trip");
        }
        if (const auto k = KeyCode(line, 99))
            check(KeyName(CodeText(k->code), int(k->kind), 99) == line, "key name round trip");
        for (int kind = 0; kind <= 4; ++kind)
            KeyName(line.left(8), kind, 99);
        MacroBlock area;
        SetMacroAreaName(area, line);
        check(MacroAreaName(area).size() <= line.size(), "macro name grows");
    }
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
    return argc > 1 ? 0 : 1;
}
#endif
