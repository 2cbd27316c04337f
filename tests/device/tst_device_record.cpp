#include "FakeHid.h"
#include "app/core/PostMsg.h"
#include "device/DeviceCache.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <functional>

using FakeHid::get;

namespace {
// A record with every byte distinct enough that a stray write shows.
FlashDataMap patternRecord() {
    FlashDataMap r;
    for (int i = 0; i < FlashDataMap::kSize; ++i)
        r.data()[i] = uint8_t(i * 7 + 3);
    return r;
}
FlashDataMap sentRecord() {
    FlashDataMap r;
    std::memcpy(r.data(), &get<unsigned char>("g_fakeLastRecord"), FlashDataMap::kSize);
    return r;
}
FlashDataMap rec() {
    return CurrentRecord::snapshot();
}
} // namespace

class TestDeviceRecord : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void writersPatchOnlyTheirFields();
    void offlineRule();
    void refusedWritesLeaveTheRecord();
    void dpiNibbleRules();
    void bitAndRangeRules();
    void cacheRoundTripAndBadFiles();
};

void TestDeviceRecord::initTestCase() {
    QVERIFY2(FakeHid::load(), qPrintable(HidLibrary::errorText()));
}

void TestDeviceRecord::init() {
    LinkFlags::resetAll();
    get("g_fakeOnline") = 1;
    get("g_fakeUpdateResult") = 1;
    get("g_fakeUpdateCalls") = 0;
    DeviceAllInfo info;
    info.path = QStringLiteral("/virtual/mouse-1");
    SelectedDevice::set(info);
    CurrentRecord::replace(patternRecord());
}

void TestDeviceRecord::writersPatchOnlyTheirFields() {
    struct Case {
        const char* name;
        std::function<bool()> write;
        std::function<void(FlashDataMap&)> expect;
    };
    const std::vector<Case> cases = {
        {"report rate", [] { return SetReportRate(4); }, [](FlashDataMap& r) { r.reportRate = 4; }},
        {"sleep time", [] { return SetSleepTime(9); },
         [](FlashDataMap& r) { r.sleepTime = r.sleepTimeCopy = 9; }},
        {"angle", [] { return SetAngle(0xF0); },
         [](FlashDataMap& r) {
             r.angle = 0xF0;
             r.angleEnable = 1;
         }},
        {"current level", [] { return SetCurrentDpiLevel(5); },
         [](FlashDataMap& r) { r.currentDpiLevel = 5; }},
        {"light bar colour", [] { return SetLightBarColour(1, 2, 3); },
         [](FlashDataMap& r) { std::memcpy(r.lightBarColour, "\1\2\3", 3); }},
        {"button keys",
         [] {
             KeySequenceBlock keys;
             std::memset(&keys, 0x5A, sizeof(keys));
             return SetButtonKeys(15, ButtonAssignment{{9, 8, 7}}, keys);
         },
         [](FlashDataMap& r) {
             r.buttons[15] = ButtonAssignment{{9, 8, 7}};
             std::memset(&r.keyBlocks[15], 0x5A, sizeof(KeySequenceBlock));
         }},
        {"virtual point without level", [] { return SetVirtualPoint(33, false, 99); },
         [](FlashDataMap& r) { r.virtualPointValue = 33; }},
        {"dpi pair",
         [] {
             DpiLevelEntry a{}, b{};
             a.xValue = 800;
             b.xValue = 1600;
             return SetDpiLevelPair(a, b, 3, 1, 3);
         },
         [](FlashDataMap& r) {
             r.dpiLevels[1] = r.dpiLevels[3] = DpiLevelEntry{};
             r.dpiLevels[1].xValue = 800;
             r.dpiLevels[3].xValue = 1600;
             r.currentDpiLevel = 3;
             r.dpiLevelCount = 4;
         }},
    };
    for (const Case& c : cases) {
        init();
        FlashDataMap expected = patternRecord();
        c.expect(expected);
        QVERIFY2(c.write(), c.name);
        QVERIFY2(rec() == expected, c.name);
        QVERIFY2(sentRecord() == expected, c.name);
        QCOMPARE(get("g_fakeUpdateCalls"), 1);
        QCOMPARE(QString::fromLatin1(&get<char>("g_fakeLastPath")), QStringLiteral("/virtual/mouse-1"));
    }
}

