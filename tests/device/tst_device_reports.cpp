#include "FakeHid.h"
#include "app/core/IniStores.h"
#include "app/core/PostMsg.h"
#include "device/DongleRGB.h"
#include "device/LinkState.h"
#include "device/Worker.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

using FakeHid::get;

namespace {
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

class TestDeviceReports : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void batteryHonoursShowValue();
    void type8Table();
    void shortAndOddReportsAreSafe();
    void fullDataPublishedAsOneRecord();
    void resetReportReadsAdveanced_data();
    void resetReportReadsAdveanced();
    void versionReport();
    void runAskedDuringARunFollowsIt();
    void shutdownIsBounded();

private:
    QTemporaryDir m_appDir;
};

void TestDeviceReports::initTestCase() {
    QVERIFY(m_appDir.isValid());
    qputenv("ZF_APP_DIR", m_appDir.path().toLocal8Bit());
    ConfigIniStore::resetForTests();
    QVERIFY2(FakeHid::load(), qPrintable(HidLibrary::errorText()));
}

void TestDeviceReports::init() {
    LinkFlags::resetAll();
    PostMsg::resetShutdown();
    get("g_fakeOnline") = 1;
    for (const char* counter : {"g_fakeUpdateCalls", "g_fakeStartCalls", "g_fakeReadAllFlashData",
                                "g_fakeReadCurrentDPI", "g_fakeReadDPILed"})
        get(counter) = 0;
    DeviceAllInfo info;
    info.path = QStringLiteral("/virtual/mouse-2");
    info.kind = 1;
    info.wired = 1;
    SelectedDevice::set(info);
    FlashDataMap r;
    r.clear();
    r.reportRate = 1;
    r.currentDpiLevel = 2;
    CurrentRecord::replace(r);
}

void TestDeviceReports::batteryHonoursShowValue() {
    QSignalSpy spy(PostMsg::instance(), &PostMsg::SigBattery);
    DeviceReports::ShowBatteryValue = 1;
    report({0, 4}, {77, 1});
    DeviceReports::ShowBatteryValue = 2;
    report({0, 4}, {50});
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0), (QList<QVariant>{true, 77, true}));
    QCOMPARE(spy.at(1), (QList<QVariant>{false, 50, false}));
}

void TestDeviceReports::type8Table() {
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

    report(type8(0, 4), {6});
    QCOMPARE(int(CurrentRecord::snapshot().currentDpiLevel), 6);
    QCOMPARE(dpi.count(), 1);
    QCOMPARE(dpi.at(0).at(0).toInt(), 6);

    report(type8(0, 0), {3});
    QCOMPARE(int(CurrentRecord::snapshot().reportRate), 3);
    QCOMPARE(rate.count(), 1);
    QCOMPARE(get("g_fakeUpdateCalls"), 1);

    report(type8(0, 0x4C), {9, 8, 7, 6, 0, 0, 0, 0});
    const FlashDataMap r = CurrentRecord::snapshot();
    QCOMPARE(int(r.dpiLightEffect), 9);
    QCOMPARE(int(r.dpiLightOn), 6);
    QCOMPARE(led.count(), 1);
    QCOMPARE(int(led.at(0).at(0).value<FlashDataMap>().dpiLightEffect), 9);
}

void TestDeviceReports::shortAndOddReportsAreSafe() {
    QSignalSpy cfg(PostMsg::instance(), &PostMsg::SigUpDataConfigUI);
    // Header cut after the type: qualifier and sub-code read as 0, so this is a report-rate report.
    report({0, 8}, {4});
    QCOMPARE(int(CurrentRecord::snapshot().reportRate), 4);
    // Empty and negative lengths, null buffers, unknown types.
    DeviceReports::handleReport(nullptr, 0, nullptr, 0);
    DeviceReports::handleReport(nullptr, -5, nullptr, -1);
    report({}, {});
    report({0, 200, 0, 0, 0}, std::vector<uint8_t>(100000, 0xFF));
    // A status report with no data reads all flags as 0.
    report({0, 10}, {});
    QCOMPARE(get("g_fakeReadCurrentDPI"), 0);
    report({0, 14}, {2});
    report({0, 14}, {});
    QCOMPARE(cfg.count(), 2);
    QCOMPARE(cfg.at(0), (QList<QVariant>{4, 2, true}));
    QCOMPARE(cfg.at(1), (QList<QVariant>{0, 0, false}));
    // A longer-than-full-data report is not full data.
    QSignalSpy form(PostMsg::instance(), &PostMsg::SigForm);
    report(type8(0, 0), std::vector<uint8_t>(6989, 1));
    QCOMPARE(form.count(), 0);
}

