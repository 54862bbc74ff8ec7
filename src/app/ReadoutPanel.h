#pragma once
// Learns how many channels and boards the card has, owns every board bar and axis bar, creates and
// refreshes them in group order and computes the size they take one under the other.

#include "bars/AxisBar.h"
#include "bars/BoardBar.h"

#include <QSize>
#include <array>
#include <cstdint>

class QWidget;

class CReadoutPanel
{
public:
    static constexpr int kMaxBoards = 4;
    static constexpr int kMaxAxes = 12;

    // Reads the channel and board counts from the card.
    CReadoutPanel();
    // Closes, then destroys the axis bars and the board bars.
    ~CReadoutPanel();

    // Closes the interface, then saves each created axis bar's settings from the last bar to the first.
    // Only once; after it nothing refreshes.
    void Close();

    CReadoutPanel(const CReadoutPanel&) = delete;
    CReadoutPanel& operator=(const CReadoutPanel&) = delete;

    bool CreateBars(QWidget* parent);
    void RefreshAll();
    // The bars one under the other.
    QSize GetBarsSize() const;

    // Channels shown (the card's count, held to 0..12).
    int16_t AxisCount() const { return m_nAxisCount; }
    int BoardBarsCreated() const { return m_nBoardBarsCreated; }
    // Channels per board bar, never less than 1.
    int GroupSize() const;

    CAxisBar& AxisBar(int i) { return m_axisBars[static_cast<size_t>(i)]; }
    CBoardBar& BoardBar(int b) { return m_boardBars[static_cast<size_t>(b)]; }

private:
    // Walks the channels in group order: a board bar at the head of each group (at most four), then
    // the channel's axis bar.
    template <typename OnBoard, typename OnAxis> void ForEachInGroupOrder(OnBoard onBoard, OnAxis onAxis);

    std::array<CBoardBar, kMaxBoards> m_boardBars;
    std::array<CAxisBar, kMaxAxes> m_axisBars;
    int16_t m_nAxisCount = 0;
    int16_t m_nBoardCount = 0;
    int m_nBoardBarsCreated = 0;
    bool m_bClosed = false;
};
