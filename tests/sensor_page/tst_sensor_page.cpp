// The sensor page through its widgets: records arrive through the hub, the user clicks and types.
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "device/LinkState.h"
#include "sensor/Sensor.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorDPI.h"
#include "sensor/SensorRate.h"
#include "sensor/SensorToggle.h"
#include "sensor/StopCloseTime.h"
#include "tests/common/AllLanguages.h"
#include "tests/common/StandInHid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>

namespace {
// Rows: 1 "3395" (every option), 2 "3315", 3 "3950", 4 "3395" with "XIn1" = 2.
const char* const kModels[] = {"3395", "3315", "3950", "3395"};
} // namespace

class TestSensorPage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void ratesAndSensorModeLock();
    void switchesWriteOrComeBack();
    void timeoutChoicesAndSleepWidgetMatchByValue();
    void visibilityRulesLeaveNoHoles();
    void lodCodesFollowTheModel();
    void offlineWithoutCacheShowsTheTableDefaults();
    void everyLanguageFitsAndMirrors();
    void cleanupTestCase();

private:
    FlashDataMap record(int rateCode = 1) const;
    static void select(int row, int kind) { FakeHid::select(row, kind); }
    template <typename T> T* child(const char* name) const { return ::child<T>(m_page, name); }
    void fill(const FlashDataMap& r) {
        CurrentRecord::replace(r);
        PostMsg::instance()->SendUpDataLightSensor(r);
        settle();
    }
    // Nested layouts pass a changed size up one level per pass of the event loop.
    static void settle() {
        for (int pass = 0; pass < 5; ++pass)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }

    QTemporaryDir m_appDir;
    Sensor* m_page = nullptr;
};

void TestSensorPage::initTestCase() {
    QVERIFY(m_appDir.isValid());
    qputenv("ZF_APP_DIR", m_appDir.path().toLocal8Bit());
    QVERIFY(FakeHid::load());
    ConfigIniStore::resetForTests();
    IniStore& ini = ConfigIniStore::instance();
    ini.setValue("Option", "DeviceTotal", "4");
    for (int i = 0; i < 4; ++i) {
        const QString g = QStringLiteral("Drive%1").arg(i + 1);
        ini.setValue(g, "Sensor", kModels[i]);
        ini.setValue(g, "DPIMaxGrade", "6");
        ini.setValue(g, "XIn1", i == 3 ? "2" : "0");
        ini.setList(g, "DPIRange", {"50", "10000", "50", "10100", "20000", "100", "22"});
        ini.setValue(g, "CurrentPos", "2");
        ini.setList(g, "DPIGrade", {"100", "200", "300", "400", "500", "600", "700", "800"});
    }
    QStringList colours;
    for (int i = 0; i < 24; ++i)
        colours << QString::number(i);
    ini.setList("Drive3", "DPIColor", colours);
    ini.setList("Drive1", "DPIColor", {"1", "2", "3"}); // short: the default colours
    ini.sync();
    QFile header(m_appDir.path() + "/driver_sensor.h");
    QVERIFY(header.open(QIODevice::WriteOnly));
    header.write("#define SUPPORT_SENSOR_MODE_SEL\t3395,3315\n"
                 "#define SUPPORT_LOD_CAL\t3395,3950,3315\n"
                 "#define SUPPORT_RIPPLE\t3395,3315\n"
                 "#define SUPPORT_FIXLINE\t3395,3315\n"
                 "#define SUPPORT_MOTION_SYNC\t3395,3315\n"
                 "#define SENSOR_3950_DPI_400\t0x07\n");
    header.close();
    m_page = new Sensor;
    // A second page (the frame rebuilt, a benchmark) reads the header again into the same tables.
    const SensorCapability once = SensorCapability::current();
    QCOMPARE(once.defines.names, QStringList{"SENSOR_3950_DPI_400"});
    delete new Sensor;
    QCOMPARE(SensorCapability::current().defines.names, once.defines.names);
    QCOMPARE(SensorCapability::current().defines.values, once.defines.values);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page));
}

