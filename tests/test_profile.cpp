// Each axis's name, scaling and mode word in the per-user profile, loaded at creation and saved at
// shutdown, against the fake card.

#include "TestSupport.h"
#include "app/MainFrame.h"
#include "app/ReadoutApp.h"
#include "bars/AxisProfile.h"
#include "core/AxisRecord.h"
#include "framework/Profile.h"
#include "hardware/ModeWord.h"
#include "resources/Resources.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <QSysInfo>
#include <QTest>
#include <QThread>
#include <array>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#if defined(Q_OS_WIN)
#include <qt_windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/mount.h>
#endif

using testsupport::NewFrame;
using testsupport::SetCard;

namespace {

QString Text(CAxisBar& bar, int id)
{
    return bar.GetDlgItem(id)->property("text").toString();
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

#if !defined(Q_OS_WIN)
// How this process opened `path` through a descriptor other than `own` (O_RDONLY, O_WRONLY or O_RDWR),
// once it has: what the kernel records for the descriptor, whoever the process runs as. -1 when no such
// descriptor appears within five seconds.
int AccessModeOnceOpened(const QString& path, int own)
{
    const QByteArray target = QFile::encodeName(QFileInfo(path).canonicalFilePath());
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        for (const QString& entry :
             QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System)) {
            const int fd = entry.toInt();
            std::array<char, 4096> link{};
            const ssize_t length =
                ::readlink(QFile::encodeName(QStringLiteral("/proc/self/fd/") + entry).constData(),
                           link.data(), link.size() - 1);
            if (fd == own || length <= 0 || QByteArray(link.data(), static_cast<int>(length)) != target)
                continue;
            // "flags:\t0100002": octal.
            const QByteArray info = FileBytes(QStringLiteral("/proc/self/fdinfo/") + entry);
            for (const QByteArray& line : info.split('\n')) {
                if (line.startsWith("flags:"))
                    return static_cast<int>(line.mid(6).trimmed().toUInt(nullptr, 8)) & O_ACCMODE;
            }
        }
        QThread::msleep(1);
    }
    return -1;
}
#endif

// One value of the profile as the file holds it, read from a private copy so nothing cached applies;
// on Windows straight from the registry branch.
class CStoredProfile
{
public:
#if defined(Q_OS_WIN)
    explicit CStoredProfile(const QString& branch)
        : m_bCopied(true), m_settings(branch, QSettings::NativeFormat)
    {
    }
#else
    explicit CStoredProfile(const QString& file)
        : m_strCopy(file + QStringLiteral(".copy%1").arg(s_nCopies++)),
          m_bCopied(QFile::copy(file, m_strCopy)), m_settings(m_strCopy, QSettings::IniFormat)
    {
    }
    ~CStoredProfile()
    {
        QFile::remove(m_strCopy);
    }
#endif

    bool IsWhole() const
    {
        return m_bCopied && m_settings.status() == QSettings::NoError;
    }
    QStringList Sections()
    {
        m_settings.beginGroup(QStringLiteral("Settings"));
        const QStringList sections = m_settings.childGroups();
        m_settings.endGroup();
        return sections;
    }
    QVariant Value(int channel, const char* key)
    {
        return m_settings.value(QStringLiteral("Settings/Axis%1/").arg(channel) + QLatin1String(key));
    }

private:
    static inline int s_nCopies = 0;
    QString m_strCopy;
    bool m_bCopied;
    QSettings m_settings;
};

const QString kDefaultMode = QString::number(hw::kDefaultModeWord);

#if defined(Q_OS_WIN)
// The kind of one stored value of channel 0, as a registry editor shows it.
DWORD RegistryKind(const wchar_t* value)
{
    DWORD kind = REG_NONE;
    RegGetValueW(HKEY_CURRENT_USER,
                 L"Software\\Orvane Electronic Controls Ltd\\Orvane 001 - Digital Readout\\Settings\\Axis0",
                 value, RRF_RT_ANY, &kind, nullptr, nullptr);
    return kind;
}
#endif

// The word the card was first given for channel 0, or -1 when it was given none.
int64_t FirstModeWrite()
{
    for (const fake::Call& call : fake::Calls())
        if (call.kind == fake::Call::Write && call.reg == REG_MODE && call.index == 0)
            return call.value;
    return -1;
}

} // namespace

