// The wzd/tuf frame: header, sequence elements, End Option, model and header
// checks, passwords, and files that must be refused.
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "support/TestFiles.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

class WizardFrame : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }

    // Saves the document for a model and returns the file's bytes.
    QByteArray save(const WizardDocument &doc, int model, const QString &name = "w.wzd")
    {
        WizardDocument copy = doc;
        VX_CAAXML_PARSER parser(&copy, model, &sink);
        EXPECT_TRUE(parser.Save_Wizard(path(name))) << parser.Error_Text().toStdString();
        return readAll(path(name));
    }

    int read(WizardDocument &d, int model, const QString &f)
    {
        return VX_CAAXML_PARSER(&d, model, &sink).Read_Wizard_File(f);
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        EXPECT_TRUE(writeAll(path(name), bytes));
        return path(name);
    }

    QTemporaryDir dir;
    CollectingMessageSink sink;
};

// A header as the element table gives it, with the given extra header lines.
QByteArray wizardWithHeader(const QByteArray &model, const QByteArray &extra,
                            const QByteArray &body = "")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<STEPVANE><Information>" + model +
           "<Application_Version DValue=\"1.2.1\"/><FW_Version DValue=\"1.064\"/>" + extra +
           "</Information>" + body + "</STEPVANE>";
}

} // namespace

TEST_F(WizardFrame, EmptyWizardMatchesReferenceAndReadsBack)
{
    WizardDocument doc;
    doc.Title = "Tower <A> & \"B\"", doc.SeqEndOption = 1;
    const QByteArray bytes = save(doc, 2, "Empty.wzd");
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_EQ(normalizedXml(bytes), normalizedXml(readAll(fixture("frame/empty.wzd"))));

    WizardDocument back;
    ASSERT_EQ(read(back, 2, path("Empty.wzd")), 1);
    EXPECT_EQ(back, doc);
}

TEST_F(WizardFrame, SequencesAndEndOptionMatchReference)
{
    WizardDocument doc;
    doc.Title = "Two sequences";
    doc.appendSequence()->Title = "First";
    doc.appendSequence()->Title = "Second";
    doc.setPassword("s3cret");
    const QByteArray bytes = save(doc, 0, "two.wzd");
    EXPECT_EQ(normalizedXml(bytes), normalizedXml(readAll(fixture("frame/two_sequences.wzd"))));

    WizardDocument back;
    ASSERT_EQ(read(back, 0, path("two.wzd")), 1);
    EXPECT_EQ(back.sequenceCount(), 2);
    EXPECT_EQ(back.sequence(1)->Title, "Second");
    EXPECT_EQ(back.SeqEndOption, 2);
}

TEST_F(WizardFrame, PasswordWrittenExactlyWhenSet)
{
    WizardDocument doc;
    EXPECT_FALSE(save(doc, 1).contains("<PW"));
    doc.setPassword("pw");
    ASSERT_TRUE(save(doc, 1).contains("<PW DValue=\"pw\"/>"));
    VX_CAAXML_PARSER parser(&doc, 1, &sink);
    ASSERT_TRUE(parser.Load_Document(path("w.wzd")));
    EXPECT_EQ(parser.Read_Password(), "pw");
    doc.clearPassword();
    save(doc, 1);
    ASSERT_TRUE(parser.Load_Document(path("w.wzd")));
    EXPECT_EQ(parser.Read_Password(), "");
}

TEST_F(WizardFrame, FileNameIsLastComponent)
{
    WizardDocument doc;
    VX_CAAXML_PARSER parser(&doc, 0, &sink);
    for (const auto &[given, name] :
         {std::pair{"C:\\jobs\\site.wzd", "site.wzd"}, std::pair{"plain.wzd", "plain.wzd"}}) {
        parser.Reset_Document();
        parser.Write_Wizard_Header(given);
        ASSERT_TRUE(parser.Go_Root());
        ASSERT_TRUE(parser.Find_Path("<Information><File_Name>"));
        ASSERT_TRUE(parser.Find_Attribute("DValue"));
        EXPECT_EQ(parser.Get_Attribute_Value(), name);
    }
}

TEST_F(WizardFrame, ModelMismatchIsRefusedWithBothNames)
{
    WizardDocument doc;
    doc.appendSequence();
    save(doc, 1);
    WizardDocument back;
    EXPECT_EQ(read(back, 2, path("w.wzd")), 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].id, "IDS_INCORRECT_WZD_FOR_EQP");
    EXPECT_EQ(sink.messages[0].args, (QStringList{"VX320A", "VX330A"}));
    EXPECT_EQ(back.sequenceCount(), 0);
}

