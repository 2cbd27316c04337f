// The C interface over the virtual devices.
#include "ControlSocket.h"
#include "Crc32.h"
#include "HIDUsb.h"
#include "Host.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

using namespace zf;

namespace {

// How long Exit waits for a running callback before leaving the thread to finish it alone.
constexpr int kStopGraceMs = 300;
constexpr int kMaxFound = 64;
constexpr int kImageHeaderSize = 856;
constexpr uint8_t kMouseImage = 0xD3;
constexpr uint8_t kReceiverImage = 0xD2;
constexpr int kWritePayload = kPacketSize - 4; // offset and length lead every write packet

// Paces packets against one schedule, so sleep overshoot does not add up over a long transfer.
struct Pacer {
    long long us;
    Clock::time_point next = Clock::now();
    void packet() {
        if (us <= 0)
            return;
        next += std::chrono::microseconds(us);
        std::this_thread::sleep_until(next);
    }
};

// The mouse the started service reaches, or null.
Mouse* serviceMouse() {
    if (!host().service)
        return nullptr;
    Endpoint ep = registry().resolve(host().service->path().c_str());
    return ep.reachable ? ep.mouse : nullptr;
}

// The receiver the started service runs on, or null.
Receiver* serviceReceiver() {
    if (!host().service)
        return nullptr;
    return registry().resolve(host().service->path().c_str()).receiver;
}

char** find(const char* vid, const char* pid, int maxCount, int* count) {
    if (!count)
        return nullptr;
    int capacity = *count;
    *count = 0;
    if (!vid || !pid || capacity <= 0 || capacity > kMaxFound)
        return nullptr;
    if (maxCount > 0)
        capacity = std::min(capacity, maxCount);
    auto lock = lockDevices();
    auto& h = host();
    h.found.clear();
    std::string v = normId(vid), p = normId(pid);
    for (auto& m : registry().mice)
        if (m.link == Link::Cable && normId(m.vid) == v && normId(m.pid) == p)
            h.found.push_back(Registry::cablePath(m));
    for (auto& r : registry().receivers)
        if (r.plugged && normId(r.vid) == v && normId(r.pid) == p)
            h.found.push_back(Registry::receiverPath(r));
    if (static_cast<int>(h.found.size()) > capacity)
        h.found.resize(static_cast<size_t>(capacity));
    h.foundPtrs.clear();
    for (auto& s : h.found)
        h.foundPtrs.push_back(&s[0]);
    h.foundPtrs.push_back(nullptr);
    *count = static_cast<int>(h.found.size());
    return h.found.empty() ? nullptr : h.foundPtrs.data();
}

// Sends a request that is answered as a report from the service's mouse.
template <typename F> int request(F answer) {
    auto lock = lockDevices();
    Mouse* m = serviceMouse();
    if (!m)
        return 0;
    counters().reportsOut++;
    counters().bytesOut += kHeaderSize;
    counters().packets++;
    answer(*m);
    return 1;
}

// The record's two light areas and the answers that carry them.
struct LightArea {
    int offset, size;
    AnswerCode code;
    void (*pack)(const uint8_t* record, uint8_t* data);
    void (*unpack)(const uint8_t* data, uint8_t* record);
};
constexpr LightArea kDpiLightArea{154, kDpiLightDataSize, kDpiLight, packDpiLight, unpackDpiLight};
constexpr LightArea kLightBarArea{158, kLightBarDataSize, kLightBar, packLightBar, unpackLightBar};

int askLight(const LightArea& a) {
    return request([&a](Mouse& m) {
        std::vector<uint8_t> d(static_cast<size_t>(a.size));
        a.pack(m.flash().data() + a.offset, d.data());
        sendFromMouse(m, kAnswer, 0, a.code, d);
    });
}

// The answer is what the device holds, so it also goes into the baseline.
int takeLight(const LightArea& a, const unsigned char* data, unsigned char* recordAtArea) {
    if (!data || !recordAtArea)
        return 0;
    a.unpack(data, recordAtArea);
    auto lock = lockDevices();
    a.unpack(data, host().baseline.data() + a.offset);
    return 1;
}

struct ImageHeader {
    uint8_t type, cid, mid;
    uint16_t version;
    uint32_t payloadCrc; // CRC-32 of the bytes after the header, at offset 28 (u32, little-endian)
};

// Images carry their own length at offset 24 (u32, little-endian), so a cut-off file is recognised.
bool parseImage(const unsigned char* image, int length, ImageHeader& out) {
    if (!image || length < kImageHeaderSize)
        return false;
    uint32_t declared = static_cast<uint32_t>(image[24] | image[25] << 8 | image[26] << 16) |
                        static_cast<uint32_t>(image[27]) << 24;
    if (declared != static_cast<uint32_t>(length))
        return false;
    out.type = image[20];
    out.cid = image[21];
    out.mid = image[22];
    out.version = static_cast<uint16_t>(image[16] | image[17] << 8);
    out.payloadCrc = static_cast<uint32_t>(image[28] | image[29] << 8 | image[30] << 16) |
                     static_cast<uint32_t>(image[31]) << 24;
    return out.type == kMouseImage || out.type == kReceiverImage;
}

// Names of the devices that would take the image: cable mice or receivers of that model.
std::vector<std::string> bootTargets(const ImageHeader& h) {
    std::vector<std::string> names;
    for (auto& m : registry().mice)
        if (h.type == kMouseImage && m.link == Link::Cable && m.cid == h.cid && m.mid == h.mid)
            names.push_back(m.name);
    for (auto& r : registry().receivers) {
        Mouse* m = registry().mouseByName(r.paired);
        if (h.type == kReceiverImage && r.plugged && m && m->cid == h.cid && m->mid == h.mid)
            names.push_back(r.name);
    }
    return names;
}

struct Watcher {
    std::mutex mutex;
    std::condition_variable cv;
    bool stop = false;
    std::atomic<bool> quit{false}; // `stop` for a thread waiting on the change signal
    bool finished = false;         // the thread function has returned from its last callback
    std::thread thread;
};

std::mutex gWatcherMutex; // guards the thread slots and the flag below, never held during a callback
std::shared_ptr<Watcher> gWatcher;
std::shared_ptr<Watcher> gUpgrade;
bool gFlashing = false;

// Stops a watcher thread. A callback still running after the grace time (it may block on the caller) is
// left to finish on its own; the thread starts no further callback.
void retire(std::shared_ptr<Watcher> w) {
    if (!w)
        return;
    w->quit = true;
    {
        // Taken so a watcher between its test and its wait cannot miss the wake-up.
        std::lock_guard<std::mutex> lock(changeSignal().mutex);
    }
    changeSignal().cv.notify_all();
    std::unique_lock<std::mutex> lock(w->mutex);
    w->stop = true;
    w->cv.notify_all();
    if (!w->thread.joinable())
        return;
    if (w->thread.get_id() == std::this_thread::get_id() ||
        !w->cv.wait_for(lock, std::chrono::milliseconds(kStopGraceMs), [&] { return w->finished; })) {
        w->thread.detach();
        return;
    }
    lock.unlock();
    w->thread.join();
}

void finish(Watcher& w) {
    std::lock_guard<std::mutex> lock(w.mutex);
    w.stop = true;
    w.finished = true;
    w.cv.notify_all();
}

// Joins threads still running when the library is unloaded.
struct Shutdown {
    ~Shutdown() {
        stopControlServer();
        stopBatteryClock();
        std::shared_ptr<Watcher> w, u;
        std::shared_ptr<Service> s;
        {
            std::lock_guard<std::mutex> lock(gWatcherMutex);
            w = std::move(gWatcher);
            u = std::move(gUpgrade);
        }
        retire(w);
        retire(u);
        {
            std::lock_guard<std::mutex> lock(registry().mutex);
            s = std::move(host().service);
        }
        if (s)
            s->stop(kStopGraceMs);
    }
} gShutdown;

} // namespace

