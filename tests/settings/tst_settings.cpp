// The settings page: start with the session, the two language boxes, factory reset, long-range mode, the
// desktop's mouse panel, the web link, and the versions, markers and upgrade buttons against virtual
// devices and images made by the build's image tool.
#include "HIDUsbVirtual.h"
#include "app/FormSetting.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/notices/NoticeBase.h"
#include "device/DevicePagesLink.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "platform/Autostart.h"
#include "platform/MousePanel.h"
#include "tests/common/AllLanguages.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

namespace {
std::function<void(QDialog*)> g_onModal;
int g_modalRuns = 0;
void modalRunner(QDialog* window) {
    ++g_modalRuns;
    if (g_onModal)
        g_onModal(window);
}

QString path(const char* name) {
    return QStringLiteral("/dev/zf-virtual/") + QLatin1String(name);
}

DeviceAllInfo listed(const char* name) {
    for (const DeviceAllInfo& d : Discovery::enumerate(Discovery::Finder::Default))
        if (d.path == path(name))
            return d;
    return DeviceAllInfo();
}
} // namespace

class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestSettings : public QObject {
    Q_OBJECT
    QTemporaryDir m_appDir, m_state, m_images;
    VirtualMouseSetup::Controls v;

    template <typename T> T* child(FormSetting& page, const char* name) {
        return page.findChild<T*>(QLatin1String(name));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_appDir.isValid() && m_state.isValid() && m_images.isValid());
        IniStore& ini = VirtualMouseSetup::prepare(m_appDir, m_state,
                                                   "receiver r1 vid=373B pid=1002 address=A10001\n"
                                                   "mouse m1 cid=05 mid=1F receiver=r1 link=cable\n");
        ini.setValue("Option", "CID", "5");
        ini.setValue("Drive1", "MM", "M1");
        ini.setValue("Drive1", "DM", "M1R");
        ini.setValue("Option", "Website", "https://zentrafox.example/");
        ini.sync();
        AllLanguages::load(qEnvironmentVariable("ZF_BUILT_APP_DIR"));

        QFile description(m_images.path() + "/images.txt");
        QVERIFY(description.open(QIODevice::WriteOnly));
        description.write("M1.bin mouse M1 05 1F 0106 16384\nM1R.bin receiver M1R 05 1F 0103 8192\n");
        description.close();
        QVERIFY(QDir().mkpath(m_images.path() + "/bin"));
        QCOMPARE(QProcess::execute(qEnvironmentVariable("ZF_FWIMAGE"),
                                   {description.fileName(), m_images.path() + "/bin"}),
                 0);
        qputenv("ZF_FIRMWARE_DIR", QFile::encodeName(m_images.path() + "/bin"));

