// Device chosen -> whole record in the pages, against the virtual mouse; the online question and one
// setting write as the window makes them. Run once with the emulated
// wire (ZF_HIDUSB_PACKET_US unset) and once with ZF_HIDUSB_PACKET_US=0: the second is the program's
// own share plus the library's bookkeeping.
#include "bench/common/DeviceBench.h"
#include "device/DeviceSession.h"
#include "device/Discovery.h"
#include "device/SettingWriters.h"

#include <benchmark/benchmark.h>

namespace {
void bringUp(benchmark::State& state) {
    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    if (found.isEmpty()) {
        state.SkipWithError("no virtual mouse");
        return;
    }
    int records = 0;
    QObject context;
    PostMsg::connectBlockingFunctor(&PostMsg::SigUpDataLightSensor, &context,
                                    [&](FlashDataMap) { ++records; });
    for (auto _ : state) {
        std::unique_ptr<Worker> worker;
        const bool arrived = DeviceBench::bringUp(worker, found.first(), records);
        worker->shutdown(3000);
        hid().UsbServer_Exit();
        if (!arrived) {
            state.SkipWithError("record did not arrive");
            return;
        }
    }
}
BENCHMARK(bringUp)->Unit(benchmark::kMillisecond)->UseRealTime();

// The window's online question: straight into the library (0), or through the session's bounded call
// thread (1), as the program asks it. The difference is what keeping a stuck library off the window costs.
void onlineCheck(benchmark::State& state) {
    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    if (found.isEmpty()) {
        state.SkipWithError("no virtual mouse");
        return;
    }
    const QByteArray path = found.first().path.toLatin1();
    for (auto _ : state) {
        const bool online = state.range(0) ? DeviceSession::isOnline(path)
                                           : hid().UsbFinderC_GetDeviceOnLine(path.constData()) != 0;
        benchmark::DoNotOptimize(online);
    }
}
BENCHMARK(onlineCheck)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

// One setting change as a page makes it: online question, patch, send (one write report).
void settingWrite(benchmark::State& state) {
    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    if (found.isEmpty()) {
        state.SkipWithError("no virtual mouse");
        return;
    }
    LinkFlags::resetAll();
    for (DeviceAllInfo d : found) {
        Discovery::markOnline(d);
        if (d.online) {
            SelectedDevice::set(d);
            break;
        }
    }
    FlashDataMap record = CurrentRecord::snapshot();
    hid().SetDllProtocolData(record.data());
    DeviceSession::resumeService();
    uint8_t lod = 1;
    for (auto _ : state) {
        lod = lod == 1 ? 2 : 1;
        if (!SetLod(lod)) {
            state.SkipWithError("write refused");
            break;
        }
    }
    DeviceSession::stopService();
}
BENCHMARK(settingWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();
} // namespace

int main(int argc, char** argv) {
    DeviceBench::Folders folders;
    QCoreApplication app(argc, argv);
    if (!DeviceBench::loadForMouseZ1())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
