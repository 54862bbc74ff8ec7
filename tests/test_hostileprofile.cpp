// The readout against a hostile profile: duplicated keys, raw binary junk, values the profile format
// reads back as other kinds, a profile that cannot be read, one that is a directory. The program
// starts with defined values, and at exit saves a valid profile, or says that it could not and leaves
// what is there alone.

#include "TestSupport.h"
#include "app/MainFrame.h"
#include "app/ReadoutApp.h"
#include "hardware/ModeWord.h"
#include "resources/Resources.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTest>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

constexpr int kAxes = 2;
const double kAny = std::numeric_limits<double>::quiet_NaN();
const char kNulName[] = "[Settings]\nAxis0\\Name=N\0M\nAxis0\\Pitch=2\n";

QByteArray FileBytes(const QString& path)
{
    return testsupport::ProfileBytes(path);
}

// `value` as the profile's text form of a serialised value, "@Variant(...)" with every byte escaped.
QByteArray SerialisedText(const QVariant& value)
{
    QByteArray blob;
    QDataStream stream(&blob, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_4_0);
    stream << value;
    QByteArray text = "@Variant(";
    for (const char byte : blob)
        text += "\\x" + QByteArray::number(static_cast<uchar>(byte), 16).rightJustified(2, '0');
    return text + ')';
}

QByteArray Junk(uint32_t seed, int size)
{
    std::mt19937 rng(seed);
    QByteArray bytes(size, '\0');
    for (char& byte : bytes) {
        // Mostly what the format gives meaning to, the rest any byte at all.
        static const char kMeaningful[] = "[]=\\\"/\n\r;#@,%Axis0NamePitchCountMode";
        byte = rng() % 2 ? kMeaningful[rng() % (sizeof kMeaningful - 1)] : static_cast<char>(rng());
    }
    return bytes;
}

// The section names and keys of an ini file, in the file's order.
QStringList KeysInFile(const QByteArray& bytes)
{
    QStringList keys;
    QString section;
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.startsWith('['))
            section = QString::fromUtf8(line.mid(1, line.indexOf(']') - 1));
        else if (const int eq = line.indexOf('='); eq > 0)
            keys << section + QLatin1Char('/') + QString::fromUtf8(line.left(eq)).trimmed();
    }
    return keys;
}

} // namespace

