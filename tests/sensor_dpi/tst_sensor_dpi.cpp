#include "app/core/IniStores.h"
#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "sensor/DpiCodec.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorDPI.h"
#include "tests/common/StandInHid.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
// Entry i holds 400 * (i + 1) DPI for model 3395 and a colour of its own.
FlashDataMap startRecord() {
    FlashDataMap r;
    r.clear();
    r.dpiLevelCount = 5;
    r.currentDpiLevel = 1;
    for (int i = 0; i < 8; ++i) {
        DpiLevelEntry& e = r.dpiLevels[i];
        e.xCode = e.yCode = uint8_t(8 * (i + 1) - 1);
        e.red = uint8_t(10 + i);
        e.green = uint8_t(20 + i);
        e.blue = uint8_t(30 + i);
        e.reserved = uint8_t(0xA0 + i);
    }
    return r;
}
} // namespace

class TestSensorDpi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void everyValueInputSnapsAndWrites();
    void levelSelectionWritesAndOfflineKeepsThePrevious();
    void countBelowCurrentLevelSwapsTheEntries();
    void xyOffCopiesXToY();
    void wideAxesKeepTheirOwnScale();
    void colourAndMarker();
    void mirroredInRightToLeft();

private:
    void fill();
    QTemporaryDir m_appDir;
    std::unique_ptr<SensorDPI> m_dpi;
};

void TestSensorDpi::initTestCase() {
    QVERIFY(m_appDir.isValid());
    qputenv("ZF_APP_DIR", m_appDir.path().toLocal8Bit());
    ConfigIniStore::resetForTests();
    Theme::apply(*qApp); // as the program does at start
    QVERIFY2(FakeHid::load(), qPrintable(HidLibrary::errorText()));
}

void TestSensorDpi::init() {
    FakeHid::reset();
    SensorFlags::Armed = true;
    SensorFlags::XYSeparate = false;
    CurrentRecord::replace(startRecord());
    SensorCapability& cap = SensorCapability::current();
    cap = SensorCapability();
    cap.SensorModel = QStringLiteral("3395");
    cap.ranges.parse(QString("50,10000,50,10100,20000,100,22").split(','));
    m_dpi.reset(new SensorDPI);
    m_dpi->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dpi.get()));
    fill();
}

void TestSensorDpi::cleanup() {
    m_dpi.reset();
}

// What the sensor page does on a full update, in short.
void TestSensorDpi::fill() {
    const FlashDataMap r = CurrentRecord::snapshot();
    const SensorCapability& cap = SensorCapability::current();
    LinkFlags::SensorLoading = true;
    m_dpi->blockSliders(true);
    m_dpi->fillLevelChooser(8);
    m_dpi->setSliderRange(cap.ranges.lowest(), cap.ranges.highest());
    for (int i = 0; i < 8; ++i) {
        m_dpi->setLevelValues(i, DpiCodec::decodeX(cap, r, i), DpiCodec::decodeY(cap, r, i));
        const DpiLevelEntry& e = r.dpiLevels[i];
        m_dpi->setLevelColour(i, QColor(e.red, e.green, e.blue).name());
    }
    m_dpi->setChooserIndex(r.dpiLevelCount - 1);
    m_dpi->setCurrentLevel(r.currentDpiLevel);
    m_dpi->moveMarker(r.currentDpiLevel);
    m_dpi->selectLevel(r.currentDpiLevel);
    m_dpi->highlightLevel(r.currentDpiLevel);
    m_dpi->blockSliders(false);
    LinkFlags::SensorLoading = false;
}

