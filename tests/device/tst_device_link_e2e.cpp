// The device link against the real library and its virtual mouse "mouse0" behind "receiver0": what a
// person does with the mouse (unplug, replug, cable/receiver, its own buttons) and with the program (start,
// restart, factory reset) must reach the record and the hub the way the pages expect it.
#include "app/core/PostMsg.h"
#include "device/DeviceCache.h"
#include "device/DevicePagesLink.h"
#include "device/DeviceSession.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "device/Worker.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QDir>
#include <QMutex>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

namespace {
const QString kReceiverPath = QStringLiteral("/dev/zf-virtual/receiver0");
const QString kCablePath = QStringLiteral("/dev/zf-virtual/mouse0");
const char* const kMouse = "mouse0";
// A second model (MID 0x20), switched off behind its own receiver, beside the default pair.
const QByteArray kTwoModels =
    "mouse mouse0 vid=373B pid=1001 cid=05 mid=1F receiver=receiver0 link=receiver\n"
    "mouse mouseB vid=373B pid=1001 cid=05 mid=20 receiver=receiverB link=off\n"
    "receiver receiver0 vid=373B pid=1002 address=A10001\n"
    "receiver receiverB vid=373B pid=1002 address=A10002\n";
const QString kReceiverBPath = QStringLiteral("/dev/zf-virtual/receiverB");

std::atomic<qint64> g_now{0};

// Messages that reach Qt's output, from any thread.
QMutex g_logMutex;
QStringList g_log;
void collectLog(QtMsgType, const QMessageLogContext&, const QString& text) {
    QMutexLocker lock(&g_logMutex);
    g_log << text;
}

// Records a hub signal on the GUI thread. A QSignalSpy records on the emitting thread, which for
// device news is the library's, and would race with the test reading it.
template <typename... Args> class NewsSpy : public QList<QList<QVariant>> {
public:
    explicit NewsSpy(void (PostMsg::*signal)(Args...)) {
        PostMsg::connectBlockingFunctor(signal, &m_context, [this](Args... args) {
            append(QList<QVariant>{QVariant::fromValue(args)...});
        });
    }

private:
    QObject m_context;
};
} // namespace

class TestDeviceLinkE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void sessionBehindReceiver();
    void cableAndReceiverSwitch();
    void reconnectionGuard();
    void behindAClassEightReceiver();
    void offlineStartShowsOnlyASoundCache();
    void cacheOnlyUnderItsOwnMouse();
    void factoryReset();

private:
    // Chooses the device at `path` as the device list does and waits for its record.
    void bringUp(const QString& path, bool expectRecord = true, int row = 0);
    // What the pages' back button does.
    void backToList();
    // The program quits and starts again: the link and the worker go, a fresh worker comes.
    void restart();
    FlashDataMap flash();
    // The virtual devices of `description` instead of the default pair, until the next test.
    bool reloadWith(const QByteArray& description);
    void waitFor(const QList<QList<QVariant>>& spy, int count, int ms = 10000);

    QTemporaryDir m_appDir;
    QTemporaryDir m_state;
    VirtualMouseSetup::Controls v;
    std::unique_ptr<Worker> m_worker;
    std::unique_ptr<QObject> m_pages;
    int m_offline = 0;
};

void TestDeviceLinkE2E::initTestCase() {
    QVERIFY(m_appDir.isValid() && m_state.isValid());
    qputenv("ZF_HIDUSB_PAIR_MS", "0");
    IniStore& ini = VirtualMouseSetup::prepare(m_appDir, m_state);
    ini.setValue("Option", "ShowBatteryValue", "1");
    ini.setValue("Drive1", "DisOnLine", "1");
    ini.setValue("Option", "DeviceTotal", "2");
    ini.setValue("Drive2", "CID", "5");
    ini.setValue("Drive2", "MID", "32");
    ini.setList("Drive1", "Adveanced", {"1", "3"});
    ini.sync();
    const QString failed = v.load();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    DeviceReports::setClock([] { return g_now.load(); });
}

