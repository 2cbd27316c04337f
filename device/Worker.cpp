#include "device/Worker.h"

#include "app/core/DongleRGB.h"
#include "app/core/IniStores.h"
#include "app/core/Logging.h"
#include "app/core/PostMsg.h"
#include "device/DeviceCache.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "platform/RegistryStore.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace DeviceReports {
std::atomic<int> ShowBatteryValue{0};
std::atomic<bool> KeyAdjustActive{false};
std::atomic<bool> LeftKeyPressed{false};
std::atomic<bool> RightKeyPressed{false};

namespace {
constexpr int kFullDataLength = 6988;
constexpr qint64 kReconnectGuardMs = 3000;

std::mutex& clockMutex() {
    static std::mutex m;
    return m;
}
std::function<qint64()>& clockFn() {
    static std::function<qint64()> fn;
    return fn;
}
QElapsedTimer& realClock() {
    static QElapsedTimer t;
    if (!t.isValid())
        t.start();
    return t;
}
qint64 g_resetStart = 0;

qint64 nowMs() {
    if (clockFn())
        return clockFn()();
    return realClock().elapsed();
}

// The receiver's status value as last read or reported. Touched by the report handler only, but a
// replaced service's thread may still be in it while the new one starts: hence the lock.
std::mutex g_receiverRgbMutex;
DongleRGB g_receiverRgb{};

DongleRGB receiverRgb() {
    std::lock_guard<std::mutex> lock(g_receiverRgbMutex);
    return g_receiverRgb;
}

void setReceiverRgb(const DongleRGB& rgb) {
    std::lock_guard<std::mutex> lock(g_receiverRgbMutex);
    g_receiverRgb = rgb;
}

// The pages get a copy of their own: the receivers run on the GUI thread while this thread goes on.
void sendReceiverRgb() {
    DongleRGB copy = receiverRgb();
    PostMsg::instance()->SendRGBValue(&copy);
}

void handleBattery(const uint8_t* data) {
    uint8_t battery[2] = {0, 0};
    hid().GetDeviceBatteryStatus(data, battery);
    PostMsg::instance()->SendBattery(battery[1] != 0, battery[0], ShowBatteryValue.load() == 1);
}

void handleFullData(const uint8_t* data) {
    const DeviceAllInfo device = SelectedDevice::get();
    const QByteArray path = device.path.toLatin1();

    // Parse into a copy so a writer on the GUI thread never sees or sends a half-cleared record.
    FlashDataMap fresh;
    fresh.clear();
    hid().ProtocolDataParser(data, fresh.data());

    hid().UsbServer_ReadDPILed();
    hid().UsbServer_ReadBatteryLevel();
    hid().UsbServer_ReadVersion();
    hid().UsbServer_ReadConfig();
    PostMsg::instance()->SendIsUsb(device.wired != 0, true);

    if (!LinkFlags::SkipReceiverQuery) {
        if (!device.wired) {
            DongleRGB rgb{};
            hid().UsbFinderC_Get4KDongleRGBValue(path.constData(), rgb.bytes);
            setReceiverRgb(rgb);
            if (rgb.bytes[0] != 0)
                sendReceiverRgb();
        }
        unsigned char answer[8] = {'s', 0, 0, 0, 0, 0, 0, 0};
        hid().UsbFinderC_GetLongRangeMode(path.constData(), answer);
        if (answer[0] != 's' && answer[0] != 0)
            PostMsg::instance()->SendLongRangeMode(true);
    }
    LinkFlags::SkipReceiverQuery = false;

    if (LinkFlags::ReconcileMacros) {
        // After a factory reset no button is bound to a macro: the table's "0x05" defaults are key
        // sequences, kept in the key blocks. So every slot is emptied; the noted keys are only logged.
        const QList<int> keys = defaultSequenceKeys(device.row);
        if (!keys.isEmpty())
            qCDebug(lcDevice) << "reset: keys with a default key sequence" << keys;
        std::memset(fresh.macros, 0, sizeof(fresh.macros));
        LinkFlags::ReconcileMacros = false;
    }

    CurrentRecord::replace(fresh, device.cid, device.mid); // this model's record from now on
    hid().ProtocolDataUpdate(fresh.data());
    LinkFlags::Parsing = true;
    LinkFlags::SensorFilled = false;
    LinkFlags::LightFilled = false;
    LinkFlags::ButtonFilled = false;

    PostMsg::instance()->SendUpDataLightUIButton(CurrentRecord::snapshot());
    PostMsg::instance()->SendUpDataLightLight(CurrentRecord::snapshot());
    PostMsg::instance()->SendUpDataLightSensor(CurrentRecord::snapshot());
    PostMsg::instance()->SendForm();

    LinkFlags::DeviceReady = true;
    LinkFlags::Parsing = false;
    LinkFlags::RunRequested = false;
}

void handleReset() {
    const DeviceAllInfo device = SelectedDevice::get();
    const QByteArray path = device.path.toLatin1();
    hid().UsbServer_SetBatteryOptimizeEnable(1);
    const ModelRow row = DeviceTable::row(device.row);
    const int longRange = row.longRangeChoice();
    const int rgbValue = row.receiverRgbValue();
    if (rgbValue >= 1 && !device.wired) {
        DongleRGB rgb = receiverRgb();
        rgb.bytes[0] = uint8_t(std::min(rgbValue, 255));
        setReceiverRgb(rgb);
        if (hid().UsbFinderC_Set4KDongleRGB(path.constData(), rgb.bytes) != 0)
            sendReceiverRgb();
    }
    if (longRange == 0 || longRange == 1) {
        hid().UsbFinderC_SetLongRangeMode(path.constData(), longRange);
        PostMsg::instance()->SendLongRangeMode(longRange == 1);
    }
    // Raised before the read, so the full data can never overtake them.
    LinkFlags::ReconcileMacros = true;
    LinkFlags::SkipReceiverQuery = true;
    hid().UsbServer_ReadAllFlashData();
}

void handleStatus(const uint8_t* data, int dataLength) {
    uint8_t status[7] = {0};
    hid().GetDeviceStatusChanged(data, status);
    if (status[0])
        hid().UsbServer_ReadCurrentDPI();
    if (status[1])
        hid().UsbServer_ReadReportRate();
    if (status[6])
        hid().UsbServer_ReadBatteryLevel();
    if (status[5])
        hid().UsbServer_ReadLedBar();
    if (status[3])
        hid().UsbServer_ReadDPILed();
    if (status[2]) {
        std::lock_guard<std::mutex> lock(clockMutex());
        const qint64 now = nowMs();
        if (now - g_resetStart > kReconnectGuardMs) {
            g_resetStart = now;
            LinkFlags::RestartRequested = true;
            LinkFlags::Reconnected = true;
        }
    }
    if (KeyAdjustActive && dataLength > 0) {
        const auto watch = [](uint8_t byte, std::atomic<bool>& pressed, int key) {
            if (byte == 100 && !pressed) {
                pressed = true;
                PostMsg::instance()->SendPairKey(key, 0);
            } else if (byte == 0 && pressed) {
                pressed = false;
                PostMsg::instance()->SendPairKey(key, 1);
            }
        };
        watch(data[8], LeftKeyPressed, 0);
        watch(data[9], RightKeyPressed, 1);
    }
}

void handleVersion() {
    const DeviceAllInfo device = SelectedDevice::get();
    const QString text = versionText(hid().UsbFinderC_GetVersion(device.path.toLatin1().constData()));
    SelectedDevice::setMouseVersion(text);
    PostMsg::instance()->SendSetver(0);
    const QString key = mouseVersionKey(device.row);
    if (!key.isEmpty())
        RegistryStore(QStringLiteral("Software/Zentrafox/Zentrafox/Vodir Eziza Rode")).setValue(key, text);
}
} // namespace

