// stepvane-cli diff OLD NEW --html DIR: the review diff as a web page.
#include "support/CliRun.h"
#include "support/TestFiles.h"
#include "walkthrough/PageParse.h"
#include "walkthrough/SampleWizard.h"

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

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
