// The button page through its widgets: records arrive through the hub, the user clicks keys and the menu.
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "buttons/ButtonDialogs.h"
#include "buttons/Buttoninterface.h"
#include "buttons/KeySequence.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "sensor/SensorCapability.h"
#include "tests/common/AllLanguages.h"
#include "tests/common/StandInHid.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace Buttons;

class TestButtonsPage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void keysFollowTheRecordAndTheRow();
    void aChoiceIsOneWrite();
    void offlineWritesNothingAndRestores();
    void lastLeftClickIsKept();
    void rapidFireDialog();
    void combinationDialog();
    void resetAndItsDefaults();
    void profileRowAndEveryLanguage();

private:
    template <typename T> T* child(const char* name) const { return ::child<T>(m_page, name); }
    static FlashDataMap record() {
        FlashDataMap r{};
        for (int i = 0; i < kButtonCount; ++i)
            r.buttons[i] = DefaultAssignments()[i].assignment();
        r.buttonOptionA = 50; // wheel 50 ms: index 4
        r.buttonOptionB = 30;
        r.debounceTime = 4;
        return r;
    }
    void fill(const FlashDataMap& r) {
        CurrentRecord::replace(r);
        PostMsg::instance()->SendUpDataLightUIButton(r);
    }
    // Opens the sub-page of a menu group and clicks one of its choices.
    void choose(const char* group, const char* choice) {
        if (group)
            QTest::mouseClick(child<QPushButton>(group), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(choice), Qt::LeftButton);
    }
    // Runs `act` on the next modal dialog of type T once it is open.
    template <typename T, typename F> void onDialog(F act) {
        QTimer::singleShot(0, this, [this, act] {
            if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget()))
                act(d);
            else
                QTimer::singleShot(10, this, [this, act] { onDialog<T>(act); });
        });
    }
    static QByteArray assignmentBytes(int index) {
        const FlashDataMap r = CurrentRecord::snapshot();
        return QByteArray(reinterpret_cast<const char*>(&r) + 165 + 3 * index, 3);
    }

    QTemporaryDir m_appDir;
    Buttoninterface* m_page = nullptr;
};

void TestButtonsPage::initTestCase() {
    IniStore& ini = VirtualMouseSetup::freshTable(m_appDir, 2);
    QVERIFY(m_appDir.isValid() && FakeHid::load());
    ini.setValue("Drive1", "Sensor", "3395");
    ini.setValue("Drive1", "KeyNumber", "6");
    ini.setValue("Drive1", "RealKey", "5");
    ini.setValue("Drive2", "Sensor", "3395");
    ini.setValue("Drive2", "KeyNumber", "40"); // outside: the page never reads past the sixteen
    ini.sync();
    m_page = new Buttoninterface;
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page));
}

void TestButtonsPage::init() {
    FakeHid::reset();
    fill(record());
}

// Keys 1 … KeyNumber show the labels of the record (keys 4 and 5 swapped), the rest are hidden; the
// debounce combos and the summary row follow the record, and filling writes nothing.
void TestButtonsPage::keysFollowTheRecordAndTheRow() {
    const int before = FakeHid::writes();
    QSignalSpy debounce(PostMsg::instance(), &PostMsg::SigDebunce);
    FlashDataMap r = record();
    r.buttons[3] = ButtonFunction(ButtonFunctionType::VerticalWheel, 2).assignment();
    r.buttons[4] = ButtonFunction(ButtonFunctionType::ReportRateSwitch).assignment();
    fill(r);
    QCOMPARE(m_page->keyNumber(), 6);
    for (int k = 1; k <= kButtonCount; ++k)
        QCOMPARE(m_page->key(k)->isVisible(), k <= 6);
    QCOMPARE(m_page->key(4)->text(), FunctionText("7"));
    QCOMPARE(m_page->key(5)->text(), FunctionText("B-2"));
    QCOMPARE(m_page->key(1)->text(), FunctionText("0x0100"));
    QCOMPARE(child<QComboBox>("WheelDebunce")->currentIndex(), 4);
    QCOMPARE(child<QComboBox>("DebunceRelease")->currentIndex(), 30);
    QCOMPARE(debounce.last().at(0).toString(), QStringLiteral("4ms"));
    QVERIFY(LinkFlags::ButtonFilled && !LinkFlags::ButtonLoading);
    QCOMPARE(FakeHid::writes(), before);

    // Callouts for every shipped picture (mouse0 … mouse8), none beyond.
    const auto callouts = [this] {
        int shown = 0;
        for (QLabel* l : child<QWidget>("MouseWidget")->findChildren<QLabel*>())
            shown += l->isVisible();
        return shown;
    };
    m_page->SlotMouseIndex(2);
    QCOMPARE(callouts(), 6);
    m_page->SlotMouseIndex(8);
    QCOMPARE(callouts(), 6);
    m_page->SlotMouseIndex(9);
    QCOMPARE(callouts(), 0);
    m_page->SlotMouseIndex(0);

    FakeHid::select(1);
    fill(r);
    QCOMPARE(m_page->keyNumber(), 16);
    QVERIFY(m_page->key(16)->isVisible());
}

