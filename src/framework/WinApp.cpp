#include "framework/WinApp.h"

#include "framework/QtCompat.h"

namespace fw {

CWinApp::CWinApp(int& argc, char** argv) : QApplication(argc, argv)
{
    UseSystemMessageFont();
    CloseOnlyWhenSessionEnds();
}

CWinApp::~CWinApp() = default;

void CWinApp::SetRegistryKey(const char* key)
{
    setOrganizationName(QString::fromUtf8(key));
}

CWinApp* AfxGetApp()
{
    return qobject_cast<CWinApp*>(QCoreApplication::instance());
}

} // namespace fw
