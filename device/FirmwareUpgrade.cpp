#include "device/FirmwareUpgrade.h"

#include "app/core/AppPaths.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "platform/RegistryStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>

namespace Upgrade {
void flashStatus(int slot, const unsigned char* status, int length);

namespace {
// The store of Part-wide device values (last mouse version, unfinished upgrade).
RegistryStore store() {
    return RegistryStore(QStringLiteral("Software/Zentrafox/Zentrafox/Vodir Eziza Rode"));
}

using Clock = std::chrono::steady_clock;

// A flash handed to the library. The library reads the image on its own thread after the start returned,
// so the image stays until the flash reports its end, however long after its run gave up on it. Each
// flash has a callback of its own: a late report finds its flash, never the run that came after.
struct Flash {
    bool used = false;
    quint64 id = 0;
    QByteArray image;
    Run* run = nullptr; // the run following it; none once given up
    int generation = 0;
    int index = 0;          // 0 mouse, 1 receiver
    Clock::time_point over; // past it, a flash that never reported its end counts as over
};
constexpr int kFlashSlots = 4;
std::mutex g_mutex; // guards everything below; never held across a call into the library
std::array<Flash, kFlashSlots> g_flashes;
quint64 g_lastFlashId = 0;
int g_runs = 0; // started and not finished
std::atomic<int> g_flashLimitMs{kFlashLimitMs};

bool pendingLocked(const Flash& f, Clock::time_point now) {
    return f.used && now < f.over;
}

// Idle: no run, and no flash that may still be going. Returns when the next pending flash runs out.
Clock::time_point settleLocked() {
    const Clock::time_point now = Clock::now();
    Clock::time_point next = Clock::time_point::max();
    for (const Flash& f : g_flashes)
        if (pendingLocked(f, now))
            next = std::min(next, f.over);
    LinkFlags::UpgradeIdle = g_runs == 0 && next == Clock::time_point::max();
    return next;
}

FlashWatch* g_watch = nullptr; // guarded by g_mutex

// A flash is over (its end, or a start refused after its run gave up): the windows hear of it.
void releaseLocked(int slot, quint64 id) {
    if (g_flashes[slot].used && g_flashes[slot].id == id)
        g_flashes[slot] = Flash();
    settleLocked();
    if (g_watch)
        QMetaObject::invokeMethod(g_watch, "settle", Qt::QueuedConnection);
}

void detachLocked(const Run* run) {
    for (Flash& f : g_flashes)
        if (f.run == run)
            f.run = nullptr;
}

template <int N> void progressAt(const unsigned char* status, int length) {
    flashStatus(N, status, length);
}
const HidUpgradeProgressCallback kCallbacks[kFlashSlots] = {&progressAt<0>, &progressAt<1>, &progressAt<2>,
                                                            &progressAt<3>};

const unsigned char* bytes(const QByteArray& image) {
    return reinterpret_cast<const unsigned char*>(image.constData());
}
} // namespace

QString failInfoName() {
    return QStringLiteral("UpdateFailInfo");
}

bool parseFailInfo(const QString& text, FailInfo& out) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return false;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = fields.at(i).trimmed().toInt(&ok, 10);
        if (!ok || values[i] < 0 || values[i] > 255)
            return false;
    }
    out = {values[0], values[1], values[2], values[3]};
    return true;
}

bool readFailInfo(FailInfo& out) {
    return parseFailInfo(store().value(failInfoName()).toString(), out);
}

void writeFailInfo(const FailInfo& info) {
    store().setValue(
        failInfoName(),
        QStringLiteral("%1,%2,%3,%4").arg(info.type).arg(info.receiverClass).arg(info.cid).arg(info.mid));
}

void clearFailInfo() {
    store().remove(failInfoName());
}

QString logPath() {
    return AppPaths::userDataRoot() + QStringLiteral("/Exception/UpDateLog.txt");
}