extern "C" {

int UsbServerC_Start(const char* path, const char* secondPath, HidReportCallback callback) {
    (void)secondPath;
    if (!path || !callback)
        return 0;
    std::shared_ptr<Service> old;
    {
        auto lock = lockDevices();
        Endpoint ep = registry().resolve(path);
        if (!ep.mouse && !ep.receiver)
            return 0;
        auto service = std::make_shared<Service>(path, callback);
        service->start();
        old = std::move(host().service);
        host().service = std::move(service);
    }
    if (old)
        old->stop(kStopGraceMs);
    return 1;
}

void UsbServer_SetPCDriverStatus(int active) {
    (void)active;
    waitOutHang();
}

void UsbServer_Exit(void) {
    std::shared_ptr<Service> old;
    {
        auto lock = lockDevices();
        old = std::move(host().service);
    }
    if (old)
        old->stop(kStopGraceMs);
}

int StartUsbChanged(HidUsbChangedCallback callback, int periodMs) {
    if (!callback || periodMs <= 0 || periodMs > 60000)
        return 0;
    waitOutHang();
    auto w = std::make_shared<Watcher>();
    ChangeSignal& signal = changeSignal();
    unsigned seen;
    {
        std::lock_guard<std::mutex> lock(signal.mutex);
        seen = signal.seq;
    }
    // Sleeps until a change, reports it, then lets `periodMs` pass so a burst is one notice.
    w->thread = std::thread([w, callback, periodMs, seen, &signal]() mutable {
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(signal.mutex);
                signal.cv.wait(lock, [&] { return w->quit.load() || signal.seq != seen; });
                if (w->quit)
                    break;
                seen = signal.seq;
            }
            callback();
            std::unique_lock<std::mutex> lock(w->mutex);
            if (w->cv.wait_for(lock, std::chrono::milliseconds(periodMs), [&] { return w->stop; }))
                break;
        }
        std::lock_guard<std::mutex> lock(w->mutex);
        w->finished = true;
        w->cv.notify_all();
    });
    std::shared_ptr<Watcher> old;
    {
        std::lock_guard<std::mutex> lock(gWatcherMutex);
        old = std::move(gWatcher);
        gWatcher = w;
    }
    retire(old);
    return 1;
}