// Every text comes from the language files (no Chinese form default left in English), and in each of
// the eleven languages no caption is cut off and no two controls overlap; in Arabic the page mirrors.
void TestSensorPage::everyLanguageFitsAndMirrors() {
    QCOMPARE(AllLanguages::load(), 11);
    // The two tip icons and a switch of every kind must be on screen.
    QSignalBlocker quiet(PostMsg::instance());
    const QStringList editorParts = {"label", "XYLabel", "XYOpen", "ChooseEvent", "TitleButton_2"};
    const auto shown = [&] {
        QList<QWidget*> widgets;
        for (QWidget* w : m_page->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(m_page) || !w->findChildren<QWidget*>().isEmpty())
                continue; // containers are checked through what they hold
            if (w->parent() == m_page->findChild<SensorDPI*>() && !editorParts.contains(w->objectName()))
                continue; // the level row is drawn overlapping by design
            if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w))
                widgets << w;
        }
        return widgets;
    };
    const auto text = [](QWidget* w) {
        if (auto* l = qobject_cast<QLabel*>(w))
            return l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            return b->text();
        return QString();
    };
    const QRegularExpression han(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    m_page->SlotAllLanguage(0); // English
    QStringList english;
    for (const SensorToggle* t : m_page->findChildren<SensorToggle*>())
        english << t->title();
    QCOMPARE(english.size(), 3);
    for (int i = 0; i < 11; ++i) {
        const QString code = QLatin1String(Language::allLanguages()[i].code);
        QApplication::setLayoutDirection(code == "ar" ? Qt::RightToLeft : Qt::LeftToRight);
        m_page->SlotAllLanguage(i);
        QApplication::processEvents();
        settle();
        const QList<QWidget*> widgets = shown();
        QVERIFY(widgets.size() > 15);
        for (QWidget* w : widgets) {
            const QString what = code + " " + w->objectName() + " \"" + text(w) + "\"";
            if (code == "en")
                QVERIFY2(!text(w).contains(han), qPrintable(what));
            if (code == "cn" && w->objectName() == "label_5")
                QVERIFY2(text(w).contains(han), qPrintable(what));
            // The switches' captions are translated, not English copies.
            if (code != "en" && w->objectName() == "label" && w->parent()->inherits("SensorToggle"))
                QVERIFY2(!english.contains(text(w)), qPrintable(what));
            if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
                const int need = l->wordWrap() ? l->heightForWidth(l->contentsRect().width())
                                               : l->fontMetrics().horizontalAdvance(l->text());
                QVERIFY2(need <= (l->wordWrap() ? l->contentsRect().height() : l->contentsRect().width()),
                         qPrintable(what + " is cut off"));
            } else if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().isEmpty()) {
                QVERIFY2(b->sizeHint().width() <= b->width(), qPrintable(what + " is cut off"));
            }
            const QRect r(w->mapTo(m_page, QPoint()), w->size());
            QVERIFY2(m_page->rect().contains(r), qPrintable(what + " is off the page"));
            for (QWidget* other : widgets)
                if (other != w && r.intersects(QRect(other->mapTo(m_page, QPoint()), other->size())))
                    QFAIL(qPrintable(what + " overlaps " + other->objectName()));
        }
        // Drop-down texts keep off the border at both ends, whichever end the arrow is on.
        for (QComboBox* box : m_page->findChildren<QComboBox*>()) {
            QStyleOptionComboBox option;
            option.initFrom(box);
            const QRect field =
                box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
            QVERIFY2(field.left() >= 8 && field.right() <= box->width() - 9,
                     qPrintable(code + " " + box->objectName()));
        }
        // The lift-off items are the language's, as the summary shows them.
        const QMap<QString, QString> lods = Language::options("LODOptions", i);
        QCOMPARE(child<QComboBox>("LOD")->itemText(0), lods.value("10"));
        QCOMPARE(child<QComboBox>("LOD")->itemText(1), lods.value("20"));
        // Tip icons follow their captions in the reading direction; title bars sit beside their titles.
        const auto at = [this](const char* name) {
            // "label" names several captions: the page's own is the sensor-mode tip, the editor's its title.
            QWidget* w = QByteArray(name) == "label" ? child<QWidget>("modeCell")->findChild<QWidget*>(name)
                                                     : child<QWidget>(name);
            return QRect(w->mapTo(m_page, QPoint()), w->size());
        };
        const auto editorTitle = [this] {
            QWidget* w =
                child<SensorDPI>("frameDpi")->findChild<QWidget*>("label", Qt::FindDirectChildrenOnly);
            return QRect(w->mapTo(m_page, QPoint()), w->size());
        };
        const bool rtl = code == "ar";
        QVERIFY2((at("label").x() > at("label_11").x()) != rtl, qPrintable(code));
        QVERIFY2((at("label_5").x() > at("TitleButton_4").x()) != rtl, qPrintable(code));
        QVERIFY2(qAbs(at("TitleButton_4").center().y() - at("label_5").center().y()) <= 2, qPrintable(code));
        QVERIFY2(qAbs(at("TitleButton_2").center().y() - editorTitle().center().y()) <= 2, qPrintable(code));
        QVERIFY2((editorTitle().x() > at("TitleButton_2").x()) != rtl, qPrintable(code));
    }
    QApplication::setLayoutDirection(Qt::LeftToRight);
    m_page->SlotAllLanguage(0);
}