QList<int> defaultSequenceKeys(int32_t row) {
    QList<int> keys;
    const ModelRow model = DeviceTable::row(row);
    for (int k = 1; k <= ModelRow::kKeyCount; ++k)
        if (model.keyIsSequence(k))
            keys.append(k);
    return keys;
}

void setClock(std::function<qint64()> clock) {
    std::lock_guard<std::mutex> lock(clockMutex());
    clockFn() = std::move(clock);
}

void restartResetTimer() {
    std::lock_guard<std::mutex> lock(clockMutex());
    g_resetStart = nowMs();
}

QString versionText(uint16_t version) {
    return QString::asprintf("v%d.%02X", version >> 8, version & 0xFF);
}

QString mouseVersionKey(int32_t row) {
    const ModelRow model = DeviceTable::row(row);
    if (!model.valid())
        return QString();
    // The texts as the table writes them: the name must find versions stored by earlier runs.
    const QString cid = ConfigIniStore::instance().value(QStringLiteral("Option"), QStringLiteral("CID"));
    return QStringLiteral("MouseVer") + cid + model.midText;
}

void handleReport(const unsigned char* header, int headerLength, const unsigned char* data, int dataLength) {
    // Bytes beyond the given lengths count as 0: the library's decoders and the code below only see
    // zero-padded local copies.
    uint8_t head[8] = {0};
    if (header && headerLength > 0)
        std::memcpy(head, header, size_t(std::min<int>(headerLength, sizeof(head))));
    const int length = (data && dataLength > 0) ? dataLength : 0;
    QByteArray body(std::max(length, kFullDataLength) + 64, '\0');
    if (length > 0)
        std::memcpy(body.data(), data, size_t(std::min(length, int(body.size()))));
    const auto* d = reinterpret_cast<const uint8_t*>(body.constData());

    const uint8_t type = head[1];
    const uint8_t qualifier = head[3];
    const uint8_t subCode = head[4];

    switch (type) {
    case 4:
        handleBattery(d);
        break;
    case 8:
        if (qualifier != 0)
            break;
        if (subCode == 4 && length == 1) {
            if (d[0] >= 8)
                break; // a level outside the table would index past it in the pages
            const FlashDataMap r = CurrentRecord::modify([&](FlashDataMap& rec) {
                rec.currentDpiLevel = d[0];
                return rec;
            });
            PostMsg::instance()->SendUpDataDPI(d[0]);
            hid().SetDllProtocolData(r.data());
        } else if (subCode == 0x4C && length == 8) {
            CurrentRecord::modify([&](FlashDataMap& rec) { hid().BufferToDPILed(d, rec.data() + 154); });
            PostMsg::instance()->SendUpDataDPILed(CurrentRecord::snapshot());
        } else if (subCode == 0xA0 && length == 9) {
            CurrentRecord::modify([&](FlashDataMap& rec) { hid().BufferToLedBar(d, rec.data() + 158); });
            PostMsg::instance()->SendUpDataLightLight(CurrentRecord::snapshot());
        } else if (subCode == 0 && length == 1) {
            CurrentRecord::modify([&](FlashDataMap& rec) { rec.reportRate = d[0]; });
            PostMsg::instance()->SendUpDataReportRate(d[0]);
            // Echoed as the record stands after the pages ran: a change made meanwhile is not undone.
            CurrentRecord::send();
        } else if (subCode == 0 && length == kFullDataLength) {
            handleFullData(d);
        }
        break;
    case 9:
        handleReset();
        break;
    case 10:
        handleStatus(d, length);
        break;
    case 14:
        if (length == 1)
            PostMsg::instance()->SendUpDataConfigUI(4, d[0], true);
        else
            PostMsg::instance()->SendUpDataConfigUI(0, 0, false);
        break;
    case 18:
        handleVersion();
        break;
    case 21:
        // A report that carries the receiver's value is newer than the one read at bring-up.
        if (length >= int(sizeof(DongleRGB))) {
            DongleRGB rgb;
            std::memcpy(rgb.bytes, d, sizeof(DongleRGB));
            setReceiverRgb(rgb);
        }
        sendReceiverRgb();
        break;
    case 23:
        if (length == 10)
            PostMsg::instance()->SendLongRangeMode(false);
        break;
    default:
        break;
    }
}
} // namespace DeviceReports

