// The printed summary painted into a PDF and read back with poppler: the
// header rows, every sequence heading and sample step rows are there, the
// page count is right, nothing passes the margins, long cells are cut and the
// long title is wrapped; the footer of every page names the wizard file, says
// "Page N of M" with the right M (also over copies) and the print date, and
// the page's own rows stay clear of it.
//
// stepvane-cli summary end to end: a wizard saved by the writer, summarised as
// text and as a PDF, and the failures that must leave files alone.
#include "PdfProbe.h"

#include "document/VX_CAAXML_PARSER.h"
#include "print/SummaryPdf.h"
#include "print/SummaryPrinter.h"
#include "summary/SummaryRows.h"
#include "support/CliRun.h"
#include "support/FileSizeLimit.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stepvane;
using stepvane::test::CliRun;
using stepvane::test::PdfProbe;
using stepvane::test::readAll;

namespace {

const QString kTitle =
    "Quarterly acceptance sweep for the rooftop site North Ridge covering every sector antenna "
    "feeder jumper and the tower mounted amplifiers with return loss distance to fault cable "
    "loss and insertion checks before the network operator signs the handover protocol "
    "TITLE-END";

// A description too long for the Details column: only its beginning prints.
const QString kLongDescription =
    "Begin of a very long description " + QString("filler ").repeated(60) + "TAIL-NOT-PRINTED";

constexpr double kMarginMm = kSummaryPdfMarginMm;

AttachedImage picture(const QString &comment, const QString &name)
{
    return AttachedImage{comment, name, QString(), 100, 0, 0};
}

void addSequence(WizardDocument &doc, const QString &title, int k, bool withPrompt, bool withSave)
{
    TestingSequence *seq = doc.appendSequence();
    seq->Title = title;
    PromptTask prompt;
    prompt.Description = QString("Connect port %1").arg(k);
    prompt.images[0] = picture("Attach the load", QString("load%1.png").arg(k));
    if (withPrompt)
        seq->insertStep(-1, prompt);
    seq->insertStep(-1, CalibrationTask{QString("Calibrate %1").arg(k)});
    FrequencyDistanceTask freq;
    freq.Description = "Band", freq.Start_Frequency = 698 + k, freq.Stop_Frequency = 2690;
    freq.Start_Frequency_Check = freq.Stop_Frequency_Check = 1;
    seq->insertStep(-1, freq);
    MarkerPeakTask marker;
    marker.Description = "Worst return loss";
    marker.markers[0] = {1, 1, 0, 1, 900};
    seq->insertStep(-1, marker);
    SaveTask save;
    save.Description = QString("Store sector %1").arg(k);
    save.BaseFileName = QString("sector%1").arg(k), save.Company_Check = 1;
    save.Company_Name = "Vexmar Field Services";
    if (withSave)
        seq->insertStep(-1, save);
    seq->insertStep(-1, HoldTask{"Freeze trace"});
}

// Four sequences of four to six steps under a title that wraps: about two and
// a half pages of A4 with 15 mm margins, so the count has room either way.
WizardDocument threePageWizard()
{
    WizardDocument doc;
    doc.Title = kTitle;
    const QStringList titles = {"Sector Alpha", "Sector Beta", "Sector Gamma", "Sector Delta"};
    for (int k = 0; k < titles.size(); ++k)
        addSequence(doc, titles[k], k + 1, k == 0 || k == 2, k == 0);
    doc.sequence(1)->insertStep(0, DataPointTask{kLongDescription, 1001});
    return doc;
}

// The footer tests' wizard: sequences of twelve calibration steps.
WizardDocument longWizard(int sequences)
{
    WizardDocument doc;
    doc.Title = "Footer check";
    for (int k = 0; k < sequences; ++k) {
        TestingSequence *seq = doc.appendSequence();
        seq->Title = QString("Sector %1").arg(k + 1);
        for (int i = 0; i < 12; ++i)
            seq->insertStep(-1, CalibrationTask{QString("Calibrate %1.%2").arg(k + 1).arg(i + 1)});
    }
    return doc;
}

// The page's last line with text: its footer.
QString lastLine(const PdfProbe &probe, int page)
{
    QStringList lines = probe.simplifiedLines(page);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.value(lines.size() - 1);
}

// Whether a word of the page's rows reaches down into the footer's line.
bool rowsReachTheFooter(const PdfProbe &probe, int page, double footerTop)
{
    for (const auto &w : probe.words)
        if (w.page == page && w.yMin < footerTop - 1 && w.yMax > footerTop)
            return true;
    return false;
}

class SummaryPdf : public ::testing::Test {
protected:
    // Painted once, when the first test of the suite starts.
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(s_dir.isValid());
        const QString path = s_dir.filePath("summary.pdf");
        const SummaryPdfResult written =
            writeSummaryPdf(path, buildWizardSummary(threePageWizard(), 2));
        ASSERT_TRUE(written.ok) << written.error.toStdString();
        s_pages = written.pages;
        s_probe = PdfProbe::read(path);
        ASSERT_TRUE(s_probe.ok) << s_probe.error.toStdString();
    }

