// The advanced page: its rules without widgets, then the page through its widgets against the
// stand-in device library.
#include "app/core/IniStores.h"
#include "app/core/PostMsg.h"
#include "device/LinkState.h"
#include "sensor/Advanced.h"
#include "sensor/AdvancedModel.h"
#include "sensor/AdvancedSections.h"
#include "sensor/SensorCapability.h"
#include "tests/common/StandInHid.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <cmath>

using namespace AdvancedModel;

class TestAdvanced : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void curvePoints();
    void markerSectionsAndCalibrationStates();
    void fillShowsTheRecordAndWritesNothing();
    void oneWritePerChange();
    void offlineChangesNothing();
    void calibrationOnThePage();

private:
    static FlashDataMap record() {
        FlashDataMap r{};
        r.dpiLevelCount = 4;
        r.angle = 0xE2; // −30
        r.triggerBits = 2;
        r.fps20k = 1;
        r.sleepTime = 6;
        r.touchKeys[0] = {3, 0x85, 0x10};
        r.touchKeys[1] = {2, 0x20, 0x90};
        r.advancedValue = 1;
        r.curveMode = 2;
        r.virtualPointValue = 1;
        r.virtualPointLevel = uint8_t(int8_t(-40));
        return r;
    }
    void fill(const FlashDataMap& r) {
        CurrentRecord::replace(r);
        PostMsg::instance()->SendUpDataLightSensor(r);
    }

    QTemporaryDir m_appDir;
    Advanced* m_page = nullptr;
};

void TestAdvanced::initTestCase() {
    IniStore& ini = VirtualMouseSetup::freshTable(m_appDir, 2);
    QVERIFY(m_appDir.isValid() && FakeHid::load());
    ini.setValue("Drive1", "20KPS", "1");
    ini.setList("Drive1", "Adveanced", {"0", "0"});
    ini.setValue("Drive2", "20KPS", "2");
    ini.setList("Drive2", "Adveanced", {"-1"});
    ini.sync();
    m_page = new Advanced;
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page));
}

void TestAdvanced::init() {
    FakeHid::reset();
    SensorFlags::Armed = true;
    fill(record());
}

// Presets and the user's points as the record stores them: factor × 100 rounded and kept to 16 bits,
// x truncated and kept to a byte; fewer than five points fall back to preset 0.
void TestAdvanced::curvePoints() {
    QCOMPARE(toRecordPoint(10.9, 1.15).value, uint16_t(115));
    QCOMPARE(toRecordPoint(10.9, 1.15).byte, uint8_t(10));
    QCOMPARE(toRecordPoint(300, 900.0).value, uint16_t(65535));
    QCOMPARE(toRecordPoint(300, 900.0).byte, uint8_t(255));
    QCOMPARE(toRecordPoint(-4, -1).value, uint16_t(0));
    QCOMPARE(toRecordPoint(std::nan(""), std::nan("")).byte, uint8_t(0));
    const int expected[3][5] = {
        {100, 110, 120, 150, 160}, {100, 140, 150, 150, 150}, {100, 100, 150, 150, 150}};
    for (int p = 0; p < 3; ++p)
        for (int i = 0; i < kCurvePoints; ++i)
            QCOMPARE(int(curveFor(p, {})[size_t(i)].value), expected[p][i]);
    const QVector<QPointF> three = {{0, 1}, {5, 2}, {9, 3}};
    QVERIFY(std::memcmp(curveFor(kUserPreset, three).data(), curveFor(0, {}).data(), sizeof(Curve)) == 0);
    const QVector<QPointF> mine = {{0, 1}, {12.7, 1.15}, {30, 1.29}, {60, 1.5}, {90, 1.99}};
    QCOMPARE(int(curveFor(kUserPreset, mine)[1].value), 115);
    QCOMPARE(int(curveFor(kUserPreset, mine)[2].value), 129);
    QCOMPARE(int(curveFor(kUserPreset, mine)[1].byte), 12);
}

void TestAdvanced::markerSectionsAndCalibrationStates() {
    QCOMPARE(virtualPointY(-100), 12);
    QCOMPARE(virtualPointY(0), 77);
    QCOMPARE(virtualPointY(1), 78); // 77.65 rounds up
    QCOMPARE(virtualPointY(100), 142);
    QCOMPARE(angleFromRecord(0xE2), -30);
    QCOMPARE(angleFromRecord(0x7F), 30);
    QVERIFY(shows20K(QStringLiteral("1")) && !shows20K(QStringLiteral("2")) && !shows20K(QString()));
    QVERIFY(showsLongRange({}) && showsLongRange({QStringLiteral("0")}));
    QVERIFY(!showsLongRange({QStringLiteral("-1"), QStringLiteral("0")}));

    // The pictures of a calibration are followed on the page below and on the mouse (the e2e suite);
    // here a key that comes after the time-out.
    Calibration c;
    c.start();
    c.timeout();
    QVERIFY(!c.running() && !c.keyDone(1));
}

