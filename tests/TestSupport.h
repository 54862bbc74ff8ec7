#pragma once
// Shared set-up for tests of the program's code: a fake card, the profile in a temporary folder, and
// message boxes recorded instead of shown.

#include "FakeEncoder.h"
#include "hardware/Registers.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// Points the profile at a fresh temporary folder for the lifetime of the object and records every
// message box.
class CIsolatedProfile
{
public:
    CIsolatedProfile();
    ~CIsolatedProfile();

    QString Path() const { return m_dir.path(); }
    // The profile file the program writes on this platform.
    QString ProfileFile() const;
    QStringList Messages() const { return *m_pMessages; }
    void ClearMessages() { m_pMessages->clear(); }

private:
    QTemporaryDir m_dir;
    std::shared_ptr<QStringList> m_pMessages;
};

// A card with `axes` channels and `boards` boards, every channel of type `type` unless given per channel.
void SetCard(int axes, int boards, const std::vector<int>& types = {});

// The fake's trace from call `from` on.
std::vector<std::string> TraceFrom(size_t from);

} // namespace testsupport
