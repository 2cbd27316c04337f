// The mice's batteries over time: a wireless mouse drains, one on its cable charges. A clock thread moves
// the levels and sends the battery status report a real mouse sends when its level changes. It sleeps
// until the next step of a mouse whose level moves (or for good while none does), so an idle program
// is not woken ten times a second; a change to a mouse's link or level wakes it to start that step.
#include "Host.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <thread>

namespace zf {

namespace {

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
    std::mutex mutex; // never held while taking the registry lock
    std::condition_variable cv;
    bool stop = false;
    bool changed = false; // a mouse's clock was restarted or the rates changed
    std::thread thread;
};

std::mutex gClockMutex;
BatteryClock* gClock = nullptr; // plain pointer, as for the control server

// Milliseconds per percent for this mouse now, 0 while its level holds.
int rateOf(const Mouse& m, int drain, int charge) {
    const bool cable = m.link == Link::Cable;
    const int rate = cable ? charge : m.link == Link::Receiver ? drain : 0;
    if (rate <= 0 || (cable && m.battery >= 100) || (!cable && m.battery <= 0))
        return 0;
    return rate;
}

void tick(Mouse& m, Clock::time_point now, int drain, int charge) {
    const int rate = rateOf(m, drain, charge);
    if (rate <= 0) {
        m.batteryClock = {}; // its first step counts from the first pass that sees the level move
        return;
    }
    if (m.batteryClock == Clock::time_point{}) {
        m.batteryClock = now;
        return;
    }
    const bool cable = m.link == Link::Cable;
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
        registry().changed(); // an empty mouse drops off its receiver
}

} // namespace

void batteryClockChanged() {
    std::lock_guard<std::mutex> lock(gClockMutex);
    if (!gClock)
        return;
    {
        std::lock_guard<std::mutex> clockLock(gClock->mutex);
        gClock->changed = true;
    }
    gClock->cv.notify_all();
}

void setBatteryTiming(int drain, int charge) {
    gDrainMs = drain;
    gChargeMs = charge;
    batteryClockChanged();
}

void startBatteryClock() {
    std::lock_guard<std::mutex> lock(gClockMutex);
    if (gClock)
        return;
    auto* c = new BatteryClock;
    c->thread = std::thread([c] {
        for (;;) {
            auto wake = Clock::time_point::max();
            {
                const int drain = drainMs(), charge = chargeMs();
                auto devices = lockDevices();
                const auto now = Clock::now();
                for (auto& m : registry().mice) {
                    tick(m, now, drain, charge);
                    if (const int rate = rateOf(m, drain, charge))
                        wake = std::min(wake, m.batteryClock + std::chrono::milliseconds(rate));
                }
            }
            std::unique_lock<std::mutex> lock(c->mutex);
            const auto woken = [c] { return c->stop || c->changed; };
            if (wake == Clock::time_point::max())
                c->cv.wait(lock, woken);
            else
                c->cv.wait_until(lock, wake, woken);
            if (c->stop)
                return;
            c->changed = false;
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