class TestHostileProfile : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::CIsolatedProfile> m_profile;

    // Name, pitch, count and mode word of each axis, as the last run started; and what was wrong then.
    QList<QVariantList> m_started;
    QString m_strFault;

    // Starts the program, ticks it once and ends it; returns the exit status.
    int RunOnce()
    {
        auto* app = static_cast<CReadoutApp*>(qApp);
        if (!app->InitInstance())
            return -1;
        CReadoutPanel& panel = app->MainFrame()->Panel();
        panel.RefreshAll();
        m_started.clear();
        m_strFault.clear();
        for (int i = 0; i < panel.AxisCount(); ++i) {
            const CAxisBar& bar = panel.AxisBar(i);
            m_started << QVariantList{bar.m_strName, bar.m_dPitch, bar.m_dCount, bar.m_dwMode};
            const QString shown = bar.GetDlgItem(res::IDC_INCREMENTAL)->property("text").toString();
            if (!std::isfinite(bar.m_dPitch) || !std::isfinite(bar.m_dCount) || bar.m_nDecimals > 15 ||
                bar.m_nDecimals < -308 || shown.size() < 10)
                m_strFault = QStringLiteral("axis %1: pitch %2, count %3, %4 decimals, shows \"%5\"")
                                 .arg(i)
                                 .arg(bar.m_dPitch)
                                 .arg(bar.m_dCount)
                                 .arg(bar.m_nDecimals)
                                 .arg(shown);
        }
        app->MainFrame()->close();
        return app->ExitInstance();
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(res::String(res::AFX_IDS_APP_TITLE));
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane Electronic Controls Ltd"));
    }

    void init()
    {
        fake::Reset();
        testsupport::SetCard(kAxes, 1);
        m_profile = std::make_unique<testsupport::CIsolatedProfile>();
    }
    void cleanup() { m_profile.reset(); }

    void hostileProfile_data()
    {
        QTest::addColumn<QString>("kind"); // what stands where the profile file belongs
        QTest::addColumn<QByteArray>("bytes");
        // What axis 0 starts with; a null name, kAny or mode -1: whatever it is.
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("pitch");
        QTest::addColumn<double>("count");
        QTest::addColumn<qint64>("mode");
        QTest::addColumn<bool>("saved");
        const QString file = QStringLiteral("file");
        const qint64 def = hw::kDefaultModeWord;

        QTest::newRow("duplicated keys and sections")
            << file
            << QByteArray("[Settings]\nAxis0\\Name=A\nAxis0\\Pitch=2\nAxis0\\Name=B\nAxis0\\Pitch=3\n"
                          "[Settings]\nAxis0\\Count=4\n[Settings]\nAxis0\\Count=5\nAxis0\\Mode=6\n")
            << QStringLiteral("B") << 3.0 << 5.0 << qint64{6} << true;
        QTest::newRow("keys without a name")
            << file << QByteArray("[Settings]\nAxis0\\Pitch=2\nAxis0\\Count=4\nAxis0\\Mode=6\n")
            << QStringLiteral("X") << 1.0 << 1.0 << def << true;
        QTest::newRow("a name and no other key") << file << QByteArray("[Settings]\nAxis0\\Name=N\n")
                                                 << QStringLiteral("N") << 1.0 << 1.0 << qint64{0} << true;
        QTest::newRow("a name holding a NUL")
            << file << QByteArray::fromRawData(kNulName, sizeof kNulName - 1) << QString() << 2.0 << 1.0
            << qint64{0} << true;
        QTest::newRow("values of other kinds")
            << file
            << "[Settings]\nAxis0\\Name=" + SerialisedText(2.5) +
                   "\nAxis0\\Pitch=@Rect(1 2 3 4)\nAxis0\\Count=" + SerialisedText(4.0) +
                   "\nAxis0\\Mode=" + SerialisedText(qlonglong{1} << 40) + '\n'
            << QStringLiteral("2.5") << 1.0 << 4.0 << qint64{0} << true;
        QTest::newRow("a number kept in a section of no channel")
            << file << "[Settings]\nAxis20\\Pitch=" + SerialisedText(2.5) + '\n'
            << QStringLiteral("X") << 1.0 << 1.0 << def << true;
        QTest::newRow("a NaN kept in a section of no channel")
            << file
            << "[Settings]\nAxis20\\Pitch=" + SerialisedText(kAny) +
                   "\nAxis21\\Name=" + SerialisedText(QVariantMap{{QStringLiteral("n"), kAny}}) + '\n'
            << QStringLiteral("X") << 1.0 << 1.0 << def << true;
        QTest::newRow("a serialised value cut short")
            << file << QByteArray("[Settings]\nAxis0\\Name=@Variant(\\0\\0\\0\\n\\0\\0)\n")
            << QStringLiteral("X") << 1.0 << 1.0 << def << true;
        for (const uint32_t seed : {1u, 2u, 3u, 4u})
            QTest::newRow(qPrintable(QStringLiteral("binary junk %1").arg(seed)))
                << file << Junk(seed, 4096) << QString() << kAny << kAny << qint64{-1} << true;
        QTest::newRow("a valid profile, then junk")
            << file << "[Settings]\nAxis1\\Name=V\nAxis1\\Pitch=0.5\n" + Junk(5, 2048) << QString() << kAny
            << kAny << qint64{-1} << true;
        QTest::newRow("a directory") << QStringLiteral("directory") << QByteArray() << QStringLiteral("X")
                                     << 1.0 << 1.0 << def << false;
        // A link that leads nowhere holds nothing: a whole profile takes its place.
        QTest::newRow("a link to itself") << QStringLiteral("link loop") << QByteArray()
                                          << QStringLiteral("X") << 1.0 << 1.0 << def << true;
        // Only where permissions bind: the superuser reads it like any other.
        QTest::newRow("unreadable") << QStringLiteral("unreadable")
                                    << QByteArray("[Settings]\nAxis0\\Name=U\nAxis0\\Pitch=2\n")
                                    << QStringLiteral("X") << 1.0 << 1.0 << def << false;
    }

    void hostileProfile()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(double, pitch);
        QFETCH(double, count);
        QFETCH(qint64, mode);
        QFETCH(bool, saved);
        const QString path = m_profile->ProfileFile();
