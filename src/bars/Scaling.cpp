#include "bars/Scaling.h"

#include "framework/DataExchange.h"

#include <QByteArray>
#include <charconv>
#include <cmath>

#include <locale.h>
#include <stdlib.h>

namespace scaling {

namespace {
constexpr int kMaxDecimals = 15;
constexpr int kFieldWidth = 10;
} // namespace

int Decimals(double resolution)
{
    if (!std::isfinite(resolution) || resolution == 0.0)
        return 0;
    const double decimals = std::ceil(-std::log10(std::fabs(resolution)));
    return decimals > kMaxDecimals ? kMaxDecimals : static_cast<int>(decimals);
}

QString FormatValue(double value, int decimals)
{
    // A NaN's sign means nothing on the display (0 x inf and 0 / 0 give one with the sign set).
    if (std::isnan(value))
        value = std::fabs(value);
    // Right-justified in ten characters, as printf pads it.
    const int precision = decimals < 0 ? 6 : qMin(decimals, kMaxDecimals);
    return fw::FormatDouble(value, std::chars_format::fixed, precision).rightJustified(kFieldWidth);
}

QString FormatFixed6(double value)
{
    return fw::FormatDouble(value, std::chars_format::fixed, 6);
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