void TestDeviceRecord::offlineRule() {
    get("g_fakeOnline") = 0;
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    const std::vector<std::function<bool()>> writers = {
        [] { return SetLod(2); },
        [] { return SetTouchKeyValueA(2, 5); },
        [] { return SetDpiLevelValue(0, 100, 200, 0x11, false); },
        [] {
            return SetButtonMacro(0, ButtonAssignment{{1, 2, 3}}, MacroBlock{});
        },
        [] { return LinkDpiYToXCode(); },
        [] { return SendRecord(); },
        [] { return CheckDeviceOnline(); },
    };
    for (const auto& write : writers) {
        const int before = offline.count();
        QVERIFY(!write());
        QCOMPARE(offline.count(), before + 1);
        QCOMPARE(offline.last().at(0).toInt(), 0);
    }
    // While a page fills its controls a failed write raises no notice.
    for (std::atomic<bool>* flag :
         {&LinkFlags::SensorLoading, &LinkFlags::LightLoading, &LinkFlags::ButtonLoading}) {
        LinkFlags::resetAll();
        *flag = true;
        QVERIFY(!SetMotionSync(1));
    }
    QCOMPARE(offline.count(), int(writers.size()));
    QVERIFY(rec() == patternRecord());
    QCOMPARE(get("g_fakeUpdateCalls"), 0);
    // Pushing the whole record skips the online test.
    QVERIFY(PushRecord());
    QCOMPARE(offline.count(), int(writers.size()));
    QVERIFY(sentRecord() == patternRecord());
}

void TestDeviceRecord::refusedWritesLeaveTheRecord() {
    // An index outside its table: nothing written, nothing sent.
    QVERIFY(!SetDpiLevelCode(8, 1, 1, 1, false));
    QVERIFY(!SetDpiLevelValueY(-1, 1, 1));
    QVERIFY(!SetButtonAssignment(16, ButtonAssignment{{1, 1, 1}}));
    QVERIFY(!SetButtonKeys(-1, ButtonAssignment{{1, 1, 1}}, KeySequenceBlock{}));
    QVERIFY(!SetTouchKeyMode(3, 1));
    QVERIFY(!SetCurvePoint(1, 5, 1, 1.0f));
    QVERIFY(!SetCurrentDpiLevel(8));
    DpiLevelEntry e{};
    QVERIFY(!SetDpiLevelPair(e, e, 0, 8, 0));
    QCOMPARE(get("g_fakeUpdateCalls"), 0);
    // The mouse refuses the record: the writer says so and the record is as before.
    get("g_fakeUpdateResult") = 0;
    QVERIFY(!SetDebounceTime(77));
    QVERIFY(!SetDpiLevelColour(2, 1, 2, 3));
    QCOMPARE(get("g_fakeUpdateCalls"), 2);
    QVERIFY(rec() == patternRecord());
}

void TestDeviceRecord::dpiNibbleRules() {
    CurrentRecord::modify([](FlashDataMap& r) {
        for (DpiLevelEntry& e : r.dpiLevels)
            e.nibbles = 0x3A;
        r.dpiLevels[0].wideFlags = 0x5C;
    });
    QVERIFY(LinkDpiYToXValue());
    QCOMPARE(int(rec().dpiLevels[0].wideFlags), 0xCC);
    QVERIFY(SetDpiLevelCode(2, 10, 20, 0xF5, true)); // X only: low nibble, Y code kept
    QCOMPARE(int(rec().dpiLevels[2].nibbles), 0x35);
    QCOMPARE(int(rec().dpiLevels[2].xCode), 10);
    QVERIFY(SetDpiLevelCodeY(2, 30, 0x9F));
    QCOMPARE(int(rec().dpiLevels[2].nibbles), 0x95);
    QCOMPARE(int(rec().dpiLevels[2].yCode), 30);
    const uint8_t wideBefore = rec().dpiLevels[2].wideFlags;
    QVERIFY(SetDpiLevelValue(2, 12000, 0, 0x07, true));
    QCOMPARE(int(rec().dpiLevels[2].xValue), 12000);
    QCOMPARE(int(rec().dpiLevels[2].nibbles), 0x97);
    QCOMPARE(rec().dpiLevels[2].wideFlags, wideBefore);
    QVERIFY(SetDpiLevelValue(2, 400, 26000, 0x21, false));
    QCOMPARE(int(rec().dpiLevels[2].yValue), 26000);
    QCOMPARE(int(rec().dpiLevels[2].wideFlags), 0x21);
    QCOMPARE(int(rec().dpiLevels[2].nibbles), 0x97);
}

