// stepvane-cli summary end to end: a wizard saved by the writer, summarised as
// text and as a PDF, and the failures that must leave files alone.
#include "PdfProbe.h"

#include "document/VX_CAAXML_PARSER.h"
#include "summary/SummaryRows.h"
#include "support/FileSizeLimit.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stepvane;
using stepvane::test::PdfProbe;
using stepvane::test::readAll;

namespace {

struct CliRun {
    int exitCode = -1;
    QStringList out;
    QString err;
};

CliRun runCli(const QStringList &args, rlim_t writeLimit = 0)
{
    QProcess p;
    if (writeLimit > 0)
        stepvane::test::FileSizeLimit::applyToChild(p, writeLimit);
    p.start(QStringLiteral(STEPVANE_BIN_DIR "/stepvane-cli"), QStringList{"summary"} + args);
    CliRun run;
    if (!p.waitForStarted() || !p.waitForFinished(120000))
        return run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

class CliSummary : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        WizardDocument doc;
        doc.Title = "Site | North";
        TestingSequence *a = doc.appendSequence();
        a->Title = "Feeder";
        a->insertStep(-1, HoldTask{"freeze | trace"});
        SaveTask save;
        save.SaveMode = 2, save.Description = "keep";
        a->insertStep(-1, save);
        doc.appendSequence()->Title = "Jumper";
        doc.setPassword("pw1");
        CollectingMessageSink sink;
        VX_CAAXML_PARSER parser(&doc, 2, &sink);
        ASSERT_TRUE(parser.Save_Wizard(wizard())) << parser.Error_Text().toStdString();
    }
    QString wizard() const { return dir.filePath("site.wzd"); }
    QString pdf() const { return dir.filePath("site.pdf"); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(CliSummary, TextRowsWithCellSeparator)
{
    const CliRun run = runCli({wizard(), "--password", "pw1"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList expected = {
        "-  Stepvane Information -",
        QString("Stepvane title |  Site ") + kUserBar + " North",
        "Firmware version |  1.064",
        "Application version |  1.2.1",
        "Compatible Spanlyx |  VX330A",
        "Testing sequence count |  2",
        " Testing Sequence Num1  : Feeder",
        "Task item | Details",
        QString("1.Hold | freeze ") + kUserBar + " trace",
        "2.Save | Description : keep",
        "  | Measurement result preview : Off",
        "  | Mode : Manual",
        " Testing Sequence Num2  : Jumper",
        "Task item | Details",
    };
    qsizetype from = 0;
    for (const QString &line : expected) {
        const qsizetype at = run.out.indexOf(line, from);
        EXPECT_GE(at, from) << "missing or out of order: " << line.toStdString();
        from = std::max(from, at + 1);
    }
    for (const QString &line : run.out)
        EXPECT_LE(line.count(" | "), 1) << line.toStdString();
}

TEST_F(CliSummary, PdfHasTheRows)
{
    const CliRun run = runCli({wizard(), "--password", "pw1", "--pdf", pdf()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.join("").trimmed(), "") << "nothing on stdout with --pdf";
    const PdfProbe probe = PdfProbe::read(pdf());
    ASSERT_TRUE(probe.ok) << probe.error.toStdString();
    EXPECT_EQ(probe.pages, 1);
    EXPECT_EQ(probe.pageOf("Compatible Spanlyx VX330A"), 0);
    EXPECT_EQ(probe.pageOf("Testing Sequence Num2 : Jumper"), 0);
    EXPECT_EQ(probe.pageOf(QString("Stepvane title Site ") + kUserBar + " North"), 0);
    EXPECT_EQ(probe.pageOf("2.Save Description : keep"), 0);
}

TEST_F(CliSummary, FailuresLeaveFilesAlone)
{
    const QByteArray original = readAll(wizard());
    ASSERT_FALSE(original.isEmpty());

    struct Case {
        const char *name;
        QStringList args;
        int exitCode;
    };
    const std::vector<Case> cases = {
        {"NoPassword", {wizard(), "--pdf", pdf()}, 1},
        {"WrongPassword", {wizard(), "--password", "nope", "--pdf", pdf()}, 1},
        {"OtherModel", {wizard(), "--password", "pw1", "--model", "1", "--pdf", pdf()}, 1},
        {"PdfOverWizard", {wizard(), "--password", "pw1", "--pdf", wizard()}, 1},
        {"PdfInMissingFolder",
         {wizard(), "--password", "pw1", "--pdf", dir.filePath("no/x.pdf")},
         1},
        {"MissingFile", {dir.filePath("absent.wzd"), "--pdf", pdf()}, 1},
        {"ModelOutOfRange", {wizard(), "--model", "9"}, 2},
        {"NoFile", {"--pdf", pdf()}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_FALSE(run.err.trimmed().isEmpty()) << "a failure says why";
        EXPECT_FALSE(QFile::exists(pdf()));
        EXPECT_FALSE(QFile::exists(dir.filePath("no/x.pdf")));
        EXPECT_EQ(readAll(wizard()), original);
    }
}

TEST_F(CliSummary, PdfOnAFullDiskFailsAndKeepsTheOldOne)
{
    const QByteArray old = "%PDF- the summary printed last week";
    ASSERT_TRUE(stepvane::test::writeAll(pdf(), old));
    const CliRun run = runCli({wizard(), "--password", "pw1", "--pdf", pdf()}, 4096);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("File too large")) << run.err.toStdString();
    EXPECT_EQ(readAll(pdf()), old);
}
