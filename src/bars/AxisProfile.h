#pragma once
// Each channel's name, scaling and mode word in the application's profile, section "Settings/Axis<n>":
// "Name", "Pitch" and "Count" as text ("%lf" for the two numbers, always with '.'), "Mode" as a 32-bit
// integer.

struct CAxisRecord;

namespace fw {
class CProfile;
}

namespace profile {

// Loads the settings of `axis.m_nChannel` from `pProfile` into the record; a channel with no stored
// name, or no profile at all, takes every default. A stored pitch or count that is missing or not a
// finite number reads as 1.0, a mode word that is not a 32-bit integer as 0.
void LoadAxisSettings(CAxisRecord& axis, const fw::CProfile* pProfile);

// Writes the record's settings to its channel's section of `profile`, in the order Name, Pitch, Count,
// Mode; they reach the store at the profile's commit. A record of no channel (-1) writes nothing.
void SaveAxisSettings(const CAxisRecord& axis, fw::CProfile& profile);

} // namespace profile
