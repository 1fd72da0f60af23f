// Long base64 texts are taken straight from the mapped file instead of
// through libxml2. Wherever a stretch is not the start of an element's text
// as libxml2 sees it, the file is parsed again with nothing skipped: the
// tree, the decoded texts, the line numbers and the words for a failure are
// always those of the plain parse.
#include "document/Base64.h"
#include "document/DecodingParse.h"
#include "document/LibxmlErrors.h"
#include "document/VXXML_PARSER.h"
#include "document/XmlIo.h"
#include "document/XmlShape.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <QFile>

#include <functional>

using namespace stepvane;
using namespace stepvane::test;

namespace {

// Everything of a parse that a reader can see: the tree as text, each
// element's line, and each decoded text's outcome, in document order.
QByteArray seen(xmlDoc *doc)
{
    if (!doc)
        return "no document";
    xmlChar *dumped = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &dumped, &size);
    QByteArray out(reinterpret_cast<const char *>(dumped), size);
    xmlFree(dumped);
    std::function<void(xmlNode *)> walk = [&](xmlNode *n) {
        for (; n; n = n->next) {
            if (n->type != XML_ELEMENT_NODE)
                continue;
            out += "\n" + QByteArray::number(xmlGetLineNo(n));
            if (Base64Stream *s = decodedText(n)) {
                s->finish();
                out += s->failed() ? " fails: " + s->problem().toUtf8()
                                   : " " + s->takeBytes().toHex().left(64) + " " +
                                         QByteArray::number(s->size());
            }
            walk(n->children);
        }
    };
    walk(xmlDocGetRootElement(doc));
    return out;
}

struct Parsed {
    QByteArray seen;
    QString words; // libxml2's first line on a failure
    size_t taken = 0;
};

Parsed parseFile(const QByteArray &xml, bool skipping)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("w.wzd"));
    EXPECT_TRUE(writeAll(file.fileName(), xml) && file.open(QIODevice::ReadOnly));
    uchar *mapped = file.map(0, file.size());
    Parsed p;
    LibxmlErrors errors;
    DecodedTexts texts;
    const int options = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_HUGE;
    xmlDoc *doc = nullptr;
    if (skipping) {
        MappedInput input(reinterpret_cast<const char *>(mapped), size_t(file.size()));
        input.skipped = skippableTexts(input.data, input.size);
        doc = parseMapped(input, options, &texts);
        p.taken = input.taken;
    } else {
        doc = parseDocument(xmlCreateMemoryParserCtxt(xml.constData(), int(xml.size())), options,
                            &texts);
    }
    p.seen = seen(doc);
    p.words = doc ? QString() : errors.firstLine();
    xmlFreeDoc(doc);
    file.unmap(mapped);
    return p;
}

} // namespace

TEST(SkippedText, ReadsAsThePlainParseWhereverTheTextStands)
{
    QByteArray bytes(3000, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 13 + i / 200);
    const QByteArray text = encodeBase64Lines(bytes);
    const QByteArray ns = "xmlns:dt=\"urn:schemas-microsoft-com:datatypes\"";
    const QByteArray typed = "<d dt:dt=\"bin.base64\">";
    const QByteArray decl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    struct Case {
        QByteArray head; // before the root
        QByteArray body; // inside it
        size_t taken;    // stretches taken straight from the file
    } cases[] = {
        {decl, typed + text + "</d>\n<e/>", 1},
        {decl, "<p>" + typed + text + "</d></p>\n<p>" + typed + text.left(900) + "</d></p>", 2},
        {"\xEF\xBB\xBF" + decl, typed + text + "</d>", 1},
        {"", "<d dt:dt='bin.base64'>" + text + "</d>", 1},
        // Text after an element inside, or after a reference, still counts.
        {decl, typed + text + "<x/>QUJD</d>", 1},
        {decl, typed + text + "&#65;=</d>", 0},
        // Damaged data fails as it would have.
        {decl, typed + text.left(500) + "=" + text.mid(500) + "</d>", 1},
        // A second copy keeps its text, as does an element of another type.
        {decl, typed + text + "</d>" + typed + text + "</d>", 2},
        {decl, "<d b=\"bin.base64\">" + text + "</d>", 1},
        // Not the start of an element's text: parsed again, nothing taken.
        {decl, "<!-- " + typed + text + "</d> -->" + typed + text + "</d>", 0},
        {decl, "<![CDATA[" + typed + text + "]]>", 0},
        {decl, "<?pi " + typed + text + "?>", 0},
        {decl, "<d b=\"bin.base64\">" + QByteArray(300, ' ') + "</d>", 0},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", typed + text + "</d>", 0},
        // Not well formed, here or further on.
        {decl, typed + text.left(400) + "\f" + text.mid(400) + "</d>", 0},
        {decl, typed + text + "</d><open>", 0},
        {decl, typed + text + "</e>", 0},
    };
    for (const Case &c : cases) {
        const QByteArray xml = c.head + "<r " + ns + ">\n" + c.body + "\n<last/></r>\n";
        SCOPED_TRACE(xml.left(200).constData());
        const Parsed plain = parseFile(xml, false);
        const Parsed skipping = parseFile(xml, true);
        EXPECT_EQ(skipping.seen, plain.seen);
        EXPECT_EQ(skipping.words, plain.words);
        EXPECT_EQ(skipping.taken, c.taken);
        // The shape check jumps over the stretches and finds what it finds
        // reading them.
        const auto skipped = skippableTexts(xml.constData(), size_t(xml.size()));
        for (const XmlShapeLimits &limits : {XmlShapeLimits::wizard(), XmlShapeLimits{}})
            EXPECT_EQ(xmlShapeProblem(xml.constData(), xml.size(), limits, &skipped),
                      xmlShapeProblem(xml.constData(), xml.size(), limits));
    }
}

TEST(SkippedText, StretchesEndAtTheFirstCharacterThatIsNotPlainText)
{
    const QByteArray line = QByteArray(76, 'A') + "\n";
    const QByteArray open = "<d dt:dt=\"bin.base64\">";
    struct Case {
        QByteArray after; // what follows four lines of base64, to the end
        bool found;
    } cases[] = {
        {"</d></r>", true},
        {"==</d></r>", true},
        {"\r\n</d></r>", false},
        {"&amp;</d></r>", false},
        {"\xC3\xA9</d></r>", false},
        {"]]></d></r>", false},
        {"", false},
    };
    for (const Case &c : cases) {
        const QByteArray xml = "<r>" + open + line.repeated(4) + c.after;
        SCOPED_TRACE(c.after.constData());
        const auto found = skippableTexts(xml.constData(), size_t(xml.size()));
        ASSERT_EQ(found.size(), size_t(c.found));
        if (c.found) {
            EXPECT_EQ(found[0].begin, size_t(3 + open.size()));
            EXPECT_EQ(xml.at(qsizetype(found[0].end)), '<');
            EXPECT_EQ(found[0].lines, 4u);
        }
    }
}
