// Faults that must lose nothing, against the real device library and its virtual mouse: a process killed
// at any moment of a burst of writes leaves every file old or new; a mouse unplugged in the middle of a
// burst leaves a record that the program and the mouse agree on once it is back; a library stuck in a call
// never holds the window longer than the online check's wait.
#include "app/core/AppPaths.h"
#include "app/core/DeadWriters.h"
#include "app/core/IniStores.h"
#include "app/core/PostMsg.h"
#include "device/DeviceCache.h"
#include "device/DevicePagesLink.h"
#include "device/DeviceSession.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Pairing.h"
#include "device/ReceiverLights.h"
#include "device/SettingWriters.h"
#include "device/Worker.h"
#include "platform/RegistryStore.h"
#include "tests/common/VirtualMouseSetup.h"

#include "HIDUsbVirtual.h"

#include <QDir>
#include <QLibrary>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

namespace {
const char* const kMouse = "mouse0";
constexpr uint8_t kCid = 0x05, kMid = 0x1F;             // the default virtual mouse
constexpr int kStateSize = 8 + 4 * FlashDataMap::kSize; // magic, head, four profiles
const QString kRegistryKey = QStringLiteral("Software/Zentrafox/Zentrafox/Vodir Eziza Rode");

std::atomic<qint64> g_now{0};

struct Virt {
    int (*Reload)() = nullptr;
    int (*SetLink)(const char*, int) = nullptr;
    int (*ReadFlash)(const char*, int, unsigned char*) = nullptr;
    int (*Hang)(int) = nullptr;
};

bool bind(QLibrary& lib, Virt& v) {
    v.Reload = reinterpret_cast<decltype(v.Reload)>(lib.resolve("HidVirt_Reload"));
    v.SetLink = reinterpret_cast<decltype(v.SetLink)>(lib.resolve("HidVirt_SetLink"));
    v.ReadFlash = reinterpret_cast<decltype(v.ReadFlash)>(lib.resolve("HidVirt_ReadFlash"));
    v.Hang = reinterpret_cast<decltype(v.Hang)>(lib.resolve("HidVirt_Hang"));
    return v.Reload && v.SetLink && v.ReadFlash && v.Hang;
}

// Chooses the first device that answers, as the device list does.
bool selectFirstOnline() {
    for (DeviceAllInfo d : Discovery::enumerate(Discovery::Finder::Default)) {
        Discovery::markOnline(d);
        if (d.online) {
            SelectedDevice::set(d);
            return true;
        }
    }
    return false;
}

// The process that is killed: it drives the real link with setting writes and rewrites the record cache,
// Macro.ini and the registry file as fast as it can. Each generation k writes values that belong together,
// so a torn file shows as a mismatch.
int victim() {
    QLibrary lib(qEnvironmentVariable("ZF_REAL_HID"));
    Virt v;
    if (!HidLibrary::load(lib.fileName()) || !lib.load() || !bind(lib, v) || !selectFirstOnline())
        return 3;
    DeadWriters::removeLeftovers(); // as the program does at its start
    FlashDataMap record;
    v.ReadFlash(kMouse, -1, record.data());
    CurrentRecord::replace(record);
    hid().SetDllProtocolData(record.data());
    DeviceSession::resumeService();
    DeviceSession::setProgramActive(true);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    static const uint8_t rates[] = {1, 2, 4, 8};
    RegistryStore registry(kRegistryKey);
    for (uint32_t k = 1;; ++k) {
        if (!SetReportRate(rates[k % 4]) || !SetDpiLevelColour(int(k % 8), uint8_t(k), uint8_t(k >> 8), 7))
            return 4;
        FlashDataMap cached;
        std::memset(cached.data(), int(k & 0xFF), FlashDataMap::kSize);
        if (!DeviceCache::save(kCid, kMid, cached))
            return 5;
        IniStore& macro = MacroIniStore::instance();
        macro.setValue("Kill", "Generation", QString::number(k));
        macro.setValue("Kill", "Check", QString::number(k * 7));
        macro.sync();
        registry.setValue("MouseVer", QStringLiteral("v%1|%2").arg(k).arg(k * 7));
    }
}

// Empty, or a whole file of one generation. Returns the generation (0 when absent).
int checkCache(QString& why) {
    QFile file(DeviceCache::filePath(kCid, kMid));
    if (!file.exists())
        return 0;
    if (!file.open(QIODevice::ReadOnly))
        return why = "cache unreadable", -1;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != 4 + FlashDataMap::kSize || !bytes.startsWith(QByteArray("\0\0\x29\x30", 4)))
        return why = QStringLiteral("cache of %1 bytes").arg(bytes.size()), -1;
    const char first = bytes.at(4);
    for (int i = 4; i < bytes.size(); ++i)
        if (bytes.at(i) != first)
            return why = QStringLiteral("cache torn at byte %1").arg(i), -1;
    return 1;
}

