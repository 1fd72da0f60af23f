// The walk-through cards and their web page: what each card says, that the
// page is valid HTML with every picture copied byte for byte, and that no
// text or file name from a wizard can add markup or write outside the folder.
//
// The web pages stepvane-cli writes: export on a saved wizard and the page
// opened in a real browser (headless Chromium); diff OLD NEW --html DIR, the
// review diff as a web page; and neither writing through a symbolic link: not
// as the folder, not where the page or a copied picture goes, not when the
// link dangles. The command says so and the link and its target stay.
#include "review/check/CheckedWalkthrough.h"
#include "review/diff/DiffHtml.h"
#include "summary/SummaryRows.h"
#include "summary/walkthrough/HtmlPage.h"
#include "summary/walkthrough/WalkCards.h"
#include "summary/walkthrough/WalkHtml.h"
#include "support/CliRun.h"
#include "support/LinkTraps.h"
#include "support/TestFiles.h"
#include "walkthrough/PageParse.h"
#include "walkthrough/SampleWizard.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

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

const QString kHostileTitle = "Tower <b id=\"injected\">7</b> </script><script>x()";

class ExportCli : public ::testing::Test {
protected:
    QString saveSample()
    {
        WizardDocument doc = sampleWizard(dir.path(), 2);
        doc.Title = kHostileTitle;
        return savedWizard(doc, dir.filePath("sample.wzd"));
    }
    QTemporaryDir dir;
};

// Runs the browser with a scratch profile; its output, or a null string when
// it did not finish in time.
QByteArray runBrowser(const QString &browser, const QStringList &args)
{
    QTemporaryDir profile;
    QProcess p;
    p.start(browser, QStringList{"--headless", "--no-sandbox", "--disable-gpu",
                                 "--user-data-dir=" + profile.path()} +
                         args);
    if (!p.waitForFinished(90000)) {
        p.kill();
        p.waitForFinished();
        return QByteArray();
    }
    return p.readAllStandardOutput();
}

struct PageTrap {
    bool diff; // diff --html, else export
    LinkTrap trap;
    const char *file; // where in DIR the link lies
};

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
        EXPECT_FALSE(readAll(out + u'/' + link).isEmpty()) << link.toStdString();
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

TEST(WebPage, PageBytesAreTheEscapedTextsBytes)
{
    // The page is built as UTF-8 directly; it must hold what escaping the text
    // and encoding it would. Surrogates are where the two could part: a pair,
    // halves alone, and halves with a dropped character between them.
    const auto units = [](std::initializer_list<char16_t> list) {
        QString text;
        for (const char16_t u : list)
            text += QChar(u);
        return text;
    };
    QStringList texts = {QString(), "Fit <the> \"jumper\" & 'torque'",
                         "\u00e9\u07ff\u0800\U0001F600"};
    texts << units({0xd83d, 0x85, 0xde00}) << units({0xd83d, 0x01, 0x7f, 0xde00}) << units({0xd800})
          << units({0xdc00, u'a'}) << units({0xd800, 0xd800, 0xdc00}) << units({0xd800, 0xfffe})
          << units({0xdc00, 0xd800});
    const char16_t alphabet[] = {0x00,   0x09,   0x0a,   0x1f,   u'&',   u'<',   u'>',   u'"',
                                 u'\'',  u'a',   0x7f,   0x80,   0x9f,   0xa0,   0x7ff,  0x800,
                                 0xd800, 0xdbff, 0xdc00, 0xdfff, 0xe000, 0xfffd, 0xfffe, 0xffff};
    QRandomGenerator random(11);
    for (int i = 0; i < 1000; ++i) {
        QString text;
        for (int n = random.bounded(10); n > 0; --n)
            text += QChar(alphabet[random.bounded(int(std::size(alphabet)))]);
        texts << text;
    }
    for (const QString &text : texts) {
        QByteArray page("<p>");
        appendHtmlEscaped(page, text);
        EXPECT_EQ(page, "<p>" + htmlEscape(text).toUtf8()) << text.toStdU16String().size();
    }
}