void TestDeviceLinkE2E::init() {
    // A fresh mouse with factory flash behind its plugged-in receiver.
    QDir(m_state.path()).removeRecursively();
    QDir().mkpath(m_state.path());
    qunsetenv("ZF_HIDUSB_DEVICES");
    QVERIFY(v.Reload());
    QDir(DeviceCache::folder()).removeRecursively();
    VirtualMouseSetup::freshProgram();
    SelectedDevice::set(DeviceAllInfo());
    g_now = 100000;
    m_pages.reset(new QObject);
    // What the home window does with the offline news: watch for the mouse and restart it on return.
    m_offline = 0;
    connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, m_pages.get(), [this](int) {
        ++m_offline;
        LinkFlags::WaitingForOnline = true;
        LinkFlags::RestartRequested = true;
    });
    m_worker.reset(new Worker);
    DevicePagesLink::setWorker(m_worker.get());
}

void TestDeviceLinkE2E::cleanup() {
    DeviceSession::stopWatching(); // a case that failed half-way leaves no watcher to the next
    QVERIFY(m_worker->shutdown(3000));
    DeviceSession::stopService();
    m_worker.reset();
    m_pages.reset();
    DevicePagesLink::setWorker(nullptr);
    PostMsg::resetShutdown();
}

void TestDeviceLinkE2E::waitFor(const QList<QList<QVariant>>& spy, int count, int ms) {
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= count, ms);
}

FlashDataMap TestDeviceLinkE2E::flash() {
    FlashDataMap r;
    r.clear();
    v.ReadFlash(kMouse, -1, r.data());
    return r;
}

bool TestDeviceLinkE2E::reloadWith(const QByteArray& description) {
    QFile file(m_appDir.path() + "/devices.txt");
    if (!file.open(QIODevice::WriteOnly) || file.write(description) != description.size())
        return false;
    file.close();
    qputenv("ZF_HIDUSB_DEVICES", file.fileName().toLocal8Bit());
    return v.Reload();
}

void TestDeviceLinkE2E::bringUp(const QString& path, bool expectRecord, int row) {
    NewsSpy form(&PostMsg::SigForm);
    DeviceAllInfo chosen;
    for (DeviceAllInfo d : Discovery::enumerate(Discovery::Finder::Default)) {
        Discovery::markOnline(d);
        if (d.path == path)
            chosen = d;
    }
    QCOMPARE(chosen.path, path);
    QCOMPARE(int(chosen.row), row);
    SelectedDevice::set(chosen);
    VirtualMouseSetup::run(*m_worker, chosen);
    if (expectRecord) {
        waitFor(form, 1);
        QTRY_VERIFY(LinkFlags::DeviceReady);
    }
}

void TestDeviceLinkE2E::backToList() {
    DevicePagesLink::saveCache();
    DeviceSession::stopService();
    m_worker->SlotMainPageChange();
    LinkFlags::DevicePagesActive = false;
}

void TestDeviceLinkE2E::restart() {
    QVERIFY(m_worker->shutdown(3000));
    DeviceSession::stopService();
    m_worker.reset();    // its destructor shuts the link down once more
    QVERIFY(v.Reload()); // the virtual mouse keeps only what reached its stored flash
    VirtualMouseSetup::freshProgram();
    m_worker.reset(new Worker);
    DevicePagesLink::setWorker(m_worker.get());
}