void TestDeviceReports::fullDataPublishedAsOneRecord() {
    QSignalSpy button(PostMsg::instance(), &PostMsg::SigUpDataLightUIButton);
    QSignalSpy light(PostMsg::instance(), &PostMsg::SigUpDataLightLight);
    QSignalSpy sensor(PostMsg::instance(), &PostMsg::SigUpDataLightSensor);
    QSignalSpy form(PostMsg::instance(), &PostMsg::SigForm);
    CurrentRecord::modify([](FlashDataMap& r) { std::memset(r.data() + 100, 0x55, 500); });
    LinkFlags::SensorFilled = true;
    LinkFlags::RunRequested = true;

    std::vector<uint8_t> data(6988, 0);
    for (int i = 0; i < 64; ++i)
        data[size_t(i)] = uint8_t(i + 1);
    report(type8(0, 0), data);

    FlashDataMap expected;
    expected.clear();
    std::memcpy(expected.data(), data.data(), 64);
    QVERIFY(CurrentRecord::snapshot() == expected); // old bytes past the parsed part are gone
    QCOMPARE(button.count(), 1);
    QCOMPARE(light.count(), 1);
    QCOMPARE(sensor.count(), 1);
    QCOMPARE(form.count(), 1);
    QVERIFY(sensor.at(0).at(0).value<FlashDataMap>() == expected);
    QVERIFY(LinkFlags::DeviceReady);
    QVERIFY(!LinkFlags::SensorFilled);
    QVERIFY(!LinkFlags::RunRequested);
    QVERIFY(!LinkFlags::Parsing);
    QCOMPARE(get("g_fakeReadDPILed"), 1);
}

void TestDeviceReports::resetReportReadsAdveanced_data() {
    QTest::addColumn<QStringList>("adveanced");
    QTest::addColumn<int>("rgb");       // receiver value announced, -1: none
    QTest::addColumn<int>("longRange"); // long range announced, -1: none
    QTest::newRow("missing") << QStringList() << -1 << -1;
    QTest::newRow("long range only") << QStringList{"1"} << -1 << 1;
    QTest::newRow("both") << QStringList{"0", " 3"} << 3 << 0;
    QTest::newRow("not numbers, value clamped") << QStringList{"on", "999"} << 255 << -1;
    QTest::newRow("outside their ranges") << QStringList{"2", "0"} << -1 << -1;
}

void TestDeviceReports::resetReportReadsAdveanced() {
    QFETCH(QStringList, adveanced);
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
    QCOMPARE(get("g_fakeReadAllFlashData"), 1);
}

void TestDeviceReports::versionReport() {
    QCOMPARE(DeviceReports::versionText(0x0A0B), QStringLiteral("v10.0B"));
    get("g_fakeVersion") = 0x0305;
    QSignalSpy ver(PostMsg::instance(), &PostMsg::SigSetver);
    report({0, 18}, {});
    QCOMPARE(SelectedDevice::get().mouseVersion, QStringLiteral("v3.05"));
    QCOMPARE(ver.count(), 1);
}

void TestDeviceReports::runAskedDuringARunFollowsIt() {
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
    QTRY_COMPARE(get("g_fakeStartCalls"), 2);
    QVERIFY(worker.wait(5000));
    QCOMPARE(get("g_fakeReadAllFlashData"), 2);
    QVERIFY(LinkFlags::DeviceReady);

    worker.requestRun(); // same device, kind and state: nothing sent
    QVERIFY(worker.wait(5000));
    QCOMPARE(get("g_fakeStartCalls"), 2);
}

void TestDeviceReports::shutdownIsBounded() {
    // A GUI-thread receiver that blocks the worker's emission; shutdown must still return in time.
    Worker worker;
    DeviceAllInfo info;
    info.path = QStringLiteral("/virtual/mouse-4");
    info.kind = 2;
    worker.SlotSelectMouseInfo(info);
    LinkFlags::DevicePagesActive = true;
    get("g_fakeOnline") = 0; // no cache for this model: the run emits the blocking SigFormReset
    QObject receiver;
    PostMsg::connectBlockingFunctor(&PostMsg::SigFormReset, &receiver, [] {});
    worker.requestRun();
    QThread::msleep(300); // let the run reach its emission, which waits for this (busy) thread
    QElapsedTimer t;
    t.start();
    worker.shutdown(1500);
    QVERIFY(t.elapsed() < 2500);
    QCoreApplication::processEvents();
    QVERIFY(worker.wait(3000));
}

QTEST_GUILESS_MAIN(TestDeviceReports)
#include "tst_device_reports.moc"
