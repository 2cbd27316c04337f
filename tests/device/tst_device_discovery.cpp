#include "app/DialogChange.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/ui/PixelFile.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/Discovery.h"
#include "device/FirmwareImage.h"
#include "device/FirmwareUpgrade.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "tests/common/StandInHid.h"

#include <QComboBox>
#include <QLayout>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using FakeHid::addDevice;
using FakeHid::set;
using FakeHid::value;

class TestDeviceDiscovery : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void identification_data();
    void identification();
    void hugeDeviceTotalBoundedByTheRows();
    void shippedTableRows();
    void badRows();
    void chooserListsAllPagesOnlyTheModel();
    void listPagesAndSelects();
    void listOutlivesAStuckLibrary();
    void languageBoxFillsFollowsAndChooses();
    void listBackgroundFromPixelsElsePng();
    void selectionLooksForAMouseImage();

private:
    QTemporaryDir m_appDir;
};

void TestDeviceDiscovery::initTestCase() {
    QVERIFY(m_appDir.isValid());
    qputenv("ZF_APP_DIR", m_appDir.path().toLocal8Bit());
    ConfigIniStore::resetForTests();
    IniStore& ini = ConfigIniStore::instance();
    ini.setValue("Option", "DeviceTotal", "2");
    ini.setList("Option", "VID", {"373B"});
    ini.setList("Option", "USB_PID", {"1001", "2001"});
    ini.setList("Option", "Wireless_PID", {"1002", "1001"});
    ini.setList("Option", "Wireless2_PID", {"2002"});
    ini.setList("Option", "Wireless4_PID", {});
    ini.setList("Option", "Wireless8_PID", {"2002", "3008"});
    ini.setValue("Drive1", "CID", "5");
    ini.setValue("Drive1", "MID", "31");
    ini.setValue("Drive1", "DisOnLine", "1");
    ini.setValue("Drive2", "CID", "5");
    ini.setValue("Drive2", "MID", "32");
    ini.setValue("Drive2", "DisOnLine", "2");
    ini.sync();

    QVERIFY2(FakeHid::load(), qPrintable(HidLibrary::errorText()));
}

void TestDeviceDiscovery::init() {
    QApplication::setLayoutDirection(Qt::LeftToRight);
    LinkFlags::resetAll();
    PostMsg::resetShutdown();
    FakeHid::fn<void (*)()>("fake_clearDevices")();
    SelectedDevice::set(DeviceAllInfo());
}

void TestDeviceDiscovery::identification_data() {
    QTest::addColumn<int>("cid");
    QTest::addColumn<int>("mid");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("wired");
    QTest::addColumn<int>("silentTries");
    QTest::addColumn<QString>("picture"); // when online; "DisOnLine…" when not
    // Kinds 0x01 and 0x04 are receivers (a kind with both bits is one too), 0x02 and 0x08 cables.
    QTest::newRow("receiver 0x01") << 5 << 31 << 0x01 << 1 << 0 << false << 0 << "OnLine1.png";
    QTest::newRow("receiver 0x04") << 5 << 32 << 0x04 << 1 << 1 << false << 0 << "OnLine2.png";
    QTest::newRow("wired 0x02") << 5 << 31 << 0x02 << 1 << 0 << true << 0 << "OnLine1.png";
    QTest::newRow("wired 0x08") << 5 << 32 << 0x08 << 1 << 1 << true << 0 << "OnLine2.png";
    QTest::newRow("CID known, MID not") << 5 << 99 << 0x02 << 2 << 2 << true << 0 << "Unknow.png";
    QTest::newRow("unknown CID") << 9 << 31 << 0x00 << 3 << 2 << false << 0 << "Unknow.png";
    QTest::newRow("answers on the tenth try") << 5 << 31 << 0x02 << 1 << 0 << true << 9 << "OnLine1.png";
    QTest::newRow("silent for ten tries") << 5 << 31 << 0x02 << 0 << 2 << false << 10 << "Unknow.png";
}