// Slider, page keys, step buttons, a typed value and the box's arrow keys all snap onto the range
// steps and write through the same writer; offline none of them writes.
void TestSensorDpi::everyValueInputSnapsAndWrites() {
    auto* slider = child<QSlider>(m_dpi.get(), "horizontalSliderC");
    auto* spin = child<QSpinBox>(m_dpi.get(), "spinBoxA");
    QSignalSpy added(PostMsg::instance(), &PostMsg::SigAddSensor);
    slider->setValue(10020); // in the gap: the next range's start
    QCOMPARE(slider->value(), 10100);
    QCOMPARE(spin->value(), 10100);
    QCOMPARE(DpiCodec::decodeX(1), 10100);
    QCOMPARE(CurrentRecord::snapshot().dpiLevels[1].nibbles, uint8_t(0x22));
    slider->setValue(12345);
    QCOMPARE(slider->value(), 12300);
    QCOMPARE(DpiCodec::decodeY(1), 12300);
    QCOMPARE(child<QPushButton>(m_dpi.get(), "BrightRedButton")->text(), QStringLiteral("12300"));
    QCOMPARE(added.last().at(0).toInt(), 12300);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_PageUp); // a page is the step of the value's range
    QCOMPARE(DpiCodec::decodeX(1), 12400);

    // Step buttons cross the gap both ways.
    slider->setValue(9950);
    QTest::mouseClick(child<QPushButton>(m_dpi.get(), "AddLevelA"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(m_dpi.get(), "AddLevelA"), Qt::LeftButton);
    QCOMPARE(DpiCodec::decodeX(1), 10100);
    QTest::mouseClick(child<QPushButton>(m_dpi.get(), "ReduceLevelA"), Qt::LeftButton);
    QCOMPARE(spin->value(), 10000);
    QCOMPARE(CurrentRecord::snapshot().dpiLevels[1].nibbles, uint8_t(0));

    // The value box: a typed value and Return, then the arrow keys.
    QVERIFY(!spin->isReadOnly());
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, "5023");
    QTest::keyClick(spin, Qt::Key_Return);
    QCOMPARE(spin->value(), 5000);
    QCOMPARE(slider->value(), 5000);
    QCOMPARE(DpiCodec::decodeX(1), 5000);
    QCOMPARE(added.last().at(0).toInt(), 5000);
    QTest::keyClick(spin, Qt::Key_Up);
    QCOMPARE(DpiCodec::decodeX(1), 5050);
    slider->setValue(10000);
    QTest::keyClick(spin, Qt::Key_Up);
    QCOMPARE(DpiCodec::decodeX(1), 10100);
    QTest::keyClick(spin, Qt::Key_Down);
    QCOMPARE(DpiCodec::decodeX(1), 10000);
    QCOMPARE(child<QPushButton>(m_dpi.get(), "BrightRedButton")->text(), QStringLiteral("10000"));

    // Offline nothing moves, one notice each; the box shows the accepted value again.
    FakeHid::setOnline(false);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    QTest::mouseClick(child<QPushButton>(m_dpi.get(), "AddLevelA"), Qt::LeftButton);
    spin->selectAll();
    QTest::keyClicks(spin, "800");
    QTest::keyClick(spin, Qt::Key_Return);
    QCOMPARE(spin->value(), 10000);
    QCOMPARE(DpiCodec::decodeX(1), 10000);
    QCOMPARE(offline.count(), 2);
    // The slider the typed value moved is put back and stays disabled until the next full update.
    QCOMPARE(slider->value(), 10000);
    QVERIFY(!slider->isEnabled());
    FakeHid::setOnline(true);
    m_dpi->enableSliders(true);
    fill();
    slider->setValue(5000);
    QCOMPARE(DpiCodec::decodeX(1), 5000);

    // A range without a step is not snapped; its gap still leads to the next range.
    SensorCapability::current().ranges.parse(QString("50,10000,0,10100,20000,x,22").split(','));
    slider->setValue(1234);
    QCOMPARE(slider->value(), 1234);
    slider->setValue(12345);
    QCOMPARE(slider->value(), 12345);
    QCOMPARE(SensorDPI::stepUp(500), 500);
    QCOMPARE(SensorDPI::snapValue(10050), 10100);
}

