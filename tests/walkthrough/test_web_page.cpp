// The walk-through cards and their web page: what each card says, that the
// page is valid HTML with every picture copied byte for byte, and that no
// text or file name from a wizard can add markup or write outside the folder.
#include "review/check/CheckedWalkthrough.h"
#include "review/diff/DiffHtml.h"
#include "summary/SummaryRows.h"
#include "summary/walkthrough/HtmlPage.h"
#include "summary/walkthrough/WalkHtml.h"
#include "support/TestFiles.h"
#include "walkthrough/PageParse.h"
#include "walkthrough/SampleWizard.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace stepvane;
using namespace stepvane::test;

namespace {

const WalkCard &cardOf(const Walkthrough &walk, int sequence, TaskKind kind, int nth = 0)
{
    for (const WalkCard &card : walk.sequences.at(size_t(sequence)).cards)
        if (card.kind == kind && nth-- == 0)
            return card;
    static const WalkCard none;
    ADD_FAILURE() << "no card of kind " << kind;
    return none;
}

QStringList filesUnder(const QString &dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(dir).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

TEST(WalkCards, EachKindSaysWhatTheTechnicianMeets)
{
    QTemporaryDir dir;
    for (int model : {0, 3}) {
        const WizardDocument doc = sampleWizard(dir.path(), model);
        const Walkthrough walk = buildWalkthrough(doc, model);
        ASSERT_EQ(walk.sequences.size(), 2u);

        const WalkCard &prompt = cardOf(walk, 0, TaskPrompt);
        ASSERT_EQ(prompt.lines.size(), 3u); // the empty slots are left out
        EXPECT_EQ(std::tuple(prompt.lines[0].hasPicture(), prompt.lines[1].hasPicture(),
                             prompt.advance, prompt.delaySeconds),
                  std::tuple(true, false, WalkAdvance::Auto, 5));
        EXPECT_EQ(cardOf(walk, 1, TaskPrompt).advance, WalkAdvance::Manual);

        // Settings are the summary's own rows, minus the description row, with
        // the units the pages show and headings for the summary's markers.
        const std::pair<int, TaskKind> withSettings[] = {{0, TaskAmplitude},
                                                         {1, TaskGeneral},
                                                         {1, TaskRfPower},
                                                         {0, TaskFrequencyDistance},
                                                         {0, TaskSave}};
        for (const auto &[sequence, kind] : withSettings) {
            const WalkCard &card = cardOf(walk, sequence, kind);
            const TaskStep &step = *doc.sequence(sequence)->step(card.step);
            const QStringList rows = summaryStepRows(step, card.step + 1, model);
            for (qsizetype i = 1; i < rows.size(); ++i) {
                const QString cell = rows[i].section(u'|', 1).trimmed();
                if (cell.isEmpty() || cell.startsWith(u'<'))
                    continue;
                const auto shown =
                    std::find_if(card.what.begin(), card.what.end(),
                                 [&](const QString &w) { return w.startsWith(cell); });
                ASSERT_NE(shown, card.what.end()) << cell.toStdString();
                if (cell.contains(QLatin1String("frequency :"))) {
                    EXPECT_EQ(*shown, cell + " MHz");
                }
            }
            for (const QString &w : card.what) {
                EXPECT_FALSE(w.contains(u'<') || w.contains(u'>')) << w.toStdString();
            }
        }
        const WalkCard &rf = cardOf(walk, 1, TaskRfPower);
        EXPECT_TRUE(rf.what.contains("Display:"));
        EXPECT_TRUE(rf.what.filter("External offset : ").value(0).endsWith(" dB"));

        const WalkCard &marker = cardOf(walk, 0, TaskMarkerPeak);
        EXPECT_TRUE(marker.passFail && marker.condition.contains("M1"))
            << marker.condition.toStdString();
        ASSERT_EQ(marker.failEntries.size(), 2u);
        EXPECT_EQ(std::pair(marker.failEntries[0].hasPicture(), marker.failEntries[1].hasPicture()),
                  std::pair(true, false));
        for (const QString &w : marker.what) { // the entries are not repeated as settings
            EXPECT_FALSE(w.contains("Comment")) << w.toStdString();
            EXPECT_FALSE(w.contains("on/off")) << w.toStdString();
        }
        // A Normal marker with a peak search: what the instrument does with it.
        EXPECT_EQ(marker.what.value(0), "M1 (Normal) moves to the highest peak of the trace.");

        const WalkCard &limit = cardOf(walk, 0, TaskLimit);
        EXPECT_EQ(std::pair(limit.passFail, limit.failEntries.size()), std::pair(true, size_t(1)));

        const WalkCard &first = cardOf(walk, 0, TaskSave, 0);
        const WalkCard &second = cardOf(walk, 0, TaskSave, 1);
        EXPECT_EQ(first.files, (QStringList{"Tower7/sweep.tra", "Tower7/sweep (screen capture)"}));
        EXPECT_TRUE(first.warnings.isEmpty());
        ASSERT_EQ(second.warnings.size(), 1);
        EXPECT_TRUE(second.warnings[0].contains(QString::number(first.step + 1)));
        EXPECT_EQ(cardOf(walk, 0, TaskReport).files, QStringList{".pdf"});
        EXPECT_FALSE(walk.end.what.isEmpty());
    }
}

TEST(WalkCards, FindingsLandOnTheirStep)
{
    QTemporaryDir dir;
    const WizardDocument doc = sampleWizard(dir.path(), 2);
    const std::vector<Finding> findings = {
        {Severity::Error, 0, 3, "Stop_Frequency", "too high"},
        {Severity::Warning, 1, -1, QString(), "sequence note"},
        {Severity::Warning, -1, -1, QString(), "no title"},
        {Severity::Error, 7, 0, QString(), "a place that is gone"}};
    const Walkthrough walk = buildWalkthrough(doc, 2, findings);
    ASSERT_EQ(walk.sequences[0].cards[3].findings.size(), 1u);
    EXPECT_TRUE(walk.sequences[0].cards[3].findings[0].error);
    EXPECT_EQ(walk.sequences[1].cards[0].findings.size(), 1u);
    EXPECT_EQ(walk.findings.size(), 2u);
    EXPECT_EQ(walk.end.findings.size(), 2u); // the window shows them at the end
}

TEST(WebPage, ValidWithEveryPictureCopiedExactly)
{
    QTemporaryDir dir;
    const WizardDocument doc = sampleWizard(dir.path(), 2);
    const QString out = dir.filePath("page");
    const WebPageResult result = exportWalkthroughPage(buildWalkthrough(doc, 2), out, "ab12");
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_TRUE(result.problems.isEmpty());

    const ParsedPage page = parsePage(readAll(out + "/index.html"));
    ASSERT_TRUE(page.parsed);
    EXPECT_TRUE(page.errors.isEmpty()) << page.errors.toStdString();
    EXPECT_TRUE(page.text.contains("ab12"));
    // Every picture of the wizard is on the page, and every link is inside the folder.
    QStringList pictures;
    for (const QString &link : page.links) {
        if (link.startsWith(u'#'))
            continue;
        ASSERT_TRUE(link.startsWith("files/")) << link.toStdString();
        const QByteArray copy = readAll(out + u'/' + link);
        EXPECT_FALSE(copy.isEmpty()) << link.toStdString();
        pictures << link;
    }
    pictures.removeDuplicates();
    EXPECT_EQ(pictures.size(), 4);
    for (const char *name : {"jumper.png", "torque.png", "retorque.png", "sweep.png"}) {
        const auto it = std::find_if(pictures.begin(), pictures.end(), [&](const QString &l) {
            return l.endsWith(QLatin1String(name));
        });
        ASSERT_NE(it, pictures.end()) << name;
        EXPECT_EQ(readAll(out + u'/' + *it), readAll(dir.filePath(QLatin1String(name))));
    }
}

TEST(WebPage, HostileTextsAndNamesStayText)
{
    struct Attack {
        const char *what;
        QString text;
    };
    const std::vector<Attack> attacks = {
        {"script element", "<script>document.title='x'</script>"},
        {"closing script", "</script><b id=\"injected\">x</b>"},
        {"attribute break", "\"><img id=\"injected\" src=x onerror=alert(1)>"},
        {"single quote", "' onmouseover='alert(1)"},
        {"entity", "&lt;b id=injected&gt; &amp;"},
        {"control characters", "a\u0001b\u001fc\u007f"}};
    const QStringList badNames = {"../../evil.png",         "..\\..\\evil.png", "/etc/evil.png",
                                  "\"><b id=injected>.png", ".hidden",          "a b%2F?.png"};
    for (const Attack &attack : attacks) {
        QTemporaryDir dir;
        const QString root = dir.filePath("inside");
        QDir().mkpath(root);
        WizardDocument doc = sampleWizard(root, 2);
        doc.Title = attack.text;
        doc.sequence(0)->Title = attack.text;
        auto *prompt = doc.sequence(0)->step(0)->as<PromptTask>();
        prompt->Description = attack.text;
        for (int i = 0; i < badNames.size(); ++i) {
            prompt->images[size_t(i) + 4] =
                samplePicture(root, QStringLiteral("p%1.png").arg(i), attack.text, Qt::gray);
            prompt->images[size_t(i) + 4].ImageName = badNames[i];
        }
        doc.sequence(0)->step(doc.sequence(0)->stepCount() - 2)->as<SaveTask>()->BaseFileName =
            attack.text;

        const QStringList before = filesUnder(dir.path());
        const QString out = root + "/page";
        ASSERT_TRUE(exportWalkthroughPage(buildWalkthrough(doc, 2), out, QString()).ok);
        const ParsedPage page = parsePage(readAll(out + "/index.html"));
        EXPECT_TRUE(page.errors.isEmpty()) << attack.what << ": " << page.errors.toStdString();
        EXPECT_FALSE(page.elements.contains("script")) << attack.what;
        EXPECT_TRUE(page.handlers.isEmpty()) << attack.what;
        EXPECT_FALSE(page.idsAndNames.contains("injected")) << attack.what;
        for (const QString &link : page.links)
            EXPECT_TRUE(link.startsWith(u'#') || link.startsWith("files/"))
                << attack.what << ": " << link.toStdString();
        // The text reads as the author typed it (control characters aside).
        QString shown = attack.text;
        shown.remove(QRegularExpression("[\\x00-\\x08\\x0b-\\x1f\\x7f]"));
        EXPECT_TRUE(page.text.contains(shown)) << attack.what;
        // Only the page and its files are new, all of them inside the folder.
        QStringList added = filesUnder(dir.path());
        for (const QString &f : before)
            added.removeOne(f);
        for (const QString &f : added)
            EXPECT_TRUE(f.startsWith("inside/page/index.html") ||
                        f.startsWith("inside/page/files/"))
                << f.toStdString();
        EXPECT_EQ(added.size(), 1 + 4 + badNames.size()) << attack.what;
    }
}

TEST(WebPage, RefusesAFolderThatIsASymbolicLink)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("elsewhere"));
    ASSERT_TRUE(QFile::link(dir.filePath("elsewhere"), dir.filePath("page")));
    const WebPageResult result = exportWalkthroughPage(
        buildWalkthrough(sampleWizard(dir.path(), 1), 1), dir.filePath("page"), QString());
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_TRUE(filesUnder(dir.filePath("elsewhere")).isEmpty());
}

