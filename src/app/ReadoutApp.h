#pragma once
// The application object: opens the encoder interface and creates the main window.

#include "framework/WinApp.h"

#include <memory>
#include <optional>

class CMainFrame;

class CReadoutApp : public fw::CWinApp
{
    Q_OBJECT

public:
    static constexpr const char* kRegistryKey = "Orvane Electronic Controls Ltd";

    CReadoutApp(int& argc, char** argv);
    ~CReadoutApp() override;

    // Opens the interface (or reports that there is none), creates and shows the main window. Returns
    // whether to run the event loop.
    bool InitInstance();

    // After the event loop: destroys the main window (closing the interface and saving every axis's
    // settings), commits the profile and returns the program's exit status, 1 when the settings could
    // not be saved (the operator has been told).
    int ExitInstance();

    // The end of the Windows session: closes the interface and saves every axis's settings at once,
    // before the session ends the process; ExitInstance then returns this end's status.
    void EndSession();

    CMainFrame* MainFrame() const { return m_pMainWnd.get(); }

private:
    // Commits the profile; 0, or 1 when it could not be saved (the operator has been told).
    int CommitProfile();

    std::unique_ptr<CMainFrame> m_pMainWnd;
    std::optional<int> m_nSessionEndStatus;
    // Windows: the handle of the named mutex that tells installers the program runs; null elsewhere.
    void* m_hRunningMutex = nullptr;
};