    static inline QTemporaryDir s_dir;
    static inline int s_pages = 0;
    static inline PdfProbe s_probe;
};

// A row as pdftotext -layout shows it: the two cells side by side.
QString rowAsLine(const QString &row)
{
    return QString(row).replace('|', ' ').simplified();
}

CliRun runSummary(const QStringList &args, rlim_t writeLimit = 0)
{
    return stepvane::test::cli(QStringList{"summary"} + args, {}, writeLimit);
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

TEST_F(SummaryPdf, HeaderRowsOnFirstPage)
{
    for (const QString &text :
         {QString("- Stepvane Information -"), QString("Header info"),
          rowAsLine("Firmware version| 1.064"), rowAsLine("Application version| 1.2.1"),
          rowAsLine("Compatible Spanlyx| VX330A"), rowAsLine("Testing sequence count| 4"),
          rowAsLine("Stepvane title| Quarterly acceptance")}) {
        EXPECT_EQ(s_probe.pageOf(text), 0) << text.toStdString();
    }
}

TEST_F(SummaryPdf, EverySequenceHeadingAndSampleRowsOnThreePages)
{
    int lastPage = 0;
    for (int k = 1; k <= 4; ++k) {
        const QString heading = QString(" Testing Sequence Num%1  : Sector ").arg(k) +
                                QStringList{"Alpha", "Beta", "Gamma", "Delta"}[k - 1];
        const int page = s_probe.pageOf(heading);
        EXPECT_GE(page, lastPage) << heading.toStdString();
        lastPage = std::max(page, lastPage);
    }
    EXPECT_EQ(lastPage, 2) << "the last sequence is on the third page";
    EXPECT_EQ(std::tuple(s_probe.pages, s_pages, s_probe.pageTexts.size()), std::tuple(3, 3, 3))
        << "three pages, as the printer counted them";
    for (const QString &row :
         {QString("1.Prompt|Description : Connect port 1"),
          QString(" |               1. Comment : Attach the load"),
          QString(" |                  Image file : load3.png"),
          QString("1.Calibration|Calibrate 4"), QString(" |Center frequency : 1695.50"),
          QString(" |Span : 1989.00"),
          QString(" |            Company Name : Vexmar Field Services"),
          QString(" |1. Marker name : M1 Type : Normal , on/off : off, X value : 900.00, "
                  "Search mode : Peak Search"),
          QString("5.Hold|Freeze trace"), QString("Task item|Details")}) {
        EXPECT_GE(s_probe.pageOf(rowAsLine(row)), 0) << row.toStdString();
    }
}

TEST_F(SummaryPdf, LongTitleWrapsOverSeveralRowsAndALongCellIsCut)
{
    // Every word of the title is printed, in order, over more than one line.
    QStringList titleLines;
    bool inTitle = false;
    for (const QString &line : s_probe.simplifiedLines(0)) {
        if (line.startsWith("Stepvane title"))
            inTitle = true;
        else if (line.startsWith("Firmware version"))
            break;
        if (inTitle && !line.isEmpty())
            titleLines << line;
    }
    ASSERT_GE(titleLines.size(), 3);
    QString joined = titleLines.join(' ');
    joined.remove(0, QString("Stepvane title").size());
    EXPECT_EQ(joined.simplified(), kTitle.simplified());

    // A long cell is cut, not wrapped.
    const int page = s_probe.pageOf("Description : Begin of a very long description filler");
    ASSERT_GE(page, 0);
    EXPECT_EQ(s_probe.pageOf("TAIL-NOT-PRINTED"), -1);
    // The row after it follows directly: the long text took one line.
    const QStringList lines = s_probe.simplifiedLines(page);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].contains("Begin of a very long"))
            continue;
        ASSERT_LT(i + 1, lines.size());
        EXPECT_EQ(lines[i + 1], "Point : 1001");
    }
}

