// Profiles and configuration files against the real device library: two virtual mice of one model.
#include "app/core/PostMsg.h"
#include "app/notices/SimpleNotices.h"
#include "buttons/Buttoninterface.h"
#include "device/ConfigFile.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "device/Worker.h"
#include "profile/ConfigTransfer.h"
#include "profile/ExportFail.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
// The record with the library's own (unnamed) bytes cleared: what the program owns.
FlashDataMap namedFields(FlashDataMap r) {
    std::memset(&r.unnamed3, 0, sizeof r.unnamed3);
    std::memset(r.unnamed17, 0, sizeof r.unnamed17);
    std::memset(r.unnamed45, 0, sizeof r.unnamed45);
    std::memset(r.unnamed213, 0, sizeof r.unnamed213);
    return r;
}
} // namespace

class TestProfileE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void exportOneMouseImportIntoAnother();
    void profileSwitchReachesTheMouseAndThePages();

private:
    void bringUp(const char* name);
    FlashDataMap flash(const char* name, int profile = -1) {
        FlashDataMap r{};
        v.ReadFlash(name, profile, reinterpret_cast<unsigned char*>(&r));
        return r;
    }
    QString status() {
        char buffer[4096] = {};
        v.List(buffer, sizeof buffer);
        return QString::fromLatin1(buffer);
    }

    QTemporaryDir m_appDir, m_state, m_files;
    VirtualMouseSetup::Controls v;
    QList<DeviceAllInfo> m_found;
    std::unique_ptr<Buttoninterface> m_page;
    std::unique_ptr<Worker> m_worker;
};

void TestProfileE2E::initTestCase() {
    const QString failed = v.load();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    IniStore& ini = VirtualMouseSetup::prepare(m_appDir, m_state,
                                               "mouse za vid=373B pid=1001 cid=05 mid=1F link=cable\n"
                                               "mouse zb vid=373B pid=1001 cid=05 mid=1F link=cable\n");
    ini.setValue("Drive1", "Sensor", "3395");
    ini.setValue("Drive1", "DPIMaxGrade", "8");
    ini.sync();
    QVERIFY(v.Reload());
    m_found = Discovery::enumerate(Discovery::Finder::Default);
    QCOMPARE(m_found.size(), 2);
}

void TestProfileE2E::cleanup() {
    if (m_worker)
        QVERIFY(m_worker->shutdown(3000));
    m_worker.reset();
    m_page.reset();
    hid().UsbServer_Exit();
    PostMsg::resetShutdown();
}

void TestProfileE2E::bringUp(const char* name) {
    DeviceAllInfo device;
    for (const DeviceAllInfo& d : qAsConst(m_found))
        if (d.path.endsWith(QLatin1Char('/') + QLatin1String(name)))
            device = d;
    QVERIFY(!device.path.isEmpty());
    VirtualMouseSetup::freshProgram();
    SelectedDevice::set(device);
    m_page = std::make_unique<Buttoninterface>();
    m_page->show();
    m_worker = std::make_unique<Worker>();
    VirtualMouseSetup::run(*m_worker, device);
    QTRY_VERIFY_WITH_TIMEOUT(LinkFlags::ButtonFilled, 10000);
}