class TestProfile : public testsupport::CReadoutTestCase
{
    Q_OBJECT

    QString File() const { return m_profile->ProfileFile(); }
    // What the bars saved, put into the file as the application does at exit.
    static bool Commit() { return static_cast<CReadoutApp*>(qApp)->Profile().Commit(); }

    // Commit, while another readout on `channels` channels, named as on a first run, commits its own at
    // the same moment. False when either save failed.
    static bool CommitTogether(int channels)
    {
#if defined(Q_OS_WIN)
        Q_UNUSED(channels);
        return false;
#else
        std::array<int, 2> go{};
        if (pipe(go.data()) != 0)
            return false;
        const pid_t other = fork();
        if (other == 0) {
            ::close(go[1]);
            fw::CProfile store;
            for (int ch = channels - 1; ch >= 0; --ch) {
                const QString section = QStringLiteral("Settings/Axis%1").arg(ch);
                store.WriteProfileString(section, QStringLiteral("Name"),
                                         QString(QLatin1Char("XYZABCPQRJKL"[ch])));
                store.WriteProfileString(section, QStringLiteral("Pitch"), QStringLiteral("1.000000"));
                store.WriteProfileString(section, QStringLiteral("Count"), QStringLiteral("1.000000"));
                store.WriteProfileInt(section, QStringLiteral("Mode"),
                                      static_cast<int32_t>(hw::kDefaultModeWord));
            }
            char byte = 0;
            _exit(::read(go[0], &byte, 1) == 1 && store.Commit() ? 0 : 1);
        }
        ::close(go[0]);
        const bool started = other > 0 && ::write(go[1], "g", 1) == 1;
        ::close(go[1]);
        const bool saved = Commit();
        int status = 1;
        if (other > 0)
            waitpid(other, &status, 0);
        return started && saved && WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
    }

private slots:
    void firstRunWritesEveryCreatedChannel_data()
    {
        QTest::addColumn<int>("axes");
        QTest::addColumn<int>("boards");
        QTest::addColumn<int>("stale");    // a section left by a former card, or -1
        QTest::addColumn<int>("together"); // channels of another readout ending at the same moment

        QTest::newRow("12 channels on 4 boards") << 12 << 0 << -1 << 0;
        QTest::newRow("3 channels, a former channel 7") << 3 << 1 << 7 << 0;
        QTest::newRow("no channels, a former channel 0") << 0 << 1 << 0 << 0;
        QTest::newRow("12 channels, a readout on 3 ending together") << 12 << 0 << -1 << 3;
    }