TEST_F(SummaryPdf, NothingPassesTheMargins)
{
    const double margin = kMarginMm * 72.0 / 25.4;
    const double tolerance = 1.0; // points, for glyph boxes that overshoot a little
    ASSERT_FALSE(s_probe.words.empty());
    for (const auto &w : s_probe.words) {
        SCOPED_TRACE(w.text.toStdString());
        EXPECT_GE(w.xMin, margin - tolerance);
        EXPECT_LE(w.xMax, s_probe.pageWidth - margin + tolerance);
        EXPECT_GE(w.yMin, margin - tolerance);
        EXPECT_LE(w.yMax, s_probe.pageHeight - margin + tolerance);
    }
}

TEST_F(SummaryPdf, LeftCellsStayInTheirColumn)
{
    // In the step tables the left column is 800 of 4200 of the printable width.
    const double margin = kMarginMm * 72.0 / 25.4;
    const double split = margin + (s_probe.pageWidth - 2 * margin) * 800 / 4200;
    int checked = 0;
    for (const auto &w : s_probe.words) {
        if (w.text.endsWith(".Calibration") || w.text.endsWith(".Hold")) {
            EXPECT_LE(w.xMax, split) << w.text.toStdString();
            ++checked;
        }
        if (w.text == "Freeze") { // the Hold description sits in the right cell
            EXPECT_GE(w.xMin, split);
            ++checked;
        }
    }
    EXPECT_GE(checked, 8);
}

TEST(SummaryPdfErrors, AFullDiskKeepsTheOldPdfAndSaysWhy)
{
    // QPdfWriter does not check its writes: the file must notice for it.
    const struct {
        const char *name;
        WizardDocument doc;
    } cases[] = {{"one page", WizardDocument{}}, {"three pages", threePageWizard()}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const auto items = buildWizardSummary(c.doc, 2);
        const QString fits = dir.filePath("fits.pdf");
        ASSERT_TRUE(writeSummaryPdf(fits, items).ok);
        const qint64 full = QFileInfo(fits).size();

        const QString path = dir.filePath("out.pdf");
        const QByteArray old = "%PDF- the user's old summary";
        ASSERT_TRUE(stepvane::test::writeAll(path, old));
        SummaryPdfResult result;
        {
            stepvane::test::FileSizeLimit limit(rlim_t(full / 2));
            result = writeSummaryPdf(path, items);
        }
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.error.contains("File too large")) << result.error.toStdString();
        EXPECT_EQ(stepvane::test::readAll(path), old);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{"fits.pdf", "out.pdf"}));
    }
}

