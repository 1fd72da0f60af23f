// The sequence summary dialog (lines, title, placement beside its parent) and
// PrintSummary (cancel prints and changes nothing; copies; center and span).
#include "shell/summary/PrintSummary.h"
#include "shell/summary/SequenceSummaryDlg.h"

#include "summary/SummaryRows.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stepvane;

namespace {

TestingSequence sequenceOfEveryKind()
{
    TestingSequence seq;
    seq.Title = "Every | kind";
    for (TaskKind kind : storableTaskKinds()) {
        TaskStep *step = seq.insertStep(-1, makeDefaultRecord(kind, 0, 0));
        std::visit([&](auto &r) { r.Description = QString("s%1").arg(int(kind)); }, step->record);
    }
    return seq;
}

int pdfPages(const QString &path)
{
    QProcess p;
    p.start("pdfinfo", {path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return -1;
    const auto m = QRegularExpression(R"(Pages:\s+(\d+))").match(QString::fromUtf8(p.readAll()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

WizardDocument wizardWithBand()
{
    WizardDocument doc;
    FrequencyDistanceTask band;
    band.Start_Frequency = 1000, band.Stop_Frequency = 3000;
    band.Start_Frequency_Check = band.Stop_Frequency_Check = 1;
    doc.appendSequence()->insertStep(-1, band);
    return doc;
}

const FrequencyDistanceTask &band(const WizardDocument &doc)
{
    return *doc.sequence(0)->step(0)->as<FrequencyDistanceTask>();
}

} // namespace

TEST(SequenceSummaryDialog, ShowsTitleAndLinesBesideItsParentWindowKeepingItsSize)
{
    QWidget window;
    window.setGeometry(120, 90, 328, 638);
    QWidget *row = new QWidget(&window); // the summary button's row inside the window
    window.show();
    const TestingSequence seq = sequenceOfEveryKind();
    SequenceSummaryDlg dialog(seq, row);
    EXPECT_EQ(dialog.windowTitle(), "Testing  summary");
    EXPECT_EQ(dialog.titleField()->text(), "Every | kind");
    EXPECT_TRUE(dialog.titleField()->isReadOnly());
    QStringList shown;
    for (int i = 0; i < dialog.stepList()->count(); ++i)
        shown << dialog.stepList()->item(i)->text();
    ASSERT_EQ(shown.size(), seq.stepCount());
    EXPECT_EQ(shown, sequenceSummaryLines(seq)) << "the spelling is the sequence summary's";

    const QSize size = dialog.size();
    dialog.show();
    const QRect frame = window.frameGeometry();
    EXPECT_EQ(dialog.frameGeometry().left(), frame.x() + frame.width());
    EXPECT_EQ(dialog.frameGeometry().top(), frame.y() + SequenceSummaryDlg::kTopOffset);
    EXPECT_EQ(dialog.size(), size);
    EXPECT_TRUE(dialog.isModal());
}

TEST(PrintSummaryDialog, CancelPrintsNothingAndPrintingDoesEveryCopyAndKeepsCenterAndSpan)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto toPdf = [&](const QString &name, int copies, bool accepted = true) {
        return [&dir, name, copies, accepted](QPrinter &printer, QWidget *) {
            EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
            EXPECT_EQ(printer.docName(), "Stepvane");
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath(name));
            printer.setCopyCount(copies);
            return accepted;
        };
    };
    WizardDocument doc = wizardWithBand();
    const WizardDocument before = doc;
    PrintSummary(nullptr, doc, 0, toPdf("cancelled.pdf", 1, false));
    EXPECT_FALSE(QFile::exists(dir.filePath("cancelled.pdf")));
    EXPECT_TRUE(doc == before) << "cancelled, nothing changes";
    PrintSummary(nullptr, doc, 0, toPdf("one.pdf", 1));
    EXPECT_DOUBLE_EQ(band(doc).Center_Frequency, 2000);
    EXPECT_DOUBLE_EQ(band(doc).Span, 2000);
    const int single = pdfPages(dir.filePath("one.pdf"));
    ASSERT_GE(single, 1);

    const WizardDocument fixed = wizardWithBand();
    PrintSummary(nullptr, fixed, 0, toPdf("three.pdf", 3));
    EXPECT_EQ(pdfPages(dir.filePath("three.pdf")), 3 * single);
    EXPECT_DOUBLE_EQ(band(fixed).Center_Frequency, 0) << "a const wizard is left alone";
}