void TestDeviceLinkE2E::sessionBehindReceiver() {
    QList<FlashDataMap> shown; // what the button, light and sensor pages were handed
    for (auto signal :
         {&PostMsg::SigUpDataLightUIButton, &PostMsg::SigUpDataLightLight, &PostMsg::SigUpDataLightSensor})
        PostMsg::connectBlockingFunctor(signal, m_pages.get(), [&](FlashDataMap r) { shown << r; });
    // A bring-up prints nothing unless the device category is turned on.
    const QtMessageHandler previous = qInstallMessageHandler(collectLog);
    bringUp(kReceiverPath);
    qInstallMessageHandler(previous);
    QVERIFY2(g_log.isEmpty(), qPrintable(g_log.join('\n')));
    QCOMPARE(shown.size(), 3);
    for (const FlashDataMap& r : shown)
        QVERIFY(r == flash());
    const FlashDataMap before = CurrentRecord::snapshot();
    const uint8_t lod = before.lod == 2 ? 1 : 2;

    // Switched off while its pages are live: the receiver stays, so do the pages. The worker's own
    // online check (its timer, not a write) tells within a period, without the offline notice.
    NewsSpy dropped(&PostMsg::SigMouseDropped);
    NewsSpy toList(&PostMsg::SigChangeMainDialog);
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_OFF));
    DevicePagesLink::refresh();
    LinkFlags::UpgradeIdle = false; // an upgrade takes the mouse away on purpose
    m_worker->SlotCheckOnline();
    QVERIFY(dropped.isEmpty() && !LinkFlags::WaitingForOnline);
    LinkFlags::UpgradeIdle = true;
    {
        const LinkFlags::BusyScope busy; // an import or a reset: no check at all
        m_worker->SlotCheckOnline();
        QVERIFY(dropped.isEmpty() && !LinkFlags::WaitingForOnline);
    }
    QTRY_COMPARE_WITH_TIMEOUT(dropped.count(), 1, 2000);
    QVERIFY(LinkFlags::WaitingForOnline && !LinkFlags::DeviceOnline);
    QCOMPARE(m_offline, 0);
    QCOMPARE(toList.count(), 0);
    QCOMPARE(SelectedDevice::path(), kReceiverPath);
    m_worker->SlotCheckOnline();
    QCOMPARE(dropped.count(), 1);
    // A write now is refused with the notice, and leaves the record.
    QVERIFY(!SetLod(lod));
    QCOMPARE(m_offline, 1);
    QVERIFY(CurrentRecord::snapshot() == before);

    // Back on: the online check closes the offline state once and the restart reads the record again.
    NewsSpy closeNotice(&PostMsg::SigCloseOffOnline);
    NewsSpy form(&PostMsg::SigForm);
    g_now += 5000; // past the reconnection guard
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_RECEIVER));
    {
        const LinkFlags::BusyScope busy;
        m_worker->SlotCheckOnline();
        QVERIFY(closeNotice.isEmpty() && LinkFlags::WaitingForOnline);
    }
    QVERIFY(!LinkFlags::Busy);
    m_worker->SlotCheckOnline();
    QCOMPARE(closeNotice.count(), 1);
    QVERIFY(!LinkFlags::WaitingForOnline && LinkFlags::DeviceOnline);
    waitFor(form, 1);
    m_worker->SlotCheckOnline();
    QCOMPARE(closeNotice.count(), 1);
    QCOMPARE(dropped.count(), 1);
    QVERIFY(SetLod(lod));
    QTRY_COMPARE(int(flash().lod), int(lod));

    // Back at the list nothing is watched: a mouse switched off there raises nothing.
    backToList();
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_OFF));
    m_worker->SlotCheckOnline();
    QCOMPARE(dropped.count(), 1);
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_RECEIVER));

    // The program starts again: the change comes back from the mouse.
    restart();
    bringUp(kReceiverPath);
    QCOMPARE(int(shown.last().lod), int(lod));
}