void StopUsbChanged(void) {
    waitOutHang();
    std::shared_ptr<Watcher> old;
    {
        std::lock_guard<std::mutex> lock(gWatcherMutex);
        old = std::move(gWatcher);
    }
    retire(old);
}

char** UsbFinderC_FindHidDevicesByDeviceId(const char* vid, const char* pid, int usage, int maxCount,
                                           int* count) {
    (void)usage;
    return find(vid, pid, maxCount, count);
}

char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char* vid, const char* pid, int* count) {
    return find(vid, pid, 0, count);
}

int UsbFinderC_GetUsbDeviceAttribute(const char* path, unsigned char* attribute) {
    if (!attribute)
        return 0;
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(path);
    if (!ep.mouse && !ep.receiver)
        return 0;
    std::memset(attribute, 0, HIDUSB_ATTRIBUTE_SIZE);
    uint16_t version = ep.receiver ? ep.receiver->version : ep.mouse->version;
    attribute[8] = static_cast<unsigned char>(version & 0xFF);
    attribute[9] = static_cast<unsigned char>(version >> 8);
    return 1;
}

int UsbFinderC_GetDeviceInfo(unsigned char* out, const char* path, int flag) {
    (void)flag;
    if (!out)
        return 0;
    std::memset(out, 0, HIDUSB_DEVICE_INFO_SIZE);
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(path);
    if (!ep.mouse && !ep.receiver)
        return 0;
    if (ep.mouse) {
        out[0] = ep.mouse->cid;
        out[1] = ep.mouse->mid;
    }
    out[2] = ep.receiver ? receiverKind(ep.receiver->rateClass) : kWiredKind;
    return 1;
}

int UsbFinderC_GetDeviceOnLine(const char* path) {
    auto lock = lockDevices();
    return registry().resolve(path).reachable ? 1 : 0;
}

int UsbFinderC_GetDeviceOnLineWithUsbAddress(const char* path, unsigned char* out) {
    if (!out)
        return 0;
    std::memset(out, 0, HIDUSB_ONLINE_ADDRESS_SIZE);
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(path);
    Receiver* r = ep.receiver ? ep.receiver
                  : ep.mouse  ? registry().receiverByName(ep.mouse->receiver)
                              : nullptr;
    if (r)
        std::memcpy(out + 7, r->address, 3);
    out[6] = ep.reachable ? 1 : 0;
    return ep.reachable ? 1 : 0;
}

int UsbServer_ReadAllFlashData(void) {
    return request([](Mouse& m) {
        auto& h = host();
        h.lastFull.assign(kFullDataSize, 0);
        packFullData(m.flash().data(), h.lastFull.data());
        h.lastExtension.assign(m.flash().begin() + kExtensionOffset, m.flash().begin() + kTailOffset);
        sendFromMouse(m, kAnswer, 0, kFullOrRate, h.lastFull, 0, kExtensionSize);
    });
}