bool checkPair(const QString& generation, const QString& check, QString& why, const char* what) {
    if (generation.isEmpty() && check.isEmpty())
        return true;
    if (generation.toLongLong() * 7 != check.toLongLong()) {
        why = QStringLiteral("%1: generation %2 with check %3").arg(what, generation, check);
        return false;
    }
    return true;
}
} // namespace

class TestHardening : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void killedWritersLeaveOldOrNew();
    void unplugInABurst();
    void hungLibraryNeverHoldsTheWindow();
    void serviceStartAndStopKeepTheirOrder();
    void quitWithAHungLibrary();
    void cleanupTestCase();

private:
    QTemporaryDir m_appDir;
    QTemporaryDir m_state;
};

void TestHardening::initTestCase() {
    QVERIFY(m_appDir.isValid() && m_state.isValid());
    VirtualMouseSetup::prepare(m_appDir, m_state).sync();
}

void TestHardening::cleanupTestCase() {
    DeviceSession::stopService();
}

void TestHardening::killedWritersLeaveOldOrNew() {
    const QString stateFile = m_state.path() + "/" + kMouse + ".state";
    const QString macroFile = AppPaths::userDataRoot() + "/Macro.ini";
    const QString registryFile = RegistryStore(kRegistryKey).fileName();
    QDir().mkpath(AppPaths::userDataRoot());
    const QStringList tempDirs = {m_state.path(), AppPaths::userDataRoot(),
                                  QFileInfo(DeviceCache::filePath(kCid, kMid)).path(),
                                  QFileInfo(registryFile).path()};
    // Not ours, or too new to be a dead writer's: the start-up clean-up leaves them.
    QVERIFY(QFile(m_state.path() + "/notes.txt.AbC123").open(QIODevice::WriteOnly));
    QVERIFY(QFile(m_state.path() + "/mouse9.state.Fresh1").open(QIODevice::WriteOnly));
    int reachedAll = 0;
    for (int kill = 0; kill < 60; ++kill) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QCoreApplication::applicationFilePath(), {"--victim"});
        QVERIFY2(p.waitForReadyRead(15000), "the writer did not start");
        QCOMPARE(p.readLine().trimmed(), QByteArray("ready"));
        QThread::msleep(QRandomGenerator::global()->bounded(1, 120));
        QCOMPARE(p.state(), QProcess::Running); // still writing: it must not have failed on its own
        ::kill(pid_t(p.processId()), SIGKILL);
        QVERIFY(p.waitForFinished(5000));

        QString why;
        const int cache = checkCache(why);
        QVERIFY2(cache >= 0, qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(why)));
        const QSettings macro(macroFile, QSettings::IniFormat);
        QCOMPARE(macro.status(), QSettings::NoError);
        QVERIFY2(checkPair(macro.value("Kill/Generation").toString(), macro.value("Kill/Check").toString(),
                           why, "Macro.ini"),
                 qPrintable(why));
        const QSettings registry(registryFile, QSettings::IniFormat);
        QCOMPARE(registry.status(), QSettings::NoError);
        const QStringList ver = registry.value("MouseVer").toString().mid(1).split('|');
        QVERIFY2(ver.size() == 2 || ver == QStringList{""}, qPrintable(ver.join('|')));
        if (ver.size() == 2)
            QVERIFY2(checkPair(ver[0], ver[1], why, "registry"), qPrintable(why));

        QFile state(stateFile);
        if (state.exists()) {
            QVERIFY(state.open(QIODevice::ReadOnly));
            const QByteArray bytes = state.readAll();
            // Whole: the profiles, then the pairing tail ('P', u16 length, the receiver's name).
            QVERIFY2(bytes.size() >= kStateSize + 3, qPrintable(QString::number(bytes.size())));
            const int tail = uint8_t(bytes[kStateSize + 1]) | uint8_t(bytes[kStateSize + 2]) << 8;
            QCOMPARE(bytes[kStateSize], 'P');
            QCOMPARE(bytes.size(), kStateSize + 3 + tail);
            QVERIFY(bytes.startsWith("ZFV1"));
        }
        if (cache > 0 && state.exists() && macro.contains("Kill/Generation"))
            ++reachedAll;
        // What the killed writer left half-made is old by the next start (a few seconds at least).
        for (const QString& dir : tempDirs) {
            for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden)) {
                if (f.fileName() != "mouse9.state.Fresh1") {
                    QFile aged(f.absoluteFilePath());
                    aged.open(QIODevice::ReadWrite);
                    aged.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                     QFileDevice::FileModificationTime);
                }
            }
        }
    }
    // Not a vacuous pass: most kills landed while every file was being rewritten.
    QVERIFY2(reachedAll >= 50, qPrintable(QString::number(reachedAll)));
    // Half-made files do not pile up: at most the last writer's are left, each beside its file.
    const QRegularExpression half(R"(\.(state|lights|ini|conf|bin)\.(?!lock$)\w+$)");
    QStringList left;
    for (const QString& dir : tempDirs)
        for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
            if (half.match(name).hasMatch())
                left << name;
    QVERIFY2(left.size() <= 3 && left.contains("mouse9.state.Fresh1"), qPrintable(left.join(' ')));
    QVERIFY(QFile::exists(m_state.path() + "/notes.txt.AbC123"));
    // The program's own clean-up takes only an old leftover of its files, not a live writer's.
    const QString root = AppPaths::userDataRoot();
    for (const char* name :
         {"/Macro.ini.Dead12", "/Macro.ini.Live12", "/Macro.ini.lock", "/notes.txt.AbC123"}) {
        QFile f(root + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (QByteArray(name).contains("Live"))
            continue;
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    }
    DeadWriters::removeLeftovers();
    QVERIFY(!QFile::exists(root + "/Macro.ini.Dead12"));
    for (const char* name : {"/Macro.ini.Live12", "/Macro.ini.lock", "/notes.txt.AbC123"})
        QVERIFY2(QFile::exists(root + name), name);
}

