// The firmware upgrade against the real device library: images written by the build's image tool, runs of
// one and two stages, a flash that fails half-way and its repair at the next start, refused and stalled
// flashes, and the receiver image chosen for each receiver class.
#include "app/DialogMain.h"
#include "app/core/AppPaths.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/upgrade/UpgradeWindows.h"
#include "device/DeviceSession.h"
#include "device/Discovery.h"
#include "device/FirmwareUpgrade.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
QString path(const char* name) {
    return QStringLiteral("/dev/zf-virtual/") + QLatin1String(name);
}

int receiverVersion(const char* name) {
    unsigned char attribute[HIDUSB_ATTRIBUTE_SIZE] = {};
    if (!hid().UsbFinderC_GetUsbDeviceAttribute(path(name).toLatin1().constData(), attribute))
        return -1;
    return attribute[8] | attribute[9] << 8;
}

DeviceAllInfo listed(const char* name) {
    for (const DeviceAllInfo& d : Discovery::enumerate(Discovery::Finder::Default))
        if (d.path == path(name))
            return d;
    return DeviceAllInfo();
}

QString updateText(const char* key) {
    const QString text =
        Language::text(QStringLiteral("update"), QLatin1String(key), Language::currentIndex());
    return text.isEmpty() ? QLatin1String(key) : text;
}
} // namespace

class TestUpgrade : public QObject {
    Q_OBJECT
    QTemporaryDir m_appDir, m_state, m_images;
    VirtualMouseSetup::Controls v;