int UsbServer_ReadBatteryLevel(void) {
    return request([](Mouse& m) {
        sendFromMouse(m, kBattery, 0, 0, {static_cast<uint8_t>(m.battery), static_cast<uint8_t>(m.charging)});
    });
}

int UsbServer_ReadConfig(void) {
    return request([](Mouse& m) { sendFromMouse(m, kProfile, 0, 0, {static_cast<uint8_t>(m.profile)}); });
}

int UsbServer_ReadVersion(void) {
    return request([](Mouse& m) {
        sendFromMouse(m, kVersion, 0, 0,
                      {static_cast<uint8_t>(m.version & 0xFF), static_cast<uint8_t>(m.version >> 8)});
    });
}

int UsbServer_ReadCurrentDPI(void) {
    return request([](Mouse& m) { sendFromMouse(m, kAnswer, 0, kCurrentDpi, {m.flash()[2]}); });
}

int UsbServer_ReadReportRate(void) {
    return request([](Mouse& m) {
        // The answer is the device's own value: the program echoes it back with ProtocolDataUpdate, and by
        // then the mouse may have moved on (a second press), so the echo must find nothing to send.
        host().baseline[0] = m.flash()[0];
        sendFromMouse(m, kAnswer, 0, kFullOrRate, {m.flash()[0]});
    });
}

int UsbServer_ReadDPILed(void) {
    return askLight(kDpiLightArea);
}

int UsbServer_ReadLedBar(void) {
    return askLight(kLightBarArea);
}

// The parsed record is what the device holds, so it also becomes the baseline for later writes.
int ProtocolDataParser(const unsigned char* data, unsigned char* record) {
    if (!data || !record)
        return 0;
    unpackFullData(data, record);
    auto lock = lockDevices();
    auto& h = host();
    if (h.lastFull.size() == static_cast<size_t>(kFullDataSize) &&
        std::memcmp(h.lastFull.data(), data, kFullDataSize) == 0)
        std::memcpy(record + kExtensionOffset, h.lastExtension.data(), kExtensionSize);
    std::memcpy(h.baseline.data(), record, kRecordSize);
    h.haveBaseline = true;
    return 1;
}

int BufferToDPILed(const unsigned char* data, unsigned char* recordAt154) {
    return takeLight(kDpiLightArea, data, recordAt154);
}

int BufferToLedBar(const unsigned char* data, unsigned char* recordAt158) {
    return takeLight(kLightBarArea, data, recordAt158);
}

int GetDeviceBatteryStatus(const unsigned char* data, unsigned char* battery) {
    if (!data || !battery)
        return 0;
    battery[0] = std::min<unsigned char>(data[0], 100);
    battery[1] = data[1] ? 1 : 0;
    return 1;
}

int GetDeviceStatusChanged(const unsigned char* data, unsigned char* status) {
    if (!data || !status)
        return 0;
    for (int i = 0; i < HIDUSB_STATUS_SIZE; ++i)
        status[i] = i == 4 ? 0 : (data[0] >> i) & 1;
    return 1;
}

unsigned short UsbFinderC_GetVersion(const char* path) {
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(path);
    return ep.reachable ? ep.mouse->version : 0;
}

int SetDllProtocolData(const unsigned char* record) {
    if (!record)
        return 0;
    auto lock = lockDevices();
    std::memcpy(host().baseline.data(), record, kRecordSize);
    host().haveBaseline = true;
    return 1;
}

// One write report per changed run; each packet of it is applied as it crosses the link, so a device lost
// mid-way keeps what arrived and the baseline stays, and the next update sends the whole change again.
int ProtocolDataUpdate(const unsigned char* record) {
    if (!record)
        return 0;
    std::vector<Run> runs;
    std::string mouseName;
    {
        auto lock = lockDevices();
        Mouse* m = serviceMouse();
        if (!m)
            return 0;
        mouseName = m->name;
        auto& h = host();
        if (h.haveBaseline)
            runs = diffRuns(h.baseline.data(), record, kRecordSize);
        else
            runs.push_back({0, kRecordSize});
    }
    Pacer pacer{packetUs()};
    for (const Run& run : runs) {
        counters().reportsOut++;
        for (int done = 0; done < run.length; done += kWritePayload) {
            int n = std::min(kWritePayload, run.length - done);
            {
                auto lock = lockDevices();
                Mouse* m = serviceMouse();
                if (!m || m->name != mouseName)
                    return 0;
                std::memcpy(m->flash().data() + run.offset + done, record + run.offset + done,
                            static_cast<size_t>(n));
                counters().bytesOut += static_cast<unsigned long long>(n + 4);
                counters().packets++;
            }
            pacer.packet();
        }
    }
    auto lock = lockDevices();
    if (Mouse* m = registry().mouseByName(mouseName); m && !runs.empty())
        registry().save(*m);
    std::memcpy(host().baseline.data(), record, kRecordSize);
    host().haveBaseline = true;
    return 1;
}

