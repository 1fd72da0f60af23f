// Counts at their limits: the reader's messages about passed-over content
// stop after five with one line for the rest, and the send estimate counts
// the line breaks the base64 text really has. Second copies of elements the
// format holds once: each is noted once, in file order, however many distinct
// names come before it, and a file full of them keeps the first thousand notes.
// Embedded files decoded while parsing read as the text kept in the tree.
#include "document/Base64.h"
#include "document/DecodingParse.h"
#include "document/VX_CAAXML_PARSER.h"
#include "review/check/SendEstimate.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <functional>
#include <vector>

using namespace stepvane;
using namespace stepvane::test;

namespace {

const QString kMoreOfTheSame = "The file holds more of the same; the check lists them all.";

// Reads a wizard whose header holds `copies` second Title elements.
struct RepeatedTitles {
    explicit RepeatedTitles(int copies)
    {
        WizardDocument written;
        written.Title = "Site";
        VX_CAAXML_PARSER writer(&written, 1);
        const QString path = dir.filePath("w.wzd");
        EXPECT_TRUE(writer.Save_Wizard(path));
        QByteArray text = readAll(path);
        const QByteArray title = "<Title DValue=\"Site\"/>";
        QByteArray extra;
        for (int i = 0; i < copies; ++i)
            extra += "<Title DValue=\"copy " + QByteArray::number(i) + "\"/>";
        EXPECT_TRUE(text.contains(title));
        text.replace(title, title + extra);
        writeAll(path, text);
        VX_CAAXML_PARSER reader(&doc, 1, &sink);
        ok = reader.Read_Wizard_File(path) == 1;
    }
    QTemporaryDir dir;
    WizardDocument doc;
    CollectingMessageSink sink;
    bool ok = false;
};

// One sequence of that many Hold steps, each holding inside.
QByteArray wizardWithSteps(const QByteArray &inside, int steps = 1)
{
    QByteArray out = "<STEPVANE><Information><InstrumentEQP LValue=\"2\"/><Application_Version "
                     "DValue=\"1\"/><FW_Version DValue=\"1\"/><TestingSequence_Count "
                     "DValue=\"1\"/><Title DValue=\"t\"/></Information><TestingSequence_Num0>"
                     "<Information><InstrumentEQP LValue=\"2\"/><Application_Version "
                     "DValue=\"1\"/><FW_Version DValue=\"1\"/><Task_Steps_Count DValue=\"" +
                     QByteArray::number(steps + 1) + "\"/><Title DValue=\"s\"/></Information>";
    for (int n = 0; n < steps; ++n) {
        const QByteArray tag = "Task_Step_Num" + QByteArray::number(n);
        out += "<" + tag + "><Task_Step_Name DValue=\"Hold\"/><Description DValue=\"d\"/>" +
               inside + "</" + tag + ">";
    }
    return out + "</TestingSequence_Num0></STEPVANE>";
}

std::vector<FileNote> notesOf(const QByteArray &file)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("w.wzd");
    EXPECT_TRUE(writeAll(path, file));
    WizardDocument doc;
    CollectingMessageSink sink;
    VX_CAAXML_PARSER reader(&doc, 2, &sink);
    EXPECT_EQ(reader.Read_Wizard_File(path), 1);
    return doc.FileNotes;
}

} // namespace

TEST(ReaderNotes, FiveAreToldOneByOneThenOneLineForTheRest)
{
    for (const int copies : {4, 5, 6, 9}) {
        SCOPED_TRACE(copies);
        const RepeatedTitles read(copies);
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(read.doc.FileNotes.size(), size_t(copies)) << "the document keeps every note";
        const QStringList texts = read.sink.texts();
        const int told = std::min(copies, 5);
        ASSERT_EQ(texts.size(), told + (copies > 5 ? 1 : 0)) << texts.join(u'\n').toStdString();
        for (int i = 0; i < told; ++i)
            EXPECT_TRUE(texts[i].contains("a second Title element")) << texts[i].toStdString();
        EXPECT_EQ(texts.last().trimmed() == kMoreOfTheSame, copies > 5);
    }
}

TEST(SendEstimate, EmbeddedSizeIsTheBase64TextAsWritten)
{
    // 57 bytes fill one 76-character line exactly: no line break follows the
    // last full line, one starts the next.
    for (const qint64 size : {1, 56, 57, 58, 113, 114, 115, 57 * 100, 57 * 100 + 1}) {
        const QByteArray text = encodeBase64Lines(QByteArray(size, '\x5a'));
        EXPECT_EQ(embeddedBytes(size), text.size()) << size;
    }
    EXPECT_EQ(embeddedBytes(0), 0);
}

TEST(RepeatedElements, EachSecondCopyOnceInFileOrderPastManyNames)
{
    // 40 distinct names (past the few looked through one by one), then
    // repeats of the 3rd, the 35th and the 3rd again, and one nested repeat.
    QByteArray inside;
    for (int i = 0; i < 40; ++i)
        inside += "<n" + QByteArray::number(i) + "/>";
    inside += "<n3 a=\"1\"/><n35/><n3 a=\"2\"/><g><k/><k/></g>";
    const std::vector<FileNote> notes = notesOf(wizardWithSteps(inside));
    QStringList fields;
    for (const FileNote &n : notes)
        fields << n.field;
    EXPECT_EQ(fields, QStringList({"n3", "n35", "n3", "g/k"}));
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[0].kind, FileNote::IgnoredContent);
    EXPECT_NE(notes[0].digest, notes[2].digest) << "the copies differ";
    EXPECT_EQ(notes[0].step, 0);
}

