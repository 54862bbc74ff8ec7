#include "app/ReadoutApp.h"

#include "app/MainFrame.h"
#include "app/SignalHandler.h"
#include "framework/MessageBox.h"
#include "hardware/EncoderCalls.h"
#include "resources/Resources.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

CReadoutApp::CReadoutApp(int& argc, char** argv) : fw::CWinApp(argc, argv)
{
    res::InstallResources();
    // Set before the interface is opened: the name titles message boxes and, with the organisation,
    // names the profile.
    setApplicationName(res::String(res::AFX_IDS_APP_TITLE));
    SetRegistryKey(kRegistryKey);
    setWindowIcon(res::Icon(res::IDR_MAINFRAME));
#ifdef Q_OS_WIN
    // Held until the program ends: the installer and the uninstaller of this build look for it before they
    // replace or remove anything. The name is the build's own (cmake/Packaging.cmake gives the installer
    // the same), in the global namespace, so that a program another user runs counts too.
    m_hRunningMutex = CreateMutexW(nullptr, FALSE, L"Global\\" READOUT_RUNNING_MUTEX);
#endif
}

CReadoutApp::~CReadoutApp()
{
#ifdef Q_OS_WIN
    if (m_hRunningMutex)
        CloseHandle(m_hRunningMutex);
#endif
}

bool CReadoutApp::InitInstance()
{
    if (hw::OpenEncoder() == 1) {
        fw::AfxMessageBox(QStringLiteral("Encoder interface not found !"));
        return false;
    }
    m_pMainWnd = std::make_unique<CMainFrame>();
    m_pMainWnd->LoadFrame(res::IDR_MAINFRAME);
    // Invented positions must never pass for a card's.
    if (hw::BoundToSimulatedBoards())
        m_pMainWnd->setWindowTitle(res::String(res::IDS_TITLE_SIMULATED));
    m_nSessionEndStatus.reset();
    app::InstallShutdownSignals(m_pMainWnd.get(), [this] { EndSession(); });
    m_pMainWnd->show();
    m_pMainWnd->update();
    return true;
}

void CReadoutApp::EndSession()
{
    if (!m_pMainWnd || m_nSessionEndStatus)
        return;
    // The frame stays: a dialog's modal loop may still be beneath this call, working on its bar.
    m_pMainWnd->Panel().Close();
    m_nSessionEndStatus = CommitProfile();
}

int CReadoutApp::ExitInstance()
{
    if (m_nSessionEndStatus) {
        m_pMainWnd.reset();
        return *m_nSessionEndStatus;
    }
    // Deleting the frame closes the interface, then every created axis bar saves its settings: all of
    // them go into the profile in one write, and the operator hears of it if that write fails.
    m_pMainWnd.reset();
    return CommitProfile();
}

int CReadoutApp::CommitProfile()
{
    if (Profile().Commit())
        return 0;
    QString message =
        QStringLiteral("The axis settings could not be saved to:\n%1").arg(Profile().Location());
    if (const QString reason = Profile().FailureReason(); !reason.isEmpty())
        message += QStringLiteral("\n\n%1.").arg(reason);
    fw::AfxMessageBox(message);
    return 1;
}