TEST(WebPage, ControlCharactersOfEveryRangeAreDropped)
{
    // Each range at its ends and just past them.
    const struct {
        char16_t c;
        bool kept;
    } cases[] = {{0x09, true},  {0x1f, false},  {0x20, true},   {0x7e, true},
                 {0x7f, false}, {0x80, false},  {0x85, false},  {0x9f, false},
                 {0xa0, true},  {0xfffd, true}, {0xfffe, false}};
    for (const auto &c : cases) {
        const QString text = QStringLiteral("a") + QChar(c.c) + QStringLiteral("b");
        EXPECT_EQ(htmlEscape(text), c.kept ? text : "ab") << int(c.c);
    }

    // Neither page lets one through, in titles or anywhere else.
    QTemporaryDir dir;
    WizardDocument oldDoc = sampleWizard(dir.path(), 2);
    WizardDocument newDoc = oldDoc;
    const QString c1 = "Mast\u0085\u009b1m";
    newDoc.Title = c1;
    newDoc.sequence(0)->Title = c1;
    newDoc.sequence(0)->step(0)->as<PromptTask>()->Description = c1;
    const WebPageResult walk =
        exportWalkthroughPage(buildWalkthrough(newDoc, 2, {}), dir.filePath("walk"), QString());
    ASSERT_TRUE(walk.ok) << walk.error.toStdString();
    const WizardDiff diff = diffWizards({oldDoc, 2}, {newDoc, 2});
    const WebPageResult review = exportDiffPage(diff, {oldDoc, "a.wzd", QString()},
                                                {newDoc, "b.wzd", QString()}, dir.filePath("diff"));
    ASSERT_TRUE(review.ok) << review.error.toStdString();
    for (const char *page : {"walk/index.html", "diff/index.html"}) {
        const QString html = QString::fromUtf8(readAll(dir.filePath(page)));
        EXPECT_TRUE(html.contains("Mast1m")) << page;
        EXPECT_FALSE(html.contains(QRegularExpression("[\\x7f-\\x9f]"))) << page;
    }
}