void TestDeviceLinkE2E::cableAndReceiverSwitch() {
    bringUp(kReceiverPath);
    const QList<uint8_t> address = SelectedDevice::get().address;
    QCOMPARE(address.size(), 3);

    // The library's own USB-change notification drives the pages' refresh.
    DevicePagesLink::startWatching();
    NewsSpy form(&PostMsg::SigForm);
    NewsSpy isUsb(&PostMsg::SigIsUsb);
    NewsSpy toList(&PostMsg::SigChangeMainDialog);
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_CABLE));
    QTRY_COMPARE_WITH_TIMEOUT(SelectedDevice::path(), kCablePath, 5000);
    waitFor(form, 1);
    const DeviceAllInfo onCable = SelectedDevice::get();
    QCOMPARE(int(onCable.wired), 1);
    QCOMPARE(onCable.address, address);
    QTRY_VERIFY(!isUsb.isEmpty());
    QCOMPARE(isUsb.last().at(0).toBool(), true);
    QCOMPARE(toList.count(), 0);
    // The cache goes under the model's own name, whichever way the mouse is linked.
    QVERIFY(DevicePagesLink::saveCache());
    FlashDataMap cached;
    QVERIFY(DeviceCache::load(0x05, 0x1F, cached) && cached == CurrentRecord::snapshot());

    // A setting now goes over the cable.
    const uint8_t rate = flash().reportRate == 1 ? 2 : 1;
    QVERIFY(SetReportRate(rate));
    QTRY_COMPARE(int(flash().reportRate), int(rate));

    // Back onto the receiver: the same mouse is followed there too, and read again.
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_RECEIVER));
    QTRY_COMPARE_WITH_TIMEOUT(SelectedDevice::path(), kReceiverPath, 5000);
    waitFor(form, 2);
    QCOMPARE(int(SelectedDevice::get().wired), 0);
    QCOMPARE(toList.count(), 0);

    // Switched off behind the receiver, then charged on the cable: the pages follow it there although
    // its receiver entry had gone offline.
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_OFF));
    QTRY_VERIFY_WITH_TIMEOUT((m_worker->SlotCheckOnline(), !SelectedDevice::get().online), 5000);
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_CABLE));
    QTRY_COMPARE_WITH_TIMEOUT(SelectedDevice::path(), kCablePath, 5000);
    waitFor(form, 3);
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_RECEIVER));
    QTRY_COMPARE_WITH_TIMEOUT(SelectedDevice::path(), kReceiverPath, 5000);

    // Mouse off and receiver pulled: back to the list. With nothing selected, writers refuse instead of
    // reaching a stale path.
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_OFF));
    QVERIFY(v.Plug("receiver0", 0));
    QTRY_COMPARE_WITH_TIMEOUT(toList.count(), 1, 5000);
    QCOMPARE(toList.first().at(0).toInt(), 0);
    DeviceSession::stopWatching();
    QVERIFY(SelectedDevice::path().isEmpty());
    QVERIFY(!SetLod(3));
}

void TestDeviceLinkE2E::reconnectionGuard() {
    bringUp(kReceiverPath);
    NewsSpy param(&PostMsg::SigUpDataParam);
    NewsSpy battery(&PostMsg::SigBattery);
    // A replug sends a reconnection with a battery flag: the battery news marks the report handled. The
    // online check then restarts the link if the reconnection was taken.
    const QList<QPair<int, int>> steps = {{5000, 1}, {2000, 1}, {1500, 2}}; // ms since the last, restarts
    for (const auto& step : steps) {
        g_now += step.first;
        const int seen = battery.count();
        QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_OFF));
        QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_RECEIVER));
        QTRY_VERIFY(battery.count() > seen);
        m_worker->SlotCheckOnline();
        QTRY_VERIFY(!LinkFlags::RunRequested);
        QTRY_COMPARE(int(std::count_if(param.begin(), param.end(), [](auto& a) { return a.at(0) == 1; })),
                     step.second);
    }
}

