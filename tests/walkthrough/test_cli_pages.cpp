// The web pages stepvane-cli writes: export on a saved wizard and the page
// opened in a real browser (headless Chromium); diff OLD NEW --html DIR, the
// review diff as a web page; and neither writing through a symbolic link: not
// as the folder, not where the page or a copied picture goes, not when the
// link dangles. The command says so and the link and its target stay.
#include "summary/walkthrough/WalkCards.h"
#include "support/CliRun.h"
#include "support/LinkTraps.h"
#include "support/TestFiles.h"
#include "walkthrough/PageParse.h"
#include "walkthrough/SampleWizard.h"

#include <QCryptographicHash>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

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

TEST_F(ExportCli, WritesThePageWithTheFilesDigest)
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
}

TEST_F(ExportCli, BadCallsWriteNothing)
{
    const QString out = dir.filePath("page");
    EXPECT_EQ(cli({"export", saveSample()}).code, 2);
    EXPECT_EQ(cli({"export", saveSample(), "--html", out, "--model", "9"}).code, 2);
    ASSERT_TRUE(writeAll(dir.filePath("broken.wzd"), "<not a wizard"));
    const CliRun broken = cli({"export", dir.filePath("broken.wzd"), "--html", out});
    EXPECT_EQ(broken.code, 1);
    EXPECT_FALSE(broken.err.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(out));
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
