// Every character class a user can paste or a JSON file can carry, against
// what an XML 1.0 reader accepts: a text judged safe must also parse.
#include "common/XmlText.h"

#include <libxml/parser.h>

#include <gtest/gtest.h>

using namespace stepvane;

namespace {

bool libxmlAccepts(const QString &text)
{
    // As an attribute value and as element content, written as the raw
    // character the way a serialiser would write it.
    const QByteArray escaped = text.toHtmlEscaped().toUtf8();
    const QByteArray doc = "<a v=\"" + escaped + "\">" + escaped + "</a>";
    xmlDocPtr parsed = xmlReadMemory(doc.constData(), int(doc.size()), nullptr, "UTF-8",
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    const bool ok = parsed != nullptr;
    xmlFreeDoc(parsed);
    return ok;
}

struct TextCase {
    QString text;
    qsizetype unsafeAt;
};

} // namespace

TEST(XmlText, AgreesWithTheXmlReaderOnEveryCharacterClass)
{
    const QChar high(char16_t(0xD83D)), low(char16_t(0xDE00));
    const TextCase cases[] = {
        {"plain", -1},
        {"tab\there, line\nfeed, cr\rhere", -1},
        {QString::fromUtf8("umlaut \xc3\xa4, euro \xe2\x82\xac, C1 \xc2\x85"), -1},
        {QString("pair ") + high + low, -1},
        {QString(u'\uFFFD'), -1},
        {QString("a") + QChar(char16_t(1)) + "b", 1},
        {QString("a") + QChar(char16_t(0x1F)), 1},
        {QString(QChar(char16_t(0))) + "x", 0},
        {QString("ab") + QChar(char16_t(0xFFFE)), 2},
        {QString("x") + QChar(char16_t(0xFFFF)), 1},
        {QString("lone high ") + high, 10},
        {QString("lone low ") + low + "x", 9},
        {QString(low) + high, 0}};
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.text.toUtf8().toHex().toStdString());
        EXPECT_EQ(firstXmlUnsafeIndex(c.text), c.unsafeAt);
        // Lone surrogates cannot even reach libxml2 as UTF-8; the others can.
        if (c.unsafeAt < 0 || !c.text.at(c.unsafeAt).isSurrogate()) {
            EXPECT_EQ(libxmlAccepts(c.text), c.unsafeAt < 0);
        }
    }
    EXPECT_EQ(describeXmlUnsafeAt(QString("a") + QChar(char16_t(1)), 1), "U+0001");
    EXPECT_EQ(describeXmlUnsafeAt(QString(QChar(char16_t(0xFFFE))), 0), "U+FFFE");
}