// Every control shows the record, the device section decides what is shown, and filling sends nothing.
void TestAdvanced::fillShowsTheRecordAndWritesNothing() {
    const int before = FakeHid::writes();
    QSignalSpy vis(PostMsg::instance(), &PostMsg::SigtVis);
    fill(record());
    QCOMPARE(m_page->angle()->slider()->value(), -30);
    QVERIFY(m_page->fastClick()->choice(0)->isChecked() && m_page->fastClick()->choice(1)->isChecked());
    QVERIFY(m_page->fps()->box()->isChecked() && m_page->fps()->isVisibleTo(m_page));
    QVERIFY(m_page->longMode()->isVisibleTo(m_page));
    QVERIFY(m_page->curveBox(0)->isChecked() && m_page->curveBox(3)->isChecked() &&
            m_page->curveBox(1)->isEnabled());
    QCOMPARE(m_page->curveViews()->currentIndex(), 2);
    QVERIFY(m_page->virtualPoint()->toggle()->isChecked());
    QCOMPARE(m_page->virtualPoint()->slider()->value(), -40);
    QCOMPARE(m_page->virtualPoint()->marker()->y(), virtualPointY(-40));
    TouchKeySet* touch = m_page->touchKeys();
    QCOMPARE(touch->slider(0)->value(), 3);
    QCOMPARE(touch->slider(1)->value(), 5);
    QVERIFY(touch->toggle(1)->isChecked() && !touch->toggle(2)->isChecked() &&
            !touch->slider(2)->isEnabled());
    QCOMPARE(vis.count(), 1);

    FlashDataMap off = record();
    off.advancedValue = 0;
    fill(off);
    QVERIFY(!m_page->curveBox(0)->isChecked() && !m_page->curveBox(1)->isEnabled());

    DeviceAllInfo second = SelectedDevice::get();
    second.row = 1;
    SelectedDevice::set(second);
    fill(record());
    QVERIFY(!m_page->fps()->isVisibleTo(m_page) && !m_page->longMode()->isVisibleTo(m_page));
    QCOMPARE(FakeHid::writes(), before);
}

// Each user change is one send carrying exactly its bytes.
void TestAdvanced::oneWritePerChange() {
    int before = FakeHid::writes();
    m_page->angle()->slider()->setValue(-29);
    QCOMPARE(CurrentRecord::snapshot().angle, uint8_t(0xE3));
    QCOMPARE(CurrentRecord::snapshot().angleEnable, uint8_t(1));
    QCOMPARE(FakeHid::writes(), before + 1);

    // A preset: all five points and the preset number at 0x2919 / 0x291A + 4·i, one send.
    before = FakeHid::writes();
    m_page->tabs()->setCurrentIndex(2);
    QTest::mouseClick(m_page->curveBox(2), Qt::LeftButton);
    const FlashDataMap r = CurrentRecord::snapshot();
    const auto* bytes = reinterpret_cast<const uint8_t*>(&r);
    QCOMPARE(int(bytes[0x2919]), 1);
    const int x[5] = {0, 10, 20, 40, 70}, f[5] = {100, 140, 150, 150, 150};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(int(bytes[0x291A + 4 * i] | bytes[0x291B + 4 * i] << 8), f[i]);
        QCOMPARE(int(bytes[0x291C + 4 * i]), x[i]);
    }
    QCOMPARE(FakeHid::writes(), before + 1);
    QVERIFY(m_page->curveBox(2)->isChecked() && !m_page->curveBox(3)->isChecked());
    QCOMPARE(m_page->curveViews()->currentIndex(), 1);

    // Touch keys, both entries: the flag of row 2 sets bit 7 of 0x35 and 0x38 and keeps their values.
    TouchKeySet* touch = m_page->touchKeys();
    touch->target()->setCurrentIndex(2);
    touch->toggle(2)->click();
    QCOMPARE(CurrentRecord::snapshot().touchKeys[0].b, uint8_t(0x90));
    QCOMPARE(CurrentRecord::snapshot().touchKeys[1].b, uint8_t(0x90));
    QCOMPARE(CurrentRecord::snapshot().touchKeys[0].a, uint8_t(0x85));
    touch->slider(1)->setValue(70); // value bits of byte 1, flags kept
    QCOMPARE(CurrentRecord::snapshot().touchKeys[0].a, uint8_t(0x80 | 70));
    QCOMPARE(CurrentRecord::snapshot().touchKeys[1].a, uint8_t(70));

    before = FakeHid::writes();
    QTest::mouseClick(m_page->fastClick()->choice(3), Qt::LeftButton); // left button at the bottom
    QCOMPARE(CurrentRecord::snapshot().triggerBits, uint8_t(3));
    QVERIFY(m_page->fastClick()->choice(3)->isChecked() && !m_page->fastClick()->choice(0)->isChecked());
    QTest::mouseClick(m_page->fastClick()->choice(2), Qt::LeftButton); // right button on press
    QCOMPARE(CurrentRecord::snapshot().triggerBits, uint8_t(1));
    m_page->virtualPoint()->slider()->setValue(25);
    QCOMPARE(CurrentRecord::snapshot().virtualPointLevel, uint8_t(25));
    QCOMPARE(CurrentRecord::snapshot().virtualPointValue, uint8_t(1));
    QCOMPARE(m_page->virtualPoint()->marker()->y(), virtualPointY(25));
    QCOMPARE(FakeHid::writes(), before + 3);

    // Long range is a library command: no record send; the device section keeps the choice.
    m_page->longMode()->box()->click();
    QCOMPARE(FakeHid::writes(), before + 3);
    QCOMPARE(ConfigIniStore::instance().list("Drive1", "Adveanced"), QStringList({"1", "0"}));
    fill(record());
    QVERIFY(m_page->longMode()->box()->isChecked() && m_page->angle()->slider()->isEnabled());
    m_page->longMode()->box()->click();
    QCOMPARE(ConfigIniStore::instance().list("Drive1", "Adveanced"), QStringList({"0", "0"}));
}