    void firstRunWritesEveryCreatedChannel()
    {
        QFETCH(int, axes);
        QFETCH(int, boards);
        QFETCH(int, stale);
        QFETCH(int, together);
#if defined(Q_OS_WIN)
        if (together > 0)
            QSKIP("The registry takes the values one by one: no save puts back a whole profile");
#endif
        if (stale >= 0)
            testsupport::WriteProfile(
                File(),
                QStringLiteral("[Settings]\nAxis%1\\Name=Q\nAxis%1\\Pitch=abc\n").arg(stale).toUtf8());
        const QByteArray before = testsupport::ProfileBytes(File());
        SetCard(axes, boards);

        auto frame = NewFrame();
        QTest::qWait(600);
        QCOMPARE(testsupport::ProfileBytes(File()), before);
        // The saves of the whole shutdown reach the file together, at the commit.
        frame.reset();
        QCOMPARE(testsupport::ProfileBytes(File()), before);
        QStringList expected;
        for (int ch = 0; ch < qMax(axes, together); ++ch)
            expected << QStringLiteral("Axis%1").arg(ch);
        if (stale >= 0)
            expected << QStringLiteral("Axis%1").arg(stale);
        expected.sort();
        const auto storedSections = [this] {
            QStringList sections = CStoredProfile(File()).Sections();
            sections.sort();
            return sections;
        };
        // Round after round, each from the profile as it was before this run: both keep their sections.
        for (int round = 0; together > 0 && round < 20; ++round) {
            QVERIFY(CommitTogether(together));
            QCOMPARE(storedSections(), expected);
            testsupport::WriteProfile(File(), before);
            NewFrame().reset();
        }
        QVERIFY(together > 0 ? CommitTogether(together) : Commit());

        CStoredProfile stored(File());
        QVERIFY(stored.IsWhole());
        QCOMPARE(storedSections(), expected);
        for (int ch = 0; ch < axes; ++ch) {
            QCOMPARE(stored.Value(ch, "Name").toString(), QString(QLatin1Char("XYZABCPQRJKL"[ch])));
            QCOMPARE(stored.Value(ch, "Pitch").toString(), QStringLiteral("1.000000"));
            QCOMPARE(stored.Value(ch, "Count").toString(), QStringLiteral("1.000000"));
            QCOMPARE(stored.Value(ch, "Mode").toString(), kDefaultMode);
        }
        if (stale >= 0) {
            QCOMPARE(stored.Value(stale, "Name").toString(), QStringLiteral("Q"));
            QCOMPARE(stored.Value(stale, "Pitch").toString(), QStringLiteral("abc"));
            QVERIFY(!stored.Value(stale, "Mode").isValid());
        }
        QVERIFY(m_profile->Messages().isEmpty());
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("pitch");
        QTest::addColumn<double>("count");
        QTest::addColumn<uint>("mode");
        QTest::addColumn<QStringList>("stored"); // Pitch, Count, Mode as the file holds them
        QTest::addColumn<QString>("shown");      // the Incremental value for a raw count of 1000
        const auto row = [](const char* tag, const char* name, double pitch, double count, uint mode,
                            QStringList stored, const char* shown) {
            QTest::newRow(tag) << QString::fromUtf8(name) << pitch << count << mode << stored
                               << QString::fromUtf8(shown);
        };
        const uint def = hw::kDefaultModeWord;
        row("pitch 0.0001", "X", 0.0001, 1.0, def, {"0.000100", "1.000000", kDefaultMode}, "    0.1000");
        row("pitch below half a millionth", "X", 0.0000004, 1.0, def, {"0.000000", "1.000000", kDefaultMode},
            "         0");
        row("count 2000", "X", 1.0, 2000.0, def, {"1.000000", "2000.000000", kDefaultMode}, "    0.5000");
        row("negative pitch", "X", -2.5, 1.0, def, {"-2.500000", "1.000000", kDefaultMode}, "     -2500");
        row("mode with bit 31", "X", 1.0, 1.0, 0x80000001u, {"1.000000", "1.000000", "-2147483647"},
            "      1000");
        row("every mode bit", "X", 1.0, 1.0, 0xFFFFFFFFu, {"1.000000", "1.000000", "-1"}, "      1000");
        row("name of several characters", "Spindle", 1.0, 1.0, def, {"1.000000", "1.000000", kDefaultMode},
            "      1000");
        row("empty name: every default", "", 2.0, 3.0, 5u, {"2.000000", "3.000000", "5"}, "      1000");
    }

    void roundTrip()
    {
        QFETCH(QString, name);
        QFETCH(double, pitch);
        QFETCH(double, count);
        QFETCH(uint, mode);
        QFETCH(QStringList, stored);
        QFETCH(QString, shown);
        SetCard(1, 1);

        // As the dialogs leave the record; a pending mode word is what gets saved.
        auto frame = NewFrame();
        CAxisBar& bar = frame->Panel().AxisBar(0);
        bar.m_strName = name;
        bar.m_dPitch = pitch;
        bar.m_dCount = count;
        bar.m_dwMode = mode;
        bar.m_bModePending = true;
        frame.reset();
        QVERIFY(Commit());

        CStoredProfile file(File());
        QCOMPARE(file.Value(0, "Name").toString(), name);
        QCOMPARE(QStringList({file.Value(0, "Pitch").toString(), file.Value(0, "Count").toString(),
                              file.Value(0, "Mode").toString()}),
                 stored);
#if defined(Q_OS_WIN)
        for (const auto& [value, kind] : {std::pair{L"Name", REG_SZ},
                                          {L"Pitch", REG_SZ},
                                          {L"Count", REG_SZ},
                                          { L"Mode",
                                            REG_DWORD }})
            QCOMPARE(RegistryKind(value), DWORD{kind});
#endif

        // The next start: what the file says, or every default without a name.
        fake::ClearCalls();
        fake::SetRegister(REG_INCREMENTAL, 0, 1000);
        frame = NewFrame();
        CAxisBar& back = frame->Panel().AxisBar(0);
        const bool named = !name.isEmpty();
        QCOMPARE(back.m_strName, named ? name : QStringLiteral("X"));
        QCOMPARE(back.m_dPitch, named ? stored[0].toDouble() : 1.0);
        QCOMPARE(back.m_dCount, named ? stored[1].toDouble() : 1.0);
        QCOMPARE(back.m_dwMode, named ? mode : hw::kDefaultModeWord);
        QCOMPARE(FirstModeWrite(), int64_t{static_cast<int32_t>(back.m_dwMode)});
        frame->Panel().RefreshAll();
        QCOMPARE(Text(back, res::IDC_NAME), back.m_strName);
        QCOMPARE(Text(back, res::IDC_INCREMENTAL), shown);
    }

