#pragma once
// A main window whose client area below the menu bar is a stack of control bars.

#include <QMainWindow>

class QVBoxLayout;

namespace fw {

class CFrameWnd : public QMainWindow
{
    Q_OBJECT

public:
    CFrameWnd();

    // Stacks `bar` below the bars docked before it.
    void DockControlBar(QWidget* bar);

    // Loads title (first field of the string), menu and icon of resource `nIDResource`.
    void LoadFrameResources(int nIDResource);

protected:
    // Sizes the window so the client area below the menu holds exactly `barsSize`.
    void SetClientSizeForBars(QSize barsSize);

    // Command handler of File > Exit: closes the main window.
    virtual void OnAppExit();

private:
    QWidget* m_pBarHost;
    QVBoxLayout* m_pBarLayout;
};

// The application's main window: the frame window on screen (the first one there is when none is shown),
// or nullptr before one is created.
CFrameWnd* AfxGetMainWnd();

} // namespace fw
