// The value helpers the per-kind writers and readers share: one element per
// value on writing, lookups relative to the anchor on reading, and the
// number conversions of stored text.
#include "document/VX_CAAXML_PARSER.h"

#include "common/NumberText.h"

#include <libxml/tree.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>

namespace stepvane {

namespace {

const QString kDValue = QStringLiteral("DValue");
const QString kLValue = QStringLiteral("LValue");
constexpr std::string_view kDName = "DValue";
constexpr std::string_view kLName = "LValue";

bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

// toLeadingInt and toLeadingReal on the UTF-8 text libxml2 holds. ASCII text
// (all a file of ours holds) is read in place; anything else goes through
// the QString forms, whose idea of a blank covers all of Unicode's.
long long VX_CAAXML_PARSER::leadingInt(const char *text)
{
    if (!text)
        return 0;
    const char *p = text;
    while (isAsciiSpace(*p))
        ++p;
    // Only blanks before the number need Unicode: past them any other
    // character ends it either way.
    if (static_cast<unsigned char>(*p) >= 0x80)
        return toLeadingInt(QString::fromUtf8(text));
    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > INT_MAX) // saturate like the C conversions do
            return negative ? -(long long)INT_MAX - 1 : INT_MAX;
    }
    return negative ? -v : v;
}

double VX_CAAXML_PARSER::leadingReal(const char *text)
{
    if (!text)
        return 0.0;
    const char *p = text;
    while (isAsciiSpace(*p))
        ++p;
    const char *end = p;
    while (*end) {
        if (static_cast<unsigned char>(*end) >= 0x80)
            return toLeadingReal(QString::fromUtf8(text));
        ++end;
    }
    if (p != end && *p == '+')
        ++p;
    double v = 0;
    const auto result = std::from_chars(p, end, v);
    return result.ec == std::errc() ? v : 0.0;
}

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

const xmlAttr *VX_CAAXML_PARSER::attributeAt(std::string_view path,
                                             std::string_view attribute) const
{
    const xmlNode *element = path.empty() ? m_anchor : Element_At(m_anchor, path);
    return Attribute_Named(element, attribute);
}

std::optional<QString> VX_CAAXML_PARSER::value(std::string_view path, std::string_view attribute)
{
    const xmlAttr *attr = attributeAt(path, attribute);
    if (!attr)
        return std::nullopt;
    return AttributeText(attr).toString();
}

bool VX_CAAXML_PARSER::readL(std::string_view path, int &out)
{
    const xmlAttr *attr = attributeAt(path, kLName);
    if (attr)
        out = int(leadingInt(AttributeText(attr).text()));
    return attr != nullptr;
}

bool VX_CAAXML_PARSER::readDInt(std::string_view path, int &out)
{
    const xmlAttr *attr = attributeAt(path, kDName);
    if (attr)
        out = int(leadingInt(AttributeText(attr).text()));
    return attr != nullptr;
}

bool VX_CAAXML_PARSER::readDSize(std::string_view path, quint32 &out)
{
    // Only whether a file is declared counts (the restored bytes give the
    // size): a size that is not above 0 declares none.
    const xmlAttr *attr = attributeAt(path, kDName);
    if (attr) {
        const long long declared = leadingInt(AttributeText(attr).text());
        out = declared > 0 ? quint32(declared) : 0;
    }
    return attr != nullptr;
}

bool VX_CAAXML_PARSER::readDReal(std::string_view path, double &out)
{
    const xmlAttr *attr = attributeAt(path, kDName);
    if (attr)
        out = leadingReal(AttributeText(attr).text());
    return attr != nullptr;
}

bool VX_CAAXML_PARSER::readDText(std::string_view path, QString &out, int maxLength)
{
    const xmlAttr *attr = attributeAt(path, kDName);
    if (attr) {
        out = AttributeText(attr).toString();
        if (maxLength >= 0)
            out.truncate(maxLength);
    }
    return attr != nullptr;
}

bool VX_CAAXML_PARSER::enter(std::string_view path)
{
    Set_Current_Node(m_anchor);
    if (xmlNode *element = Element_At(m_anchor, path)) {
        Set_Current_Node(element);
        return true;
    }
    return false;
}

VX_CAAXML_PARSER::NumberedName::NumberedName(std::string_view prefix, int number)
{
    // Names and numbers of the format are short; a longer prefix is cut,
    // which names nothing the format has.
    const size_t room = sizeof m_text - 12;
    const size_t kept = std::min(prefix.size(), room);
    std::memcpy(m_text, prefix.data(), kept);
    const auto end = std::to_chars(m_text + kept, m_text + sizeof m_text, number).ptr;
    m_size = size_t(end - m_text);
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