TEST_F(WizardFrame, SequenceOfAnotherModelIsRefused)
{
    const QString file = writeFile(
        "mixed.wzd",
        wizardWithHeader("<InstrumentEQP DValue=\"VX310A\" LValue=\"0\"/>",
                         "<TestingSequence_Count DValue=\"1\"/><Title DValue=\"t\"/>",
                         "<TestingSequence_Num0><Information><InstrumentEQP DValue=\"VX340A\" "
                         "LValue=\"3\"/><Application_Version DValue=\"1.2.1\"/><FW_Version "
                         "DValue=\"1.064\"/><Task_Steps_Count DValue=\"1\"/><Title DValue=\"s\"/>"
                         "</Information></TestingSequence_Num0>"));
    WizardDocument back;
    EXPECT_EQ(read(back, 0, file), 0);
    ASSERT_EQ(sink.ids(), QStringList{"IDS_INCORRECT_MEAS_FOR_EQP"});
    EXPECT_EQ(sink.messages[0].args, (QStringList{"VX340A", "VX310A"}));
}

TEST_F(WizardFrame, HeaderChecks)
{
    const QByteArray model0 = "<InstrumentEQP DValue=\"VX310A\" LValue=\"0\"/>";
    const auto counted = [&](const QByteArray &count, const QByteArray &more = {}) {
        return wizardWithHeader(model0, "<TestingSequence_Count DValue=\"" + count +
                                            "\"/><Title DValue=\"x\"/>" + more);
    };
    const QByteArray bad = "IDS_UNKNOWN_WZD_FILE";
    struct Case {
        const char *name;
        QByteArray bytes;
        int result;
        QByteArray message;
        int seqEnd;
    } cases[] = {
        {"complete", counted("0", "<SeqEndOption DValue=\"1\"/>"), 1, "", 1},
        {"no SeqEndOption", counted("0"), 1, "", 2},
        {"no title", wizardWithHeader(model0, "<TestingSequence_Count DValue=\"0\"/>"), 0, "", 2},
        {"no count", wizardWithHeader(model0, "<Title DValue=\"x\"/>"), 0, "", 2},
        {"no model code",
         wizardWithHeader("<InstrumentEQP DValue=\"VX310A\"/>",
                          "<TestingSequence_Count DValue=\"0\"/><Title DValue=\"x\"/>"),
         0, "IDS_INCORRECT_WZD_FOR_EQP", 2},
        {"wrong root", "<?xml version=\"1.0\"?><QRTSetup><Information/></QRTSetup>", 0, bad, 2},
        // A count that is not a whole number 0..100 is a damaged file; 100
        // itself passes the check and fails only for the missing sequences.
        {"count at the limit", counted("100"), 0, "", 2},
        {"count above the limit", counted("101"), 0, bad, 2},
        {"count negative", counted("-1"), 0, bad, 2},
        {"count not a number", counted("abc"), 0, bad, 2},
        {"count empty", counted(""), 0, bad, 2},
        {"count hexadecimal", counted("0x7fffffff"), 0, bad, 2},
        {"count with blanks", counted(" 0 "), 1, "", 2},
        {"declared sequence missing", counted("1"), 0, "", 2},
        {"truncated", wizardWithHeader(model0, "<TestingSequence_Count DValue=\"0\"/>").left(120),
         0, "", 2},
        {"empty file", "", 0, "", 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        sink.messages.clear();
        WizardDocument back;
        back.SeqEndOption = 7;
        EXPECT_EQ(read(back, 0, writeFile("h.wzd", c.bytes)), c.result);
        EXPECT_EQ(sink.ids().join(','), QString::fromLatin1(c.message));
        if (c.result) {
            EXPECT_EQ(back.SeqEndOption, c.seqEnd);
        }
    }
}

TEST_F(WizardFrame, HostileXmlIsRefused)
{
    const QByteArray bomb =
        "<?xml version=\"1.0\"?><!DOCTYPE STEPVANE [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
        "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "]><STEPVANE><Information><Title DValue=\"&c;\"/></Information></STEPVANE>";
    const QByteArray external =
        "<?xml version=\"1.0\"?><!DOCTYPE STEPVANE [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
        "<STEPVANE><Information><Title DValue=\"&x;\"/></Information></STEPVANE>";
    for (const QByteArray &bytes : {bomb, external}) {
        VX_CAAXML_PARSER parser(nullptr, 0, &sink);
        EXPECT_FALSE(parser.Load_Document(writeFile("hostile.wzd", bytes)));
        EXPECT_EQ(parser.Error_Text(), "XML Document FAILED to load");
    }
}

