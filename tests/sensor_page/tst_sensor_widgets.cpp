// The debounce and sleep-time widgets on their own (their host pages come later).
#include "app/core/PostMsg.h"
#include "device/LinkState.h"
#include "sensor/DebounceTime.h"
#include "sensor/SensorCapability.h"
#include "sensor/StopCloseTime.h"
#include "tests/common/StandInHid.h"

#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

class TestSensorWidgets : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void debounceWritesWarnsAndRestores();
    void sleepTimeWritesBothBytesOrRestores();

private:
    // Runs `action` and closes every modal notice it opens; returns how many opened.
    int closingNotices(const std::function<void()>& action);
    QTemporaryDir m_appDir;
};

void TestSensorWidgets::initTestCase() {
    qputenv("ZF_APP_DIR", m_appDir.path().toLocal8Bit());
    QVERIFY(FakeHid::load());
}

void TestSensorWidgets::init() {
    FakeHid::reset();
    SensorFlags::Armed = true;
    FakeHid::set("g_fakeUpdateCalls", 0);
    FlashDataMap r;
    r.clear();
    CurrentRecord::replace(r);
}

int TestSensorWidgets::closingNotices(const std::function<void()>& action) {
    int opened = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++opened;
            modal->close();
        }
    });
    closer.start(20);
    action();
    return opened;
}

void TestSensorWidgets::debounceWritesWarnsAndRestores() {
    DebounceTime w;
    w.show();
    QComboBox* box = w.choice();
    QSignalSpy announced(PostMsg::instance(), &PostMsg::SigDebunce);
    w.selectIndex(4);
    QCOMPARE(FakeHid::writes(), 0); // showing a value writes nothing
    const int notices = closingNotices([&] { QTest::keyClick(box, Qt::Key_Down); });
    QCOMPARE(int(CurrentRecord::snapshot().debounceTime), 5);
    QCOMPARE(notices, 1);
    QCOMPARE(announced.count(), 1);
    QCOMPARE(announced.last().at(0).toString(), QStringLiteral("5"));

    w.selectIndex(7);
    QCOMPARE(closingNotices([&] { QTest::keyClick(box, Qt::Key_Down); }), 0);
    QCOMPARE(int(CurrentRecord::snapshot().debounceTime), 8);

    // The button page filling its controls gets no notice either.
    LinkFlags::ButtonLoading = true;
    w.selectIndex(2);
    QCOMPARE(closingNotices([&] { QTest::keyClick(box, Qt::Key_Down); }), 0);
    QCOMPARE(int(CurrentRecord::snapshot().debounceTime), 3);
    LinkFlags::ButtonLoading = false;

    // Offline or not armed: the choice comes back and nothing is written.
    w.selectIndex(10);
    FakeHid::setOnline(false);
    FakeHid::set("g_fakeUpdateCalls", 0);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    QCOMPARE(closingNotices([&] { QTest::keyClick(box, Qt::Key_Down); }), 0);
    QCOMPARE(w.currentIndex(), 10);
    QCOMPARE(int(CurrentRecord::snapshot().debounceTime), 3);
    QCOMPARE(offline.count(), 1);
    FakeHid::setOnline(true);
    SensorFlags::Armed = false;
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(w.currentIndex(), 10);
    QCOMPARE(FakeHid::writes(), 0);
}

// Both sleep-time bytes are written; offline or while the button page fills, the choice comes back.
void TestSensorWidgets::sleepTimeWritesBothBytesOrRestores() {
    StopCloseTime w;
    w.show();
    QSignalSpy fire(PostMsg::instance(), &PostMsg::SigFireOpen);
    w.selectIndex(7);
    QTest::keyClick(w.choice(), Qt::Key_Down);
    const FlashDataMap r = CurrentRecord::snapshot();
    QCOMPARE(int(r.sleepTime), 180);
    QCOMPARE(int(r.sleepTimeCopy), 180);
    QCOMPARE(fire.count(), 1);
    QCOMPARE(fire.last().at(0).toInt(), 8);
    QTest::keyClick(w.choice(), Qt::Key_End);
    QCOMPARE(int(CurrentRecord::snapshot().sleepTime), 240);

    // Offline, or while the button page fills its controls: the choice comes back, nothing is written.
    w.selectIndex(3);
    fire.clear();
    FakeHid::set("g_fakeUpdateCalls", 0);
    FakeHid::setOnline(false);
    QTest::keyClick(w.choice(), Qt::Key_Down);
    QCOMPARE(w.currentIndex(), 3);
    FakeHid::setOnline(true);
    LinkFlags::ButtonLoading = true;
    QTest::keyClick(w.choice(), Qt::Key_Down);
    QCOMPARE(w.currentIndex(), 3);
    QCOMPARE(FakeHid::writes(), 0);
    QCOMPARE(fire.count(), 0);

    // A stored value selects the choice that stores it (the sensor page keeps 210 at index 8, here 9).
    w.selectStoredValue(210);
    QCOMPARE(w.currentIndex(), 9);
    w.selectStoredValue(7); // no choice stores it
    QCOMPARE(w.currentIndex(), 9);
    QCOMPARE(FakeHid::writes(), 0);
}

QTEST_MAIN(TestSensorWidgets)
#include "tst_sensor_widgets.moc"
