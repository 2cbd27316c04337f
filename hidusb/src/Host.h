#pragma once
// Host side of the library: the started service, the baseline record, counters and the helpers that move
// reports between the virtual devices and the service. Everything is guarded by the registry mutex.
#include "Service.h"
#include "Virtual.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace zf {

struct Counters {
    std::atomic<unsigned long long> reportsIn{0}, bytesIn{0}, reportsOut{0}, bytesOut{0}, packets{0};
};

struct PairState {
    std::string receiver;
    int result = 0; // 0 idle, 1 pairing without end, 2 failed, 3 paired
    Clock::time_point doneAt{};
};

struct Host {
    std::shared_ptr<Service> service;
    Record baseline{};
    bool haveBaseline = false;
    std::vector<uint8_t> lastFull, lastExtension; // last full data sent and its extension transfer
    std::vector<std::string> found;
    std::vector<char*> foundPtrs;
    std::string rawPath;
    PairState pair;
    bool failNextPairing = false;
    bool hangNextPairing = false; // the next pairing never ends (a receiver that stops answering)
    int failUpgradeAt = -1;       // percent at which the next upgrade fails, -1 = none
    bool loaded = false;
};

Host& host();
Counters& counters();
// Locks the registry, loading the device description on first use. While a hang is armed the lock is
// held until it is over, so every call that needs the devices blocks as in a stuck driver.
std::unique_lock<std::mutex> lockDevices();
// Arms such a hang for the next `milliseconds`, counted from now; does not wait itself.
void hangFor(int milliseconds);
// Waits out an armed hang without the lock: calls that touch no device still block like a stuck driver's.
void waitOutHang();

// Reports from a device to the started service when that service reaches it; caller holds the lock.
void sendFromMouse(const Mouse& m, uint8_t type, uint8_t qualifier, uint8_t sub, std::vector<uint8_t> data,
                   long long extraUs = 0, int extraWireBytes = 0);
void sendFromReceiver(const Receiver& r, uint8_t type, std::vector<uint8_t> data, long long extraUs = 0);
std::vector<uint8_t> statusData(uint8_t flags, const Mouse& m);

// The battery clock thread (started with the library, stopped when it is unloaded) and its rates in
// milliseconds per percent; -1 takes ZF_HIDUSB_DRAIN_MS / ZF_HIDUSB_CHARGE_MS, 0 holds the level.
void startBatteryClock();
void stopBatteryClock();
void setBatteryTiming(int drainMs, int chargeMs);
// Wakes the clock after a mouse's battery clock was restarted (link or level set); any lock may be held.
void batteryClockChanged();

} // namespace zf
