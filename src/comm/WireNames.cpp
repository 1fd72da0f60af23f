// Names that come from the wire: made safe before they name a file, and
// quoted with escapes before they reach a log line, so a hostile name can
// neither leave its folder nor forge or garble the log.
#include "comm/CDevComm.h"
#include "comm/InstrumentEndpoint.h"

namespace stepvane {

namespace {

// Characters that steer a terminal or the text direction rather than show.
bool unsafe(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

} // namespace

QString safeWireName(const QString &name)
{
    QString safe;
    for (const char32_t c : CDevComm::FileNameOf(name).toUcs4()) {
        if (unsafe(c))
            safe += u'_';
        else
            safe += QString::fromUcs4(&c, 1);
    }
    if (safe == QLatin1String(".") || safe == QLatin1String(".."))
        return QString();
    return safe;
}

QString quotedForLog(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const char32_t c : text.toUcs4()) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += QChar(c);
        } else if (unsafe(c)) {
            out += c <= 0xFF ? QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'))
                             : QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
        } else {
            out += QString::fromUcs4(&c, 1);
        }
    }
    return out + u'"';
}

} // namespace stepvane
