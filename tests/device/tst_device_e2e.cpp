// Against the real device library and its default virtual mouse.
#include "app/core/PostMsg.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "device/Worker.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QTemporaryDir>
#include <QtTest>

class TestDeviceE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void chooseMouseRecordArrivesAndWritesStick();
    void cleanupTestCase();

private:
    QTemporaryDir m_appDir;
    QTemporaryDir m_state;
};

void TestDeviceE2E::initTestCase() {
    QVERIFY(m_appDir.isValid() && m_state.isValid());
    IniStore& ini = VirtualMouseSetup::prepare(m_appDir, m_state);
    ini.setValue("Drive1", "DisOnLine", "1");
    ini.sync();
    QVERIFY2(HidLibrary::load(qEnvironmentVariable("ZF_REAL_HID")), qPrintable(HidLibrary::errorText()));
}

void TestDeviceE2E::chooseMouseRecordArrivesAndWritesStick() {
    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    QVERIFY(!found.isEmpty());
    const DeviceAllInfo mouse = found.first();
    QCOMPARE(int(mouse.cid), 0x05);
    QCOMPARE(int(mouse.mid), 0x1F);
    QCOMPARE(int(mouse.row), 0);

    FlashDataMap received;
    received.clear();
    int records = 0;
    QObject context;
    PostMsg::connectBlockingFunctor(&PostMsg::SigUpDataLightSensor, &context, [&](FlashDataMap r) {
        received = r;
        ++records;
    });
    // Counted on the GUI thread: a QSignalSpy would record on the library's thread.
    int form = 0;
    PostMsg::connectBlockingFunctor(&PostMsg::SigForm, &context, [&] { ++form; });

    Worker worker;
    worker.SlotSelectMouseInfo(mouse);
    LinkFlags::DevicePagesActive = true;
    worker.requestRun();
    QTRY_VERIFY_WITH_TIMEOUT(form >= 1, 10000);
    QCOMPARE(records, 1);
    QVERIFY(received == CurrentRecord::snapshot());
    QVERIFY(received.dpiLevelCount >= 1 && received.dpiLevelCount <= 8);

    const uint8_t lod = received.lod == 2 ? 1 : 2;
    QVERIFY(SetLod(lod));
    QCOMPARE(int(CurrentRecord::snapshot().lod), int(lod));
    QVERIFY(worker.shutdown(3000));
    hid().UsbServer_Exit();

    // A fresh start reads the whole record back from the virtual mouse: the change is in its flash.
    PostMsg::resetShutdown();
    CurrentRecord::replace(FlashDataMap{});
    LinkFlags::resetAll();
    Worker again;
    again.SlotSelectMouseInfo(mouse);
    LinkFlags::DevicePagesActive = true;
    again.requestRun();
    QTRY_VERIFY_WITH_TIMEOUT(form >= 2, 10000);
    QCOMPARE(int(received.lod), int(lod));
    QVERIFY(again.shutdown(3000));
    hid().UsbServer_Exit();
}

void TestDeviceE2E::cleanupTestCase() {
    PostMsg::resetShutdown();
}

QTEST_MAIN(TestDeviceE2E)
#include "tst_device_e2e.moc"
