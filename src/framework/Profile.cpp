#include "framework/Profile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
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
#include <QTemporaryFile>
#include <QThread>
#include <cerrno>
#include <cstdio>
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
// A value as the file gives it back: text, and valid UTF-16 (a stray surrogate becomes '?').
QVariant AsStored(const QVariant& value)
{
    if (value.userType() == QMetaType::Int || value.userType() == QMetaType::QString)
        return QString::fromUtf8(value.toString().toUtf8());
    return value;
}

// A key as the file holds it: QSettings drops leading, trailing and doubled slashes.
QString FiledKey(const QString& key)
{
    return key.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

// Whether the file gave `value` back for `expected`. A value some other hand left in the profile may
// come back in another form: a serialised number as text, one list as another kind, a NaN unequal to
// itself.
bool ReadsBackAs(const QVariant& value, const QVariant& expected)
{
    if (value == expected)
        return true;
    const auto serialised = [](const QVariant& v) {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream << v;
        return bytes;
    };
    if (serialised(value) == serialised(expected))
        return true;
    const bool bText = value.userType() == QMetaType::QString || value.userType() == QMetaType::QStringList ||
                       value.userType() == QMetaType::QVariantList;
    return bText && TextValue(value) == TextValue(expected);
}

// What a save that was killed leaves beside the profile: its staged copy ("<profile>.AbCdEf.saving",
// renamed "….saving.read" to be read back) and the files QSettings makes beside it while it writes it,
// whose names begin with the staged copy's. Of the staged copies of earlier versions, named without
// ".saving", only the read-back copies and the locks are told apart from an operator's own
// "<profile>.backup". Files of exactly those names are removed, nothing else.
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

// Why a staged copy could not be written whole. QSettings says only that it failed, or sees no failure
// when its buffer is flushed; the system's reason (a full disk, a quota, a size limit) comes from writing
// `size` bytes to the same file and syncing them. Empty when that succeeds.
QString WriteFailure(const QString& path, qint64 size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return SystemReason(errno);
    const QByteArray block(4096, '\0');
    int error = 0;
    for (qint64 left = size; left > 0 && error == 0;) {
        const ssize_t written =
            ::write(fd, block.constData(), static_cast<size_t>(qMin<qint64>(left, block.size())));
        if (written < 0 && errno != EINTR)
            error = errno;
        else if (written > 0)
            left -= written;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error != 0 ? SystemReason(error) : QString();
}

// The profile file is replaced, in one rename, by a complete new one that has been read back first.
// QSettings alone is not enough: its save file does not notice a write that fails while its buffer is
// flushed (a full disk), and would put a cut-off profile in place of the earlier one. False when the
// profile was not replaced, with the reason in `reason`.
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
                content.insert(filed, AsStored(value));
        }
    }
    for (const auto& [key, value] : pending)
        content.insert(key, AsStored(value));

    QTemporaryFile staged(profile + QStringLiteral(".XXXXXX.saving"));
    if (!staged.open()) {
        reason = staged.errorString();
        return false;
    }
    staged.close();
    // What the new profile takes at least, to find out why it could not be written.
    qint64 size = 0;
    for (auto it = content.cbegin(); it != content.cend(); ++it)
        size += it.key().toUtf8().size() + TextValue(it.value()).toUtf8().size() + 2;
    const auto writeFailed = [&] {
        reason = WriteFailure(staged.fileName(), size);
        if (reason.isEmpty())
            reason = QStringLiteral("The new profile did not read back as it was written");
        return false;
    };
    {
        QSettings settings(staged.fileName(), QSettings::IniFormat);
        for (auto it = content.cbegin(); it != content.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return writeFailed();
    }
    // Read back under a name no QSettings has seen, so that what is parsed is the file itself.
    if (!staged.rename(staged.fileName() + QStringLiteral(".read"))) {
        reason = staged.errorString();
        return false;
    }
    {
        const QSettings written(staged.fileName(), QSettings::IniFormat);
        const QStringList keys = written.allKeys();
        if (written.status() != QSettings::NoError || keys.size() != content.size())
            return writeFailed();
        for (const QString& key : keys) {
            if (!content.contains(key) || !ReadsBackAs(written.value(key), content.value(key)))
                return writeFailed();
        }
    }
    // The earlier profile's permissions, or those QSettings gives a new one.
    staged.setPermissions(QFileInfo::exists(profile)
                              ? QFile::permissions(profile)
                              : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(QFile::encodeName(staged.fileName()).constData(),
                    QFile::encodeName(profile).constData()) != 0) {
        reason = SystemReason(errno);
        return false;
    }
    staged.setAutoRemove(false);
    return true;
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
