#include "bars/Scaling.h"

#include <QByteArray>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
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

#if defined(__SIZEOF_INT128__)
// The fixed notation of `value` with `precision` decimals into `out`, rounded as printf and to_chars
// round the double's exact binary value: to nearest, ties to even. Integers of 128 bits hold that
// value times 10^precision exactly for every reading the display shows; 0 when they cannot (a value of
// 2^70 or more, a precision over 15) or `out` is too small, and the caller formats it otherwise.
int FormatExact(std::span<char> out, double value, int precision)
{
    __extension__ typedef unsigned __int128 Wide;
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const int biased = int((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
    if (biased == 0x7FF || precision < 0 || precision > kMaxDecimals)
        return 0;
    // |value| = mantissa * 2^exponent
    const uint64_t mantissa = biased == 0 ? fraction : fraction | (uint64_t(1) << 52);
    const int exponent = biased == 0 ? -1074 : biased - 1075;
    if (exponent > 17) // 2^70 and above
        return 0;
    Wide pow10 = 1;
    for (int i = 0; i < precision; ++i)
        pow10 *= 10;
    Wide scaled = Wide(mantissa) * pow10; // below 2^103
    if (exponent >= 0) {
        scaled <<= exponent; // below 2^120
    } else if (-exponent >= 110) {
        scaled = 0; // below 2^-7: rounds to zero
    } else {
        const int shift = -exponent;
        const Wide rest = scaled & ((Wide(1) << shift) - 1);
        const Wide half = Wide(1) << (shift - 1);
        scaled >>= shift;
        if (rest > half || (rest == half && (scaled & 1) != 0))
            ++scaled;
    }
    // The digits, least significant first: at least one before the point.
    std::array<char, 48> digits{};
    int count = 0;
    for (; (scaled >> 64) != 0; scaled /= 10)
        digits[size_t(count++)] = char('0' + int(scaled % 10));
    for (auto narrow = uint64_t(scaled); narrow != 0 || count <= precision; narrow /= 10)
        digits[size_t(count++)] = char('0' + int(narrow % 10));
    const bool bNegative = (bits >> 63) != 0;
    const int length = int(bNegative) + count + (precision > 0 ? 1 : 0);
    if (length > int(out.size()))
        return 0;
    char* at = out.data();
    if (bNegative)
        *at++ = '-';
    for (int i = count - 1; i >= 0; --i) {
        *at++ = digits[size_t(i)];
        if (i == precision && precision > 0)
            *at++ = '.';
    }
    return length;
}
#else
int FormatExact(std::span<char>, double, int)
{
    return 0;
}
#endif

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
    std::array<char, 400> buffer{};
    return QString::fromLatin1(buffer.data(), FormatValue(buffer, value, decimals));
}

int FormatValue(std::span<char> out, double value, int decimals)
{
    const int precision = decimals < 0 ? 6 : qMin(decimals, kMaxDecimals);
    // A NaN's sign means nothing on the display (0 x inf and 0 / 0 give one with the sign set).
    if (std::isnan(value))
        value = std::fabs(value);
    int length = FormatExact(out, value, precision);
    if (length == 0) {
        const auto result =
            std::to_chars(out.data(), out.data() + out.size(), value, std::chars_format::fixed, precision);
        length = int(result.ptr - out.data());
        if (result.ec != std::errc()) {
            if (out.empty())
                return 0;
            out[0] = '?';
            length = 1;
        }
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
