#include "device/Pairing.h"

#include "app/core/Logging.h"
#include "app/core/PostMsg.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"

#include <chrono>

namespace Pairing {

std::atomic<int> PairState{NotPaired};
std::atomic<bool> PairActive{false};
std::atomic<bool> PagesWereActive{false};

qint64 steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {
// Ends the running attempt once: the report thread and the window's timers may both try.
bool endAttempt(State state) {
    bool expected = true;
    if (!PairActive.compare_exchange_strong(expected, false))
        return false;
    PairState = state;
    if (PagesWereActive.exchange(false))
        LinkFlags::DevicePagesActive = true;
    return true;
}
} // namespace

void handleReport(const unsigned char* header, int headerLength, const unsigned char* data, int dataLength) {
    if (!header || headerLength < 2 || header[1] != kPairReportType || !data || dataLength < 1)
        return;
    // The receiver's codes: 1 still pairing, 2 failed, 3 paired (not the pair state's numbering).
    const int code = data[0];
    if (code != 2 && code != 3)
        return;
    const bool paired = code == 3;
    if (!endAttempt(paired ? Succeeded : Failed))
        return;
    qCInfo(lcDevice) << (paired ? "success" : "fail");
    PostMsg::instance()->SendTimerStop();
    PostMsg::instance()->SendButtonEnable(paired ? 1 : 0);
}

QStringList foundPaths(char** paths, int count, int preset) {
    QStringList out;
    if (!paths)
        return out;
    const int n = std::min(std::max(count, 0), preset);
    for (int i = 0; i < n; ++i)
        if (paths[i])
            out << QString::fromLatin1(paths[i]);
    return out;
}

Attempt::Attempt(Clock clock, qint64 timeoutMs) : m_clock(std::move(clock)), m_timeoutMs(timeoutMs) {}

void Attempt::resetForWindow() {
    PairActive = false;
    PairState = NotPaired;
    PagesWereActive = false;
}

bool Attempt::canStart(bool buttonEnabled) {
    return buttonEnabled && PairState != Succeeded && !PairActive;
}

void Attempt::begin() {
    PairState = InProgress;
    m_dots = 0;
    if (LinkFlags::DevicePagesActive.exchange(false))
        PagesWereActive = true;
    PairActive = false;
    qCInfo(lcDevice) << "Enter";
    m_startedAt = m_clock();
    PairActive = true;
}

Attempt::Tick Attempt::pairTick(bool receiverFound) {
    if (!PairActive)
        return Tick::Over;
    if (!receiverFound) {
        fail();
        return Tick::ReceiverGone;
    }
    if (m_clock() - m_startedAt >= m_timeoutMs) {
        fail();
        return Tick::TimedOut;
    }
    return Tick::Waiting;
}

void Attempt::fail() {
    if (endAttempt(Failed))
        qCInfo(lcDevice) << "fail";
}

QString Attempt::nextText(const QString& pairing) {
    // Five ticks per round: no dot, one, two, three, and three again.
    static const char* const dots[] = {"", ".", "..", "...", "..."};
    const QString text = pairing + QLatin1String(dots[m_dots]);
    m_dots = (m_dots + 1) % 5;
    return text;
}

Target targetFor(const DeviceAllInfo& device) {
    Target t;
    t.path = device.path;
    t.vid = device.vid;
    t.pid = device.pid;
    t.wired = device.wired != 0;
    const ModelRow row = DeviceTable::row(device.row);
    if (row.valid()) {
        t.cid = row.cid;
        return t;
    }
    t.cid = device.cid;
    // A receiver without a mouse reports no model; when the table has one model class, that is the CID.
    if (t.cid == 0) {
        const DeviceTable table = DeviceTable::load();
        for (const ModelRow& r : table.rows()) {
            if (!r.valid())
                continue;
            if (t.cid != 0 && r.cid != t.cid)
                return Target{t.path, t.vid, t.pid, 0, t.wired};
            t.cid = r.cid;
        }
    }
    return t;
}

// The window's calls go through the session's call thread: a stuck library fails them in bounded time.
bool enter(const Target& target) {
    const QByteArray path = target.path.toLatin1();
    if (path.isEmpty())
        return false;
    const uint8_t cid = target.cid;
    bool entered = false;
    DeviceSession::askFor(entered, [path, cid] {
        return hid().UsbServerC_Start(path.constData(), path.constData(), &handleReport) != 0 &&
               hid().UsbServer_EnterDonglePairOnlyCid(cid) != 0;
    });
    return entered;
}

void readStatus() {
    DeviceSession::ask([] { hid().UsbServer_ReadDonglePairStatus(); });
}

bool receiverPresent(const Target& target) {
    const QByteArray vid = target.vid.toLatin1(), pid = target.pid.toLatin1();
    const QString path = target.path;
    // No answer says nothing about the receiver: the attempt's own time-out ends a pairing that hangs.
    bool present = true;
    DeviceSession::askFor(present, [vid, pid, path] {
        int count = kFinderPreset;
        char** paths =
            hid().UsbFinderC_FindHidDevicesByDefaultDeviceId(vid.constData(), pid.constData(), &count);
        return foundPaths(paths, count).contains(path);
    });
    return present;
}

bool listCandidate(const QList<DeviceAllInfo>& devices, DeviceAllInfo& entry) {
    if (devices.size() != 1)
        return false;
    const DeviceAllInfo& only = devices.first();
    if (only.wired || only.online || only.path.isEmpty())
        return false;
    entry = only;
    return true;
}

QByteArray receiverIdentity(const QList<uint8_t>& address, int receiverClass) {
    if (address.size() != 3)
        return {};
    char code = 0;
    switch (receiverClass) {
    case 1:
        code = 0;
        break;
    case 2:
    case 4:
        code = 1;
        break;
    case 8:
        code = 4;
        break;
    default:
        return {};
    }
    QByteArray id;
    for (uint8_t b : address)
        id.append(char(b));
    id.append('\0');
    id.append(code);
    return id;
}

bool rePairOnCable(const DeviceAllInfo& mouse, const DeviceAllInfo& receiver) {
    if (!mouse.wired || receiver.wired || mouse.path.isEmpty() || receiver.path.isEmpty())
        return false;
    // The receiver's online flag speaks of its mouse, which is on the cable now: only the address counts.
    const QByteArray receiverPath = receiver.path.toLatin1();
    QList<uint8_t> address{0, 0, 0};
    DeviceSession::askFor(address, [receiverPath] {
        unsigned char answer[HIDUSB_ONLINE_ADDRESS_SIZE] = {};
        hid().UsbFinderC_GetDeviceOnLineWithUsbAddress(receiverPath.constData(), answer);
        return QList<uint8_t>{answer[7], answer[8], answer[9]};
    });
    if (address == QList<uint8_t>{0, 0, 0})
        return false;
    const QByteArray id = receiverIdentity(address, Discovery::receiverClass(receiver.kind));
    if (id.size() != HIDUSB_DONGLE_ID_SIZE)
        return false;
    const QByteArray mousePath = mouse.path.toUtf8();
    bool ok = false;
    DeviceSession::askFor(ok, [mousePath, id] {
        return hid().UsbFinderC_SetDongleIDToMouse(
                   mousePath.constData(), reinterpret_cast<const unsigned char*>(id.constData())) != 0;
    });
    qCInfo(lcDevice) << "cable re-pairing" << (ok ? "done" : "refused");
    return ok;
}

} // namespace Pairing
