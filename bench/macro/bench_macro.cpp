// Packing a 70-event macro, and packing plus downloading it into a button's area of a virtual mouse until
// the mouse's flash holds it. Run once with the emulated full-speed wire (ZF_HIDUSB_PACKET_US unset) and
// once with ZF_HIDUSB_PACKET_US=0: the second is the program's share plus the library's bookkeeping.
#include "bench/common/DeviceBench.h"
#include "device/Discovery.h"
#include "device/SettingWriters.h"
#include "macro/core/MacroPacker.h"

#include <QLibrary>
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

using namespace MacroFormat;

namespace {

MacroData seventyEvents(int variant) {
    MacroData m;
    for (int e = 0; e < kMaxEvents; ++e) {
        m.items << MacroItem::key(1, uint16_t(4 + (e + variant) % 26), e % 2 == 1);
        if (e + 1 < kMaxEvents)
            m.items << MacroItem::pause(uint32_t(10 + e + variant));
    }
    return m;
}

void packMacro(benchmark::State& state) {
    const MacroData m = seventyEvents(0);
    for (auto _ : state) {
        MacroPacker::Packed p = MacroPacker::pack(QStringLiteral("seventy"), m);
        benchmark::DoNotOptimize(p.block.bytes[31]);
    }
}
BENCHMARK(packMacro);

using ReadFlash = int (*)(const char*, int, unsigned char*);
ReadFlash g_readFlash = nullptr;

void downloadMacro(benchmark::State& state) {
    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    if (found.isEmpty() || !g_readFlash) {
        state.SkipWithError("no virtual mouse");
        return;
    }
    SelectedDevice::set(found.first());
    int records = 0;
    QObject context;
    PostMsg::connectBlockingFunctor(&PostMsg::SigUpDataLightSensor, &context,
                                    [&](FlashDataMap) { ++records; });
    std::unique_ptr<Worker> worker;
    if (!DeviceBench::bringUp(worker, found.first(), records)) {
        state.SkipWithError("record did not arrive");
        return;
    }
    const MacroData macros[2] = {seventyEvents(0), seventyEvents(1)};
    const int button = 5;
    const ButtonAssignment assignment{{6, uint8_t(button), 1}};
    int round = 0;
    FlashDataMap flash;
    QElapsedTimer guard;
    for (auto _ : state) {
        const MacroPacker::Packed p = MacroPacker::pack(QStringLiteral("seventy"), macros[round++ % 2]);
        if (!SetButtonMacro(button, assignment, p.block)) {
            state.SkipWithError("write refused");
            break;
        }
        // Done when the mouse's flash holds the new area.
        guard.start();
        while (!(g_readFlash("z1", -1, reinterpret_cast<unsigned char*>(&flash)) &&
                 std::memcmp(flash.macros[button].bytes, p.block.bytes, sizeof p.block.bytes) == 0)) {
            if (guard.elapsed() > 5000) {
                state.SkipWithError("area did not arrive");
                break;
            }
        }
    }
    worker->shutdown(3000);
    hid().UsbServer_Exit();
}
BENCHMARK(downloadMacro)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    DeviceBench::Folders folders;
    const QByteArray devices = folders.stateDir.path().toLocal8Bit() + "/devices.txt";
    if (FILE* f = std::fopen(devices.constData(), "w")) {
        std::fputs("mouse z1 vid=373B pid=1001 cid=05 mid=1F link=cable\n", f);
        std::fclose(f);
    }
    qputenv("ZF_HIDUSB_DEVICES", devices);
    QCoreApplication app(argc, argv);
    if (!DeviceBench::loadForMouseZ1())
        return 1;
    QLibrary raw(QStringLiteral(ZF_REAL_HID));
    if (raw.load())
        g_readFlash = reinterpret_cast<ReadFlash>(raw.resolve("HidVirt_ReadFlash"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
