#include "app/core/Language.h"
#include "buttons/ButtonFunctions.h"
#include "sensor/SensorCapability.h"

#include <QFile>
#include <QSet>
#include <QTextCodec>
#include <QtTest>

using namespace Buttons;
using Kind = KeyEventKind;
using Label = std::optional<QString>;

namespace {

constexpr int kEn = 0, kCn = 1, kRu = 2, kNone = 99; // the languages loaded below; 99: none

std::optional<KeyCodeResult> kc(Kind kind, int code) {
    return KeyCodeResult{kind, uint16_t(code)};
}

QByteArray bytes(const KeySequenceBlock& b) {
    return QByteArray(reinterpret_cast<const char*>(&b), sizeof(b));
}

// The device's layout written out: count, three zero bytes, then per pressed key (kind << 16 | code)
// its press in order and its release in reverse, each {action, kind, code LE16, 10 ms LE32}, zero fill.
QByteArray expectedBlock(const QVector<int>& keys) {
    QByteArray b(52, '\0');
    const int n = keys.size();
    b[0] = char(2 * n);
    for (int j = 0; j < 2 * n; ++j) {
        const int key = keys[j < n ? j : 2 * n - 1 - j];
        b.replace(4 + 8 * j, 8, QByteArray::fromRawData("\0\0\0\0\x0a\0\0\0", 8));
        b[4 + 8 * j] = char(j < n ? 0 : 1);
        b[5 + 8 * j] = char(key >> 16);
        b[6 + 8 * j] = char(key & 0xFF);
        b[7 + 8 * j] = char((key >> 8) & 0xFF);
    }
    return b;
}

// The label of an assignment given to button 2 of an otherwise empty record.
Label label(const ButtonFunction& f, int lang, const KeySequenceBlock* block = nullptr,
            const SensorCapability* sensor = nullptr) {
    FlashDataMap record;
    record.clear();
    if (block)
        record.keyBlocks[2] = *block;
    SetMacroAreaName(record.macros[2], QStringLiteral("Fire"));
    return AssignmentLabel(2, f.assignment(), record, {lang, sensor, QString()});
}

} // namespace