void TestSensorDpi::levelSelectionWritesAndOfflineKeepsThePrevious() {
    QSignalSpy added(PostMsg::instance(), &PostMsg::SigAddSensor);
    QTest::mouseClick(child<QPushButton>(m_dpi.get(), "YellowButton"), Qt::LeftButton);
    QCOMPARE(CurrentRecord::snapshot().currentDpiLevel, uint8_t(3));
    QCOMPARE(m_dpi->currentLevel(), 3);
    QCOMPARE(child<QSpinBox>(m_dpi.get(), "spinBoxA")->value(), 1600);
    QVERIFY(child<QPushButton>(m_dpi.get(), "YellowButtonA")->isChecked());
    QCOMPARE(child<QLabel>(m_dpi.get(), "label_8")->x(), 300);
    QCOMPARE(added.last().at(0).toInt(), 1600);
    // Exactly the current level keeps the current level's look.
    const auto looksCurrent = [this] {
        QStringList current;
        for (QPushButton* b : m_dpi->findChildren<QPushButton*>(QRegularExpression("Button$")))
            if (b->styleSheet().contains("color:rgb(0,212,252)"))
                current << b->objectName();
        return current;
    };
    QCOMPARE(looksCurrent(), QStringList{"YellowButton"});

    FakeHid::setOnline(false);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    QTest::mouseClick(child<QPushButton>(m_dpi.get(), "BlueButton"), Qt::LeftButton);
    QCOMPARE(offline.count(), 1);
    QCOMPARE(CurrentRecord::snapshot().currentDpiLevel, uint8_t(3));
    QVERIFY(child<QPushButton>(m_dpi.get(), "YellowButton")->isChecked());
    QVERIFY(!child<QPushButton>(m_dpi.get(), "BlueButton")->isChecked());
    QCOMPARE(m_dpi->currentLevel(), 3);
    QCOMPARE(looksCurrent(), QStringList{"YellowButton"});
}

void TestSensorDpi::countBelowCurrentLevelSwapsTheEntries() {
    QTest::mouseClick(child<QPushButton>(m_dpi.get(), "GreenButton"), Qt::LeftButton); // level 4
    QCOMPARE(CurrentRecord::snapshot().currentDpiLevel, uint8_t(4));
    const FlashDataMap before = CurrentRecord::snapshot();
    auto* chooser = child<QComboBox>(m_dpi.get(), "ChooseEvent");
    chooser->setCurrentIndex(2); // three levels
    const FlashDataMap after = CurrentRecord::snapshot();
    QCOMPARE(after.dpiLevelCount, uint8_t(3));
    QCOMPARE(after.currentDpiLevel, uint8_t(2));
    QVERIFY(std::memcmp(&after.dpiLevels[2], &before.dpiLevels[4], sizeof(DpiLevelEntry)) == 0);
    QVERIFY(std::memcmp(&after.dpiLevels[4], &before.dpiLevels[2], sizeof(DpiLevelEntry)) == 0);
    QCOMPARE(child<QPushButton>(m_dpi.get(), "RedButton")->text(), QStringLiteral("2000"));
    QVERIFY(child<QPushButton>(m_dpi.get(), "RedButton")->isChecked());
    QVERIFY(!child<QPushButton>(m_dpi.get(), "GreenButton")->isVisible());
    QCOMPARE(m_dpi->levelColour(2), QStringLiteral("14,24,34"));
    QCOMPARE(child<QSpinBox>(m_dpi.get(), "spinBoxA")->value(), 2000);

    // Growing again only writes the count; offline the chooser returns.
    chooser->setCurrentIndex(5);
    QCOMPARE(CurrentRecord::snapshot().dpiLevelCount, uint8_t(6));
    QCOMPARE(CurrentRecord::snapshot().currentDpiLevel, uint8_t(2));
    FakeHid::setOnline(false);
    chooser->setCurrentIndex(0);
    QCOMPARE(chooser->currentIndex(), 5);
    QCOMPARE(CurrentRecord::snapshot().dpiLevelCount, uint8_t(6));
}