void TestDeviceLinkE2E::behindAClassEightReceiver() {
    // The receiver takes its class from the table's list holding its PID.
    IniStore& ini = ConfigIniStore::instance();
    ini.setList("Option", "Wireless8_PID", {"3008"});
    ini.sync();
    QVERIFY(reloadWith("receiver receiver0 pid=3008\nmouse mouse0 receiver=receiver0\n"));
    bringUp(kReceiverPath);
    const DeviceAllInfo selected = SelectedDevice::get();
    QCOMPARE(int(selected.kind), 5);
    QCOMPARE(int(selected.wired), 0);
    QCOMPARE(Discovery::receiverClass(selected.kind), 8);
    // From 1000 Hz (the flash keeps what earlier cases left), the mouse's own button steps up through
    // 2000 and 4000 to 8000 Hz, and the program follows.
    QVERIFY(SetReportRate(1));
    QTRY_COMPARE(int(flash().reportRate), 1);
    // One press at a time: each step is seen before the next press.
    NewsSpy rate(&PostMsg::SigUpDataReportRate);
    for (const int step : {16, 32, 64}) {
        QVERIFY(v.PressRateButton(kMouse));
        QTRY_COMPARE_WITH_TIMEOUT(int(CurrentRecord::snapshot().reportRate), step, 10000);
    }
    QTRY_VERIFY(!rate.isEmpty() && rate.last().at(0).toInt() == 64);
    QCOMPARE(int(flash().reportRate), 64);
    // The device's own change is the new baseline: a later write does not send the old rate back.
    QVERIFY(SetLod(4));
    QTRY_COMPARE(int(flash().lod), 4);
    QCOMPARE(int(flash().reportRate), 64);
    ini.remove("Option", "Wireless8_PID");
}

void TestDeviceLinkE2E::offlineStartShowsOnlyASoundCache() {
    // Without a cache file the pages get SigFormReset instead; so they do for a file of the right length
    // holding a record no mouse can have, and the mouse, when it comes back, keeps its own settings.
    const FlashDataMap factory = flash();
    FlashDataMap nonsense = factory;
    nonsense.dpiLevelCount = 2;
    nonsense.currentDpiLevel = 5;
    FlashDataMap cached = factory;
    cached.lod = 3;
    cached.sleepTime = cached.sleepTimeCopy = 77;
    for (const bool sound : {false, true}) {
        if (sound)
            restart();
        QVERIFY(DeviceCache::save(0x05, 0x1F, sound ? cached : nonsense));
        QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_OFF));
        NewsSpy reset(&PostMsg::SigFormReset);
        NewsSpy form(&PostMsg::SigForm);
        FlashDataMap shown;
        shown.clear();
        QObject page;
        PostMsg::connectBlockingFunctor(&PostMsg::SigUpDataLightSensor, &page,
                                        [&](FlashDataMap r) { shown = r; });
        bringUp(kReceiverPath, false);
        waitFor(sound ? form : reset, 1);
        QCOMPARE(reset.count(), sound ? 0 : 1);
        QCOMPARE(form.count(), sound ? 1 : 0);
        QVERIFY(sound ? shown == cached : CurrentRecord::snapshot() == FlashDataMap{});
        QVERIFY(LinkFlags::WaitingForOnline && !LinkFlags::DeviceReady);

        // The mouse comes back: notice closed, and its reconnection brings the real record.
        NewsSpy closeNotice(&PostMsg::SigCloseOffOnline);
        g_now += 5000;
        QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_RECEIVER));
        // The worker's own 1300 ms check may take the reconnection (and clear the flag) before this does.
        QTRY_VERIFY(LinkFlags::RestartRequested || closeNotice.count() == 1);
        m_worker->SlotCheckOnline();
        QTRY_COMPARE(closeNotice.count(), 1);
        waitFor(form, sound ? 2 : 1);
        QTRY_VERIFY(shown == factory);
        QVERIFY(CurrentRecord::snapshot() == factory && flash() == factory);
    }
}

