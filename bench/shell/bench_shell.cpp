// Building the home window, its first paint and the frame with its pages built after it, and a whole
// process start up to the shown home window.
#include "app/DialogMain.h"

#include <QApplication>
#include <QPixmapCache>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// As at a start: no picture decoded yet and no style-sheet rule cached, which is most of the cost.
static void coldCaches() {
    QPixmapCache::clear();
    qApp->setStyleSheet(qApp->styleSheet()); // drops the style sheet's cached rules and re-polishes
}

// Arg 1 also renders the window once, as its first show does: polishing, picture decoding, painting.
// Arg 2 then builds the frame with its seven pages, as the program does right after that first paint.
static void BM_ConstructDialogMain(benchmark::State& state) {
    const int stage = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        coldCaches();
        state.ResumeTiming();
        auto* window = new DialogMain;
        if (stage >= 1)
            benchmark::DoNotOptimize(window->grab());
        if (stage >= 2)
            benchmark::DoNotOptimize(window->frame());
        benchmark::DoNotOptimize(window);
        state.PauseTiming(); // tearing down is not part of a start
        delete window;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ConstructDialogMain)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

static void BM_ProcessStartToWindowShown(benchmark::State& state) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    // The single-instance lock lives in the session's folder: another copy running on this machine for
    // the same user would otherwise make every start end at the "already running" notice.
    env.insert("TMPDIR", home.path());
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.insert("QT_LOGGING_RULES", "zf.shell.info=true"); // the "home window shown" line
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(ZF_EXE_PATH), QStringList());
        QByteArray out;
        while (!out.contains("home window shown") && p.waitForReadyRead(10000))
            out += p.readAll();
        state.PauseTiming();
        const bool shown = out.contains("home window shown");
        p.kill();
        p.waitForFinished();
        if (!shown) {
            state.SkipWithError(out.contains("already running") ? "another instance is running"
                                                                : "the home window was not shown");
            break; // timing may not resume after an error
        }
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
