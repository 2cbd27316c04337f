// Device chosen -> whole record in the pages, against the virtual mouse; the online question and one
// setting write as the window makes them. Run once with the emulated
// wire (ZF_HIDUSB_PACKET_US unset) and once with ZF_HIDUSB_PACKET_US=0: the second is the program's
// own share plus the library's bookkeeping.
#include "app/core/IniStores.h"
#include "app/core/PostMsg.h"
#include "device/DeviceSession.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "device/Worker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
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
        PostMsg::resetShutdown();
        LinkFlags::resetAll();
        const int before = records;
        Worker worker;
        worker.SlotSelectMouseInfo(found.first());
        LinkFlags::DevicePagesActive = true;
        worker.requestRun();
        QElapsedTimer guard;
        guard.start();
        while (records == before && guard.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        worker.shutdown(3000);
        hid().UsbServer_Exit();
        if (records == before) {
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
    QTemporaryDir appDir, stateDir, home;
    qputenv("ZF_APP_DIR", appDir.path().toLocal8Bit());
    qputenv("HOME", home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("ZF_HIDUSB_STATE_DIR"))
        qputenv("ZF_HIDUSB_STATE_DIR", stateDir.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    IniStore& ini = ConfigIniStore::instance();
    ini.setValue("Option", "DeviceTotal", "1");
    ini.setList("Option", "VID", {"373B"});
    ini.setList("Option", "USB_PID", {"1001"});
    ini.setList("Option", "Wireless_PID", {"1002"});
    ini.setValue("Drive1", "CID", "5");
    ini.setValue("Drive1", "MID", "31");
    ini.sync();
    if (!HidLibrary::load(QStringLiteral(ZF_REAL_HID)))
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