Worker::Worker(QObject* parent) : QThread(parent) {
    m_lastPath.clear();
    m_lastKind = 0;
    m_serviceTicket = DeviceSession::serviceTicket();
    LinkFlags::RunRequested = true;
    DeviceReports::restartResetTimer();
    DeviceAllInfo placeholder = SelectedDevice::get();
    placeholder.path = QStringLiteral("a");
    SelectedDevice::set(placeholder);
    LinkFlags::DeviceOnline = false;
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &Worker::SlotCheckOnline);
    m_timer->setInterval(1300);
    m_timer->start();
    subscribeToHub();
    DeviceReports::ShowBatteryValue =
        ConfigIniStore::instance().intValue(QStringLiteral("Option"), QStringLiteral("ShowBatteryValue"));
}

void Worker::subscribeToHub() {
    PostMsg* hub = PostMsg::instance();
    disconnect(hub, &PostMsg::SigSelectMouseInfo, this, nullptr);
    disconnect(hub, &PostMsg::SigMainPageChange, this, nullptr);
    connect(hub, &PostMsg::SigSelectMouseInfo, this, &Worker::SlotSelectMouseInfo);
    connect(hub, &PostMsg::SigMainPageChange, this, &Worker::SlotMainPageChange);
}

Worker::~Worker() {
    shutdown();
}

