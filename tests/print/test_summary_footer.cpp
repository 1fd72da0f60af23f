// The footer of the printed summary, read back from a PDF: every page names
// the wizard file, says "Page N of M" with the right M (also over copies) and
// the print date, and the page's own rows stay clear of it.
#include "PdfProbe.h"

#include "print/SummaryPdf.h"
#include "print/SummaryPrinter.h"
#include "summary/SummaryRows.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stepvane;
using stepvane::test::PdfProbe;

namespace {

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

} // namespace

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

TEST(SummaryFooter, CopiesCountTheirOwnPages)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("copies.pdf");
    const auto items = buildWizardSummary(longWizard(4), 2);
    int pages = 0;
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        const SummaryFooter footer{"a.wzd", QDate(2026, 1, 2)};
        ASSERT_TRUE(paintSummary(writer, items, 2, &pages, &footer));
    }
    ASSERT_EQ(pages % 2, 0);
    const int perCopy = pages / 2;
    const PdfProbe probe = PdfProbe::read(path);
    ASSERT_EQ(probe.pages, pages);
    for (int page = 0; page < pages; ++page)
        EXPECT_TRUE(lastLine(probe, page)
                        .contains(QString("Page %1 of %2").arg(page % perCopy + 1).arg(perCopy)))
            << page;
}
