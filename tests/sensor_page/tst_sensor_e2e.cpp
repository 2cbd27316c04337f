// The sensor page and the DPI editor against the real device library and its virtual mice.
#include "app/core/PostMsg.h"
#include "device/DeviceTable.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "sensor/DpiCodec.h"
#include "sensor/Sensor.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorDPI.h"
#include "sensor/SensorRate.h"
#include "tests/common/DpiEntry.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestSensorE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void shippedMiceShowTheirRowsLevels();
    void wideXYSurvivesARestart();
    void cleanupTestCase();

private:
    QString m_shipped = qEnvironmentVariable("ZF_APP_DIR");
    QScopedPointer<QTemporaryDir> m_appDir, m_state;
    VirtualMouseSetup::Controls v;
};

void TestSensorE2E::initTestCase() {
    const QString failed = v.load();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
}

void TestSensorE2E::init() {
    m_appDir.reset(new QTemporaryDir);
    m_state.reset(new QTemporaryDir);
    QVERIFY(m_appDir->isValid() && m_state->isValid());
    VirtualMouseSetup::freshProgram();
}

// Each shipped virtual mouse's factory levels decode, with its row's model rules, to the row's
// "DPIGrade" values; a mismatch prints the factory bytes the description should carry.
void TestSensorE2E::shippedMiceShowTheirRowsLevels() {
    QFile devices(m_shipped + "/virtual/devices.txt");
    QVERIFY(devices.open(QIODevice::ReadOnly));
    const QByteArray description = devices.readAll();
    VirtualMouseSetup::prepare(*m_appDir, *m_state, description);
    ConfigIniStore::resetForTests();
    const QString config = m_appDir->path() + "/usersetting/Config.ini";
    QFile::remove(config);
    QVERIFY(QFile::copy(m_shipped + "/usersetting/Config.ini", config));
    QVERIFY(QFile::copy(m_shipped + "/driver_sensor.h", m_appDir->path() + "/driver_sensor.h"));
    ConfigIniStore::resetForTests();
    QVERIFY(v.Reload());
    const DeviceTable table = DeviceTable::load();
    QVERIFY(table.size() >= 8);

    const QRegularExpression line(R"(^mouse (\S+) .*cid=([0-9A-Fa-f]+) mid=([0-9A-Fa-f]+))",
                                  QRegularExpression::MultilineOption);
    int checked = 0;
    QStringList mismatches;
    for (auto m = line.globalMatch(QString::fromUtf8(description)); m.hasNext();) {
        const auto match = m.next();
        const QByteArray name = match.captured(1).toUtf8();
        const int row = table.find(uint8_t(match.captured(2).toInt(nullptr, 16)),
                                   uint8_t(match.captured(3).toInt(nullptr, 16)));
        QVERIFY2(row >= 0, name.constData());
        const ModelRow model = table.at(row);
        SensorCapability cap;
        QVERIFY(cap.loadCapabilityHeader());
        cap.loadRow(model);
        QCOMPARE(model.dpiGrade.size(), 8);

        FlashDataMap record;
        QVERIFY(v.ReadFlash(name, -1, reinterpret_cast<unsigned char*>(&record)));
        QString shown, expected;
        FlashDataMap want = record;
        for (int level = 0; level < 8; ++level) {
            shown += QString::number(DpiCodec::decodeX(cap, record, level)) + ' ';
            encodeJoint(cap, want.dpiLevels[level], model.dpiGrade[level]);
        }
        const auto bytes = [](const FlashDataMap& r) {
            return QByteArray(reinterpret_cast<const char*>(&r.dpiLevels), sizeof r.dpiLevels);
        };
        const QString hint = QStringLiteral("%1 (%2) shows %3; factory bytes: flash=%4:%5")
                                 .arg(QString(name), cap.SensorModel, shown)
                                 .arg(offsetof(FlashDataMap, dpiLevels), 0, 16)
                                 .arg(QString(bytes(want).toHex().toUpper()));
        if (bytes(record) != bytes(want)) {
            qWarning().noquote() << hint; // the failure message itself is cut short
            mismatches << name;
        }
        ++checked;
    }
    QCOMPARE(checked, 8);
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(' ')));
}

