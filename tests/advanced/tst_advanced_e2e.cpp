// The advanced page against the real device library: calibration puts the virtual mouse into its
// adjust mode and takes it out again, on a second press, on completion and on the time-out.
#include "app/core/PostMsg.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "sensor/Advanced.h"
#include "sensor/AdvancedSections.h"
#include "sensor/SensorCapability.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

class TestAdvancedE2E : public QObject {
    Q_OBJECT
private slots:
    void calibrationEndsOnTheMouse();
};

void TestAdvancedE2E::calibrationEndsOnTheMouse() {
    VirtualMouseSetup::Controls v;
    const QString failed = v.load();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    QTemporaryDir appDir, state;
    IniStore& ini =
        VirtualMouseSetup::prepare(appDir, state, "mouse z1 vid=373B pid=1001 cid=05 mid=1F link=cable\n");
    ini.setValue("Drive1", "Sensor", "3395");
    ini.sync();
    QVERIFY(v.Reload());
    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    QCOMPARE(found.size(), 1);
    SelectedDevice::set(found.first());
    LinkFlags::resetAll();
    auto page = std::make_unique<Advanced>();
    auto worker = std::make_unique<Worker>();
    VirtualMouseSetup::run(*worker, found.first());
    QTRY_VERIFY_WITH_TIMEOUT(LinkFlags::DeviceReady, 10000);
    SensorFlags::Armed = true;

    KeyVoice* k = page->calibration();
    QVERIFY(!v.PressKey("z1", 0, 1)); // accepted only while the mouse is in adjust mode
    QTest::mouseClick(k->button(), Qt::LeftButton);
    QVERIFY(v.PressKey("z1", 0, 1) && v.PressKey("z1", 0, 0));
    QTRY_COMPARE_WITH_TIMEOUT(k->pictureName(), QStringLiteral("Li.png"), 5000);
    QTest::mouseClick(k->button(), Qt::LeftButton); // second press
    QVERIFY(!v.PressKey("z1", 1, 1));

    QTest::mouseClick(k->button(), Qt::LeftButton);
    QVERIFY(v.PressKey("z1", 0, 1) && v.PressKey("z1", 0, 0) && v.PressKey("z1", 1, 1) &&
            v.PressKey("z1", 1, 0));
    QTRY_COMPARE_WITH_TIMEOUT(k->pictureName(), QStringLiteral("Allin.png"), 5000);
    QVERIFY(!v.PressKey("z1", 0, 1)); // both done: adjust mode ended

    QTest::mouseClick(k->button(), Qt::LeftButton);
    k->timer().setInterval(50);
    k->timer().start();
    QTRY_COMPARE_WITH_TIMEOUT(k->pictureName(), QStringLiteral("AllFail.png"), 5000);
    QVERIFY(!v.PressKey("z1", 0, 1));

    QVERIFY(worker->shutdown(3000));
    hid().UsbServer_Exit();
    PostMsg::resetShutdown();
}

QTEST_MAIN(TestAdvancedE2E)
#include "tst_advanced_e2e.moc"