void TestSensorPage::cleanupTestCase() {
    delete m_page;
}

void TestSensorPage::init() {
    FakeHid::reset();
    SensorFlags::Armed = true;
    fill(record());
    FakeHid::set("g_fakeUpdateCalls", 0);
}

FlashDataMap TestSensorPage::record(int rateCode) const {
    FlashDataMap r;
    r.clear();
    r.reportRate = uint8_t(rateCode);
    r.dpiLevelCount = 4;
    r.currentDpiLevel = 1;
    r.lod = 1;
    r.fullPerformance = 1;
    r.sleepTime = r.sleepTimeCopy = 6;
    for (int i = 0; i < 8; ++i) {
        r.dpiLevels[i].xCode = r.dpiLevels[i].yCode = uint8_t(8 * (i + 1) - 1); // 400, 800, ...
        r.dpiLevels[i].red = uint8_t(30 * i);
    }
    return r;
}

// The offered rates follow the connection. A fast rate (clicked or reported by the mouse) and the cable
// lock the sensor mode on item 2, which is never written when chosen. The mouse's own buttons write nothing.
void TestSensorPage::ratesAndSensorModeLock() {
    auto* rate = child<SensorRate>("frameRate");
    auto* mode = child<QComboBox>("ModelChoose");
    // Cable: 2000 and 4000 Hz show as the 1000 Hz the mouse then runs at.
    select(0, 2);
    QSignalSpy report(PostMsg::instance(), &PostMsg::SigAddReport);
    fill(record(32));
    QVERIFY(rate->button(3)->isChecked());
    QCOMPARE(report.last().at(0).toInt(), 1000);
    QVERIFY(rate->button(4)->isHidden() && rate->button(6)->isHidden());
    QVERIFY(!mode->isEnabled() && mode->currentIndex() == 2);
    // A model without the choice shows no mode, not the one the box held for the mouse before.
    select(2, 2);
    fill(record(1));
    QVERIFY(!mode->isEnabled() && mode->currentText().isEmpty());
    // Kind 5 offers all seven and shows 4000 Hz as such; kind 4 2000 Hz but not 4000 or 8000 Hz.
    select(0, 5);
    fill(record(32));
    QVERIFY(rate->button(5)->isChecked() && !rate->button(6)->isHidden());
    select(0, 4);
    fill(record(1));
    QVERIFY(!rate->button(4)->isHidden() && rate->button(5)->isHidden() && rate->button(6)->isHidden());
    QCOMPARE(FakeHid::writes(), 0); // filling writes nothing

    select(0, 1);
    fill(record(1));
    QVERIFY(mode->isEnabled());
    QTest::mouseClick(rate->button(4), Qt::LeftButton);
    QCOMPARE(int(CurrentRecord::snapshot().reportRate), 16);
    QVERIFY(!mode->isEnabled() && mode->currentIndex() == 2);
    QTest::mouseClick(rate->button(2), Qt::LeftButton);
    QCOMPARE(int(CurrentRecord::snapshot().reportRate), 2);
    QVERIFY(mode->isEnabled() && mode->currentIndex() == 0);
    FakeHid::setOnline(false); // refused: the last accepted rate comes back
    QTest::mouseClick(rate->button(0), Qt::LeftButton);
    QVERIFY(rate->button(2)->isChecked());
    QCOMPARE(int(CurrentRecord::snapshot().reportRate), 2);
    FakeHid::setOnline(true);

    // The mouse's own rate button: shown and locked alike, nothing written.
    const int calls = FakeHid::writes();
    PostMsg::instance()->SendUpDataReportRate(16);
    QVERIFY(rate->button(4)->isChecked() && !mode->isEnabled() && mode->currentIndex() == 2);
    PostMsg::instance()->SendUpDataReportRate(8);
    QVERIFY(rate->button(0)->isChecked() && mode->isEnabled() && mode->currentIndex() == 0);
    PostMsg::instance()->SendUpDataReportRate(3); // not a rate code
    QVERIFY(rate->button(0)->isChecked());
    // Its DPI button alike: the editor follows to an active level, not to one beyond them.
    auto* dpi = child<SensorDPI>("frameDpi");
    PostMsg::instance()->SendUpDataDPI(2);
    QVERIFY(dpi->currentLevel() == 2 && dpi->currentValue() == 1200 && SensorFlags::Armed);
    PostMsg::instance()->SendUpDataDPI(6);
    QCOMPARE(dpi->currentLevel(), 2);
    QCOMPARE(FakeHid::writes(), calls);

    QTest::keyClick(mode, Qt::Key_Down);
    QCOMPARE(int(CurrentRecord::snapshot().sensorMode), 1);
    QTest::keyClick(mode, Qt::Key_End);
    QCOMPARE(mode->currentIndex(), 2);
    QCOMPARE(int(CurrentRecord::snapshot().sensorMode), 1);
    QCOMPARE(FakeHid::writes(), calls + 1);
}

