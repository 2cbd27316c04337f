#include "app/core/PostMsg.h"
#include "device/DeviceCache.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <functional>

namespace {
struct FakeControls {
    int* online = nullptr;
    int* updateResult = nullptr;
    int* updateCalls = nullptr;
    unsigned char* lastRecord = nullptr;
    char* lastPath = nullptr;
};

FakeControls g_fake;

// A record with every byte distinct enough that a stray write shows.
FlashDataMap patternRecord() {
    FlashDataMap r;
    for (int i = 0; i < FlashDataMap::kSize; ++i)
        r.data()[i] = uint8_t(i * 7 + 3);
    return r;
}

FlashDataMap sentRecord() {
    FlashDataMap r;
    std::memcpy(r.data(), g_fake.lastRecord, FlashDataMap::kSize);
    return r;
}
} // namespace

class TestDeviceRecord : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void writersPatchOnlyTheirFields();
    void offlineLeavesRecordAndNotifiesOnce();
    void noOfflineNoticeWhileAPageLoads();
    void failedSendRestoresRecord();
    void outOfRangeIndexWritesNothing();
    void touchKeysKeepSwitchBits();
    void dpiNibbleRules();
    void lightEffectZeroKeepsEffectByte();
    void curvePointScaling();
    void pushRecordSkipsOnlineTest();
    void cacheFileNameAndSize();
    void cacheRejectsBadFiles();

private:
    int offlineSignals(const std::function<bool()>& write, bool* result);
};

void TestDeviceRecord::initTestCase() {
    const QString lib = qEnvironmentVariable("ZF_FAKE_HID");
    QVERIFY2(HidLibrary::load(lib), qPrintable(HidLibrary::errorText()));
    QLibrary raw(lib);
    QVERIFY(raw.load());
    g_fake.online = reinterpret_cast<int*>(raw.resolve("g_fakeOnline"));
    g_fake.updateResult = reinterpret_cast<int*>(raw.resolve("g_fakeUpdateResult"));
    g_fake.updateCalls = reinterpret_cast<int*>(raw.resolve("g_fakeUpdateCalls"));
    g_fake.lastRecord = reinterpret_cast<unsigned char*>(raw.resolve("g_fakeLastRecord"));
    g_fake.lastPath = reinterpret_cast<char*>(raw.resolve("g_fakeLastPath"));
    QVERIFY(g_fake.online && g_fake.updateResult && g_fake.updateCalls && g_fake.lastRecord &&
            g_fake.lastPath);
}

void TestDeviceRecord::init() {
    LinkFlags::resetAll();
    *g_fake.online = 1;
    *g_fake.updateResult = 1;
    *g_fake.updateCalls = 0;
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
         [](FlashDataMap& r) {
             r.sleepTime = 9;
             r.sleepTimeCopy = 9;
         }},
        {"angle", [] { return SetAngle(0xF0); },
         [](FlashDataMap& r) {
             r.angle = 0xF0;
             r.angleEnable = 1;
         }},
        {"current level", [] { return SetCurrentDpiLevel(5); },
         [](FlashDataMap& r) { r.currentDpiLevel = 5; }},
        {"light bar colour", [] { return SetLightBarColour(1, 2, 3); },
         [](FlashDataMap& r) {
             r.lightBarColour[0] = 1;
             r.lightBarColour[1] = 2;
             r.lightBarColour[2] = 3;
         }},
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
             r.dpiLevels[1] = DpiLevelEntry{};
             r.dpiLevels[1].xValue = 800;
             r.dpiLevels[3] = DpiLevelEntry{};
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
        QVERIFY2(CurrentRecord::snapshot() == expected, c.name);
        QVERIFY2(sentRecord() == expected, c.name);
        QCOMPARE(*g_fake.updateCalls, 1);
        QCOMPARE(QString::fromLatin1(g_fake.lastPath), QStringLiteral("/virtual/mouse-1"));
    }
}