// Offline: the record and the controls stay as they were and each change raises one notice.
void TestAdvanced::offlineChangesNothing() {
    FakeHid::setOnline(false);
    const FlashDataMap before = CurrentRecord::snapshot();
    const int sent = FakeHid::writes();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    QTest::mouseClick(m_page->fastClick()->choice(1), Qt::LeftButton); // already on: nothing at all
    QTest::mouseClick(m_page->fastClick()->choice(2), Qt::LeftButton);
    QVERIFY(m_page->fastClick()->choice(1)->isChecked() && !m_page->fastClick()->choice(2)->isChecked());
    m_page->tabs()->setCurrentIndex(2);
    QTest::mouseClick(m_page->curveBox(1), Qt::LeftButton);
    QVERIFY(m_page->curveBox(3)->isChecked() && !m_page->curveBox(1)->isChecked());
    m_page->angle()->slider()->setValue(5);
    QCOMPARE(m_page->angle()->slider()->value(), -30);
    QVERIFY(!m_page->angle()->slider()->isEnabled()); // until the next record
    m_page->virtualPoint()->toggle()->click();
    QVERIFY(m_page->virtualPoint()->toggle()->isChecked());
    QVERIFY(CurrentRecord::snapshot() == before);
    QCOMPARE(FakeHid::writes(), sent);
    m_page->longMode()->box()->click();
    QVERIFY(!m_page->longMode()->box()->isChecked());
    QCOMPARE(offline.count(), 5);

    // Online but the send is refused: all five points and the preset stay as the mouse has them.
    FakeHid::setOnline(true);
    FakeHid::set("g_fakeUpdateResult", 0);
    QTest::mouseClick(m_page->curveBox(2), Qt::LeftButton);
    QVERIFY(CurrentRecord::snapshot() == before);
    QVERIFY(m_page->curveBox(3)->isChecked() && !m_page->curveBox(2)->isChecked());

    // Not armed yet: the page does nothing and raises nothing.
    SensorFlags::Armed = false;
    const int tried = FakeHid::writes();
    m_page->fps()->box()->click();
    QVERIFY(m_page->fps()->box()->isChecked());
    QCOMPARE(FakeHid::writes(), tried);
}

void TestAdvanced::calibrationOnThePage() {
    KeyVoice* k = m_page->calibration();
    QTest::mouseClick(k->button(), Qt::LeftButton);
    QVERIFY(k->timer().isActive());
    QCOMPARE(k->timer().interval(), kCalibrationMs);
    QCOMPARE(k->pictureName(), QStringLiteral("Calibrating.png"));
    emit PostMsg::instance()->SigPairKey(0, 0); // pressed, not yet let go
    QCOMPARE(k->pictureName(), QStringLiteral("Calibrating.png"));
    emit PostMsg::instance()->SigPairKey(0, 1);
    QCOMPARE(k->pictureName(), QStringLiteral("Li.png"));
    k->onPairKeyTimer();
    QCOMPARE(k->pictureName(), QStringLiteral("RF.png"));

    QTest::mouseClick(k->button(), Qt::LeftButton);
    QTest::mouseClick(k->button(), Qt::LeftButton); // second press: ends without a failure picture
    QVERIFY(!k->timer().isActive() && !k->calibration().running());
    QCOMPARE(k->pictureName(), QStringLiteral("StartPair.png"));
}

QTEST_MAIN(TestAdvanced)
#include "tst_advanced.moc"