int UsbServer_SetCurrentConfig(int index) {
    if (index < 0 || index >= kProfileCount)
        return 0;
    return request([index](Mouse& m) {
        m.profile = index;
        registry().save(m);
        sendFromMouse(m, kProfile, 0, 0, {static_cast<uint8_t>(index)});
    });
}

int UsbServer_SetClearSetting(void) {
    return request([](Mouse& m) {
        m.profiles.assign(kProfileCount, Registry::factory(m));
        m.profile = 0;
        m.longRange = false;
        registry().save(m);
        sendFromMouse(m, kReset, 0, 0, {1});
    });
}

int UsbServer_SetBatteryOptimizeEnable(int enable) {
    return request([enable](Mouse& m) { m.batteryOptimize = enable != 0; });
}

int UsbFinderC_SetLongRangeMode(const char* path, int on) {
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(path);
    if (!ep.reachable || (on != 0 && on != 1))
        return 0;
    ep.mouse->longRange = on == 1;
    return 1;
}

int UsbFinderC_GetLongRangeMode(const char* path, unsigned char* answer) {
    if (!answer)
        return 0;
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(path);
    if (!ep.reachable)
        return 0;
    answer[0] = ep.mouse->longRange ? 1 : 0;
    return 1;
}

int UsbFinderC_StartAdjustMode(const char* path, const unsigned char* request, int start) {
    if (!request)
        return 0;
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(path);
    if (!ep.reachable)
        return 0;
    ep.mouse->adjustMode = start != 0;
    ep.mouse->keyBytes[0] = ep.mouse->keyBytes[1] = 0;
    return 1;
}

} // extern "C"

namespace {

template <typename F>
int withReceiver(const char* path, const unsigned char* buffer, bool Receiver::*light, F f) {
    if (!buffer)
        return 0;
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(path);
    if (!ep.receiver || !(ep.receiver->*light))
        return 0;
    f(*ep.receiver);
    return 1;
}

// A receiver light: `has` says whether the receiver has it, `bytes` is what it holds.
template <size_t N>
int readLight(const char* path, unsigned char* out, bool Receiver::*has, uint8_t (Receiver::*bytes)[N]) {
    return withReceiver(path, out, has, [&](Receiver& r) { std::memcpy(out, r.*bytes, N); });
}

// Stores the light's new bytes, then runs `then` on the receiver under the same lock.
template <size_t N, typename F = void (*)(Receiver&)>
int writeLight(
    const char* path, const unsigned char* in, bool Receiver::*has, uint8_t (Receiver::*bytes)[N],
    F then = [](Receiver&) {}) {
    return withReceiver(path, in, has, [&](Receiver& r) {
        std::memcpy(r.*bytes, in, N);
        registry().save(r);
        then(r);
    });
}

// Pairs mouse and receiver, first releasing the receiver the mouse had and the mouse the receiver had.
// The caller saves the mouse.
void bindPair(Mouse& m, Receiver& r) {
    if (Receiver* old = registry().receiverByName(m.receiver); old && old != &r)
        old->paired.clear();
    if (Mouse* previous = registry().mouseByName(r.paired); previous && previous != &m) {
        previous->receiver.clear();
        registry().save(*previous);
    }
    m.receiver = r.name;
    r.paired = m.name;
}

} // namespace

