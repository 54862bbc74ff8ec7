#pragma once
// Shared set-up for tests of the program's code: a fake card, the profile in a temporary folder, and
// message boxes recorded instead of shown.

#include "FakeEncoder.h"
#include "hardware/Registers.h"

#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

class CMainFrame;

namespace testsupport {

// Points the profile at a fresh temporary folder (on Windows, the user's registry branch at a fresh
// scratch key of its own, so the real branch is never touched) for the lifetime of the object, and
// records every message box.
class CIsolatedProfile
{
public:
    CIsolatedProfile();
    ~CIsolatedProfile();

    QString Path() const { return m_dir.path(); }
    // The profile file the program writes on this platform; on Windows its registry branch.
    QString ProfileFile() const;
    QStringList Messages() const { return *m_pMessages; }
    void ClearMessages() { m_pMessages->clear(); }

private:
    QTemporaryDir m_dir;
    std::shared_ptr<QStringList> m_pMessages;
#if defined(Q_OS_WIN)
    QString m_strScratchKey;
#endif
};

// A profile as an operator may leave it, given as the text of a profile file. On Windows each of its
// keys becomes a text value (REG_SZ) in the registry branch, as a registry editor leaves it.
void WriteProfile(const QString& profileFile, const QByteArray& text);
// The profile as its file holds it; on Windows the branch's values in the same "key=value" form.
QByteArray ProfileBytes(const QString& profileFile);
// A comma-decimal locale for the C library and Qt (German), or false when the system has none.
bool SetCommaDecimalLocale();

// A card with `axes` channels and `boards` boards, every channel of type `type` unless given per channel.
void SetCard(int axes, int boards, const std::vector<int>& types = {});

// A main frame on the fake card, loaded as the application loads it; deleting it saves the profile.
std::unique_ptr<CMainFrame> NewFrame();

// The fake's trace from call `from` on.
std::vector<std::string> TraceFrom(size_t from);

// Fixture of the program's tests: the application's names as the application object sets them, and for
// every test function a fresh fake card, an isolated profile and no main frame left over.
class CReadoutTestCase : public QObject
{
    Q_OBJECT

public:
    CReadoutTestCase();
    ~CReadoutTestCase() override;

protected slots:
    void initTestCase();
    void init();
    void cleanup();

protected:
    // A main frame on the fake card, loaded as the application loads it (not shown).
    CMainFrame& MakeFrame();

    std::unique_ptr<CIsolatedProfile> m_profile;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace testsupport