void log(const QString& line) {
    QDir().mkpath(AppPaths::userDataRoot() + QStringLiteral("/Exception"));
    QFile file(logPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    file.write((QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char(' ') + line +
                QLatin1Char('\n'))
                   .toUtf8());
}

int overallPercent(int percent, int plannedImages, bool receiverStage) {
    percent = qBound(0, percent, 100);
    if (plannedImages < 2)
        return percent;
    return percent / 2 + (receiverStage ? 50 : 0);
}

int receiverClassFor(const DeviceAllInfo& selected, const QList<DeviceAllInfo>& listed) {
    if (!DeviceAllInfo::isWiredKind(selected.kind) && !selected.wired)
        return Discovery::receiverClass(selected.kind);
    if (listed.size() != 2)
        return 0;
    for (const DeviceAllInfo& d : listed) {
        if (d.wired || DeviceAllInfo::isWiredKind(d.kind))
            continue;
        if (const int c = Discovery::receiverClass(d.kind))
            return c;
    }
    return 0;
}

namespace {
Plan planForModel(int32_t row, uint8_t cid, uint8_t mid, int receiverClass) {
    Plan plan;
    const ModelRow model = DeviceTable::row(row);
    plan.cid = cid;
    plan.mid = mid;
    plan.receiverClass = receiverClass;
    plan.mouseName = model.mouseImage;
    plan.receiverName = model.receiverImage(receiverClass);
    return plan;
}

bool isWired(const DeviceAllInfo& d) {
    return d.wired || DeviceAllInfo::isWiredKind(d.kind);
}
} // namespace

Plan planFor(const DeviceAllInfo& selected, const QList<DeviceAllInfo>& listed, bool mouse, bool receiver) {
    const ModelRow model = DeviceTable::row(selected.row);
    Plan plan = planForModel(selected.row, model.cid, model.mid, receiverClassFor(selected, listed));
    plan.mouseVersion = selected.mouseVersion;
    if (!isWired(selected)) {
        plan.receiverVersion = selected.firmware;
        plan.receiverPath = selected.path;
    } else {
        for (const DeviceAllInfo& d : listed)
            if (!isWired(d) && d.mid == plan.mid) {
                plan.receiverVersion = d.firmware;
                plan.receiverPath = d.path;
                break;
            }
    }
    plan.mouseStage = mouse;
    plan.receiverStage = receiver && plan.receiverClass != 0;
    return plan;
}

RepairCheck checkRepair(const QList<DeviceAllInfo>& devices) {
    FailInfo info;
    if (!readFailInfo(info))
        return RepairCheck();
    return checkRepair(info, devices);
}

RepairCheck checkRepair(const FailInfo& info, const QList<DeviceAllInfo>& devices) {
    RepairCheck check;
    check.needed = true;
    const bool receiverFailed = info.type == FirmwareImage::kReceiverImage;
    const bool mouseFailed = info.type == FirmwareImage::kMouseImage;
    if (devices.isEmpty()) {
        check.problem = receiverFailed ? QStringLiteral("NoRecieve")
                        : mouseFailed  ? QStringLiteral("NoUSB")
                                       : QStringLiteral("NotDevice");
        return check;
    }
    QList<DeviceAllInfo> wired, wireless;
    for (const DeviceAllInfo& d : devices)
        (isWired(d) ? wired : wireless).append(d);
    if (wired.size() >= 2 || (receiverFailed && wired.size() == 1 && wired.at(0).mid != info.mid)) {
        check.problem = QStringLiteral("MultiMouse");
        return check;
    }
    if (wireless.size() >= 2 || (mouseFailed && wireless.size() == 1 && wireless.at(0).mid != info.mid)) {
        check.problem = QStringLiteral("MultiDongle");
        return check;
    }
    const QList<DeviceAllInfo>& needed = receiverFailed ? wireless : wired;
    if ((!receiverFailed && !mouseFailed) || needed.isEmpty() || needed.at(0).mid != info.mid) {
        check.problem = receiverFailed ? QStringLiteral("NoRecieve") : QStringLiteral("NoUSB");
        return check;
    }
    const DeviceTable table = DeviceTable::load();
    const int row = table.find(uint8_t(info.cid), uint8_t(info.mid));
    int receiverClass = info.receiverClass;
    if (receiverClass == 0 && !wireless.isEmpty())
        receiverClass = Discovery::receiverClass(wireless.at(0).kind);
    check.plan = planForModel(row, uint8_t(info.cid), uint8_t(info.mid), receiverClass);
    if (!wireless.isEmpty())
        check.plan.receiverPath = wireless.at(0).path;
    // A repair flashes whatever image there is: the failed flash left no version worth comparing.
    check.plan.mouseStage = mouseFailed;
    check.plan.receiverStage = receiverClass != 0 && !check.plan.receiverName.isEmpty();
    return check;
}

void setFlashLimit(int ms) {
    g_flashLimitMs = std::max(ms, 0);
}

FlashWatch* FlashWatch::instance() {
    static FlashWatch* watch = [] {
        auto* w = new FlashWatch; // lives as long as the process: late reports may still reach it
        std::lock_guard<std::mutex> lock(g_mutex);
        g_watch = w;
        return w;
    }();
    return watch;
}

void FlashWatch::settle() {
    Clock::time_point next;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        next = settleLocked();
    }
    if (next == Clock::time_point::max()) {
        emit over();
        return;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count() + 1;
    QTimer::singleShot(int(std::max<qint64>(ms, 1)), this, &FlashWatch::settle);
}

bool libraryFlashing() {
    std::lock_guard<std::mutex> lock(g_mutex);
    const Clock::time_point now = Clock::now();
    return std::any_of(g_flashes.begin(), g_flashes.end(),
                       [now](const Flash& f) { return pendingLocked(f, now); });
}

void flashStatus(int slot, const unsigned char* status, int length) {
    if (!status || length < 3 || status[0] != 7)
        return;
    const int kind = status[1];
    const int value = status[2];
    if (kind != 1 && kind != 2)
        return;
    std::lock_guard<std::mutex> lock(g_mutex);
    Flash& flash = g_flashes[slot];
    if (!flash.used)
        return;
    Run* run = flash.run;
    const int generation = flash.generation;
    const int index = flash.index;
    if (kind == 2)
        releaseLocked(slot, flash.id); // the library is done with its image
    if (!run)
        return;
    if (kind == 2) {
        int flashing = Flashing;
        run->m_state[index].compare_exchange_strong(flashing, value == 1 ? Done : Failed);
    }
    // By name, not with a functor: the functor's slot object would be shared with this thread and freed
    // by whichever side lets go last, an ordering only Qt's uninstrumented atomics know.
    QMetaObject::invokeMethod(run, "onStatus", Qt::QueuedConnection, Q_ARG(int, generation), Q_ARG(int, kind),
                              Q_ARG(int, value));
}

Run::Run(QObject* parent) : QObject(parent) {
    FlashWatch::instance();
    m_state[0] = None;
    m_state[1] = None;
    m_timer.setInterval(kCheckIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &Run::step);
}

Run::~Run() {
    std::lock_guard<std::mutex> lock(g_mutex);
    detachLocked(this);
    if (m_running) {
        --g_runs;
        settleLocked();
    }
}

void Run::setTimeouts(int stallMs, int limitMs) {
    m_stallMs = stallMs;
    m_limitMs = limitMs;
}

void Run::setCheckInterval(int ms) {
    m_timer.setInterval(ms);
}

ImageState Run::state(uint8_t type) const {
    return ImageState(m_state[type == FirmwareImage::kReceiverImage ? 1 : 0].load());
}

uint8_t Run::currentType() const {
    return m_receiverStage ? FirmwareImage::kReceiverImage : FirmwareImage::kMouseImage;
}

bool Run::start(const Plan& plan) {
    if (m_running || plan.plannedImages() == 0)
        return false;
    m_plan = plan;
    m_running = true;
    m_receiverStage = !plan.mouseStage;
    m_stage = 0;
    m_state[0] = None;
    m_state[1] = None;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        ++g_runs;
        settleLocked();
    }
    log(QStringLiteral("run: cid=%1 mid=%2 class=%3 mouse=%4 receiver=%5")
            .arg(plan.cid)
            .arg(plan.mid)
            .arg(plan.receiverClass)
            .arg(plan.mouseStage ? plan.mouseName : QStringLiteral("-"))
            .arg(plan.receiverStage ? plan.receiverName : QStringLiteral("-")));
    m_timer.start();
    step();
    return true;
}

