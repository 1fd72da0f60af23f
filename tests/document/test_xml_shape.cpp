// The shape check before parsing: every limit passes at its value and
// refuses one past it, the scanner reads markup as libxml2 does (quotes,
// comments, CDATA, processing instructions), and what the wizard reader is
// given goes through the wizard's limits.
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/XmlShape.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

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
