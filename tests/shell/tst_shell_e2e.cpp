// The device list and the frame against the real device library and its virtual mice: the list's order,
// and what "mouse0" behind "receiver0" reports reaching the title bar.
#include "HIDUsbVirtual.h"
#include "app/Dialog.h"
#include "app/DialogChange.h"
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
        // Found in PID-list order: the cable's 1001 (row 2, then a model of no row) before the receiver's
        // 1002 (row 1).
        IniStore& ini =
            VirtualMouseSetup::prepare(m_appDir, m_state,
                                       "receiver receiver0 vid=373B pid=1002 address=A10001\n"
                                       "mouse mouse0 cid=05 mid=1F receiver=receiver0 link=receiver\n"
                                       "mouse mouse1 cid=05 mid=20 link=cable\n"
                                       "mouse stray cid=05 mid=63 link=cable\n");
        ini.setValue("Option", "DeviceTotal", "2");
        ini.setValue("Drive2", "CID", "5");
        ini.setValue("Drive2", "MID", "32");
        ini.sync();
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

    // The same mouse in the same place: by table row, then path, whatever the finding order and link.
    void deviceListOrderedByRowThenPath() {
        auto paths = [] {
            DialogChange list;
            list.SlotRefresh();
            QStringList out;
            for (const DeviceAllInfo& d : list.devices())
                out << d.path.section('/', -1);
            return out;
        };
        QCOMPARE(paths(), QStringList({"receiver0", "mouse1", "stray"}));
        auto setLink = reinterpret_cast<int (*)(const char*, int)>(m_lib.resolve("HidVirt_SetLink"));
        QVERIFY(setLink && setLink("mouse0", HIDVIRT_LINK_CABLE));
        // Its receiver still names it: both entries of the model come first.
        QCOMPARE(paths(), QStringList({"mouse0", "receiver0", "mouse1", "stray"}));
        QVERIFY(setLink("mouse0", HIDVIRT_LINK_RECEIVER));
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
