// Number texts: lenient parsing and the fixed-point formatter.
#include "common/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace stepvane {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

qsizetype skipBlanks(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    return i;
}

} // namespace

double parseDecimalText(const QString &text)
{
    const qsizetype begin = skipBlanks(text);
    qsizetype i = begin;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < text.size() && isDigit(text.at(i))) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text.at(i) == u'.') {
        ++i;
        while (i < text.size() && isDigit(text.at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    // The exponent counts only when digits follow it ("1e" is 1).
    if (i < text.size() && (text.at(i) == u'e' || text.at(i) == u'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text.at(j) == u'+' || text.at(j) == u'-'))
            ++j;
        if (j < text.size() && isDigit(text.at(j))) {
            while (j < text.size() && isDigit(text.at(j)))
                ++j;
            i = j;
        }
    }
    const double value = QStringView(text).mid(begin, i - begin).toDouble();
    if (std::isfinite(value))
        return value;
    const double max = std::numeric_limits<double>::max();
    return text.at(begin) == u'-' ? -max : max;
}

int parseWholeText(const QString &text)
{
    qsizetype i = skipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    constexpr long long limit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    long long value = 0;
    while (i < text.size() && isDigit(text.at(i))) {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > limit)
            value = limit; // saturate; later digits cannot bring it back
        ++i;
    }
    if (negative)
        return static_cast<int>(-value); // -limit is exactly INT_MIN
    return static_cast<int>(std::min<long long>(value, std::numeric_limits<int>::max()));
}

QString formatDecimal(double value, int decimals)
{
    // std::to_chars gives the correctly rounded decimal of the binary value,
    // which is what glibc's printf writes; Qt's own formatting rounds ties up.
    decimals = std::clamp(decimals, 0, 17);
    std::array<char, 400> buffer; // DBL_MAX has 309 integer digits
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc())
        return QString::asprintf("%.*f", decimals, value);
    return QString::fromLatin1(buffer.data(), end - buffer.data());
}

} // namespace stepvane
