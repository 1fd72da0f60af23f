// The value helpers the per-kind writers and readers share: one element per
// value on writing, lookups relative to the anchor on reading, and the
// number conversions of stored text.
#include "document/VX_CAAXML_PARSER.h"

#include "common/NumberText.h"

#include <charconv>
#include <climits>

namespace stepvane {

namespace {

const QString kDValue = QStringLiteral("DValue");
const QString kLValue = QStringLiteral("LValue");

} // namespace

void VX_CAAXML_PARSER::addD(const QString &name, const QString &dvalue)
{
    Add_Element(name);
    Set_Attribute(kDValue, dvalue);
    Go_Parent();
}

void VX_CAAXML_PARSER::addDL(const QString &name, const QString &dvalue, int lvalue)
{
    Add_Element(name);
    Set_Attribute(kDValue, dvalue);
    Set_Attribute(kLValue, fmtInt(lvalue));
    Go_Parent();
}

void VX_CAAXML_PARSER::addOptDL(const QString &name, const QString &dvalueOrNull, int lvalue)
{
    if (dvalueOrNull.isNull())
        addL(name, lvalue);
    else
        addDL(name, dvalueOrNull, lvalue);
}

void VX_CAAXML_PARSER::addL(const QString &name, int lvalue)
{
    Add_Element(name);
    Set_Attribute(kLValue, fmtInt(lvalue));
    Go_Parent();
}

void VX_CAAXML_PARSER::addCheck(bool on, int onCode)
{
    addDL(QStringLiteral("Check"), on ? QStringLiteral("True") : QStringLiteral("False"),
          on ? onCode : 0);
}

void VX_CAAXML_PARSER::openElement(const QString &name)
{
    Add_Element(name);
}

QString VX_CAAXML_PARSER::fmtInt(long long v)
{
    return QString::number(v);
}

QString VX_CAAXML_PARSER::fmtReal2(double v)
{
    return formatDecimal(v, 2);
}

QString VX_CAAXML_PARSER::fmtReal4(double v)
{
    return formatDecimal(v, 4);
}

QString VX_CAAXML_PARSER::onOff(int flag)
{
    return flag ? QStringLiteral("On") : QStringLiteral("Off");
}

std::optional<QString> VX_CAAXML_PARSER::value(const QString &path, const QString &attribute)
{
    xmlNode *saved = Current_Node();
    Set_Current_Node(m_anchor);
    std::optional<QString> out;
    if ((path.isEmpty() || Find_Path(path)) && Find_Attribute(attribute))
        out = Get_Attribute_Value();
    Set_Current_Node(saved);
    return out;
}

bool VX_CAAXML_PARSER::readL(const QString &path, int &out)
{
    const auto v = lValue(path);
    if (v)
        out = int(toLeadingInt(*v));
    return bool(v);
}

bool VX_CAAXML_PARSER::readDInt(const QString &path, int &out)
{
    const auto v = dValue(path);
    if (v)
        out = int(toLeadingInt(*v));
    return bool(v);
}

bool VX_CAAXML_PARSER::readDSize(const QString &path, quint32 &out)
{
    // Only whether a file is declared counts (the restored bytes give the
    // size): a size that is not above 0 declares none.
    const auto v = dValue(path);
    if (v) {
        const long long declared = toLeadingInt(*v);
        out = declared > 0 ? quint32(declared) : 0;
    }
    return bool(v);
}

bool VX_CAAXML_PARSER::readDReal(const QString &path, double &out)
{
    const auto v = dValue(path);
    if (v)
        out = toLeadingReal(*v);
    return bool(v);
}

bool VX_CAAXML_PARSER::readDText(const QString &path, QString &out, int maxLength)
{
    const auto v = dValue(path);
    if (v)
        out = maxLength >= 0 ? v->left(maxLength) : *v;
    return bool(v);
}

bool VX_CAAXML_PARSER::enter(const QString &path)
{
    Set_Current_Node(m_anchor);
    if (Find_Path(path))
        return true;
    Set_Current_Node(m_anchor);
    return false;
}

std::optional<int> VX_CAAXML_PARSER::declaredCount(const std::optional<QString> &text, int max)
{
    if (!text)
        return std::nullopt;
    // Decimal digits only, as the writer writes them; blanks around are
    // forgiven. No sign, no hexadecimal, nothing after the digits.
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const QChar c : trimmed) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > max)
        return std::nullopt;
    return value;
}

long long VX_CAAXML_PARSER::toLeadingInt(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        negative = text.at(i++) == u'-';
    long long v = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        v = v * 10 + (text.at(i).unicode() - u'0');
        if (v > INT_MAX) { // saturate like the C conversions do
            v = negative ? -(long long)INT_MAX - 1 : INT_MAX;
            return v;
        }
    }
    return negative ? -v : v;
}

double VX_CAAXML_PARSER::toLeadingReal(const QString &text)
{
    QByteArray latin = text.trimmed().toLatin1();
    const char *begin = latin.constData();
    const char *end = begin + latin.size();
    if (begin != end && *begin == '+')
        ++begin;
    double v = 0;
    const auto result = std::from_chars(begin, end, v);
    return result.ec == std::errc() ? v : 0.0;
}

} // namespace stepvane
