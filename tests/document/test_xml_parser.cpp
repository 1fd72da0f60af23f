// The XML cursor: moves, attribute lookups, embedded files and base64. The
// shape check before parsing: every limit passes at its value and refuses one
// past it, the scanner reads markup as libxml2 does (quotes, comments, CDATA,
// processing instructions), and what the wizard reader is given goes through
// the wizard's limits.
#include "document/Base64.h"
#include "document/NameTables.h"
#include "document/Sha256.h"
#include "document/VXXML_PARSER.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/XmlIo.h"
#include "document/XmlShape.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>

#include <sys/stat.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

class XmlCursor : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QByteArray xml =
            "<STEPVANE><Information><Title DValue=\"t\" LValue=\"3\"/></Information>"
            "<Step><Trace><Format DValue=\"TRA\"/></Trace></Step>"
            "<Information><Inner><Information/></Inner></Information></STEPVANE>";
        ASSERT_TRUE(p.Load_Document_From_Memory(xml));
    }
    QTemporaryDir dir;
    VXXML_PARSER p;
};

QByteArray randomBytes(int size, unsigned seed)
{
    std::mt19937 gen(seed);
    QByteArray out(size, Qt::Uninitialized);
    for (char &c : out)
        c = char(gen());
    return out;
}

QString problem(const QByteArray &xml, const XmlShapeLimits &limits = XmlShapeLimits::general())
{
    return xmlShapeProblem(xml.constData(), xml.size(), limits);
}

QByteArray withAttributes(int n)
{
    QByteArray e = "<r";
    for (int i = 0; i < n; ++i)
        e += " a" + QByteArray::number(i) + "='v'";
    return e + "/>";
}

QByteArray nested(int depth)
{
    return QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth);
}

QByteArray children(const QByteArray &child, int n)
{
    return "<r>" + child.repeated(n) + "</r>";
}

QByteArray numbered(const QByteArray &prefix, int n)
{
    QByteArray out = "<r>";
    for (int i = 0; i < n; ++i)
        out += "<" + prefix + QByteArray::number(i) + "/>";
    return out + "</r>";
}

} // namespace

TEST_F(XmlCursor, FindPathStopsAtDeepestFoundAndMovesUpByName)
{
    ASSERT_TRUE(p.Find_Child("Step"));
    EXPECT_FALSE(p.Find_Path("<Trace><Check>"));
    EXPECT_EQ(p.Current_Name(), "Trace");
    EXPECT_EQ(p.Current_Path(), "<STEPVANE><Step><Trace>");
    p.Go_Parent();
    EXPECT_TRUE(p.Find_Path("<Trace><Format>"));
    EXPECT_EQ(p.Current_Name(), "Format");

    // Attribute lookup is case-sensitive.
    p.Go_Root();
    ASSERT_TRUE(p.Find_Path("<Information><Title>"));
    EXPECT_EQ(p.Attribute_Names(), (QStringList{"DValue", "LValue"}));
    EXPECT_FALSE(p.Find_Attribute("dvalue"));
    EXPECT_EQ(p.Get_Attribute_Value(),
              "VXXML_PARSER::Get_Attribute_Value()  : Can't Retrieve an Attribute");
    EXPECT_EQ(p.Get_Attribute_Value().toInt(), 0);
    ASSERT_TRUE(p.Find_Attribute("LValue"));
    EXPECT_EQ(p.Found_Index(), 1);
    EXPECT_EQ(p.Get_Attribute_Value(), "3");

    // Going up skips the element itself.
    EXPECT_TRUE(p.Go_Up_To("Information"));
    EXPECT_EQ(p.Current_Path(), "<STEPVANE><Information>");
    EXPECT_FALSE(p.Go_Up_To("Information")) << "an element is not its own ancestor";
    EXPECT_EQ(p.Current_Path(), "<STEPVANE><Information>");

    p.Go_Root();
    EXPECT_FALSE(p.Go_Parent()) << "no parent above the root";
    EXPECT_FALSE(p.Go_Up_To("Nowhere"));
    EXPECT_EQ(p.Current_Name(), "STEPVANE");
}