void TestSensorDpi::xyOffCopiesXToY() {
    auto* xy = child<QCheckBox>(m_dpi.get(), "XYOpen");
    QSignalSpy readY(PostMsg::instance(), &PostMsg::SigReadYValue);
    QTest::mouseClick(xy, Qt::LeftButton);
    QVERIFY(xy->isChecked());
    QVERIFY(SensorFlags::XYSeparate);
    QVERIFY(child<QSlider>(m_dpi.get(), "horizontalSliderY")->isVisible());
    QCOMPARE(child<QPushButton>(m_dpi.get(), "BlueButton")->y(), 84 + 71);
    child<QSlider>(m_dpi.get(), "horizontalSliderY")->setValue(3000);
    child<QSlider>(m_dpi.get(), "horizontalSliderC")->setValue(12000);
    QCOMPARE(DpiCodec::decodeX(1), 12000);
    QCOMPARE(DpiCodec::decodeY(1), 3000);
    QCOMPARE(child<QPushButton>(m_dpi.get(), "BrightRedButton")->text(), QStringLiteral("X 12000\nY 3000"));
    QTest::mouseClick(xy, Qt::LeftButton);
    QVERIFY(!SensorFlags::XYSeparate);
    const FlashDataMap r = CurrentRecord::snapshot();
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(r.dpiLevels[i].yCode, r.dpiLevels[i].xCode);
        QCOMPARE(r.dpiLevels[i].nibbles >> 4, r.dpiLevels[i].nibbles & 0x0F);
    }
    QCOMPARE(DpiCodec::decodeY(1), 12000);
    QCOMPARE(child<QPushButton>(m_dpi.get(), "BrightRedButton")->text(), QStringLiteral("12000"));
    QCOMPARE(child<QPushButton>(m_dpi.get(), "BlueButton")->y(), 84);
    QCOMPARE(readY.count(), 2);
}

// Model 3955: each axis edited alone keeps its own scale flags, and X=Y copies the wide form.
void TestSensorDpi::wideAxesKeepTheirOwnScale() {
    SensorCapability& cap = SensorCapability::current();
    cap.SensorModel = QStringLiteral("3955");
    cap.ranges.parse(QString("50,10000,50,10100,26000,100,11").split(','));
    QTest::mouseClick(child<QCheckBox>(m_dpi.get(), "XYOpen"), Qt::LeftButton);
    child<QSlider>(m_dpi.get(), "horizontalSliderC")->setValue(900);
    child<QSlider>(m_dpi.get(), "horizontalSliderY")->setValue(20000);
    FlashDataMap r = CurrentRecord::snapshot();
    QCOMPARE(r.dpiLevels[1].xValue, uint16_t(899));
    QCOMPARE(r.dpiLevels[1].yValue, uint16_t(9999));
    QCOMPARE(DpiCodec::decodeX(1), 900);
    QCOMPARE(DpiCodec::decodeY(1), 20000);
    QTest::mouseClick(child<QPushButton>(m_dpi.get(), "SameXY"), Qt::LeftButton);
    r = CurrentRecord::snapshot();
    QCOMPARE(r.dpiLevels[1].yValue, uint16_t(899));
    QCOMPARE(r.dpiLevels[1].xCode, startRecord().dpiLevels[1].xCode); // the narrow form is left alone
}

