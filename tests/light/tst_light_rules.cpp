// The lighting page's byte rules without a window: tables, how records and receiver buffers are shown,
// and which sections a model has.
#include "device/DeviceTable.h"
#include "light/LightRules.h"

#include <QtTest>

using namespace LightRules;

class TestLightRules : public QObject {
    Q_OBJECT
private slots:
    void brightnessTableBothWays();
    void lightOffTable();
    void effectControls();
    void recordShownWithinTables_data();
    void recordShownWithinTables();
    void receiverBarOnByteFollowsEffect();
    void sectionsOfModel();
    void previewIsOffForEffectZeroAndBreathes();
};

void TestLightRules::brightnessTableBothWays() {
    const int bytes[] = {16, 30, 60, 90, 128, 150, 180, 210, 230, 255};
    for (int step = 1; step <= 10; ++step) {
        QCOMPARE(int(dpiBrightnessByte(step)), bytes[step - 1]);
        QCOMPARE(dpiBrightnessStep(bytes[step - 1]), step);
    }
    QCOMPARE(int(dpiBrightnessByte(0)), 16);
    QCOMPARE(int(dpiBrightnessByte(11)), 255);
    // Older records stored the step itself; other bytes show the nearest table entry.
    QCOMPARE(dpiBrightnessStep(7), 7);
    QCOMPARE(dpiBrightnessStep(100), 4);
    QCOMPARE(dpiBrightnessStep(0), 1);
    QCOMPARE(dpiBrightnessStep(250), 10);
}

void TestLightRules::lightOffTable() {
    const int values[] = {1, 3, 6, 30, 60, 90, 120, 150, 180, 210, 240};
    for (int i = 0; i < kLightOffCount; ++i) {
        QCOMPARE(int(lightOffValue(i)), values[i]);
        QCOMPARE(lightOffIndex(values[i]), i);
    }
    QCOMPARE(int(lightOffValue(11)), 0);
    QCOMPARE(int(lightOffValue(-1)), 0);
    // The sensor page's 2 and 3 minutes (12, 18) show the nearest entry here, the shorter one on a tie.
    QCOMPARE(lightOffIndex(12), 2);
    QCOMPARE(lightOffIndex(18), 2);
    QCOMPARE(lightOffIndex(20), 3);
    QCOMPARE(lightOffIndex(255), 10);
}

void TestLightRules::effectControls() {
    // effect: colour, preset N only, brightness, speed
    const bool table[7][4] = {{false, false, false, false}, {false, false, true, true},
                              {true, false, true, true},    {true, false, true, false},
                              {false, false, true, true},   {false, false, true, true},
                              {false, true, true, true}};
    for (int e = 0; e < 7; ++e) {
        const EffectLook l = effectLook(e);
        QCOMPARE(l.colour, table[e][0]);
        QCOMPARE(l.lastPresetOnly, table[e][1]);
        QCOMPARE(l.brightness, table[e][2]);
        QCOMPARE(l.speed, table[e][3]);
    }
    QVERIFY(!effectLook(7).brightness);
    QVERIFY(dpiShowsBrightness(1) && !dpiShowsSpeed(1));
    QVERIFY(dpiShowsSpeed(2) && !dpiShowsBrightness(2));
    QVERIFY(!dpiShowsSpeed(0) && !dpiShowsBrightness(0));
}

void TestLightRules::recordShownWithinTables_data() {
    QTest::addColumn<QByteArray>("bytes");   // 0x9A … 0xA4, then 0x0B, 0x08
    QTest::addColumn<QVector<int>>("shown"); // dpi effect, speed, step, bar effect, brightness, speed, off
    QTest::newRow("in tables") << QByteArray::fromHex("02801401030a141e0409010123")
                               << QVector<int>{2, 5, 5, 3, 10, 5, 3};
    QTest::newRow("light bar off keeps effect 3 hidden")
        << QByteArray::fromHex("01ff0300030000000000000000") << QVector<int>{0, 3, 10, 0, 1, 1, 0};
    QTest::newRow("outside tables") << QByteArray::fromHex("096409010900000063630101ff")
                                    << QVector<int>{2, 5, 4, 6, 10, 10, 10};
    QTest::newRow("zeros with on bytes")
        << QByteArray::fromHex("00000001000000000000010000") << QVector<int>{1, 1, 1, 1, 1, 1, 0};
}