    void writeImages(const QByteArray& description) {
        QFile f(m_images.path() + "/images.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(description);
        f.close();
        QDir(m_images.path() + "/bin").removeRecursively();
        QVERIFY(QDir().mkpath(m_images.path() + "/bin"));
        QCOMPARE(
            QProcess::execute(qEnvironmentVariable("ZF_FWIMAGE"), {f.fileName(), m_images.path() + "/bin"}),
            0);
    }

    // Runs `plan` to its end; the percents it showed go to `percents`.
    bool runToEnd(Upgrade::Run& run, const Upgrade::Plan& plan, QList<int>* percents = nullptr,
                  QString* warning = nullptr) {
        QSignalSpy finished(&run, &Upgrade::Run::finished);
        QSignalSpy progress(&run, &Upgrade::Run::progress);
        QSignalSpy warned(&run, &Upgrade::Run::warning);
        if (!run.start(plan))
            return false;
        if (!QTest::qWaitFor([&] { return finished.count() == 1; }, 15000))
            return false;
        if (percents)
            for (const auto& p : progress)
                percents->append(p.at(0).toInt());
        if (warning && !warned.isEmpty())
            *warning = warned.last().at(0).toString();
        return finished.at(0).at(0).toBool();
    }

    QByteArray log() {
        QFile f(Upgrade::logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_appDir.isValid() && m_state.isValid() && m_images.isValid());
        // One model per receiver class; the mouse of row 1 is on its cable, the others are wireless.
        IniStore& ini = VirtualMouseSetup::prepare(m_appDir, m_state,
                                                   "receiver r1 vid=373B pid=1002 address=A10001\n"
                                                   "receiver r2 vid=373B pid=2002 address=A10002\n"
                                                   "receiver r4 vid=373B pid=3002 address=A10004\n"
                                                   "receiver r8 vid=373B pid=3008 address=A10008\n"
                                                   "mouse m1 cid=05 mid=1F receiver=r1 link=cable\n"
                                                   "mouse m2 cid=05 mid=20 receiver=r2 link=receiver\n"
                                                   "mouse m3 cid=05 mid=21 receiver=r4 link=receiver\n"
                                                   "mouse m4 cid=05 mid=22 receiver=r8 link=receiver\n");
        ini.setValue("Option", "DeviceTotal", "4");
        ini.setValue("Option", "CID", "5");
        ini.setList("Option", "Wireless2_PID", {"2002"});
        ini.setList("Option", "Wireless4_PID", {"3002"});
        ini.setList("Option", "Wireless8_PID", {"3008"});
        const char* receiverKeys[] = {"DM", "D2M", "D4M", "D8M"};
        for (int row = 1; row <= 4; ++row) {
            const QString group = "Drive" + QString::number(row);
            ini.setValue(group, "CID", "5");
            ini.setValue(group, "MID", QString::number(30 + row));
            ini.setValue(group, "MM", "M" + QString::number(row));
            ini.setValue(group, receiverKeys[row - 1], "M" + QString::number(row) + "R");
        }
        ini.sync();
        qputenv("ZF_FIRMWARE_DIR", QFile::encodeName(m_images.path() + "/bin"));
        writeImages("M1.bin mouse M1 05 1F 0106 16384\n"
                    "M1R.bin receiver M1R 05 1F 0103 8192\n"
                    "M2R.bin receiver M2R 05 20 0104 8192\n"
                    "M3R.bin receiver M3R 05 21 0105 8192\n"
                    "M4R.bin receiver M4R 05 22 0106 8192\n"
                    "Other.bin mouse M9 05 30 0106 4096\n");
        const QString failed = v.load();
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }

    void init() {
        // Factory devices, no failure record, an empty log.
        QDir(m_state.path() + "/state").removeRecursively();
        for (const QString& f : QDir(m_state.path()).entryList({"*.state", "*.bin"}, QDir::Files))
            QFile::remove(m_state.path() + "/" + f);
        QVERIFY(v.Reload());
        Upgrade::clearFailInfo();
        QFile::remove(Upgrade::logPath());
    }

    void cleanupTestCase() { hid().UsbServer_Exit(); }

    // Parsing what comes from files: headers, the failure record; the progress of two stages.
    void headerRecordAndProgress() {
        FirmwareImage::Header h;
        QByteArray image(856, '\0');
        QVERIFY(!FirmwareImage::parseHeader(image.left(855), h));
        image.replace(87, 70, QByteArray(70, 'N')); // no NUL inside the name field
        image[16] = char(0x0A);
        image[17] = char(0x02);
        QVERIFY(FirmwareImage::parseHeader(image, h));
        QCOMPARE(h.name, QString(64, 'N'));
        QCOMPARE(FirmwareImage::versionText(h.version), QStringLiteral("2.0A"));

        Upgrade::FailInfo info;
        QVERIFY(Upgrade::parseFailInfo("210, 4,5,31", info));
        QCOMPARE(info.type, 210);
        QCOMPARE(info.receiverClass, 4);
        for (const char* bad : {"", "211,1,5", "211,1,5,31,0", "211,1,x,31", "211,1,5,256", "211,-1,5,31"})
            QVERIFY2(!Upgrade::parseFailInfo(bad, info), bad);

        QCOMPARE(Upgrade::overallPercent(80, 1, false), 80);
        QCOMPARE(Upgrade::overallPercent(80, 2, false), 40);
        QCOMPARE(Upgrade::overallPercent(80, 2, true), 90);
        QCOMPARE(Upgrade::overallPercent(250, 2, true), 100);
    }

    void repairCheckFindings() {
        const auto device = [](uint8_t mid, bool wired) {
            DeviceAllInfo d;
            d.cid = 5;
            d.mid = mid;
            d.wired = wired;
            d.kind = wired ? 2 : 0;
            return d;
        };
        const Upgrade::FailInfo mouse{211, 1, 5, 31}, receiver{210, 1, 5, 31};
        QCOMPARE(Upgrade::checkRepair(mouse, {}).problem, QStringLiteral("NoUSB"));
        QCOMPARE(Upgrade::checkRepair(receiver, {}).problem, QStringLiteral("NoRecieve"));
        QCOMPARE(Upgrade::checkRepair({7, 1, 5, 31}, {}).problem, QStringLiteral("NotDevice"));
        QCOMPARE(Upgrade::checkRepair(mouse, {device(31, true), device(32, true)}).problem,
                 QStringLiteral("MultiMouse"));
        QCOMPARE(Upgrade::checkRepair(receiver, {device(32, true), device(31, false)}).problem,
                 QStringLiteral("MultiMouse"));
        QCOMPARE(Upgrade::checkRepair(mouse, {device(31, true), device(32, false)}).problem,
                 QStringLiteral("MultiDongle"));
        QCOMPARE(Upgrade::checkRepair(mouse, {device(31, false)}).problem, QStringLiteral("NoUSB"));
        const Upgrade::RepairCheck ok = Upgrade::checkRepair(mouse, {device(31, true), device(31, false)});
        QVERIFY(ok.needed && ok.problem.isEmpty());
        QVERIFY(ok.plan.mouseStage && ok.plan.receiverStage);
        QCOMPARE(ok.plan.mouseName, QStringLiteral("M1"));
        QCOMPARE(ok.plan.receiverName, QStringLiteral("M1R"));
        const Upgrade::RepairCheck r = Upgrade::checkRepair(receiver, {device(31, false)});
        QVERIFY(r.problem.isEmpty() && !r.plan.mouseStage && r.plan.receiverStage);
    }

    // The mouse stage fails half-way: the record says so and the log keeps what came before; at the next
    // start the repair window finds the mouse and repairs both stages on one bar from 0 to 100, and the
    // record is gone.
    void failureThenRepair() {
        for (const char* other : {"r2", "r4", "r8"})
            QVERIFY(v.Plug(other, 0));
        Upgrade::log("earlier run");
        QVERIFY(v.FailNextUpgrade(40));
        Upgrade::Run run;
        run.setCheckInterval(20);
        QList<int> percents;
        Upgrade::Plan plan =
            Upgrade::planFor(listed("m1"), Discovery::enumerate(Discovery::Finder::Default), true, true);
        QCOMPARE(plan.receiverClass, 1);
        QVERIFY(!runToEnd(run, plan, &percents));
        QVERIFY(!percents.isEmpty() && percents.last() < 25);
        QCOMPARE(v.MouseVersion("m1"), 0x0105);
        QCOMPARE(RegistryValue(), QStringLiteral("211,1,5,31"));
        QVERIFY(log().contains("earlier run") && log().contains("stage 211: failed"));

        // The next start: the home window offers the repair by itself; the window is driven from inside
        // its own modal loop and closed once the hub has announced the end.
        PostMsg* hub = PostMsg::instance();
        QSignalSpy ended(hub, &PostMsg::SigAutoRepair), percents2(hub, &PostMsg::SigAutoRepairProgress),
            button(hub, &PostMsg::SigUpDateButton), shown(hub, &PostMsg::SigProgress);
        QString ready, done, problem = "none";
        bool secondStart = true, closedWhileFlashing = true;
        int percent = -1;
        QTimer drive;
        connect(&drive, &QTimer::timeout, this, [&] {
            auto* repair = qobject_cast<UpDateRepair*>(QApplication::activeModalWidget());
            if (!repair)
                return;
            if (ready.isEmpty()) {
                problem = repair->check().problem;
                ready = repair->text();
                repair->run()->setCheckInterval(20);
                repair->startRun();
                secondStart = repair->startRun(); // a second click while it runs
                repair->reject();                 // refused while flashing
                closedWhileFlashing = !repair->isVisible();
            } else if (!ended.isEmpty()) {
                done = repair->text();
                percent = repair->percent();
                repair->reject();
            }
        });
        drive.start(20);
        DialogMain next;
        next.offerRepair();
        QTRY_VERIFY_WITH_TIMEOUT(!done.isEmpty(), 15000);
        QCOMPARE(problem, QString());
        QCOMPARE(ready, updateText("ReadyUpdate"));
        QVERIFY(!secondStart && !closedWhileFlashing);
        QCOMPARE(done, updateText("DialogUpgradeSuccess"));
        QCOMPARE(percent, 100);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0).at(0).toInt(), 0);
        QList<int> bar;
        for (const auto& p : percents2)
            bar << p.at(0).toInt();
        QVERIFY(std::is_sorted(bar.begin(), bar.end()) && bar.contains(50) && bar.last() == 100);
        QVERIFY(log().contains("stage 211: done") && log().contains("stage 210: done"));
        QCOMPARE(button.count(), 1);
        QVERIFY(button.at(0).at(0).toBool());
        QCOMPARE(shown.last(), QList<QVariant>({0, 2}));
        QCOMPARE(v.MouseVersion("m1"), 0x0106);
        QCOMPARE(receiverVersion("r1"), 0x0103);
        QVERIFY(RegistryValue().isEmpty());

