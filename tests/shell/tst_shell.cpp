#include "app/Dialog.h"
#include "app/DialogMain.h"
#include "app/FormSetting.h"
#include "app/PreVier.h"
#include "app/StartupServices.h"
#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/notices/SimpleNotices.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "platform/CrashHandler.h"
#include "platform/RegistryStore.h"
#include "platform/ScreenMetrics.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsEffect>
#include <QLabel>
#include <QLibrary>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <csignal>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {
QStringList g_warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg)
        g_warnings << message;
}

void touch(const QString& path, const QDateTime& modified) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.flush(); // a later flush would stamp the time again
    QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
}
} // namespace

Q_DECLARE_METATYPE(std::vector<ScreenMetrics::Monitor>)

class BatteryReceiver : public QObject {
    Q_OBJECT
public:
    std::atomic<int> runs{0};
public slots:
    void onBattery(bool, int, bool) {
        QThread::msleep(50); // the emitter must still be waiting here
        ++runs;
    }
};

class TestShell : public QObject {
    Q_OBJECT
    QLibrary m_fake;
    int (*m_calls)(const char*) = nullptr;
    void (*m_reset)() = nullptr;
    int (*m_lastStatus)() = nullptr;
    const char* (*m_lastStartPath)() = nullptr;
    HidReportCallback (*m_lastStartCallback)() = nullptr;
    template <typename F> void resolve(F& fn, const char* name) {
        fn = reinterpret_cast<F>(m_fake.resolve(name));
    }

    // How often the library heard whether the program is active, and the last it heard.
    bool driverStatus(int calls, int last) {
        return m_calls("UsbServer_SetPCDriverStatus") == calls && m_lastStatus() == last;
    }

private slots:
    void initTestCase() {
        m_fake.setFileName(qEnvironmentVariable("ZF_FAKE_HID"));
        QVERIFY2(m_fake.load(), qPrintable(m_fake.errorString()));
        resolve(m_calls, "fake_calls");
        resolve(m_reset, "fake_reset");
        resolve(m_lastStatus, "fake_last_driver_status");
        resolve(m_lastStartPath, "fake_last_start_path");
        resolve(m_lastStartCallback, "fake_last_start_callback");
        QVERIFY(m_calls && m_reset && m_lastStatus && m_lastStartPath && m_lastStartCallback);
        QVERIFY2(HidLibrary::load(m_fake.fileName()), qPrintable(HidLibrary::errorText()));
    }

    void startupCreatesFoldersAndEmptyMacroIni() {
        const QString root = AppPaths::userDataRoot();
        QVERIFY(root.startsWith(QDir::homePath()));
        QFile::remove(root + "/Macro.ini");
        StartupServices::createUserFolders();
        for (const char* f : {"/Log", "/Device_Info", "/Exception", "/usersetting", "/usersetting/MainPage",
                              "/usersetting/MacroPage", "/usersetting/SensorPage"})
            QVERIFY2(QDir(root + f).exists(), f);
        QFile m(root + "/Macro.ini");
        QVERIFY(m.exists() && m.size() == 0);
        // An existing Macro.ini is kept as it is.
        QVERIFY(m.open(QIODevice::Append) && m.write("[Language]\nLanguage=2\n") > 0);
        m.close();
        StartupServices::createUserFolders();
        QVERIFY(QFileInfo(root + "/Macro.ini").size() > 0);
    }

    void pruneRemovesOnlyFilesOlderThanSevenWholeDays() {
        QTemporaryDir dir;
        const QDateTime now = QDateTime::currentDateTime();
        touch(dir.filePath("young.txt"), now.addSecs(-(7 * 86400 + 23 * 3600)));
        touch(dir.filePath("old.txt"), now.addDays(-8));
        touch(dir.filePath("today.txt"), now);
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        touch(dir.filePath("sub/ancient.txt"), now.addDays(-40));
        QCOMPARE(StartupServices::pruneOldFiles(dir.path()), 1);
        QVERIFY(!QFile::exists(dir.filePath("old.txt")));
        for (const char* kept : {"young.txt", "today.txt", "sub/ancient.txt"})
            QVERIFY2(QFile::exists(dir.filePath(kept)), kept);
        QCOMPARE(StartupServices::pruneOldFiles(dir.path() + "/missing"), 0);
    }

