#include "bars/AxisProfile.h"

#include "bars/AxisBar.h"
#include "bars/Scaling.h"
#include "framework/Profile.h"
#include "hardware/ModeWord.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace profile {
namespace {

constexpr std::array<const char*, 12> kDefaultNames = {"X", "Y", "Z", "A", "B", "C",
                                                       "P", "Q", "R", "J", "K", "L"};

const QString kName = QStringLiteral("Name");
const QString kPitch = QStringLiteral("Pitch");
const QString kCount = QStringLiteral("Count");
const QString kMode = QStringLiteral("Mode");

QString Section(int channel)
{
    return QStringLiteral("Settings/Axis%1").arg(channel);
}

QString DefaultName(int channel)
{
    return channel >= 0 && channel < static_cast<int>(kDefaultNames.size())
               ? QString::fromLatin1(kDefaultNames[static_cast<size_t>(channel)])
               : QString();
}

// Pitch or count: a value that is missing, not a number, or beyond a double's range reads as 1.0.
double ScaleValue(const QString& stored)
{
    double value = 0.0;
    if (!scaling::ScanDouble(stored, value) || !std::isfinite(value))
        return 1.0;
    return value;
}

} // namespace

void LoadAxisSettings(CAxisBar& bar, const fw::CProfile* pProfile)
{
    const QString section = Section(bar.m_nChannel);
    bar.m_strName = pProfile ? pProfile->GetProfileString(section, kName) : QString();
    if (bar.m_strName.isEmpty()) {
        bar.m_strName = DefaultName(bar.m_nChannel);
        bar.m_dPitch = 1.0;
        bar.m_dCount = 1.0;
        bar.m_dwMode = hw::kDefaultModeWord;
        return;
    }
    bar.m_dPitch = ScaleValue(pProfile->GetProfileString(section, kPitch));
    bar.m_dCount = ScaleValue(pProfile->GetProfileString(section, kCount));
    bar.m_dwMode = pProfile->GetProfileInt(section, kMode, 0);
}

void SaveAxisSettings(const CAxisBar& bar, fw::CProfile& profile)
{
    if (bar.m_nChannel < 0)
        return;
    const QString section = Section(bar.m_nChannel);
    profile.WriteProfileString(section, kName, bar.m_strName);
    profile.WriteProfileString(section, kPitch, scaling::FormatFixed6(bar.m_dPitch));
    profile.WriteProfileString(section, kCount, scaling::FormatFixed6(bar.m_dCount));
    profile.WriteProfileInt(section, kMode, static_cast<int32_t>(bar.m_dwMode));
}

} // namespace profile
