// Building the sensor page (and, with arg 1, its first render) as the frame does at start.
#include "app/core/IniStores.h"
#include "app/ui/Theme.h"
#include "sensor/Sensor.h"

#include <QApplication>
#include <QPixmapCache>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

static void BM_ConstructSensorPage(benchmark::State& state) {
    const bool paint = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        QPixmapCache::clear(); // as at a start: no picture decoded yet
        state.ResumeTiming();
        auto* page = new Sensor;
        if (paint)
            benchmark::DoNotOptimize(page->grab());
        benchmark::DoNotOptimize(page);
        state.PauseTiming();
        delete page;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ConstructSensorPage)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("ZF_APP_DIR").isEmpty())
        qputenv("ZF_APP_DIR", ZF_APP_FOLDER);
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    ConfigIniStore::instance();
    Theme::apply(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
