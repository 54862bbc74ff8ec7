// A long run of the live readout in one process: 100,000 refreshes of twelve axes on four boards, with
// the card's values changing on every tick, no growth in memory and the same behaviour at the end as at
// the start.

#include "TestSupport.h"
#include "app/MainFrame.h"
#include "app/ReadoutApp.h"
#include "bars/Scaling.h"
#include "hardware/ModeWord.h"
#include "resources/Resources.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <array>
#include <memory>
#include <tuple>
#if defined(Q_OS_WIN)
#include <windows.h>
#include <psapi.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int kTicks = 100000;
constexpr int kWarmUpTicks = 5000;
// The event loop runs between ticks in the program; here it runs after every so many.
constexpr int kTicksPerEventLoop = 50;
// Resident memory may move by allocator noise, not by anything that grows with the ticks.
constexpr long kResidentTolerance = 1024 * 1024;

long ResidentBytes()
{
#if defined(Q_OS_WIN)
    // The working set is what Windows calls the resident memory.
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return static_cast<long>(counters.WorkingSetSize);
#else
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) : -1;
#endif
}

int g_nTick = 0;

// A card whose count registers, mode words, flags and status words change from tick to tick.
int32_t MovingCard(int32_t reg, int16_t index)
{
    const uint32_t t = static_cast<uint32_t>(g_nTick);
    switch (reg) {
    case REG_AXIS_COUNT:
        return 12;
    case REG_BOARD_COUNT:
        return 4;
    case REG_ENCODER_TYPE:
        return index % 2;
    case REG_MODE:
        return static_cast<int32_t>(hw::kDefaultModeWord ^ (t & 0x7u));
    case REG_MRK:
    case REG_PRB:
    case REG_FS:
        return static_cast<int32_t>((t + static_cast<uint32_t>(index)) % 3u);
    default:
        // Counts of both signs, sweeping across several decades.
        return static_cast<int32_t>((t * 7919u + static_cast<uint32_t>(index) * 104729u +
                                     static_cast<uint32_t>(reg) * 15485863u) %
                                    4000000u) -
               2000000;
    }
}

struct CallShape
{
    fake::Call::Kind kind;
    int32_t reg;
    int16_t index;
    bool operator==(const CallShape&) const = default;
};

std::vector<CallShape> Shapes()
{
    std::vector<CallShape> shapes;
    shapes.reserve(fake::Calls().size());
    for (const fake::Call& call : fake::Calls())
        shapes.push_back({call.kind, call.reg, call.index});
    return shapes;
}

// The last raw value read from `reg` for channel `index`.
int32_t LastRead(int32_t reg, int16_t index)
{
    const auto& calls = fake::Calls();
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
        if (it->kind == fake::Call::Read && it->reg == reg && it->index == index)
            return it->value;
    return 0;
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(res::String(res::AFX_IDS_APP_TITLE));
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane Electronic Controls Ltd"));
    }

    void hundredThousandRefreshes()
    {
        testsupport::CIsolatedProfile profile;
        fake::Reset();
        fake::SetReadHook(MovingCard);
        auto frame = std::make_unique<CMainFrame>();
        frame->LoadFrame(res::IDR_MAINFRAME);
        frame->show();
        CReadoutPanel& panel = frame->Panel();
        QCOMPARE(panel.AxisCount(), int16_t{12});
        QCOMPARE(panel.BoardBarsCreated(), 4);

        // Scalings with 0, 4, -1 and 15 decimals.
        const std::array<std::pair<double, double>, 4> scalings = {
            {{1.0, 1.0}, {1.0, 2000.0}, {20.0, 1.0}, {1e-16, 1.0}}};
        for (int i = 0; i < 12; ++i) {
            CAxisBar& bar = panel.AxisBar(i);
            std::tie(bar.m_dPitch, bar.m_dCount) = scalings[static_cast<size_t>(i) % scalings.size()];
            bar.RecalcScaling();
        }

        fake::ClearCalls();
        panel.RefreshAll();
        const std::vector<CallShape> firstTick = Shapes();
        QCOMPARE(firstTick.size(), size_t{4 * 2 + 12 * 8});

        QElapsedTimer elapsed;
        elapsed.start();
        long residentAfterWarmUp = 0;
        for (g_nTick = 1; g_nTick < kTicks; ++g_nTick) {
            // A dialog's change now and then: the mode word goes to the card instead of being read.
            const bool bPending = g_nTick % 1000 == 0;
            if (bPending)
                panel.AxisBar(g_nTick / 1000 % 12).m_bModePending = true;
            fake::ClearCalls();
            panel.RefreshAll();
            if (!bPending && Shapes() != firstTick)
                QFAIL(qPrintable(QStringLiteral("tick %1 made other calls than the first").arg(g_nTick)));
            if (g_nTick % kTicksPerEventLoop == 0)
                QCoreApplication::processEvents();
            if (g_nTick == kWarmUpTicks)
                residentAfterWarmUp = ResidentBytes();
        }
        const long residentAtEnd = ResidentBytes();
        qInfo("%d refreshes in %lld ms; resident %ld KiB after warm-up, %ld KiB at the end", kTicks,
              static_cast<long long>(elapsed.elapsed()), residentAfterWarmUp / 1024, residentAtEnd / 1024);
        QVERIFY(residentAfterWarmUp > 0);
#if !defined(__SANITIZE_ADDRESS__)
        // The address sanitizer holds freed memory back on purpose; there its leak check at exit stands
        // in for this.
        QVERIFY2(
            residentAtEnd - residentAfterWarmUp <= kResidentTolerance,
            qPrintable(QStringLiteral("grew by %1 KiB").arg((residentAtEnd - residentAfterWarmUp) / 1024)));
#endif

        // The last tick shows its own values, formatted as on the first.
        QVERIFY(Shapes() == firstTick);
        for (int i = 0; i < 12; ++i) {
            CAxisBar& bar = panel.AxisBar(i);
            const auto channel = static_cast<int16_t>(i);
            const double resolution = bar.m_dPitch / bar.m_dCount;
            const std::array<std::pair<int, int32_t>, 4> values = {{{res::IDC_INCREMENTAL, REG_INCREMENTAL},
                                                                    {res::IDC_ABSOLUTE, REG_ABSOLUTE},
                                                                    {res::IDC_MARKER, REG_MARKER},
                                                                    {res::IDC_PROBE, REG_PROBE}}};
            for (const auto& [id, reg] : values) {
                const QString text = bar.GetDlgItem(id)->property("text").toString();
                QCOMPARE(text, scaling::FormatValue(LastRead(reg, channel) * resolution, bar.m_nDecimals));
            }
            QCOMPARE(bar.m_dwMode, static_cast<uint32_t>(LastRead(REG_MODE, channel)));
            QCOMPARE(bar.m_bMrk, LastRead(REG_MRK, channel) == 1);
        }
        frame.reset();
        QCOMPARE(fake::Trace().back(), std::string("close"));
    }
};

int main(int argc, char** argv)
{
    CReadoutApp app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestSoak test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_soak.moc"
