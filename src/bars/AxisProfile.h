#pragma once
// Each channel's name, scaling and mode word in the per-user profile, section "Settings/Axis<n>".

class CAxisBar;

namespace profile {

// Loads the settings of `bar.m_nChannel` into the bar; a channel with no stored name takes every default.
void LoadAxisSettings(CAxisBar& bar);

// Saves the bar's settings to its channel's section.
void SaveAxisSettings(const CAxisBar& bar);

} // namespace profile