void TestHardening::unplugInABurst() {
    QLibrary lib(qEnvironmentVariable("ZF_REAL_HID"));
    Virt v;
    QVERIFY2(HidLibrary::load(lib.fileName()), qPrintable(HidLibrary::errorText()));
    QVERIFY(lib.load() && bind(lib, v) && v.Reload());
    DeviceReports::setClock([] { return g_now.load(); });
    g_now = 100000;
    LinkFlags::resetAll();
    int notices = 0;
    QObject pages;
    connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, &pages, [&](int) {
        ++notices;
        LinkFlags::WaitingForOnline = true;
        LinkFlags::RestartRequested = true;
    });
    int forms = 0;
    PostMsg::connectBlockingFunctor(&PostMsg::SigForm, &pages, [&] { ++forms; });
    Worker worker;
    DevicePagesLink::setWorker(&worker);
    QVERIFY(selectFirstOnline());
    worker.SlotSelectMouseInfo(SelectedDevice::get());
    LinkFlags::DevicePagesActive = true;
    worker.requestRun();
    QTRY_VERIFY_WITH_TIMEOUT(forms == 1 && LinkFlags::DeviceReady, 10000);

    // The mouse goes at a random moment while the page writes one setting after another.
    std::thread unplug([&] {
        std::this_thread::sleep_for(
            std::chrono::microseconds(QRandomGenerator::global()->bounded(200, 20000)));
        v.SetLink(kMouse, HIDVIRT_LINK_OFF);
    });
    struct Write {
        int step;
        bool accepted;
    };
    QVector<Write> writes;
    int refused = 0;
    for (int step = 0; refused < 5 && step < 100000; ++step) {
        const uint8_t value = uint8_t(step);
        const bool ok =
            step % 2 ? SetDpiLevelColour(step % 8, value, value, value) : SetLod(uint8_t(1 + step % 3));
        writes.append({step, ok});
        refused += ok ? 0 : 1;
    }
    unplug.join();
    // Once refused, refused for good while it is away, each with the offline notice.
    int firstRefused = -1;
    for (const Write& w : writes)
        if (!w.accepted && firstRefused < 0)
            firstRefused = w.step;
    QVERIFY(firstRefused >= 0);
    for (int i = firstRefused; i < writes.size(); ++i)
        QVERIFY2(!writes[i].accepted, qPrintable(QString::number(i)));
    QCOMPARE(notices, writes.size() - firstRefused);
    const FlashDataMap held = CurrentRecord::snapshot();

    // Back: the program reads the mouse again and agrees with it.
    g_now += 5000;
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_RECEIVER));
    QTRY_VERIFY_WITH_TIMEOUT((worker.SlotCheckOnline(), forms >= 2 && LinkFlags::DeviceReady), 10000);
    FlashDataMap mouse;
    QVERIFY(v.ReadFlash(kMouse, -1, mouse.data()));
    QVERIFY(CurrentRecord::snapshot() == mouse);
    // Everything accepted before the unplug reached the mouse; at most the write on the wire when it
    // went may be missing, and then the program shows the mouse's value, not its own.
    int differing = 0;
    for (int i = 0; i < FlashDataMap::kSize; ++i)
        differing += held.data()[i] != mouse.data()[i];
    QVERIFY2(differing <= 3, qPrintable(QString::number(differing)));

    QVERIFY(worker.shutdown(3000));
    DeviceSession::stopService();
    DevicePagesLink::setWorker(nullptr);
    DeviceReports::setClock(nullptr);
}

