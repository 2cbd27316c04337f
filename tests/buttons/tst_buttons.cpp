#include "app/core/Language.h"
#include "buttons/ButtonFunctions.h"
#include "sensor/SensorCapability.h"

#include <QFile>
#include <QSet>
#include <QTextCodec>
#include <QtTest>

using namespace Buttons;

namespace {

constexpr int kEn = 0, kCn = 1, kRu = 2; // the languages loaded below, in loading order

// A block filled with a pattern, to see that a refused encode leaves it alone.
KeySequenceBlock patterned() {
    KeySequenceBlock b;
    std::memset(&b, 0xA5, sizeof(b));
    return b;
}

std::optional<KeyCodeResult> kc(KeyEventKind kind, int code) {
    return KeyCodeResult{kind, uint16_t(code)};
}

KeyEventFields ev(int action, KeyEventKind kind, int code) {
    return {uint8_t(action), uint8_t(kind), uint16_t(code), kKeyBlockDelay};
}

// The label of one assignment given to button 2 of an otherwise empty record.
std::optional<QString> label(const ButtonFunction& f, int lang, const KeySequenceBlock* block = nullptr,
                             const SensorCapability* sensor = nullptr) {
    FlashDataMap record;
    record.clear();
    if (block)
        record.keyBlocks[2] = *block;
    SetMacroAreaName(record.macros[2], QStringLiteral("Fire"));
    return AssignmentLabel(2, f.assignment(), record, {lang, sensor, QString()});
}

SensorCapability sensor(const QString& model, bool withShippedHeader) {
    SensorCapability cap;
    cap.SensorModel = model;
    if (withShippedHeader) {
        QFile f(qEnvironmentVariable("ZF_SOURCE_DIR") + "/resources/driver_sensor.h");
        if (f.open(QIODevice::ReadOnly))
            cap.parseHeader(f.readAll());
    }
    return cap;
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
            const QString name = QString::fromUtf8(e.name);
            QCOMPARE(KeyName(CodeText(e.code), 1), name);
            if (e.code == 0) {
                QVERIFY(!KeyCode(name));
                continue;
            }
            QCOMPARE(KeyCode(name), kc(KeyEventKind::Keyboard, e.code));
            names << name;
        }
        QCOMPARE(names.size(), 95);
        for (int i = 0; i < kModifierCount; ++i) {
            const ModifierEntry& m = ModifierBits()[i];
            QCOMPARE(m.bit, uint8_t(1 << i));
            QCOMPARE(KeyName(CodeText(m.bit), 0), QLatin1String(m.name));
            QCOMPARE(KeyCode(m.name), kc(KeyEventKind::Modifier, m.bit));
            names << m.name;
        }
        for (int lang : {kEn, kRu, kCn})
            for (int i = 0; i < 5; ++i) {
                const QString name = MouseButtonNames(lang).at(i);
                QCOMPARE(KeyName(CodeText(kMouseButtonCodes[i]), 4, lang), name);
                QCOMPARE(KeyCode(name, lang), kc(KeyEventKind::MouseButton, kMouseButtonCodes[i]));
                QVERIFY(!names.contains(name));
            }
        QCOMPARE(MouseButtonNames(kEn).at(3), QStringLiteral("Back button")); // code 0x08
        QCOMPARE(KeyName("0x4F", 1), QString(QChar(0x2192)));
        QCOMPARE(KeyCode(QString(QChar(0x2191))), kc(KeyEventKind::Keyboard, 0x52));
        for (const char* text : {"0x32", "0x58", "0x64", "0x66", "0xFF", "0x4", "0x0a"})
            QVERIFY2(KeyName(text, 1).isEmpty(), text);
        QVERIFY(KeyName("0x04", 2).isEmpty() && KeyName("0x04", 3).isEmpty() && KeyName("0x03", 0).isEmpty());
        QVERIFY(!KeyCode("a") && !KeyCode("Ctrl") && !KeyCode(""));
        for (int vk = 0; vk < 256; ++vk) {
            const QString name = VirtualKeyName(vk);
            if (!name.isEmpty()) {
                QVERIFY2(KeyCode(name) && KeyCode(name)->kind == KeyEventKind::Keyboard, qPrintable(name));
                virtualNames << name;
            }
        }
        QCOMPARE(virtualNames.size(), 95); // one virtual key per named usage
        QCOMPARE(VirtualKeyName(37), QString(QChar(0x2190)));
    }

    void consumerBlocks() {
        QVERIFY(ConsumerKey(0) == "0x0183" && ConsumerKey(1) == "0x00CD" && ConsumerKey(17) == "0x022A");
        QVERIFY(ConsumerKey(18).isEmpty());
        for (int row = 0; row < kConsumerFunctionCount; ++row) {
            const uint16_t code = ConsumerFunctionTable()[row].code;
            const KeySequenceBlock b = EncodeConsumer(code);
            QCOMPARE(KeyBlockCount(b), 2);
            QCOMPARE(KeyBlockEvent(b, 0), ev(0, KeyEventKind::Consumer, code));
            QCOMPARE(KeyBlockEvent(b, 1), ev(1, KeyEventKind::Consumer, code));
            for (int slot = 2; slot < kKeyBlockEvents; ++slot)
                QCOMPARE(KeyBlockEvent(b, slot), KeyEventFields());
            QCOMPARE(BlockConsumerCode(b), std::optional<uint16_t>(code));
            QCOMPARE(ConsumerRow(code), row); // low bytes are distinct
            QVERIFY(!Language::options("KeyOptions", kEn).value(ConsumerKey(row)).isEmpty());
        }
    }

    void combinationEncoding_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVector<int>>("pressed"); // kind << 16 | code, in press order
        auto key = [](KeyEventKind k, int code) { return int(k) << 16 | code; };
        const int ctrl = key(KeyEventKind::Modifier, 0x01), a = key(KeyEventKind::Keyboard, 0x04);
        QTest::newRow("one key") << "A" << QVector<int>{a};
        QTest::newRow("Ctrl+A") << "Ctrl+A" << QVector<int>{ctrl, a};
        QTest::newRow("LCtrl+LShift+A")
            << "LCtrl+LShift+A" << QVector<int>{ctrl, key(KeyEventKind::Modifier, 0x02), a};
        QTest::newRow("right modifiers")
            << "RCtrl+RAlt+F1"
            << QVector<int>{key(KeyEventKind::Modifier, 0x10), key(KeyEventKind::Modifier, 0x40),
                            key(KeyEventKind::Keyboard, 0x3A)};
        QTest::newRow("Num+ holds the separator")
            << "Win+Num+"
            << QVector<int>{key(KeyEventKind::Modifier, 0x08), key(KeyEventKind::Keyboard, 0x57)};
        QTest::newRow("unnamed usage as shown") << "0x58" << QVector<int>{key(KeyEventKind::Keyboard, 0x58)};
        for (const char* bad : {"", "A+B+C+D", "Ctrl+Foo", "A++B", "+", "ctrl+a", "0x00", "0x5", "Num+A+B+C"})
            QTest::newRow(bad[0] ? bad : "empty") << QString(bad) << QVector<int>();
    }
    // Presses in the order written, releases in reverse, 10 ms each, the other slots zero; a refused
    // text leaves the block as it was.
    void combinationEncoding() {
        QFETCH(QString, text);
        QFETCH(QVector<int>, pressed);
        KeySequenceBlock b = patterned();
        QCOMPARE(EncodeCombination(text, b), !pressed.isEmpty());
        if (pressed.isEmpty()) {
            const KeySequenceBlock untouched = patterned();
            QVERIFY(std::memcmp(&b, &untouched, sizeof(b)) == 0);
            return;
        }
        const int n = pressed.size();
        QCOMPARE(KeyBlockCount(b), 2 * n);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&b) + 1, 3), QByteArray(3, '\0'));
        for (int j = 0; j < n; ++j) {
            const auto kind = KeyEventKind(pressed[j] >> 16);
            QCOMPARE(KeyBlockEvent(b, j), ev(0, kind, pressed[j] & 0xFFFF));
            QCOMPARE(KeyBlockEvent(b, 2 * n - 1 - j), ev(1, kind, pressed[j] & 0xFFFF));
        }
        for (int slot = 2 * n; slot < kKeyBlockEvents; ++slot)
            QCOMPARE(KeyBlockEvent(b, slot), KeyEventFields());
    }

    // decode(encode(x)) = x for every named key alone and behind the modifier words.
    void combinationRoundTrip() {
        const QStringList words{"Shift", "Ctrl", "Alt", "Win", "RWin"};
        for (int i = 1; i < KeyCodeTableSize(); ++i) {
            const QString name = QString::fromUtf8(KeyCodeTable()[i].name);
            for (const QString& text : {name, words[i % 5] + "+" + name, words[i % 4] + "+RShift+" + name}) {
                KeySequenceBlock b;
                QVERIFY2(EncodeCombination(text, b), qPrintable(text));
                QCOMPARE(CombinationText(b), text);
                QCOMPARE(label(ButtonFunctionType::KeySequence, kEn, &b), std::optional<QString>(text));
            }
        }
        KeySequenceBlock b;
        QVERIFY(EncodeCombination("LCtrl+LShift+A", b));
        QCOMPARE(CombinationText(b), QStringLiteral("Ctrl+Shift+A"));
        QVERIFY(EncodeCombination(MouseButtonNames(kRu).at(2) + "+A", b, kRu));
        QCOMPARE(CombinationText(b, kRu), MouseButtonNames(kRu).at(2) + "+A");
    }

    // Record bytes are bounded before they index, and a code without a name shows as hex that encodes
    // back to the same code, never as an empty name.
    void recordBlocksBounded() {
        KeySequenceBlock b;
        QVERIFY(EncodeCombination("Ctrl+Alt+Del", b));
        reinterpret_cast<uint8_t*>(&b)[0] = 200;
        QCOMPARE(KeyBlockReadableEvents(b), kKeyBlockEvents);
        QCOMPARE(CombinationText(b), QStringLiteral("Ctrl+Alt+Del"));
        KeySequenceBlock empty;
        std::memset(&empty, 0, sizeof(empty));
        QCOMPARE(label(ButtonFunctionType::KeySequence, kEn, &empty),
                 std::optional<QString>("Key combination"));
        QVERIFY(EncodeCombination("0x58+A", b));
        reinterpret_cast<uint8_t*>(&b)[13] = 0; // the second press becomes modifier 0x03 (no name)
        reinterpret_cast<uint8_t*>(&b)[14] = 0x03;
        QCOMPARE(CombinationText(b), QStringLiteral("0x58+0x0003"));
        KeySequenceBlock again;
        QVERIFY(EncodeCombination("0x58", again));
        QCOMPARE(KeyBlockEvent(again, 0).code, uint16_t(0x58));
        const KeySequenceBlock odd = EncodeConsumer(0x0199);
        QCOMPARE(label(ButtonFunctionType::KeySequence, kEn, &odd), std::optional<QString>("0x0199"));

        MacroBlock area;
        std::memset(&area, 'x', sizeof(area));
        QCOMPARE(MacroAreaName(area), QString(kMacroNameBytes, 'x')); // length byte 'x' = 120
        area.bytes[0] = 5;
        area.bytes[3] = 0;
        QCOMPARE(MacroAreaName(area), QStringLiteral("xx"));
        SetMacroAreaName(
            area, QString::fromUtf8("宏定义宏定义宏定义宏定义")); // 36 bytes: cut to 10 whole characters
        QCOMPARE(int(area.bytes[0]), 30);
        QCOMPARE(MacroAreaName(area), QString::fromUtf8("宏定义宏定义宏定义宏"));
        QCOMPARE(int(area.bytes[31]), int('x')); // the event count is not the name's
        FlashDataMap record;
        record.clear();
        QVERIFY(!AssignmentLabel(16, ButtonFunction(1, 1).assignment(), record) &&
                !AssignmentLabel(-1, ButtonFunction(1, 1).assignment(), record));
    }

    void dpiLock_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("table");
        QTest::addColumn<QVector<int>>("codes"); // expected code per offered value, -1 where none
        auto codes = [](int from, int step, int count) {
            QVector<int> c;
            for (int i = 0; i < DpiLock::kValueCount; ++i)
                c << (i < count ? from + step * i : -1);
            return c;
        };
        QTest::newRow("3395") << "3395" << false << codes(1, 2, 12);
        QTest::newRow("3950") << "3950" << false << codes(1, 2, 12);
        QTest::newRow("other") << "3370" << false << codes(1, 2, 12);
        QTest::newRow("S312") << "S312" << false << codes(2, 2, 12);
        QTest::newRow("OM76") << "OM76" << false << codes(9, 10, 12);
        QTest::newRow("3955 fits two") << "3955" << false << codes(99, 100, 2);
        QTest::newRow("3315 table") << "3315" << true << codes(1, 1, 12);
    }
    // One rule per sensor both ways: every offered value reads back as itself, on the key's label too.
    void dpiLock() {
        QFETCH(QString, model);
        QFETCH(bool, table);
        QFETCH(QVector<int>, codes);
        const SensorCapability cap = sensor(model, table);
        for (int i = 0; i < DpiLock::kValueCount; ++i) {
            const int value = DpiLock::kValues[i];
            const std::optional<uint8_t> code = DpiLock::Encode(cap, value);
            QCOMPARE(code ? int(*code) : -1, codes[i]);
            if (!code)
                continue;
            QCOMPARE(DpiLock::Decode(cap, *code), value);
            const ButtonFunction f = DpiLock::Assignment(*code);
            QCOMPARE(label(f, kEn, nullptr, &cap),
                     std::optional<QString>("DPI Lock-" + QString::number(value)));
            QCOMPARE(label(f, kRu, nullptr, &cap),
                     std::optional<QString>("DPI Lock-" + QString::number(value)));
            QCOMPARE(label(f, kCn, nullptr, &cap),
                     std::optional<QString>("DPI锁定-" + QString::number(value)));
        }
        QCOMPARE(DpiLock::Decode(sensor("3315", true), 0xF0), 0); // no table entry
    }

    // The label of every assignment in English and Russian, from each language's own table.
    void labels() {
        const auto en = Language::options("KeyOptions", kEn), ru = Language::options("KeyOptions", kRu);
        for (int i = 0; i < FixedFunctionCount(); ++i) {
            const FunctionRow& row = FixedFunctionTable()[i];
            QCOMPARE(FindFixedFunction(ButtonFunction::from(row.function.assignment())), &row);
            QVERIFY(!en.value(row.labelKey).isEmpty() && !ru.value(row.labelKey).isEmpty());
            QCOMPARE(label(row.function, kEn), std::optional<QString>(en.value(row.labelKey)));
            QCOMPARE(label(row.function, kRu), std::optional<QString>(ru.value(row.labelKey)));
            QCOMPARE(label(row.function, 99), std::optional<QString>(QString::fromUtf8(row.defaultText)));
        }
        for (int row = 0; row < kConsumerFunctionCount; ++row) {
            const KeySequenceBlock b = EncodeConsumer(ConsumerFunctionTable()[row].code);
            QCOMPARE(label(ButtonFunctionType::KeySequence, kRu, &b),
                     std::optional<QString>(ru.value(ConsumerKey(row))));
            QCOMPARE(label(ButtonFunctionType::KeySequence, 99, &b),
                     std::optional<QString>(QString::fromUtf8(ConsumerFunctionTable()[row].defaultText)));
        }
        const KeySequenceBlock play = EncodeConsumer(0x00CD);
        QCOMPARE(label(ButtonFunctionType::KeySequence, kEn, &play), std::optional<QString>("Play/Pause"));
        QCOMPARE(label({1, 1}, kEn), std::optional<QString>("Left click"));
        QCOMPARE(label({7, 9}, kEn), std::optional<QString>("Report rate switch"));
        QCOMPARE(label(RapidFire({}), kEn), std::optional<QString>("Rapid fire"));
        QCOMPARE(label(RapidFire({}), kRu), std::optional<QString>(ru.value("4")));
        QCOMPARE(label({6, 2, 1}, kEn), std::optional<QString>("Macro: Fire"));
        QCOMPARE(label({6, 2, 1}, kRu),
                 std::optional<QString>(Language::text("key", "MacroSeond", kRu) + "Fire"));
        for (const ButtonFunction f : {ButtonFunction(8, 2), ButtonFunction(1, 3), ButtonFunction(2, 0),
                                       ButtonFunction(11, 3), ButtonFunction(12, 0), ButtonFunction(255, 1)})
            QVERIFY(!label(f, kEn));
    }

    void pageValues() {
        QSet<int> indices;
        for (int key = 1; key <= kButtonCount; ++key) {
            const int index = ButtonIndexForKey(key);
            QCOMPARE(KeyForButtonIndex(index), key);
            indices << index;
        }
        QCOMPARE(indices.size(), kButtonCount);
        QCOMPARE(ButtonIndexForKey(4), 4);
        QCOMPARE(ButtonIndexForKey(5), 3);
        QVERIFY(ButtonIndexForKey(0) == -1 && ButtonIndexForKey(17) == -1 && KeyForButtonIndex(16) == -1);
        QVERIFY(BoundedKeyNumber(40) == 16 && BoundedKeyNumber(-3) == 0 && BoundedKeyNumber(6) == 6);

        QVERIFY(Debounce::WheelByte(0) == 10 && Debounce::WheelByte(9) == 100 &&
                Debounce::ReleaseByte(30) == 30);
        QCOMPARE(Debounce::WheelIndex(50), 4);
        for (int i = 0; i < Debounce::kWheelItems; ++i)
            QCOMPARE(Debounce::WheelIndex(Debounce::WheelByte(i)), i);
        for (int i = 0; i < Debounce::kReleaseItems; ++i)
            QCOMPARE(Debounce::ReleaseIndex(Debounce::ReleaseByte(i)), i);
        QVERIFY(Debounce::WheelIndex(0) == -1 && Debounce::WheelIndex(110) == -1 &&
                Debounce::ReleaseIndex(31) == -1);

        QCOMPARE(RapidFireStart(ButtonFunction(1, 1)), (RapidFireSetting{10, 3}));
        QCOMPARE(RapidFireStart(ButtonFunction(4, 50, 0)), (RapidFireSetting{50, 0}));
        QCOMPARE(RapidFireStart(ButtonFunction(4, 3, 9)), (RapidFireSetting{10, 3}));
        QCOMPARE(RapidFire({300, 7}), ButtonFunction(4, 255, 3));
        QCOMPARE(RapidFire({}), ButtonFunction(4, 10, 3));

        const int types[kButtonCount] = {1, 1, 1, 1, 1, 2, 2, 2, 7, 7, 4, 0, 2, 2, 2, 2};
        const int params[kButtonCount] = {1, 2, 4, 8, 16, 1, 2, 3, 0, 0, 10, 0, 1, 1, 1, 1};
        for (int i = 0; i < kButtonCount; ++i)
            QCOMPARE(DefaultAssignments()[i], ButtonFunction(uint8_t(types[i]), uint8_t(params[i])));
    }
};

QTEST_GUILESS_MAIN(TestButtons)
#include "tst_buttons.moc"