TEST_F(XmlCursor, BuildingAndRemoving)
{
    p.Reset_Document();
    EXPECT_FALSE(p.Go_Root());
    ASSERT_TRUE(p.Begin_Root());
    ASSERT_TRUE(p.Add_Element("A"));
    ASSERT_TRUE(p.Set_Attribute("DValue", "1"));
    ASSERT_TRUE(p.Set_Attribute("LValue", "2"));
    ASSERT_TRUE(p.Set_Attribute("DValue", "3"));
    EXPECT_EQ(p.Attribute_Values(), (QStringList{"3", "2"})) << "replacing keeps the order";
    ASSERT_TRUE(p.Remove_Current());
    EXPECT_EQ(p.Current_Name(), "STEPVANE");
    EXPECT_FALSE(p.Find_Child("A"));
    ASSERT_TRUE(p.Remove_Current());
    EXPECT_FALSE(p.Go_Root()) << "removing the root resets the document";
}

TEST_F(XmlCursor, PutFileRefusesMissingAndEmptyFilesGetFileTakesUntyped)
{
    const QString empty = dir.filePath("empty.bin");
    ASSERT_TRUE(writeAll(empty, ""));
    ASSERT_TRUE(p.Find_Child("Step"));
    EXPECT_FALSE(p.Put_File_Base64(empty));
    EXPECT_FALSE(p.Put_File_Base64(dir.filePath("missing.bin")));
    EXPECT_EQ(p.Attribute_Names(), QStringList{}) << "nothing written into the element";

    // An element without the base64 type restores as an empty file.
    const QString out = dir.filePath("out.bin");
    ASSERT_TRUE(writeAll(out, "old content"));
    EXPECT_TRUE(p.Get_File_Base64(out));
    EXPECT_EQ(readAll(out), QByteArray());
}

TEST_F(XmlCursor, EmbeddedFilesSurviveSaveAndLoad)
{
    // Above 10 MB, where libxml2 refuses text nodes unless told otherwise.
    const QByteArray big = randomBytes(11 * 1024 * 1024 + 5, 7);
    const QString in = dir.filePath("in.bin");
    ASSERT_TRUE(writeAll(in, big));
    p.Reset_Document();
    p.Begin_Root();
    p.Add_Element("ImageData");
    ASSERT_TRUE(p.Put_File_Base64(in));
    ASSERT_TRUE(p.Save_Transformed(dir.filePath("doc.xml")));
    const QByteArray saved = readAll(dir.filePath("doc.xml"));
    // Written in slices, it must be the text of the whole file encoded at once.
    EXPECT_TRUE(saved.contains("<ImageData xmlns:dt=\"urn:schemas-microsoft-com:datatypes\" "
                               "dt:dt=\"bin.base64\">" +
                               encodeBase64Lines(big) + "</ImageData>"));
    // The tree being written gives the file back too.
    ASSERT_TRUE(p.Go_Root() && p.Find_Child("ImageData"));
    ASSERT_TRUE(p.Get_File_Base64(dir.filePath("back.bin")));
    EXPECT_TRUE(readAll(dir.filePath("back.bin")) == big);

    VXXML_PARSER reader;
    ASSERT_TRUE(reader.Load_Document(dir.filePath("doc.xml")));
    ASSERT_TRUE(reader.Find_Child("ImageData"));
    ASSERT_TRUE(reader.Get_File_Base64(dir.filePath("out.bin")));
    EXPECT_TRUE(readAll(dir.filePath("out.bin")) == big);
}