// A choice writes exactly the assignment of its button index (keys 4 and 5 address indices 4 and 3),
// its key block where it has one, and the key shows its label; without a checked key nothing is sent.
void TestButtonsPage::aChoiceIsOneWrite() {
    SensorCapability::current().loadRow(ModelRow::read(ConfigIniStore::instance(), 0));
    int calls = FakeHid::writes();
    choose(nullptr, "DPI_5");
    QCOMPARE(FakeHid::writes(), calls);
    QVERIFY(!child<QPushButton>("DPI_5")->isChecked());

    QTest::mouseClick(m_page->key(4), Qt::LeftButton);
    QCOMPARE(m_page->checkedButtonIndex(), 4);
    choose("DPI_4", "VolumeUp_9");
    QCOMPARE(assignmentBytes(4), QByteArray("\x02\x02\x00", 3));
    QCOMPARE(FakeHid::writes(), ++calls);
    QCOMPARE(m_page->key(4)->text(), QStringLiteral("DPI+"));
    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentIndex(), 0);

    QTest::mouseClick(m_page->key(5), Qt::LeftButton);
    choose("DPI_9", "StartPause_2");
    QCOMPARE(int(CurrentRecord::snapshot().buttons[3].bytes[0]), 5);
    QCOMPARE(BlockConsumerCode(CurrentRecord::snapshot().keyBlocks[3]), std::optional<uint16_t>(0x00CD));
    QCOMPARE(m_page->key(5)->text(), FunctionText("0x00CD"));

    QTest::mouseClick(m_page->key(6), Qt::LeftButton);
    choose("DPI_7", "VolumeUp_22"); // 800
    const ButtonFunction lock = ButtonFunction::from(CurrentRecord::snapshot().buttons[5]);
    QVERIFY(lock.is(ButtonFunctionType::DpiLock));
    QCOMPARE(DpiLock::Decode(SensorCapability::current(), lock.param1), 800);
    QCOMPARE(m_page->key(6)->text(), DpiLockText() + "-800");
    QCOMPARE(FakeHid::writes(), calls + 2);

    // Selecting a key again opens its function's sub-page with that choice checked.
    QTest::mouseClick(m_page->key(4), Qt::LeftButton);
    QVERIFY(child<QPushButton>("VolumeUp_9")->isChecked() && child<QPushButton>("VolumeUp_9")->isVisible());
    QVERIFY(!child<QPushButton>("VolumeUp_22")->isChecked());
}

// Offline: a choice and a debounce change write nothing, raise one notice each, and the controls come
// back without a second write.
void TestButtonsPage::offlineWritesNothingAndRestores() {
    QTest::mouseClick(m_page->key(3), Qt::LeftButton);
    const QString label = m_page->key(3)->text();
    const FlashDataMap before = CurrentRecord::snapshot();
    const int calls = FakeHid::writes();
    FakeHid::setOnline(false);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    choose("VolumeUp_3", "VolumeDown_14");
    QCOMPARE(offline.count(), 1);
    QVERIFY(CurrentRecord::snapshot() == before);
    QCOMPARE(FakeHid::writes(), calls);
    QVERIFY(!child<QPushButton>("VolumeDown_14")->isChecked());
    QCOMPARE(m_page->key(3)->text(), label);
    QCOMPARE(m_page->stored(2), DefaultAssignments()[2]);

    auto* wheel = child<QComboBox>("WheelDebunce");
    QSignalSpy changed(wheel, QOverload<int>::of(&QComboBox::currentIndexChanged));
    wheel->setCurrentIndex(9);
    QCOMPARE(wheel->currentIndex(), 4);
    QCOMPARE(changed.count(), 1); // the roll-back is silent
    QCOMPARE(offline.count(), 2);
    QVERIFY(CurrentRecord::snapshot() == before);

    FakeHid::setOnline(true);
    wheel->setCurrentIndex(9);
    QCOMPARE(int(CurrentRecord::snapshot().buttonOptionA), 100);
    child<QComboBox>("DebunceRelease")->setCurrentIndex(0);
    QCOMPARE(int(CurrentRecord::snapshot().buttonOptionB), 0);
}