    void garbageInTheProfile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pitch"); // as the file holds them; null: no such line
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<double>("pitchBack");
        QTest::addColumn<double>("countBack");
        QTest::addColumn<uint>("modeBack");
        const auto row = [](const char* tag, const QString& name, const char* pitch, const char* count,
                            const char* mode, double pitchBack, double countBack, uint modeBack) {
            QTest::newRow(tag) << name << QString::fromUtf8(pitch) << QString::fromUtf8(count)
                               << QString::fromUtf8(mode) << pitchBack << countBack << modeBack;
        };
        const QString y = QStringLiteral("Y");
        row("empty", y, "", "", "", 1.0, 1.0, 0u);
        row("not numbers", y, "abc", "xyz", "xyz", 1.0, 1.0, 0u);
        row("missing", y, nullptr, nullptr, nullptr, 1.0, 1.0, 0u);
        row("nan", y, "nan", "-nan", "7", 1.0, 1.0, 7u);
        row("inf", y, "inf", "-infinity", "7", 1.0, 1.0, 7u);
        row("beyond a double", y, "1e400", "-1e400", "7", 1.0, 1.0, 7u);
        row("number prefix after blanks", y, "\"  2.5mm\"", "3e-2x", "7", 2.5, 0.03, 7u);
        row("comma is no decimal point", y, "3,5", "\"2,25\"", "7", 3.0, 2.0, 7u);
        row("mode unsigned", y, "1.0", "1.0", "4294967295", 1.0, 1.0, 0xFFFFFFFFu);
        row("mode lowest signed", y, "1.0", "1.0", "-2147483648", 1.0, 1.0, 0x80000000u);
        row("mode beyond 32 bits", y, "1.0", "1.0", "4294967296", 1.0, 1.0, 0u);
        row("mode number prefix", y, "1.0", "1.0", "12abc", 1.0, 1.0, 0u);
        row("10,000-character name", QString(10000, QLatin1Char('W')), "0.5", "2", "7", 0.5, 2.0, 7u);
    }

    void garbageInTheProfile()
    {
        QFETCH(QString, name);
        QFETCH(QString, pitch);
        QFETCH(QString, count);
        QFETCH(QString, mode);
        QFETCH(double, pitchBack);
        QFETCH(double, countBack);
        QFETCH(uint, modeBack);
        QByteArray text = "[Settings]\nAxis0\\Name=" + name.toUtf8() + '\n';
        for (const auto& [key, value] : {std::pair{"Pitch", pitch}, {"Count", count}, {"Mode", mode}}) {
            if (!value.isNull())
                text += "Axis0\\" + QByteArray(key) + '=' + value.toUtf8() + '\n';
        }
        testsupport::WriteProfile(File(), text);
        SetCard(1, 1);

        auto frame = NewFrame();
        CAxisBar& bar = frame->Panel().AxisBar(0);
        QCOMPARE(bar.m_strName, name);
        QCOMPARE(bar.m_dPitch, pitchBack);
        QCOMPARE(bar.m_dCount, countBack);
        QCOMPARE(bar.m_dwMode, modeBack);
        QCOMPARE(FirstModeWrite(), int64_t{static_cast<int32_t>(modeBack)});
        frame->Panel().RefreshAll();
        QCOMPARE(Text(bar, res::IDC_NAME), name);
        frame.reset();
        QVERIFY(Commit());

        // What was read is what is saved, in the stored forms.
        CStoredProfile stored(File());
        QCOMPARE(stored.Value(0, "Name").toString(), name);
        QCOMPARE(stored.Value(0, "Pitch").toDouble(), pitchBack);
        QCOMPARE(stored.Value(0, "Count").toDouble(), countBack);
        QCOMPARE(stored.Value(0, "Mode").toString(), QString::number(static_cast<int32_t>(modeBack)));
    }

    void commaDecimalLocale()
    {
        if (!testsupport::SetCommaDecimalLocale())
            QFAIL("no German locale: the README's test command generates de_DE.UTF-8");
        const auto restore = qScopeGuard([] {
            std::setlocale(LC_ALL, "C");
            QLocale::setDefault(QLocale::c());
        });
        std::array<char, 16> probe{};
        std::snprintf(probe.data(), probe.size(), "%.1f", 0.5);
        QCOMPARE(QByteArray(probe.data()), QByteArray("0,5"));

        SetCard(1, 1);
        auto frame = NewFrame();
        frame->Panel().AxisBar(0).m_dPitch = 0.25;
        frame->Panel().AxisBar(0).m_dCount = 4000.5;
        frame.reset();
        QVERIFY(Commit());
        const QByteArray bytes = testsupport::ProfileBytes(File());
        QVERIFY2(bytes.contains("Axis0\\Pitch=0.250000\n"), bytes.constData());
        QVERIFY2(bytes.contains("Axis0\\Count=4000.500000\n"), bytes.constData());

        frame = NewFrame();
        QCOMPARE(frame->Panel().AxisBar(0).m_dPitch, 0.25);
        QCOMPARE(frame->Panel().AxisBar(0).m_dCount, 4000.5);
    }

    void failedSaveIsReported_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("reason"); // what the message says after the profile's name

        const auto system = [](int error) { return QString::fromLocal8Bit(std::strerror(error)); };
        QTest::newRow("writable profile") << "none" << true << QString();
        QTest::newRow("profile folder is a file") << "folder is a file" << false << system(ENOTDIR);
        // The size limit stands for a full disk: the system refuses the write the same way.
        QTest::newRow("disk full") << "disk full" << false << system(EFBIG);
        // Room for the earlier profile and the new one's text, not for the new profile as well.
        QTest::newRow("disk full at the last write") << "small disk" << false << system(ENOSPC);
        QTest::newRow("malformed earlier profile") << "malformed" << true << QString();
        QTest::newRow("malformed earlier profile, disk full")
            << "malformed, disk full" << false << system(EFBIG);
        QTest::newRow("another readout holds the lock")
            << "locked" << false << QStringLiteral("Another readout held the profile's lock for 5 s");
        // Its folder stays writable: only the last step, putting the new profile in its place, fails.
        QTest::newRow("profile cannot be replaced") << "immutable" << false << system(EPERM);
        // The save waits for a lock held a moment. The lock file is opened for writing: on NFS the kernel
        // makes the lock a POSIX write lock, which a file opened for reading only cannot take.
        QTest::newRow("another readout holds the lock a moment") << "locked a moment" << true << QString();
    }

    void failedSaveIsReported()
    {
        QFETCH(QString, obstacle);
        QFETCH(bool, saved);
        QFETCH(QString, reason);
#if defined(Q_OS_WIN)
        if (obstacle != QLatin1String("none") && obstacle != QLatin1String("malformed"))
            QSKIP("The registry has no folder to block, no file whose size could be limited and no lock");
#endif
        SetCard(12, 0);
        const QString folder = QFileInfo(File()).path();
#if defined(Q_OS_LINUX)
        // A disk of five pages. The earlier profile takes two, as will the new one; writing the new
        // one's text takes two more and one for the lock QSettings holds meanwhile.
        const bool small = obstacle == QLatin1String("small disk");
        const long page = sysconf(_SC_PAGESIZE);
        const QByteArray size = "size=" + QByteArray::number(5 * page);
        if (small && (!QDir().mkpath(folder) || ::mount("tmpfs", QFile::encodeName(folder).constData(),
                                                        "tmpfs", 0, size.constData()) != 0))
            QSKIP(qPrintable(QStringLiteral("No small disk could be mounted (%1): that takes the superuser")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        const auto unmount = qScopeGuard([&] {
            if (small)
                ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
        });
#else
        if (obstacle == QLatin1String("small disk") || obstacle == QLatin1String("immutable"))
            QSKIP("A small disk and an immutable file are made here only on Linux");
#endif
        if (obstacle == QLatin1String("folder is a file")) {
            WriteFile(folder, "in the way\n");
        } else {
            // An earlier profile from an earlier run.
            NewFrame()->Panel().AxisBar(5).m_strName = QStringLiteral("E");
            QVERIFY(Commit());
            if (obstacle.startsWith(QLatin1String("malformed")))
                testsupport::WriteProfile(File(), testsupport::ProfileBytes(File()) +
                                                      "this line is no key\nAxis12\\Name=V\n");
#if defined(Q_OS_LINUX)
            if (small)
                testsupport::WriteProfile(File(), testsupport::ProfileBytes(File()) + "[Notes]\nText=" +
                                                      QByteArray(static_cast<int>(page), 'n') + '\n');
#endif
        }
        const QByteArray before = obstacle == QLatin1String("folder is a file")
                                      ? FileBytes(folder)
                                      : testsupport::ProfileBytes(File());
#if !defined(Q_OS_WIN)
        // The earlier profile's permissions are the new one's.
        if (obstacle != QLatin1String("folder is a file"))
            QVERIFY(QFile::setPermissions(File(), QFile::ReadOwner | QFile::WriteOwner));
#endif
        const bool immutable = obstacle == QLatin1String("immutable");
        const auto chattr = [this](const char* attribute) {
            return QProcess::execute(QStringLiteral("chattr"), {QLatin1String(attribute), File()}) == 0;
        };
        if (immutable && !chattr("+i"))
            QSKIP("chattr +i failed: that takes the superuser, on a file system with the attribute (ext4)");
        const auto mutableAgain = qScopeGuard([&] {
            if (immutable)
                chattr("-i");
        });

        auto* app = static_cast<CReadoutApp*>(qApp);
        QVERIFY(app->InitInstance());
        app->MainFrame()->Panel().AxisBar(5).m_strName = QStringLiteral("N");
        app->MainFrame()->close();

#if defined(Q_OS_WIN)
        const int status = app->ExitInstance();
#else
        // The file may not grow beyond a few hundred bytes: less than the profile needs.
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit unlimited = limit;
        auto* const previous = std::signal(SIGXFSZ, SIG_IGN);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &unlimited);
            std::signal(SIGXFSZ, previous);
        });
        if (obstacle.endsWith(QLatin1String("disk full"))) {
            QVERIFY(before.size() > 600);
            limit.rlim_cur = 300;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        }
        // Another readout holding the profile's lock, and not letting go, or letting go once this save
        // has opened the lock file and waits for it.
        const QString lockFile = File() + QStringLiteral(".lock");
        const int lock = obstacle.startsWith(QLatin1String("locked"))
                             ? ::open(QFile::encodeName(lockFile).constData(), O_RDWR | O_CREAT, 0600)
                             : -1;
        const auto unlock = qScopeGuard([lock] {
            if (lock >= 0)
                ::close(lock);
        });
        if (lock >= 0)
            QCOMPARE(flock(lock, LOCK_EX), 0);
        int waitingMode = -1;
        std::thread letGo;
        if (obstacle == QLatin1String("locked a moment")) {
            letGo = std::thread([&] {
                waitingMode = AccessModeOnceOpened(lockFile, lock);
                flock(lock, LOCK_UN);
            });
        }
        const int status = app->ExitInstance();
        if (letGo.joinable())
            letGo.join();
        setrlimit(RLIMIT_FSIZE, &unlimited);
        if (obstacle == QLatin1String("locked a moment"))
            QCOMPARE(waitingMode, O_RDWR);