TEST_F(ExportCli, WritesThePageWithTheFilesDigestAndBadCallsWriteNothing)
{
    const QString wizard = saveSample();
    const QString out = dir.filePath("out/page");
    const CliRun run = cli({"export", wizard, "--html", out});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QString html = QString::fromUtf8(readAll(out + "/index.html"));
    const QByteArray digest =
        QCryptographicHash::hash(readAll(wizard), QCryptographicHash::Sha256).toHex();
    EXPECT_TRUE(html.contains(QString::fromLatin1(digest)));
    EXPECT_TRUE(html.contains("VX330A"));
    EXPECT_FALSE(html.contains("<script>"));

    // Bad calls write nothing.
    const QString page = dir.filePath("page");
    EXPECT_EQ(cli({"export", saveSample()}).code, 2);
    EXPECT_EQ(cli({"export", saveSample(), "--html", page, "--model", "9"}).code, 2);
    ASSERT_TRUE(writeAll(dir.filePath("broken.wzd"), "<not a wizard"));
    const CliRun broken = cli({"export", dir.filePath("broken.wzd"), "--html", page});
    EXPECT_EQ(broken.code, 1);
    EXPECT_FALSE(broken.err.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(page));
}

TEST_F(ExportCli, ARealBrowserShowsEveryStepAndRunsNothing)
{
    QString browser;
    for (const char *name : {"chromium", "chromium-browser", "google-chrome"})
        if (browser.isEmpty())
            browser = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (browser.isEmpty())
        GTEST_SKIP() << "no Chromium found (scripts/install-deps installs the chromium package)";

    const QString out = dir.filePath("page");
    ASSERT_EQ(cli({"export", saveSample(), "--html", out}).code, 0);
    const QString url = QUrl::fromLocalFile(out + "/index.html").toString();

    const QString dom = QString::fromUtf8(runBrowser(browser, {"--dump-dom", url}));
    ASSERT_FALSE(dom.isEmpty()) << "the browser gave no page within 90 s";
    const Walkthrough walk = buildWalkthrough(sampleWizard(dir.path(), 2), 2);
    for (const WalkSequence &sequence : walk.sequences) {
        EXPECT_TRUE(dom.contains(sequence.title));
        for (const WalkCard &card : sequence.cards) {
            EXPECT_TRUE(
                dom.contains(QStringLiteral("Step %1: %2").arg(card.step + 1).arg(card.label)))
                << card.label.toStdString();
            EXPECT_TRUE(dom.contains(
                QStringLiteral("id=\"s%1-t%2\"").arg(card.sequence + 1).arg(card.step + 1)));
        }
    }
    EXPECT_FALSE(dom.contains("<b id=\"injected\""));
    EXPECT_FALSE(dom.contains("<script"));

    const QString shot = dir.filePath("shot.png");
    runBrowser(browser,
               {"--screenshot=" + shot, "--window-size=1000,1400", "--hide-scrollbars", url});
    const QImage image(shot);
    ASSERT_FALSE(image.isNull()) << "no screenshot";
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 20) << "the screenshot is blank";
}