int TestDeviceRecord::offlineSignals(const std::function<bool()>& write, bool* result) {
    QSignalSpy spy(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    *result = write();
    for (const QList<QVariant>& args : spy)
        if (args.value(0).toInt() != 0)
            return -1;
    return spy.count();
}

void TestDeviceRecord::offlineLeavesRecordAndNotifiesOnce() {
    *g_fake.online = 0;
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
    for (const auto& w : writers) {
        bool result = true;
        QCOMPARE(offlineSignals(w, &result), 1);
        QVERIFY(!result);
    }
    QVERIFY(CurrentRecord::snapshot() == patternRecord());
    QCOMPARE(*g_fake.updateCalls, 0);
}

void TestDeviceRecord::noOfflineNoticeWhileAPageLoads() {
    *g_fake.online = 0;
    for (std::atomic<bool>* flag :
         {&LinkFlags::SensorLoading, &LinkFlags::LightLoading, &LinkFlags::ButtonLoading}) {
        LinkFlags::resetAll();
        *flag = true;
        bool result = true;
        QCOMPARE(offlineSignals([] { return SetMotionSync(1); }, &result), 0);
        QVERIFY(!result);
    }
}

void TestDeviceRecord::failedSendRestoresRecord() {
    *g_fake.updateResult = 0;
    QVERIFY(!SetDebounceTime(77));
    QVERIFY(!SetDpiLevelColour(2, 1, 2, 3));
    QVERIFY(CurrentRecord::snapshot() == patternRecord());
    QCOMPARE(*g_fake.updateCalls, 2);
}

void TestDeviceRecord::outOfRangeIndexWritesNothing() {
    QVERIFY(!SetDpiLevelCode(8, 1, 1, 1, false));
    QVERIFY(!SetDpiLevelValueY(-1, 1, 1));
    QVERIFY(!SetButtonAssignment(16, ButtonAssignment{{1, 1, 1}}));
    QVERIFY(!SetButtonKeys(-1, ButtonAssignment{{1, 1, 1}}, KeySequenceBlock{}));
    QVERIFY(!SetTouchKeyMode(3, 1));
    QVERIFY(!SetCurvePoint(1, 5, 1, 1.0f));
    QVERIFY(!SetCurrentDpiLevel(8));
    DpiLevelEntry e{};
    QVERIFY(!SetDpiLevelPair(e, e, 0, 8, 0));
    QVERIFY(CurrentRecord::snapshot() == patternRecord());
    QCOMPARE(*g_fake.updateCalls, 0);
}

void TestDeviceRecord::touchKeysKeepSwitchBits() {
    CurrentRecord::modify([](FlashDataMap& r) {
        r.touchKeys[0].a = 0x80 | 0x11;
        r.touchKeys[1].a = 0x22;
        r.touchKeys[0].b = 0x00;
        r.touchKeys[1].b = 0xFF;
    });
    QVERIFY(SetTouchKeyValueA(2, 0xFF));
    FlashDataMap r = CurrentRecord::snapshot();
    QCOMPARE(int(r.touchKeys[0].a), 0xFF);
    QCOMPARE(int(r.touchKeys[1].a), 0x7F);

    QVERIFY(SetTouchKeySwitchB(1, false));
    QVERIFY(SetTouchKeySwitchB(0, true));
    r = CurrentRecord::snapshot();
    QCOMPARE(int(r.touchKeys[0].b), 0x80);
    QCOMPARE(int(r.touchKeys[1].b), 0x7F);
    QVERIFY(SetTouchKeyMode(2, 6));
    r = CurrentRecord::snapshot();
    QCOMPARE(int(r.touchKeys[0].mode), 6);
    QCOMPARE(int(r.touchKeys[1].mode), 6);
}

void TestDeviceRecord::dpiNibbleRules() {
    CurrentRecord::modify([](FlashDataMap& r) {
        for (DpiLevelEntry& e : r.dpiLevels)
            e.nibbles = 0x3A;
        r.dpiLevels[0].wideFlags = 0x5C;
    });
    QVERIFY(LinkDpiYToXCode());
    QCOMPARE(int(CurrentRecord::snapshot().dpiLevels[7].nibbles), 0xAA);
    QVERIFY(LinkDpiYToXValue());
    QCOMPARE(int(CurrentRecord::snapshot().dpiLevels[0].wideFlags), 0xCC);

    CurrentRecord::modify([](FlashDataMap& r) { r.dpiLevels[2].nibbles = 0x3A; });
    QVERIFY(SetDpiLevelCode(2, 10, 20, 0xF5, true)); // X only: low nibble, Y code kept
    FlashDataMap r = CurrentRecord::snapshot();
    QCOMPARE(int(r.dpiLevels[2].nibbles), 0x35);
    QCOMPARE(int(r.dpiLevels[2].xCode), 10);
    QVERIFY(SetDpiLevelCodeY(2, 30, 0x9F));
    r = CurrentRecord::snapshot();
    QCOMPARE(int(r.dpiLevels[2].nibbles), 0x95);
    QCOMPARE(int(r.dpiLevels[2].yCode), 30);
    const uint8_t wideBefore = r.dpiLevels[2].wideFlags;
    QVERIFY(SetDpiLevelValue(2, 12000, 0, 0x07, true));
    r = CurrentRecord::snapshot();
    QCOMPARE(int(r.dpiLevels[2].xValue), 12000);
    QCOMPARE(int(r.dpiLevels[2].nibbles), 0x97);
    QCOMPARE(r.dpiLevels[2].wideFlags, wideBefore);
    QVERIFY(SetDpiLevelValue(2, 400, 26000, 0x21, false));
    r = CurrentRecord::snapshot();
    QCOMPARE(int(r.dpiLevels[2].yValue), 26000);
    QCOMPARE(int(r.dpiLevels[2].wideFlags), 0x21);
    QCOMPARE(int(r.dpiLevels[2].nibbles), 0x97);
}

void TestDeviceRecord::lightEffectZeroKeepsEffectByte() {
    QVERIFY(SetDpiLightEffect(3));
    QVERIFY(SetDpiLightEffect(0));
    FlashDataMap r = CurrentRecord::snapshot();
    QCOMPARE(int(r.dpiLightEffect), 3);
    QCOMPARE(int(r.dpiLightOn), 0);
    QCOMPARE(int(sentRecord().dpiLightEffect), 3);
    QVERIFY(SetLightBarEffect(1000)); // clamped into the byte
    r = CurrentRecord::snapshot();
    QCOMPARE(int(r.lightBarEffect), 255);
    QCOMPARE(int(r.lightBarOn), 1);
}

void TestDeviceRecord::curvePointScaling() {
    QVERIFY(SetCurvePoint(2, 4, 9, 1.239f));
    FlashDataMap r = CurrentRecord::snapshot();
    QCOMPARE(int(r.curve[4].value), 123);
    QCOMPARE(int(r.curve[4].byte), 9);
    QCOMPARE(int(r.curveMode), 2);
    QVERIFY(SetCurvePoint(2, 0, 0, 0.5f));
    QCOMPARE(int(CurrentRecord::snapshot().curve[0].value), 50);
    QVERIFY(SetCurvePoint(2, 1, 0, 1e9f));
    QCOMPARE(int(CurrentRecord::snapshot().curve[1].value), 65535);
    QVERIFY(SetCurvePoint(2, 1, 0, -3.0f));
    QCOMPARE(int(CurrentRecord::snapshot().curve[1].value), 0);
}

void TestDeviceRecord::pushRecordSkipsOnlineTest() {
    *g_fake.online = 0;
    QSignalSpy spy(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    QVERIFY(PushRecord());
    QCOMPARE(spy.count(), 0);
    QVERIFY(sentRecord() == patternRecord());
}

void TestDeviceRecord::cacheFileNameAndSize() {
    QCOMPARE(DeviceCache::fileName(0x05, 0x1F), QStringLiteral("Device_CID05_MID1F.bin"));
    QCOMPARE(DeviceCache::fileName(0x0A, 0x03), QStringLiteral("Device_CID0A_MID03.bin"));
    const FlashDataMap rec = patternRecord();
    QVERIFY(DeviceCache::save(0x05, 0x1F, rec));
    QFile f(DeviceCache::filePath(0x05, 0x1F));
    QVERIFY(f.exists());
    QCOMPARE(f.size(), qint64(10548));
    QVERIFY(DeviceCache::filePath(0x05, 0x1F).contains(QStringLiteral("/Device_Info/")));
    FlashDataMap back;
    back.clear();
    QVERIFY(DeviceCache::load(0x05, 0x1F, back));
    QVERIFY(back == rec);
    // Another model has its own file.
    QVERIFY(!DeviceCache::load(0x05, 0x20, back));
}

void TestDeviceRecord::cacheRejectsBadFiles() {
    const FlashDataMap rec = patternRecord();
    QVERIFY(DeviceCache::save(0x01, 0x02, rec));
    const QString path = DeviceCache::filePath(0x01, 0x02);
    QFile f(path);
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
        QVERIFY(!DeviceCache::load(0x01, 0x02, out));
        QVERIFY(
            std::all_of(out.data(), out.data() + FlashDataMap::kSize, [](uint8_t b) { return b == 0xEE; }));
    }
}

QTEST_GUILESS_MAIN(TestDeviceRecord)
#include "tst_device_record.moc"
