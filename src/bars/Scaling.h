#pragma once
// Scaling of raw encoder counts into the operator's units, and the texts the readout shows.

#include <QString>

namespace scaling {

// Decimals shown for a resolution: the smallest integer not less than -log10(|resolution|). Exact
// powers of ten give exactly their number of decimals. A zero or non-finite resolution gives 0; the
// result is never more than 15.
int Decimals(double resolution);

// printf's "%10.*lf" in the "C" locale, whatever the operator's locale: at least ten characters,
// right-justified, `decimals` digits after the point; a negative precision gives six decimals, and more
// than 15 (which Decimals never gives) gives 15. A NaN prints as "nan", without a sign.
QString FormatValue(double value, int decimals);

// printf's "%lf" in the "C" locale: fixed notation, six decimals.
QString FormatFixed6(double value);

// "%lf" as sscanf reads it, but in the "C" locale whatever the operator's: leading blanks, then the
// longest prefix that is a number. False when there is none.
bool ScanDouble(const QString& text, double& value);

} // namespace scaling