class TestButtons : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
        Language::loadFrom(qEnvironmentVariable("ZF_SOURCE_DIR") + "/resources",
                           {"English", "zh-CN", "Russian"});
        QCOMPARE(Language::loadedCount(), 3);
    }

    // Every name of the key, modifier and mouse tables maps to its code text and back, the tables are
    // disjoint, and the combination dialog's virtual keys name exactly the key table's keys.
    void keyTablesBothWays() {
        QSet<QString> names, virtualNames;
        for (int i = 0; i < KeyCodeTableSize(); ++i) {
            const KeyCodeEntry& e = KeyCodeTable()[i];
            QCOMPARE(KeyName(CodeText(e.code), 1), QString::fromUtf8(e.name));
            QCOMPARE(KeyCode(QString::fromUtf8(e.name)), e.code ? kc(Kind::Keyboard, e.code) : std::nullopt);
            names << QString::fromUtf8(e.name);
        }
        for (int i = 0; i < kModifierCount; ++i) {
            const ModifierEntry& m = ModifierBits()[i];
            QCOMPARE(KeyName(CodeText(1 << i), 0), QLatin1String(m.name));
            QCOMPARE(KeyCode(m.name), kc(Kind::Modifier, 1 << i));
            names << m.name;
        }
        for (int lang : {kEn, kRu, kCn})
            for (int i = 0; i < 5; ++i) {
                const QString name = MouseButtonNames(lang).at(i);
                QCOMPARE(KeyName(CodeText(kMouseButtonCodes[i]), 4, lang), name);
                QCOMPARE(KeyCode(name, lang), kc(Kind::MouseButton, kMouseButtonCodes[i]));
                names << name;
            }
        QCOMPARE(names.size(), 96 + 8 + 15);                              // disjoint
        QCOMPARE(KeyName("0x08", 4, kEn), QStringLiteral("Back button")); // not the editor's 4th entry
        QCOMPARE(KeyName("0x4F", 1), QString(QChar(0x2192)));
        for (const char* text : {"0x32", "0x58", "0x64", "0x66", "0x4", "0x0a"})
            QVERIFY2(KeyName(text, 1).isEmpty(), text);
        QVERIFY(KeyName("0x04", 2).isEmpty() && KeyName("0x04", 3).isEmpty() && KeyName("0x03", 0).isEmpty());
        QVERIFY(!KeyCode("a") && !KeyCode("Ctrl"));
        for (int vk = 0; vk < 256; ++vk)
            if (!VirtualKeyName(vk).isEmpty()) {
                QCOMPARE(KeyCode(VirtualKeyName(vk))->kind, Kind::Keyboard);
                virtualNames << VirtualKeyName(vk);
            }
        QCOMPARE(virtualNames.size(), 95);
        QCOMPARE(VirtualKeyName(37), QString(QChar(0x2190)));
    }

    void combinationEncoding_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVector<int>>("keys"); // kind << 16 | code, in press order; empty: refused
        const int ctrl = 0x01, a = 1 << 16 | 0x04;
        QTest::newRow("one key") << "A" << QVector<int>{a};
        QTest::newRow("Ctrl+A") << "Ctrl+A" << QVector<int>{ctrl, a};
        QTest::newRow("LCtrl+LShift+A") << "LCtrl+LShift+A" << QVector<int>{ctrl, 0x02, a};
        QTest::newRow("right modifiers") << "RCtrl+RAlt+F1" << QVector<int>{0x10, 0x40, 1 << 16 | 0x3A};
        QTest::newRow("Num+") << "Win+Num+" << QVector<int>{0x08, 1 << 16 | 0x57};
        QTest::newRow("unnamed usage") << "0x58" << QVector<int>{1 << 16 | 0x58};
        for (const char* bad : {"", "A+B+C+D", "Ctrl+Foo", "A++B", "+", "ctrl+a", "0x00", "0x5", "Num+A+B+C"})
            QTest::newRow(bad[0] ? bad : "empty") << QString(bad) << QVector<int>();
    }
    // A refused text leaves the block as it was.
    void combinationEncoding() {
        QFETCH(QString, text);
        QFETCH(QVector<int>, keys);
        KeySequenceBlock b;
        std::memset(&b, 0xA5, sizeof(b));
        QCOMPARE(EncodeCombination(text, b), !keys.isEmpty());
        QCOMPARE(bytes(b), keys.isEmpty() ? QByteArray(52, char(0xA5)) : expectedBlock(keys));
    }

    // decode(encode(x)) = x for every named key alone and behind modifiers, on the key's label too.
    void combinationRoundTrip() {
        const QStringList words{"Shift", "Ctrl", "Alt", "Win", "RWin"};
        for (int i = 1; i < KeyCodeTableSize(); ++i) {
            const QString name = QString::fromUtf8(KeyCodeTable()[i].name);
            for (const QString& text : {name, words[i % 5] + "+" + name, words[i % 4] + "+RShift+" + name}) {
                KeySequenceBlock b;
                QVERIFY2(EncodeCombination(text, b), qPrintable(text));
                QCOMPARE(label(ButtonFunctionType::KeySequence, kEn, &b), Label(text));
            }
        }
        KeySequenceBlock b;
        QVERIFY(EncodeCombination("LCtrl+LShift+A", b));
        QCOMPARE(CombinationText(b), QStringLiteral("Ctrl+Shift+A"));
        QVERIFY(EncodeCombination(MouseButtonNames(kRu).at(2) + "+A", b, kRu));
        QCOMPARE(CombinationText(b, kRu), MouseButtonNames(kRu).at(2) + "+A");
    }

    // Record bytes are bounded before they index; a code without a name shows as hex, which encodes
    // back to the same code, never as an empty name.
    void recordBytesBounded() {
        KeySequenceBlock b;
        QVERIFY(EncodeCombination("Ctrl+Alt+Del", b));
        reinterpret_cast<uint8_t*>(&b)[0] = 200;
        QCOMPARE(CombinationText(b), QStringLiteral("Ctrl+Alt+Del"));
        QVERIFY(EncodeCombination("0x58+A", b));
        reinterpret_cast<uint8_t*>(&b)[13] = 0; // the second press becomes modifier 0x03 (no name)
        reinterpret_cast<uint8_t*>(&b)[14] = 0x03;
        QCOMPARE(CombinationText(b), QStringLiteral("0x58+0x0003"));
        const KeySequenceBlock odd = EncodeConsumer(0x0199);
        QCOMPARE(label(ButtonFunctionType::KeySequence, kEn, &odd), Label("0x0199"));
        std::memset(&b, 0, sizeof(b));
        QCOMPARE(label(ButtonFunctionType::KeySequence, kEn, &b), Label("Key combination"));

        MacroBlock area;
        std::memset(&area, 'x', sizeof(area));
        QCOMPARE(MacroAreaName(area), QString(kMacroNameBytes, 'x')); // length byte 'x' = 120
        area.bytes[0] = 5;
        area.bytes[3] = 0;
        QCOMPARE(MacroAreaName(area), QStringLiteral("xx"));
        SetMacroAreaName(area,
                         QString::fromUtf8("宏定义宏定义宏定义宏定义")); // 36 bytes: 10 whole characters
        QCOMPARE(MacroAreaName(area), QString::fromUtf8("宏定义宏定义宏定义宏"));
        QVERIFY(area.bytes[0] == 30 && area.bytes[31] == 'x'); // the event count is not the name's
        FlashDataMap record;
        record.clear();
        QVERIFY(!AssignmentLabel(16, {{1, 1, 0}}, record) && !AssignmentLabel(-1, {{1, 1, 0}}, record));
    }

    // One rule per sensor both ways: every offered value reads back as itself, on the key's label too.
    // Per sensor: the codes of the values 100, 200, … (first code, step, how many are offered).
    void dpiLock() {
        const struct {
            const char* model;
            int from, step, offered;
        } rules[] = {{"3395", 1, 2, 12},  {"3950", 1, 2, 12},   {"3370", 1, 2, 12}, {"S312", 2, 2, 12},
                     {"OM76", 9, 10, 12}, {"3955", 99, 100, 2}, {"3315", 1, 1, 12}};
        QFile header(qEnvironmentVariable("ZF_SOURCE_DIR") + "/resources/driver_sensor.h");
        QVERIFY(header.open(QIODevice::ReadOnly));
        SensorCapability cap;
        cap.parseHeader(header.readAll()); // a table for "3315" only
        for (const auto& rule : rules) {
            cap.SensorModel = rule.model;
            for (int i = 0; i < DpiLock::kValueCount; ++i) {
                const QString value = QString::number(DpiLock::kValues[i]);
                const std::optional<uint8_t> code = DpiLock::Encode(cap, DpiLock::kValues[i]);
                QCOMPARE(code ? int(*code) : -1, i < rule.offered ? rule.from + rule.step * i : -1);
                if (!code)
                    continue;
                QCOMPARE(DpiLock::Decode(cap, *code), DpiLock::kValues[i]);
                QCOMPARE(label(DpiLock::Assignment(*code), kEn, nullptr, &cap), Label("DPI Lock-" + value));
                QCOMPARE(label(DpiLock::Assignment(*code), kRu, nullptr, &cap), Label("DPI Lock-" + value));
                QCOMPARE(label(DpiLock::Assignment(*code), kCn, nullptr, &cap), Label("DPI锁定-" + value));
            }
        }
        QCOMPARE(DpiLock::Decode(cap, 0xF0), 0); // no entry in the table of "3315"
    }

    // The label of every assignment (and the multimedia blocks) in English and Russian from each
    // language's own table, the built-in text without a language, none where the key keeps its text.
    void labels() {
        const auto en = Language::options("KeyOptions", kEn), ru = Language::options("KeyOptions", kRu);
        for (int i = 0; i < FixedFunctionCount(); ++i) {
            const FunctionRow& row = FixedFunctionTable()[i];
            QCOMPARE(FindFixedFunction(ButtonFunction::from(row.function.assignment())), &row);
            QVERIFY(!en.value(row.labelKey).isEmpty() && !ru.value(row.labelKey).isEmpty());
            QCOMPARE(label(row.function, kEn), Label(en.value(row.labelKey)));
            QCOMPARE(label(row.function, kRu), Label(ru.value(row.labelKey)));
            QCOMPARE(label(row.function, kNone), Label(QString::fromUtf8(row.defaultText)));
        }
        QVERIFY(ConsumerKey(0) == "0x0183" && ConsumerKey(1) == "0x00CD" && ConsumerKey(18).isEmpty());
        for (int row = 0; row < kConsumerFunctionCount; ++row) {
            const uint16_t code = ConsumerFunctionTable()[row].code;
            const KeySequenceBlock b = EncodeConsumer(code);
            QCOMPARE(bytes(b), expectedBlock({int(Kind::Consumer) << 16 | code}));
            QCOMPARE(ConsumerRow(code), row); // low bytes are distinct
            QCOMPARE(label(ButtonFunctionType::KeySequence, kRu, &b), Label(ru.value(ConsumerKey(row))));
            QCOMPARE(label(ButtonFunctionType::KeySequence, kNone, &b),
                     Label(QString::fromUtf8(ConsumerFunctionTable()[row].defaultText)));
        }
        const KeySequenceBlock play = EncodeConsumer(0x00CD),
                               player = EncodeConsumer(0x0083); // low byte decides
        QCOMPARE(label(ButtonFunctionType::KeySequence, kEn, &play), Label("Play/Pause"));
        QCOMPARE(label(ButtonFunctionType::KeySequence, kEn, &player), Label("Media player"));
        QCOMPARE(label({1, 1}, kEn), Label("Left click"));
        QCOMPARE(label({7, 9}, kEn), Label("Report rate switch"));
        QCOMPARE(label(RapidFire({}), kEn), Label("Rapid fire"));
        QCOMPARE(label(RapidFire({}), kRu), Label(ru.value("4")));
        QCOMPARE(label({6, 2, 1}, kEn), Label("Macro: Fire"));
        QCOMPARE(label({6, 2, 1}, kRu), Label(Language::text("key", "MacroSeond", kRu) + "Fire"));
        for (const ButtonFunction f : {ButtonFunction(8, 2), ButtonFunction(1, 3), ButtonFunction(2, 0),
                                       ButtonFunction(11, 3), ButtonFunction(12, 0), ButtonFunction(255, 1)})
            QVERIFY(!label(f, kEn));
    }

    void pageValues() {
        QSet<int> indices;
        for (int key = 1; key <= kButtonCount; ++key) {
            QCOMPARE(KeyForButtonIndex(ButtonIndexForKey(key)), key);
            indices << ButtonIndexForKey(key);
        }
        QVERIFY(indices.size() == kButtonCount && ButtonIndexForKey(4) == 4 && ButtonIndexForKey(5) == 3);
        QVERIFY(ButtonIndexForKey(0) == -1 && ButtonIndexForKey(17) == -1 && KeyForButtonIndex(16) == -1);
        QVERIFY(BoundedKeyNumber(40) == 16 && BoundedKeyNumber(-3) == 0 && BoundedKeyNumber(6) == 6);

        // The page suite walks the debounce choices and the rapid-fire dialog's start; here their edges.
        QVERIFY(Debounce::WheelByte(0) == 10 && Debounce::WheelIndex(0) == -1 &&
                Debounce::WheelIndex(110) == -1 && Debounce::ReleaseIndex(31) == -1);
        QCOMPARE(RapidFireStart(ButtonFunction(4, 50, 0)), (RapidFireSetting{50, 0}));
        QCOMPARE(RapidFireStart(ButtonFunction(4, 3, 9)), (RapidFireSetting{10, 3}));
        QCOMPARE(RapidFire({300, 7}), ButtonFunction(4, 255, 3));
        QCOMPARE(RapidFire({}), ButtonFunction(4, 10, 3));
    }
};

QTEST_GUILESS_MAIN(TestButtons)
#include "tst_buttons.moc"
