#include "ctl/Link.h"

#include "app/core/AppPaths.h"
#include "app/core/PostMsg.h"
#include "device/DevicePagesLink.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/Discovery.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "platform/RuntimeDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <atomic>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace Ctl {

qint64 lockHolderPid(const QString& lockFile) {
    const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return 0; // no lock file: the program never ran in this session
    // A shared lock is refused only while the program holds its exclusive one; taken, it is let go
    // at once so a program starting now is not turned away.
    qint64 pid = 0;
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        ::flock(fd, LOCK_UN);
    } else {
        char text[32] = {0};
        const ssize_t n = ::read(fd, text, sizeof(text) - 1);
        // QLockFile writes the pid on the first line, then the application and host names.
        pid = n > 0 ? QByteArray(text, int(n)).split('\n').value(0).trimmed().toLongLong() : 0;
        if (pid <= 0)
            pid = -1; // held, pid not written yet
    }
    ::close(fd);
    return pid;
}

Program runningProgram(const QString& folder) {
    const QString dir = folder.isEmpty() ? RuntimeDir::path() : folder;
    Program program;
    if (dir.isEmpty())
        return program;
    program.pid = lockHolderPid(dir + QStringLiteral("/") + AppPaths::appName() + QStringLiteral(".lock"));
    const RuntimeDir::HeldDevice held = RuntimeDir::heldDevice(dir);
    if (program.pid > 0 && held.pid == program.pid)
        program.heldPath = held.path;
    return program;
}

QList<DeviceAllInfo> findDevices() {
    SelectedDevice::set(DeviceAllInfo());
    return Discovery::enumerate(Discovery::Finder::Default);
}

QString deviceName(const DeviceAllInfo& device) {
    return QFileInfo(device.path).fileName();
}

QString modelName(const DeviceAllInfo& device) {
    return DeviceTable::row(device.row).name;
}

QString connectionText(const DeviceAllInfo& device) {
    if (device.wired)
        return QStringLiteral("cable");
    return QStringLiteral("receiver (class %1)").arg(Discovery::receiverClass(device.kind));
}

