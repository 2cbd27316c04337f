// The macro page through its widgets: recording from real key events, the editor's commands, the file
// operations with their notices, and what the page sends to the button page.
#include "app/core/PostMsg.h"
#include "app/notices/QuestionDialog.h"
#include "app/notices/SimpleNotices.h"
#include "device/LinkState.h"
#include "macro/Macro.h"
#include "macro/MacroDialogs.h"
#include "macro/core/MacroExport.h"
#include "macro/core/MacroNames.h"
#include "macro/core/MacroPacker.h"
#include "platform/input/VirtualKeys.h"
#include "tests/common/AllLanguages.h"
#include "tests/macro/FileSizeLimit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace MacroFormat;

class TestMacroPage : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void recordsMeasuredGapsAndDropsRepeats();
    void recordsFixedDelaysAndSidedModifiers();
    void stopsAtSeventyEventsCountingInsertedOnes();
    void editorCommands();
    void delayUnitsFollowTheLanguage();
    void saveReportsWhatChanged();
    void createRenameDeleteWithNames();
    void exportImport();
    void deviceMacrosFillOnlyMissingFiles();

private:
    std::unique_ptr<Macro> makePage(const QMap<QString, QByteArray>& files);
    void answerModals(const QString& text = QString());
    void key(QEvent::Type type, int qtKey, quint32 scan = 0, quint32 keysym = 0, bool autoRepeat = false);
    template <typename T> T* child(const char* name) { return m_page->findChild<T*>(QLatin1String(name)); }

    std::unique_ptr<Macro> m_page;
    QStringList m_modals; // object names of the modal dialogs answered, in order
    QTimer m_answer;
    QString m_answerText;
};

void TestMacroPage::init() {
    QDir(MacroNames::folder()).removeRecursively();
    QDir().mkpath(MacroNames::folder());
    m_modals.clear();
    LinkFlags::Recording = false;
}

void TestMacroPage::cleanup() {
    m_answer.stop();
    m_page.reset();
}

std::unique_ptr<Macro> TestMacroPage::makePage(const QMap<QString, QByteArray>& files) {
    for (auto it = files.begin(); it != files.end(); ++it)
        writeBytes(MacroNames::filePath(it.key()), it.value());
    auto page = std::make_unique<Macro>();
    page->show();
    QApplication::setActiveWindow(page.get());
    if (!QTest::qWaitForWindowActive(page.get()))
        qWarning("page window not active");
    return page;
}

// Every modal dialog that opens is answered: a name typed into a name question, OK pressed.
void TestMacroPage::answerModals(const QString& text) {
    m_answerText = text;
    m_answer.disconnect();
    connect(&m_answer, &QTimer::timeout, this, [this] {
        auto* modal = qobject_cast<NoticeBase*>(QApplication::activeModalWidget());
        if (!modal)
            return;
        m_modals << modal->objectName();
        if (auto* ask = qobject_cast<QuestionDialog*>(modal))
            ask->lineEdit()->setText(m_answerText);
        modal->on_NewHong_clicked();
    });
    m_answer.start(10);
}

void TestMacroPage::key(QEvent::Type type, int qtKey, quint32 scan, quint32 keysym, bool autoRepeat) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : m_page.get();
    QKeyEvent e(type, qtKey, Qt::NoModifier, scan, keysym, 0, QString(), autoRepeat);
    QApplication::sendEvent(target, &e);
}

