#pragma once
// The main window: a fixed-size frame that stacks the bars and owns the 250 ms refresh timer.

#include "app/ReadoutPanel.h"
#include "framework/FrameWnd.h"

class CMainFrame : public fw::CFrameWnd
{
    Q_OBJECT

public:
    static constexpr int kRefreshPeriodMs = 250;

    // Constructs the panel, which reads the channel and board counts.
    CMainFrame();
    ~CMainFrame() override;

    // Loads title, menu and icon of resource `nIDResource`, then runs the creation step.
    bool LoadFrame(int nIDResource);

    CReadoutPanel& Panel() { return m_panel; }
    bool IsRefreshing() const { return m_nTimer != 0; }

protected:
    // Creation step: the bars, then the refresh timer.
    int OnCreate();
    // The refresh timer's tick: every bar is refreshed.
    void OnTimer();

    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Sizes the window to fit its bars, on every show and every hide.
    void FitToBars();

    CReadoutPanel m_panel;
    int m_nTimer = 0;
};
