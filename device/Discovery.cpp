#include "device/Discovery.h"

#include "app/core/IniStores.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/HidApi.h"
#include "device/LinkState.h"

#include <QHash>
#include <QPair>
#include <cstring>

namespace Discovery {
namespace {
const QString kOption = QStringLiteral("Option");
constexpr int kIdentifyTries = 10;

// The library writes at most a few bytes into these; the margin keeps a longer answer in bounds.
constexpr int kAnswerBuffer = 64;

} // namespace

QString versionText(uint16_t version) {
    return QString::asprintf("v%d.%02X", version >> 8, version & 0xFF);
}

QString driveGroup(int32_t row) {
    return ModelRow::group(row);
}

int deviceTotal() {
    return DeviceTable::rowCount();
}

QStringList mergedPidList() {
    QStringList merged;
    for (const char* key : {"USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID"}) {
        for (QString pid : ConfigIniStore::instance().list(kOption, QLatin1String(key))) {
            pid = pid.trimmed();
            if (!pid.isEmpty() && !merged.contains(pid))
                merged.append(pid);
        }
    }
    return merged;
}

int receiverClass(uint16_t kind) {
    switch (kind) {
    case 0:
        return 1;
    case 4:
        return 2;
    case 1:
        return 4;
    case 5:
        return 8;
    default:
        return 0;
    }
}

namespace {
// The online mark and receiver address, asked on the caller's thread (inside a scan, the call thread).
void markOnlineHere(DeviceAllInfo& info) {
    unsigned char out[kAnswerBuffer] = {0};
    hid().UsbFinderC_GetDeviceOnLineWithUsbAddress(info.path.toLatin1().constData(), out);
    info.online = out[6] == 1 ? 1 : 0;
    info.address = {out[7], out[8], out[9]};
}

// identify() without touching the selection: the selected device's refreshed entry goes to `merged`.
int identifyHere(DeviceAllInfo& info, const DeviceAllInfo& selected, const DeviceTable& table,
                 DeviceAllInfo* merged) {
    const QByteArray path = info.path.toLatin1();
    unsigned char out[kAnswerBuffer] = {0};
    bool answered = false;
    for (int i = 0; i < kIdentifyTries && !answered; ++i) {
        std::memset(out, 0, sizeof(out));
        hid().UsbFinderC_GetDeviceInfo(out, path.constData(), 0);
        answered = out[0] != 0 || out[1] != 0;
    }
    const int total = table.size();
    info.kind = out[2];
    info.wired = DeviceAllInfo::isWiredKind(info.kind) ? 1 : 0;
    if (!answered) {
        info.row = total;
        return 0;
    }
    info.cid = out[0];
    info.mid = out[1];
    const int row = table.find(info.cid, info.mid);
    if (row < 0) {
        info.row = total;
        return table.hasCid(info.cid) ? 2 : 3;
    }
    info.row = row;
    if (!selected.path.isEmpty()) {
        markOnlineHere(info);
        if (selected.path == info.path && merged) {
            *merged = info;
            if (!selected.firmware.isEmpty())
                merged->firmware = selected.firmware;
            if (!selected.mouseVersion.isEmpty())
                merged->mouseVersion = selected.mouseVersion;
        }
    } else {
        info.online = hid().UsbFinderC_GetDeviceOnLine(path.constData()) != 0 ? 1 : 0;
    }
    return 1;
}

struct Found {
    QList<DeviceAllInfo> devices;
    DeviceAllInfo merged; // the selected device's refreshed entry; empty path when not found
};

// Every library call of a scan, on copies only: it may end after its caller stopped waiting.
Found scanHere(Finder finder, const DeviceAllInfo& selected, const QStringList& vids, const QStringList& pids,
               const DeviceTable& table) {
    Found found;
    for (QString vid : vids) {
        vid = vid.trimmed();
        if (vid.isEmpty())
            continue;
        for (const QString& pid : pids) {
            const QByteArray v = vid.toLatin1(), p = pid.toLatin1();
            int count = 5;
            char** paths =
                finder == Finder::Default
                    ? hid().UsbFinderC_FindHidDevicesByDefaultDeviceId(v.constData(), p.constData(), &count)
                    : hid().UsbFinderC_FindHidDevicesByDeviceId(v.constData(), p.constData(), 1, 5, &count);
            if (!paths || count <= 0)
                continue;
            // Copy the paths first: the array is only valid until the next finder call.
            QStringList list;
            for (int i = 0; i < std::min(count, 5); ++i)
                if (paths[i])
                    list.append(QString::fromLatin1(paths[i]));
            for (const QString& path : list) {
                DeviceAllInfo info;
                info.path = path;
                info.vid = vid;
                info.pid = pid;
                unsigned char attr[kAnswerBuffer] = {0};
                hid().UsbFinderC_GetUsbDeviceAttribute(path.toLatin1().constData(), attr);
                info.firmware = versionText(uint16_t(attr[8] | (attr[9] << 8)));
                if (selected.path.isEmpty()) {
                    identifyHere(info, selected, table, nullptr);
                    found.devices.append(info);
                } else if (identifyHere(info, selected, table, &found.merged) == 1 &&
                           info.cid == selected.cid && info.mid == selected.mid) {
                    found.devices.append(info);
                }
            }
        }
    }
    return found;
}
} // namespace

void markOnline(DeviceAllInfo& info) {
    DeviceAllInfo answer = info;
    if (!DeviceSession::askFor(answer, [answer]() mutable {
            markOnlineHere(answer);
            return answer;
        })) {
        info.online = 0; // no answer in time
        return;
    }
    info = answer;
}

int identify(DeviceAllInfo& info) {
    return identify(info, SelectedDevice::get());
}

int identify(DeviceAllInfo& info, const DeviceAllInfo& selected) {
    return identify(info, selected, DeviceTable::load());
}

int identify(DeviceAllInfo& info, const DeviceAllInfo& selected, const DeviceTable& table) {
    DeviceAllInfo merged;
    const int result = identifyHere(info, selected, table, &merged);
    if (!merged.path.isEmpty())
        SelectedDevice::set(merged);
    return result;
}

bool scan(Finder finder, QList<DeviceAllInfo>& out) {
    // The chooser lists every supported device whatever is selected; the device pages look only for
    // the selected model.
    const DeviceAllInfo selected = finder == Finder::Default ? DeviceAllInfo() : SelectedDevice::get();
    const QStringList vids = ConfigIniStore::instance().list(kOption, QStringLiteral("VID"));
    const QStringList pids = mergedPidList();
    const DeviceTable table = DeviceTable::load(); // read once for every device found
    Found found;
    if (!DeviceSession::askFor(
            found, [=] { return scanHere(finder, selected, vids, pids, table); }, DeviceSession::kScanWaitMs))
        return false;
    // Refreshed only when nothing else was selected meanwhile.
    if (!found.merged.path.isEmpty() && SelectedDevice::path() == found.merged.path)
        SelectedDevice::set(found.merged);
    out = found.devices;
    return true;
}

QList<DeviceAllInfo> enumerate(Finder finder) {
    QList<DeviceAllInfo> found;
    scan(finder, found);
    return found;
}

int pictureNumber(const DeviceAllInfo& info) {
    return DeviceTable::row(info.row).pictureNumber;
}

QString pictureName(const DeviceAllInfo& info, bool online) {
    return DeviceTable::row(info.row).listPicture(online);
}

bool hasIdenticalDevices(const QList<DeviceAllInfo>& devices) {
    QHash<QPair<int, int>, int> counts;
    const int total = deviceTotal();
    for (const DeviceAllInfo& d : devices) {
        if (d.row < 0 || d.row >= total)
            continue;
        if (++counts[qMakePair(int(d.row), int(d.wired))] > 1)
            return true;
    }
    return false;
}
} // namespace Discovery
