#include "bars/AxisProfile.h"

#include "bars/AxisBar.h"
#include "bars/Scaling.h"
#include "framework/MessageBox.h"
#include "hardware/ModeWord.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>
#include <QVariant>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#include <locale.h>
#include <stdlib.h>
#if defined(__APPLE__)
#include <xlocale.h>
#endif

namespace profile {
namespace {

constexpr std::array<const char*, 12> kDefaultNames = {"X", "Y", "Z", "A", "B", "C",
                                                       "P", "Q", "R", "J", "K", "L"};

const QString kName = QStringLiteral("Name");
const QString kPitch = QStringLiteral("Pitch");
const QString kCount = QStringLiteral("Count");
const QString kMode = QStringLiteral("Mode");

// The writer that is gathering this shutdown's saves, if any.
CProfileWriter* g_pOpenWriter = nullptr;

std::unique_ptr<QSettings> OpenProfile()
{
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                QCoreApplication::organizationName(),
                                                QCoreApplication::applicationName());
    // The user's own profile only: no organisation-wide or system-wide values.
    settings->setFallbacksEnabled(false);
    return settings;
}

QString Section(int channel)
{
    return QStringLiteral("Settings/Axis%1").arg(channel);
}

QString DefaultName(int channel)
{
    return channel >= 0 && channel < static_cast<int>(kDefaultNames.size())
               ? QString::fromLatin1(kDefaultNames[static_cast<size_t>(channel)])
               : QString();
}

// A value as text, whatever form the profile holds it in. An unquoted comma in a hand-edited file
// makes a list of it; it is put back together.
QString TextValue(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList || value.typeId() == QMetaType::QVariantList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

// "%lf" as sscanf reads it, but in the "C" locale whatever the operator's: leading blanks, then the
// longest prefix that is a number. False when there is none.
bool ScanDouble(const QString& text, double& value)
{
    const QByteArray bytes = text.toUtf8();
    char* end = nullptr;
#if defined(_WIN32)
    static const _locale_t cLocale = _create_locale(LC_NUMERIC, "C");
    const double scanned = _strtod_l(bytes.constData(), &end, cLocale);
#else
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    const double scanned = strtod_l(bytes.constData(), &end, cLocale);
#endif
    if (end == bytes.constData())
        return false;
    value = scanned;
    return true;
}

// Pitch or count: a value that is missing, not a number, or beyond a double's range reads as 1.0.
double ScaleValue(const QVariant& stored)
{
    double value = 0.0;
    if (!ScanDouble(TextValue(stored), value) || !std::isfinite(value))
        return 1.0;
    return value;
}

// The mode word: a registry DWORD as it stands, or text holding a 32-bit integer in signed or unsigned
// decimal. Anything else reads as 0.
uint32_t ModeValue(const QVariant& stored)
{
    if (stored.typeId() == QMetaType::Int || stored.typeId() == QMetaType::UInt)
        return static_cast<uint32_t>(stored.toLongLong());
    bool ok = false;
    const qlonglong value = TextValue(stored).trimmed().toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<uint32_t>::max())
        return 0;
    return static_cast<uint32_t>(value);
}

using Entries = QList<std::pair<QString, QVariant>>;

#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
// The platform's own store takes the values one by one.
bool WriteProfile(const Entries& pending)
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
    if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::QString)
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
    const bool bText = value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QStringList ||
                       value.typeId() == QMetaType::QVariantList;
    return bText && TextValue(value) == TextValue(expected);
}

// The profile file is replaced, in one rename, by a complete new one that has been read back first.
// QSettings alone is not enough: its save file does not notice a write that fails while its buffer is
// flushed (a full disk), and would put a cut-off profile in place of the earlier one.
bool WriteProfile(const Entries& pending)
{
    const QString profile = OpenProfile()->fileName();
    // Everything the profile holds, sections of channels not on this card included, with this
    // shutdown's values over it.
    QMap<QString, QVariant> content;
    {
        const auto earlier = OpenProfile();
        // A profile that is there but cannot be read is not replaced by one without its other sections.
        if (earlier->status() == QSettings::AccessError)
            return false;
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

    if (!QDir().mkpath(QFileInfo(profile).path()))
        return false;
    QTemporaryFile staged(profile + QStringLiteral(".XXXXXX"));
    if (!staged.open())
        return false;
    staged.close();
    {
        QSettings settings(staged.fileName(), QSettings::IniFormat);
        for (auto it = content.cbegin(); it != content.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return false;
    }
    // Read back under a name no QSettings has seen, so that what is parsed is the file itself.
    if (!staged.rename(staged.fileName() + QStringLiteral(".read")))
        return false;
    {
        const QSettings written(staged.fileName(), QSettings::IniFormat);
        const QStringList keys = written.allKeys();
        if (written.status() != QSettings::NoError || keys.size() != content.size())
            return false;
        for (const QString& key : keys) {
            if (!content.contains(key) || !ReadsBackAs(written.value(key), content.value(key)))
                return false;
        }
    }
    // The earlier profile's permissions, or those QSettings gives a new one.
    staged.setPermissions(QFileInfo::exists(profile)
                              ? QFile::permissions(profile)
                              : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(QFile::encodeName(staged.fileName()).constData(),
                    QFile::encodeName(profile).constData()) != 0)
        return false;
    staged.setAutoRemove(false);
    return true;
}
#endif

} // namespace

void LoadAxisSettings(CAxisBar& bar)
{
    const auto settings = OpenProfile();
    settings->beginGroup(Section(bar.m_nChannel));
    bar.m_strName = TextValue(settings->value(kName));
    if (bar.m_strName.isEmpty()) {
        bar.m_strName = DefaultName(bar.m_nChannel);
        bar.m_dPitch = 1.0;
        bar.m_dCount = 1.0;
        bar.m_dwMode = hw::kDefaultModeWord;
        return;
    }
    bar.m_dPitch = ScaleValue(settings->value(kPitch));
    bar.m_dCount = ScaleValue(settings->value(kCount));
    bar.m_dwMode = ModeValue(settings->value(kMode));
}

void SaveAxisSettings(const CAxisBar& bar)
{
    if (bar.m_nChannel < 0)
        return;
    std::optional<CProfileWriter> lone;
    if (!g_pOpenWriter)
        lone.emplace();
    CProfileWriter& writer = *g_pOpenWriter;
    const QString section = Section(bar.m_nChannel) + QLatin1Char('/');
    writer.m_pending.append({section + kName, bar.m_strName});
    writer.m_pending.append({section + kPitch, scaling::FormatFixed6(bar.m_dPitch)});
    writer.m_pending.append({section + kCount, scaling::FormatFixed6(bar.m_dCount)});
    // As an int, so that the registry holds a DWORD; bit 31 travels as the sign.
    writer.m_pending.append({section + kMode, static_cast<int>(static_cast<int32_t>(bar.m_dwMode))});
}

CProfileWriter::CProfileWriter() : m_pPrevious(g_pOpenWriter)
{
    g_pOpenWriter = this;
}

CProfileWriter::~CProfileWriter()
{
    Write();
    g_pOpenWriter = m_pPrevious;
}

bool CProfileWriter::Commit()
{
    if (Write())
        return true;
    fw::AfxMessageBox(QStringLiteral("The axis settings could not be saved to:\n%1").arg(Location()));
    return false;
}

bool CProfileWriter::Write()
{
    if (m_pending.isEmpty())
        return true;
    return WriteProfile(std::exchange(m_pending, {}));
}

QString CProfileWriter::Location()
{
    return QDir::toNativeSeparators(OpenProfile()->fileName());
}

} // namespace profile