void TestDeviceDiscovery::identification() {
    QFETCH(int, cid);
    QFETCH(int, mid);
    QFETCH(int, kind);
    QFETCH(int, silentTries);
    addDevice("1001", "/fake/a", cid, mid, kind, 1, silentTries);
    DeviceAllInfo info;
    info.path = "/fake/a";
    QTEST(Discovery::identify(info), "result");
    QTEST(int(info.row), "row");
    QTEST(info.wired != 0, "wired");
    QFETCH(QString, picture);
    QCOMPARE(Discovery::pictureName(info, true), picture);
    QCOMPARE(Discovery::pictureName(info, false), picture.startsWith("On") ? "Dis" + picture : picture);
}

void TestDeviceDiscovery::hugeDeviceTotalBoundedByTheRows() {
    QCOMPARE(Discovery::mergedPidList(), (QStringList{"1001", "2001", "1002", "2002", "3008"}));
    // Two rows exist: an unknown MID is told after walking those two, not two billion empty ones.
    ConfigIniStore::instance().setValue("Option", "DeviceTotal", "2000000000");
    addDevice("1001", "/fake/a", 5, 99, 2);
    DeviceAllInfo info;
    info.path = "/fake/a";
    const int result = Discovery::identify(info);
    ConfigIniStore::instance().setValue("Option", "DeviceTotal", "2");
    QVERIFY(result == 2 && info.row == 2 && Discovery::deviceTotal() == 2);
}

namespace {
// The readable source of the shipped table; the build encodes it, the store reads either alike.
IniStore shippedTable() {
    return IniStore(qEnvironmentVariable("ZF_SOURCE_DIR") + "/resources/usersetting/Config.source.ini",
                    "UTF-8", false);
}
} // namespace

void TestDeviceDiscovery::shippedTableRows() {
    const IniStore store = shippedTable();
    const DeviceTable table = DeviceTable::load(store);
    QVERIFY(table.size() >= 8 && table.size() == store.intValue("Option", "DeviceTotal"));
    QCOMPARE(table.rows().size(), table.size());
    QSet<int> ids;
    for (const ModelRow& row : table.rows()) {
        const QString where = ModelRow::group(row.index) + ": " + row.problems.join("; ");
        QVERIFY2(row.valid() && row.problems.isEmpty(), qPrintable(where));
        QVERIFY2(!ids.contains(row.cid << 8 | row.mid), qPrintable(where + " repeats an id"));
        ids << (row.cid << 8 | row.mid);
        QCOMPARE(table.find(row.cid, row.mid), row.index);
        QVERIFY(!row.dpiRanges.isEmpty() && row.dpiMaxGrade >= 1 && !row.mouseImage.isEmpty());
        QVERIFY(row.dpiMin == row.lowestDpi() && row.dpiMax == row.highestDpi());
        QVERIFY(row.dpiGrade.size() == ModelRow::kMaxLevels &&
                row.dpiColor.size() == 3 * ModelRow::kMaxLevels);
    }
    // One row in full, as the pages and the worker read it.
    const ModelRow z1 = table.at(0);
    QVERIFY(z1.sensor == "3395" && z1.dpiRanges[1].min == 10100 && z1.rangeMode == 0x22);
    QVERIFY(z1.dpiInRange(10000) && !z1.dpiInRange(10050) && !z1.dpiInRange(26001));
    QVERIFY(z1.receiverImage(8) == "Z1R8" && z1.receiverImage(3).isEmpty());
    QVERIFY(!DeviceTable::row(store, table.size()).present);
}