TEST(RepeatedElements, AFileFullOfRepeatsKeepsTheFirstThousand)
{
    // 30 steps of 60 children each: 1,800 second copies in all.
    const std::vector<FileNote> notes =
        notesOf(wizardWithSteps(QByteArray("<x><y/><y/></x>").repeated(60), 30));
    ASSERT_EQ(notes.size(), 1000u);
    EXPECT_EQ(notes.front().field, "x/y");
    EXPECT_EQ(notes[1].field, "x");
    EXPECT_EQ(notes.back().step, 16) << "60 notes a step";
    EXPECT_EQ(notes.back().field, "x");
}

// Text decoded while the file is parsed reads as the same text kept in the
// tree and decoded afterwards, whatever the parser makes of it: pieces
// between comments, references, CDATA, elements inside, text longer than
// the parser's blocks, a type written with a reference. Second copies, and
// anything inside one, keep their text for the notes that digest them.
TEST(DecodingParse, ReadsAsTheTextKeptInTheTree)
{
    const QByteArray ns = "xmlns:dt=\"urn:schemas-microsoft-com:datatypes\"";
    const QByteArray typed = "<d dt:dt=\"bin.base64\">";
    QByteArray bytes(5000, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 + i / 256);
    const QByteArray longText = encodeBase64Lines(bytes);
    struct Case {
        QByteArray body;
        int decoded; // typed elements decoded while parsing
    } cases[] = {
        {typed + "SGVsbG8=</d>", 1},
        {typed + "SGV<!--x-->sbG8=</d>", 1},
        {typed + "SGV&#115;bG8=</d>", 1},
        {typed + "SGV&amp;bG8=</d>", 1},
        {typed + "<![CDATA[SGVsbG8=]]></d>", 1},
        {typed + " \n\t </d>", 1},
        {typed + "SGV<x>AAAA</x>sbG8=</d>", 1},
        {typed + longText + "</d>", 1},
        {typed + longText.left(4000) + "*" + longText.mid(4000) + "</d>", 1},
        {typed + longText + "=A</d>", 1},
        {typed + "SGVs</d>" + typed + "bG8=</d>", 1},
        {"<p>" + typed + "QQ==</d></p><p>" + typed + "Qg==</d></p>", 1},
        {"<d dt:dt=\"bin&#46;base64\">SGVsbG8=</d>", 1},
    };
    auto typedElements = [](xmlDoc *doc) {
        std::vector<const xmlNode *> found;
        std::function<void(const xmlNode *)> walk = [&](const xmlNode *n) {
            for (; n; n = n->next) {
                if (n->type == XML_ELEMENT_NODE &&
                    xmlHasNsProp(n, BAD_CAST "dt", BAD_CAST kBase64TypeNamespace))
                    found.push_back(n);
                if (n->type == XML_ELEMENT_NODE)
                    walk(n->children);
            }
        };
        walk(xmlDocGetRootElement(doc));
        return found;
    };
    auto textOf = [](const xmlNode *e) {
        QByteArray text;
        for (const xmlNode *c = e->children; c; c = c->next)
            if (c->type == XML_TEXT_NODE)
                text += reinterpret_cast<const char *>(c->content);
        return text;
    };
    for (const Case &c : cases) {
        const QByteArray xml = "<r " + ns + ">" + c.body + "</r>";
        SCOPED_TRACE(xml.left(120).constData());
        const int options = XML_PARSE_NONET | XML_PARSE_NOBLANKS;
        DecodedTexts texts;
        xmlDoc *plain = parseDocument(xmlCreateMemoryParserCtxt(xml.constData(), int(xml.size())),
                                      options, nullptr);
        xmlDoc *decoding = parseDocument(
            xmlCreateMemoryParserCtxt(xml.constData(), int(xml.size())), options, &texts);
        ASSERT_TRUE(plain && decoding);
        const auto kept = typedElements(plain);
        const auto read = typedElements(decoding);
        ASSERT_EQ(kept.size(), read.size());
        int decoded = 0;
        for (size_t i = 0; i < kept.size(); ++i) {
            const QByteArray text = textOf(kept[i]);
            Base64Stream *stream = decodedText(read[i]);
            if (!stream) {
                EXPECT_EQ(textOf(read[i]), text);
                continue;
            }
            ++decoded;
            EXPECT_TRUE(textOf(read[i]).isEmpty());
            QByteArray whole;
            EXPECT_EQ(!stream->failed(), decodeBase64(text, whole));
            EXPECT_EQ(stream->problem(), base64Problem(text));
            EXPECT_EQ(stream->holdsNonSpace(), !text.trimmed().isEmpty());
            EXPECT_EQ(stream->takeBytes(), whole);
        }
        EXPECT_EQ(decoded, c.decoded);
        xmlFreeDoc(plain);
        xmlFreeDoc(decoding);
    }
}