void TestHardening::hungLibraryNeverHoldsTheWindow() {
    QLibrary lib(qEnvironmentVariable("ZF_REAL_HID"));
    Virt v;
    QVERIFY2(HidLibrary::load(lib.fileName()), qPrintable(HidLibrary::errorText()));
    QVERIFY(lib.load() && bind(lib, v) && v.Reload());
    PostMsg::resetShutdown(); // the unplug test's worker ended the link
    LinkFlags::resetAll();
    Worker worker; // before the choice: a new worker points the selection at no device
    DevicePagesLink::setWorker(&worker);
    QVERIFY(selectFirstOnline());
    const DeviceAllInfo selected = SelectedDevice::get();
    FlashDataMap record;
    QVERIFY(v.ReadFlash(kMouse, -1, record.data()));
    CurrentRecord::replace(record);
    hid().SetDllProtocolData(record.data());
    int notices = 0, dropped = 0;
    QObject pages;
    connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, &pages, [&](int) {
        ++notices; // as the home window does: wait for the mouse, then read it again
        LinkFlags::WaitingForOnline = true;
        LinkFlags::RestartRequested = true;
    });
    connect(PostMsg::instance(), &PostMsg::SigChangeMainDialog, &pages, [&](int i) { dropped += i == 0; });
    int forms = 0;
    PostMsg::connectBlockingFunctor(&PostMsg::SigForm, &pages, [&] { ++forms; });
    DeviceSession::resumeService();
    DeviceSession::setProgramActive(true);
    LinkFlags::DevicePagesActive = true;

    // Each path the window takes into the library, each the first call of its own hang: it returns within
    // its wait with the failure the pages expect, and the window's timers keep running meanwhile.
    const int wait = DeviceSession::kAnswerWaitMs, scanWait = DeviceSession::kScanWaitMs;
    ReceiverLights::Leds leds{};
    const struct {
        const char* name;
        int bound;
        std::function<bool()> failed; // the outcome a stuck library must give
    } paths[] = {
        {"setting write", wait, [] { return !SetLod(2); }},
        {"online check", wait,
         [&] {
             LinkFlags::WaitingForOnline = true;
             worker.SlotCheckOnline();
             return LinkFlags::WaitingForOnline && !LinkFlags::DeviceOnline;
         }},
        {"record push", wait, [] { return !PushRecord(); }},
        {"profile switch", wait, [] { return !SwitchProfile(1); }},
        {"receiver lights", wait, [&] { return !ReceiverLights::readLeds(leds); }},
        {"device scan", scanWait, [] { return Discovery::enumerate(Discovery::Finder::Default).isEmpty(); }},
        {"pages' rescan", scanWait, [] { return (DevicePagesLink::refresh(), true); }},
        {"online mark", wait,
         [&] {
             DeviceAllInfo d = selected;
             Discovery::markOnline(d);
             return d.online == 0;
         }},
        {"pairing's receiver check", wait,
         [&] { return Pairing::receiverPresent(Pairing::targetFor(selected)); }}, // unknown counts as there
        {"program active", wait, [] { return (DeviceSession::setProgramActive(true), true); }},
        {"usb watch", wait,
         [] { return (DeviceSession::watchUsbChanges(&DevicePagesLink::usbChanged), true); }},
        {"usb watch end", wait, [] { return (DeviceSession::stopWatching(), true); }},
        {"service stop", wait, [] { return (DeviceSession::stopService(), true); }},
        {"service start", wait, [] { return (DeviceSession::resumeService(), true); }},
    };
    QElapsedTimer sinceTick;
    qint64 longestStall = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, &pages,
            [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
    ticker.start(10);
    for (const auto& path : paths) {
        QTRY_VERIFY_WITH_TIMEOUT(!DeviceSession::libraryStuck(), 10000); // the last hang is over
        QVERIFY(v.Hang(path.bound + 800));
        QCoreApplication::processEvents();
        longestStall = 0;
        sinceTick.start();
        QElapsedTimer call;
        call.start();
        const bool failed = path.failed();
        const qint64 took = call.elapsed();
        QVERIFY2(took <= path.bound + 300, qPrintable(QStringLiteral("%1: %2 ms").arg(path.name).arg(took)));
        QVERIFY2(failed, path.name);
        // Later calls do not queue behind the stuck one: the window goes on at once.
        call.restart();
        QVERIFY(!SetLod(3) && !DeviceSession::isOnline(selected.path));
        QVERIFY2(call.elapsed() < 100, path.name);
        QTest::qWait(50);
        QVERIFY2(longestStall <= path.bound + 300,
                 qPrintable(QStringLiteral("%1: stall %2 ms").arg(path.name).arg(longestStall)));
    }
    QCOMPARE(dropped, 0); // a library that did not answer did not send the pages back to the list
    QVERIFY(notices >= 4);
    QVERIFY(CurrentRecord::snapshot() == record);

    // Over: the calls that outlived their waits have ended (a send among them may have reached the
    // mouse after its write was refused); the online check reads the mouse again and the program agrees
    // with it, and the mouse takes the next change.
    QTRY_VERIFY_WITH_TIMEOUT(!DeviceSession::libraryStuck(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT((worker.SlotCheckOnline(), forms >= 1 && LinkFlags::DeviceReady), 10000);
    FlashDataMap mouse;
    QVERIFY(v.ReadFlash(kMouse, -1, mouse.data()));
    QVERIFY(CurrentRecord::snapshot() == mouse);
    QVERIFY(SetLod(mouse.lod == 2 ? 1 : 2));
    QTRY_VERIFY((v.ReadFlash(kMouse, -1, mouse.data()), mouse.lod == (record.lod == 2 ? 1 : 2)));
    QVERIFY(worker.shutdown(3000));
    // A reconnection's run may still be handing out a record: its blocking news waits for this thread,
    // and must reach `pages` before `pages` goes (a call dropped with its receiver is freed unlocked).
    DeviceSession::stopService();
    QTRY_VERIFY_WITH_TIMEOUT(!DeviceSession::libraryStuck(), 10000);
    QCoreApplication::processEvents();
    DevicePagesLink::setWorker(nullptr);
}

// During a hang the worker (on its own thread, held before its start) and the window's stop (queued on the
// call thread) both wait for the library; once it is back, the service ends as the last request wants:
// stopped when the stop came after the run was asked for, running when the run came after the stop.
void TestHardening::serviceStartAndStopKeepTheirOrder() {
    QLibrary lib(qEnvironmentVariable("ZF_REAL_HID"));
    Virt v;
    QVERIFY(HidLibrary::load(lib.fileName()) && lib.load() && bind(lib, v) && v.Reload());
    PostMsg::resetShutdown();
    LinkFlags::resetAll();
    Worker worker;
    QVERIFY(selectFirstOnline());
    worker.SlotSelectMouseInfo(SelectedDevice::get());
    LinkFlags::DevicePagesActive = true;
    for (const bool stopLast : {true, false}) {
        QTRY_VERIFY_WITH_TIMEOUT(!DeviceSession::libraryStuck() && !worker.isRunning(), 10000);
        worker.SlotMainPageChange(); // the run starts the service again
        LinkFlags::DeviceOnline = false;
        QVERIFY(v.Hang(600));
        if (stopLast) {
            worker.requestRun();
            DeviceSession::stopService();
        } else {
            DeviceSession::stopService();
            worker.requestRun();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!DeviceSession::libraryStuck() && !worker.isRunning(), 10000);
        QTest::qWait(50);
        QVERIFY(DeviceSession::ask([] {})); // whatever was queued before has run
        // A read asked for goes out only through a running service.
        const bool running = hid().UsbServer_ReadBatteryLevel() != 0;
        QVERIFY2(running == !stopLast,
                 stopLast ? "running after the later stop" : "stopped after the later start");
    }
    QVERIFY(worker.shutdown(3000));
    DeviceSession::stopService();
}

// Quitting while the library is stuck in a call ends the process within the bounded waits, and a quit
// with a library that answers still ends the ordinary way.
void TestHardening::quitWithAHungLibrary() {
    for (const bool hang : {true, false}) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer took;
        took.start();
        p.start(QCoreApplication::applicationFilePath(), {"--quit", hang ? "60000" : "0"});
        QVERIFY2(p.waitForFinished(10000), hang ? "the quit waited for the stuck library" : "no hang");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), hang ? 7 : 0); // 7: ended by the settling, before the static destructors
        QVERIFY2(took.elapsed() < 8000, qPrintable(QString::number(took.elapsed())));
    }
}

// The quit of the program, as DialogMain and main do it, with the library stuck for `argv`'s time.
static int quitter(int hangMs) {
    QLibrary lib(qEnvironmentVariable("ZF_REAL_HID"));
    Virt v;
    if (!HidLibrary::load(lib.fileName()) || !lib.load() || !bind(lib, v) || !selectFirstOnline())
        return 3;
    DeviceSession::resumeService();
    DeviceSession::watchUsbChanges(&DevicePagesLink::usbChanged);
    if (hangMs > 0)
        v.Hang(hangMs);
    DeviceSession::setProgramActive(false);
    DeviceSession::stopWatching();
    DeviceSession::stopService();
    DeviceSession::settleBeforeExit(7, DeviceSession::kAnswerWaitMs);
    return 0;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--victim") == 0)
        return victim();
    if (argc > 2 && std::strcmp(argv[1], "--quit") == 0)
        return quitter(std::atoi(argv[2]));
    TestHardening test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hardening.moc"
