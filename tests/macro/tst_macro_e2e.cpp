// Macros against the real device library and a virtual mouse, with the button page beside the macro
// page as in the program: a bound macro lands in the button's area of the flash, renames, edits and
// deletions follow it there, and a fresh program without the file gets the macro back from the mouse.
#include "app/core/PostMsg.h"
#include "app/notices/NoticeBase.h"
#include "app/notices/QuestionDialog.h"
#include "buttons/Buttoninterface.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "macro/Macro.h"
#include "macro/core/MacroNames.h"
#include "macro/core/MacroPacker.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace MacroFormat;

class TestMacroE2E : public QObject {
    Q_OBJECT
private slots:
    void boundMacroFollowsEditsAndComesBack();
};

void TestMacroE2E::boundMacroFollowsEditsAndComesBack() {
    VirtualMouseSetup::CableMouse z1;
    const QString failed = z1.start();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    const auto flashArea = [&](int i) {
        FlashDataMap flash;
        if (!z1.ReadFlash("z1", -1, reinterpret_cast<unsigned char*>(&flash)))
            return QByteArray();
        // The button's assignment, then its area at 1048 + 592·i.
        const QByteArray all(reinterpret_cast<const char*>(&flash), sizeof flash);
        return all.mid(165 + 3 * i, 3) + all.mid(1048 + 592 * i, 592);
    };
    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    QCOMPARE(found.size(), 1);
    SelectedDevice::set(found.first());
    QDir().mkpath(MacroNames::folder());
    QVERIFY(writeBytes(MacroNames::filePath("m1"), "3\n0x04 1 0\n10ms\n0x04 1 1\n"));

    QTimer answer; // every notice is answered with OK, a name question with "m2"
    connect(&answer, &QTimer::timeout, [] {
        if (auto* modal = qobject_cast<NoticeBase*>(QApplication::activeModalWidget())) {
            if (auto* ask = qobject_cast<QuestionDialog*>(modal))
                ask->lineEdit()->setText("m2");
            modal->on_NewHong_clicked();
        }
    });
    answer.start(10);

    for (int round = 0; round < 2; ++round) {
        VirtualMouseSetup::freshProgram();
        auto macro = std::make_unique<Macro>();
        auto buttons = std::make_unique<Buttoninterface>();
        buttons->show();
        auto worker = std::make_unique<Worker>();
        VirtualMouseSetup::run(*worker, found.first());
        QTRY_VERIFY_WITH_TIMEOUT(LinkFlags::ButtonFilled, 10000);
        if (round == 0) {
            // Key 3 is button index 2.
            QTest::mouseClick(buttons->key(3), Qt::LeftButton);
            QTest::mouseClick(buttons->findChild<QPushButton*>("DPI_10"), Qt::LeftButton);
            QPushButton* choice = buttons->findChild<QPushButton*>("pushButton 0");
            QVERIFY(choice && choice->text() == "m1");
            QTest::mouseClick(choice, Qt::LeftButton);
            const QByteArray bound =
                QByteArray("\x06\x02\x03", 3) +
                QByteArray(reinterpret_cast<const char*>(
                               MacroPacker::pack("m1", readFile(MacroNames::filePath("m1"))).block.bytes),
                           592);
            QTRY_COMPARE_WITH_TIMEOUT(flashArea(2), bound, 5000);
            QVERIFY(buttons->key(3)->text().endsWith("m1"));
            // Key 6 (button index 5) takes the same macro.
            QTest::mouseClick(buttons->key(6), Qt::LeftButton);
            QTest::mouseClick(buttons->findChild<QPushButton*>("DPI_10"), Qt::LeftButton);
            QTest::mouseClick(buttons->findChild<QPushButton*>("pushButton 0"), Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(flashArea(5).left(3), QByteArray("\x06\x05\x03", 3), 5000);

            // Rename: the area's name follows, the assignment stays.
            QVERIFY(macro->selectMacro("m1"));
            macro->RenameMacro();
            QTRY_COMPARE_WITH_TIMEOUT(flashArea(2).mid(3, 3), QByteArray("\x02m2", 3), 5000);
            QTRY_COMPARE_WITH_TIMEOUT(flashArea(5).mid(3, 3), QByteArray("\x02m2", 3), 5000);
            QCOMPARE(flashArea(2).left(3), QByteArray("\x06\x02\x03", 3));
            QVERIFY(buttons->key(3)->text().endsWith("m2"));

            // An edit saved on the macro page reaches the mouse 1.5 s later; a new count at once.
            QVERIFY(macro->selectMacro("m2"));
            macro->findChild<QComboBox*>("ChooseEvent")->activated(5); // right click appended
            QTest::mouseClick(macro->findChild<QPushButton*>("Save"), Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(int(uint8_t(flashArea(2).at(3 + 31))), 4, 5000);
            QCOMPARE(flashArea(2).mid(3 + 32 + 16, 4), QByteArray("\x00\x04\x02\x00", 4));
            QTRY_COMPARE_WITH_TIMEOUT(flashArea(5).mid(3), flashArea(2).mid(3), 5000); // both buttons
        } else {
            // The file was lost; the mouse's copy comes back as a file and shows in the editor.
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(MacroNames::filePath("m2")), 5000);
            QVERIFY(macro->selectMacro("m2"));
            QCOMPARE(serialise(macro->edited()),
                     QByteArray("3\n0x04 1 0\n10ms\n0x04 1 1\n0ms\n0x02 4 0\n10ms\n0x02 4 1\n10ms\n"));
            // Deleting the macro gives the button back a function of its own.
            macro->DeleteMacro();
            QTRY_COMPARE_WITH_TIMEOUT(flashArea(2).left(3), QByteArray("\x01\x01\x00", 3), 5000);
            QCOMPARE(flashArea(5).left(3), QByteArray("\x01\x01\x00", 3));
            QVERIFY(!buttons->key(3)->text().endsWith("m2"));
        }
        QVERIFY(worker->shutdown(3000));
        hid().UsbServer_Exit();
        QDir(MacroNames::folder()).removeRecursively();
    }
    PostMsg::resetShutdown();
}

QTEST_MAIN(TestMacroE2E)
#include "tst_macro_e2e.moc"
