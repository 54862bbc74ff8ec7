#include "bars/Scaling.h"

#include <QByteArray>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include <locale.h>
#include <stdlib.h>
#if defined(__APPLE__)
#include <xlocale.h>
#endif

namespace scaling {

namespace {
constexpr int kMaxDecimals = 15;
constexpr int kFieldWidth = 10;

QString FormatFixed(double value, int precision)
{
    // Wide enough for the largest double in fixed notation with the largest precision.
    std::array<char, 400> buffer{};
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
    const double exact = -std::log10(std::fabs(resolution));
    const double nearest = std::round(exact);
    // A power of ten whose logarithm came out a hair above its integer still counts as that integer.
    const double decimals = std::fabs(exact - nearest) < 1e-9 ? nearest : std::ceil(exact);
    return decimals > kMaxDecimals ? kMaxDecimals : static_cast<int>(decimals);
}

QString FormatValue(double value, int decimals)
{
    std::array<char, 400> buffer{};
    return QString::fromLatin1(buffer.data(), FormatValue(buffer, value, decimals));
}

int FormatValue(std::span<char> out, double value, int decimals)
{
    const int precision = decimals < 0 ? 6 : qMin(decimals, kMaxDecimals);
    // A NaN's sign means nothing on the display (0 x inf and 0 / 0 give one with the sign set).
    if (std::isnan(value))
        value = std::fabs(value);
    const auto result =
        std::to_chars(out.data(), out.data() + out.size(), value, std::chars_format::fixed, precision);
    int length = int(result.ptr - out.data());
    if (result.ec != std::errc()) {
        if (out.empty())
            return 0;
        out[0] = '?';
        length = 1;
    }
    const int padded = qMin(int(out.size()), kFieldWidth);
    if (length >= padded)
        return length;
    // Right-justified in ten characters.
    std::memmove(out.data() + (padded - length), out.data(), size_t(length));
    std::fill(out.data(), out.data() + (padded - length), ' ');
    return padded;
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