TEST(SummaryFooter, EveryPageSaysWhichOfHowMany)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("footer.pdf");
    SummaryFooter footer{"north ridge.wzd", QDate(2026, 3, 9)};
    const SummaryPdfResult written =
        writeSummaryPdf(path, buildWizardSummary(longWizard(5), 2), &footer);
    ASSERT_TRUE(written.ok) << written.error.toStdString();
    ASSERT_GE(written.pages, 2);
    const PdfProbe probe = PdfProbe::read(path);
    ASSERT_TRUE(probe.ok) << probe.error.toStdString();
    ASSERT_EQ(probe.pages, written.pages);
    for (int page = 0; page < probe.pages; ++page) {
        const QString last = lastLine(probe, page);
        EXPECT_TRUE(last.startsWith("north ridge.wzd")) << last.toStdString();
        EXPECT_TRUE(last.contains(QString("Page %1 of %2").arg(page + 1).arg(probe.pages)))
            << last.toStdString();
        EXPECT_TRUE(last.endsWith("2026-03-09")) << last.toStdString();
        // The footer sits below every row of its page.
        double footerTop = probe.pageHeight;
        for (const auto &w : probe.words)
            if (w.page == page && w.text == "Page")
                footerTop = w.yMin;
        EXPECT_FALSE(rowsReachTheFooter(probe, page, footerTop)) << page;
        EXPECT_GT(footerTop, probe.pageHeight * 0.85) << page;
    }
}

TEST(SummaryFooter, EachCopyStartsOnANewPageAndCountsItsOwnPages)
{
    WizardDocument one;
    one.appendSequence()->insertStep(-1, HoldTask{"one"});
    const struct {
        const char *name;
        WizardDocument doc;
        int perCopy; // 0: several pages
        const char *firstRow;
    } cases[] = {{"one page", one, 1, "1.Hold one"},
                 {"several pages", longWizard(4), 0, "1.Calibration Calibrate 1.1"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("copies.pdf");
        int pages = 0;
        {
            QPdfWriter writer(path);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
            const SummaryFooter footer{"a.wzd", QDate(2026, 1, 2)};
            ASSERT_TRUE(paintSummary(writer, buildWizardSummary(c.doc, 2), 2, &pages, &footer));
        }
        ASSERT_EQ(pages % 2, 0);
        const int perCopy = pages / 2;
        EXPECT_TRUE(c.perCopy > 0 ? perCopy == c.perCopy : perCopy > 1) << perCopy;
        const PdfProbe probe = PdfProbe::read(path);
        ASSERT_EQ(probe.pages, pages);
        ASSERT_EQ(probe.pageTexts.size(), pages);
        EXPECT_EQ(probe.pageOf(c.firstRow), 0);
        EXPECT_TRUE(probe.pageTexts[perCopy].contains("Stepvane Information"))
            << "the second copy starts on a page of its own";
        for (int page = 0; page < pages; ++page)
            EXPECT_TRUE(
                lastLine(probe, page)
                    .contains(QString("Page %1 of %2").arg(page % perCopy + 1).arg(perCopy)))
                << page;
    }
}

TEST_F(CliSummary, TextRowsWithCellSeparator)
{
    const CliRun run = runSummary({wizard(), "--password", "pw1"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList out = run.out.split('\n');
    const QStringList expected = {"-  Stepvane Information -",
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
                                  "Task item | Details"};
    qsizetype from = 0;
    for (const QString &line : expected) {
        const qsizetype at = out.indexOf(line, from);
        EXPECT_GE(at, from) << "missing or out of order: " << line.toStdString();
        from = std::max(from, at + 1);
    }
    for (const QString &line : out)
        EXPECT_LE(line.count(" | "), 1) << line.toStdString();
}

TEST_F(CliSummary, PdfHasTheRows)
{
    const CliRun run = runSummary({wizard(), "--password", "pw1", "--pdf", pdf()});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.trimmed(), "") << "nothing on stdout with --pdf";
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
        {"NoFile", {"--pdf", pdf()}, 2}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = runSummary(c.args);
        EXPECT_EQ(run.code, c.exitCode);
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
    const CliRun run = runSummary({wizard(), "--password", "pw1", "--pdf", pdf()}, 4096);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("File too large")) << run.err.toStdString();
    EXPECT_EQ(readAll(pdf()), old);
}
