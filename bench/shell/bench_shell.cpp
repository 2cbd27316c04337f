// Building the home window with all its pages, and a whole process start up to the shown home window.
#include "app/DialogMain.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

static void BM_ConstructDialogMain(benchmark::State& state) {
    for (auto _ : state) {
        DialogMain window;
        benchmark::DoNotOptimize(&window);
    }
}
BENCHMARK(BM_ConstructDialogMain)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_ProcessStartToWindowShown(benchmark::State& state) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(ZF_EXE_PATH), QStringList());
        QByteArray out;
        while (!out.contains("home window shown") && p.waitForReadyRead(10000))
            out += p.readAll();
        state.PauseTiming();
        if (!out.contains("home window shown"))
            state.SkipWithError("the home window was not shown");
        p.kill();
        p.waitForFinished();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ProcessStartToWindowShown)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