void Run::step() {
    if (!m_running)
        return;
    const uint8_t type = currentType();
    const int index = m_receiverStage ? 1 : 0;
    // Each library call is bounded by its wait and gets a turn of the event loop of its own, so a stuck
    // library holds the window for one wait at most; one that did not answer fails the run as a refusal.
    const auto next = [this](int stage) {
        m_stage = stage;
        QTimer::singleShot(0, this, &Run::step);
    };
    switch (m_stage) {
    case 0: {
        // A receiver stage that follows the mouse stage takes any image: the pair is upgraded together.
        const bool chained = m_receiverStage && m_plan.mouseStage;
        const QString name = m_receiverStage ? m_plan.receiverName : m_plan.mouseName;
        const QString version =
            chained ? QString() : (m_receiverStage ? m_plan.receiverVersion : m_plan.mouseVersion);
        const bool asksSlave = m_receiverStage && m_plan.receiverClass != 1 && !m_plan.receiverPath.isEmpty();
        if (asksSlave) {
            // Receivers of the faster classes are asked for their mouse's version before their own stage.
            using Slave = std::array<unsigned char, HIDUSB_SLAVE_VERSION_SIZE + 1>; // answer, then the bytes
            Slave slave{};
            const QByteArray path = m_plan.receiverPath.toUtf8();
            if (!DeviceSession::askFor(slave, [path] {
                    Slave s{};
                    s[0] = hid().UsbFinderC_GetSlaveVersion(path.constData(), s.data() + 1) != 0;
                    return s;
                })) {
                refuse(QStringLiteral("stage %1: no answer to the slave version").arg(type));
                return;
            }
            if (slave[0])
                log(QStringLiteral("stage %1: slave version v%2")
                        .arg(type)
                        .arg(FirmwareImage::versionText(uint16_t(slave[2] << 8 | slave[3]))));
            else
                log(QStringLiteral("stage %1: no slave version").arg(type));
        }
        m_image = FirmwareImage::load(type, name, m_plan.cid, m_plan.mid, version);
        if (m_image.isNull()) {
            m_state[index] = NoImage;
            log(QStringLiteral("stage %1: no image named \"%2\"").arg(type).arg(name));
            if (chained) {
                clearFailInfo(); // the mouse is sound and its receiver has nothing newer
                finish(true);
            } else {
                m_timer.stop();
                emit warning(QStringLiteral("ErrorFile"));
                finish(false);
            }
            return;
        }
        if (asksSlave)
            return next(1);
        m_stage = 1;
        Q_FALLTHROUGH();
    }
    case 1: {
        struct Boot {
            int known = 0;
            int count = 0;
        } boot;
        const QByteArray image = m_image.data; // the call's own reference: it may end after the run
        if (!DeviceSession::askFor(boot, [image] {
                Boot b;
                b.known = hid().UsbUpgradeC_FindBootDevices(bytes(image), image.size(), &b.count);
                return b;
            })) {
            refuse(QStringLiteral("stage %1: no answer to the boot device count").arg(type));
            return;
        }
        if (!boot.known || boot.count != 1) {
            m_state[index] = None;
            log(QStringLiteral("stage %1: %2, %3 boot devices").arg(type).arg(m_image.path).arg(boot.count));
            m_timer.stop(); // the warning may be a modal dialog: no tick may run under it
            emit warning(!boot.known       ? QStringLiteral("Error")
                         : boot.count == 0 ? QStringLiteral("NotDevice")
                                           : QStringLiteral("SameDevice"));
            finish(false);
            return;
        }
        return next(2);
    }
    case 2: {
        const QByteArray image = m_image.data;
        int slot = -1;
        quint64 id = 0;
        {
            // Flashing before the start: the library may report from its thread before the call returns.
            std::lock_guard<std::mutex> lock(g_mutex);
            const auto free =
                std::find_if(g_flashes.begin(), g_flashes.end(), [](const Flash& f) { return !f.used; });
            if (free != g_flashes.end()) {
                slot = int(free - g_flashes.begin());
                id = ++g_lastFlashId;
                const auto limit = std::chrono::milliseconds(g_flashLimitMs.load());
                *free = Flash{true, id, image, this, ++m_generation, index, Clock::now() + limit};
                m_state[index] = Flashing;
            }
        }
        if (slot < 0) {
            // Every earlier flash was given up on and none reported its end: the library is not to be
            // trusted.
            refuse(QStringLiteral("stage %1: earlier flashes never ended").arg(type));
            return;
        }
        m_sinceStatus.start();
        m_sinceStart.start();
        log(QStringLiteral("stage %1: flashing %2 (%3 bytes, version %4)")
                .arg(type)
                .arg(m_image.path)
                .arg(image.size())
                .arg(FirmwareImage::versionText(m_image.header.version)));
        // A start that is still queued when its wait ends never reaches the library; one that did may
        // have begun flashing.
        enum { Queued, Entered, GivenUp };
        auto gate = std::make_shared<std::atomic<int>>(Queued);
        int started = 0;
        const bool answered = DeviceSession::askFor(started, [image, gate, slot, id] {
            int queued = Queued;
            if (!gate->compare_exchange_strong(queued, Entered))
                return 0;
            const int ok =
                hid().UsbUpgrade_Start(bytes(image), image.size(), kCallbacks[slot], kLibraryTimeoutMs);
            if (!ok) {
                std::lock_guard<std::mutex> lock(g_mutex);
                releaseLocked(slot, id); // refused: no end will be reported for it
            }
            return ok;
        });
        if (answered && started) {
            m_stage = 3;
            return;
        }
        int queued = Queued;
        const bool reached = !answered && !gate->compare_exchange_strong(queued, GivenUp);
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            if (reached)
                detachLocked(this); // it may flash on: its image and its end stay the library's
            else
                releaseLocked(slot, id);
        }
        ++m_generation;
        m_state[index] = Failed;
        m_timer.stop();
        emit warning(QStringLiteral("Error"));
        if (reached) {
            // The device may be half-flashed: it gets the record a failed flash leaves.
            log(QStringLiteral("stage %1: no answer to the start of the flash").arg(type));
            endStage(false);
        } else {
            log(QStringLiteral("stage %1: the library refused to start").arg(type));
            finish(false);
        }
        return;
    }
    case 3:
        if (m_state[index] == Flashing) {
            if (m_sinceStatus.elapsed() < m_stallMs && m_sinceStart.elapsed() < m_limitMs)
                return;
            ++m_generation; // whatever the library still reports belongs to no run
            {
                std::lock_guard<std::mutex> lock(g_mutex);
                detachLocked(this);
            }
            m_state[index] = Failed;
            log(QStringLiteral("stage %1: no answer from the boot loader, given up").arg(type));
        }
        endStage(m_state[index] == Done);
        return;
    default:
        return;
    }
}

