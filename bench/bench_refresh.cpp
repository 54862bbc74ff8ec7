// What one tick of the refresh costs, 12 axes on 4 boards, offscreen: the refresh alone (registers read,
// values scaled and formatted, texts set) and the whole tick as the screen sees it (with the repaint of
// whatever changed), each with positions moving at every tick and with positions standing still.

#include "BenchCard.h"
#include "ReadoutFixture.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void Report(benchmark::State& state, bench::CReadoutFixture& fixture, int64_t nReadsBefore)
{
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["paints"] = fixture.TakePaints() / iterations;
    state.counters["reads"] = static_cast<double>(benchcard::Reads() - nReadsBefore) / iterations;
}

void BM_Refresh(benchmark::State& state)
{
    bench::CReadoutFixture fixture(state.range(0) != 0);
    fixture.TakePaints();
    const int64_t nReads = benchcard::Reads();
    for (auto _ : state) {
        fixture.Tick();
        state.PauseTiming();
        fixture.Flush();
        state.ResumeTiming();
    }
    Report(state, fixture, nReads);
}

void BM_Tick(benchmark::State& state)
{
    bench::CReadoutFixture fixture(state.range(0) != 0);
    fixture.TakePaints();
    const int64_t nReads = benchcard::Reads();
    for (auto _ : state) {
        fixture.Tick();
        fixture.Flush();
    }
    Report(state, fixture, nReads);
}

BENCHMARK(BM_Refresh)->ArgName("moving")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tick)->ArgName("moving")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::InitApplication();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