// libxml2 hands its output over in pieces of its own choosing: cut anywhere,
// it gives the same bytes, each placeholder of a known file replaced by that
// file's base64 and anything else (marks that make no placeholder, an unknown
// index, a placeholder cut off at the end) passed on as it came.
TEST_F(XmlCursor, PlaceholdersAreFilledWhereverTheOutputIsCut)
{
    std::vector<PendingAttachment> files;
    QByteArray base64[3];
    for (int size : {1, 58, 3001}) {
        const QByteArray bytes = randomBytes(size, unsigned(size));
        const QString path = dir.filePath(QString::number(size));
        ASSERT_TRUE(writeAll(path, bytes));
        base64[files.size()] = encodeBase64Lines(bytes);
        files.push_back({path, size});
    }
    const QByteArray p0 = attachmentPlaceholder(0);
    const QByteArray p1 = attachmentPlaceholder(1);
    const QByteArray p2 = attachmentPlaceholder(2);
    const QByteArray mark(1, '\x01');
    const QByteArray odd =
        mark + mark + " " + mark + "x" + mark + "12345678901" + mark + " <a>" + mark;
    const struct {
        const char *name;
        QByteArray in;
        QByteArray out;
    } cases[] = {
        {"one in an element", "<a>" + p1 + "</a>", "<a>" + base64[1] + "</a>"},
        {"side by side, at both ends", p2 + p0 + "x" + p2, base64[2] + base64[0] + "x" + base64[2]},
        {"an unknown index", "<a>" + attachmentPlaceholder(3) + "</a>",
         "<a>" + attachmentPlaceholder(3) + "</a>"},
        {"marks that make no placeholder", odd, odd},
        {"an unknown index sharing its closing mark", mark + "9" + p1, mark + "9" + base64[1]},
    };
    for (const auto &c : cases) {
        for (qsizetype piece = 1; piece <= c.in.size(); ++piece) {
            QByteArray out;
            AttachmentSplicer splicer(files, [&out](const char *data, qsizetype size) {
                out.append(data, size);
                return true;
            });
            for (qsizetype at = 0; at < c.in.size(); at += piece)
                ASSERT_TRUE(
                    splicer.write(c.in.constData() + at, std::min(piece, c.in.size() - at)));
            ASSERT_TRUE(splicer.finish());
            ASSERT_EQ(out, c.out) << c.name << ", in pieces of " << piece;
        }
    }
}

TEST(Base64, LinesOfSeventySixAndExactRoundTrips)
{
    for (int size : {0, 1, 2, 3, 56, 57, 58, 114, 1000, 4097}) {
        const QByteArray bytes = randomBytes(size, unsigned(size));
        const QByteArray text = encodeBase64Lines(bytes);
        const QList<QByteArray> lines = text.split('\n');
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            ASSERT_EQ(lines[i].size(), kBase64LineLength) << size;
        EXPECT_LE(lines.last().size(), kBase64LineLength);
        EXPECT_EQ(text.simplified().replace(" ", ""), bytes.toBase64()) << size;
        QByteArray back;
        ASSERT_TRUE(decodeBase64(text, back)) << size;
        EXPECT_EQ(back, bytes) << size;
    }
}

namespace {

// The same text handed over in pieces cut anywhere decodes as the whole,
// whether the stream keeps the bytes, their count or their digest.
void expectStreamedAsWhole(const QByteArray &text, std::mt19937 &gen)
{
    QByteArray whole;
    const bool decodes = decodeBase64(text, whole);
    for (Base64Keeps keeps : {Base64Keeps::Bytes, Base64Keeps::Size, Base64Keeps::Digest}) {
        Base64Stream stream(keeps);
        for (qsizetype at = 0; at < text.size();) {
            const qsizetype piece = std::min<qsizetype>(gen() % 9, text.size() - at);
            stream.feed(text.constData() + at, piece);
            at += piece;
        }
        EXPECT_EQ(stream.finish(), decodes) << text.constData();
        EXPECT_EQ(stream.problem(), base64Problem(text)) << text.constData();
        EXPECT_EQ(stream.holdsNonSpace(), !text.trimmed().isEmpty()) << text.constData();
        if (decodes) {
            EXPECT_EQ(stream.size(), whole.size()) << text.constData();
        }
        EXPECT_EQ(stream.takeBytes(), keeps == Base64Keeps::Bytes ? whole : QByteArray());
        EXPECT_EQ(stream.digest(),
                  keeps == Base64Keeps::Digest && decodes ? sha256(whole) : QByteArray());
    }
}

} // namespace

