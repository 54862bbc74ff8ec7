#include "app/ReadoutPanel.h"

#include "hardware/EncoderCalls.h"
#include "hardware/Registers.h"
#include "resources/Resources.h"

#include <algorithm>

CReadoutPanel::CReadoutPanel()
{
    const auto axes = static_cast<int16_t>(hw::ReadEncoder(REG_AXIS_COUNT, 0));
    auto boards = static_cast<int16_t>(hw::ReadEncoder(REG_BOARD_COUNT, 0));
    // The panel holds twelve axis bars: a negative count shows none, a larger one the first twelve.
    m_nAxisCount = std::clamp<int16_t>(axes, 0, kMaxAxes);
    if (boards == 0)
        boards = static_cast<int16_t>(m_nAxisCount / 3);
    // Fewer than three channels derive no board, and a negative count makes no sense: one board.
    m_nBoardCount = std::max<int16_t>(boards, 1);
}

CReadoutPanel::~CReadoutPanel()
{
    // The members then go in reverse order: the axis bars, already saved, then the board bars.
    Close();
}

void CReadoutPanel::Close()
{
    if (m_bClosed)
        return;
    // No register is touched after this.
    m_bClosed = true;
    hw::CloseEncoder();
    for (int i = kMaxAxes - 1; i >= 0; --i)
        AxisBar(i).SaveSettings();
}

int CReadoutPanel::GroupSize() const { return std::max(1, m_nAxisCount / m_nBoardCount); }

template <typename OnBoard, typename OnAxis>
void CReadoutPanel::ForEachInGroupOrder(OnBoard onBoard, OnAxis onAxis)
{
    const int group = GroupSize();
    int b = 0;
    for (int i = 0; i < m_nAxisCount; ++i) {
        // Channels past the fourth board's group stay in it.
        if (i % group == 0 && b < kMaxBoards) {
            onBoard(m_boardBars[static_cast<size_t>(b)], b);
            ++b;
        }
        onAxis(m_axisBars[static_cast<size_t>(i)], i);
    }
}

bool CReadoutPanel::CreateBars(QWidget* parent)
{
    m_nBoardBarsCreated = 0;
    ForEachInGroupOrder(
        [&](CBoardBar& bar, int b) {
            bar.Create(parent, res::IDD_BOARDBAR, static_cast<int16_t>(b));
            ++m_nBoardBarsCreated;
        },
        [&](CAxisBar& bar, int i) {
            bar.Create(parent, res::IDD_AXISBAR, static_cast<int16_t>(i));
        });
    return true;
}

void CReadoutPanel::RefreshAll()
{
    if (m_bClosed)
        return;
    ForEachInGroupOrder([](CBoardBar& bar, int) { bar.Refresh(); }, [](CAxisBar& bar, int) { bar.Refresh(); });
}

QSize CReadoutPanel::GetBarsSize() const
{
    const QSize axis = m_axisBars[0].CalcFixedLayout();
    const QSize board = m_boardBars[0].CalcFixedLayout();
    // The board bars actually created, so an uneven grouping is not clipped.
    return QSize(axis.width(), m_nBoardBarsCreated * board.height() + m_nAxisCount * axis.height());
}