// The only key holding left click cannot be re-assigned: nothing stays selected and the notice shows;
// with a second left click either key can.
void TestButtonsPage::lastLeftClickIsKept() {
    QString shown;
    QTimer::singleShot(0, this, [&] {
        if (auto* notice = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shown = notice->objectName();
            notice->reject();
        }
    });
    QTest::mouseClick(m_page->key(1), Qt::LeftButton);
    QCOMPARE(shown, QStringLiteral("LeftButtonOnly"));
    QCOMPARE(m_page->checkedButtonIndex(), -1);

    FlashDataMap r = record();
    r.buttons[2] = ButtonFunction(ButtonFunctionType::MouseButton, 1).assignment();
    fill(r);
    QTest::mouseClick(m_page->key(1), Qt::LeftButton);
    QCOMPARE(m_page->checkedButtonIndex(), 0);
    QVERIFY(child<QPushButton>("LeftKey_3")->isChecked());
}

// The dialog starts with the key's own rapid-fire values, or 10 and 3; OK writes (4, interval, count).
void TestButtonsPage::rapidFireDialog() {
    LinkFlags::DeviceOnline = true;
    FakeHid::select(1); // sixteen keys
    FlashDataMap r = record();
    r.buttons[10] = ButtonFunction(ButtonFunctionType::RapidFire, 40, 2).assignment();
    fill(r);
    QTest::mouseClick(m_page->key(11), Qt::LeftButton);
    QVERIFY(child<QPushButton>("DPI_6")->isChecked()); // the key's function shows
    QTest::mouseClick(m_page->key(6), Qt::LeftButton);
    RapidFireSetting seen;
    onDialog<FireKey>([&](FireKey* d) {
        seen = d->setting();
        d->findChild<QSpinBox*>("IntervalBox")->setValue(120);
        d->findChild<QSpinBox*>("CountBox")->setValue(0);
        d->on_NewHong_clicked();
    });
    choose(nullptr, "DPI_6");
    QCOMPARE(seen, (RapidFireSetting{10, 3}));
    QCOMPARE(assignmentBytes(5), QByteArray("\x04\x78\x00", 3));
    QCOMPARE(m_page->key(6)->text(), FunctionText("4"));

    QTest::mouseClick(m_page->key(11), Qt::LeftButton);
    onDialog<FireKey>([&](FireKey* d) {
        seen = d->setting();
        d->on_CloseButton_clicked();
    });
    const int calls = FakeHid::writes();
    choose(nullptr, "DPI_6");
    QCOMPARE(seen, (RapidFireSetting{40, 2}));
    QCOMPARE(FakeHid::writes(), calls); // cancelled: nothing written
}