void TestDeviceDiscovery::badRows() {
    QTemporaryDir dir;
    QFile file(dir.path() + "/Config.ini");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Option]\nDeviceTotal=9\n"
               "[Drive1]\nCID=5\nMID=31\nSensor=3395\nDisOnLine=1\nDPIMaxGrade=8\nDPIMin=50\nDPIMax=20000\n"
               "DPIRange=50,10000,50,10100,20000,100,0,7\nKeyParam2=0X05,1\nAdveanced=1\n"
               "[Drive2]\nCID=5\nMID=abc\nDisOnLine=x\nDPIMaxGrade=9\nDPIRange=100,50,0,40,60,10,zz\n"
               "KeyParam3=Left\nAdveanced=on,0x10\n"
               "[Drive4]\nCID=300\nMID=1\nSensor=3395\nDPIRange=50\n"
               "[Drive20]\nCID=5\nMID=40\n");
    file.close();
    const IniStore store(file.fileName(), "UTF-8", false);
    // "DeviceTotal" bounds the table from above, the groups that exist from below of it.
    QCOMPARE(DeviceTable::rowCount(store), 9);
    const DeviceTable table = DeviceTable::load(store);
    QCOMPARE(table.size(), 9);
    QCOMPARE(table.find(5, 40), -1);  // Drive20 lies beyond the total
    QCOMPARE(table.rows().size(), 3); // Drive3 is missing

    const ModelRow good = table.at(0);
    QVERIFY2(good.problems.isEmpty(), qPrintable(good.problems.join("; ")));
    // Eight items: two ranges, the eighth is the mode and the seventh unused.
    QVERIFY(good.dpiRanges.size() == 2 && good.rangeMode == 7);
    QVERIFY(good.keyIsSequence(2) && !good.keyIsSequence(1) && good.keyParam(17).isEmpty());
    QVERIFY(good.longRangeChoice() == 1 && good.receiverRgbValue() == -1);

    const ModelRow bad = table.at(1);
    QVERIFY(bad.present && !bad.valid());
    QCOMPARE(bad.listPicture(true), QStringLiteral("Unknow.png"));
    QVERIFY(bad.receiverRgbValue() == 16 && bad.longRangeChoice() == -1);
    const QString problems = bad.problems.join("\n");
    for (const char* expected : {"\"MID\"", "\"DisOnLine\"", "\"DPIMaxGrade\"", "range 1 is not",
                                 "range 2 overlaps", "mode is not", "\"KeyParam3\"", "\"Sensor\""})
        QVERIFY2(problems.contains(QLatin1String(expected)), qPrintable(expected + (": " + problems)));

    QVERIFY(!table.at(2).present && !table.at(2).valid()); // Drive3 is missing
    QVERIFY(DeviceTable::row(store, 2).problems.join("").contains("\"Drive3\""));
    QVERIFY(!table.at(3).valid() && table.at(3).dpiRanges.isEmpty()); // CID 300; a one-item range
    QVERIFY(table.hasCid(5) && !table.hasCid(44) && table.find(5, 31) == 0);

    // A far-off group stretches the count, not the work: only the groups present are parsed.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Option]\nDeviceTotal=2000000000\n[Drive1]\nCID=5\nMID=31\n[Drive99999999]\nCID=5\nMID=32\n");
    file.close();
    const DeviceTable sparse = DeviceTable::load(IniStore(file.fileName(), "UTF-8", false));
    QVERIFY(sparse.size() == 99999999 && sparse.rows().size() == 2 && !sparse.at(5).present);
    QCOMPARE(sparse.find(5, 32), 99999998);

    // The table is parsed once per store, and again after a write to it.
    QTemporaryFile other;
    QVERIFY(other.open());
    other.write("[Option]\nDeviceTotal=3\n[Drive1]\nCID=5\nMID=31\n");
    other.close();
    IniStore writable(other.fileName(), "UTF-8", false);
    QVERIFY(DeviceTable::rowCount(writable) == 1 && !DeviceTable::row(writable, 2).present);
    writable.setValue("Drive3", "CID", "7");
    writable.setValue("Drive3", "MID", "8");
    QVERIFY(DeviceTable::row(writable, 2).matches(7, 8) && DeviceTable::load(writable).find(7, 8) == 2);
    writable.setValue("Option", "DeviceTotal", "2");
    QVERIFY(DeviceTable::rowCount(writable) == 2 && !DeviceTable::row(writable, 2).present);
}

void TestDeviceDiscovery::chooserListsAllPagesOnlyTheModel() {
    addDevice("1001", "/fake/cable", 5, 31, 2);
    addDevice("1002", "/fake/dongle", 5, 31, 1, 1, 0, 0x0A0B0C);
    addDevice("2001", "/fake/other", 5, 32, 2, 0);
    addDevice("9999", "/fake/unlisted", 5, 31, 2);
    const QList<DeviceAllInfo> all = Discovery::enumerate(Discovery::Finder::Default);
    QCOMPARE(all.size(), 3);
    QCOMPARE(all.at(0).pid, QStringLiteral("1001"));
    QCOMPARE(all.at(0).firmware, QStringLiteral("v2.07"));

    // Finding order is PID-list order: cable 1001, cable 2001, receiver 1002.
    QCOMPARE(all.at(1).path, QStringLiteral("/fake/other"));
    DeviceAllInfo selected = all.at(2);
    selected.mouseVersion = "v1.05";
    SelectedDevice::set(selected);
    const QList<DeviceAllInfo> pages = Discovery::enumerate(Discovery::Finder::ByDeviceId);
    QCOMPARE(pages.size(), 2);
    for (const DeviceAllInfo& d : pages)
        QCOMPARE(int(d.mid), 31);
    // The selected device took its fresh entry, kept its version and got its address.
    const DeviceAllInfo now = SelectedDevice::get();
    QCOMPARE(now.mouseVersion, QStringLiteral("v1.05"));
    QCOMPARE(now.address, (QList<uint8_t>{0x0A, 0x0B, 0x0C}));
    QCOMPARE(int(now.online), 1);
}