// Export from one mouse, import into the other: the second's flash holds the first's settings, the
// pages show them, and a refused file changes nothing on the mouse.
void TestProfileE2E::exportOneMouseImportIntoAnother() {
    bringUp("za");
    QVERIFY(SetAngle(0xE2));
    QVERIFY(SetTriggerBit(1, true));
    QVERIFY(SetButtonAssignment(2, ButtonAssignment{{3, 1, 0}}));
    const CurvePoint curve[5] = {{100, 0, 0}, {115, 10, 0}, {130, 20, 0}, {150, 40, 0}, {170, 80, 0}};
    QVERIFY(SetCurvePoints(3, curve));
    const QString file = m_files.filePath(QStringLiteral("za.bin"));
    QVERIFY(ConfigTransfer::exportTo(file, nullptr));
    QCOMPARE(QFile(file).size(), qint64(ConfigFile::kFileSize));
    // A file that cannot be written says so in a notice instead of failing silently.
    bool exportNotice = false;
    QTimer::singleShot(50, this, [&] {
        if (auto* n = qobject_cast<ExportFail*>(QApplication::activeModalWidget())) {
            exportNotice = true;
            n->close();
        }
    });
    QVERIFY(!ConfigTransfer::exportTo(m_files.filePath(QStringLiteral("missing/za.bin")), nullptr));
    QVERIFY(exportNotice);
    const FlashDataMap source = flash("za");
    cleanup();

    bringUp("zb");
    const FlashDataMap before = flash("zb");
    QVERIFY(namedFields(before) != namedFields(source));

    // A foreign sensor's file: refused with the mismatch notice, nothing sent.
    QFile foreign(m_files.filePath(QStringLiteral("foreign.bin")));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write(ConfigFile::encode(source, QStringLiteral("3950")));
    foreign.close();
    QString refusal;
    QTimer poll;
    int noticeTicks = 0, busyTicks = 0; // the online check stays off while a notice of the import is up
    connect(&poll, &QTimer::timeout, this, [&] {
        if (QApplication::activeModalWidget()) {
            ++noticeTicks;
            busyTicks += LinkFlags::Busy ? 1 : 0;
        }
        if (auto* fail = qobject_cast<InportFail*>(QApplication::activeModalWidget())) {
            refusal = fail->labelText();
            fail->close();
        }
    });
    poll.start(20);
    QCOMPARE(ConfigTransfer::importFrom(foreign.fileName(), m_page.get()), int(ConfigFile::Mismatch));
    QCOMPARE(refusal, QStringLiteral("Config does not match the device"));
    QVERIFY(flash("zb") == before);

    QSignalSpy refreshed(PostMsg::instance(), &PostMsg::SigUpDataButtonUIC);
    QCOMPARE(ConfigTransfer::importFrom(file, m_page.get()), int(ConfigFile::Accepted));
    QTRY_VERIFY_WITH_TIMEOUT(namedFields(flash("zb")) == namedFields(source), 5000);
    QCOMPARE(refreshed.count(), 1);
    QVERIFY(noticeTicks > 0);
    QCOMPARE(busyTicks, noticeTicks);
    QVERIFY(!LinkFlags::Busy);
    QCOMPARE(m_page->stored(2).type, 3);
    QCOMPARE(CurrentRecord::snapshot().curve[1].value, uint16_t(115));
}

// Choosing a profile makes it the mouse's active one and the pages show its settings (the chooser's
// offline roll-back is the button page suite's).
void TestProfileE2E::profileSwitchReachesTheMouseAndThePages() {
    bringUp("za");
    auto* chooser = m_page->findChild<QComboBox*>(QStringLiteral("ProjectChoose"));
    QTRY_COMPARE_WITH_TIMEOUT(chooser->count(), 4, 5000);
    QVERIFY(chooser->isEnabled());
    QVERIFY(SetAngle(10)); // profile 1 differs from the factory profile 2
    QCOMPARE(flash("za", 0).angle, uint8_t(10));

    QSignalSpy label(PostMsg::instance(), &PostMsg::SigAddConfig);
    chooser->setCurrentIndex(1);
    QMetaObject::invokeMethod(chooser, "activated", Q_ARG(int, 1));
    const auto activeProfile = [this] {
        return status()
            .section(QLatin1String("mouse za "), 1)
            .section('\n', 0, 0)
            .section(QLatin1String("profile="), 1)
            .section(' ', 0, 0);
    };
    QTRY_COMPARE_WITH_TIMEOUT(activeProfile(), QStringLiteral("1"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(CurrentRecord::snapshot().angle, flash("za", 1).angle, 5000);
    QVERIFY(CurrentRecord::snapshot().angle != 10);
    QTRY_COMPARE_WITH_TIMEOUT(chooser->currentIndex(), 1, 5000);
    QVERIFY(!label.isEmpty());
    QCOMPARE(label.last().at(0).toString(), chooser->itemText(1));
}

QTEST_MAIN(TestProfileE2E)
#include "tst_profile_e2e.moc"
