#pragma once
// The application's per-user profile: sections of named values, strings or 32-bit integers. On Windows it
// is the registry branch of the organisation and application names; elsewhere a file under the user's
// configuration folder. Writes are gathered and reach the store together at Commit: the profile file is
// replaced whole or not at all, so a crash, a kill or a full disk leaves the earlier one.

#include <QList>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <utility>

class QSettings;

namespace fw {

class CProfile
{
public:
    CProfile();
    // What is still pending is dropped: only Commit writes.
    ~CProfile();

    CProfile(const CProfile&) = delete;
    CProfile& operator=(const CProfile&) = delete;

    // A value as text, whatever form it is held in (a pending write first, then the store); `def` when
    // there is none.
    QString GetProfileString(const QString& section, const QString& entry, const QString& def = {}) const;
    // A value as a 32-bit integer: an integer as held, or text holding one in signed or unsigned decimal;
    // `def` for anything else.
    uint32_t GetProfileInt(const QString& section, const QString& entry, uint32_t def) const;

    void WriteProfileString(const QString& section, const QString& entry, const QString& value);
    // As an integer, so that the registry holds a DWORD; bit 31 travels as the sign.
    void WriteProfileInt(const QString& section, const QString& entry, int32_t value);

    // Puts the pending writes into the store, in the order they were made. False when that failed; the
    // writes are no longer pending either way.
    bool Commit();
    // Why the last Commit failed, as the system gave it ("No space left on device"); empty after one that
    // succeeded, and where the store gives no reason (the registry).
    QString FailureReason() const { return m_strFailure; }

    // The profile's file, or its registry branch on Windows.
    QString Location() const;

private:
    QVariant Value(const QString& key) const;

    // Keys and values in the order they were written.
    QList<std::pair<QString, QVariant>> m_pending;
    // The store as read, opened at the first read and brought up to date before each one.
    mutable std::unique_ptr<QSettings> m_pStore;
    QString m_strFailure;
};

} // namespace fw