void TestDeviceDiscovery::listPagesAndSelects() {
    addDevice("1001", "/fake/1", 5, 31, 2);
    addDevice("1002", "/fake/2", 5, 31, 1, 0);
    addDevice("2001", "/fake/3", 5, 32, 2);
    addDevice("2002", "/fake/4", 5, 32, 4);
    DialogChange dialog;
    Worker worker;
    dialog.setWorker(&worker);
    QCOMPARE(dialog.devices().size(), 0);
    dialog.startWatching(); // devices plugged in before the watch are listed at once
    const auto btn = [&](const char* name) { return dialog.findChild<QToolButton*>(name); };
    QVERIFY(dialog.devices().size() == 4 && dialog.pageCount() == 2 && btn("btn0") && !btn("btn3"));
    QCOMPARE(dialog.devices().at(1).path, QStringLiteral("/fake/2"));
    QVERIFY(!btn("btn1")->property("online").toBool() && btn("btn2")->property("online").toBool());
    // Right to left (a language switch with the list open) the cards run from the right and the left
    // arrow pages forward; the title bar stays beside the background's logo.
    QToolButton *left = btn("LeftButton"), *right = btn("RightButton");
    const QRect closeLtr = btn("CloseButton")->geometry();
    const auto firstCardLeftOfSecond = [&] {
        dialog.findChild<QWidget*>("widgetDevices")->layout()->activate();
        return btn("btn0")->x() < btn("btn1")->x();
    };
    QVERIFY(firstCardLeftOfSecond() && !left->isEnabled() && right->isEnabled());
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QVERIFY(!firstCardLeftOfSecond() && left->isEnabled() && !right->isEnabled());
    QCOMPARE(btn("CloseButton")->geometry(), closeLtr);
    left->click();
    QVERIFY(dialog.page() == 1 && !left->isEnabled() && right->isEnabled());
    QApplication::setLayoutDirection(Qt::LeftToRight);
    QVERIFY(btn("btn3") && !btn("btn0") && left->isEnabled() && !right->isEnabled());
    dialog.SlotPageRight(); // past the last page: stays
    QCOMPARE(dialog.page(), 1);

    QSignalSpy select(PostMsg::instance(), &PostMsg::SigSelectMouseInfo);
    QSignalSpy index(PostMsg::instance(), &PostMsg::SigMouseIndex);
    QSignalSpy frame(PostMsg::instance(), &PostMsg::SigChangeMainDialog);
    set("g_fakeStartCalls", 0);
    btn("btn3")->click();
    QCOMPARE(select.count(), 2);
    QCOMPARE(select.at(0).at(0).value<DeviceAllInfo>().path, QStringLiteral("/fake/4"));
    QCOMPARE(index, QList<QList<QVariant>>{{2}});
    QCOMPARE(frame, QList<QList<QVariant>>{{1}});
    QCOMPARE(SelectedDevice::path(), QStringLiteral("/fake/4"));
    // The pages count as active before the worker starts, so its run brings the device up.
    QTRY_COMPARE(value("g_fakeStartCalls"), 1);
    QVERIFY(worker.wait(5000));
    QVERIFY(LinkFlags::DeviceReady);

    QSignalSpy size(PostMsg::instance(), &PostMsg::SigChangeSize);
    btn("MinButton")->click();
    btn("CloseButton")->click();
    QCOMPARE(size, (QList<QList<QVariant>>{{2}, {3}}));

    // A second mouse of the same model on the same link: the list cannot tell them apart, takes no choice.
    addDevice("1001", "/fake/5", 5, 31, 2);
    dialog.SlotRefresh();
    QVERIFY(!btn("btn4")->isEnabled());
    dialog.SlotSelect(0);
    QCOMPARE(select.count(), 2);
}

