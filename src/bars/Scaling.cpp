#include "bars/Scaling.h"

#include <QByteArray>
#include <array>
#include <charconv>
#include <cmath>

#include <locale.h>
#include <stdlib.h>
#if defined(__APPLE__)
#include <xlocale.h>
#endif

namespace scaling {

namespace {
constexpr int kMaxDecimals = 15;
constexpr int kFieldWidth = 10;

// The fixed notation of the double's exact binary value rounded to `precision` decimals, to nearest and
// ties to even, as printf rounds it in the "C" locale: the same digits on every platform, whatever its C
// library's printf does and whatever the operator's locale.
QString FormatFixed(double value, int precision)
{
    // Wide enough for the largest double in fixed notation with up to 15 decimals.
    std::array<char, 340> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, precision);
    if (result.ec != std::errc())
        return QStringLiteral("?");
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}
} // namespace

int Decimals(double resolution)
{
    if (!std::isfinite(resolution) || resolution == 0.0)
        return 0;
    // |resolution| = mantissa * 10^exponent, mantissa in [1, 10). The decimals are -exponent, one fewer
    // for a mantissa within 1e-9 decades of 10: a power of ten that came out a hair below itself still
    // counts as that power. By comparisons, not a logarithm: the same decimals, without the maths
    // library's tables in memory.
    double mantissa = std::fabs(resolution);
    int exponent = 0;
    for (; mantissa >= 1e22; mantissa /= 1e22)
        exponent += 22;
    for (; mantissa >= 10.0; mantissa /= 10.0)
        ++exponent;
    for (; mantissa < 1e-22; mantissa *= 1e22)
        exponent -= 22;
    for (; mantissa < 1.0; mantissa *= 10.0)
        --exponent;
    constexpr double kNearlyTen = 9.99999997697415; // 10^(1 - 1e-9)
    const int decimals = mantissa > kNearlyTen ? -exponent - 1 : -exponent;
    return decimals > kMaxDecimals ? kMaxDecimals : decimals;
}

QString FormatValue(double value, int decimals)
{
    // A NaN's sign means nothing on the display (0 x inf and 0 / 0 give one with the sign set).
    if (std::isnan(value))
        value = std::fabs(value);
    // Right-justified in ten characters, as printf pads it.
    return FormatFixed(value, decimals < 0 ? 6 : qMin(decimals, kMaxDecimals)).rightJustified(kFieldWidth);
}

QString FormatFixed6(double value)
{
    return FormatFixed(value, 6);
}

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

} // namespace scaling