#if defined(Q_OS_WIN)
        // What a registry editor can leave is text values: the file's keys become them.
        if (kind != QLatin1String("file"))
            QSKIP("The registry has no directory, link or unreadable file to put where the profile belongs");
        testsupport::WriteProfile(path, bytes);
#else
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        if (kind == QLatin1String("directory")) {
            QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
        } else if (kind == QLatin1String("link loop")) {
            QVERIFY(QFile::link(path, path));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            file.close();
            if (kind == QLatin1String("unreadable")) {
                QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
                if (QFileInfo(path).isReadable()) {
                    // What the profile says, and saved like any other.
                    name = QStringLiteral("U");
                    pitch = 2.0;
                    mode = 0;
                    saved = true;
                }
            }
        }
#endif
        const QByteArray before = FileBytes(path);

        const int status = RunOnce();
        QVERIFY2(m_strFault.isEmpty(), qPrintable(m_strFault));
        QCOMPARE(m_started.size(), kAxes);
        if (!name.isNull())
            QCOMPARE(m_started[0][0].toString(), name);
        if (!std::isnan(pitch))
            QCOMPARE(m_started[0][1].toDouble(), pitch);
        if (!std::isnan(count))
            QCOMPARE(m_started[0][2].toDouble(), count);
        if (mode >= 0)
            QCOMPARE(m_started[0][3].toLongLong(), mode);

        // What the system says when the profile is read.
        const QString reason =
            QString::fromLocal8Bit(std::strerror(kind == QLatin1String("directory") ? EISDIR : EACCES));
        const QStringList failure = {
            QStringLiteral("The axis settings could not be saved to:\n%1\n\n%2.").arg(path, reason)};
        QCOMPARE(m_profile->Messages(), saved ? QStringList() : failure);
        QCOMPARE(status, saved ? 0 : 1);
        if (!saved) {
            // Left as it was.
            QCOMPARE(QFileInfo(path).isDir(), kind == QLatin1String("directory"));
            QCOMPARE(QFileInfo(path).isSymLink(), kind == QLatin1String("link loop"));
            QCOMPARE(FileBytes(path), before);
            return;
        }

        // A valid profile: it reads without error, every key once, each channel's four values in it.
        const QByteArray written = FileBytes(path);
        {
#if defined(Q_OS_WIN)
            QSettings settings(path, QSettings::NativeFormat);
#else
            QSettings settings(path, QSettings::IniFormat);
#endif
            QCOMPARE(settings.status(), QSettings::NoError);
            QStringList keys = KeysInFile(written);
            QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
            for (int ch = 0; ch < kAxes; ++ch) {
                settings.beginGroup(QStringLiteral("Settings/Axis%1").arg(ch));
                QCOMPARE(settings.value(QStringLiteral("Name")).toString(), m_started[ch][0].toString());
                for (const char* key : {"Pitch", "Count", "Mode"})
                    QVERIFY2(settings.contains(QLatin1String(key)), key);
                settings.endGroup();
            }
        }
        // The next run starts from it, with no message, and saves it again as it was.
        const QList<QVariantList> started = m_started;
        QCOMPARE(RunOnce(), 0);
        QVERIFY2(m_strFault.isEmpty(), qPrintable(m_strFault));
        QVERIFY(m_profile->Messages().isEmpty());
        for (int ch = 0; ch < kAxes; ++ch)
            QCOMPARE(m_started[ch][0].toString(), started[ch][0].toString());
        QCOMPARE(FileBytes(path), written);
    }
};

int main(int argc, char** argv)
{
    CReadoutApp app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestHostileProfile test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hostileprofile.moc"
