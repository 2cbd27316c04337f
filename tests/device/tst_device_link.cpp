// The record, its writers and cache, and the worker with the report handler, against a stand-in device
// library whose answers the tests set; last, reports and writes from two threads at once.
#include "app/core/DongleRGB.h"
#include "app/core/IniStores.h"
#include "app/core/PostMsg.h"
#include "device/DeviceCache.h"
#include "device/DeviceTable.h"
#include "device/LinkState.h"
#include "device/RecordCheck.h"
#include "device/SettingWriters.h"
#include "device/Worker.h"
#include "tests/common/DpiEntry.h"
#include "tests/common/StandInHid.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

using FakeHid::get;
using FakeHid::set;
using FakeHid::value;

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
// Hands the handler buffers of exactly the stated lengths, so any read past them lands outside.
void report(std::vector<uint8_t> header, std::vector<uint8_t> data) {
    std::unique_ptr<uint8_t[]> h(new uint8_t[std::max<size_t>(header.size(), 1)]);
    std::unique_ptr<uint8_t[]> d(new uint8_t[std::max<size_t>(data.size(), 1)]);
    std::copy(header.begin(), header.end(), h.get());
    std::copy(data.begin(), data.end(), d.get());
    DeviceReports::handleReport(h.get(), int(header.size()), d.get(), int(data.size()));
}
std::vector<uint8_t> type8(uint8_t qualifier, uint8_t sub) {
    return {0, 8, 0, qualifier, sub};
}
} // namespace

class TestDeviceLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    // The record and its writers.
    void writersPatchOnlyTheirFields();
    void offlineAndRefusedWrites();
    void dpiNibbleRules();
    void bitAndRangeRules();
    void cacheRoundTripAndBadFiles();
    // Reports and the worker.
    void type8Table();
    void smallAndOddReports();
    void resetReportReadsAdveanced_data();
    void resetReportReadsAdveanced();
    void runAskedDuringARunFollowsIt();
    void shutdownIsBounded();
    void reportsAgainstWriters();

private:
    QTemporaryDir m_appDir;
};

void TestDeviceLink::initTestCase() {
    QVERIFY(m_appDir.isValid());
    qputenv("ZF_APP_DIR", m_appDir.path().toLocal8Bit());
    ConfigIniStore::resetForTests();
    QVERIFY2(FakeHid::load(), qPrintable(HidLibrary::errorText()));
}

void TestDeviceLink::init() {
    LinkFlags::resetAll();
    PostMsg::resetShutdown();
    set("g_fakeOnline", 1);
    set("g_fakeUpdateResult", 1);
    for (const char* counter : {"g_fakeUpdateCalls", "g_fakeStartCalls", "g_fakeReadAllFlashData",
                                "g_fakeReadCurrentDPI", "g_fakeReadDPILed"})
        set(counter, 0);
    DeviceAllInfo info;
    info.path = QStringLiteral("/virtual/mouse-1");
    info.kind = 1;
    info.wired = 1;
    SelectedDevice::set(info);
    CurrentRecord::replace(patternRecord());
}

// The simple writers' fields and the sleep time's two copies are checked in the mouse's flash by the
// command-line tool's suite; here the writers with more than one field or an index.
void TestDeviceLink::writersPatchOnlyTheirFields() {
    struct Case {
        const char* name;
        std::function<bool()> write;
        std::function<void(FlashDataMap&)> expect;
    };
    const std::vector<Case> cases = {
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
        QCOMPARE(value("g_fakeUpdateCalls"), 1);
        QCOMPARE(QString::fromLatin1(&get<char>("g_fakeLastPath")), QStringLiteral("/virtual/mouse-1"));
    }
}