void TestDeviceLinkE2E::cacheOnlyUnderItsOwnMouse() {
    QVERIFY(reloadWith(kTwoModels));
    const auto cachedFiles = [] { return QDir(DeviceCache::folder()).entryList(QDir::Files); };

    // Closed from the device list with nothing chosen: nothing is cached.
    QVERIFY(!DevicePagesLink::saveCache());
    QVERIFY(cachedFiles().isEmpty());

    // B offline with no cache, first thing after the start: its pages reset and nothing is cached,
    // neither when going back nor when closing.
    NewsSpy reset(&PostMsg::SigFormReset);
    bringUp(kReceiverBPath, false, 1);
    waitFor(reset, 1);
    backToList();
    QVERIFY(!DevicePagesLink::saveCache());
    QVERIFY(cachedFiles().isEmpty());

    // A read from the mouse, back, then B: A's record is A's alone.
    bringUp(kReceiverPath);
    backToList();
    bringUp(kReceiverBPath, false, 1);
    waitFor(reset, 2);
    QVERIFY(!DevicePagesLink::saveCache());
    QCOMPARE(cachedFiles(), QStringList{DeviceCache::fileName(0x05, 0x1F)});
    FlashDataMap a;
    QVERIFY(DeviceCache::load(0x05, 0x1F, a) && a == flash());
}

void TestDeviceLinkE2E::factoryReset() {
    bringUp(kReceiverPath);
    const FlashDataMap factory = flash();
    NewsSpy form(&PostMsg::SigForm);

    // A macro on button 3 and a changed LOD, both in the mouse's flash.
    MacroBlock macro{};
    for (size_t i = 0; i < sizeof(macro.bytes); ++i)
        macro.bytes[i] = uint8_t(i * 7 + 1);
    QVERIFY(SetButtonMacro(3, ButtonAssignment{{6, 3, 1}}, macro));
    QVERIFY(SetLod(factory.lod == 2 ? 1 : 2));
    QTRY_VERIFY(std::memcmp(flash().macros[3].bytes, macro.bytes, sizeof(macro.bytes)) == 0);

    // A reset report alone (no reset in the mouse) still empties the macro area of the next record.
    const unsigned char resetHeader[] = {0, 9, 0, 0, 0};
    const unsigned char resetData[] = {1};
    DeviceReports::handleReport(resetHeader, 5, resetData, 1);
    waitFor(form, 1);
    FlashDataMap r = CurrentRecord::snapshot();
    for (const MacroBlock& slot : r.macros)
        QVERIFY(std::all_of(std::begin(slot.bytes), std::end(slot.bytes), [](uint8_t b) { return b == 0; }));
    QCOMPARE(r.buttons[3].bytes[0], uint8_t(6));
    // "Adveanced" = 1,3: the receiver is in long range mode.
    unsigned char answer[8] = {'s'};
    hid().UsbFinderC_GetLongRangeMode(kReceiverPath.toLatin1().constData(), answer);
    QCOMPARE(int(answer[0]), 1);
    QVERIFY(!LinkFlags::ReconcileMacros && !LinkFlags::SkipReceiverQuery);

    // The restore flow: the mouse goes back to its factory settings and the pages get them.
    bool noticeShown = false;
    QVERIFY(m_worker->restoreDefaults([&] {
        noticeShown = true;
        QVERIFY(LinkFlags::Restoring);
        QTRY_VERIFY(form.count() > 1); // the pages' wait notice runs events meanwhile
    }));
    QVERIFY(noticeShown && !LinkFlags::Restoring);
    QCOMPARE(CurrentRecord::snapshot().lod, factory.lod);
    QVERIFY(CurrentRecord::snapshot() == flash());

    // Offline, nothing is cleared and the offline notice is raised.
    QVERIFY(v.SetLink(kMouse, HIDVIRT_LINK_OFF));
    QVERIFY(!m_worker->restoreDefaults([] { QFAIL("no wait notice while offline"); }));
    QCOMPARE(m_offline, 1);
}

QTEST_MAIN(TestDeviceLinkE2E)
#include "tst_device_link_e2e.moc"
