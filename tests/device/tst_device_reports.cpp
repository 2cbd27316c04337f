#include "app/core/PostMsg.h"
#include "device/DeviceCache.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"

#include <QLibrary>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

namespace {
QLibrary* g_lib = nullptr;
int& fake(const char* name) {
    auto* p = reinterpret_cast<int*>(g_lib->resolve(name));
    Q_ASSERT(p);
    return *p;
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

class TestDeviceReports : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void batteryHonoursShowValue();
    void type8Table();
    void shortAndOddReportsAreSafe();
    void fullDataPublishedAsOneRecord();
    void reconnectionGuard();
    void versionText();
    void workerShortcutAndOfflineStart();
    void shutdownIsBounded();
};

void TestDeviceReports::initTestCase() {
    const QString lib = qEnvironmentVariable("ZF_FAKE_HID");
    QVERIFY2(HidLibrary::load(lib), qPrintable(HidLibrary::errorText()));
    g_lib = new QLibrary(lib, this);
    QVERIFY(g_lib->load());
}

void TestDeviceReports::init() {
    LinkFlags::resetAll();
    PostMsg::resetShutdown();
    fake("g_fakeOnline") = 1;
    fake("g_fakeUpdateCalls") = 0;
    fake("g_fakeStartCalls") = 0;
    fake("g_fakeReadAllFlashData") = 0;
    fake("g_fakeReadCurrentDPI") = 0;
    fake("g_fakeReadDPILed") = 0;
    DeviceAllInfo info;
    info.path = QStringLiteral("/virtual/mouse-2");
    info.cid = 0x0A;
    info.mid = 0x03;
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
    QCOMPARE(fake("g_fakeUpdateCalls"), 1);

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
    QCOMPARE(fake("g_fakeReadCurrentDPI"), 0);
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
    QCOMPARE(fake("g_fakeReadDPILed"), 1);
}

void TestDeviceReports::reconnectionGuard() {
    qint64 now = 100000;
    DeviceReports::setClock([&now] { return now; });
    DeviceReports::restartResetTimer();
    int restarts = 0;
    const auto reconnect = [&] {
        LinkFlags::RestartRequested = false;
        report({0, 10}, {0, 0, 1, 0, 0, 0, 0});
        if (LinkFlags::RestartRequested)
            ++restarts;
    };
    now += 3500;
    reconnect();
    now += 2000;
    reconnect();
    QCOMPARE(restarts, 1);
    now += 1600; // 3.6 s after the accepted one
    reconnect();
    QCOMPARE(restarts, 2);
    QVERIFY(LinkFlags::Reconnected);
    DeviceReports::setClock(nullptr);
}

void TestDeviceReports::versionText() {
    QCOMPARE(DeviceReports::versionText(0x0105), QStringLiteral("v1.05"));
    QCOMPARE(DeviceReports::versionText(0x020A), QStringLiteral("v2.0A"));
    QCOMPARE(DeviceReports::versionText(0xFF00), QStringLiteral("v255.00"));
    fake("g_fakeVersion") = 0x030B;
    QSignalSpy ver(PostMsg::instance(), &PostMsg::SigSetver);
    report({0, 18}, {});
    QCOMPARE(SelectedDevice::get().mouseVersion, QStringLiteral("v3.0B"));
    QCOMPARE(ver.count(), 1);
}

void TestDeviceReports::workerShortcutAndOfflineStart() {
    Worker worker;
    DeviceAllInfo info;
    info.path = QStringLiteral("/virtual/mouse-3");
    info.cid = 0x0B;
    info.mid = 0x04;
    info.kind = 1;
    worker.SlotSelectMouseInfo(info);
    LinkFlags::DevicePagesActive = true;

    worker.requestRun();
    QVERIFY(worker.wait(5000));
    QCOMPARE(fake("g_fakeStartCalls"), 1);
    QCOMPARE(fake("g_fakeReadAllFlashData"), 1);
    QVERIFY(LinkFlags::DeviceReady);

    worker.requestRun(); // same device, kind and state: nothing sent
    QVERIFY(worker.wait(5000));
    QCOMPARE(fake("g_fakeStartCalls"), 1);

    // Offline start with a cached record: the pages get the cache.
    FlashDataMap cached;
    cached.clear();
    cached.lod = 2;
    QVERIFY(DeviceCache::save(0x0B, 0x04, cached));
    fake("g_fakeOnline") = 0;
    LinkFlags::DeviceOnline = false;
    // Counted on this thread through the blocking handoff: a spy would record on the worker's.
    QVector<FlashDataMap> sensor;
    int reset = 0;
    QObject receiver;
    PostMsg::connectBlockingFunctor(&PostMsg::SigUpDataLightSensor, &receiver,
                                    [&](FlashDataMap r) { sensor << r; });
    PostMsg::connectBlockingFunctor(&PostMsg::SigFormReset, &receiver, [&] { ++reset; });
    worker.requestRun();
    QTRY_COMPARE(sensor.size(), 1);
    QVERIFY(worker.wait(5000));
    QCOMPARE(int(sensor.at(0).lod), 2);
    QCOMPARE(reset, 0);
    QVERIFY(LinkFlags::WaitingForOnline);
    QVERIFY(!LinkFlags::DeviceReady);

    // The online check sees it come back and closes the offline notice.
    QSignalSpy close(PostMsg::instance(), &PostMsg::SigCloseOffOnline);
    fake("g_fakeOnline") = 1;
    worker.SlotCheckOnline();
    QCOMPARE(close.count(), 1);
    QVERIFY(!LinkFlags::WaitingForOnline);
    QVERIFY(worker.shutdown(2000));
}

void TestDeviceReports::shutdownIsBounded() {
    // A GUI-thread receiver that blocks the worker's emission; shutdown must still return in time.
    Worker worker;
    DeviceAllInfo info;
    info.path = QStringLiteral("/virtual/mouse-4");
    info.kind = 2;
    worker.SlotSelectMouseInfo(info);
    LinkFlags::DevicePagesActive = true;
    fake("g_fakeOnline") = 0; // no cache for this model: the run emits the blocking SigFormReset
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