void TestMacroPage::recordsMeasuredGapsAndDropsRepeats() {
    m_page = makePage({{"rec", "1\n"}});
    QVERIFY(m_page->selectMacro("rec"));
    QSignalSpy started(PostMsg::instance(), &PostMsg::SigStartRecord);
    QTest::mouseClick(child<QPushButton>("StartRecord"), Qt::LeftButton);
    QVERIFY(m_page->recording() && LinkFlags::Recording);
    QCOMPARE(started.takeFirst().at(0).toInt(), 0);
    QVERIFY(!child<QListWidget>("listWidgetHong")->isEnabled());

    // The real gap lies between what passed from the press's start to the release's end and what passed
    // from the press's end to the release's start.
    QElapsedTimer clock;
    clock.start();
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : m_page.get();
    QTest::keyPress(focus, Qt::Key_A);
    const qint64 pressed = clock.elapsed();
    key(QEvent::KeyPress, Qt::Key_A, 38, 'a', true); // held: the system repeats it
    QTest::keyPress(focus, Qt::Key_A);               // a second down without an up
    QTest::qWait(60);
    const qint64 releasing = clock.elapsed();
    QTest::keyRelease(focus, Qt::Key_A);
    const qint64 released = clock.elapsed();
    QTest::mouseClick(child<QPushButton>("StopRecord"), Qt::LeftButton);
    QVERIFY(!m_page->recording() && !LinkFlags::Recording);
    QCOMPARE(started.takeFirst().at(0).toInt(), 1);

    const QVector<MacroItem>& items = m_page->edited().items;
    QCOMPARE(items.size(), 3);
    QCOMPARE(items.at(0), MacroItem::key(1, 0x04, false));
    QCOMPARE(items.at(2), MacroItem::key(1, 0x04, true));
    const qint64 recorded = items.at(1).delay;
    QVERIFY2(recorded >= releasing - pressed - 5 && recorded <= released + 5,
             qPrintable(
                 QStringLiteral("%1 outside %2 … %3").arg(recorded).arg(releasing - pressed).arg(released)));
    QCOMPARE(child<QListWidget>("listWidgetKey")->item(1)->text(), QString::number(items.at(1).delay) + "ms");
    QVERIFY(child<QPushButton>("Save")->isEnabled());
    // Keys after the stop are not recorded.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_B);
    QCOMPARE(m_page->edited().items.size(), 3);
}

void TestMacroPage::recordsFixedDelaysAndSidedModifiers() {
    m_page = makePage({{"fix", "1\n"}});
    QVERIFY(m_page->selectMacro("fix"));
    child<QCheckBox>("DefaultDelay")->setChecked(true);
    child<QSpinBox>("DelayTime")->setValue(25);
    QTest::mouseClick(child<QPushButton>("StartRecord"), Qt::LeftButton);
    key(QEvent::KeyPress, Qt::Key_Shift, 62, 0xffe2); // right shift by its keysym
    key(QEvent::KeyPress, Qt::Key_Control, 37, 0);    // left control by its keycode only
    key(QEvent::KeyRelease, Qt::Key_Control, 37, 0);
    key(QEvent::KeyRelease, Qt::Key_Shift, 62, 0xffe2);
    QTest::qWait(30);
    QTest::mouseClick(m_page.get(), Qt::RightButton, {}, QPoint(5, 5)); // a click on the page itself
    m_page->on_StopRecord_clicked();
    const QByteArray file = serialise(m_page->edited());
    QCOMPARE(file, QByteArray("1\n0x20 0 0\n25ms\n0x01 0 0\n25ms\n0x01 0 1\n25ms\n0x20 0 1\n25ms\n"
                              "0x02 4 0\n25ms\n0x02 4 1\n"));
    QCOMPARE(VirtualKeys::fromKeyEvent(QKeyEvent(QEvent::KeyPress, Qt::Key_Alt, {}, 108, 0, 0)), 165);
    QCOMPARE(VirtualKeys::fromKeyEvent(QKeyEvent(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier)), 101);
    // Keys by their place: "!" is the 1 key, a Cyrillic letter the key it sits on.
    QCOMPARE(VirtualKeys::fromKeyEvent(
                 QKeyEvent(QEvent::KeyPress, Qt::Key_Exclam, Qt::ShiftModifier, 10, 0x21, 0)),
             49);
    QCOMPARE(VirtualKeys::fromKeyEvent(QKeyEvent(QEvent::KeyPress, 0x424, {}, 38, 0x6c6, 0)), 65);
}

