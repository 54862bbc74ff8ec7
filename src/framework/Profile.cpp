#include "framework/Profile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QStringList>
#include <limits>
#include <memory>

#ifndef Q_OS_WIN
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>
#endif

namespace fw {
namespace {

using Entries = QList<std::pair<QString, QVariant>>;

std::unique_ptr<QSettings> OpenProfile()
{
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                QCoreApplication::organizationName(),
                                                QCoreApplication::applicationName());
    // The user's own profile only: no organisation-wide or system-wide values.
    settings->setFallbacksEnabled(false);
    return settings;
}

QString Key(const QString& section, const QString& entry)
{
    return section + QLatin1Char('/') + entry;
}

// A value as text, whatever form the profile holds it in. An unquoted comma in a hand-edited file
// makes a list of it; it is put back together.
QString TextValue(const QVariant& value)
{
    if (value.userType() == QMetaType::QStringList || value.userType() == QMetaType::QVariantList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

#ifdef Q_OS_WIN
// The registry takes the values one by one; it gives no reason when that fails.
bool WriteProfile(const Entries& pending, QString& /*reason*/)
{
    const auto settings = OpenProfile();
    for (const auto& [key, value] : pending)
        settings->setValue(key, value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}
#else
// A key as the file holds it: QSettings drops leading, trailing and doubled slashes.
QString FiledKey(const QString& key)
{
    return key.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

// What a save that was killed leaves beside the profile: its scratch copy ("<profile>.AbCdEf.saving")
// and the files QSettings makes beside it while it writes it, whose names begin with the scratch copy's;
// and what killed saves of earlier versions left: their copies, renamed "….saving.read" to be read
// back, and, named without ".saving", the read-back copies and the locks, which alone of those are told
// apart from an operator's own "<profile>.backup". Files of exactly those names are removed, nothing else.
void RemoveLeftovers(const QString& profile)
{
    const QFileInfo info(profile);
    const QString name = QRegularExpression::escape(info.fileName());
    const QRegularExpression leftover(QStringLiteral("^%1\\.[A-Za-z0-9]{6}\\.saving(\\..+)?$|"
                                                     "^%1\\.[A-Za-z]{6}(\\.read(\\.lock)?|\\.lock)$")
                                          .arg(name));
    QDir folder = info.dir();
    for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (leftover.match(entry).hasMatch())
            folder.remove(entry);
    }
}

// The system's text for an error number, "No space left on device".
QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// One save at a time: an advisory lock (flock) on "<profile>.lock", held while the object lives. The
// kernel drops it when the process ends, however it ends, so a killed save leaves the file unlocked and
// nothing that keeps the next save waiting. The file itself stays; what it holds is never read (one an
// earlier version left, with a process number in it, is locked like any other). It is opened for
// writing: on NFS the kernel turns flock into a POSIX lock, and an exclusive one needs that.
class CSaveLock
{
public:
    explicit CSaveLock(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)),
          m_nOpenError(m_fd < 0 ? errno : 0)
    {
    }
    ~CSaveLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CSaveLock(const CSaveLock&) = delete;
    CSaveLock& operator=(const CSaveLock&) = delete;

    // Waits up to `seconds` for the lock; a save takes milliseconds, so a lock held longer than that
    // belongs to a process that is stuck, and this save fails. Empty when locked, else why not.
    QString Lock(int seconds)
    {
        if (m_fd < 0)
            return SystemReason(m_nOpenError);
        const QDeadlineTimer deadline(seconds * 1000);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR)
                return SystemReason(errno);
            if (deadline.hasExpired())
                return QStringLiteral("Another readout held the profile's lock for %1 s").arg(seconds);
            QThread::msleep(10);
        }
        return {};
    }

private:
    int m_fd;
    int m_nOpenError;
};

// Why QSettings could not read the profile, as the system says it when the file is read.
QString ReadFailure(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return SystemReason(errno);
    char byte = 0;
    const int error = ::read(fd, &byte, 1) < 0 ? errno : 0;
    ::close(fd);
    return error != 0 ? SystemReason(error) : QStringLiteral("The profile could not be read");
}

// Writes all of `bytes` to a file opened unbuffered, where a write the system refuses fails at once,
// with its reason in the file's errorString().
bool WriteAll(QFileDevice& file, const QByteArray& bytes)
{
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 count = file.write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

// The new profile's text as QSettings writes it, in the scratch copy `scratch`. QSettings says nothing
// when a write of its file fails (a full disk, a size limit) and leaves it cut off, so the copy is read
// back: whole, it holds every key and ends its last line. False, with the system's reason, when it is not.
bool RenderProfile(QTemporaryFile& scratch, const QMap<QString, QVariant>& content, QByteArray& text,
                   QString& reason)
{
    if (!scratch.open()) {
        reason = scratch.errorString();
        return false;
    }
    scratch.close();
    bool whole = false;
    {
        QSettings settings(scratch.fileName(), QSettings::IniFormat);
        for (auto it = content.cbegin(); it != content.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        whole = settings.status() == QSettings::NoError;
    }
    // Read back under a name no QSettings has seen, so that what is parsed is the file itself.
    if (!scratch.rename(scratch.fileName() + QStringLiteral(".read")) || !scratch.open()) {
        reason = scratch.errorString();
        return false;
    }
    text = scratch.readAll();
    scratch.close();
    const QSettings written(scratch.fileName(), QSettings::IniFormat);
    QStringList keys = written.allKeys();
    keys.sort();
    if (whole && written.status() == QSettings::NoError && text.endsWith('\n') && keys == content.keys())
        return true;
    // The system's reason: as many bytes as the new profile takes at least, written to the copy again.
    int size = 0;
    for (auto it = content.cbegin(); it != content.cend(); ++it)
        size += it.key().toUtf8().size() + TextValue(it.value()).toUtf8().size() + 2;
    QFile probe(scratch.fileName());
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) ||
        !WriteAll(probe, QByteArray(size, '\n')))
        reason = probe.errorString();
    else
        reason = QStringLiteral("The new profile did not read back as it was written");
    return false;
}

// Puts `text` in place of the profile, whole, or leaves the earlier one (QSaveFile), with the earlier
// one's permissions. Unbuffered: through a buffer the last part is written at commit, which on Qt 6.4
// does not fail when that write does, and would put a cut-off profile in place. False, with the reason,
// when the profile was not replaced.
bool ReplaceProfile(const QString& profile, const QByteArray& text, QString& reason)
{
    QSaveFile file(profile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // An existing profile that may not be written is refused in words of QSaveFile's own.
        const bool writable = ::access(QFile::encodeName(profile).constData(), W_OK) == 0 || errno == ENOENT;
        reason = writable ? file.errorString() : SystemReason(errno);
        return false;
    }
    if (!WriteAll(file, text) || !file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}

// The profile is replaced by a complete new one, with every section it holds and the pending writes
// over them. False when it was not replaced, with the reason in `reason`.
bool WriteProfile(const Entries& pending, QString& reason)
{
    const QString profile = OpenProfile()->fileName();
    std::error_code folderError;
    std::filesystem::create_directories(QFile::encodeName(QFileInfo(profile).path()).toStdString(),
                                        folderError);
    if (folderError) {
        reason = QString::fromLocal8Bit(folderError.message());
        return false;
    }
    // One save at a time, from reading the profile to replacing it: a save that read the profile while
    // another one replaced it would put back what it read, and the other's sections would be lost. The
    // leftovers removed are never those of a save still going on either.
    CSaveLock lock(profile + QStringLiteral(".lock"));
    reason = lock.Lock(5);
    if (!reason.isEmpty())
        return false;
    RemoveLeftovers(profile);

    // Everything the profile holds, sections this save does not touch included, with its values over it.
    QMap<QString, QVariant> content;
    {
        const auto earlier = OpenProfile();
        // A profile that is there but cannot be read is not replaced by one without its other sections.
        if (earlier->status() == QSettings::AccessError) {
            reason = ReadFailure(profile);
            return false;
        }
        for (const QString& key : earlier->allKeys()) {
            // A key the file spells with stray slashes is reached, and written, without them.
            const QString filed = FiledKey(key);
            const QVariant value = earlier->value(filed);
            if (!filed.isEmpty() && value.isValid())
                content.insert(filed, value);
        }
    }
    for (const auto& [key, value] : pending)
        content.insert(key, value);

    // Beside the profile, where a killed save's is found and removed by the next.
    QTemporaryFile scratch(profile + QStringLiteral(".XXXXXX.saving"));
    QByteArray text;
    if (!RenderProfile(scratch, content, text, reason))
        return false;
    return ReplaceProfile(profile, text, reason);
}
#endif

} // namespace

CProfile::CProfile() = default;

CProfile::~CProfile() = default;

QVariant CProfile::Value(const QString& key) const
{
    for (auto it = m_pending.crbegin(); it != m_pending.crend(); ++it) {
        if (it->first == key)
            return it->second;
    }
    // Opening the store looks up its place and reads it. A profile file is read again when it changed
    // (a sync compares its size and time); the registry is read afresh at every value anyway.
    if (!m_pStore)
        m_pStore = OpenProfile();
#if !defined(Q_OS_WIN)
    else
        m_pStore->sync();
#endif
    return m_pStore->value(key);
}

QString CProfile::GetProfileString(const QString& section, const QString& entry, const QString& def) const
{
    const QVariant value = Value(Key(section, entry));
    return value.isValid() ? TextValue(value) : def;
}

uint32_t CProfile::GetProfileInt(const QString& section, const QString& entry, uint32_t def) const
{
    // A registry DWORD as it stands, or text holding a 32-bit integer in signed or unsigned decimal.
    const QVariant value = Value(Key(section, entry));
    if (value.userType() == QMetaType::Int || value.userType() == QMetaType::UInt)
        return static_cast<uint32_t>(value.toLongLong());
    bool ok = false;
    const qlonglong number = TextValue(value).trimmed().toLongLong(&ok, 10);
    if (!ok || number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<uint32_t>::max())
        return def;
    return static_cast<uint32_t>(number);
}

void CProfile::WriteProfileString(const QString& section, const QString& entry, const QString& value)
{
    m_pending.append({Key(section, entry), value});
}

void CProfile::WriteProfileInt(const QString& section, const QString& entry, int32_t value)
{
    m_pending.append({Key(section, entry), static_cast<int>(value)});
}

bool CProfile::Commit()
{
    m_strFailure.clear();
    if (m_pending.isEmpty())
        return true;
    // Read anew after a write: the file is replaced by one the store has not seen.
    m_pStore.reset();
    return WriteProfile(std::exchange(m_pending, {}), m_strFailure);
}

QString CProfile::Location() const
{
    return QDir::toNativeSeparators(OpenProfile()->fileName());
}

} // namespace fw