// A library stuck in the scan holds the list at most the scan's wait: what it showed stays, offline, and
// it asks again by itself until the library answers (its return raises no USB change).
void TestDeviceDiscovery::listOutlivesAStuckLibrary() {
    addDevice("1001", "/fake/1", 5, 31, 2);
    DialogChange dialog;
    dialog.SlotRefresh();
    const auto online = [&] {
        auto* b = dialog.findChild<QToolButton*>("btn0");
        return b ? b->property("online").toBool() : false;
    };
    QVERIFY(dialog.devices().size() == 1 && online());
    set("g_fakeHangMs", DeviceSession::kScanWaitMs + 1500);
    QElapsedTimer took;
    took.start();
    dialog.SlotRefresh();
    QVERIFY2(took.elapsed() <= DeviceSession::kScanWaitMs + 300, qPrintable(QString::number(took.elapsed())));
    QVERIFY(dialog.devices().size() == 1 && !online());
    QTRY_VERIFY_WITH_TIMEOUT(online(), 10000);
}

void TestDeviceDiscovery::languageBoxFillsFollowsAndChooses() {
    Language::loadFrom(qEnvironmentVariable("ZF_SOURCE_DIR") + "/resources", {"English", "Russian"});
    Upgrade::writeFailInfo({211, 1, 5, 31}); // an unfinished upgrade: Repair is offered
    addDevice("1001", "/fake/1", 5, 31, 2);
    DialogChange list;
    list.SlotRefresh();
    QToolButton* card = list.findChild<QToolButton*>("btn0");
    auto* box = list.findChild<QComboBox*>("comboBox");
    auto* repair = list.findChild<QToolButton*>("RepairButton");
    QVERIFY(box && repair);
    PostMsg::instance()->SendAutoLan();
    QCOMPARE(box->count(), 2);
    QSignalSpy all(PostMsg::instance(), &PostMsg::SigAllLanguage);
    QSignalSpy other(PostMsg::instance(), &PostMsg::SigLanguageSameB);
    // Following the settings page's box selects without announcing anything.
    PostMsg::instance()->SendLanguageSameA(1);
    QVERIFY(box->currentIndex() == 1 && all.isEmpty());
    // A user's choice is stored and announced to every window and the other box.
    emit box->activated(0);
    QVERIFY(all.count() == 1 && all.at(0).at(0).toInt() == 0 && other.count() == 1);
    QCOMPARE(MacroIniStore::instance().value("Language", "Language"), QStringLiteral("0"));

    // A longer repair caption widens its button leftwards; the box moves along and never overlaps it.
    const QRect english = repair->geometry();
    emit box->activated(1);
    QCOMPARE(repair->text(), QStringLiteral("Восстановить"));
    // The cards keep their place and picture; only the caption follows.
    QCOMPARE(list.findChild<QToolButton*>("btn0"), card);
    QCOMPARE(card->text(), Language::text("home", "Online"));
    QVERIFY(card->text() != QStringLiteral("Online") && !card->text().isEmpty());
    QCOMPARE(repair->geometry().right(), english.right());
    QVERIFY(repair->width() >= repair->fontMetrics().horizontalAdvance(repair->text()) + 28);
    QCOMPARE(box->geometry().right() + 13, repair->x());
    emit box->activated(0);
    QCOMPARE(repair->geometry(), english);

    // Repair is offered only while an upgrade's failure record is kept, and the box takes its place
    // otherwise; a run's end updates the offer.
    QVERIFY(repair->isVisibleTo(&list));
    PostMsg::instance()->SendUpDateButton(true);
    QVERIFY(!repair->isVisibleTo(&list) && box->geometry().right() == english.right());
    PostMsg::instance()->SendUpDateButton(false);
    QVERIFY(repair->isVisibleTo(&list) && box->geometry().right() + 13 == repair->x());
    Upgrade::clearFailInfo();
    PostMsg::instance()->SendUpDateButton(false); // a run that failed before flashing records nothing
    QVERIFY(!repair->isVisibleTo(&list));
    Upgrade::writeFailInfo({210, 1, 5, 31});
    list.SlotRefresh(); // a record left by another run of the program
    QVERIFY(repair->isVisibleTo(&list));
    Upgrade::clearFailInfo();
}

