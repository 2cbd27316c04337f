// The library against the wire it emulates: each benchmark reports its time per iteration, the wire
// time of the packets it moved (from the library's own counters) and their ratio.
#include "Support.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace zftest;

namespace {

constexpr int kWireUs = 1000; // USB full speed: one 64-byte report per millisecond

struct Link {
    unsigned long long c[5] = {};
    explicit Link(LibHidUsb& l) { l.HidVirt_GetCounters(c); }
    unsigned long long packets() const { return c[4]; }
    unsigned long long writes() const { return c[2]; }
};

LibHidUsb& ready() {
    LibHidUsb& L = lib();
    L.UsbServer_Exit();
    std::filesystem::remove_all(runDir() + "/state");
    L.HidVirt_Reload();
    L.HidVirt_SetPacketTime(kWireUs);
    collector().clear();
    return L;
}

void report(benchmark::State& state, double seconds, unsigned long long packets) {
    const double wire = static_cast<double>(packets) * kWireUs * 1e-6;
    state.counters["wire_ms"] = benchmark::Counter(wire * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["x_wire"] = seconds / wire;
}

// Request, full-data report of 165 packets, parse into the record.
void BM_FullReadOverTheWire(benchmark::State& state) {
    LibHidUsb& L = ready();
    L.UsbServerC_Start(kReceiverPath, kReceiverPath, onReport);
    std::vector<uint8_t> record(HIDUSB_RECORD_SIZE);
    double total = 0;
    unsigned long long wirePackets = 0;
    for (auto _ : state) {
        Link before(L);
        auto t0 = std::chrono::steady_clock::now();
        L.UsbServer_ReadAllFlashData();
        auto full = collector().take(8, 0, 5000);
        if (!full || full->data.size() != HIDUSB_FULL_DATA_SIZE) {
            state.SkipWithError("no full-data report");
            break;
        }
        L.ProtocolDataParser(full->data.data(), record.data());
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        total += s;
        Link after(L);
        // The request is one packet the other way; the wire time is that of the answer.
        wirePackets += (after.packets() - before.packets()) - (after.writes() - before.writes());
    }
    report(state, total, wirePackets);
    L.UsbServer_Exit();
}
BENCHMARK(BM_FullReadOverTheWire)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

// One changed byte: exactly one write report of one packet. Arg: packet time (0 = library cost only).
void BM_SingleByteUpdate(benchmark::State& state) {
    LibHidUsb& L = ready();
    L.HidVirt_SetPacketTime(static_cast<int>(state.range(0)));
    L.UsbServerC_Start(kReceiverPath, kReceiverPath, onReport);
    std::vector<uint8_t> record(HIDUSB_RECORD_SIZE);
    L.HidVirt_ReadFlash("mouse0", -1, record.data());
    L.SetDllProtocolData(record.data());
    Link start(L);
    for (auto _ : state) {
        record[6] ^= 1;
        Link before(L);
        if (L.ProtocolDataUpdate(record.data()) != 1) {
            state.SkipWithError("write failed");
            break;
        }
        Link after(L);
        if (after.writes() - before.writes() != 1 || after.packets() - before.packets() != 1) {
            state.SkipWithError("a one-byte change did not go out as exactly one write report");
            break;
        }
    }
    Link end(L);
    state.counters["write_reports"] = benchmark::Counter(static_cast<double>(end.writes() - start.writes()),
                                                         benchmark::Counter::kAvgIterations);
    L.UsbServer_Exit();
}
BENCHMARK(BM_SingleByteUpdate)->Arg(0)->Arg(kWireUs)->UseRealTime()->Unit(benchmark::kMicrosecond);

std::mutex gEndMutex;
std::condition_variable gEndCv;
int gEnd = -1;
void onProgress(const unsigned char* status, int length) {
    if (length >= 3 && status[1] == 2) {
        std::lock_guard<std::mutex> lock(gEndMutex);
        gEnd = status[2];
        gEndCv.notify_all();
    }
}

// A 64 KiB mouse image over the cable: 1024 packets.
void BM_Flash64KiB(benchmark::State& state) {
    LibHidUsb& L = ready();
    L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE);
    auto image = firmwareImage(65536, 0xD3, kCid, kMid, 0x0200);
    double total = 0;
    unsigned long long wirePackets = 0;
    for (auto _ : state) {
        Link before(L);
        {
            std::lock_guard<std::mutex> lock(gEndMutex);
            gEnd = -1;
        }
        auto t0 = std::chrono::steady_clock::now();
        if (L.UsbUpgrade_Start(image.data(), static_cast<int>(image.size()), onProgress, 10000) != 1) {
            state.SkipWithError("upgrade refused");
            break;
        }
        std::unique_lock<std::mutex> lock(gEndMutex);
        gEndCv.wait_for(lock, std::chrono::seconds(10), [] { return gEnd >= 0; });
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (gEnd != 1) {
            state.SkipWithError("upgrade failed");
            break;
        }
        state.SetIterationTime(s);
        total += s;
        wirePackets += Link(L).packets() - before.packets();
    }
    report(state, total, wirePackets);
}
BENCHMARK(BM_Flash64KiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    prepareEnvironment();
    setenv("ZF_HIDUSB_SOCKET", "none", 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    lib();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
