// Language tables: the home window's constructor lists the languages and the first lookup in a language
// reads its file, so a start reads one; a lookup runs for every caption on every language change.
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

// What a start in language `Arg` costs: the list, Net.xml and that language's file (and following the
// files before it).
void BM_StartInOneLanguage(benchmark::State& state) {
    const QStringList keys = allLanguages();
    const int index = int(state.range(0));
    for (auto _ : state) {
        Language::loadFrom(QStringLiteral(ZF_RESOURCES), keys);
        benchmark::DoNotOptimize(Language::text(QStringLiteral("home"), QStringLiteral("Exit"), index));
    }
}
BENCHMARK(BM_StartInOneLanguage)->Arg(0)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_LoadAllElevenLanguages(benchmark::State& state) {
    const QStringList keys = allLanguages();
    for (auto _ : state) {
        Language::loadFrom(QStringLiteral(ZF_RESOURCES), keys);
        for (int index = 0; index < keys.size(); ++index)
            benchmark::DoNotOptimize(Language::text(QStringLiteral("home"), QStringLiteral("Exit"), index));
    }
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