void Worker::requestRun() {
    LinkFlags::RunRequested = true;
    m_serviceTicket = DeviceSession::serviceTicket();
    if (!LinkFlags::UpgradeIdle) {
        // The device may be in its boot loader: its service starts once the flash is over (online check).
        m_deferred = true;
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_runMutex);
        if (m_running) {
            m_runAgain = true; // picked up by the run in progress before it ends
            return;
        }
        m_running = true;
    }
    wait(); // a run that has just decided to end is only leaving run()
    start(QThread::InheritPriority);
}

bool Worker::restoreDefaults(const std::function<void()>& waitNotice) {
    if (!CheckDeviceOnline())
        return false;
    LinkFlags::Restoring = true;
    m_timer->stop(); // no restart from the online check while the mouse reboots its settings
    const FlashDataMap record = CurrentRecord::snapshot();
    if (!DeviceSession::ask([record] {
            hid().UsbServer_SetBatteryOptimizeEnable(0);
            hid().ProtocolDataUpdate(record.data());
            hid().UsbServer_SetClearSetting();
        })) {
        LinkFlags::Restoring = false;
        m_timer->start();
        PostMsg::instance()->SendMouseOffLineo(0);
        return false;
    }
    requestRun();
    if (waitNotice)
        waitNotice();
    LinkFlags::Restoring = false;
    if (!PostMsg::shuttingDown())
        m_timer->start();
    return true;
}

bool Worker::shutdown(int timeoutMs) {
    PostMsg::beginShutdown();
    LinkFlags::RunRequested = false;
    {
        std::lock_guard<std::mutex> lock(m_runMutex);
        m_runAgain = false;
    }
    if (m_timer)
        m_timer->stop();
    const bool stopped = wait(static_cast<unsigned long>(std::max(timeoutMs, 0)));
    DeviceSession::stopWatching();
    return stopped;
}

bool Worker::wait(unsigned long ms) {
    const bool finished = QThread::wait(ms);
    std::lock_guard<std::mutex> lock(m_runMutex);
    return finished;
}

void Worker::SlotSelectMouseInfo(DeviceAllInfo SelectInfo) {
    SelectedDevice::set(SelectInfo);
    // Whatever the record holds belongs to the device chosen before, and must not be cached as this one's.
    CurrentRecord::forgetOwner();
}

void Worker::SlotMainPageChange() {
    LinkFlags::LastStartOnline = false;
}