Choice chooseDevice(const QList<DeviceAllInfo>& devices, const QString& wanted) {
    Choice c;
    if (devices.isEmpty()) {
        c.reason = QStringLiteral("no supported device is plugged in");
        return c;
    }
    if (wanted.isEmpty()) {
        if (devices.size() > 1) {
            c.failure = Usage;
            c.reason =
                QStringLiteral("%1 devices are plugged in; pick one with --device (see 'zentrafoxctl list')")
                    .arg(devices.size());
            return c;
        }
        c.found = true;
        c.device = devices.first();
        return c;
    }
    bool isNumber = false;
    const int index = wanted.toInt(&isNumber);
    if (isNumber) {
        if (index < 1 || index > devices.size()) {
            c.reason = QStringLiteral("no device %1: %2 plugged in").arg(wanted).arg(devices.size());
            return c;
        }
        c.found = true;
        c.device = devices.at(index - 1);
        return c;
    }
    QList<DeviceAllInfo> matches;
    for (const DeviceAllInfo& d : devices)
        if (d.path == wanted)
            matches = {d};
    if (matches.isEmpty()) {
        for (const DeviceAllInfo& d : devices)
            if (deviceName(d).compare(wanted, Qt::CaseInsensitive) == 0 ||
                modelName(d).compare(wanted, Qt::CaseInsensitive) == 0)
                matches.append(d);
    }
    if (matches.isEmpty()) {
        c.reason = QStringLiteral("no device named '%1' (see 'zentrafoxctl list')").arg(wanted);
        return c;
    }
    if (matches.size() > 1) {
        c.failure = Usage;
        c.reason = QStringLiteral("'%1' names %2 devices; pick one by index or path")
                       .arg(wanted)
                       .arg(matches.size());
        return c;
    }
    c.found = true;
    c.device = matches.first();
    return c;
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    // Woken by each event (the queued news, the signal pipe), not by polling; the timer bounds the wait.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(timeoutMs);
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

Session::Session() {
    PostMsg* hub = PostMsg::instance();
    // Plain queued connections: the report thread goes on at once; news is handled here in order.
    connect(hub, &PostMsg::SigForm, this, [this] {
        const FlashDataMap r = CurrentRecord::snapshot();
        std::memcpy(m_lights + kDpiLight, r.data() + kDpiLight, kDpiLightBytes);
        m_recordArrived = true;
        if (onFullRecord)
            onFullRecord();
    });
    connect(hub, &PostMsg::SigFormReset, this, [this] { m_reset = true; });
    connect(hub, &PostMsg::SigBattery, this, [this](bool isCharging, int level, bool) {
        m_battery = level;
        m_charging = isCharging;
        if (onBattery)
            onBattery(isCharging, level);
    });
    connect(hub, &PostMsg::SigSetver, this, [this](int what) {
        if (what == 0)
            m_versionArrived = true;
    });
    connect(hub, &PostMsg::SigUpDataConfigUI, this, [this](int total, int index, bool enabled) {
        m_profileCount = enabled ? total : 0;
        m_profile = enabled ? index : -1;
        m_profileReported = true;
        if (onProfile)
            onProfile(total, index, enabled);
    });
    connect(hub, &PostMsg::SigUpDataDPI, this, [this](int level) {
        if (onDpiLevel)
            onDpiLevel(level);
    });
    connect(hub, &PostMsg::SigUpDataReportRate, this, [this](int code) {
        if (onReportRate)
            onReportRate(code);
    });
    // The light signals also come with every full record: only bytes that differ from the last seen
    // are news.
    connect(hub, &PostMsg::SigUpDataDPILed, this, [this](FlashDataMap r) {
        if (std::memcmp(m_lights + kDpiLight, r.data() + kDpiLight, kDpiLightBytes) != 0 && onDpiLight)
            onDpiLight();
        std::memcpy(m_lights + kDpiLight, r.data() + kDpiLight, kDpiLightBytes);
    });
    connect(hub, &PostMsg::SigUpDataLightLight, this, [this](FlashDataMap r) {
        if (std::memcmp(m_lights + kLightBar, r.data() + kLightBar, kLightBarBytes) != 0 && m_recordArrived &&
            onLightBar)
            onLightBar();
        std::memcpy(m_lights + kLightBar, r.data() + kLightBar, kLightBarBytes);
    });
    connect(hub, &PostMsg::SigMouseDropped, this, [this] {
        if (onDropped)
            onDropped();
    });
    connect(hub, &PostMsg::SigCloseOffOnline, this, [this] {
        if (onBackOnline)
            onBackOnline();
    });
    connect(hub, &PostMsg::SigUpDataParam, this, [this](int index) {
        if (onUpdateParam)
            onUpdateParam(index);
    });
}

Session::~Session() {
    close();
}

bool Session::open(const DeviceAllInfo& device, int timeoutMs) {
    // A session before this one (list opens one per device) ended with the hub shut down.
    PostMsg::resetShutdown();
    LinkFlags::resetAll();
    m_worker = std::make_unique<Worker>();
    DevicePagesLink::setWorker(m_worker.get());
    PostMsg::instance()->SendSelectMouseInfo(device);
    LinkFlags::DevicePagesActive = true;
    m_worker->requestRun();
    waitUntil([this] { return m_recordArrived || m_reset; }, timeoutMs);
    m_fromCache = m_recordArrived && !LinkFlags::DeviceOnline;
    return m_recordArrived;
}

void Session::waitForDetails(int timeoutMs) {
    if (!online())
        return;
    // The profile is the last of the bring-up's questions and answers come in order, so with it every
    // answer is in; a mouse without profiles says so too.
    waitUntil([this] { return m_battery >= 0 && m_versionArrived && m_profileReported; }, timeoutMs);
}

bool Session::online() const {
    return LinkFlags::DeviceOnline;
}

FlashDataMap Session::record() const {
    return CurrentRecord::snapshot();
}

DeviceAllInfo Session::device() const {
    return SelectedDevice::get();
}

void Session::saveCache() {
    if (online() && !m_fromCache)
        DevicePagesLink::saveCache();
}

void Session::close() {
    if (m_closed || !m_worker)
        return;
    m_closed = true;
    // As the program leaves: no more blocking news, inactive, no USB watch, the service stopped. A
    // library thread may already be inside a blocking send, waiting for this thread: the stop runs
    // beside the event loop, which serves such a send, so the service always ends rather than being cut
    // loose after the library's grace time to race the next session or the exit.
    m_worker->shutdown(0);
    std::atomic<bool> stopped{false};
    std::thread stopper([this, &stopped] {
        m_worker->wait();
        DeviceSession::setProgramActive(false);
        DeviceSession::stopWatching();
        DeviceSession::stopService();
        stopped = true;
        QMetaObject::invokeMethod(
            this, [] {}, Qt::QueuedConnection); // wakes the loop below
    });
    waitUntil([&stopped] { return stopped.load(); }, 30000);
    stopper.join();
    DevicePagesLink::setWorker(nullptr);
}

} // namespace Ctl
