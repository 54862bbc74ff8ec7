#include "app/MainFrame.h"

#include <QCloseEvent>
#include <QTimerEvent>

CMainFrame::CMainFrame()
{
    // A captioned, fixed-size window with a system menu, a minimize box and a close box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

CMainFrame::~CMainFrame()
{
    // The panel goes next, as a member: it must not be refreshed while it closes the interface.
    if (m_nTimer != 0)
        killTimer(m_nTimer);
}

bool CMainFrame::LoadFrame(int nIDResource)
{
    LoadFrameResources(nIDResource);
    return OnCreate() == 0;
}

int CMainFrame::OnCreate()
{
    m_panel.CreateBars(this);
    m_nTimer = startTimer(kRefreshPeriodMs);
    return 0;
}

void CMainFrame::OnTimer() { m_panel.RefreshAll(); }

void CMainFrame::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_nTimer)
        OnTimer();
    else
        fw::CFrameWnd::timerEvent(event);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    FitToBars();
    fw::CFrameWnd::showEvent(event);
}

void CMainFrame::hideEvent(QHideEvent* event)
{
    FitToBars();
    fw::CFrameWnd::hideEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The window is going: no refresh after this, so nothing touches the card while it is closed.
    if (m_nTimer != 0) {
        killTimer(m_nTimer);
        m_nTimer = 0;
    }
    event->accept();
}

void CMainFrame::FitToBars()
{
    // The caption belongs to the window manager: the client area holds the bars below our menu bar.
    SetClientSizeForBars(m_panel.GetBarsSize());
}