// Model 3955 (wide codes): a wide X written per axis is copied whole when X–Y editing ends; the
// editor's values, level count and X–Y editing reach the flash and come back after a restart, and the
// page follows the mouse's own DPI button.
void TestSensorE2E::wideXYSurvivesARestart() {
    IniStore& ini = VirtualMouseSetup::prepare(*m_appDir, *m_state,
                                               "mouse z1 vid=373B pid=1001 cid=05 mid=1F link=cable\n");
    ini.setValue("Drive1", "Sensor", "3955");
    ini.setValue("Drive1", "DPIMaxGrade", "8");
    ini.setList("Drive1", "DPIRange", {"50", "10000", "50", "10100", "26000", "100", "11"});
    ini.sync();
    QVERIFY(v.Reload());
    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    QCOMPARE(found.size(), 1);
    const DeviceAllInfo mouse = found.first();
    SelectedDevice::set(mouse);
    int form = 0;
    QObject context;
    PostMsg::connectBlockingFunctor(&PostMsg::SigForm, &context, [&] { ++form; });

    auto page = std::make_unique<Sensor>();
    page->show();
    auto* dpi = page->findChild<SensorDPI*>("frameDpi");
    auto* xy = page->findChild<QAbstractButton*>("XYOpen");
    auto* sliderX = page->findChild<QSlider*>("horizontalSliderC");
    auto* sliderY = page->findChild<QSlider*>("horizontalSliderY");
    QVERIFY(dpi && xy && sliderX && sliderY);
    auto worker = std::make_unique<Worker>();
    VirtualMouseSetup::run(*worker, mouse);
    QTRY_VERIFY_WITH_TIMEOUT(form >= 1, 10000);
    QVERIFY(!xy->isChecked());
    const int level = dpi->currentLevel();

    QTest::mouseClick(xy, Qt::LeftButton);
    sliderX->setValue(26000);
    QCOMPARE(DpiCodec::decodeX(level), 26000);
    QTest::mouseClick(xy, Qt::LeftButton); // off: Y takes the whole of X
    QCOMPARE(DpiCodec::decodeX(level), 26000);
    QCOMPARE(DpiCodec::decodeY(level), 26000);
    QCOMPARE(dpi->levelText(level), QStringLiteral("26000"));
    FlashDataMap flash;
    QTRY_VERIFY_WITH_TIMEOUT(v.ReadFlash("z1", -1, reinterpret_cast<unsigned char*>(&flash)) &&
                                 flash.dpiLevels[level].wideFlags == 0x11,
                             5000);
    QCOMPARE(flash.dpiLevels[level].yValue, flash.dpiLevels[level].xValue);

    QTest::mouseClick(xy, Qt::LeftButton);
    sliderY->setValue(800);
    QCOMPARE(dpi->levelText(level), QStringLiteral("X 26000\nY 800"));
    page->findChild<QComboBox*>("ChooseEvent")->setCurrentIndex(6);
    QCOMPARE(int(CurrentRecord::snapshot().dpiLevelCount), 7);

    // The mouse's own DPI button: the page follows without writing back; a rate click reaches the flash.
    QVERIFY(v.PressDpiButton("z1"));
    const int next = (level + 1) % 7;
    QTRY_COMPARE_WITH_TIMEOUT(dpi->currentLevel(), next, 5000);
    QCOMPARE(int(CurrentRecord::snapshot().currentDpiLevel), next);
    QTest::mouseClick(page->findChild<SensorRate*>("frameRate")->button(1), Qt::LeftButton); // 250 Hz
    QTRY_VERIFY_WITH_TIMEOUT(
        v.ReadFlash("z1", -1, reinterpret_cast<unsigned char*>(&flash)) && flash.reportRate == 4, 5000);
    QCOMPARE(int(flash.currentDpiLevel), next);
    QVERIFY(worker->shutdown(3000));
    hid().UsbServer_Exit();
    worker.reset();

    // A fresh program: the page shows X–Y editing on, with both values, from the record alone.
    page.reset();
    VirtualMouseSetup::freshProgram();
    SensorFlags::XYSeparate = false;
    page = std::make_unique<Sensor>();
    page->show();
    dpi = page->findChild<SensorDPI*>("frameDpi");
    worker = std::make_unique<Worker>();
    VirtualMouseSetup::run(*worker, mouse);
    QTRY_VERIFY_WITH_TIMEOUT(form >= 2, 10000);
    QVERIFY(page->findChild<QAbstractButton*>("XYOpen")->isChecked());
    QVERIFY(page->findChild<QSlider*>("horizontalSliderY")->isVisible());
    QCOMPARE(dpi->levelText(level), QStringLiteral("X 26000\nY 800"));
    QCOMPARE(dpi->levelCount(), 7);
    QVERIFY(worker->shutdown(3000));
    hid().UsbServer_Exit();
}

void TestSensorE2E::cleanupTestCase() {
    PostMsg::resetShutdown();
}

QTEST_MAIN(TestSensorE2E)
#include "tst_sensor_e2e.moc"
