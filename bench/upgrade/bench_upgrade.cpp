// A 64 KiB mouse image flashed through the program's upgrade run over the emulated full-speed link
// (one 64-byte packet per millisecond unless ZF_HIDUSB_PACKET_US says otherwise): total time from the
// start of the run to its end against the wire time of the packets sent. Goal: total <= 1.2 x wire.
#include "HIDUsbVirtual.h"
#include "app/core/IniStores.h"
#include "device/FirmwareUpgrade.h"
#include "device/HidApi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
int (*g_counters)(unsigned long long*) = nullptr;

void flash64KiB(benchmark::State& state) {
    Upgrade::Plan plan;
    plan.cid = 5;
    plan.mid = 31;
    plan.mouseName = QStringLiteral("B1");
    plan.mouseStage = true;
    const int packetUs = qEnvironmentVariableIsSet("ZF_HIDUSB_PACKET_US")
                             ? qEnvironmentVariableIntValue("ZF_HIDUSB_PACKET_US")
                             : 1000;
    double totalMs = 0, wireMs = 0;
    for (auto _ : state) {
        Upgrade::Run run;
        run.setCheckInterval(Upgrade::Run::kCheckIntervalMs);
        bool done = false, ok = false;
        QObject::connect(&run, &Upgrade::Run::finished, [&](bool result) {
            done = true;
            ok = result;
        });
        unsigned long long before[5] = {}, after[5] = {};
        g_counters(before);
        QElapsedTimer clock;
        clock.start();
        run.start(plan);
        while (!done && clock.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const double elapsed = clock.nsecsElapsed() / 1e6;
        g_counters(after);
        if (!ok) {
            state.SkipWithError("upgrade failed");
            return;
        }
        state.SetIterationTime(elapsed / 1000.0);
        totalMs += elapsed;
        wireMs += double(after[4] - before[4]) * packetUs / 1000.0;
    }
    const double n = double(state.iterations());
    state.counters["total_ms"] = totalMs / n;
    state.counters["wire_ms"] = wireMs / n;
    state.counters["total_per_wire"] = wireMs > 0 ? totalMs / wireMs : 0;
}
BENCHMARK(flash64KiB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
} // namespace

int main(int argc, char** argv) {
    QTemporaryDir appDir, stateDir, home, images;
    qputenv("ZF_APP_DIR", appDir.path().toLocal8Bit());
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("ZF_HIDUSB_STATE_DIR", stateDir.path().toLocal8Bit());
    qputenv("ZF_HIDUSB_SOCKET", "none");
    QFile devices(stateDir.path() + "/devices.txt");
    if (!devices.open(QIODevice::WriteOnly))
        return 1;
    devices.write("mouse b1 cid=05 mid=1F link=cable\n");
    devices.close();
    qputenv("ZF_HIDUSB_DEVICES", QFile::encodeName(devices.fileName()));
    QCoreApplication app(argc, argv);
    QFile description(images.path() + "/images.txt");
    if (!description.open(QIODevice::WriteOnly))
        return 1;
    description.write("B1.bin mouse B1 05 1F 0200 65536\n");
    description.close();
    if (QProcess::execute(QStringLiteral(ZF_FWIMAGE), {description.fileName(), images.path()}) != 0)
        return 1;
    qputenv("ZF_FIRMWARE_DIR", QFile::encodeName(images.path()));
    if (!HidLibrary::load(QStringLiteral(ZF_REAL_HID)))
        return 1;
    QLibrary lib(QStringLiteral(ZF_REAL_HID));
    g_counters = reinterpret_cast<int (*)(unsigned long long*)>(lib.resolve("HidVirt_GetCounters"));
    if (!g_counters)
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    hid().UsbServer_Exit();
    return 0;
}
