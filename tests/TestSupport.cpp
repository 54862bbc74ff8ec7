#include "TestSupport.h"

#include "app/MainFrame.h"
#include "framework/MessageBox.h"
#include "framework/WinApp.h"
#include "resources/Resources.h"

#include <QCoreApplication>
#include <QDir>

namespace testsupport {

CIsolatedProfile::CIsolatedProfile() : m_pMessages(std::make_shared<QStringList>())
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    auto messages = m_pMessages;
    fw::SetMessageBoxHook([messages](const QString&, const QString& text) { messages->append(text); });
}

CIsolatedProfile::~CIsolatedProfile()
{
    // What the bars saved goes into this folder, as an orderly exit would put it, and not into the next.
    if (fw::CWinApp* app = fw::AfxGetApp())
        app->Profile().Commit();
    fw::SetMessageBoxHook({});
}

QString CIsolatedProfile::ProfileFile() const
{
    return QDir(m_dir.path())
        .filePath(QCoreApplication::organizationName() + QLatin1Char('/') +
                  QCoreApplication::applicationName() + QStringLiteral(".conf"));
}

void SetCard(int axes, int boards, const std::vector<int>& types)
{
    fake::SetRegister(REG_AXIS_COUNT, 0, axes);
    fake::SetRegister(REG_BOARD_COUNT, 0, boards);
    for (size_t i = 0; i < types.size(); ++i)
        fake::SetRegister(REG_ENCODER_TYPE, static_cast<int16_t>(i), types[i]);
}

std::vector<std::string> TraceFrom(size_t from)
{
    const std::vector<std::string> all = fake::Trace();
    return from < all.size() ? std::vector<std::string>(all.begin() + static_cast<long>(from), all.end())
                             : std::vector<std::string>{};
}

std::unique_ptr<CMainFrame> NewFrame()
{
    auto frame = std::make_unique<CMainFrame>();
    frame->LoadFrame(res::IDR_MAINFRAME);
    return frame;
}

CReadoutTestCase::CReadoutTestCase() = default;
CReadoutTestCase::~CReadoutTestCase() = default;

void CReadoutTestCase::initTestCase()
{
    res::InstallResources();
    QCoreApplication::setApplicationName(res::String(res::AFX_IDS_APP_TITLE));
    QCoreApplication::setOrganizationName(QStringLiteral("Orvane Electronic Controls Ltd"));
}

void CReadoutTestCase::init()
{
    fake::Reset();
    m_profile = std::make_unique<CIsolatedProfile>();
}

void CReadoutTestCase::cleanup()
{
    m_frame.reset();
    m_profile.reset();
}

CMainFrame& CReadoutTestCase::MakeFrame()
{
    m_frame = NewFrame();
    return *m_frame;
}

} // namespace testsupport