TEST(Base64, DecodingIgnoresWhitespaceAndRejectsGarbage)
{
    struct Case {
        QByteArray text;
        bool ok;
        QByteArray bytes;
        QString problem;
    } cases[] = {
        {" SGVs\r\n bG8=\n", true, "Hello", ""},
        {"SGVsbG8", true, "Hello", ""},
        {"SGVsbG8=\tx", false, "", "'=' in mid-stream"},
        {"SGV$bG8=", false, "", "the character 0x24, which is not base64"},
        {"SGV-bG8=", false, "", "'-' of the URL alphabet"},
        {"S", false, "", "a truncated last group"},
        {"SGVsb==", false, "", "a truncated last group"},
        {"SGVsbG8===", false, "", "bad padding"},
        {"SGVsbG8===\x01", false, "", "the character 0x01, which is not base64"},
        {"", true, "", ""},
    };
    std::mt19937 gen(5);
    for (const auto &c : cases) {
        QByteArray out;
        EXPECT_EQ(decodeBase64(c.text, out), c.ok) << c.text.constData();
        EXPECT_EQ(out, c.bytes) << c.text.constData();
        EXPECT_EQ(base64Problem(c.text), c.problem) << c.text.constData();
        for (int cut = 0; cut < 4; ++cut)
            expectStreamedAsWhole(c.text, gen);
        // The count taken before decoding agrees with the decoding.
        EXPECT_EQ(decodedBase64Size(c.text), c.ok ? c.bytes.size() : -1) << c.text.constData();
    }
    for (int size : {1, 2, 3, 4, 1000}) {
        const QByteArray text = encodeBase64Lines(randomBytes(size, 7u));
        EXPECT_EQ(decodedBase64Size(text), size);
        EXPECT_EQ(decodedBase64Size(QByteArray(text).replace('=', "")), size) << "padding optional";
    }
}

// Groups of four are taken at once and the rest one by one: whitespace at
// any place, a group split by it, missing padding or a bad character at any
// place must give what a character-by-character reading gives, and so must
// the same text handed over in pieces cut anywhere.
TEST(Base64, WhitespaceAnywhereAndBadCharactersAnywhere)
{
    std::mt19937 gen(11);
    for (int round = 0; round < 300; ++round) {
        const QByteArray bytes = randomBytes(int(gen() % 200), unsigned(round));
        QByteArray text = encodeBase64Lines(bytes);
        if (round % 3 == 0)
            text.replace('=', "");
        for (int k = int(gen() % 6); k > 0; --k)
            text.insert(qsizetype(gen() % (text.size() + 1)), " \t\r\n"[gen() % 4]);
        QByteArray out;
        ASSERT_TRUE(decodeBase64(text, out)) << text.constData();
        EXPECT_EQ(out, bytes) << text.constData();
        EXPECT_EQ(decodedBase64Size(text), bytes.size());
        expectStreamedAsWhole(text, gen);
        if (text.trimmed().isEmpty())
            continue;
        QByteArray bad = text;
        qsizetype at = qsizetype(gen() % bad.size());
        while (std::isspace(static_cast<unsigned char>(bad[at])))
            at = (at + 1) % bad.size();
        bad[at] = "$-_\0*"[gen() % 5];
        EXPECT_FALSE(decodeBase64(bad, out)) << bad.constData();
        EXPECT_TRUE(out.isEmpty());
        EXPECT_EQ(decodedBase64Size(bad), -1);
        EXPECT_FALSE(base64Problem(bad).isEmpty());
        expectStreamedAsWhole(bad, gen);
        expectStreamedAsWhole(text.left(text.size() / 2) + "=A" + text.mid(text.size() / 2), gen);
    }
}

TEST(XmlLoad, OnlyRegularFilesAreRead)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.wzd");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    VXXML_PARSER p;
    EXPECT_FALSE(p.Load_Document(fifo)) << "a fifo is refused, not waited on";
    EXPECT_FALSE(p.Load_Document(dir.path()));
    EXPECT_FALSE(p.Load_Document(dir.filePath("missing.wzd")));
    EXPECT_EQ(p.Error_Text(), "XML Document FAILED to load");
}

// A parser that overrides the load hook hears of every node, parents first,
// in document order, on every load (the base parser's hook ends the walk).
TEST(XmlLoad, AnOverriddenHookHearsOfEveryNode)
{
    struct Listening : VXXML_PARSER {
        QStringList heard;
        void On_Node_Loaded() override { heard << Current_Path(); }
    } p;
    const QStringList all{"<a>", "<a><b>", "<a><b><#TEXT#>", "<a><c>", "<a><c><d>", "<comment>"};
    for (int load = 0; load < 2; ++load) {
        p.heard.clear();
        ASSERT_TRUE(p.Load_Document_From_Memory("<a><b>t</b><c><d/></c></a><!--x-->"));
        EXPECT_EQ(p.heard, all) << load;
    }
}