void TestMacroPage::stopsAtSeventyEventsCountingInsertedOnes() {
    m_page = makePage({{"full", "1\n"}});
    QVERIFY(m_page->selectMacro("full"));
    answerModals();
    child<QComboBox>("ChooseEvent")->activated(4); // a left click: two events inserted by hand
    QTest::mouseClick(child<QPushButton>("StartRecord"), Qt::LeftButton);
    for (int k = 0; k < 40 && m_page->recording(); ++k) {
        QTest::keyPress(QApplication::focusWidget(), Qt::Key_A);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_A);
    }
    QTRY_COMPARE(m_modals, QStringList{"KeyNumberLimit"});
    QVERIFY(!m_page->recording());
    QCOMPARE(m_page->edited().keyEvents(), 70);
    QVERIFY(m_page->edited().items.last().isKey()); // the 70th event stays, with no delay after it
    child<QComboBox>("ChooseEvent")->activated(5);
    QTRY_COMPARE(m_modals.size(), 2);
    QCOMPARE(m_page->edited().keyEvents(), 70);
}

void TestMacroPage::editorCommands() {
    m_page = makePage({{"ed", "1\n0x04 1 0\n10ms\n0x05 1 0\n20ms\n0x05 1 1\n30ms\n0x04 1 1\n"}});
    QVERIFY(m_page->selectMacro("ed"));
    auto* list = child<QListWidget>("listWidgetKey");
    const auto lines = [&] {
        return QString::fromLatin1(serialise(m_page->edited())).split('\n').mid(1, -1);
    };
    m_page->on_DeleteKey_clicked(); // nothing selected: nothing goes
    QCOMPARE(m_page->edited().items.size(), 7);
    list->setCurrentRow(3); // a delay: it goes with the key before it
    m_page->on_DeleteKey_clicked();
    QCOMPARE(lines(), (QStringList{"0x04 1 0", "10ms", "0x05 1 1", "30ms", "0x04 1 1", ""}));
    list->setCurrentRow(4); // the last item: it goes with the one before it
    m_page->on_DeleteKey_clicked();
    QCOMPARE(lines(), (QStringList{"0x04 1 0", "10ms", "0x05 1 1", ""}));
    answerModals();
    list->setCurrentRow(0);
    child<QComboBox>("ChooseEvent")->activated(3); // a delay from the delay dialog, after the selection
    QCOMPARE(lines(), (QStringList{"0x04 1 0", "10ms", "10ms", "0x05 1 1", ""}));
    list->setCurrentRow(1);
    m_page->findChild<QSpinBox*>("DelayTime")->setValue(40);
    m_page->on_Amend_clicked(); // the delay dialog starts at the item's own value
    QCOMPARE(lines().at(1), QString("10ms"));
    list->setCurrentRow(2);
    m_page->on_DeleteKey_clicked();
    list->setCurrentRow(0);
    m_page->on_DeleteKey_clicked(); // three items or fewer: the list is emptied
    QCOMPARE(m_page->edited().items.size(), 0);
    QCOMPARE(m_modals, (QStringList{"AddDelayTime", "AddDelayTime"}));
}

// The delay fields show the unit in the language's own words, switched with the page open.
void TestMacroPage::delayUnitsFollowTheLanguage() {
    QVERIFY(AllLanguages::load() > 0);
    const int ru = Language::boxNames().indexOf("Russian");
    m_page = makePage({});
    PostMsg::instance()->SendAllLanguage(ru);
    Language::setCurrentIndex(ru); // what a dialog opened now reads
    QCOMPARE(child<QSpinBox>("DelayTime")->suffix(), QString::fromUtf8(" мс"));
    QCOMPARE(AddDelayTime(10).findChild<QSpinBox*>("DelayEdit")->suffix(), QString::fromUtf8(" мс"));
    Language::setCurrentIndex(0);
}

