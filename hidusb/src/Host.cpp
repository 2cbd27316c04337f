#include "Host.h"

#include "ControlSocket.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace zf {

// Never destroyed: threads that outlive a stop may still reach them while the library is unloaded.
Host& host() {
    static Host* h = keepForever(new Host);
    return *h;
}

Counters& counters() {
    static Counters* c = keepForever(new Counters);
    return *c;
}

namespace {
std::atomic<long long> gHangUntilUs{0}; // steady clock; 0 = no hang
long long steadyUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

void hangFor(int milliseconds) {
    gHangUntilUs = steadyUs() + milliseconds * 1000LL;
}

void waitOutHang() {
    const long long left = gHangUntilUs.load() - steadyUs();
    if (left > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(left));
}

std::unique_lock<std::mutex> lockDevices() {
    std::unique_lock<std::mutex> lock(registry().mutex);
    waitOutHang();
    if (!host().loaded) {
        host().loaded = true;
        startControlServer();
        startBatteryClock();
        // Writers killed mid-save (this program's earlier runs, the tools) leave temporaries; a live
        // write takes milliseconds, so ten seconds is well past any of them.
        Registry::removeStaleTemporaries(10);
        std::string error = registry().load();
        if (!error.empty())
            std::fprintf(stderr, "HIDUsb: %s; using the default mouse and receiver\n", error.c_str());
    }
    return lock;
}

namespace {

void post(uint8_t type, uint8_t qualifier, uint8_t sub, std::vector<uint8_t> data, long long extraUs,
          int extraWireBytes) {
    Report r;
    r.header[0] = kHeaderMagic;
    r.header[1] = type;
    r.header[3] = qualifier;
    r.header[4] = sub;
    int wire = kHeaderSize + static_cast<int>(data.size()) + extraWireBytes;
    int packets = packetsFor(wire);
    counters().reportsIn++;
    counters().bytesIn += static_cast<unsigned long long>(wire);
    counters().packets += static_cast<unsigned long long>(packets);
    r.data = std::move(data);
    host().service->post(std::move(r), packets * packetUs(), extraUs);
}

} // namespace

void sendFromMouse(const Mouse& m, uint8_t type, uint8_t qualifier, uint8_t sub, std::vector<uint8_t> data,
                   long long extraUs, int extraWireBytes) {
    if (!host().service)
        return;
    Endpoint ep = registry().resolve(host().service->path().c_str());
    if (!ep.reachable || ep.mouse != &m)
        return;
    post(type, qualifier, sub, std::move(data), extraUs, extraWireBytes);
}

void sendFromReceiver(const Receiver& r, uint8_t type, std::vector<uint8_t> data, long long extraUs) {
    if (!host().service)
        return;
    Endpoint ep = registry().resolve(host().service->path().c_str());
    if (ep.receiver != &r)
        return;
    post(type, 0, 0, std::move(data), extraUs, 0);
}

std::vector<uint8_t> statusData(uint8_t flags, const Mouse& m) {
    std::vector<uint8_t> d(kStatusDataSize, 0);
    d[0] = flags;
    d[8] = m.keyBytes[0];
    d[9] = m.keyBytes[1];
    return d;
}

} // namespace zf
