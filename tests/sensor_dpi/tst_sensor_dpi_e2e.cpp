// The DPI editor against the real device library and one virtual mouse: edits land in its flash.
#include "app/core/PostMsg.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "sensor/DpiCodec.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorDPI.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

class TestSensorDpiE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void editsReachTheVirtualFlash();
    void cleanupTestCase();

private:
    QTemporaryDir m_appDir;
    QTemporaryDir m_state;
};

void TestSensorDpiE2E::initTestCase() {
    QVERIFY(m_appDir.isValid() && m_state.isValid());
    IniStore& ini = VirtualMouseSetup::prepare(m_appDir, m_state,
                                               "mouse z1 vid=373B pid=1001 cid=05 mid=1F link=cable\n");
    ini.setValue("Drive1", "Sensor", "3395");
    ini.setValue("Drive1", "DPIMaxGrade", "8");
    ini.setList("Drive1", "DPIRange", {"50", "10000", "50", "10100", "26000", "100", "22"});
    ini.sync();
    QVERIFY2(HidLibrary::load(qEnvironmentVariable("ZF_REAL_HID")), qPrintable(HidLibrary::errorText()));
}

void TestSensorDpiE2E::editsReachTheVirtualFlash() {
    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    QCOMPARE(found.size(), 1);
    const DeviceAllInfo mouse = found.first();
    SensorCapability::current().loadDeviceCapabilities(mouse.row);

    FlashDataMap received;
    int form = 0;
    QObject context;
    PostMsg::connectBlockingFunctor(&PostMsg::SigUpDataLightSensor, &context,
                                    [&](FlashDataMap r) { received = r; });
    PostMsg::connectBlockingFunctor(&PostMsg::SigForm, &context, [&] { ++form; });
    auto start = [&](Worker& worker) {
        worker.SlotSelectMouseInfo(mouse);
        LinkFlags::DevicePagesActive = true;
        worker.requestRun();
    };
    Worker worker;
    start(worker);
    QTRY_VERIFY_WITH_TIMEOUT(form >= 1, 10000);

    SensorFlags::Armed = true;
    SensorDPI dpi;
    dpi.setSliderRange(50, 26000);
    dpi.fillLevelChooser(8);
    dpi.setChooserIndex(received.dpiLevelCount - 1);
    dpi.setCurrentLevel(received.currentDpiLevel);
    dpi.selectLevel(received.currentDpiLevel);
    dpi.show();
    const int level = received.currentDpiLevel;
    dpi.findChild<QSlider*>("horizontalSliderC")->setValue(12345);
    QCOMPARE(DpiCodec::decodeX(level), 12300);
    dpi.findChild<QComboBox*>("ChooseEvent")->setCurrentIndex(6);
    QCOMPARE(int(CurrentRecord::snapshot().dpiLevelCount), 7);
    QVERIFY(worker.shutdown(3000));
    hid().UsbServer_Exit();

    // A fresh start reads the record back from the virtual mouse.
    PostMsg::resetShutdown();
    CurrentRecord::replace(FlashDataMap{});
    LinkFlags::resetAll();
    Worker again;
    start(again);
    QTRY_VERIFY_WITH_TIMEOUT(form >= 2, 10000);
    QCOMPARE(int(received.dpiLevelCount), 7);
    QCOMPARE(int(received.dpiLevels[level].xCode), 12300 / 100 - 1);
    QCOMPARE(int(received.dpiLevels[level].nibbles), 0x22);
    QCOMPARE(DpiCodec::decodeY(SensorCapability::current(), received, level), 12300);
    QVERIFY(again.shutdown(3000));
    hid().UsbServer_Exit();
}

void TestSensorDpiE2E::cleanupTestCase() {
    PostMsg::resetShutdown();
}

QTEST_MAIN(TestSensorDpiE2E)
#include "tst_sensor_dpi_e2e.moc"
