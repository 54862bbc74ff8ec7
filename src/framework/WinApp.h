#pragma once
// The application object of a framework program: its names, which also name the profile, and the
// profile it owns.

#include "framework/Profile.h"

#include <QApplication>

namespace fw {

class CWinApp : public QApplication
{
    Q_OBJECT

public:
    CWinApp(int& argc, char** argv);
    ~CWinApp() override;

    // The organisation's name: with the application's name it names the profile.
    void SetRegistryKey(const char* key);

    CProfile& Profile() { return m_profile; }

private:
    CProfile m_profile;
};

// The running application object; nullptr when the application is not a CWinApp.
CWinApp* AfxGetApp();

} // namespace fw
