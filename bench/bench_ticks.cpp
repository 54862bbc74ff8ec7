// Starts the readout's window on the bench card, runs N whole ticks (refresh and repaint) and ends.
// Under callgrind, the instructions of a run with N ticks less those of a run with none, divided by N,
// are the cost of one tick: a count that does not depend on what else the machine is doing.
//
//     bench_ticks N moving|still

#include "BenchCard.h"
#include "ReadoutFixture.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 3 || (std::strcmp(argv[2], "moving") != 0 && std::strcmp(argv[2], "still") != 0)) {
        std::fprintf(stderr, "usage: %s TICKS moving|still\n", argv[0]);
        return 2;
    }
    const long nTicks = std::strtol(argv[1], nullptr, 10);
    const bool bMoving = std::strcmp(argv[2], "moving") == 0;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::InitApplication();
    bench::CReadoutFixture fixture(bMoving);
    fixture.TakePaints();
    const int64_t nReads = benchcard::Reads();
    for (long i = 0; i < nTicks; ++i) {
        fixture.Tick();
        fixture.Flush();
    }
    std::printf("ticks=%ld paints=%d reads=%lld\n", nTicks, fixture.TakePaints(),
                static_cast<long long>(benchcard::Reads() - nReads));
    return 0;
}