// The background is drawn from the raw pixels beside the PNG, stretched over the list as the border image
// was; without them (or with a broken file) the style sheet names the PNG.
void TestDeviceDiscovery::listBackgroundFromPixelsElsePng() {
    QTemporaryDir dir;
    const QString png = dir.filePath("bg.png");
    QImage picture(12, 7, QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(200, 30, 60));
    QVERIFY(PixelFile::write(picture, PixelFile::besidePng(png)));
    DialogChange list;
    list.setBackground(png);
    QVERIFY(list.styleSheet().isEmpty());
    const QImage shown = list.grab().toImage();
    QCOMPARE(QColor(shown.pixel(list.width() / 2, list.height() - 5)), QColor(200, 30, 60));

    QFile::resize(PixelFile::besidePng(png), 20); // cut short
    list.setBackground(png);
    QCOMPARE(list.styleSheet(), "#DialogChange{border-image: url(" + png + ");}");
}

namespace {
// A firmware image of model CID 5 whose header carries the given type, MID, version and model name.
void writeImage(const QString& file, uint8_t type, uint8_t mid, uint16_t version, const QByteArray& name,
                int size = 900) {
    QByteArray image(900, '\0');
    const char header[] = {char(version), char(version >> 8), 0, 0, char(type), 5, char(mid)};
    image.replace(16, sizeof(header), header, sizeof(header));
    image.replace(87, name.size(), name);
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(image.left(size));
}
} // namespace

void TestDeviceDiscovery::selectionLooksForAMouseImage() {
    IniStore& ini = ConfigIniStore::instance();
    ini.setValue("Drive1", "MM", "ZF-M1");
    QTemporaryDir images; // never the application folder's shipped images
    qputenv("ZF_FIRMWARE_DIR", QFile::encodeName(images.path() + "/bin"));
    const QString bin = FirmwareImage::folder();
    QDir(bin).removeRecursively();
    addDevice("1001", "/fake/1", 5, 31, 2);
    DialogChange dialog;
    dialog.SlotRefresh();
    const QString firmware = dialog.devices().at(0).firmware;
    const uint16_t current = 0x0207; // the stand-in's v2.07
    QSignalSpy label(PostMsg::instance(), &PostMsg::SigLabelTextB);
    dialog.SlotSelect(0);
    QCOMPARE(label.count(), 0); // no "/bin": nothing to say

    QVERIFY(QDir().mkpath(bin));
    writeImage(bin + "/a.bin", FirmwareImage::kMouseImage, 31, current, "ZF-M1");     // same version
    writeImage(bin + "/b.bin", FirmwareImage::kReceiverImage, 31, 0x0200, "ZF-M1");   // receiver image
    writeImage(bin + "/c.bin", FirmwareImage::kMouseImage, 32, 0x0200, "ZF-M1");      // other model
    writeImage(bin + "/d.bin", FirmwareImage::kMouseImage, 31, 0x0200, "ZF-M1", 855); // cut short
    dialog.SlotSelect(0);
    QCOMPARE(label, (QList<QList<QVariant>>{{firmware, QString()}}));
    QVERIFY(!dialog.mouseImageAvailable());

    writeImage(bin + "/e.bin", FirmwareImage::kMouseImage, 31, uint16_t(current + 1), "ZF-M1");
    writeImage(bin + "/f.bin", FirmwareImage::kMouseImage, 31, 0x0107, "ZF-M2"); // other name
    dialog.SlotSelect(0);
    QCOMPARE(label.at(1), (QList<QVariant>{firmware, QStringLiteral("true")}));
    QVERIFY(dialog.mouseImageAvailable());
    QCOMPARE(FirmwareImage::find(FirmwareImage::kMouseImage, "ZF-M1", 5, 31, ""), bin + "/e.bin");
    QVERIFY(FirmwareImage::find(FirmwareImage::kMouseImage, "", 5, 31, firmware).isEmpty());
    QDir(bin).removeRecursively();
    qunsetenv("ZF_FIRMWARE_DIR");
}

QTEST_MAIN(TestDeviceDiscovery)
#include "tst_device_discovery.moc"
