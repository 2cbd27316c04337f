// The mice's batteries over time: a wireless mouse drains, one on its cable charges. A clock thread moves
// the levels and sends the battery status report a real mouse sends when its level changes.
#include "Host.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <thread>

namespace zf {

namespace {

constexpr auto kTick = std::chrono::milliseconds(100);

std::atomic<int> gDrainMs{-1}, gChargeMs{-1}; // -1: from the environment

int envMs(const char* name, int fallback) {
    const char* v = std::getenv(name);
    if (!v || !*v)
        return fallback;
    char* end = nullptr;
    long n = std::strtol(v, &end, 10);
    return *end == '\0' && n >= 0 && n <= 86400000 ? static_cast<int>(n) : fallback;
}

int drainMs() {
    int set = gDrainMs;
    return set >= 0 ? set : envMs("ZF_HIDUSB_DRAIN_MS", 60000);
}

int chargeMs() {
    int set = gChargeMs;
    return set >= 0 ? set : envMs("ZF_HIDUSB_CHARGE_MS", 6000);
}

struct BatteryClock {
    std::mutex mutex;
    std::condition_variable cv;
    bool stop = false;
    std::thread thread;
};

std::mutex gClockMutex;
BatteryClock* gClock = nullptr; // plain pointer, as for the control server

void tick(Mouse& m, Clock::time_point now, int drain, int charge) {
    if (m.batteryClock == Clock::time_point{}) {
        m.batteryClock = now;
        return;
    }
    const bool cable = m.link == Link::Cable;
    const int rate = cable ? charge : m.link == Link::Receiver ? drain : 0;
    if (rate <= 0 || (cable && m.battery >= 100) || (!cable && m.battery <= 0)) {
        m.batteryClock = now;
        return;
    }
    const auto period = std::chrono::milliseconds(rate);
    const auto steps = (now - m.batteryClock) / period;
    if (steps <= 0)
        return;
    m.batteryClock += steps * period;
    const bool wasOn = m.battery > 0;
    const long long level = m.battery + (cable ? steps : -steps);
    const int next = static_cast<int>(std::clamp<long long>(level, 0, 100));
    if (wasOn && next == 0) // its last words, while the receiver still hears it
        sendFromMouse(m, kBattery, 0, 0, {0, static_cast<uint8_t>(m.charging)});
    m.battery = next;
    sendFromMouse(m, kStatus, 0, 0, statusData(kStatusBattery, m));
    if (wasOn != (m.battery > 0))
        ++registry().generation; // an empty mouse drops off its receiver
}

} // namespace

void setBatteryTiming(int drain, int charge) {
    gDrainMs = drain;
    gChargeMs = charge;
}

void startBatteryClock() {
    std::lock_guard<std::mutex> lock(gClockMutex);
    if (gClock)
        return;
    auto* c = new BatteryClock;
    c->thread = std::thread([c] {
        std::unique_lock<std::mutex> lock(c->mutex);
        while (!c->cv.wait_for(lock, kTick, [c] { return c->stop; })) {
            const int drain = drainMs(), charge = chargeMs();
            auto devices = lockDevices();
            const auto now = Clock::now();
            for (auto& m : registry().mice)
                tick(m, now, drain, charge);
        }
    });
    gClock = c;
}

void stopBatteryClock() {
    BatteryClock* c;
    {
        std::lock_guard<std::mutex> lock(gClockMutex);
        c = gClock;
        gClock = nullptr;
    }
    if (!c)
        return;
    {
        std::lock_guard<std::mutex> lock(c->mutex);
        c->stop = true;
    }
    c->cv.notify_all();
    c->thread.join();
    delete c;
}

} // namespace zf