        // Nothing left to repair: no window at the next start, and one opened by hand says so.
        ready.clear();
        next.offerRepair();
        QTest::qWait(100);
        QVERIFY(ready.isEmpty());
        drive.stop();
        UpDateRepair byHand;
        QVERIFY(!byHand.check().needed);
        QCOMPARE(byHand.text(), updateText("NoRepair"));
        QVERIFY(!byHand.startRun());
    }

    // What the boot loader cannot take is never flashed: no device for the header, a corrupt payload, a
    // flash that stops answering.
    void refusedCorruptAndStalledFlashes() {
        Upgrade::Run run;
        run.setCheckInterval(20);
        Upgrade::Plan foreign;
        foreign.cid = 5;
        foreign.mid = 0x30;
        foreign.mouseName = "M9";
        foreign.mouseStage = true;
        QString warning;
        QVERIFY(!runToEnd(run, foreign, nullptr, &warning));
        QCOMPARE(warning, QStringLiteral("NotDevice"));
        QVERIFY(RegistryValue().isEmpty()); // nothing was touched

        Upgrade::Plan plan = Upgrade::planFor(listed("m1"), {listed("m1")}, true, false);
        plan.mouseName = "M0";
        QVERIFY(!runToEnd(run, plan, nullptr, &warning));
        QCOMPARE(warning, QStringLiteral("ErrorFile"));
        QVERIFY(RegistryValue().isEmpty()); // no image is a failure, not a success

        plan.mouseName = "M1";
        QFile image(m_images.path() + "/bin/M1.bin");
        QVERIFY(image.open(QIODevice::ReadWrite));
        QByteArray bytes = image.readAll();
        const QByteArray good = bytes;
        bytes[5000] = char(bytes[5000] ^ 1);
        image.seek(0);
        image.write(bytes);
        image.close();
        QVERIFY(!runToEnd(run, plan));
        QCOMPARE(v.MouseVersion("m1"), 0x0105);
        QCOMPARE(RegistryValue(), QStringLiteral("211,0,5,31"));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write(good);
        image.close();

        QVERIFY(v.SetPacketTime(200000) == 1); // a packet every 0.2 s: the flash stalls against 150 ms
        run.setTimeouts(150, 60000);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!runToEnd(run, plan));
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(log().contains("given up"));
        QVERIFY(!LinkFlags::UpgradeIdle);           // the library still flashes
        QVERIFY(v.SetLink("m1", HIDVIRT_LINK_OFF)); // ends the library's flash
        QTRY_VERIFY_WITH_TIMEOUT(LinkFlags::UpgradeIdle, 5000);
        QVERIFY(v.SetPacketTime(-1) == 1);
        QVERIFY(v.SetLink("m1", HIDVIRT_LINK_CABLE));
    }

    // Each receiver class takes the image its key names ("DM", "D2M", "D4M", "D8M").
    void receiverImagePerClass() {
        const struct {
            const char* receiver;
            int receiverClass;
            const char* image;
            int version;
        } cases[] = {{"r1", 1, "M1R", 0x0103},
                     {"r2", 2, "M2R", 0x0104},
                     {"r4", 4, "M3R", 0x0105},
                     {"r8", 8, "M4R", 0x0106}};
        for (const auto& c : cases) {
            const DeviceAllInfo receiver = listed(c.receiver);
            QVERIFY2(!receiver.path.isEmpty(), c.receiver);
            const Upgrade::Plan plan = Upgrade::planFor(receiver, {receiver}, false, true);
            QCOMPARE(plan.receiverClass, c.receiverClass);
            QCOMPARE(plan.receiverName, QLatin1String(c.image));
            Upgrade::Run run;
            run.setCheckInterval(20);
            QVERIFY2(runToEnd(run, plan), c.receiver);
            QCOMPARE(receiverVersion(c.receiver), c.version);
        }
        // The faster classes are asked for their mouse's version first; class 1 is not.
        QCOMPARE(log().count("stage 210: slave version v1.05"), 3);
    }

    // A library stuck in one of the upgrade's calls fails the run within that call's wait, with the
    // window's failure text, while the event loop keeps turning; the record is left only when the flash may
    // have begun. The start is hung after the boot-device count, on its own turn of the event loop.
    void hungLibraryFailsTheRun() {
        decltype(&HidVirt_Hang) hang = nullptr;
        QVERIFY(VirtualMouseSetup::bind(v.library, hang, "HidVirt_Hang"));
        const int wait = DeviceSession::kAnswerWaitMs;
        const struct {
            const char* name;
            const char* device;
            bool mouse;
            bool atStart;
            const char* record;
        } cases[] = {{"slave version", "r2", false, false, ""},
                     {"boot device count", "m1", true, false, ""},
                     {"flash start", "m1", true, true, "211,0,5,31"}};
        qint64 longestStall = 0;
        QElapsedTimer sinceTick;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this,
                [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
        ticker.start(10);
        for (const auto& c : cases) {
            QTRY_VERIFY_WITH_TIMEOUT(!DeviceSession::libraryStuck(), 10000);
            Upgrade::clearFailInfo();
            const DeviceAllInfo device = listed(c.device);
            Progress window(Upgrade::planFor(device, {device}, c.mouse, !c.mouse));
            window.run()->setCheckInterval(20);
            QSignalSpy finished(window.run(), &Upgrade::Run::finished);
            if (!c.atStart)
                QVERIFY(hang(wait + 800));
            QCoreApplication::processEvents();
            longestStall = 0;
            sinceTick.start();
            QElapsedTimer took;
            took.start();
            QVERIFY(window.startRun());
            if (c.atStart) {
                QCOMPARE(window.run()->stage(), 2);
                QVERIFY(hang(wait + 800));
                took.restart();
            }
            QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 5000);
            QVERIFY2(took.elapsed() <= wait + 300,
                     qPrintable(QStringLiteral("%1: %2 ms").arg(c.name).arg(took.elapsed())));
            QVERIFY2(longestStall <= wait + 300,
                     qPrintable(QStringLiteral("%1: stall %2 ms").arg(c.name).arg(longestStall)));
            QCOMPARE(finished.at(0).at(0).toBool(), false);
            QCOMPARE(window.text(), updateText("Error"));
            QVERIFY(!window.busy());
            // A start given up on may still be flashing: not idle until the library says it is over.
            QCOMPARE(bool(LinkFlags::UpgradeIdle), !c.atStart);
            QCOMPARE(RegistryValue(), QLatin1String(c.record));
        }
        // The start given up on went on inside the library, from the image it was lent.
        QTRY_VERIFY_WITH_TIMEOUT(LinkFlags::UpgradeIdle, 10000);
        QCOMPARE(v.MouseVersion("m1"), 0x0106);
    }

    // After a start given up on, the link keeps off the device until the library reports the flash's end
    // (here a failure); a flash that never reports is over at the limit, and its late end changes nothing.
    // Meanwhile the worker neither checks nor restarts, and the window offers no new start.
    void givenUpFlashHoldsTheLinkUntilItsEnd() {
        decltype(&HidVirt_Hang) hang = nullptr;
        QVERIFY(VirtualMouseSetup::bind(v.library, hang, "HidVirt_Hang"));
        const int wait = DeviceSession::kAnswerWaitMs;
        const DeviceAllInfo mouse = listed("m1");
        const Upgrade::Plan plan = Upgrade::planFor(mouse, {mouse}, true, false);
        LinkFlags::resetAll();
        Worker worker;
        worker.SlotSelectMouseInfo(mouse);
        LinkFlags::DevicePagesActive = true;
        QSignalSpy closed(PostMsg::instance(), &PostMsg::SigCloseOffOnline);
        const struct {
            const char* name;
            int failAt;  // -1: the flash finishes
            int hangMs;  // how long the start stays inside the library
            int limitMs; // the flash's limit
        } cases[] = {{"fails", 90, wait + 500, Upgrade::kFlashLimitMs}, // one that finishes: above
                     {"never reports", -1, wait + 2000, wait + 1000}};
        for (const auto& c : cases) {
            QTRY_VERIFY_WITH_TIMEOUT(!DeviceSession::libraryStuck(), 10000);
            if (c.failAt >= 0)
                QVERIFY(v.FailNextUpgrade(c.failAt));
            QVERIFY(v.SetPacketTime(5000) == 1); // 1.3 s of flash once the start gets through
            Upgrade::setFlashLimit(c.limitMs);
            Progress window(plan);
            window.run()->setCheckInterval(20);
            QSignalSpy finished(window.run(), &Upgrade::Run::finished);
            QVERIFY(window.startRun());
            QVERIFY(hang(c.hangMs));
            QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 5000);
            QVERIFY2(!LinkFlags::UpgradeIdle && Upgrade::libraryFlashing(), c.name);
            QCOMPARE(RegistryValue(), QStringLiteral("211,0,5,31")); // the repair is offered as before
            QCOMPARE(window.text(), updateText("Error"));
            // No second flash into it: the window offers none until the first is over.
            Progress second(plan);
            auto* start = window.findChild<QToolButton*>("UpgradeStart");
            auto* secondStart = second.findChild<QToolButton*>("UpgradeStart");
            QVERIFY(start && !start->isEnabled() && !window.startRun());
            QVERIFY(secondStart && !secondStart->isEnabled() && !second.startRun());

            // The mouse waited for, a reconnection and a run asked for, meanwhile: none reaches the device.
            LinkFlags::WaitingForOnline = true;
            LinkFlags::DeviceOnline = true;
            LinkFlags::RestartRequested = true;
            worker.requestRun();
            QVERIFY(!worker.isRunning());
            if (c.failAt >= 0) {
                QTest::qWait(c.hangMs - wait + 200); // the start is through: the mouse would answer now
                worker.SlotCheckOnline();
                QVERIFY2(closed.isEmpty() && LinkFlags::WaitingForOnline && !worker.isRunning(), c.name);
            }
            QTRY_VERIFY_WITH_TIMEOUT(LinkFlags::UpgradeIdle, 10000);
            QVERIFY(!Upgrade::libraryFlashing());
            QTRY_VERIFY(start->isEnabled() && secondStart->isEnabled());
            // Over by the limit while the start is still inside the library, or by the library's own end.
            QCOMPARE(DeviceSession::libraryStuck(), c.failAt < 0);
            QTRY_COMPARE_WITH_TIMEOUT(v.MouseVersion("m1"), c.failAt < 0 ? 0x0106 : 0x0105, 10000);
            QTest::qWait(100); // a late end report, had it been taken for the run's
            QCOMPARE(finished.count(), 1);
            QCOMPARE(RegistryValue(), QStringLiteral("211,0,5,31"));

            // Over: the online check talks to the mouse again and the run asked for starts.
            worker.SlotCheckOnline();
            QTRY_VERIFY_WITH_TIMEOUT((worker.SlotCheckOnline(), !closed.isEmpty()), 5000);
            QTRY_VERIFY_WITH_TIMEOUT(!LinkFlags::RunRequested && !worker.isRunning(), 5000);
            closed.clear();
        }
        QVERIFY(v.SetPacketTime(-1) == 1);
        Upgrade::setFlashLimit(Upgrade::kFlashLimitMs);
        QVERIFY(worker.shutdown(3000));
        LinkFlags::resetAll();
    }

private:
    static QString RegistryValue() {
        Upgrade::FailInfo info;
        if (!Upgrade::readFailInfo(info))
            return QString();
        return QStringLiteral("%1,%2,%3,%4")
            .arg(info.type)
            .arg(info.receiverClass)
            .arg(info.cid)
            .arg(info.mid);
    }
};

QTEST_MAIN(TestUpgrade)
#include "tst_upgrade.moc"