TEST_F(WizardFrame, ReadFileModel)
{
    WizardDocument doc;
    doc.appendSequence();
    save(doc, 3);
    VX_CAAXML_PARSER parser(&doc, 0, &sink);
    EXPECT_EQ(parser.Read_File_Model(path("w.wzd")), 3);
    EXPECT_FALSE(parser.Go_Root()) << "the parser is reset afterwards";
    ASSERT_TRUE(parser.Save_Testing_Unit(0, path("u.tuf")));
    EXPECT_EQ(parser.Read_File_Model(path("u.tuf")), 0);
    EXPECT_EQ(parser.Read_File_Model(path("missing.wzd")), kUnknownModel);
    EXPECT_EQ(parser.Read_File_Model(writeFile("x.wzd", "<STEPVANE/>")), kUnknownModel);
    EXPECT_EQ(parser.Read_File_Model(dir.path()), kUnknownModel) << "a folder";

    // Only the header is read, and it is read as the DOM would: the first
    // InstrumentEQP of the first Information, its LValue as a leading number.
    // Opening parses a file once, so the model read from the loaded document
    // must be the one this probe finds (kAgreed: only that is asked).
    const int kAgreed = -2;
    const struct {
        const char *name;
        QByteArray bytes;
        int model;
        bool loads;
    } cases[] = {
        {"bodyCutOff",
         "<STEPVANE><Information><InstrumentEQP LValue=\"2\"/></Information>"
         "<TestingSequence_Num0><Title DValue=\"x\"",
         2, false},
        {"leadingNumber",
         "<STEPVANE><Information><InstrumentEQP LValue=\"1abc\"/></Information></STEPVANE>", 1,
         true},
        {"firstInformationOnly",
         "<STEPVANE><Information><Title DValue=\"\"/></Information>"
         "<Information><InstrumentEQP LValue=\"3\"/></Information></STEPVANE>",
         kUnknownModel, true},
        {"notDirectlyInInformation",
         "<STEPVANE><Information><G><InstrumentEQP LValue=\"3\"/></G></Information></STEPVANE>",
         kUnknownModel, true},
        {"noLValue",
         "<STEPVANE><Information><InstrumentEQP DValue=\"VX340A\"/></Information></STEPVANE>",
         kUnknownModel, true},
        {"doctype",
         "<!DOCTYPE STEPVANE [<!ENTITY a \"3\">]><STEPVANE><Information>"
         "<InstrumentEQP LValue=\"3\"/></Information></STEPVANE>",
         kUnknownModel, false},
        {"notXml", "InstrumentEQP LValue=3", kUnknownModel, false},
        {"blankBeforeTheNumber",
         "<STEPVANE><!-- x --><Information><Title/><InstrumentEQP LValue=\" 2\"/>"
         "<InstrumentEQP LValue=\"1\"/></Information></STEPVANE>",
         kAgreed, true},
    };
    VX_CAAXML_PARSER loaded(&doc, 0, &sink);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = writeFile("m.wzd", c.bytes);
        const int model = parser.Read_File_Model(file);
        if (c.model != kAgreed) {
            EXPECT_EQ(model, c.model);
        }
        ASSERT_EQ(loaded.Load_Document(file), c.loads);
        if (c.loads) {
            EXPECT_EQ(loaded.Loaded_File_Model(), model);
        }
    }
    // Every reference file too.
    int references = 0;
    for (const char *folder : {"frame", "procedure", "settings", "analysis"})
        for (const QFileInfo &f : QDir(fixture(folder)).entryInfoList({"*.wzd", "*.tuf"})) {
            ++references;
            ASSERT_TRUE(loaded.Load_Document(f.filePath())) << f.filePath().toStdString();
            EXPECT_EQ(loaded.Loaded_File_Model(), parser.Read_File_Model(f.filePath()))
                << f.filePath().toStdString();
        }
    EXPECT_GT(references, 15);

    // A header element with more attributes than the format has is refused
    // before the reader spends quadratic time on them.
    QByteArray crowded = "<STEPVANE><Information";
    for (int i = 0; i < 20000; ++i)
        crowded += " a" + QByteArray::number(i) + "=\"\"";
    crowded += "><InstrumentEQP LValue=\"2\"/></Information></STEPVANE>";
    EXPECT_EQ(parser.Read_File_Model(writeFile("crowded.wzd", crowded)), kUnknownModel);
}

