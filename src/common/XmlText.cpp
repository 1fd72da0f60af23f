// Which texts a wizard file can hold (see XmlText.h).
#include "common/XmlText.h"

namespace stepvane {

qsizetype firstXmlUnsafeIndex(QStringView text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20) {
            if (c != u'\t' && c != u'\n' && c != u'\r')
                return i;
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= n || !QChar::isLowSurrogate(text[i + 1].unicode()))
                return i;
            ++i; // a whole pair: a character outside the basic plane
        } else if ((c >= 0xDC00 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) {
            return i; // a low surrogate without its pair, or a noncharacter
        }
    }
    return -1;
}

QString describeXmlUnsafeAt(QStringView text, qsizetype index)
{
    if (index < 0 || index >= text.size())
        return QString();
    return QStringLiteral("U+%1").arg(text[index].unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace stepvane
