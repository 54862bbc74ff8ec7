#include "bars/AxisProfile.h"

#include "bars/Scaling.h"
#include "core/AxisRecord.h"
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

void LoadAxisSettings(CAxisRecord& axis, const fw::CProfile* pProfile)
{
    const QString section = Section(axis.m_nChannel);
    axis.m_strName = pProfile ? pProfile->GetProfileString(section, kName) : QString();
    if (axis.m_strName.isEmpty()) {
        axis.m_strName = DefaultName(axis.m_nChannel);
        axis.m_dPitch = 1.0;
        axis.m_dCount = 1.0;
        axis.m_dwMode = hw::kDefaultModeWord;
        return;
    }
    axis.m_dPitch = ScaleValue(pProfile->GetProfileString(section, kPitch));
    axis.m_dCount = ScaleValue(pProfile->GetProfileString(section, kCount));
    axis.m_dwMode = pProfile->GetProfileInt(section, kMode, 0);
}

void SaveAxisSettings(const CAxisRecord& axis, fw::CProfile& profile)
{
    if (axis.m_nChannel < 0)
        return;
    const QString section = Section(axis.m_nChannel);
    profile.WriteProfileString(section, kName, axis.m_strName);
    profile.WriteProfileString(section, kPitch, scaling::FormatFixed6(axis.m_dPitch));
    profile.WriteProfileString(section, kCount, scaling::FormatFixed6(axis.m_dCount));
    profile.WriteProfileInt(section, kMode, static_cast<int32_t>(axis.m_dwMode));
}

} // namespace profile
