// A report thread fires DPI, battery, light and rate reports while the GUI thread writes settings and
// serves the blocking news; meant to run under ThreadSanitizer as well.
#include "app/core/PostMsg.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "device/Worker.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <atomic>

class TestDeviceStress : public QObject {
    Q_OBJECT
private slots:
    void reportsAgainstWriters();
};

void TestDeviceStress::reportsAgainstWriters() {
    QVERIFY(HidLibrary::load(qEnvironmentVariable("ZF_FAKE_HID")));
    LinkFlags::resetAll();
    DeviceAllInfo info;
    info.path = QStringLiteral("/virtual/stress");
    SelectedDevice::set(info);
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
        const unsigned char dpi[] = {0, 8, 0, 0, 4};
        const unsigned char led[] = {0, 8, 0, 0, 0x4C};
        const unsigned char bar[] = {0, 8, 0, 0, 0xA0};
        const unsigned char rate[] = {0, 8, 0, 0, 0};
        const unsigned char battery[] = {0, 4};
        const unsigned char data[9] = {3, 1, 2, 3, 4, 5, 6, 7, 8};
        for (int i = 0; !stop; ++i) {
            const unsigned char level = static_cast<unsigned char>(i % 8);
            DeviceReports::handleReport(dpi, 5, &level, 1);
            DeviceReports::handleReport(led, 5, data, 8);
            DeviceReports::handleReport(bar, 5, data, 9);
            DeviceReports::handleReport(rate, 5, data, 1);
            DeviceReports::handleReport(battery, 2, data, 2);
        }
    });
    reporter->start();
    QElapsedTimer t;
    t.start();
    int writes = 0;
    while (t.elapsed() < 1500) {
        QVERIFY(SetLightBarColour(uint8_t(writes), 2, 3));
        QVERIFY(SetDpiLevelValue(writes % 8, 400, 400, 0, false));
        QVERIFY(SetSleepTime(uint8_t(writes)));
        const FlashDataMap r = CurrentRecord::snapshot();
        QCOMPARE(r.sleepTime, r.sleepTimeCopy);
        ++writes;
        QCoreApplication::processEvents();
    }
    stop = true;
    while (!reporter->wait(10))
        QCoreApplication::processEvents();
    delete reporter;
    QVERIFY(served > 0);
    QCOMPARE(badLevels, 0);
}

QTEST_GUILESS_MAIN(TestDeviceStress)
#include "tst_device_stress.moc"