TEST(XmlShape, EveryLimitHoldsAtItsValueAndRefusesOneMore)
{
    XmlShapeLimits few;
    few.maxElements = 10;
    const XmlShapeLimits wizard = XmlShapeLimits::wizard();
    const struct {
        const char *name;
        QByteArray atLimit;
        QByteArray overLimit;
        XmlShapeLimits limits;
        const char *says;
    } cases[] = {
        {"attributes", withAttributes(64), withAttributes(65), XmlShapeLimits::general(),
         "more than 64 attributes"},
        {"wizard attributes", withAttributes(16), withAttributes(17), wizard,
         "more than 16 attributes"},
        {"depth", nested(256), nested(257), XmlShapeLimits::general(), "deeper than 256"},
        {"wizard depth", nested(16), nested(17), wizard, "deeper than 16"},
        {"children", children("<c/>", 64), children("<c/>", 65), wizard,
         "more than 64 child elements"},
        {"sequences", numbered("TestingSequence_Num", 100), numbered("TestingSequence_Num", 101),
         wizard, "more than 100 TestingSequence_Num"},
        {"steps", numbered("Task_Step_Num", 101), numbered("Task_Step_Num", 102), wizard,
         "more than 101 Task_Step_Num"},
        {"elements", children("<c/>", 9), children("<c/>", 10), few, "more than 10 elements"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(problem(c.atLimit, c.limits), QString());
        EXPECT_TRUE(problem(c.overLimit, c.limits).contains(c.says))
            << problem(c.overLimit, c.limits).toStdString();
    }
    // Counted children do not use up the others' share, nor the other way round.
    EXPECT_EQ(problem("<r>" + children("<c/>", 64).mid(3).chopped(4) +
                          numbered("Task_Step_Num", 101).mid(3),
                      wizard),
              QString());
}

TEST(XmlShape, MarkupIsReadAsTheParserReadsIt)
{
    const struct {
        const char *name;
        QByteArray xml;
        bool ok;
    } cases[] = {
        {"declaration, comment, instruction",
         "\xEF\xBB\xBF<?xml version=\"1.0\"?><!-- <a><a> --><?pi <b>?><r/>", true},
        {"markup characters inside values", "<r a='<x>' b = \"/>\" c=\"it's\"/>", true},
        {"CDATA is text", "<r><![CDATA[<a><a><a>]]></r>", true},
        {"blanks in tags", "<r\n  a\t=\r'1'  ><c /></r >", true},
        {"text with a greater-than sign", "<r>a > b</r>", true},
        {"document type in the prolog", "<?xml version=\"1.0\"?><!DOCTYPE r><r/>", false},
        {"document type after a comment", "<!-- x --><!DOCTYPE r [<!ENTITY e 'x'>]><r/>", false},
        {"unclosed element", "<r><c>", false},
        {"unclosed attribute value", "<r a='v/>", false},
        {"attribute without a value", "<r a/>", false},
        {"end tag without a start", "</r>", false},
        {"unclosed comment", "<r/><!-- ", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(problem(c.xml).isEmpty(), c.ok) << c.name << ": " << problem(c.xml).toStdString();
}

TEST(XmlShape, WizardReadsKeepTheWizardLimits)
{
    QTemporaryDir dir;
    // A wizard with its one sequence element followed by 101 more.
    QByteArray file =
        "<?xml version=\"1.0\"?><STEPVANE><Information><InstrumentEQP DValue=\"VX310A\" "
        "LValue=\"0\"/><Application_Version DValue=\"1.2.1\"/><FW_Version DValue=\"1.064\"/>"
        "<TestingSequence_Count DValue=\"0\"/><Title DValue=\"t\"/></Information>";
    for (int i = 0; i < 101; ++i)
        file += "<TestingSequence_Num" + QByteArray::number(i) + "/>";
    file += "</STEPVANE>";
    const QString path = dir.filePath("many.wzd");
    ASSERT_TRUE(writeAll(path, file));

    WizardDocument doc;
    VX_CAAXML_PARSER reader(&doc, 0);
    EXPECT_EQ(reader.Read_Wizard_File(path), 0);
    EXPECT_TRUE(reader.Load_Problem().contains("TestingSequence_Num"));
    EXPECT_FALSE(reader.Load_Document(path)) << "the password check loads with the same limits";
    VX_CAAXML_PARSER probe(nullptr, 0);
    EXPECT_EQ(probe.Read_File_Model(path), kUnknownModel);
    EXPECT_TRUE(probe.Load_Document(path)) << "a parser without a document reads any XML";
}
