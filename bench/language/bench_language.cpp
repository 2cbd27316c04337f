// Language tables: loading the shipped files happens once in the home window's constructor, so it
// adds to start-up; a lookup runs for every caption on every language change.
#include "app/core/Language.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {
QStringList allLanguages() {
    QStringList keys;
    for (const auto& l : Language::allLanguages())
        keys << QLatin1String(l.optionKey);
    return keys;
}

void BM_LoadAllElevenLanguages(benchmark::State& state) {
    const QStringList keys = allLanguages();
    for (auto _ : state)
        Language::loadFrom(QStringLiteral(ZF_RESOURCES), keys);
    state.counters["languages"] = Language::loadedCount();
}
BENCHMARK(BM_LoadAllElevenLanguages)->Unit(benchmark::kMillisecond);

void BM_LookUpCaption(benchmark::State& state) {
    Language::loadFrom(QStringLiteral(ZF_RESOURCES), allLanguages());
    const QString group = QStringLiteral("sensor"), key = QStringLiteral("LODTips");
    for (auto _ : state)
        benchmark::DoNotOptimize(Language::text(group, key, 4));
}
BENCHMARK(BM_LookUpCaption);

void BM_OptionList(benchmark::State& state) {
    Language::loadFrom(QStringLiteral(ZF_RESOURCES), allLanguages());
    for (auto _ : state)
        benchmark::DoNotOptimize(Language::options(QStringLiteral("KeyOptions"), 4));
}
BENCHMARK(BM_OptionList);
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