void TestDeviceRecord::bitAndRangeRules() {
    // Touch keys: a value keeps each key's switch bit, a switch keeps the value bits.
    CurrentRecord::modify([](FlashDataMap& r) {
        r.touchKeys[0].a = 0x80 | 0x11;
        r.touchKeys[1].a = 0x22;
        r.touchKeys[0].b = 0x00;
        r.touchKeys[1].b = 0xFF;
    });
    QVERIFY(SetTouchKeyValueA(2, 0xFF));
    QCOMPARE(int(rec().touchKeys[0].a), 0xFF);
    QCOMPARE(int(rec().touchKeys[1].a), 0x7F);
    QVERIFY(SetTouchKeySwitchB(1, false));
    QVERIFY(SetTouchKeySwitchB(0, true));
    QCOMPARE(int(rec().touchKeys[0].b), 0x80);
    QCOMPARE(int(rec().touchKeys[1].b), 0x7F);
    QVERIFY(SetTouchKeyMode(2, 6));
    QCOMPARE(int(rec().touchKeys[0].mode), 6);
    QCOMPARE(int(rec().touchKeys[1].mode), 6);
    // Switching the DPI light off keeps its effect for the next switch on.
    QVERIFY(SetDpiLightEffect(3));
    QVERIFY(SetDpiLightEffect(0));
    QCOMPARE(int(rec().dpiLightEffect), 3);
    QCOMPARE(int(rec().dpiLightOn), 0);
    QCOMPARE(int(sentRecord().dpiLightEffect), 3);
    QVERIFY(SetLightBarEffect(1000));
    QCOMPARE(int(rec().lightBarEffect), 255);
    QCOMPARE(int(rec().lightBarOn), 1);
    // Curve factors are stored in hundredths, truncated and clamped into 16 bits.
    QVERIFY(SetCurvePoint(2, 4, 9, 1.239f));
    QCOMPARE(int(rec().curve[4].value), 123);
    QCOMPARE(int(rec().curve[4].byte), 9);
    QCOMPARE(int(rec().curveMode), 2);
    QVERIFY(SetCurvePoint(2, 1, 0, 1e9f));
    QCOMPARE(int(rec().curve[1].value), 65535);
    QVERIFY(SetCurvePoint(2, 1, 0, -3.0f));
    QCOMPARE(int(rec().curve[1].value), 0);
}

void TestDeviceRecord::cacheRoundTripAndBadFiles() {
    QCOMPARE(DeviceCache::fileName(0x0A, 0x1F), QStringLiteral("Device_CID0A_MID1F.bin"));
    QVERIFY(DeviceCache::filePath(0x0A, 0x1F).contains(QStringLiteral("/Device_Info/")));
    QVERIFY(DeviceCache::save(0x0A, 0x1F, patternRecord()));
    FlashDataMap back;
    back.clear();
    QVERIFY(DeviceCache::load(0x0A, 0x1F, back));
    QVERIFY(back == patternRecord());
    QVERIFY(!DeviceCache::load(0x0A, 0x20, back)); // another model has its own file

    QFile f(DeviceCache::filePath(0x0A, 0x1F));
    QCOMPARE(f.size(), qint64(10548));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    f.close();
    const QList<QByteArray> bad = {
        good.left(100),                                // short
        good + QByteArray("x"),                        // trailing bytes
        QByteArray::fromHex("00002000") + good.mid(4), // foreign length
        QByteArray::fromHex("ffffffff") + good.mid(4), // null array marker
        QByteArray(),                                  // empty
    };
    for (const QByteArray& bytes : bad) {
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        FlashDataMap out;
        std::memset(out.data(), 0xEE, FlashDataMap::kSize);
        QVERIFY(!DeviceCache::load(0x0A, 0x1F, out));
        QVERIFY(
            std::all_of(out.data(), out.data() + FlashDataMap::kSize, [](uint8_t b) { return b == 0xEE; }));
    }
}

QTEST_GUILESS_MAIN(TestDeviceRecord)
#include "tst_device_record.moc"
