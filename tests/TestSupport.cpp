#include "TestSupport.h"

#include "framework/MessageBox.h"

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

CIsolatedProfile::~CIsolatedProfile() { fw::SetMessageBoxHook({}); }

QString CIsolatedProfile::ProfileFile() const
{
    return QDir(m_dir.path()).filePath(QCoreApplication::organizationName() + QLatin1Char('/') +
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

} // namespace testsupport