void TestMacroPage::saveReportsWhatChanged() {
    m_page = makePage({{"s", "1\n0x04 1 0\n10ms\n0x04 1 1\n"}});
    QVERIFY(m_page->selectMacro("s"));
    QSignalSpy updates(PostMsg::instance(), &PostMsg::SigUpDataMacro);
    QVERIFY(!child<QPushButton>("Save")->isEnabled());
    child<QSpinBox>("NumberEdit")->setValue(7);
    QTest::mouseClick(child<QPushButton>("Save"), Qt::LeftButton);
    QCOMPARE(updates.size(), 1);
    QCOMPARE(updates.takeFirst(), (QList<QVariant>{"s", 1}));
    QCOMPARE(readFile(MacroNames::filePath("s")).cycle, 7);
    child<QCheckBox>("ReUntilLoose")->setChecked(true);
    answerModals();
    child<QListWidget>("listWidgetKey")->setCurrentRow(1);
    m_page->on_Amend_clicked(); // a modified item is a changed macro
    QTest::mouseClick(child<QPushButton>("Save"), Qt::LeftButton);
    QCOMPARE(updates.size(), 2);
    QCOMPARE(updates.at(0), (QList<QVariant>{"s", 0}));
    QCOMPARE(readFile(MacroNames::filePath("s")).cycle, 254);
    // A save that cannot be written says so and reports nothing.
    child<QSpinBox>("NumberEdit")->setValue(9);
    child<QCheckBox>("ReNumber")->setChecked(true);
    {
        FileSizeLimit full;
        QTest::mouseClick(child<QPushButton>("Save"), Qt::LeftButton);
    }
    QTRY_VERIFY(!m_modals.isEmpty());
    QCOMPARE(updates.size(), 2);
    QCOMPARE(m_modals.last(), QString("DialogMacroWriteFailed"));
    QCOMPARE(readFile(MacroNames::filePath("s")).cycle, 254);
    QVERIFY(child<QPushButton>("Save")->isEnabled());
}

void TestMacroPage::createRenameDeleteWithNames() {
    m_page = makePage({{"Old", "1\n"}});
    auto* macros = child<QListWidget>("listWidgetHong");
    QSignalSpy renamed(PostMsg::instance(), &PostMsg::SigMacroRename);
    QSignalSpy deleted(PostMsg::instance(), &PostMsg::SigDeleteMacroButton);
    for (const QString& bad : {QStringLiteral("../evil"), QStringLiteral("Old"), QString(31, 'x')}) {
        answerModals(bad);
        m_page->CreateMewMacro();
    }
    QCOMPARE(m_modals, (QStringList{"QuestionDialog", "DialogBadMacroName", "QuestionDialog", "SameMacro",
                                    "QuestionDialog", "DialogBadMacroName"}));
    QVERIFY(!QFile::exists(MacroNames::folder() + "/../evil.ini"));
    answerModals("old"); // names differing in case are different macros
    m_page->CreateMewMacro();
    QCOMPARE(MacroNames::list(), (QStringList{"Old", "old"}));
    QCOMPARE(m_page->currentName(), QString("old"));
    macros->setCurrentRow(0);
    answerModals("New");
    m_page->RenameMacro();
    QCOMPARE(renamed.takeFirst(), (QList<QVariant>{"Old", "New"}));
    QVERIFY(QFile::exists(MacroNames::filePath("New")) && !QFile::exists(MacroNames::filePath("Old")));
    m_page->DeleteMacro();
    QCOMPARE(deleted.takeFirst(), QList<QVariant>{"New"});
    QVERIFY(!QFile::exists(MacroNames::filePath("New")));
    QCOMPARE(m_page->currentName(), QString());
    m_page->DeleteMacro(); // nothing selected now
    QCOMPARE(deleted.size(), 0);
}