void TestLightRules::recordShownWithinTables() {
    QFETCH(QByteArray, bytes);
    QFETCH(QVector<int>, shown);
    FlashDataMap r;
    r.clear();
    std::memcpy(r.data() + 0x9a, bytes.constData(), 11);
    r.movingOffLight = uint8_t(bytes.at(11));
    r.sleepTime = uint8_t(bytes.at(12));
    const MouseLightView v = viewOf(r);
    QCOMPARE((QVector<int>{v.dpiEffect, v.dpiSpeed, v.dpiBrightness, v.barEffect, v.barBrightness, v.barSpeed,
                           v.lightOffIndex}),
             shown);
    QCOMPARE(v.barColour,
             QColor(int(uint8_t(bytes.at(5))), int(uint8_t(bytes.at(6))), int(uint8_t(bytes.at(7)))));
    QCOMPARE(v.movingOff, bytes.at(11) != 0);
}

void TestLightRules::receiverBarOnByteFollowsEffect() {
    ReceiverBar bar;
    bar.bytes = {3, 1, 2, 3, 4, 5, 1};
    bar.setEffect(0);
    QCOMPARE(int(bar.bytes.at(0)), 0);
    QCOMPARE(int(bar.bytes.at(6)), 0);
    QCOMPARE(bar.shownEffect(), 0);
    bar.setEffect(5);
    QCOMPARE(int(bar.bytes.at(6)), 1);
    QCOMPARE(bar.shownEffect(), 5);
    bar.bytes.at(0) = 40; // outside the list: the last effect, and the byte kept
    QCOMPARE(bar.shownEffect(), 6);
    QCOMPARE(int(bar.bytes.at(0)), 40);
    bar.setBrightnessStep(1);
    bar.setSpeedStep(10);
    QCOMPARE(int(bar.bytes.at(5)), 0);
    QCOMPARE(int(bar.bytes.at(4)), 9);
    QCOMPARE(ledModeOf(9), kLedModeCount - 1);
    QCOMPARE(statusBoxOf(0), -1);
    QCOMPARE(statusBoxOf(3), 2);
    QCOMPARE(statusBoxOf(4), -1);
}

void TestLightRules::sectionsOfModel() {
    ModelRow row;
    row.mouseLight = row.recevieLight = row.oneLed = row.threeLed = true;
    row.adveanced = QStringList{"0", "1"};
    Sections s = sectionsOf(row, false);
    QVERIFY(s.mouseLight && s.receiveLight && s.oneLed && s.threeLed);
    QVERIFY(!sectionsOf(row, true).oneLed); // on the cable the receiver's status LED is not there
    row.adveanced = QStringList{"-1", "-1"};
    s = sectionsOf(row, false);
    QVERIFY(!s.oneLed && s.threeLed);
    QVERIFY(!sectionsOf(ModelRow{}, false).mouseLight);
}

void TestLightRules::previewIsOffForEffectZeroAndBreathes() {
    QCOMPARE(previewColour(0, Qt::red, 10, 5, 1234, 0.5), QColor(Qt::black));
    QVERIFY(!previewMoves(0) && !previewMoves(3) && previewMoves(2));
    // Breathing at speed 10 (0.6 s): dark at the start of a cycle, bright halfway.
    const QColor dark = previewColour(2, QColor(255, 0, 0), 10, 10, 0, 0);
    const QColor bright = previewColour(2, QColor(255, 0, 0), 10, 10, 300, 0);
    QVERIFY(bright.red() > 200 && dark.red() < 60);
    QCOMPARE(bright.green(), 0);
    // Brightness scales the light.
    QVERIFY(previewColour(3, Qt::white, 1, 1, 0, 0.2).value() <
            previewColour(3, Qt::white, 10, 1, 0, 0.2).value());
}

QTEST_MAIN(TestLightRules)
#include "tst_light_rules.moc"