#endif

        QCOMPARE(status, saved ? 0 : 1);
        const QString message =
            QStringLiteral("The axis settings could not be saved to:\n%1\n\n%2.").arg(File(), reason);
        QCOMPARE(m_profile->Messages(), saved ? QStringList() : QStringList{message});
        if (obstacle == QLatin1String("folder is a file")) {
            QCOMPARE(FileBytes(folder), before);
            return;
        }
#if !defined(Q_OS_WIN)
        // Nothing beside the profile but its lock file.
        const QString base = QFileInfo(File()).fileName();
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList({base, base + QStringLiteral(".lock")}));
        struct stat info
        {
        };
        QCOMPARE(::stat(QFile::encodeName(File()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, 0600u);
#endif
        CStoredProfile stored(File());
        QCOMPARE(stored.Value(5, "Name").toString(), QLatin1String(saved ? "N" : "E"));
        if (saved)
            QCOMPARE(stored.Value(12, "Name").toString(),
                     QLatin1String(obstacle == QLatin1String("malformed") ? "V" : ""));
        else
            QCOMPARE(testsupport::ProfileBytes(File()), before);
    }

    void killDuringSaveLeavesAWholeProfile()
    {
#if defined(Q_OS_WIN)
        QSKIP("The registry writes each value by itself: there is no profile file to be cut off");
#else
        // Generation g: every channel named "G<g>", pitch g.5, mode word g.
        const auto saveGeneration = [](int g) {
            fw::CProfile store;
            for (int ch = 11; ch >= 0; --ch) {
                CAxisRecord axis;
                axis.m_nChannel = static_cast<int16_t>(ch);
                axis.m_strName = QStringLiteral("G%1").arg(g);
                axis.m_dPitch = g + 0.5;
                axis.m_dwMode = static_cast<uint32_t>(g);
                profile::SaveAxisSettings(axis, store);
            }
            return store.Commit();
        };
        // Beside the profile: the operator's own files, the locked, read-back copy of a killed save of
        // an earlier version, and that version's lock naming a process that is still running (this one).
        const QDir folder = QFileInfo(File()).dir();
        const QString base = QFileInfo(File()).fileName();
        const QStringList own = {base + QStringLiteral(".backup"), QStringLiteral("notes.txt")};
        for (const QString& name : own + QStringList{base + QStringLiteral(".QkWmTz.read"),
                                                     base + QStringLiteral(".QkWmTz.read.lock")})
            WriteFile(folder.filePath(name), "kept\n");
        WriteFile(folder.filePath(base + QStringLiteral(".lock")),
                  QByteArray::number(QCoreApplication::applicationPid()) + "\ntest_profile\n" +
                      QSysInfo::machineHostName().toUtf8() + '\n');
        // Everything beside the profile but the operator's files and the profile's lock file, which stays;
        // with `scratch`, only the saves' scratch copies and the files made beside them.
        const auto leftovers = [&](bool scratch = false) {
            QStringList names = folder.entryList(QDir::Files | QDir::Hidden);
            for (const QString& name : own + QStringList{base, base + QStringLiteral(".lock")})
                names.removeOne(name);
            if (scratch)
                names = names.filter(QStringLiteral(".saving"));
            return names;
        };
        QVERIFY(saveGeneration(0));
        QCOMPARE(leftovers(), QStringList());

        int newest = 0;
        for (int round = 0; round < 40; ++round) {
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                for (int g = newest + 1; g < newest + 100000; ++g)
                    saveGeneration(g);
                _exit(0);
            }
            usleep(1000 + QRandomGenerator::global()->bounded(30000));
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);

            // The scratch files of the one save that was killed at most: those of earlier ones are gone. A
            // save killed as it put the new profile in place may leave that, whole, under a name of Qt's.
            QSet<QString> saves;
            for (const QString& name : leftovers()) {
                QVERIFY2(name.startsWith(base + QLatin1Char('.')), qPrintable(name));
                if (name.contains(QLatin1String(".saving")))
                    saves.insert(name.mid(base.size() + 1, 6));
            }
            QVERIFY2(saves.size() <= 1, qPrintable(leftovers().join(QLatin1Char(' '))));

            CStoredProfile stored(File());
            QVERIFY(stored.IsWhole());
            QCOMPARE(stored.Sections().size(), 12);
            const QString name = stored.Value(0, "Name").toString();
            QVERIFY2(name.startsWith(QLatin1Char('G')), qPrintable(name));
            const int g = name.mid(1).toInt();
            QVERIFY(g >= newest);
            for (int ch = 0; ch < 12; ++ch) {
                QCOMPARE(stored.Value(ch, "Name").toString(), name);
                QCOMPARE(stored.Value(ch, "Pitch").toString(), QStringLiteral("%1.500000").arg(g));
                QCOMPARE(stored.Value(ch, "Count").toString(), QStringLiteral("1.000000"));
                QCOMPARE(stored.Value(ch, "Mode").toString(), QString::number(g));
            }
            newest = g;
        }
        // The kills fell while saves were going on.
        QVERIFY(newest > 0);
        QVERIFY(saveGeneration(newest + 1));
        QCOMPARE(leftovers(true), QStringList());
#endif
    }
};

int main(int argc, char** argv)
{
    CReadoutApp app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestProfile test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_profile.moc"
