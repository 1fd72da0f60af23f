// The web pages of export and diff --html never write through a symbolic
// link: not as the folder, not where the page or a copied picture goes, not
// when the link dangles. The command says so and the link and its target stay.
#include "support/CliRun.h"
#include "support/LinkTraps.h"
#include "support/TestFiles.h"
#include "walkthrough/SampleWizard.h"

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

struct PageTrap {
    bool diff; // diff --html, else export
    LinkTrap trap;
    const char *file; // where in DIR the link lies
};

} // namespace

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
    const PageTrap traps[] = {
        {false, LinkTrap::FolderIsLink, ""},
        {false, LinkTrap::LinkInside, "index.html"},
        {false, LinkTrap::DanglingLinkInside, "index.html"},
        {false, LinkTrap::LinkInside, "files"},
        {false, LinkTrap::LinkInside, "files/001-jumper.png"},
        {false, LinkTrap::DanglingLinkInside, "files/001-jumper.png"},
        {true, LinkTrap::FolderIsLink, ""},
        {true, LinkTrap::LinkInside, "index.html"},
        {true, LinkTrap::DanglingLinkInside, "index.html"},
        {true, LinkTrap::DanglingLinkInside, "files"},
    };
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