void Worker::SlotCheckOnline() {
    if (LinkFlags::Busy)
        return; // the next tick after the import or reset catches up
    if (LinkFlags::UpgradeIdle && m_deferred.exchange(false)) {
        requestRun(); // asked for while a flash was going
        return;
    }
    if (LinkFlags::WaitingForOnline) {
        const DeviceAllInfo device = SelectedDevice::get();
        if (!LinkFlags::DevicePagesActive) {
            if (device.kind != 0)
                LinkFlags::WaitingForOnline = false;
        } else if (LinkFlags::UpgradeIdle) {
            const bool online = DeviceSession::isOnline(device.path);
            LinkFlags::DeviceOnline = online;
            LinkFlags::LastStartOnline = false;
            if (!online)
                return;
            PostMsg::instance()->SendCloseOffOnline();
            LinkFlags::WaitingForOnline = false;
        }
    } else if (LinkFlags::DevicePagesActive && LinkFlags::DeviceOnline && LinkFlags::UpgradeIdle &&
               !LinkFlags::RunRequested && !LinkFlags::Restoring) {
        // A live mouse that stopped answering: learnt here rather than at the next refused write, and
        // then watched for like one that was offline at the start. Nothing was refused, so no notice.
        if (!DeviceSession::isOnline(SelectedDevice::pathLatin1())) {
            LinkFlags::DeviceOnline = false;
            LinkFlags::WaitingForOnline = true;
            PostMsg::instance()->SendMouseDropped();
            return;
        }
    }
    if (LinkFlags::DeviceOnline && LinkFlags::RestartRequested) {
        LinkFlags::RestartRequested = false;
        requestRun();
    }
}

void Worker::run() {
    for (;;) {
        if (LinkFlags::RunRequested && !PostMsg::shuttingDown())
            runOnce();
        std::lock_guard<std::mutex> lock(m_runMutex);
        if (!m_runAgain || PostMsg::shuttingDown()) {
            m_runAgain = false;
            m_running = false;
            return;
        }
        m_runAgain = false;
        LinkFlags::RunRequested = true;
    }
}

void Worker::runOnce() {
    const DeviceAllInfo device = SelectedDevice::get();
    const QByteArray path = device.path.toLatin1();
    if (!LinkFlags::DeviceOnline)
        LinkFlags::DeviceOnline = hid().UsbFinderC_GetDeviceOnLine(path.constData()) != 0;

    if (device.path == m_lastPath && int(device.kind) == m_lastKind &&
        LinkFlags::LastStartOnline == LinkFlags::DeviceOnline && !LinkFlags::Reconnected) {
        LinkFlags::DeviceReady = LinkFlags::DeviceOnline.load();
        LinkFlags::RunRequested = false;
        return;
    }

    if (LinkFlags::DevicePagesActive) {
        if (hid().UsbFinderC_GetDeviceOnLine(path.constData()) != 0) {
            SelectedDevice::setOnline(true);
            if (LinkFlags::Reconnected) {
                PostMsg::instance()->SendUpDataParam(1);
                LinkFlags::Reconnected = false;
            } else if (!LinkFlags::Restoring) {
                PostMsg::instance()->SendUpDataParam(0);
            }
        } else {
            LinkFlags::WaitingForOnline = true;
            SelectedDevice::setOnline(false);
            FlashDataMap cached;
            if (DeviceCache::loadChecked(device.cid, device.mid, cached)) {
                CurrentRecord::replace(cached, device.cid, device.mid);
                PostMsg::instance()->SendUpDataLightUIButton(cached);
                PostMsg::instance()->SendUpDataLightLight(cached);
                PostMsg::instance()->SendUpDataLightSensor(cached);
                PostMsg::instance()->SendForm();
            } else {
                PostMsg::instance()->SendFormReset();
            }
        }
        const bool started = DeviceSession::startServiceInTurn(
            m_serviceTicket,
            [&path] {
                hid().UsbServerC_Start(path.constData(), path.constData(), &DeviceReports::handleReport);
                qCDebug(lcDevice) << "OnlinA";
                hid().UsbServer_SetPCDriverStatus(1);
                hid().UsbServer_ReadAllFlashData();
            },
            [] { return PostMsg::shuttingDown(); });
        if (started) { // else a stop asked for after this run came first: the next run starts again
            m_lastPath = device.path;
            m_lastKind = device.kind;
            LinkFlags::LastStartOnline = LinkFlags::DeviceOnline.load();
            qCDebug(lcDevice) << "OnlinB";
        }
    }
    LinkFlags::DeviceReady = LinkFlags::DeviceOnline.load();
    LinkFlags::RunRequested = false;
}