// Full performance and the option switches: written online, put back offline.
void TestSensorPage::switchesWriteOrComeBack() {
    auto* performance = child<QCheckBox>("Performance");
    auto* timeout = child<QComboBox>("PerformanceOpen");
    QVERIFY(performance->isChecked() && timeout->isEnabled());
    const FlashDataMap before = CurrentRecord::snapshot();
    FakeHid::setOnline(false);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    QTest::mouseClick(performance, Qt::LeftButton, {}, QPoint(10, performance->height() / 2));
    QVERIFY(performance->isChecked());
    QVERIFY(timeout->isEnabled());
    QVERIFY(CurrentRecord::snapshot() == before);
    QCOMPARE(offline.count(), 1);

    FakeHid::setOnline(true);
    QSignalSpy open(PostMsg::instance(), &PostMsg::Sig20KOpen);
    QTest::mouseClick(performance, Qt::LeftButton, {}, QPoint(10, performance->height() / 2));
    QVERIFY(!performance->isChecked() && !timeout->isEnabled());
    QCOMPARE(int(CurrentRecord::snapshot().fullPerformance), 0);
    QCOMPARE(open.count(), 1);

    // The option switches alike.
    auto* ripple = child<QCheckBox>("RippeControl_2");
    auto* motion = child<QCheckBox>("MotionSync_2");
    QTest::mouseClick(ripple, Qt::LeftButton);
    QVERIFY(ripple->isChecked());
    QCOMPARE(int(CurrentRecord::snapshot().rippleControl), 1);
    FakeHid::setOnline(false);
    QTest::mouseClick(motion, Qt::LeftButton);
    QVERIFY(!motion->isChecked());
    QCOMPARE(int(CurrentRecord::snapshot().motionSync), 0);
}

