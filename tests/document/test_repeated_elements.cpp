// Second copies of elements the format holds once: each is noted once, in
// file order, however many distinct names come before it, and a file full of
// them keeps the first thousand notes.
#include "document/VX_CAAXML_PARSER.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

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