// Keys pressed in the dialog build the combination; four keys are refused and the dialog stays; a key
// after the 2000 ms window starts a new line; OK writes type 5 with the encoded block.
void TestButtonsPage::combinationDialog() {
    FakeHid::select(1);
    fill(record());
    QTest::mouseClick(m_page->key(7), Qt::LeftButton);
    QString refused, firstLine, afterWindow;
    onDialog<GroupKey>([&](GroupKey* d) {
        d->findChild<QCheckBox*>("Shift")->setChecked(true);
        d->findChild<QCheckBox*>("Ctrl")->setChecked(true);
        // A letter of a Cyrillic layout counts as the key it sits on, as in the macro recorder.
        QKeyEvent cyrillic(QEvent::KeyPress, 0x424, {}, 38, 0x6c6, 0, QString::fromUtf8("ф"));
        QApplication::sendEvent(d, &cyrillic);
        QApplication::sendEvent(d, &cyrillic); // the same key again: ignored
        QTest::keyClick(d, Qt::Key_F5);
        firstLine = d->line()->text();
        onDialog<GroupMaxThree>([&](GroupMaxThree* limit) {
            refused = limit->objectName();
            limit->on_NewHong_clicked();
        });
        d->on_NewHong_clicked(); // Shift + Ctrl + two keys
        QVERIFY(d->isVisible() && d->line()->text().isEmpty());
        QTest::keyClick(d, Qt::Key_Plus, Qt::KeypadModifier);
        QTest::qWait(GroupKey::kWindowMs + 100);
        QTest::keyClick(d, Qt::Key_B);
        afterWindow = d->line()->text();
        d->findChild<QCheckBox*>("Shift")->setChecked(false);
        d->on_NewHong_clicked();
    });
    choose(nullptr, "DPI_8");
    QCOMPARE(firstLine, QStringLiteral("A+F5"));
    QCOMPARE(refused, QStringLiteral("GroupMaxThree"));
    QCOMPARE(afterWindow, QStringLiteral("B"));
    QCOMPARE(assignmentBytes(6), QByteArray("\x05\x00\x00", 3));
    KeySequenceBlock expected{};
    QVERIFY(EncodeCombination("Ctrl+B", expected));
    const FlashDataMap now = CurrentRecord::snapshot();
    QVERIFY(memcmp(&now.keyBlocks[6], &expected, sizeof expected) == 0);
    QCOMPARE(m_page->key(7)->text(), CombinationText(expected));
    QTest::mouseClick(m_page->key(7), Qt::LeftButton);
    QVERIFY(child<QPushButton>("DPI_8")->isChecked());
}

// Reset: offline it only raises the notice; cancelled it sends nothing. After a restore the page shows
// the default functions, the row's key debounce and both combos on index 2, without writing.
void TestButtonsPage::resetAndItsDefaults() {
    auto* reset = child<QPushButton>("Reset");
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    const int calls = FakeHid::writes();
    FakeHid::setOnline(false);
    QTest::mouseClick(reset, Qt::LeftButton);
    QCOMPARE(offline.count(), 1);
    FakeHid::setOnline(true);
    QString asked;
    onDialog<ContainReset>([&](ContainReset* d) {
        asked = d->labelText();
        d->on_CloseButton_clicked();
    });
    QTest::mouseClick(reset, Qt::LeftButton);
    QCOMPARE(asked, QStringLiteral("是否恢复默认设置？"));
    QCOMPARE(FakeHid::writes(), calls);

    ConfigIniStore::instance().setValue("Drive1", "DebunceTime", "7");
    FlashDataMap r = record();
    r.buttons[1] = ButtonFunction(ButtonFunctionType::Disabled).assignment();
    fill(r);
    QSignalSpy light(PostMsg::instance(), &PostMsg::SigLightToFrom);
    PostMsg::instance()->SendFormReset();
    QCOMPARE(m_page->stored(1), DefaultAssignments()[1]);
    QCOMPARE(m_page->key(2)->text(), FunctionText("0x0200"));
    QCOMPARE(m_page->key(5)->text(), FunctionText("0x0800")); // index 3
    QCOMPARE(child<QSpinBox>("KeyDebunceValue")->value(), 7);
    QCOMPARE(child<QComboBox>("WheelDebunce")->currentIndex(), 2);
    QCOMPARE(child<QComboBox>("DebunceRelease")->currentIndex(), 2);
    QCOMPARE(light.last().at(0).toInt(), 60);
    QCOMPARE(FakeHid::writes(), calls);
}