void TestSensorPage::timeoutChoicesAndSleepWidgetMatchByValue() {
    auto* timeout = child<QComboBox>("PerformanceOpen");
    QCOMPARE(timeout->currentIndex(), 2); // 6 = one minute
    QTest::keyClick(timeout, Qt::Key_Down);
    QCOMPARE(int(CurrentRecord::snapshot().sleepTime), 12);

    // 210 is not among the shown choices: the index stays.
    FlashDataMap r = record();
    r.sleepTime = r.sleepTimeCopy = 210;
    fill(r);
    QCOMPARE(timeout->currentIndex(), 3);

    // The sleep-time widget reports its own index; the page shows the entry with the same time.
    StopCloseTime sleep;
    sleep.show();
    sleep.selectIndex(4);
    QTest::keyClick(sleep.choice(), Qt::Key_Down); // index 5 = 30
    QCOMPARE(timeout->currentIndex(), 5);
    sleep.selectIndex(7);
    QTest::keyClick(sleep.choice(), Qt::Key_Down); // index 8 = 180, which the page does not offer
    QCOMPARE(timeout->currentIndex(), 5);

    // Offline: the previous choice comes back.
    FakeHid::setOnline(false);
    QTest::keyClick(timeout, Qt::Key_Down);
    QCOMPARE(timeout->currentIndex(), 5);
}

// The model rules and "XIn1" decide what is shown; what is shown fills the page without holes and
// sits centred, with no empty band under the DPI levels.
void TestSensorPage::visibilityRulesLeaveNoHoles() {
    const auto pagePos = [this](const char* name) { return child<QWidget>(name)->mapTo(m_page, QPoint()); };
    const auto balanced = [this] {
        QRect box;
        for (QWidget* w : m_page->findChildren<QWidget*>())
            if (w->isVisibleTo(m_page) && w->objectName() != "SenSorPage" && w->parentWidget() != m_page)
                box |= QRect(w->mapTo(m_page, QPoint()), w->size());
        return qAbs(box.left() - (m_page->width() - 1 - box.right())) <= 2;
    };
    select(0, 0);
    fill(record());
    QVERIFY(balanced());
    const QPoint firstCell = pagePos("frameLOD");
    auto* dpi = child<SensorDPI>("frameDpi");
    int lowest = 0;
    for (QWidget* w : dpi->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w->isVisibleTo(dpi))
            lowest = qMax(lowest, w->geometry().bottom());
    QVERIFY2(dpi->height() - lowest <= 16, qPrintable(QString::number(dpi->height() - lowest)));

    // "3315": the mode, LOD and switches are hidden, and full performance takes the first place.
    const char* hidden[] = {"frame", "frame_3", "frame_4", "label_11", "ModelChoose", "frameLOD", "modeCell"};
    select(1, 0);
    fill(record());
    for (const char* name : hidden)
        QVERIFY2(child<QWidget>(name)->isHidden(), name);
    QCOMPARE(pagePos("performanceCell"), firstCell);
    QVERIFY(balanced());

    // "XIn1" = 2 hides the sensor block, but the model rules come after it: mode and LOD are back.
    select(3, 0);
    fill(record());
    for (const char* name : {"ModelChoose", "frameLOD", "label_11", "frame", "frame_3", "frame_4"})
        QVERIFY2(!child<QWidget>(name)->isHidden(), name);
    for (const char* name : {"Performance", "PerformanceOpen", "label_5", "TitleButton_4"})
        QVERIFY2(child<QWidget>(name)->isHidden(), name);
    QVERIFY(balanced());

    // "3950" lists no ripple, angle or motion flag and no sensor mode choice: the disabled box shows no
    // mode rather than the one of the mouse shown before.
    FlashDataMap lowPower = record();
    lowPower.sensorMode = 1;
    select(0, 0);
    fill(lowPower);
    QCOMPARE(child<QComboBox>("ModelChoose")->currentIndex(), 1);
    select(2, 0);
    fill(record());
    QVERIFY(child<QWidget>("frame")->isHidden() && child<QWidget>("frame_3")->isHidden());
    QVERIFY(!child<QWidget>("ModelChoose")->isEnabled());
    QVERIFY(child<QComboBox>("ModelChoose")->currentText().isEmpty());
    QVERIFY(balanced());
}

