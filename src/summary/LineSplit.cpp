// Line splitting with the word rule of the printed summary.
#include "summary/LineSplit.h"

namespace stepvane {

namespace {

bool isBlank(QChar c)
{
    return c == u' ';
}

// The longest prefix length (at least 1) of text that fits. Width grows with
// the prefix, so a binary search finds it in log(n) measurements.
qsizetype longestFittingPrefix(QStringView text, const FitsWidth &fits)
{
    qsizetype lo = 1; // always take one character
    qsizetype hi = text.size();
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo + 1) / 2;
        if (fits(text.left(mid)))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

} // namespace

QStringList splitToFit(const QString &text, const FitsWidth &fits)
{
    QStringList lines;
    QStringView rest(text);
    if (rest.isEmpty() || fits(rest))
        return {text};

    // Every pass consumes at least one character, so this ends.
    while (!rest.isEmpty()) {
        if (fits(rest)) {
            lines << rest.toString();
            break;
        }
        qsizetype cut = longestFittingPrefix(rest, fits);
        // Never split a surrogate pair: give the pair back, or take it whole
        // when it is all the line holds.
        if (cut < rest.size() && rest.at(cut - 1).isHighSurrogate())
            cut += cut > 1 ? -1 : 1;
        const bool insideWord =
            cut < rest.size() && !isBlank(rest.at(cut)) && !isBlank(rest.at(cut - 1));
        if (insideWord) {
            const qsizetype blank = rest.left(cut).lastIndexOf(u' ');
            // A line of blanks alone would be no better than cutting the word.
            const bool keepsText = blank > 0 && !rest.left(blank).trimmed().isEmpty();
            if (keepsText && cut - blank <= kWordBreakReach)
                cut = blank + 1;
        }
        lines << rest.left(cut).toString();
        rest = rest.mid(cut);
        while (!rest.isEmpty() && isBlank(rest.front()))
            rest = rest.mid(1);
    }
    if (lines.isEmpty())
        lines << QString();
    return lines;
}

} // namespace stepvane
