#include "bars/AxisProfile.h"

#include "bars/AxisBar.h"
#include "hardware/ModeWord.h"

#include <array>

namespace profile {
namespace {
constexpr std::array<const char*, 12> kDefaultNames = {"X", "Y", "Z", "A", "B", "C",
                                                        "P", "Q", "R", "J", "K", "L"};
} // namespace

void LoadAxisSettings(CAxisBar& bar)
{
    const int channel = bar.m_nChannel;
    bar.m_strName = channel >= 0 && channel < static_cast<int>(kDefaultNames.size())
                        ? QString::fromLatin1(kDefaultNames[static_cast<size_t>(channel)])
                        : QString();
    bar.m_dPitch = 1.0;
    bar.m_dCount = 1.0;
    bar.m_dwMode = hw::kDefaultModeWord;
}

void SaveAxisSettings(const CAxisBar&) {}

} // namespace profile