        const QString failed = v.load();
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        FormSetting::setModalRunner(&modalRunner);
    }

    void init() {
        g_onModal = nullptr;
        g_modalRuns = 0;
        QVERIFY(v.SetLink("m1", HIDVIRT_LINK_CABLE));
    }

    void cleanupTestCase() {
        PostMsg::beginShutdown();
        hid().UsbServer_Exit();
    }

    // The entry's Exec survives any path; the box, the INI value and the entry agree, also when the
    // entry cannot be written.
    void autostartEntry() {
        QCOMPARE(Autostart::execLine("/opt/zf/my \"app\" $HOME\\bin%"),
                 QStringLiteral("\"/opt/zf/my \\\\\"app\\\\\" \\\\$HOME\\\\\\\\bin%%\" --autostart"));
        QVERIFY(Autostart::execLine("/opt/a\nb").isEmpty());

        FormSetting page;
        auto* box = child<QCheckBox>(page, "checkBox");
        const auto stored = [] { return MacroIniStore::instance().value("AutoStart", "Enable"); };
        box->click();
        QVERIFY(box->isChecked() && Autostart::isEnabled());
        QCOMPARE(stored(), QStringLiteral("1"));
        QFile entry(Autostart::entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("Exec=\"" + QCoreApplication::applicationFilePath().toUtf8() +
                                         "\" --autostart"));
        entry.close();
        box->click();
        QVERIFY(!box->isChecked() && !Autostart::isEnabled());
        QCOMPARE(stored(), QStringLiteral("0"));

        // A file where the autostart folder should be: the entry cannot be written.
        const QString folder = QFileInfo(Autostart::entryPath()).absolutePath();
        QVERIFY(QDir(folder).removeRecursively());
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(stored(), QStringLiteral("0"));
        QCOMPARE(g_modalRuns, 1); // the failure was reported
        QVERIFY(QFile::remove(folder));
    }

    // Both boxes show the same language; choosing on this page tells the other box, following it emits
    // nothing; the page's texts switch.
    void languageBoxesInStep() {
        FormSetting page;
        page.SlotAutoLan();
        auto* box = child<QComboBox>(page, "comboBox");
        const int russian = Language::boxNames().indexOf("Russian") >= 0
                                ? Language::boxNames().indexOf("Russian")
                                : Language::boxNames().size() - 1;
        QSignalSpy same(PostMsg::instance(), &PostMsg::SigLanguageSameA);
        QSignalSpy all(PostMsg::instance(), &PostMsg::SigAllLanguage);
        box->setCurrentIndex(russian);
        page.on_comboBox_activated(russian);
        QCOMPARE(same.count(), 1);
        QCOMPARE(same.at(0).at(0).toInt(), russian);
        QCOMPARE(all.count(), 1);
        QCOMPARE(Language::code(), QStringLiteral("ru"));
        QCOMPARE(MacroIniStore::instance().value("Language", "Language"), QString::number(russian));
        QCOMPARE(child<QPushButton>(page, "Reset")->text(), Language::text("Settings", "Restore", russian));

        page.SlotLanguageSameB(0);
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(same.count(), 1);
        QCOMPARE(all.count(), 1);
        QCOMPARE(Language::code(), QStringLiteral("en"));
        Language::setCurrentIndex(0);
    }

    // Offline: the notice, no question. Online: the question; a yes starts the reset with its wait notice.
    void factoryResetSequence() {
        Worker worker;
        DevicePagesLink::setWorker(&worker);
        FormSetting page;
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        QSignalSpy touch(PostMsg::instance(), &PostMsg::SigTouchkey);
        QSignalSpy wait(PostMsg::instance(), &PostMsg::SigUpDataParam);
        SelectedDevice::set(listed("m1"));
        QVERIFY(v.SetLink("m1", HIDVIRT_LINK_OFF));
        page.on_Reset_clicked();
        QCOMPARE(offline.count(), 1);
        QCOMPARE(g_modalRuns, 0);
        QVERIFY(v.SetLink("m1", HIDVIRT_LINK_CABLE));

        page.on_Reset_clicked(); // answered "no"
        QCOMPARE(g_modalRuns, 1);
        QCOMPARE(touch.count(), 0);
        g_onModal = [](QDialog* d) { static_cast<NoticeBase*>(d)->on_NewHong_clicked(); };
        bool busyWhileWaiting = false; // the online check stays off until the wait is over
        connect(PostMsg::instance(), &PostMsg::SigUpDataParam, &page,
                [&] { busyWhileWaiting = LinkFlags::Busy; });
        page.on_Reset_clicked();
        QCOMPARE(touch.count(), 1);
        QCOMPARE(wait.count(), 1);
        QCOMPARE(wait.at(0).at(0).toInt(), 1);
        QVERIFY(busyWhileWaiting);
        QVERIFY(!LinkFlags::Restoring && !LinkFlags::Busy);
        QVERIFY(worker.shutdown());
        PostMsg::resetShutdown();
        DevicePagesLink::setWorker(nullptr);
    }

    // Before any device page, nothing; offline, the notice and the box back; online, the radio follows.
    void longRangeMode() {
        FormSetting page;
        auto* box = child<QCheckBox>(page, "checkBox_2");
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        LinkFlags::PageChanged = false;
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(offline.count(), 0);

        LinkFlags::PageChanged = true;
        SelectedDevice::set(listed("r1"));
        QVERIFY(v.SetLink("m1", HIDVIRT_LINK_OFF));
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(offline.count(), 1);

        QVERIFY(v.SetLink("m1", HIDVIRT_LINK_RECEIVER));
        box->click();
        QVERIFY(box->isChecked());
        unsigned char answer[8] = {};
        QVERIFY(hid().UsbFinderC_GetLongRangeMode(path("r1").toLatin1().constData(), answer));
        QVERIFY(std::any_of(answer, answer + 8, [](unsigned char b) { return b == 1; }));
        LinkFlags::PageChanged = false;
    }

    // The link opens web addresses only; the mouse panel button exists only where a panel is installed.
    void linkAndMousePanel() {
        UrlSink sink;
        for (const char* scheme : {"https", "http", "file"})
            QDesktopServices::setUrlHandler(scheme, &sink, "open");
        {
            FormSetting page;
            auto* link = child<QPushButton>(page, "pushButton_3");
            QVERIFY(!link->isHidden());
            link->click();
            QCOMPARE(sink.opened, QList<QUrl>{QUrl("https://zentrafox.example/")});
        }
        ConfigIniStore::instance().setValue("Option", "Website", "file:///etc/passwd");
        {
            FormSetting page;
            auto* link = child<QPushButton>(page, "pushButton_3");
            QVERIFY(link->isHidden());
            page.on_pushButton_3_clicked();
            QCOMPARE(sink.opened.size(), 1);
        }
        ConfigIniStore::instance().setValue("Option", "Website", "https://zentrafox.example/");
        for (const char* scheme : {"https", "http", "file"})
            QDesktopServices::unsetUrlHandler(scheme);

        const QByteArray oldPath = qgetenv("PATH");
        QTemporaryDir bin;
        qputenv("PATH", QFile::encodeName(bin.path()));
        QVERIFY(MousePanel::find().program.isEmpty());
        QVERIFY(FormSetting().findChild<QPushButton*>("pushButton")->isHidden());
        QFile panel(bin.path() + "/xfce4-mouse-settings");
        QVERIFY(panel.open(QIODevice::WriteOnly));
        panel.write("#!/bin/sh\n");
        panel.close();
        panel.setPermissions(panel.permissions() | QFileDevice::ExeOwner);
        QCOMPARE(MousePanel::find().program, panel.fileName());
        QVERIFY(!FormSetting().findChild<QPushButton*>("pushButton")->isHidden());
        qputenv("PATH", oldPath);
    }

    // Versions and markers follow the shipped images; each upgrade button runs the stage it names, and a
    // finished stage clears its marker. The pairing button only asks for the pairing window.
    void versionsMarkersAndUpgradeButtons() {
        FormSetting page;
        DeviceAllInfo mouse = listed("m1");
        mouse.mouseVersion = "v1.05";
        SelectedDevice::set(mouse);
        QSignalSpy ver(PostMsg::instance(), &PostMsg::SigAddVer);
        QSignalSpy update(PostMsg::instance(), &PostMsg::SigAddUpdate);
        page.SetVer(0);
        QCOMPARE(ver.count(), 2);
        QCOMPARE(ver.at(0), (QList<QVariant>{0, QStringLiteral("v1.05")}));
        QCOMPARE(ver.at(1), (QList<QVariant>{1, QStringLiteral("v1.02")}));
        QCOMPARE(update.at(0), (QList<QVariant>{0, true}));
        QCOMPARE(update.at(1), (QList<QVariant>{1, true}));

        Upgrade::Plan seen;
        bool ok = false;
        g_onModal = [&](QDialog* d) {
            auto* w = static_cast<UpgradeWindow*>(d);
            seen = w->plan();
            QSignalSpy finished(w->run(), &Upgrade::Run::finished);
            w->run()->setCheckInterval(20);
            if (w->startRun() && QTest::qWaitFor([&] { return finished.count() == 1; }, 15000))
                ok = finished.at(0).at(0).toBool();
        };
        page.on_Receive_clicked();
        QVERIFY(ok);
        QVERIFY(!seen.mouseStage && seen.receiverStage);
        QCOMPARE(page.receiverVersion(), QStringLiteral("v1.03"));
        QVERIFY(!page.receiverImageReady() && page.mouseImageReady());
        QCOMPARE(v.MouseVersion("m1"), 0x0105); // the mouse was left alone

        ok = false;
        page.on_Mouse_clicked();
        QVERIFY(ok);
        QVERIFY(seen.mouseStage && !seen.receiverStage);
        QCOMPARE(v.MouseVersion("m1"), 0x0106);
        QCOMPARE(page.mouseVersion(), QStringLiteral("v1.06"));
        QVERIFY(!page.mouseImageReady());

        QSignalSpy pairing(&page, &FormSetting::SigOpenPairing);
        child<QPushButton>(page, "pushButton_2")->click();
        QCOMPARE(pairing.count(), 1);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
