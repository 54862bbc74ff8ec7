#pragma once
// Each channel's name, scaling and mode word in the per-user profile, section "Settings/Axis<n>":
// "Name", "Pitch" and "Count" as text ("%lf" for the two numbers, always with '.'), "Mode" as a 32-bit
// integer. On Windows the profile is the registry branch of the organisation and application names;
// elsewhere a file under the user's configuration folder.

#include <QList>
#include <QString>
#include <QVariant>
#include <utility>

class CAxisBar;

namespace profile {

// Loads the settings of `bar.m_nChannel` into the bar; a channel with no stored name takes every
// default. A stored pitch or count that is missing or not a finite number reads as 1.0, a mode word
// that is not a 32-bit integer as 0.
void LoadAxisSettings(CAxisBar& bar);

// Saves the bar's settings to its channel's section: into the open CProfileWriter when there is one,
// otherwise straight to the profile (a failure then goes unreported).
void SaveAxisSettings(const CAxisBar& bar);

// Gathers every save made while it is open and puts them into the profile together, at Commit. The
// profile file is replaced whole or not at all: a crash, a kill or a full disk leaves the earlier one.
class CProfileWriter
{
public:
    CProfileWriter();
    // Writes what is still pending, unreported.
    ~CProfileWriter();

    CProfileWriter(const CProfileWriter&) = delete;
    CProfileWriter& operator=(const CProfileWriter&) = delete;

    // Writes the profile. When that fails the operator is told in one message box that names the
    // profile's location, and the result is false.
    bool Commit();

    // The profile's file, or its registry branch on Windows.
    static QString Location();

private:
    friend void SaveAxisSettings(const CAxisBar& bar);

    bool Write();

    // Keys and values in the order they were saved.
    QList<std::pair<QString, QVariant>> m_pending;
    CProfileWriter* m_pPrevious = nullptr;
};

} // namespace profile