void TestMacroPage::exportImport() {
    m_page = makePage({{"ex", "255\n0x04 1 0\n10ms\n0x01 4 0\n5ms\n0x01 4 1\n0x9A 1 1\n"}});
    QVERIFY(m_page->selectMacro("ex"));
    QTemporaryDir out;
    const QString path = out.filePath("ex.ini");
    QVERIFY(m_page->exportTo(path));
    MacroExport::Record r;
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(MacroExport::read(bytes, r), MacroExport::ReadResult::Ok);
    QCOMPARE(r.cycle, QString("255"));
    QCOMPARE(r.items.at(5).text, QString("0x009A"));
    answerModals();
    QVERIFY(!m_page->importFrom(path)); // the name is taken
    QCOMPARE(m_modals, QStringList{"SameMacro"});
    QFile::remove(MacroNames::filePath("ex"));
    QVERIFY(writeBytes(out.filePath("cut.ini"), bytes.left(bytes.size() - 3)));
    QVERIFY(!m_page->importFrom(out.filePath("cut.ini")));
    QCOMPARE(m_modals.last(), QString("DialogMacroFileBroken"));
    QVERIFY(writeBytes(out.filePath("foreign.ini"), "[General]\nkey=value\n"));
    QVERIFY(!m_page->importFrom(out.filePath("foreign.ini")));
    QCOMPARE(m_modals.size(), 2); // a foreign file is no macro export: nothing to say
    QVERIFY(!QFile::exists(MacroNames::filePath("ex")));
    // Files whose items carry real icons, as Qt writes them, read too.
    QByteArray withIcons;
    {
        QDataStream s(&withIcons, QIODevice::WriteOnly);
        s.setVersion(QDataStream::Qt_5_0);
        const auto field = [&](QByteArray b, int n) { s << b.append(QByteArray(n - b.size(), '\0')); };
        QPixmap px(4, 4);
        px.fill(Qt::red);
        QIcon icon(px);
        icon.addPixmap(px, QIcon::Disabled);
        field("Qorix", 12), field("icons", 48), field("2", 12);
        s << qint32(2) << QString("A") << icon;
        field("1", 2);
        s << QString("7ms") << QIcon();
    }
    QCOMPARE(MacroExport::read(withIcons, r), MacroExport::ReadResult::Ok);
    QCOMPARE(r.items, (QVector<MacroExport::Item>{{"A", true}, {"7ms", false}}));
    // Restored under its own name, with the codes it had (the nameless one is dropped).
    delete child<QListWidget>("listWidgetHong")->takeItem(0);
    QVERIFY(m_page->importFrom(path));
    QCOMPARE(readFile(MacroNames::filePath("ex")), parse("255\n0x04 1 0\n10ms\n0x01 4 0\n5ms\n0x01 4 1\n"));
}

void TestMacroPage::deviceMacrosFillOnlyMissingFiles() {
    m_page = makePage({{"busy", "1\n0x04 1 0\n"}});
    QVERIFY(m_page->selectMacro("busy"));
    child<QSpinBox>("NumberEdit")->setValue(3); // unsaved work, its file gone meanwhile
    QFile::remove(MacroNames::filePath("busy"));
    FlashDataMap record{};
    record.macros[2] = MacroPacker::pack("busy", parse("1\n0x05 1 0\n")).block;
    record.macros[5] = MacroPacker::pack("fromMouse", parse("1\n0x06 1 0\n10ms\n0x06 1 1\n")).block;
    record.buttons[5].bytes[2] = 254;
    QSignalSpy rebuilt(PostMsg::instance(), &PostMsg::SigAddMacroButton);
    m_page->SlotButtonToMacro(record, 2);
    m_page->SlotButtonToMacro(record, 5);
    m_page->SlotButtonToMacro(record, 5);
    QCOMPARE(rebuilt.size(), 1);
    QVERIFY(!QFile::exists(MacroNames::filePath("busy"))); // the open editor's save decides
    QCOMPARE(readFile(MacroNames::filePath("fromMouse")), parse("254\n0x06 1 0\n10ms\n0x06 1 1\n"));
    QCOMPARE(m_page->currentName(), QString("busy"));
    QCOMPARE(m_page->edited().items.size(), 1);
    QCOMPARE(child<QListWidget>("listWidgetHong")->count(), 2);
}

QTEST_MAIN(TestMacroPage)
#include "tst_macro_page.moc"