// Reading the loaded document gives what reading the file gives, for a wizard
// and for a testing unit.
TEST_F(WizardFrame, ReadingTheLoadedDocumentGivesWhatReadingTheFileGives)
{
    WizardDocument doc;
    doc.Title = "Loaded once";
    for (const char *t : {"First", "Second"})
        doc.appendSequence()->Title = t;
    doc.sequence(1)->insertStep(-1, HoldTask{});
    save(doc, 2);
    WizardDocument once, twice;
    VX_CAAXML_PARSER reader(&once, 2, &sink);
    EXPECT_EQ(reader.Read_Loaded_Wizard(), 0) << "nothing loaded";
    EXPECT_EQ(reader.Read_Loaded_Testing_Unit(), 0) << "nothing loaded";
    ASSERT_TRUE(reader.Load_Document(path("w.wzd")));
    EXPECT_EQ(reader.Read_Loaded_Wizard(), 1);
    VX_CAAXML_PARSER fileReader(&twice, 2, &sink);
    ASSERT_EQ(fileReader.Read_Wizard_File(path("w.wzd")), 1);
    EXPECT_TRUE(once == twice);
    EXPECT_TRUE(once == doc);

    WizardDocument unitOnce, unitTwice;
    VX_CAAXML_PARSER unitReader(&unitOnce, 0, &sink), unitFileReader(&unitTwice, 0, &sink);
    ASSERT_TRUE(unitReader.Load_Document(fixture("frame/unit.tuf")));
    unitReader.Set_Model(unitReader.Loaded_File_Model());
    unitFileReader.Set_Model(unitReader.Model());
    EXPECT_EQ(unitReader.Read_Loaded_Testing_Unit(), 1);
    ASSERT_EQ(unitFileReader.Read_Testing_Unit_File(fixture("frame/unit.tuf")), 1);
    EXPECT_TRUE(unitOnce == unitTwice);
    EXPECT_EQ(unitOnce.sequenceCount(), 1);
}

TEST_F(WizardFrame, TestingUnitIsNumberedZeroAndImportsAsLastSequence)
{
    WizardDocument doc;
    for (const char *t : {"a", "b", "c"})
        doc.appendSequence()->Title = t;
    doc.SeqEndOption = 1;
    VX_CAAXML_PARSER parser(&doc, 2, &sink);
    ASSERT_TRUE(parser.Save_Testing_Unit(2, path("third.tuf")));
    EXPECT_FALSE(parser.Save_Testing_Unit(3, path("none.tuf")));
    EXPECT_FALSE(QFile::exists(path("none.tuf")));
    EXPECT_EQ(normalizedXml(readAll(path("third.tuf"))),
              normalizedXml(readAll(fixture("frame/unit.tuf"))));

    WizardDocument target;
    target.appendSequence()->Title = "existing";
    VX_CAAXML_PARSER importer(&target, 2, &sink);
    ASSERT_EQ(importer.Read_Testing_Unit_File(path("third.tuf")), 1);
    ASSERT_EQ(target.sequenceCount(), 2);
    EXPECT_EQ(target.sequence(1)->Title, "c");

    VX_CAAXML_PARSER otherModel(&target, 1, &sink);
    EXPECT_EQ(otherModel.Read_Testing_Unit_File(path("third.tuf")), 0);
    EXPECT_EQ(target.sequenceCount(), 2) << "a refused unit adds nothing";
}