void TestDeviceLink::offlineAndRefusedWrites() {
    set("g_fakeOnline", 0);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    // One of each shape: a plain and an indexed writer, the whole record, the bare online test.
    const std::vector<std::function<bool()>> writers = {
        [] { return SetLod(2); },
        [] {
            return SetButtonMacro(0, ButtonAssignment{{1, 2, 3}}, MacroBlock{});
        },
        [] { return SendRecord(); },
        [] { return CheckDeviceOnline(); },
    };
    for (const auto& write : writers) {
        QVERIFY(!write());
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
    QCOMPARE(value("g_fakeUpdateCalls"), 0);
    // Pushing the whole record skips the online test.
    QVERIFY(PushRecord());
    QCOMPARE(offline.count(), int(writers.size()));
    QVERIFY(sentRecord() == patternRecord());

    // Online, an index outside its table: nothing written, nothing sent.
    set("g_fakeOnline", 1);
    set("g_fakeUpdateCalls", 0);
    DpiLevelEntry e{};
    QVERIFY(!SetDpiLevelCode(8, 1, 1, 1, false) && !SetDpiLevelValueY(-1, 1, 1) &&
            !SetButtonAssignment(16, ButtonAssignment{{1, 1, 1}}) &&
            !SetButtonKeys(-1, ButtonAssignment{{1, 1, 1}}, KeySequenceBlock{}) && !SetTouchKeyMode(3, 1) &&
            !SetCurvePoint(1, 5, 1, 1.0f) && !SetCurrentDpiLevel(8) && !SetDpiLevelPair(e, e, 0, 8, 0));
    QCOMPARE(value("g_fakeUpdateCalls"), 0);
    // The mouse refuses the record: the writer says so, with the offline notice, and the record is as
    // before.
    set("g_fakeUpdateResult", 0);
    LinkFlags::resetAll();
    const int noticesBefore = offline.count();
    QVERIFY(!SetDebounceTime(77));
    QVERIFY(!SetDpiLevelColour(2, 1, 2, 3));
    QCOMPARE(value("g_fakeUpdateCalls"), 2);
    QCOMPARE(offline.count(), noticesBefore + 2);
    QVERIFY(rec() == patternRecord());
}

void TestDeviceLink::dpiNibbleRules() {
    CurrentRecord::modify([](FlashDataMap& r) {
        for (DpiLevelEntry& e : r.dpiLevels)
            e.nibbles = 0x3A;
        r.dpiLevels[0].wideFlags = 0x5C;
    });
    QVERIFY(LinkDpiYToXValue()); // X's flags are the low nibble of byte 2 (per-axis wide writes)
    QCOMPARE(int(rec().dpiLevels[0].wideFlags), 0xAA);
    QCOMPARE(int(rec().dpiLevels[0].nibbles), 0xAA);
    QVERIFY(SetDpiLevelCode(2, 10, 20, 0xF5, true)); // X only: low nibble, Y code kept
    QCOMPARE(int(rec().dpiLevels[2].nibbles), 0xA5);
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

void TestDeviceLink::bitAndRangeRules() {
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

void TestDeviceLink::cacheRoundTripAndBadFiles() {
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

    // A file must be whole and hold a record the model can have: checked like an import, here against
    // the shipped 3955 row and header, decoded as the program decodes it.
    const QString src = qEnvironmentVariable("ZF_SOURCE_DIR");
    const ModelRow shipped =
        DeviceTable::row(IniStore(src + "/resources/usersetting/Config.source.ini", "UTF-8", false), 3);
    QCOMPARE(shipped.sensor, QStringLiteral("3955"));
    IniStore& ini = ConfigIniStore::instance();
    ini.setValue("Option", "DeviceTotal", "1");
    ini.setValue("Drive1", "CID", "10");
    ini.setValue("Drive1", "MID", "31");
    ini.setValue("Drive1", "Sensor", shipped.sensor);
    ini.setList("Drive1", "DPIRange",
                shipped.dpiRangeText + QStringList{QString::number(shipped.rangeMode, 16)});
    QFile header(src + "/resources/driver_sensor.h");
    QVERIFY(header.open(QIODevice::ReadOnly));
    SensorCapability cap;
    cap.parseHeader(header.readAll());
    cap.SensorModel = shipped.sensor;
    RecordCheck::setDpiDecoder([cap](const FlashDataMap& r, const ModelRow&, int level, bool y) {
        return y ? DpiCodec::decodeY(cap, r, level) : DpiCodec::decodeX(cap, r, level);
    });
    FlashDataMap sound;
    sound.clear();
    sound.dpiLevelCount = 4;
    sound.currentDpiLevel = 3;
    for (int level : {0, 1, 2, 3})
        encodeJoint(cap, sound.dpiLevels[level], QVector<int>{50, 800, 10100, 26000}[level]);
    sound.dpiLevels[5].xValue = 0xFFFF; // unused levels are not looked at
    const auto file = [&](std::function<void(FlashDataMap&)> spoil) {
        FlashDataMap r = sound;
        spoil(r);
        return QByteArray::fromHex("00002930") + QByteArray(reinterpret_cast<const char*>(r.data()), r.kSize);
    };
    const QByteArray good = file([](FlashDataMap&) {});
    const QList<QPair<QByteArray, bool>> files = {
        {good, true},
        {good.left(100), false},                                // short
        {good + QByteArray("x"), false},                        // trailing bytes
        {QByteArray::fromHex("00002000") + good.mid(4), false}, // foreign length
        {QByteArray::fromHex("ffffffff") + good.mid(4), false}, // null array marker
        {QByteArray(), false},
        {file([](FlashDataMap& r) { r.dpiLevelCount = 0; }), false},
        {file([](FlashDataMap& r) { r.dpiLevelCount = 9; }), false},
        {file([](FlashDataMap& r) { r.currentDpiLevel = 4; }), false},
        // 204 800 DPI on a sensor whose maximum is 26 000, on either axis.
        {file([](FlashDataMap& r) {
             r.dpiLevels[0].xValue = r.dpiLevels[0].yValue = 51199, r.dpiLevels[0].wideFlags = 0x33;
         }),
         false},
        {file([](FlashDataMap& r) { r.dpiLevels[2].yValue = 40000; }), false},
    };
    for (const auto& [bytes, accepted] : files) {
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        FlashDataMap out;
        std::memset(out.data(), 0xEE, FlashDataMap::kSize);
        QCOMPARE(DeviceCache::loadChecked(0x0A, 0x1F, out), accepted);
        QVERIFY(accepted ? out == sound
                         : std::all_of(out.data(), out.data() + FlashDataMap::kSize,
                                       [](uint8_t b) { return b == 0xEE; }));
    }
    RecordCheck::setDpiDecoder({});
    ConfigIniStore::resetForTests();
}

void TestDeviceLink::type8Table() {
    QSignalSpy dpi(PostMsg::instance(), &PostMsg::SigUpDataDPI);
    QSignalSpy rate(PostMsg::instance(), &PostMsg::SigUpDataReportRate);
    QSignalSpy led(PostMsg::instance(), &PostMsg::SigUpDataDPILed);
    const FlashDataMap before = CurrentRecord::snapshot();

    report(type8(1, 4), {5});                      // qualifier set: ignored
    report(type8(0, 0x4C), {1, 2, 3, 4, 5, 6, 7}); // one byte short: ignored
    report(type8(0, 4), {8});                      // level outside the table: ignored
    report(type8(0, 0), {1, 2});                   // rate with a wrong length: ignored
    QVERIFY(CurrentRecord::snapshot() == before);
    QCOMPARE(dpi.count() + rate.count() + led.count(), 0);

    // Followed end to end: the DPI button in the sensor suite, the rate button in the device-link one.
    report(type8(0, 0x4C), {9, 8, 7, 6, 0, 0, 0, 0});
    const FlashDataMap r = CurrentRecord::snapshot();
    QCOMPARE(int(r.dpiLightEffect), 9);
    QCOMPARE(int(r.dpiLightOn), 6);
    QCOMPARE(led.count(), 1);
    QCOMPARE(int(led.at(0).at(0).value<FlashDataMap>().dpiLightEffect), 9);

    // Full data replaces the whole record (the four emissions against the real library: end to end);
    // one byte more is not full data.
    QSignalSpy sensor(PostMsg::instance(), &PostMsg::SigUpDataLightSensor);
    LinkFlags::SensorFilled = true;
    LinkFlags::RunRequested = true;
    std::vector<uint8_t> data(6989, 0);
    for (int i = 0; i < 64; ++i)
        data[size_t(i)] = uint8_t(i + 1);
    report(type8(0, 0), data);
    QCOMPARE(sensor.count(), 0);
    data.pop_back();
    report(type8(0, 0), data);
    FlashDataMap expected;
    expected.clear();
    std::memcpy(expected.data(), data.data(), 64);
    QVERIFY(CurrentRecord::snapshot() == expected); // old bytes past the parsed part are gone
    QCOMPARE(sensor.count(), 1);
    QVERIFY(sensor.at(0).at(0).value<FlashDataMap>() == expected);
    QVERIFY(LinkFlags::DeviceReady && !LinkFlags::SensorFilled && !LinkFlags::RunRequested &&
            !LinkFlags::Parsing);
    QCOMPARE(value("g_fakeReadDPILed"), 1);
}

void TestDeviceLink::smallAndOddReports() {
    QSignalSpy battery(PostMsg::instance(), &PostMsg::SigBattery);
    DeviceReports::ShowBatteryValue = 1;
    report({0, 4}, {77, 1});
    DeviceReports::ShowBatteryValue = 2;
    report({0, 4}, {50});
    QCOMPARE(battery.at(0), (QList<QVariant>{true, 77, true}));
    QCOMPARE(battery.at(1), (QList<QVariant>{false, 50, false}));

    QCOMPARE(DeviceReports::versionText(0x0A0B), QStringLiteral("v10.0B"));
    set("g_fakeVersion", 0x0305);
    QSignalSpy ver(PostMsg::instance(), &PostMsg::SigSetver);
    report({0, 18}, {});
    QCOMPARE(SelectedDevice::get().mouseVersion, QStringLiteral("v3.05"));
    QCOMPARE(ver.count(), 1);

    QSignalSpy cfg(PostMsg::instance(), &PostMsg::SigUpDataConfigUI);
    report({0, 14}, {2});
    report({0, 14}, {});
    QCOMPARE(cfg.at(0), (QList<QVariant>{4, 2, true}));
    QCOMPARE(cfg.at(1), (QList<QVariant>{0, 0, false}));

    // Header cut after the type: qualifier and sub-code read as 0, so this is a report-rate report.
    report({0, 8}, {4});
    QCOMPARE(int(CurrentRecord::snapshot().reportRate), 4);
    // Empty and negative lengths, null buffers, unknown types; a status report with no data reads
    // every flag as 0.
    DeviceReports::handleReport(nullptr, 0, nullptr, 0);
    DeviceReports::handleReport(nullptr, -5, nullptr, -1);
    report({}, {});
    report({0, 200, 0, 0, 0}, std::vector<uint8_t>(100000, 0xFF));
    report({0, 10}, {});
    QCOMPARE(value("g_fakeReadCurrentDPI"), 0);
}

void TestDeviceLink::resetReportReadsAdveanced_data() {
    QTest::addColumn<QStringList>("adveanced");
    QTest::addColumn<int>("rgb");       // receiver value announced, -1: none
    QTest::addColumn<int>("longRange"); // long range announced, -1: none
    QTest::newRow("missing") << QStringList() << -1 << -1;
    QTest::newRow("both") << QStringList{"0", " 3"} << 3 << 0;
    QTest::newRow("not numbers, value clamped") << QStringList{"on", "999"} << 255 << -1;
    QTest::newRow("outside their ranges") << QStringList{"2", "0"} << -1 << -1;
}

void TestDeviceLink::resetReportReadsAdveanced() {
    QFETCH(QStringList, adveanced);
    ConfigIniStore::instance().setValue("Option", "DeviceTotal", "1");
    ConfigIniStore::instance().setList("Drive1", "Adveanced", adveanced);
    DeviceAllInfo info = SelectedDevice::get();
    info.row = 0;
    info.wired = 0; // the receiver value only goes to a receiver
    SelectedDevice::set(info);
    QObject pages;
    QList<int> rgbSeen, rangeSeen;
    connect(PostMsg::instance(), &PostMsg::SigRGBValue, &pages,
            [&](DongleRGB* v) { rgbSeen << v->bytes[0]; });
    connect(PostMsg::instance(), &PostMsg::SigLongRangeMode, &pages, [&](bool on) { rangeSeen << on; });

    report({0, 9}, {1});
    QFETCH(int, rgb);
    QFETCH(int, longRange);
    QCOMPARE(rgbSeen, rgb < 0 ? QList<int>() : QList<int>{rgb});
    QCOMPARE(rangeSeen, longRange < 0 ? QList<int>() : QList<int>{longRange});
    // The full data the reset asks for will find the flags already raised.
    QVERIFY(LinkFlags::ReconcileMacros && LinkFlags::SkipReceiverQuery);
    QCOMPARE(value("g_fakeReadAllFlashData"), 1);
}

void TestDeviceLink::runAskedDuringARunFollowsIt() {
    Worker worker;
    DeviceAllInfo info = SelectedDevice::get();
    worker.SlotSelectMouseInfo(info);
    LinkFlags::DevicePagesActive = true;
    // While the first run waits for the pages, another device is chosen and a run asked for.
    QObject pages;
    PostMsg::connectBlockingFunctor(&PostMsg::SigUpDataParam, &pages, [&](int) {
        if (info.path.endsWith("-3"))
            return;
        info.path = QStringLiteral("/virtual/mouse-3");
        worker.SlotSelectMouseInfo(info);
        worker.requestRun();
    });
    worker.requestRun();
    QTRY_COMPARE(value("g_fakeStartCalls"), 2);
    QVERIFY(worker.wait(5000));
    QCOMPARE(value("g_fakeReadAllFlashData"), 2);
    QVERIFY(LinkFlags::DeviceReady);

    worker.requestRun(); // same device, kind and state: nothing sent
    QVERIFY(worker.wait(5000));
    QCOMPARE(value("g_fakeStartCalls"), 2);
}

void TestDeviceLink::shutdownIsBounded() {
    // A GUI-thread receiver that blocks the worker's emission; shutdown must still return in time.
    Worker worker;
    DeviceAllInfo info;
    info.path = QStringLiteral("/virtual/mouse-4");
    info.kind = 2;
    worker.SlotSelectMouseInfo(info);
    LinkFlags::DevicePagesActive = true;
    set("g_fakeOnline", 0); // no cache for this model: the run emits the blocking SigFormReset
    QObject receiver;
    int reset = 0;
    PostMsg::connectBlockingFunctor(&PostMsg::SigFormReset, &receiver, [&] { ++reset; });
    worker.requestRun();
    QThread::msleep(300); // let the run reach its emission, which waits for this (busy) thread
    QElapsedTimer t;
    t.start();
    worker.shutdown(1500);
    QVERIFY(t.elapsed() < 2500);
    QCoreApplication::processEvents();
    QVERIFY(worker.wait(3000));
    QCOMPARE(reset, 1);
    QVERIFY(LinkFlags::WaitingForOnline);
}

void TestDeviceLink::reportsAgainstWriters() {
    // A report thread fires DPI, battery, light and rate reports while this thread writes settings and
    // serves the blocking news; meant for ThreadSanitizer as well.
    CurrentRecord::replace(FlashDataMap{});
    QObject pages;
    std::atomic<int> served{0};
    int badLevels = 0;
    PostMsg::connectBlockingFunctor(&PostMsg::SigUpDataDPILed, &pages, [&](FlashDataMap r) {
        if (r.currentDpiLevel >= 8)
            ++badLevels;
        ++served;
    });
    PostMsg::connectBlockingFunctor(&PostMsg::SigUpDataDPI, &pages, [&](int) { ++served; });
    PostMsg::connectBlockingFunctor(&PostMsg::SigBattery, &pages, [&](bool, int, bool) { ++served; });
    std::atomic<bool> stop{false};
    QThread* reporter = QThread::create([&] {
        const unsigned char data[9] = {3, 1, 2, 3, 4, 5, 6, 7, 8};
        for (int i = 0; !stop; ++i) {
            const unsigned char level = static_cast<unsigned char>(i % 8);
            report(type8(0, 4), {level});
            report(type8(0, 0x4C), {data, data + 8});
            report(type8(0, 0xA0), {data, data + 9});
            report(type8(0, 0), {data[0]});
            report({0, 4}, {data, data + 2});
        }
    });
    reporter->start();
    QElapsedTimer t;
    t.start();
    for (int writes = 0; t.elapsed() < 1500; ++writes) {
        QVERIFY(SetLightBarColour(uint8_t(writes), 2, 3));
        QVERIFY(SetDpiLevelValue(writes % 8, 400, 400, 0, false));
        QVERIFY(SetSleepTime(uint8_t(writes)));
        const FlashDataMap r = CurrentRecord::snapshot();
        QCOMPARE(r.sleepTime, r.sleepTimeCopy);
        QCoreApplication::processEvents();
    }
    stop = true;
    while (!reporter->wait(10))
        QCoreApplication::processEvents();
    delete reporter;
    QVERIFY(served > 0);
    QCOMPARE(badLevels, 0);
}

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_device_link.moc"