extern "C" {

int UsbFinderC_GetDongleRGBBarMode(const char* path, unsigned char* bar) {
    return readLight(path, bar, &Receiver::hasBar, &Receiver::bar);
}

int UsbFinderC_SetDongleRGBBarMode(const char* path, const unsigned char* bar) {
    return writeLight(path, bar, &Receiver::hasBar, &Receiver::bar);
}

int UsbFinderC_GetDongleIndicatorLed(const char* path, unsigned char* leds) {
    return readLight(path, leds, &Receiver::hasLeds, &Receiver::leds);
}

int UsbFinderC_SetDongleIndicatorLed(const char* path, const unsigned char* leds) {
    return writeLight(path, leds, &Receiver::hasLeds, &Receiver::leds);
}

int UsbFinderC_Get4KDongleRGBValue(const char* path, unsigned char* rgb) {
    return readLight(path, rgb, &Receiver::hasStatus, &Receiver::rgb);
}

int UsbFinderC_Set4KDongleRGB(const char* path, const unsigned char* rgb) {
    return writeLight(path, rgb, &Receiver::hasStatus, &Receiver::rgb, [](Receiver& r) {
        sendFromReceiver(r, kReceiverRgb, std::vector<uint8_t>(r.rgb, r.rgb + sizeof r.rgb));
    });
}

// The receiver listens for a mouse of that model; the first one that is switched on and not on its cable
// pairs after the device-side pairing time.
int UsbServer_EnterDonglePairOnlyCid(int cid) {
    if (cid < 0 || cid > 255)
        return 0;
    auto lock = lockDevices();
    auto& h = host();
    Receiver* receiver = serviceReceiver();
    if (!receiver)
        return 0;
    Receiver& r = *receiver;
    sendFromReceiver(r, kPairing, {1});
    if (h.hangNextPairing) {
        h.hangNextPairing = false;
        h.pair = PairState{r.name, 1, Clock::time_point::max()};
        return 1;
    }
    Mouse* candidate = nullptr;
    for (auto& m : registry().mice)
        if (m.cid == cid && m.link != Link::Cable && m.battery > 0) {
            candidate = &m;
            break;
        }
    bool ok = candidate && !h.failNextPairing;
    h.failNextPairing = false;
    if (ok) {
        bindPair(*candidate, r);
        candidate->link = Link::Receiver;
        batteryClockChanged(); // a mouse that was off starts to drain
        registry().save(*candidate);
        registry().changed();
    }
    h.pair.receiver = r.name;
    h.pair.result = ok ? 3 : 2;
    h.pair.doneAt = Clock::now() + std::chrono::microseconds(pairUs());
    sendFromReceiver(r, kPairing, {static_cast<uint8_t>(h.pair.result)}, pairUs());
    return 1;
}

int UsbServer_ReadDonglePairStatus(void) {
    auto lock = lockDevices();
    auto& h = host();
    Receiver* r = serviceReceiver();
    if (!r)
        return 0;
    uint8_t state = 0;
    if (h.pair.receiver == r->name && h.pair.result)
        state = Clock::now() < h.pair.doneAt ? 1 : static_cast<uint8_t>(h.pair.result);
    sendFromReceiver(*r, kPairing, {state});
    return 1;
}

int UsbFinderC_SetDongleIDToMouse(const char* path, const unsigned char* id) {
    if (!id)
        return 0;
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(path);
    if (!ep.mouse || ep.receiver || !ep.reachable)
        return 0;
    for (auto& r : registry().receivers) {
        if (std::memcmp(r.address, id, 3) != 0)
            continue;
        bindPair(*ep.mouse, r);
        registry().save(*ep.mouse);
        return 1;
    }
    return 0;
}

int UsbFinderC_GetSlaveVersion(const char* path, unsigned char* out) {
    if (!out)
        return 0;
    std::memset(out, 0, HIDUSB_SLAVE_VERSION_SIZE);
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(path);
    if (!ep.receiver || !ep.reachable)
        return 0;
    out[0] = 1;
    out[1] = static_cast<unsigned char>(ep.mouse->version >> 8);
    out[2] = static_cast<unsigned char>(ep.mouse->version & 0xFF);
    return 1;
}

int UsbUpgradeC_FindBootDevices(const unsigned char* image, int imageLength, int* count) {
    if (!count)
        return 0;
    *count = 0;
    ImageHeader h;
    if (!parseImage(image, imageLength, h))
        return 0;
    auto lock = lockDevices();
    *count = static_cast<int>(bootTargets(h).size());
    return 1;
}

// Flashes the image packet by packet on a thread of its own; the progress callback gets every percent step
// and then the end status. The device takes the new version only when the whole image has arrived. The flash
// counts as over before the end status is sent, so the next stage may be started from that callback.
int UsbUpgrade_Start(const unsigned char* image, int imageLength, HidUpgradeProgressCallback callback,
                     int timeoutMs) {
    ImageHeader header;
    if (!callback || timeoutMs <= 0 || !parseImage(image, imageLength, header))
        return 0;
    // The boot loader checks the payload once it has all of it; a corrupt image leaves the old firmware.
    const bool payloadSound =
        crc32(image + kImageHeaderSize, size_t(imageLength - kImageHeaderSize)) == header.payloadCrc;
    auto w = std::make_shared<Watcher>();
    std::shared_ptr<Watcher> old;
    {
        std::lock_guard<std::mutex> lock(gWatcherMutex);
        if (gFlashing)
            return 0; // one flash at a time
        std::string target;
        int failAt;
        {
            auto devices = lockDevices();
            auto targets = bootTargets(header);
            if (targets.size() != 1)
                return 0;
            target = targets[0];
            failAt = host().failUpgradeAt;
            host().failUpgradeAt = -1;
        }
        gFlashing = true;
        old = std::move(gUpgrade);
        gUpgrade = w;
        const int packets = packetsFor(imageLength);
        w->thread = std::thread([w, header, target, failAt, packets, callback, imageLength, payloadSound] {
            Pacer pacer{packetUs()};
            int percent = -1;
            bool ok = true;
            for (int i = 1; i <= packets && ok; ++i) {
                pacer.packet();
                {
                    std::lock_guard<std::mutex> lock(w->mutex);
                    if (w->stop) {
                        ok = false;
                        break;
                    }
                }
                int now = static_cast<int>(100LL * i / packets);
                {
                    auto devices = lockDevices();
                    counters().reportsOut++;
                    counters().packets++;
                    counters().bytesOut += static_cast<unsigned long long>(
                        std::min(kPacketSize, imageLength - (i - 1) * kPacketSize));
                    Mouse* m = header.type == kMouseImage ? registry().mouseByName(target) : nullptr;
                    Receiver* r = header.type == kReceiverImage ? registry().receiverByName(target) : nullptr;
                    bool present = (m && m->link == Link::Cable) || (r && r->plugged);
                    if (!present || (failAt >= 0 && now >= failAt)) {
                        ok = false;
                        break;
                    }
                    if (i == packets && !payloadSound) {
                        ok = false;
                        break;
                    }
                    if (i == packets) {
                        if (m) {
                            m->version = header.version;
                            registry().save(*m);
                        } else {
                            r->version = header.version;
                        }
                    }
                }
                if (now != percent) {
                    percent = now;
                    unsigned char status[3] = {7, 1, static_cast<unsigned char>(now)};
                    callback(status, 3);
                }
            }
            {
                std::lock_guard<std::mutex> lock(gWatcherMutex);
                gFlashing = false;
            }
            unsigned char end[3] = {7, 2, static_cast<unsigned char>(ok ? 1 : 0)};
            callback(end, 3);
            finish(*w);
        });
    }
    retire(old);
    return 1;
}

int UsbFinderC_OpenDevice(const char* path) {
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(path);
    if (!ep.mouse && !ep.receiver)
        return 0;
    host().rawPath = path;
    return 1;
}

// Raw commands: 0x01 reads up to length-4 flash bytes at offset buffer[1..2] (count buffer[3]); 0x02
// answers the firmware version. reply[0] is 1 on success.
int UsbFinderC_ReadWriteDeviceData(const unsigned char* buffer, unsigned char* reply, int length) {
    if (!buffer || !reply || length < 4 || length > kPacketSize)
        return 0;
    auto lock = lockDevices();
    Endpoint ep = registry().resolve(host().rawPath.c_str());
    if (!ep.reachable)
        return 0;
    counters().reportsOut++;
    counters().reportsIn++;
    counters().packets += 2;
    counters().bytesOut += static_cast<unsigned long long>(length);
    counters().bytesIn += static_cast<unsigned long long>(length);
    std::memset(reply, 0, static_cast<size_t>(length));
    std::memcpy(reply + 1, buffer + 1, 3);
    if (buffer[0] == 0x01) {
        int offset = buffer[1] | buffer[2] << 8;
        int n = buffer[3];
        if (n > length - 4 || offset + n > kRecordSize)
            return 0;
        std::memcpy(reply + 4, ep.mouse->flash().data() + offset, static_cast<size_t>(n));
    } else if (buffer[0] == 0x02) {
        reply[1] = static_cast<unsigned char>(ep.mouse->version & 0xFF);
        reply[2] = static_cast<unsigned char>(ep.mouse->version >> 8);
    } else {
        return 0;
    }
    reply[0] = 1;
    return 1;
}

} // extern "C"