TEST_F(WizardFrame, SaveNeverDestroysThePreviousFile)
{
    WizardDocument doc;
    doc.Title = "kept";
    const QByteArray before = save(doc, 0, "keep.wzd");
    VX_CAAXML_PARSER parser(&doc, 0, &sink);
    parser.Set_Style_Sheet_Path(path("no-such-sheet.xsl"));
    doc.Title = "lost";
    EXPECT_FALSE(parser.Save_Wizard(path("keep.wzd")));
    EXPECT_EQ(readAll(path("keep.wzd")), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left";
}

// The limits from both sides: the fullest wizard the editor can make comes
// back whole, and a file that declares one more is refused as damaged.
TEST_F(WizardFrame, TheFullestWizardRoundTripsAndOneMoreIsRefused)
{
    WizardDocument doc;
    for (int s = 0; s < kMaxSequences; ++s)
        doc.appendSequence()->Title = QString::number(s);
    for (int t = 0; t < kMaxSteps; ++t)
        ASSERT_TRUE(doc.sequence(0)->insertStep(-1, HoldTask{QString::number(t)}));
    const QByteArray bytes = save(doc, 0, "full.wzd");
    ASSERT_TRUE(bytes.contains("<Task_Steps_Count DValue=\"101\"/>"));
    ASSERT_TRUE(bytes.contains("<TestingSequence_Count DValue=\"100\"/>"));
    WizardDocument back;
    ASSERT_EQ(read(back, 0, path("full.wzd")), 1);
    EXPECT_EQ(back.sequenceCount(), kMaxSequences);
    EXPECT_EQ(back.sequence(0)->stepCount(), kMaxSteps);
    EXPECT_TRUE(sink.messages.empty());

    const struct {
        const char *name;
        QByteArray steps;
    } cases[] = {{"one step more", "102"},
                 {"not a number", "abc"},
                 {"empty", ""},
                 {"negative", "-1"},
                 {"hexadecimal", "0x65"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        sink.messages.clear();
        QByteArray changed = bytes;
        changed.replace("<Task_Steps_Count DValue=\"101\"/>",
                        "<Task_Steps_Count DValue=\"" + c.steps + "\"/>");
        WizardDocument refused;
        EXPECT_EQ(read(refused, 0, writeFile("changed.wzd", changed)), 0);
        EXPECT_EQ(sink.ids(), QStringList{"IDS_UNKNOWN_WZD_FILE"});
    }
}

// Sequence and step elements are taken by their exact names, in number order
// whatever their order in the file: the first of a repeated name counts, and
// a name with a leading zero, a sign, a tail or a number past the declared
// count names nothing.
TEST_F(WizardFrame, NumberedElementsAreFoundByTheirExactNames)
{
    const QByteArray model = "<InstrumentEQP DValue=\"VX330A\" LValue=\"2\"/>";
    const QByteArray versions =
        model + "<Application_Version DValue=\"1\"/><FW_Version DValue=\"1\"/>";
    const auto step = [](const QByteArray &tag, const QByteArray &text) {
        return "<" + tag + "><Task_Step_Name DValue=\"Hold\"/><Description DValue=\"" + text +
               "\"/></" + tag + ">";
    };
    const auto sequence = [&](const QByteArray &tag, const QByteArray &title,
                              const QByteArray &steps, int count) {
        return "<" + tag + "><Information>" + versions + "<Task_Steps_Count DValue=\"" +
               QByteArray::number(count) + "\"/><Title DValue=\"" + title + "\"/></Information>" +
               steps + "</" + tag + ">";
    };
    const QByteArray steps = step("Task_Step_Num2", "two") + step("Task_Step_Num01", "01") +
                             step("Task_Step_Num1x", "1x") + step("Task_Step_Num0", "zero") +
                             step("Task_Step_Num-1", "-1") + step("Task_Step_Num", "none") +
                             step("Task_Step_Num1", "one") + step("Task_Step_Num1", "again") +
                             step("Task_Step_Num3", "past the count");
    const QByteArray body = sequence("TestingSequence_Num00", "00", "", 1) +
                            sequence("TestingSequence_Num1", "B", "", 1) +
                            sequence("TestingSequence_Num0", "A", steps, 3) +
                            sequence("TestingSequence_Num0", "A2", "", 1);
    const QString file =
        writeFile("n.wzd", wizardWithHeader(model,
                                            "<TestingSequence_Count DValue=\"2\"/><Title "
                                            "DValue=\"t\"/>",
                                            body));
    WizardDocument back;
    ASSERT_EQ(read(back, 2, file), 1);
    ASSERT_EQ(back.sequenceCount(), 2);
    EXPECT_EQ(back.sequence(0)->Title, "A");
    EXPECT_EQ(back.sequence(1)->Title, "B");
    QStringList descriptions;
    for (int i = 0; i < back.sequence(0)->stepCount(); ++i)
        descriptions << std::get<HoldTask>(back.sequence(0)->step(i)->record).Description;
    EXPECT_EQ(descriptions, (QStringList{"zero", "one", "two"}));
}
