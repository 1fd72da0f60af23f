// Number texts: the lenient parse that the edit fields' live updates and
// commits use (a leading number, the rest ignored), and the one fixed-point
// formatter every real number goes through on its way into a file, a summary
// row or a field.
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

// Exactly what C's printf("%.*f") writes in the C locale: exact binary ties
// round to even (0.125 gives "0.12"), negative zero keeps its sign, and the
// process locale never changes the decimal point. decimals is 0 to 17.
QString formatDecimal(double value, int decimals = 2);

} // namespace stepvane