TEST(DiffPage, ChangedPicturesSideBySideAndEveryChangeMarked)
{
    QTemporaryDir dir;
    const QString oldDir = dir.filePath("old"), newDir = dir.filePath("new");
    QDir().mkpath(oldDir);
    QDir().mkpath(newDir);
    const QString a = savedWizard(sampleWizard(oldDir, 2), dir.filePath("a.wzd"));
    WizardDocument changed = sampleWizard(newDir, 2);
    // The first prompt picture in another colour, a value, an added step and a
    // hostile title on the changed sequence.
    changed.sequence(0)->step(0)->as<PromptTask>()->images[0] =
        samplePicture(newDir, "jumper.png", "Fit the jumper to port 1", Qt::magenta);
    changed.sequence(0)->step(4)->as<AmplitudeTask>()->Bottom = -5;
    changed.sequence(1)->insertStep(-1, HoldTask{});
    changed.sequence(0)->Title = "Mast</h2><script>x()</script>";
    const QString b = savedWizard(changed, dir.filePath("b.wzd"));

    const QString out = dir.filePath("review");
    const CliRun run = cli({"diff", a, b, "--html", out});
    ASSERT_EQ(run.code, 1) << run.err.toStdString();
    const QByteArray html = readAll(out + "/index.html");
    const ParsedPage page = parsePage(html);
    EXPECT_TRUE(page.errors.isEmpty()) << page.errors.toStdString();
    EXPECT_FALSE(page.elements.contains("script"));
    EXPECT_TRUE(page.text.contains("-5.00"));
    EXPECT_TRUE(html.contains("class=\"step added\""));
    EXPECT_TRUE(html.contains("class=\"step changed\""));

    // Old and new picture, each copied as it is.
    QList<QByteArray> copies;
    for (const QString &link : page.links)
        if (link.startsWith("files/") && !copies.contains(readAll(out + '/' + link)))
            copies << readAll(out + '/' + link);
    ASSERT_EQ(copies.size(), 2);
    EXPECT_TRUE(copies.contains(readAll(oldDir + "/jumper.png")));
    EXPECT_TRUE(copies.contains(readAll(newDir + "/jumper.png")));

    // Equal files give a page that says so, and exit 0.
    const CliRun same = cli({"diff", a, a, "--html", dir.filePath("same")});
    EXPECT_EQ(same.code, 0);
    EXPECT_TRUE(readAll(dir.filePath("same/index.html")).contains("equal"));
}

TEST(PageLinks, ExportAndDiffPagesNeverWriteThroughALink)
{
    QTemporaryDir dir;
    const QString oldWizard = savedWizard(sampleWizard(dir.path(), 2), dir.filePath("old.wzd"));
    WizardDocument changed = sampleWizard(dir.path(), 2);
    changed.Title = "Tower 8 sweep";
    const QString newWizard = savedWizard(changed, dir.filePath("new.wzd"));

    // A picture that cannot be copied leaves the rest of the page written, and
    // the export says so with exit 1; without its page nothing is usable. For
    // diff --html any trouble writing the page is exit 2.
    const PageTrap traps[] = {{false, LinkTrap::FolderIsLink, ""},
                              {false, LinkTrap::LinkInside, "index.html"},
                              {false, LinkTrap::DanglingLinkInside, "index.html"},
                              {false, LinkTrap::LinkInside, "files"},
                              {false, LinkTrap::LinkInside, "files/001-jumper.png"},
                              {false, LinkTrap::DanglingLinkInside, "files/001-jumper.png"},
                              {true, LinkTrap::FolderIsLink, ""},
                              {true, LinkTrap::LinkInside, "index.html"},
                              {true, LinkTrap::DanglingLinkInside, "index.html"},
                              {true, LinkTrap::DanglingLinkInside, "files"}};
    for (const PageTrap &t : traps) {
        SCOPED_TRACE(std::string(t.diff ? "diff " : "export ") + linkTrapName(t.trap) + " " +
                     t.file);
        LinkTrapScene scene(t.trap, QString::fromLatin1(t.file));
        ASSERT_TRUE(scene.ready());
        const CliRun run = t.diff ? cli({"diff", oldWizard, newWizard, "--html", scene.folder()})
                                  : cli({"export", oldWizard, "--html", scene.folder()});
        EXPECT_EQ(run.code, t.diff ? 2 : 1);
        EXPECT_TRUE(run.err.contains(QLatin1String("is a symbolic link"))) << run.err.toStdString();
        EXPECT_EQ(scene.damage(), QString());
    }
}
