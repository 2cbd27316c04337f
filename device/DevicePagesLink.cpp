#include "device/DevicePagesLink.h"

#include "app/core/PostMsg.h"
#include "device/DeviceCache.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/Discovery.h"
#include "device/LinkState.h"
#include "device/Worker.h"

#include <QCoreApplication>
#include <QPointer>

namespace DevicePagesLink {
namespace {
QPointer<Worker>& worker() {
    static QPointer<Worker> w;
    return w;
}

void reselect(const DeviceAllInfo& entry) {
    if (DeviceSession::isOnline(entry.path))
        SelectedDevice::set(entry);
    LinkFlags::RunRequested = true;
    if (Worker* w = worker().data())
        w->requestRun();
}

} // namespace

void usbChanged() {
    if (PostMsg::shuttingDown() || !QCoreApplication::instance())
        return;
    PostMsg::postFromAnyThread(QCoreApplication::instance(), [] { refresh(); });
}

void setWorker(Worker* w) {
    worker() = w;
}

Worker* currentWorker() {
    return worker();
}

void startWatching() {
    DeviceSession::watchUsbChanges(&usbChanged);
}

void refresh() {
    PostMsg* hub = PostMsg::instance();
    hub->SendSetver(4);
    // Compared as it was before this change: the enumeration already refreshes the selected device
    // from its own entry, which for a mouse just moved to the cable is an offline receiver.
    const DeviceAllInfo selected = SelectedDevice::get();
    QList<DeviceAllInfo> list;
    // A library that did not answer in time tells nothing about the devices: the online check finds out.
    if (!Discovery::scan(Discovery::Finder::ByDeviceId, list))
        return;
    if (list.isEmpty()) {
        if (LinkFlags::UpgradeIdle) {
            SelectedDevice::set(DeviceAllInfo());
            hub->SendChangeMainDialog(0);
        }
        return;
    }
    bool pathSeen = false, reselected = false;
    for (const DeviceAllInfo& entry : list) {
        if (entry.path == selected.path)
            pathSeen = true;
        // The same mouse moved between cable and receiver: same row and receiver address, now
        // answering on the other link. The old entry's online mark says nothing either way: off the
        // cable that entry is gone, and a mouse switched off behind its receiver (flat battery) is
        // followed when it is put on the cable to charge.
        const bool sameMouse = entry.row == selected.row && entry.online && entry.address.size() == 3 &&
                               entry.address == selected.address;
        const bool ontoCable = sameMouse && entry.wired && !selected.wired;
        const bool ontoReceiver = sameMouse && !entry.wired && selected.wired;
        if (ontoCable || ontoReceiver || (entry.path == selected.path && entry.online)) {
            reselect(entry);
            reselected = true;
            break;
        }
    }
    // A mouse followed onto the other link has a new path: that is not a loss.
    if (!pathSeen && !reselected && !selected.path.isEmpty() && LinkFlags::UpgradeIdle)
        hub->SendChangeMainDialog(0);
    hub->SendCheckUpdate();
}

bool saveCache() {
    FlashDataMap record;
    uint8_t cid = 0, mid = 0;
    if (!CurrentRecord::ownedSnapshot(record, cid, mid) || DeviceTable::load().find(cid, mid) < 0)
        return false;
    return DeviceCache::save(cid, mid, record);
}

bool loadCache(FlashDataMap& out) {
    const DeviceAllInfo selected = SelectedDevice::get();
    return DeviceCache::loadChecked(selected.cid, selected.mid, out);
}
} // namespace DevicePagesLink
