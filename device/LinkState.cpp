#include "device/LinkState.h"

#include "device/HidApi.h"

namespace LinkFlags {
std::atomic<bool> RunRequested{false};
std::atomic<bool> DeviceOnline{false};
std::atomic<bool> DeviceReady{false};
std::atomic<bool> LastStartOnline{false};
std::atomic<bool> Restoring{false};
std::atomic<bool> WaitingForOnline{false};
std::atomic<bool> Parsing{false};
std::atomic<bool> RestartRequested{false};
std::atomic<bool> DevicePagesActive{false};
std::atomic<bool> Reconnected{false};
std::atomic<bool> ReconcileMacros{false};
std::atomic<bool> SkipReceiverQuery{false};
std::atomic<bool> UpgradeIdle{true};
std::atomic<bool> PageChanged{false};
std::atomic<bool> Busy{false};
std::atomic<bool> SensorLoading{false};
std::atomic<bool> LightLoading{false};
std::atomic<bool> ButtonLoading{false};
std::atomic<bool> SensorFilled{false};
std::atomic<bool> LightFilled{false};
std::atomic<bool> ButtonFilled{false};
std::atomic<bool> Recording{false};

void resetAll() {
    for (auto* f : {&RunRequested,    &DeviceOnline,     &DeviceReady,
                    &LastStartOnline, &Restoring,        &WaitingForOnline,
                    &Parsing,         &RestartRequested, &DevicePagesActive,
                    &Reconnected,     &ReconcileMacros,  &SkipReceiverQuery,
                    &PageChanged,     &SensorLoading,    &LightLoading,
                    &ButtonLoading,   &SensorFilled,     &LightFilled,
                    &ButtonFilled,    &Recording,        &Busy})
        f->store(false);
    UpgradeIdle.store(true);
    CurrentRecord::forgetOwner();
}
} // namespace LinkFlags

std::mutex& CurrentRecord::mutex() {
    static std::mutex m;
    return m;
}

FlashDataMap& CurrentRecord::storage() {
    static FlashDataMap record = [] {
        FlashDataMap r;
        r.clear();
        return r;
    }();
    return record;
}

FlashDataMap CurrentRecord::snapshot() {
    std::lock_guard<std::mutex> lock(mutex());
    return storage();
}

void CurrentRecord::replace(const FlashDataMap& record) {
    std::lock_guard<std::mutex> lock(mutex());
    storage() = record;
}

CurrentRecord::Owner& CurrentRecord::owner() {
    static Owner o;
    return o;
}

void CurrentRecord::replace(const FlashDataMap& record, uint8_t cid, uint8_t mid) {
    std::lock_guard<std::mutex> lock(mutex());
    storage() = record;
    owner() = Owner{true, cid, mid};
}

void CurrentRecord::forgetOwner() {
    std::lock_guard<std::mutex> lock(mutex());
    owner() = Owner{};
}

bool CurrentRecord::ownedSnapshot(FlashDataMap& out, uint8_t& cid, uint8_t& mid) {
    std::lock_guard<std::mutex> lock(mutex());
    if (!owner().known)
        return false;
    out = storage();
    cid = owner().cid;
    mid = owner().mid;
    return true;
}

namespace {
std::mutex& selectedMutex() {
    static std::mutex m;
    return m;
}
DeviceAllInfo& selected() {
    static DeviceAllInfo info;
    return info;
}
} // namespace

DeviceAllInfo SelectedDevice::get() {
    std::lock_guard<std::mutex> lock(selectedMutex());
    return selected();
}

void SelectedDevice::set(const DeviceAllInfo& info) {
    std::lock_guard<std::mutex> lock(selectedMutex());
    selected() = info;
}

QString SelectedDevice::path() {
    std::lock_guard<std::mutex> lock(selectedMutex());
    return selected().path;
}

QByteArray SelectedDevice::pathLatin1() {
    return path().toLatin1();
}

void SelectedDevice::setOnline(bool online) {
    std::lock_guard<std::mutex> lock(selectedMutex());
    selected().online = online ? 1 : 0;
}

void SelectedDevice::setMouseVersion(const QString& version) {
    std::lock_guard<std::mutex> lock(selectedMutex());
    selected().mouseVersion = version;
}

int CurrentRecord::send() {
    static std::mutex sending;
    std::lock_guard<std::mutex> lock(sending);
    const FlashDataMap now = snapshot();
    return hid().ProtocolDataUpdate(now.data());
}