// The profile row feeds the summary; in every language the page's texts come from the language files
// (no built-in Chinese left in English) and nothing is cut off.
void TestButtonsPage::profileRowAndEveryLanguage() {
    QCOMPARE(AllLanguages::load(), 11);
    Language::setCurrentIndex(0);
    QSignalSpy config(PostMsg::instance(), &PostMsg::SigAddConfig);
    m_page->SlotUpDataConfigUI(3, 1, true);
    QCOMPARE(child<QComboBox>("ProjectChoose")->count(), 3);
    QCOMPARE(config.last().at(0).toString(), QStringLiteral("Profile 2"));
    // The chooser switches through the library; offline it rolls back with one notice.
    auto* chooser = child<QComboBox>("ProjectChoose");
    QVERIFY(chooser->isEnabled());
    FakeHid::setOnline(false);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    chooser->setCurrentIndex(2);
    QMetaObject::invokeMethod(chooser, "activated", Q_ARG(int, 2));
    QCOMPARE(chooser->currentIndex(), 1);
    QCOMPARE(offline.count(), 1);
    FakeHid::setOnline(true);
    // A mouse reporting no profiles still shows its one configuration.
    m_page->SlotUpDataConfigUI(0, 0, false);
    QCOMPARE(chooser->count(), 1);
    QCOMPARE(chooser->currentText(), QStringLiteral("Profile 1"));
    QVERIFY(!chooser->isEnabled());
    m_page->SlotUpDataConfigUI(3, 1, true);

    // All sixteen keys, so the key panel takes its two columns.
    FakeHid::select(1);
    fill(record());
    QVERIFY(m_page->key(16)->isVisible());
    const QRegularExpression han(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    for (int i = 0; i < 11; ++i) {
        const QString code = QLatin1String(Language::allLanguages()[i].code);
        Language::setCurrentIndex(i);
        m_page->SlotAllLanguage(i);
        for (int page = 0; page < 8; ++page) {
            child<QStackedWidget>("stackedWidget")->setCurrentIndex(page);
            QApplication::processEvents();
            for (QAbstractButton* b : m_page->findChildren<QAbstractButton*>()) {
                if (!b->isVisible() || b->text().isEmpty())
                    continue;
                const QString what = code + " " + b->objectName() + " \"" + b->text() + "\"";
                QVERIFY2(code != "en" || !b->text().contains(han), qPrintable(what));
                QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) <= b->contentsRect().width(),
                         qPrintable(what + " is cut off " +
                                    QString::number(b->fontMetrics().horizontalAdvance(b->text())) + " " +
                                    QString::number(b->contentsRect().width())));
            }
        }
        // The settings rows below the menu neither overlap nor leave the page.
        const QList<QWidget*> rows =
            child<QWidget>("DebounceBox")->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        for (QWidget* w : rows) {
            const QRect r(w->mapTo(m_page, QPoint()), w->size());
            QVERIFY2(m_page->rect().contains(r),
                     qPrintable(code + " " + w->objectName() + " is off the page"));
            for (QWidget* other : rows)
                QVERIFY2(other == w || !r.intersects(QRect(other->mapTo(m_page, QPoint()), other->size())),
                         qPrintable(code + " " + w->objectName() + " overlaps " + other->objectName()));
        }
        for (QLabel* l : m_page->findChildren<QLabel*>()) {
            if (!l->isVisible() || l->text().isEmpty())
                continue;
            QVERIFY2(code != "en" || !l->text().contains(han), qPrintable(code + " " + l->text()));
            const int room = l->contentsRect().width();
            QVERIFY2(l->wordWrap() ? l->heightForWidth(room) <= l->height()
                                   : l->fontMetrics().horizontalAdvance(l->text()) <= room,
                     qPrintable(code + " \"" + l->text() + "\" is cut off"));
        }
        if (code == "ru")
            QCOMPARE(config.last().at(0).toString(), QStringLiteral("Профиль 2"));
        // The debounce unit is the language's own and the largest value keeps it whole.
        auto* debounce = child<QSpinBox>("KeyDebunceValue");
        QVERIFY2(!QStringList({"ru", "cn", "ja", "ar"}).contains(code) || !debounce->suffix().contains("ms"),
                 qPrintable(code + debounce->suffix()));
        QVERIFY2(debounce->fontMetrics().horizontalAdvance("255" + debounce->suffix()) <=
                     debounce->findChild<QLineEdit*>()->width(),
                 qPrintable(code + debounce->suffix()));
        // Right to left, "DPI+" keeps its sign behind: the label ends in a left-to-right mark.
        QCOMPARE(m_page->key(7)->text().endsWith(QChar(0x200E)), code == "ar");
        QVERIFY(!m_page->key(1)->text().endsWith(QChar(0x200E)));
    }
    Language::setCurrentIndex(0);
    m_page->SlotAllLanguage(0);
}

QTEST_MAIN(TestButtonsPage)
#include "tst_buttons_page.moc"