void Run::refuse(const QString& why) {
    m_state[currentType() == FirmwareImage::kReceiverImage ? 1 : 0] = None;
    log(why);
    m_timer.stop();
    emit warning(QStringLiteral("Error"));
    finish(false);
}

void Run::onStatus(int generation, int kind, int value) {
    if (generation != m_generation || !m_running || m_stage != 3)
        return;
    m_sinceStatus.restart();
    if (kind == 1) {
        emit progress(overallPercent(value, m_plan.plannedImages(), m_receiverStage));
        return;
    }
    step();
}

void Run::endStage(bool ok) {
    const uint8_t type = currentType();
    if (!ok) {
        writeFailInfo({type, m_plan.receiverClass, m_plan.cid, m_plan.mid});
        log(QStringLiteral("stage %1: failed").arg(type));
        finish(false);
        return;
    }
    const QString version = QStringLiteral("v") + FirmwareImage::versionText(m_image.header.version);
    log(QStringLiteral("stage %1: done, now %2").arg(type).arg(version));
    emit progress(overallPercent(100, m_plan.plannedImages(), m_receiverStage));
    if (!m_receiverStage) {
        // The mouse's version as the worker stores it, so the next start compares against the new one.
        const QString key = DeviceReports::mouseVersionKey(DeviceTable::load().find(m_plan.cid, m_plan.mid));
        if (!key.isEmpty())
            store().setValue(key, version);
    }
    emit stageFinished(type, version);
    if (!m_receiverStage && m_plan.receiverStage) {
        m_receiverStage = true;
        m_stage = 0;
        step();
        return;
    }
    clearFailInfo();
    finish(true);
}

void Run::finish(bool ok) {
    m_timer.stop();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        detachLocked(this);
        --g_runs;
    }
    FlashWatch::instance()->settle();
    m_running = false;
    m_image = FirmwareImage::Image();
    log(ok ? QStringLiteral("run: done") : QStringLiteral("run: failed"));
    emit finished(ok);
}
} // namespace Upgrade
