// The sensor page against the real device library and its default virtual mouse.
#include "app/core/PostMsg.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "sensor/Sensor.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorDPI.h"
#include "sensor/SensorRate.h"
#include "tests/common/VirtualMouseSetup.h"

#include "HIDUsbVirtual.h"

#include <QAbstractButton>
#include <QLibrary>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestSensorE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void mouseButtonMovesLevelAndPageChangeReachesFlash();
    void cleanupTestCase();

private:
    QTemporaryDir m_appDir;
    QTemporaryDir m_state;
    QLibrary m_raw;
};

void TestSensorE2E::initTestCase() {
    QVERIFY(m_appDir.isValid() && m_state.isValid());
    IniStore& ini = VirtualMouseSetup::prepare(m_appDir, m_state);
    ini.setValue("Drive1", "Sensor", "3395");
    ini.setValue("Drive1", "DPIMaxGrade", "8");
    ini.setList("Drive1", "DPIRange", {"50", "10000", "50", "10100", "26000", "100", "22"});
    ini.sync();
    const QString lib = qEnvironmentVariable("ZF_REAL_HID");
    QVERIFY2(HidLibrary::load(lib), qPrintable(HidLibrary::errorText()));
    m_raw.setFileName(lib);
    QVERIFY(m_raw.load());
}

void TestSensorE2E::mouseButtonMovesLevelAndPageChangeReachesFlash() {
    auto press = reinterpret_cast<int (*)(const char*)>(m_raw.resolve("HidVirt_PressDpiButton"));
    auto readFlash =
        reinterpret_cast<int (*)(const char*, int, unsigned char*)>(m_raw.resolve("HidVirt_ReadFlash"));
    QVERIFY(press && readFlash);

    Sensor page;
    page.show();
    auto* dpi = page.findChild<SensorDPI*>("frameDpi");
    auto* rate = page.findChild<SensorRate*>("frameRate");
    QVERIFY(dpi && rate);

    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    QVERIFY(!found.isEmpty());
    QSignalSpy form(PostMsg::instance(), &PostMsg::SigForm);
    PostMsg::instance()->SendSelectMouseInfo(found.first());
    Worker worker;
    worker.SlotSelectMouseInfo(found.first());
    LinkFlags::DevicePagesActive = true;
    worker.requestRun();
    QTRY_VERIFY_WITH_TIMEOUT(form.count() >= 1, 10000);
    QVERIFY(LinkFlags::SensorFilled);
    const FlashDataMap first = CurrentRecord::snapshot();
    QCOMPARE(dpi->currentLevel(), int(first.currentDpiLevel));
    QVERIFY(first.dpiLevelCount >= 2);

    // The mouse's own DPI button: the page follows without writing back.
    const int expected = (first.currentDpiLevel + 1) % first.dpiLevelCount;
    QVERIFY(press("mouse0"));
    QTRY_COMPARE_WITH_TIMEOUT(dpi->currentLevel(), expected, 5000);
    QCOMPARE(int(CurrentRecord::snapshot().currentDpiLevel), expected);

    // A click on the page lands in the mouse's flash.
    const int target = first.reportRate == 2 ? 1 : 2; // 500 Hz, or 250 Hz when it already runs at 500
    QTest::mouseClick(rate->button(target), Qt::LeftButton);
    QCOMPARE(int(CurrentRecord::snapshot().reportRate), SensorRate::codeAt(target));
    QByteArray flash(FlashDataMap::kSize, '\0');
    QTRY_VERIFY_WITH_TIMEOUT(readFlash("mouse0", -1, reinterpret_cast<unsigned char*>(flash.data())) &&
                                 uint8_t(flash.at(0)) == SensorRate::codeAt(target),
                             5000);
    QCOMPARE(int(uint8_t(flash.at(2))), expected);

    QVERIFY(worker.shutdown(3000));
    hid().UsbServer_Exit();
}

void TestSensorE2E::cleanupTestCase() {
    PostMsg::resetShutdown();
}

QTEST_MAIN(TestSensorE2E)
#include "tst_sensor_e2e.moc"