void TestSensorPage::lodCodesFollowTheModel() {
    select(2, 0);
    fill(record()); // record code 1
    auto* lod = child<QComboBox>("LOD");
    QCOMPARE(lod->count(), 3);
    QCOMPARE(lod->currentText(), QStringLiteral("1mm"));
    QSignalSpy announced(PostMsg::instance(), &PostMsg::SigAddLOD);
    QTest::keyClick(lod, Qt::Key_Home);
    QCOMPARE(lod->currentText(), QStringLiteral("0.7mm"));
    QCOMPARE(int(CurrentRecord::snapshot().lod), 3);
    QCOMPARE(announced.last().at(0).toString(), QStringLiteral("0.7mm"));

    select(0, 0);
    fill(record());
    QCOMPARE(lod->count(), 2);
    FakeHid::setOnline(false);
    QTest::keyClick(lod, Qt::Key_Down);
    QCOMPARE(lod->currentText(), QStringLiteral("1mm"));
}

// An offline mouse without a cache: the page shows the model's table levels, colours and current level,
// and writes nothing.
void TestSensorPage::offlineWithoutCacheShowsTheTableDefaults() {
    auto* dpi = child<SensorDPI>("frameDpi");
    const FlashDataMap before = CurrentRecord::snapshot();
    FakeHid::setOnline(false);
    select(2, 1);
    PostMsg::instance()->SendFormReset();
    QCOMPARE(dpi->levelCount(), 6);
    QCOMPARE(dpi->currentLevel(), 2);
    QCOMPARE(dpi->currentValue(), 300);
    QCOMPARE(dpi->levelValueX(5), 600);
    QCOMPARE(dpi->levelText(5), QStringLiteral("600"));
    QCOMPARE(dpi->levelColour(1), QStringLiteral("3,4,5"));
    QVERIFY(child<QWidget>("PurpleButton")->isVisibleTo(dpi) &&
            !child<QWidget>("LightBlueButton")->isVisibleTo(dpi));
    QVERIFY(child<QAbstractButton>("RedButton")->isChecked());
    QVERIFY(!child<QComboBox>("ModelChoose")->isEnabled());
    QVERIFY(child<QComboBox>("ModelChoose")->currentText().isEmpty());

    select(0, 1); // a short "DPIColor": the default colours
    PostMsg::instance()->SendFormReset();
    QCOMPARE(dpi->levelColour(0), QStringLiteral("255,0,0"));
    QCOMPARE(dpi->levelColour(7), QStringLiteral("0,212,252"));
    QCOMPARE(child<QComboBox>("ModelChoose")->currentIndex(), 0);
    QVERIFY(child<QComboBox>("ModelChoose")->isEnabled());
    select(0, 2); // on the cable the box holds the cable's item, as a record from the mouse makes it
    PostMsg::instance()->SendFormReset();
    QVERIFY(!child<QComboBox>("ModelChoose")->isEnabled());
    QCOMPARE(child<QComboBox>("ModelChoose")->currentIndex(), 2);
    QVERIFY(CurrentRecord::snapshot() == before);
    QCOMPARE(FakeHid::writes(), 0);
}

QTEST_MAIN(TestSensorPage)
#include "tst_sensor_page.moc"
