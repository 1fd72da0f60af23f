// Number texts of the edit fields: the lenient parse that live updates and
// commits use (a leading number, the rest ignored) and the fixed formats.
#pragma once

#include <QString>

namespace stepvane {

// Leading blanks, an optional sign, digits with at most one decimal point and
// an optional exponent; parsing stops at the first other character and a text
// without a leading number gives 0. An overflowing exponent saturates at the
// largest finite value, so a record never receives an infinity.
double parseDecimalText(const QString &text);

// Leading blanks, an optional sign and digits; saturates at the int range.
int parseWholeText(const QString &text);

// "%.0Nf" with N decimals (two unless a field says otherwise), C locale.
QString formatDecimal(double value, int decimals = 2);

} // namespace stepvane
