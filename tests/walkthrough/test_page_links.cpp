// The web pages of export and diff --html never write through a symbolic
// link: not as the folder, not where the page or a copied picture goes, not
// when the link dangles. The command says so and the link and its target stay.
#include "document/VX_CAAXML_PARSER.h"
#include "support/CliRun.h"
#include "support/LinkTraps.h"
#include "support/TestFiles.h"
#include "walkthrough/SampleWizard.h"

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

QString saveWizard(WizardDocument doc, const QString &path)
{
    VX_CAAXML_PARSER parser(&doc, 2);
    EXPECT_TRUE(parser.Save_Wizard(path));
    return path;
}

struct PageTrap {
    LinkTrap trap;
    const char *file; // where in DIR the link lies
    int exitCode;     // the command's exit status then
};

} // namespace

TEST(PageLinks, ExportAndDiffPagesNeverWriteThroughALink)
{
    QTemporaryDir dir;
    const QString oldWizard = saveWizard(sampleWizard(dir.path(), 2), dir.filePath("old.wzd"));
    WizardDocument changed = sampleWizard(dir.path(), 2);
    changed.Title = QStringLiteral("Tower 8 sweep");
    const QString newWizard = saveWizard(changed, dir.filePath("new.wzd"));

    // A picture that cannot be copied leaves the rest of the page written, and
    // the export says so with exit 1; without its page nothing is usable.
    const PageTrap exportTraps[] = {
        {LinkTrap::FolderIsLink, "", 1},
        {LinkTrap::LinkInside, "index.html", 1},
        {LinkTrap::DanglingLinkInside, "index.html", 1},
        {LinkTrap::LinkInside, "files", 1},
        {LinkTrap::LinkInside, "files/001-jumper.png", 1},
        {LinkTrap::DanglingLinkInside, "files/001-jumper.png", 1},
    };
    for (const PageTrap &t : exportTraps) {
        LinkTrapScene scene(t.trap, QString::fromLatin1(t.file));
        ASSERT_TRUE(scene.ready()) << t.file;
        const CliRun run = cli({"export", oldWizard, "--html", scene.folder()});
        EXPECT_EQ(run.code, t.exitCode) << linkTrapName(t.trap) << " " << t.file;
        EXPECT_TRUE(run.err.contains(QLatin1String("is a symbolic link")))
            << t.file << ": " << run.err.toStdString();
        EXPECT_EQ(scene.damage(), QString()) << linkTrapName(t.trap) << " " << t.file;
    }

    // diff --html: any trouble writing the page is exit 2.
    const PageTrap diffTraps[] = {
        {LinkTrap::FolderIsLink, "", 2},
        {LinkTrap::LinkInside, "index.html", 2},
        {LinkTrap::DanglingLinkInside, "index.html", 2},
        {LinkTrap::DanglingLinkInside, "files", 2},
    };
    for (const PageTrap &t : diffTraps) {
        LinkTrapScene scene(t.trap, QString::fromLatin1(t.file));
        ASSERT_TRUE(scene.ready()) << t.file;
        const CliRun run = cli({"diff", oldWizard, newWizard, "--html", scene.folder()});
        EXPECT_EQ(run.code, t.exitCode) << linkTrapName(t.trap) << " " << t.file;
        EXPECT_TRUE(run.err.contains(QLatin1String("is a symbolic link")))
            << t.file << ": " << run.err.toStdString();
        EXPECT_EQ(scene.damage(), QString()) << linkTrapName(t.trap) << " " << t.file;
    }
}
