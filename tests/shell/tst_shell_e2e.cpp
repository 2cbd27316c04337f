// The frame against the real device library and its virtual mouse "mouse0" behind "receiver0": what the
// mouse reports must reach the title bar.
#include "app/Dialog.h"
#include "app/core/PostMsg.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QLabel>
#include <QLibrary>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>

class TestShellE2E : public QObject {
    Q_OBJECT
    QTemporaryDir m_appDir;
    QTemporaryDir m_state;
    QLibrary m_lib;
    int (*m_setBattery)(const char*, int, int) = nullptr;

private slots:
    void initTestCase() {
        QVERIFY(m_appDir.isValid() && m_state.isValid());
        VirtualMouseSetup::prepare(m_appDir, m_state).sync();
        const QString lib = qEnvironmentVariable("ZF_REAL_HID");
        QVERIFY2(HidLibrary::load(lib), qPrintable(HidLibrary::errorText()));
        m_lib.setFileName(lib);
        QVERIFY(m_lib.load());
        m_setBattery = reinterpret_cast<int (*)(const char*, int, int)>(m_lib.resolve("HidVirt_SetBattery"));
        auto timing = reinterpret_cast<int (*)(int, int)>(m_lib.resolve("HidVirt_SetBatteryTiming"));
        QVERIFY(m_setBattery && timing);
        timing(0, 0); // levels change only when the test says so
    }

    void cleanupTestCase() {
        PostMsg::beginShutdown();
        hid().UsbServer_Exit();
    }

    // An empty wireless mouse drops off its receiver; its last report must still empty the gauge.
    void batteryGaugeFollowsTheMouseDownToEmpty() {
        DeviceReports::ShowBatteryValue = 1;
        Dialog d;
        auto* bar = d.findChild<QProgressBar*>("progressBar");
        auto* text = d.findChild<QLabel*>("label_2");
        auto* charging = d.findChild<QLabel*>("label");
        const QByteArray path = "/dev/zf-virtual/receiver0";
        QVERIFY(hid().UsbFinderC_GetDeviceOnLine(path.constData()));
        hid().UsbServerC_Start(path.constData(), path.constData(), &DeviceReports::handleReport);
        hid().UsbServer_SetPCDriverStatus(1);

        QVERIFY(m_setBattery("mouse0", 40, 1));
        QTRY_COMPARE(text->text(), QString("40%"));
        QVERIFY(!charging->isHidden());
        QVERIFY(m_setBattery("mouse0", 0, 0));
        QTRY_COMPARE(text->text(), QString("0%"));
        QCOMPARE(bar->value(), 0);
        QVERIFY(bar->styleSheet().contains("rgb(152, 43, 34)"));
        QVERIFY(charging->isHidden());
        QVERIFY(!hid().UsbFinderC_GetDeviceOnLine(path.constData())); // and then it dropped off
    }
};

QTEST_MAIN(TestShellE2E)
#include "tst_shell_e2e.moc"