    void crashWritesDumpThenDiesOfTheSignal() {
        QTemporaryDir root;
        const QString exceptionDir = root.path() + "/Exception";
        QVERIFY(QDir().mkpath(exceptionDir));
        // Dumps of an earlier crash within the coming seconds: the new one must take a name of its own.
        const QDateTime now = QDateTime::currentDateTime();
        QStringList earlier;
        for (int s = 0; s < 4; ++s) {
            earlier << now.addSecs(s).toString("yyyy_MM_dd_hh_mm_ss") + ".dmp";
            QFile f(exceptionDir + "/" + earlier.last());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("first crash");
        }
        const pid_t child = fork();
        if (child == 0) {
            CrashHandler::install(root.path());
            std::raise(SIGSEGV);
            _exit(0); // reached only if the handler swallowed the signal
        }
        QVERIFY(child > 0);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV, "the process must end by the signal");
        for (const QString& name : earlier) {
            QFile f(exceptionDir + "/" + name);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray("first crash"));
        }
        QStringList dumps = QDir(exceptionDir).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : earlier)
            dumps.removeOne(name);
        QCOMPARE(dumps.size(), 1); // no temporary file left behind
        QVERIFY2(QRegularExpression("^\\d{4}_\\d{2}_\\d{2}_\\d{2}_\\d{2}_\\d{2}_1\\.dmp$")
                     .match(dumps[0])
                     .hasMatch(),
                 qPrintable(dumps[0]));
        QFile dump(exceptionDir + "/" + dumps[0]);
        QVERIFY(dump.open(QIODevice::ReadOnly));
        QVERIFY(dump.readAll().startsWith("signal 11"));
    }

    void scaleFactorFromTheOpeningMonitor_data() {
        using Monitors = std::vector<ScreenMetrics::Monitor>;
        QTest::addColumn<Monitors>("monitors");
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unknown") << Monitors{} << -1 << QString();
        QTest::newRow("no RandR, 1920") << Monitors{} << 1920 << QString();
        QTest::newRow("no RandR, 3840") << Monitors{} << 3840 << "2";
        QTest::newRow("2560") << Monitors{{0, 0, 2560, 1440, true}} << 2560 << "1";
        // Two full-HD monitors side by side make a 3840-wide screen; the window opens on one of them.
        QTest::newRow("two 1920 side by side")
            << Monitors{{0, 0, 1920, 1080, true}, {1920, 0, 1920, 1080, false}} << 3840 << QString();
        QTest::newRow("4K primary right of full HD")
            << Monitors{{0, 0, 1920, 1080, false}, {1920, 0, 3840, 2160, true}} << 5760 << "2";
        QTest::newRow("no primary: the one at the origin")
            << Monitors{{2560, 0, 1920, 1080, false}, {0, 0, 2560, 1440, false}} << 4480 << "1";
    }
    void scaleFactorFromTheOpeningMonitor() {
        QFETCH(std::vector<ScreenMetrics::Monitor>, monitors);
        QFETCH(int, screenWidth);
        QFETCH(QString, expected);
        QCOMPARE(StartupServices::scaleFactorFor(ScreenMetrics::openingMonitorWidth(monitors, screenWidth)),
                 expected);
    }

    void fontScaleDoesNotCompoundAndSkipsReceive2() {
        QWidget root;
        QFont base = root.font();
        base.setPointSizeF(10.0);
        root.setFont(base);
        auto* middle = new QWidget(&root);
        auto* leaf = new QLabel(middle);
        auto* keeper = new QLabel(&root);
        keeper->setObjectName("Receive_2");
        QFont own = keeper->font();
        own.setPointSizeF(12.0);
        keeper->setFont(own);
        auto* keeperChild = new QLabel(keeper);
        auto* pixel = new QLabel(&root);
        QFont px = pixel->font();
        px.setPixelSize(20);
        pixel->setFont(px);

        StartupServices::applyFontScale(&root, 1.5);
        QCOMPARE(root.font().pointSizeF(), 15.0);
        QCOMPARE(middle->font().pointSizeF(), 15.0);
        QCOMPARE(leaf->font().pointSizeF(), 15.0); // three levels deep, scaled once
        QCOMPARE(keeper->font().pointSizeF(), 12.0);
        QCOMPARE(keeperChild->font().pointSizeF(), 18.0);
        QCOMPARE(pixel->font().pixelSize(), 30);
        StartupServices::applyFontScale(nullptr, 2.0);
    }

    void languageIndexMigration() {
        const QString key = "Software/Zentrafox/Zentrafox/Zentrafox";
        MacroIniStore::instance().remove("Language", "Language");
        RegistryStore registry(key);
        registry.setValue("LanguageIndex", 3);
        QCOMPARE(DialogMain::migrateLanguageIndex(), 3);
        QCOMPARE(MacroIniStore::instance().value("Language", "Language"), QString("3"));
        QVERIFY(!registry.contains("LanguageIndex"));
        // Next start: nothing left to migrate, the stored index stays.
        QCOMPARE(DialogMain::migrateLanguageIndex(), 3);

        registry.setValue("LanguageIndex", 0);
        MacroIniStore::instance().setValue("Language", "Language", "junk");
        QCOMPARE(DialogMain::migrateLanguageIndex(), 0);
        QVERIFY(registry.contains("LanguageIndex"));
        MacroIniStore::instance().remove("Language", "Language");
    }

    void batteryAndConnectionShown() {
        Dialog d;
        auto* bar = d.findChild<QProgressBar*>("progressBar");
        auto* text = d.findChild<QLabel*>("label_2");
        auto* charging = d.findChild<QLabel*>("label");
        QVERIFY(bar && text && charging);
        // No level until the chosen mouse reports one (an offline start gets none).
        auto noLevel = [&] {
            return text->text() == "--" && bar->value() < bar->minimum() && charging->isHidden();
        };
        QVERIFY(noLevel());
        // Red below 16 %, green from 16 %; the charging mark and the "%" as reported.
        for (auto [charging_, level, withPercent, colour, shown] :
             {std::tuple{false, 15, true, "rgb(152, 43, 34)", "15%"},
              {true, 16, false, "rgb(0, 255, 153)", "16"},
              {false, 0, true, "rgb(152, 43, 34)", "0%"},
              {true, 0, false, "rgb(152, 43, 34)", "0"}}) {
            d.SlotBattery(charging_, level, withPercent);
            QCOMPARE(text->text(), QString(shown));
            QVERIFY(bar->value() == level && bar->styleSheet().contains(colour) &&
                    charging->isHidden() != charging_);
        }
        PostMsg::instance()->SendSelectMouseInfo(DeviceAllInfo()); // another choice: its level is unknown
        QVERIFY(noLevel());

        auto* link = d.findChild<QLabel*>("label_4");
        d.SlotIsUsb(false, true);
        QVERIFY(link->styleSheet().endsWith("OnLineWifi.png);}"));
        d.SlotIsUsb(true, false);
        QVERIFY(link->styleSheet().endsWith("OnLineUsb.png);}"));

        // An offline start shows a cached record: the frame says so until the mouse answers again.
        Language::load();
        Language::setCurrentIndex(0);
        auto* caption = d.findChild<QLabel*>("OfflineCaption");
        QVERIFY(caption && caption->isHidden() && !d.isOffline());
        auto linkGreyed = [link] { return link->graphicsEffect() && link->graphicsEffect()->isEnabled(); };
        QVERIFY(!linkGreyed());
        LinkFlags::WaitingForOnline = true;
        PostMsg::instance()->SendForm();
        QVERIFY(d.isOffline() && !caption->isHidden() && linkGreyed());
        QVERIFY(!caption->text().isEmpty() && caption->text() == Language::text("home", "Offline", 0));
        // Back to the list and the same mouse again: the worker has nothing new to say, the state holds.
        PostMsg::instance()->SendSecondPageChange();
        QVERIFY(d.isOffline());
        LinkFlags::WaitingForOnline = false;
        PostMsg::instance()->SendForm(); // a full record read from the mouse
        QVERIFY(!d.isOffline() && caption->isHidden() && !linkGreyed());
        PostMsg::instance()->SendFormReset(); // offline start without a cache
        QVERIFY(d.isOffline());

        // A silent mouse has no level to show; the last one returns when it answers, and a new
        // report while it is away is shown at once.
        PostMsg::instance()->SendCloseOffOnline();
        d.SlotBattery(true, 57, true);
        PostMsg::instance()->SendMouseDropped();
        QVERIFY(noLevel());
        PostMsg::instance()->SendCloseOffOnline();
        QVERIFY(text->text() == "57%" && bar->value() == 57 && !charging->isHidden());
        PostMsg::instance()->SendMouseOffLineo(0);
        QVERIFY(noLevel());
        d.SlotBattery(false, 40, true);
        QVERIFY(text->text() == "40%" && charging->isHidden());
        PostMsg::instance()->SendSelectMouseInfo(DeviceAllInfo()); // another mouse's level is not kept
        PostMsg::instance()->SendMouseDropped();
        PostMsg::instance()->SendCloseOffOnline();
        QVERIFY(noLevel());
    }

    // The forms connect every handler (a renamed widget would leave one unconnected with only a warning),
    // the pages stack in index order, and each page button shows its page once, alone checked; none can
    // be pressed while a macro is recorded.
    void frameShowsItsPages() {
        g_warnings.clear();
        QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
        DialogMain w;
        w.frame();
        qInstallMessageHandler(previous);
        for (const QString& warning : g_warnings)
            QVERIFY2(!warning.contains("connectSlotsByName"), qPrintable(warning));
        QCOMPARE(w.size(), QSize(1200, 700));
        QCOMPARE(w.stack()->count(), 2);
        QCOMPARE(w.stack()->currentIndex(), 0);
        QCOMPARE(w.stack()->widget(1), static_cast<QWidget*>(w.frame()));
        Dialog& d = *w.frame();
        QCOMPARE(d.stack()->objectName(), QString("stackedWidgetDialog"));
        QCOMPARE(d.stack()->count(), 7);
        w.show();
        w.stack()->setCurrentIndex(1);
        int macroButton = 0;
        QList<int> layouts;
        auto c1 = QObject::connect(PostMsg::instance(), &PostMsg::SigAddMacroButton, [&] { ++macroButton; });
        auto c2 = QObject::connect(PostMsg::instance(), &PostMsg::SigtVis, [&](int i) { layouts << i; });
        const char* classes[] = {"PreVier",   "Buttoninterface", "Sensor",     "Macro",
                                 "LampLight", "Advanced",        "FormSetting"};
        const char* buttons[] = {"PreButton",    "ButtonMain", "SensorButton", "MacroButton",
                                 "LightsButton", "Advanced",   "FormSetting"};
        for (int page = 6; page >= 0; --page) { // from the last, so every click changes the page
            QCOMPARE(d.stack()->widget(page)->metaObject()->className(), classes[page]);
            QTest::mouseClick(d.button(buttons[page]), Qt::LeftButton);
            QCOMPARE(d.stack()->currentIndex(), page);
            QCOMPARE(d.pageGroup()->checkedButton(), d.button(buttons[page]));
            // Page 0 has its own background; the back button is there on every other page.
            QVERIFY(d.findChild<QWidget*>("frame_2")->styleSheet().contains(page == 0 ? "BackGround2.png"
                                                                                      : "BackGround.png)"));
            QVERIFY(d.button("UpArrow")->isVisible());
        }
        // One click, one handler run: a handler connected twice would announce twice.
        QCOMPARE(macroButton, 1);
        QCOMPARE(layouts, QList<int>{0});
        QObject::disconnect(c1);
        QObject::disconnect(c2);

        PostMsg::instance()->SendStartRecord(0);
        for (const char* name : Dialog::kPageButtons)
            QVERIFY2(!d.button(name)->isEnabled(), name);
        QTest::mouseClick(d.button("SensorButton"), Qt::LeftButton);
        QCOMPARE(d.stack()->currentIndex(), 0);
        PostMsg::instance()->SendStartRecord(7); // unknown value: no change
        QVERIFY(!d.button("SensorButton")->isEnabled());
        PostMsg::instance()->SendStartRecord(1);
        for (const char* name : Dialog::kPageButtons)
            QVERIFY2(d.button(name)->isEnabled(), name);
        QTest::mouseClick(d.button("SensorButton"), Qt::LeftButton);
        QCOMPARE(d.stack()->currentIndex(), 2);
    }

    void summaryPageFollowsTheHub() {
        PreVier p;
        QCOMPARE(p.size(), QSize(1000, 560));
        PostMsg* hub = PostMsg::instance();
        hub->SendAddSensor(1600);
        hub->SendAddReport(1000);
        hub->SendAddLOD("2mm");
        hub->SendDebunce("4ms");
        hub->SendAddConfig("Profile 2");
        hub->SendAddVer(0, "1.2");
        hub->SendAddVer(1, "3.4");
        hub->SendAddVer(2, "x");
        for (auto [label, text] : {std::pair{"LODValue", "2mm"},
                                   {"DebounceValue", "4ms"},
                                   {"ConfigValue", "Profile 2"},
                                   {"DPIValue", "1600"},
                                   {"ReportValue", "1000Hz"},
                                   {"MouseVerValue", "1.2"},
                                   {"DongleVerValue", "3.4"}})
            QCOMPARE(p.label(label)->text(), QString(text));
        QVERIFY(p.label("DongleUpdate")->isHidden());
        hub->SendAddUpdate(1, true);
        QVERIFY(!p.label("DongleUpdate")->isHidden() && p.label("MouseUpdate")->isHidden());
        hub->SendAddUpdate(1, false);
        QVERIFY(p.label("DongleUpdate")->isHidden());
        hub->SendMouseIndex(4);
        QVERIFY(
            p.findChild<QWidget*>("widget")->styleSheet().contains("/Picture/Buttoninterface/mouse4.png);}"));
    }

    // Tests that run modal windows come before the exit test: leaving the program ends every later
    // event loop at once.
    void homeWindowKeysAndSpace() {
        DialogMain w;
        w.show();
        int enters = 0;
        auto c = QObject::connect(PostMsg::instance(), &PostMsg::SigEnterKey, [&] { ++enters; });
        QTest::keyClick(&w, Qt::Key_Return);
        QTest::keyClick(&w, Qt::Key_Enter);
        QTest::keyClick(&w, Qt::Key_Escape);
        QCOMPARE(enters, 2);

        // Space on the list runs its checks only for exactly one device, and never builds the window.
        DeviceAllInfo device;
        device.path = "virtual/mouse-7";
        SelectedDevice::set(device);
        int listed = 0, checks = 0, made = 0, startsWhileOpen = -1;
        bool modal = false, build = false;
        QRect placed;
        QPointer<QDialog> window;
        DialogMain::PairingHooks hooks;
        hooks.listedDevices = [&] { return listed; };
        hooks.listChecks = [&] { ++checks; };
        hooks.makeWindow = [&](QWidget* parent) -> QDialog* {
            ++made;
            if (!build)
                return nullptr;
            auto* d = new QDialog(parent);
            d->resize(400, 240);
            window = d;
            QTimer::singleShot(0, d, [&, d] {
                modal = QApplication::activeModalWidget() == d;
                placed = d->geometry();
                startsWhileOpen = m_calls("UsbServerC_Start");
                d->accept();
            });
            return d;
        };
        DialogMain::setPairingHooks(hooks);
        m_reset();
        for (int n : {0, 2, 1}) {
            listed = n;
            QTest::keyClick(&w, Qt::Key_Space);
        }
        QCOMPARE(checks, 1);
        QCOMPARE(made, 0);

        // On the frame: a window the device side cannot build leaves the service alone.
        w.stack()->setCurrentIndex(1);
        QTest::keyClick(&w, Qt::Key_Space);
        QCOMPARE(made, 1);
        QCOMPARE(m_calls("UsbServerC_Start"), 0);
        // A built one runs modally over the home window, then the selected device's service restarts.
        build = true;
        QTest::keyClick(&w, Qt::Key_Space);
        QCOMPARE(made, 2);
        QVERIFY(modal);
        QVERIFY(window.isNull()); // built for one use
        QVERIFY((placed.center() - w.mapToGlobal(w.rect().center())).manhattanLength() <= 2);
        QCOMPARE(startsWhileOpen, 0);
        QCOMPARE(m_calls("UsbServerC_Start"), 1);
        QCOMPARE(QByteArray(m_lastStartPath()), QByteArray("virtual/mouse-7"));
        QVERIFY(m_lastStartCallback() == &DeviceReports::handleReport);

        // Keys belong to the macro recorder while it records; without hooks Space opens the pairing window.
        LinkFlags::Recording = true;
        QTest::keyClick(&w, Qt::Key_Space);
        QTest::keyClick(&w, Qt::Key_Return);
        LinkFlags::Recording = false;
        DialogMain::setPairingHooks({});
        QString opened;
        QTimer::singleShot(0, &w, [&] {
            if (QWidget* d = QApplication::activeModalWidget()) {
                opened = d->objectName();
                d->close();
            }
        });
        QTest::keyClick(&w, Qt::Key_Space);
        QCOMPARE(opened, QString("Match"));
        QCOMPARE(made, 2);
        QCOMPARE(enters, 2);
        QCOMPARE(checks, 1);
        QCOMPARE(m_calls("UsbServerC_Start"), 2);
        QObject::disconnect(c);
        SelectedDevice::set(DeviceAllInfo());
    }

    // The frame is built after the window's first paint, yet ends as if built first: in the stored language
    // (the start's language signals reach it), and heard by the hub before whoever subscribed after its
    // place at start (the device list, the worker) and subscribes again once it is built.
    void frameBuiltAfterFirstPaintAsIfBuiltFirst() {
        const int stored = Language::loadedCount() - 1;
        QVERIFY(stored > 0);
        MacroIniStore::instance().setValue("Language", "Language", QString::number(stored));
        PostMsg* hub = PostMsg::instance();
        QObject late;
        QString captionHeard;
        DialogMain* window = nullptr;
        auto subscribeLate = [&] {
            QObject::disconnect(hub, &PostMsg::SigAllLanguage, &late, nullptr);
            QObject::connect(hub, &PostMsg::SigAllLanguage, &late,
                             [&] { captionHeard = window->frame()->button("PreButton")->text(); });
        };
        DialogMain::setFrameBuiltHandler(subscribeLate);
        {
            DialogMain w;
            window = &w;
            subscribeLate();
            QVERIFY(!w.frameBuilt());
            w.show();
            QTRY_VERIFY(w.frameBuilt());
            auto* box = w.frame()->findChild<FormSetting*>()->findChild<QComboBox*>("comboBox");
            QCOMPARE(box->count(), Language::loadedCount());
            QCOMPARE(box->currentIndex(), stored);
            hub->SendAllLanguage(0);
            QCOMPARE(captionHeard, Language::options("tabsList", 0).value("0"));
            QVERIFY(captionHeard != Language::options("tabsList", stored).value("0"));
        }
        QObject::disconnect(hub, nullptr, &late, nullptr);
        DialogMain::setFrameBuiltHandler(nullptr);
        MacroIniStore::instance().setValue("Language", "Language", "0");
        Language::setCurrentIndex(0);
        // A click before the first paint builds the frame before the list acts on it.
        DialogMain early;
        QVERIFY(!early.frameBuilt());
        QTest::mouseClick(early.findChild<QWidget*>("DialogChange"), Qt::LeftButton);
        QVERIFY(early.frameBuilt());
    }

    void offlineNoticeSetsFlagsAndClosesWhenDeviceReturns() {
        DialogMain w;
        // The frame comes after the window's first paint, and must then hear the hub before the home
        // window does: its offline caption is up before the home window's modal notice opens.
        QVERIFY(!w.frameBuilt());
        w.show();
        QTRY_VERIFY(w.frameBuilt());
        LinkFlags::WaitingForOnline = false;
        LinkFlags::RestartRequested = false;
        bool sawModal = false, frameOffline = false;
        QTimer::singleShot(50, [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                sawModal = sawModal || (qobject_cast<MouseOffLine*>(top) && top->isVisible());
            frameOffline = w.frame()->isOffline();
            PostMsg::instance()->SendCloseOffOnline();
        });
        QTimer::singleShot(3000, [] { // a notice that ignores the hub must not hang the suite
            for (QWidget* top : QApplication::topLevelWidgets())
                if (qobject_cast<MouseOffLine*>(top))
                    top->close();
        });
        QElapsedTimer clock;
        clock.start();
        PostMsg::instance()->SendMouseOffLineo(1);
        QVERIFY(sawModal);
        // The frame says offline while the notice is up, and no longer once the mouse answers.
        QVERIFY(frameOffline && !w.frame()->isOffline());
        QVERIFY(clock.elapsed() < 2500);
        QVERIFY(LinkFlags::WaitingForOnline);
        QVERIFY(LinkFlags::RestartRequested);
    }

    void missingOrUnusableLibraryIsNoticedNamingTheFile() {
        QTemporaryDir dir;
        const QString file = dir.filePath("libHIDUsb.so");
        // First no file at all, then a file that is no library; a usable library last, with no notice.
        for (const char* key : {"DialogNoLibrary", "DialogBadLibrary", ""}) {
            QCOMPARE(HidLibrary::load(*key ? file : m_fake.fileName()), !*key);
            // The loader's message names the file asked for, not a name QLibrary made up from it.
            QVERIFY2(!*key || (HidLibrary::errorText().contains(file) &&
                               !HidLibrary::errorText().contains("liblib")),
                     qPrintable(HidLibrary::errorText()));
            QString text;
            QPoint offCentre;
            bool seen = false;
            DialogMain w;
            QTimer::singleShot(200, [&] {
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (auto* n = qobject_cast<LibraryMissing*>(top); n && n->isVisible()) {
                        text = n->labelText().remove(QChar(0x200B));
                        // A window manager placing the window only now: the notice stays over it.
                        w.move(w.pos() + QPoint(150, 90));
                        QTest::qWait(50);
                        offCentre = n->geometry().center() - w.geometry().center();
                        n->close();
                    }
                seen = true;
            });
            w.show();
            QTRY_VERIFY(seen);
            QVERIFY2(*key ? text.contains(file) : text.isEmpty(), qPrintable(text));
            QVERIFY2(!*key || (qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y() + 20) <= 1),
                     qPrintable(QString("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
            const QString sentence = Language::text("common", key).section('%', 0, 0);
            QVERIFY(!*key || (!sentence.isEmpty() && text.startsWith(sentence)));
            QFile junk(file);
            QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("not a library") > 0);
        }
    }

    void minimiseUsesTheTrayOnlyWhereOneExists() {
        // No tray (GNOME without an extension, Xvfb): the window minimises the ordinary way and stays
        // reachable; the library still hears that the program is inactive, and active again on restore.
        DialogMain::setTrayAvailability([] { return false; });
        {
            DialogMain w;
            w.show();
            w.stack()->setCurrentIndex(1);
            m_reset();
            QTest::mouseClick(w.frame()->button("MinButton"), Qt::LeftButton);
            QVERIFY(w.isMinimized());
            QVERIFY(w.isVisible());
            QVERIFY(!w.trayIcon()->isVisible());
            QVERIFY(driverStatus(1, 0));
            w.showNormal();
            QVERIFY(driverStatus(2, 1));
        }

        DialogMain::setTrayAvailability([] { return true; });
        DialogMain w;
        w.show();
        // From the frame: inactive on hide, active again on a single click.
        w.stack()->setCurrentIndex(1);
        m_reset();
        QTest::mouseClick(w.frame()->button("MinButton"), Qt::LeftButton);
        QVERIFY(w.isHidden());
        QVERIFY(driverStatus(1, 0));
        QVERIFY(w.trayMenu());
        QCOMPARE(w.trayMenu()->actions().size(), 3);
        w.on_activatedSysTrayIcon(QSystemTrayIcon::Trigger);
        QVERIFY(w.isVisible());
        QVERIFY(driverStatus(2, 1));
        QCOMPARE(m_calls("UsbServer_Exit"), 0);

        // From the device list: restoring does not call the library.
        w.stack()->setCurrentIndex(0);
        m_reset();
        w.SlotChangeSize(2);
        QCOMPARE(m_calls("UsbServer_SetPCDriverStatus"), 0);
        w.on_activatedSysTrayIcon(QSystemTrayIcon::Trigger);
        QCOMPARE(m_calls("UsbServer_SetPCDriverStatus"), 0);
        QVERIFY(w.isVisible());

        // The tray's exit stops the library like the close button.
        w.SlotChangeSize(0);
        m_reset();
        w.slotActionExitApp();
        QCOMPARE(m_calls("StopUsbChanged"), 1);
        QCOMPARE(m_calls("UsbServer_Exit"), 1);
        QCOMPARE(m_calls("UsbServer_SetPCDriverStatus"), 1);
        QVERIFY(!w.isVisible());
        DialogMain::setTrayAvailability({});
    }

    // The frame's arrow: the library hears that the program is inactive, the touch-key editors hear of
    // the change while the service still runs; then the home window stops the service, shows the list,
    // restarts the list's notifications (refreshing it at once) and brings the frame back to its summary.
    void titleBarButtonsAndBackToTheList() {
        static int listRefreshes = 0;
        DialogMain::setUsbChangedHandlers([] { ++listRefreshes; }, nullptr);
        DialogMain w;
        Dialog& d = *w.frame();
        QVERIFY(d.button("SetButton")->isHidden());
        QList<int> sizes;
        int macroPage = 0;
        QStringList order;
        auto c1 = QObject::connect(PostMsg::instance(), &PostMsg::SigChangeSize, [&](int i) { sizes << i; });
        auto c2 = QObject::connect(PostMsg::instance(), &PostMsg::SigChangeMainDialog, [&](int i) {
            order << QString("list %1 exit=%2").arg(i).arg(m_calls("UsbServer_Exit"));
        });
        auto c3 = QObject::connect(PostMsg::instance(), &PostMsg::SigTouchkey,
                                   [&] { order << QString("touch exit=%1").arg(m_calls("UsbServer_Exit")); });
        auto c4 = QObject::connect(PostMsg::instance(), &PostMsg::SigSetMacroPage, [&] { ++macroPage; });
        QObject::disconnect(PostMsg::instance(), &PostMsg::SigChangeSize, &w, nullptr); // no closing here
        QTest::mouseClick(d.button("MinButton"), Qt::LeftButton);
        QTest::mouseClick(d.button("CloseButton"), Qt::LeftButton);
        QCOMPARE(sizes, QList<int>({0, 1}));

        w.show();
        w.stack()->setCurrentIndex(1);
        QTest::mouseClick(d.button("LightsButton"), Qt::LeftButton);
        LinkFlags::DevicePagesActive = true;
        m_reset();
        QTest::mouseClick(d.button("UpArrow"), Qt::LeftButton);
        QCOMPARE(order, QStringList({"touch exit=0", "touch exit=1", "list 0 exit=2"}));
        QCOMPARE(m_lastStatus(), 0);
        QCOMPARE(macroPage, 1);
        QCOMPARE(w.stack()->currentIndex(), 0);
        QVERIFY(d.stack()->currentIndex() == 0 && d.button("PreButton")->isChecked());
        QVERIFY(!LinkFlags::DevicePagesActive);
        QCOMPARE(m_calls("StartUsbChanged"), 1);
        QCOMPARE(listRefreshes, 1); // changes the pages' handler saw are not shown stale
        DialogMain::setUsbChangedHandlers(nullptr, nullptr);
        PostMsg::instance()->SendChangeMainDialog(1);
        QCOMPARE(w.stack()->currentIndex(), 1);
        QCOMPARE(m_calls("StartUsbChanged"), 2);
        PostMsg::instance()->SendChangeMainDialog(5);
        QCOMPARE(w.stack()->currentIndex(), 1);
        for (auto c : {c1, c2, c3, c4})
            QObject::disconnect(c);
    }

    void hubBlockingSignalWaitsOthersAreQueued() {
        BatteryReceiver receiver;
        auto c = PostMsg::connectBlocking(&PostMsg::SigBattery, &receiver, &BatteryReceiver::onBattery);
        std::atomic<int> seenAfterSend{-1};
        QThread* worker = QThread::create([&] {
            PostMsg::instance()->SendBattery(false, 50, true);
            seenAfterSend = receiver.runs.load();
        });
        worker->start();
        while (!worker->isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        worker->wait();
        delete worker;
        QCOMPARE(seenAfterSend.load(), 1);

        // On the GUI thread the slot runs at once instead of waiting on itself.
        PostMsg::instance()->SendBattery(false, 60, true);
        QCOMPARE(receiver.runs.load(), 2);
        QObject::disconnect(c);

        // Other signals are queued: the sender finishes although the GUI thread processes no events.
        int runs = 0;
        c = QObject::connect(PostMsg::instance(), &PostMsg::SigProgress, &receiver,
                             [&](int, int) { ++runs; });
        worker = QThread::create([] { PostMsg::instance()->SendProgress(1, 40); });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        QCOMPARE(runs, 0);
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
        QObject::disconnect(c);
    }

    void shippedConfigRoundTrips() {
        const QString source =
            qEnvironmentVariable("ZF_SOURCE_DIR") + "/resources/usersetting/Config.source.ini";
        QSettings plain(source, QSettings::IniFormat);
        plain.setIniCodec("UTF-8");
        ConfigIniStore::resetForTests();
        QVERIFY(QFile::exists(AppPaths::appDir() + "/usersetting/Config.ini"));
        const QStringList keys = plain.allKeys();
        QVERIFY(keys.contains("Option/LabelColor"));
        for (const QString& full : keys) {
            const int slash = full.indexOf('/');
            const QString group = slash < 0 ? QString("General") : full.left(slash);
            const QString key = full.mid(slash + 1);
            const QVariant v = plain.value(full);
            const QString expected =
                v.type() == QVariant::StringList ? v.toStringList().join(",") : v.toString();
            QCOMPARE(ConfigIniStore::instance().value(group, key), expected);
        }
        QCOMPARE(ConfigIniStore::instance().list("Option", "LabelColor").size(), 3);
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