// The dialog is built at the first swatch click, then reused. A click lands on whatever is on top at
// its point, as on screen: the current-level marker covers the middle of the current swatch, and passes
// clicks on, while a drag moves it.
void TestSensorDpi::colourAndMarker() {
    const auto clickMiddle = [this](QWidget* target) {
        const QPoint at = target->geometry().center();
        QWidget* top = m_dpi->childAt(at);
        QTest::mouseClick(top, Qt::LeftButton, {}, top->mapFrom(m_dpi.get(), at));
    };
    QVERIFY(!m_dpi->findChild<QColorDialog*>());
    clickMiddle(child<QPushButton>(m_dpi.get(), "BrightRedButtonA")); // the current level's
    auto* dialog = m_dpi->findChild<QColorDialog*>();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    dialog->reject();
    QCOMPARE(CurrentRecord::snapshot().currentDpiLevel, uint8_t(1));

    auto* swatch = child<QPushButton>(m_dpi.get(), "RedButtonA");
    clickMiddle(swatch); // selects level 2 and opens the dialog
    QCOMPARE(CurrentRecord::snapshot().currentDpiLevel, uint8_t(2));
    QTRY_VERIFY(dialog->isVisible());
    const FlashDataMap before = CurrentRecord::snapshot();
    dialog->setCurrentColor(QColor(1, 2, 254));
    dialog->accept();
    FlashDataMap expected = before;
    expected.dpiLevels[2].red = 1;
    expected.dpiLevels[2].green = 2;
    expected.dpiLevels[2].blue = 254;
    QVERIFY(CurrentRecord::snapshot() == expected);
    QCOMPARE(m_dpi->levelColour(2), QStringLiteral("1,2,254"));
    QVERIFY(swatch->styleSheet().contains("rgb(1,2,254)"));
    dialog->reject();
    clickMiddle(swatch); // now under the marker
    QCOMPARE(m_dpi->findChildren<QColorDialog*>().size(), 1);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->currentColor(), QColor(1, 2, 254));
    dialog->reject();

    // Dragged, the marker selects the level it is dropped on, limited to the active levels (5).
    auto* marker = child<QLabel>(m_dpi.get(), "label_8");
    QTest::mousePress(marker, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPoint(600, 5), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(marker, &move);
    QTest::mouseRelease(marker, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(CurrentRecord::snapshot().currentDpiLevel, uint8_t(4));
    QCOMPARE(marker->x(), 391);
    QVERIFY(child<QPushButton>(m_dpi.get(), "GreenButton")->isChecked());
    QVERIFY(!dialog->isVisible());
}

// Built in a right-to-left language, or switched to one: the level row, the marker and the step
// buttons mirror, and a dragged marker still drops on the level under it. In both directions the value
// box is drawn as a field: a border around its inside, in the accent colour with the focus.
void TestSensorDpi::mirroredInRightToLeft() {
    const auto distance = [](QColor a, QColor b) {
        return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
    };
    const auto checkField = [&](QSpinBox* box) {
        const auto edge = [box](int x) {
            const QImage shot = box->grab().toImage();
            return shot.pixelColor(x, shot.height() / 2);
        };
        box->clearFocus();
        QVERIFY2(distance(edge(0), edge(3)) >= 40, qPrintable(edge(0).name() + " " + edge(3).name()));
        box->setFocus();
        QTRY_VERIFY(distance(edge(0), Theme::colour("SliderColor")) <= 30);
    };
    checkField(child<QSpinBox>(m_dpi.get(), "spinBoxA"));
    QApplication::setLayoutDirection(Qt::RightToLeft);
    for (bool rebuilt : {false, true}) {
        if (rebuilt) {
            m_dpi.reset(new SensorDPI);
            m_dpi->show();
            fill();
        }
        const auto x = [this](const char* name) { return child<QWidget>(m_dpi.get(), name)->x(); };
        QVERIFY(x("ReduceLevelA") > x("AddLevelA"));
        QVERIFY(x("BlueButton") > x("BrightRedButton"));
        QVERIFY(x("label") > x("XYOpen"));
        auto* marker = child<QLabel>(m_dpi.get(), "label_8");
        const QRect current = child<QWidget>(m_dpi.get(), "BrightRedButton")->geometry();
        QVERIFY(current.left() <= marker->x() && marker->geometry().right() <= current.right());
        // 800 lies near the slider's start, on the right: the middle of the groove is not filled.
        const QImage groove = child<QSlider>(m_dpi.get(), "horizontalSliderC")->grab().toImage();
        const QColor middle = groove.pixelColor(groove.width() / 2, groove.height() / 2);
        QVERIFY2(distance(middle, Theme::colour("SliderColor")) > 100, qPrintable(middle.name()));
    }
    QTest::mouseClick(child<QCheckBox>(m_dpi.get(), "XYOpen"), Qt::LeftButton);
    checkField(child<QSpinBox>(m_dpi.get(), "spinBoxY"));
    auto* marker = child<QLabel>(m_dpi.get(), "label_8");
    QTest::mousePress(marker, Qt::LeftButton, {}, QPoint(5, 5));
    const int dropX = child<QWidget>(m_dpi.get(), "YellowButton")->geometry().center().x();
    QMouseEvent move(QEvent::MouseMove, marker->mapFromParent(QPoint(dropX, marker->y())) + QPoint(5, 5),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(marker, &move);
    QTest::mouseRelease(marker, Qt::LeftButton, {}, QPoint(5, 5));
    QApplication::setLayoutDirection(Qt::LeftToRight);
    QCOMPARE(CurrentRecord::snapshot().currentDpiLevel, uint8_t(3));
}

QTEST_MAIN(TestSensorDpi)
#include "tst_sensor_dpi.moc"
