#include "TestSupport.h"

#include "app/MainFrame.h"
#include "framework/MessageBox.h"
#include "framework/WinApp.h"
#include "resources/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <clocale>

#if defined(Q_OS_WIN)
#include <qt_windows.h>
#endif

namespace testsupport {

CIsolatedProfile::CIsolatedProfile() : m_pMessages(std::make_shared<QStringList>())
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
#if defined(Q_OS_WIN)
    // The registry has no path to set: HKEY_CURRENT_USER itself is redirected, for this process.
    static int s_nScratch = 0;
    m_strScratchKey = QStringLiteral("Software\\OrvaneReadoutTests\\%1-%2")
                          .arg(GetCurrentProcessId())
                          .arg(++s_nScratch);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    HKEY scratch = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(m_strScratchKey.utf16()), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &scratch, nullptr) != ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_CURRENT_USER, scratch) != ERROR_SUCCESS)
        qFatal("The registry could not be redirected to a scratch key");
    RegCloseKey(scratch);
#endif
    auto messages = m_pMessages;
    fw::SetMessageBoxHook([messages](const QString&, const QString& text) { messages->append(text); });
}

CIsolatedProfile::~CIsolatedProfile()
{
    // What the bars saved goes into this folder, as an orderly exit would put it, and not into the next.
    if (fw::CWinApp* app = fw::AfxGetApp())
        app->Profile().Commit();
    fw::SetMessageBoxHook({});
#if defined(Q_OS_WIN)
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(m_strScratchKey.utf16()));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OrvaneReadoutTests");
#endif
}

QString CIsolatedProfile::ProfileFile() const
{
#if defined(Q_OS_WIN)
    return QDir::toNativeSeparators(
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QCoreApplication::organizationName(),
                  QCoreApplication::applicationName())
            .fileName());
#endif
    return QDir(m_dir.path())
        .filePath(QCoreApplication::organizationName() + QLatin1Char('/') +
                  QCoreApplication::applicationName() + QStringLiteral(".conf"));
}

#if defined(Q_OS_WIN)
namespace {
QSettings Branch(const QString& profileFile)
{
    return QSettings(QDir::fromNativeSeparators(profileFile).replace(QLatin1Char('/'), QLatin1Char('\\')),
                     QSettings::NativeFormat);
}
} // namespace
#endif

void WriteProfile(const QString& profileFile, const QByteArray& text)
{
#if defined(Q_OS_WIN)
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("profile.ini"));
    {
        QFile file(ini);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("The scratch profile could not be written");
    }
    QSettings from(ini, QSettings::IniFormat);
    QSettings to = Branch(profileFile);
    for (const QString& key : from.allKeys()) {
        // The file's unquoted commas make a list; the registry holds the text as it was typed.
        const QVariant value = from.value(key);
        to.setValue(key, value.userType() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(','))
                                                                   : value.toString());
    }
#else
    QDir().mkpath(QFileInfo(profileFile).path());
    QFile file(profileFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("The profile could not be written");
#endif
}

QByteArray ProfileBytes(const QString& profileFile)
{
#if defined(Q_OS_WIN)
    QSettings branch = Branch(profileFile);
    QStringList keys = branch.allKeys();
    std::sort(keys.begin(), keys.end());
    QByteArray bytes;
    for (const QString& key : keys) {
        QString shown = key;
        if (shown.startsWith(QLatin1String("Settings/"))) {
            shown = shown.mid(9).replace(QLatin1Char('/'), QLatin1Char('\\'));
            if (bytes.isEmpty())
                bytes += "[Settings]\n";
        }
        bytes += shown.toUtf8() + '=' + branch.value(key).toString().toUtf8() + '\n';
    }
    return bytes;
#else
    QFile file(profileFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
#endif
}

bool SetCommaDecimalLocale()
{
#if defined(Q_OS_WIN)
    const bool set = std::setlocale(LC_ALL, "German_Germany.1252") || std::setlocale(LC_ALL, "de-DE");
#else
    const bool set = std::setlocale(LC_ALL, "de_DE.UTF-8");
#endif
    if (set)
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    return set;
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
