// The button page against the real device library and a virtual mouse: what the page assigns lands in
// the mouse's flash, and a fresh program shows the same labels.
#include "app/core/PostMsg.h"
#include "buttons/Buttoninterface.h"
#include "buttons/KeySequence.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace Buttons;

class TestButtonsE2E : public QObject {
    Q_OBJECT
private slots:
    void assignmentsReachTheFlashAndComeBack();
};

void TestButtonsE2E::assignmentsReachTheFlashAndComeBack() {
    VirtualMouseSetup::CableMouse z1;
    const QString failed = z1.start();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    QCOMPARE(found.size(), 1);
    SelectedDevice::set(found.first());
    // A fresh mouse holds the factory buttons the page restores (key 1 left click, not "Disabled").
    FlashDataMap fresh;
    QVERIFY(z1.ReadFlash("z1", -1, reinterpret_cast<unsigned char*>(&fresh)));
    for (int i = 0; i < 16; ++i)
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(fresh.buttons[i].bytes), 2),
                 QByteArray(reinterpret_cast<const char*>(DefaultAssignments()[i].assignment().bytes), 2));

    QStringList labels;
    for (int round = 0; round < 2; ++round) {
        VirtualMouseSetup::freshProgram();
        auto page = std::make_unique<Buttoninterface>();
        page->show();
        auto worker = std::make_unique<Worker>();
        VirtualMouseSetup::run(*worker, found.first());
        QTRY_VERIFY_WITH_TIMEOUT(LinkFlags::ButtonFilled, 10000);
        if (round == 0) {
            const auto pick = [&](int key, const char* group, const char* choice) {
                QTest::mouseClick(page->key(key), Qt::LeftButton);
                if (group)
                    QTest::mouseClick(page->findChild<QPushButton*>(group), Qt::LeftButton);
                QTest::mouseClick(page->findChild<QPushButton*>(choice), Qt::LeftButton);
            };
            pick(3, "VolumeUp_3", "VolumeDown_14"); // wheel down on index 2
            pick(5, "DPI_9", "Mute");               // multimedia on index 3
            pick(6, nullptr, "DPI_3");              // profile switch on index 5
            FlashDataMap flash;
            QTRY_VERIFY_WITH_TIMEOUT(z1.ReadFlash("z1", -1, reinterpret_cast<unsigned char*>(&flash)) &&
                                         flash.buttons[5].bytes[0] == 9,
                                     5000);
            const QByteArray bytes(reinterpret_cast<const char*>(&flash), sizeof flash);
            QCOMPARE(bytes.mid(165 + 3 * 2, 3), QByteArray("\x0b\x02\x00", 3));
            QCOMPARE(bytes.mid(165 + 3 * 3, 1), QByteArray("\x05"));
            QCOMPARE(BlockConsumerCode(flash.keyBlocks[3]),
                     std::optional<uint16_t>(ConsumerFunctionTable()[4].code));
        }
        QStringList shown;
        for (int k = 1; k <= 8; ++k)
            shown << page->key(k)->text();
        if (round == 0)
            labels = shown;
        else
            QCOMPARE(shown, labels);
        QVERIFY(worker->shutdown(3000));
        hid().UsbServer_Exit();
    }
    QCOMPARE(labels.at(2), FunctionText("B-2"));
    PostMsg::resetShutdown();
}

QTEST_MAIN(TestButtonsE2E)
#include "tst_buttons_e2e.moc"
